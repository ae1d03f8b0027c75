// The monthly 2408M export over a large year (5 000 producers, 50 000 tickets): one month's
// collection and files ("Kigyüjtés" from click to files on disk), and beside it the engine's own
// time for the same sums and producer rows over a bare cursor. Several runs; min and median.
// Prints name=value lines. Counts can be given as key=value arguments (tickets=5000 ...).
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/app.h"
#include "core/database.h"
#include "declaration/declaration_screen.h"
#include "large_data.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"

namespace {

constexpr int runs = 5;

double msSince(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

void minMedian(const char* name, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%s_min_ms=%.1f\n%s_median_ms=%.1f\n", name, v.front(), name, v[v.size() / 2]);
}

QPushButton* button(QWidget& w, const QString& caption) {
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

int fetchAll(Database& db, const QString& sql, const std::vector<Value>& params) {
    auto cursor = db.open(sql, params);
    QByteArray row;
    int rows = 0;
    while (cursor->fetch(row)) ++rows;
    return rows;
}

int run(QApplication& qtApp) {
    LargeDataCounts counts;
    for (const QString& arg : qtApp.arguments().mid(1)) {
        const QString key = arg.section('=', 0, 0);
        const int value = arg.section('=', 1).toInt();
        if (key == QLatin1String("producers")) counts.producers = value;
        if (key == QLatin1String("tickets")) counts.tickets = value;
        if (key == QLatin1String("lines")) counts.lines = value;
    }
    QTemporaryDir dir;
    QTemporaryDir drive;
    qputenv("TERMARO_C_DRIVE", drive.path().toLocal8Bit());
    QDir().mkpath(drive.path() + QStringLiteral("/TERMARO/03"));
    createDatabase(dir.path(), false);
    QDir::setCurrent(dir.path());
    RecordingUi ui;
    std::unique_ptr<App> app = App::start(ui);
    QElapsedTimer g;
    g.start();
    fillLargeData(app->data(), counts);
    std::printf("generate_ms=%lld\n", static_cast<long long>(g.elapsed()));
    app->run().buyerCode = QStringLiteral("1");

    // March of the generated year.
    const QDate from(2026, 3, 1);
    const QDate to(2026, 3, 31);
    std::vector<double> program, engine, reading, writing;
    for (int i = 0; i < runs; ++i) {
        TForm11 screen(*app);
        screen.show();
        screen.findChild<QDateEdit*>(QStringLiteral("fromDate"))->setDate(from);
        screen.findChild<QDateEdit*>(QStringLiteral("toDate"))->setDate(to);
        button(screen, QStringLiteral("OK"))->click();
        QElapsedTimer t;
        t.start();
        button(screen, QStringLiteral("Kigyüjtés"))->click();
        program.push_back(msSince(t));
        if (!ui.messages.isEmpty() || !ui.errors.isEmpty()) {
            std::printf("error=%s\n",
                        qPrintable((ui.messages + ui.errors).join(QStringLiteral(" | "))));
            return 1;
        }
        if (i == 0)
            std::printf("declaration_files=%lld\n",
                        static_cast<long long>(QDir(drive.path() + QStringLiteral("/TERMARO/03"))
                                                   .entryList({"*.imp"})
                                                   .size()));

        // The two halves: reading and building the files, and writing them.
        {
            QElapsedTimer r;
            r.start();
            const auto collection = declaration::collect(*app, QStringLiteral("2026.03.01"),
                                                         QStringLiteral("2026.03.31"),
                                                         declaration::AmountColumn::Payable);
            reading.push_back(msSince(r));
            QElapsedTimer w;
            w.start();
            declaration::writeCollection(collection);
            writing.push_back(msSince(w));
        }

        Database& db = app->data().database();
        const std::vector<Value> period = {Value::date(from), Value::date(to), Value::text("1")};
        QElapsedTimer e;
        e.start();
        fetchAll(db, QStringLiteral("SELECT * FROM atvevo WHERE v_akod = ?"), {Value::text("1")});
        fetchAll(db,
                 QStringLiteral("SELECT f_ostermkod, SUM(f_muvktg) AS kifizetett FROM fjFej WHERE "
                                "(f_fizkelt >= ? AND f_fizkelt <= ?) AND (f_akod = ?) GROUP BY "
                                "f_ostermkod ORDER BY f_ostermkod"),
                 period);
        fetchAll(db,
                 QStringLiteral("SELECT O_KOD, O_NEV, O_ADOAZON, O_NEME, O_IGSZAM1, O_CSGAZD1, "
                                "O_SZULNEV, O_ANYJA, O_SZULHELY, O_SZIDO, O_ADOSZAM, O_FELIR "
                                "FROM (SELECT DISTINCT f_ostermkod FROM fjfej WHERE (f_fizkelt "
                                ">= ? AND f_fizkelt <= ?) AND (f_akod = ?)) paid JOIN ostermelo "
                                "ON o_kod = paid.f_ostermkod ORDER BY o_kod, id_ostermelo"),
                 period);
        engine.push_back(msSince(e));
    }
    minMedian("declaration_collect", program);
    minMedian("declaration_engine", engine);
    minMedian("declaration_read_and_build", reading);
    minMedian("declaration_write_files", writing);
    app->shutdown();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    try {
        return run(qtApp);
    } catch (const std::exception& e) {
        std::printf("error=%s\n", e.what());
        return 1;
    }
}
