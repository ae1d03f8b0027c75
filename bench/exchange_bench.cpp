// Spreadsheet and text export timings over a large year: prints name=value lines.
// Usage: exchange_bench [tickets] [lines]
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <cstdio>
#include <ctime>
#include <functional>

#include "core/clock.h"
#include "exchange/row_stream.h"
#include "exchange/spreadsheet_export.h"
#include "exchange/text_export.h"
#include "exchange/workbook_check.h"
#include "large_data.h"
#include "support/app_fixture.h"

namespace {

void report(const char* name, double value) {
    std::printf("%s=%.1f\n", name, value);
    std::fflush(stdout);
}

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Milliseconds of one action; the process's CPU time for it goes to `cpu`, which tells the
// work itself apart from waiting on a busy machine.
double timed(const std::function<void()>& action, double* cpu = nullptr) {
    QElapsedTimer timer;
    const double cpuStart = cpuMs();
    timer.start();
    action();
    QApplication::processEvents();
    if (cpu) *cpu = cpuMs() - cpuStart;
    return double(timer.nsecsElapsed()) / 1e6;
}

QAbstractButton* button(QWidget* screen, const QString& caption) {
    for (QAbstractButton* b : screen->findChildren<QAbstractButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

// Starts a new peak of the resident set (Linux: writing 5 to clear_refs resets VmHWM).
void resetPeakMemory() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

// A line of /proc/self/status in megabytes ("VmHWM", "VmRSS").
double statusMb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    LargeDataCounts counts;
    if (argc > 1) counts.tickets = std::atoi(argv[1]);
    if (argc > 2) counts.lines = std::atoi(argv[2]);

    setClockForTests(QDateTime(QDate(2026, 6, 1), QTime(12, 0)));
    AppFixture f;
    f.chooseBuyer();
    report("large_data_fill_ms", timed([&] { fillLargeData(f.data(), counts); }));
    std::printf("lines=%d\n", counts.lines);

    {
        TForm20 screen(f.app());
        screen.show();
        QWidget* tickets = screen.findChild<QTabWidget*>("pages")->widget(0);
        screen.findChild<QCheckBox*>("CheckBox1")->setChecked(false);
        auto* progress = screen.findChild<QProgressBar*>("ProgressBar1");
        int progressPaints = 0;
        QObject::connect(progress, &QProgressBar::valueChanged, [&] { ++progressPaints; });
        report("spreadsheet_collect_ms", timed([&] { button(tickets, "Kigyüjtés")->click(); }));
        report("rss_before_export_mb", statusMb("VmRSS"));
        // The reading alone: the server's count and every row of the collection.
        Query& zq20 = f.data().query("ZQ20");
        const QString sql = zq20.sql();
        const RowStream::Params params = {
            {"p1", Value::date(QDate(2026, 1, 1))},
            {"p2", Value::date(QDate(2026, 12, 31))},
            {"p3", Value::text("1")},
        };
        double cpu = 0;
        report("spreadsheet_count_ms",
               timed([&] { RowStream::count(f.data().database(), sql, params); }, &cpu));
        report("spreadsheet_count_cpu_ms", cpu);
        report("spreadsheet_read_rows_ms", timed(
                                               [&] {
                                                   RowStream rows(f.data().database(), sql, params);
                                                   while (rows.next()) {
                                                       for (int c = 0; c < rows.fieldCount(); ++c)
                                                           rows.value(c);
                                                   }
                                               },
                                               &cpu));
        report("spreadsheet_read_rows_cpu_ms", cpu);
        resetPeakMemory();
        report("spreadsheet_export_ms",
               timed([&] { button(tickets, "Exportálás ")->click(); }, &cpu));
        report("spreadsheet_export_cpu_ms", cpu);
        report("spreadsheet_export_peak_rss_mb", statusMb("VmHWM"));
        report("spreadsheet_progress_updates", progressPaints);
        report("spreadsheet_file_mb",
               double(QFileInfo(f.folder() + "/FJFEJ.xlsx").size()) / (1024 * 1024));
        // The export's read-back of the written workbook, alone.
        report("spreadsheet_check_ms",
               timed([&] { unfinishedWorkbookPart(f.folder() + "/FJFEJ.xlsx"); }, &cpu));
        report("spreadsheet_check_cpu_ms", cpu);
        if (f.ui.messages.value(0) != QStringLiteral("A fjegy konvertálás befejeződött!")) {
            report("spreadsheet_failed", 1);
            std::fprintf(stderr, "%s\n", qUtf8Printable(f.ui.messages.join(u'\n')));
        }
    }

    {
        TForm29 screen(f.app());
        screen.show();
        screen.findChild<QLineEdit*>("Edit1")->setText(f.folder() + "/");
        double cpu = 0;
        report("text_export_ms", timed([&] { button(&screen, "Export")->click(); }, &cpu));
        report("text_export_cpu_ms", cpu);
        if (f.ui.messages.value(1) != QStringLiteral("Exportálás vége. ")) {
            report("text_export_failed", 1);
            std::fprintf(stderr, "%s\n", qUtf8Printable(f.ui.messages.join(u'\n')));
        }
        report("text_export_lines_file_mb",
               double(QFileInfo(f.folder() + "/FjSor.txt").size()) / (1024 * 1024));
    }
    setClockForTests({});
    return 0;
}
