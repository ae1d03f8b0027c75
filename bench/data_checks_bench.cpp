// The data checks screen over a large year (5 000 producers, 150 000 ticket lines): collecting
// and checking the tickets of the year, collecting and checking the producer table, each run
// several times. Prints name=value lines (min and median in milliseconds).
// Usage: data_checks_bench [runs] [tickets] [lines] (a smaller year for profiling).
// DATA_CHECKS_PARTS=1 also times the parts of a ticket check (the bare fetch of the collection, the
// walk, showing the text); DATA_CHECKS_KEEP=<file> only generates the year and copies its database
// there, for looking at plans in isql-fb.
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/database.h"
#include "large_data.h"
#include "support/app_fixture.h"
#include "validation/data_checks.h"
#include "validation/data_checks_screen.h"

namespace {

void report(const char* name, double value) {
    std::printf("%s=%.1f\n", name, value);
    std::fflush(stdout);
}

// Processor time of this process (engine included: it runs embedded) in milliseconds; on a
// shared machine it shows the work where the wall clock shows the waiting too.
double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}
double lastCpuMs = 0;

// Milliseconds of one action, the repaint it causes included; its processor time in lastCpuMs.
double timed(const std::function<void()>& action) {
    const double cpuBefore = cpuMs();
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    lastCpuMs = cpuMs() - cpuBefore;
    return double(timer.nsecsElapsed()) / 1e6;
}

void reportRuns(const std::string& name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    report((name + "_min_ms").c_str(), times.front());
    report((name + "_median_ms").c_str(), times[times.size() / 2]);
}

// Wall clock and processor time of each run of one action.
struct Runs {
    std::vector<double> wall, cpu;
    void add(const std::function<void()>& action) {
        wall.push_back(timed(action));
        cpu.push_back(lastCpuMs);
    }
    void print(const std::string& name) const {
        reportRuns(name, wall);
        reportRuns(name + "_cpu", cpu);
    }
};

QAbstractButton* button(QWidget* page, const QString& caption) {
    for (QAbstractButton* b : page->findChildren<QAbstractButton*>())
        if (b->text() == caption) return b;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    LargeDataCounts counts;
    if (argc > 2) counts.tickets = std::atoi(argv[2]);
    if (argc > 3) counts.lines = std::atoi(argv[3]);

    AppFixture f;
    f.chooseBuyer();
    report("large_data_fill_ms", timed([&] { fillLargeData(f.data(), counts); }));

    if (qEnvironmentVariableIsSet("DATA_CHECKS_KEEP")) {  // a copy of the year for looking into
        f.data().disconnect();
        QFile::copy(f.folder() + QStringLiteral("/termaro.fdb"),
                    qEnvironmentVariable("DATA_CHECKS_KEEP"));
        return 0;
    }

    TForm14 screen(f.app());
    screen.show();
    QApplication::processEvents();
    auto* pages = screen.findChild<QTabWidget*>(QStringLiteral("pages"));
    QWidget* tickets = pages->widget(0);
    QWidget* producers = pages->widget(2);
    screen.findChild<QDateEdit*>(QStringLiteral("fromDate"))->setDate(QDate(2026, 1, 1));
    screen.findChild<QDateEdit*>(QStringLiteral("toDate"))->setDate(QDate(2026, 12, 31));

    // The parts of a ticket check: the walk over the rows alone, then showing its text.
    if (qEnvironmentVariableIsSet("DATA_CHECKS_PARTS")) {
        const Collection rows =
            ticketCollection(QDate(2026, 1, 1), QDate(2026, 12, 31), f.run().buyerCode);
        const ParsedSql parsed = parseNamedParameters(rows.lines.join(u'\n'));
        std::vector<Value> values;
        for (const auto& param : rows.params) values.push_back(param.second);
        report("ticket_engine_fetch_ms", timed([&] {
                   auto cursor = f.data().database().open(parsed.sql, values);
                   QByteArray row;
                   while (cursor->fetch(row)) {
                   }
               }));
        report("ticket_engine_fetch_cpu_ms", lastCpuMs);
        Findings found;
        report("ticket_walk_ms", timed([&] { found = ticketFindings(f.data().database(), rows); }));
        report("ticket_walk_cpu_ms", lastCpuMs);
        QPlainTextEdit text;
        text.setLineWrapMode(QPlainTextEdit::NoWrap);
        text.show();
        report("ticket_show_text_ms", timed([&] { text.setPlainText(found.text); }));
        report("ticket_show_text_cpu_ms", lastCpuMs);
    }

    Runs ticketCollect, ticketCheck, producerCollect, producerCheck;
    for (int run = 0; run < runs; ++run) {
        pages->setCurrentWidget(tickets);
        ticketCollect.add([&] { button(tickets, "Kigyüjtés")->click(); });
        ticketCheck.add([&] { button(tickets, "Ellenörzés")->click(); });
        pages->setCurrentWidget(producers);
        producerCollect.add([&] { button(producers, "Kigyüjtés")->click(); });
        producerCheck.add([&] { button(producers, "Ellenörzés")->click(); });
    }
    std::printf("ticket_lines=%d\nproducers=%d\nruns=%d\n", counts.lines, counts.producers, runs);
    std::printf("ticket_findings_lines=%d\nproducer_findings_lines=%d\n",
                tickets->findChild<QPlainTextEdit*>()->blockCount(),
                producers->findChild<QPlainTextEdit*>()->blockCount());
    ticketCollect.print("ticket_collect");
    ticketCheck.print("ticket_check");
    producerCollect.print("producer_collect");
    producerCheck.print("producer_check");
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak_rss_mb=%ld\n", usage.ru_maxrss / 1024);
    std::printf("errors=%lld\n", static_cast<long long>(f.ui.errors.size()));
    return f.ui.errors.isEmpty() ? 0 : 1;
}
