// Lists over a large year (5 000 producers, 300 products, 50 000 tickets, 150 000 lines): the
// per-product and per-producer reports of the whole year, "Kigyüjtés" and "Nyomtatás" with the
// pages prepared, and the statistics collection. Beside each figure the engine's own time for
// the same statements over a bare cursor. Each report is measured in a child run of its own, so
// its peak memory is its own. Prints name=value lines.
#include <sys/resource.h>

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/app.h"
#include "core/database.h"
#include "large_data.h"
#include "lists/per_producer_list.h"
#include "lists/per_product_list.h"
#include "lists/statistics.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"

namespace {

constexpr int runs = 3;
const QDate yearStart(2026, 1, 1);
const QDate yearEnd(2026, 12, 31);

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

double msSince(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

void report(const QString& name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s_min_ms=%.0f\n%s_median_ms=%.0f\n%s_max_ms=%.0f\n", qPrintable(name),
                times.front(), qPrintable(name), times[times.size() / 2], qPrintable(name),
                times.back());
}

void click(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>()) {
        if (b->text() == caption) b->click();
    }
}

// Every row of a statement over a bare cursor; returns the first column of each row.
std::vector<Value> fetchAll(Database& db, const QString& sql, const std::vector<Value>& params) {
    std::vector<Value> keys;
    auto cursor = db.open(sql, params);
    QByteArray row;
    while (cursor->fetch(row)) keys.push_back(Cursor::unpack(row, 0));
    return keys;
}

std::vector<Value> period() {
    return {Value::date(yearStart), Value::date(yearEnd), Value::text(QStringLiteral("1"))};
}

// The per-product statement: every line of the period sorted by product, read once (the
// products and their sums are added up from the lines).
double bareProducts(Database& db) {
    QElapsedTimer t;
    t.start();
    fetchAll(db,
             "SELECT s_bszam, s_megnevezes, s_megy, s_ear, s_netto, s_vetelar, f_ostermkod, "
             "f_felvkelt, f_fizkelt, o_nev FROM fjfej LEFT JOIN ostermelo ON f_ostermkod = o_kod "
             "JOIN fjsor ON s_bszam = f_bszam WHERE (f_fizkelt >= ?) AND (f_fizkelt <= ?) AND "
             "(f_akod = ?) ORDER BY s_megnevezes, f_fizkelt, s_bszam, id_fjsor",
             period());
    return msSince(t);
}

// The per-producer statement: every line of the period sorted by producer, read once (the
// producers and their sums are added up from the lines).
double bareProducers(Database& db) {
    QElapsedTimer t;
    t.start();
    fetchAll(db,
             "SELECT f_ostermkod, f_akod, f_felvkelt, f_fizkelt, id_ostermelo, o_nev, s_bszam, "
             "s_megnevezes, "
             "s_megy, s_ear, s_netto, s_akod, s_vetelar FROM fjfej LEFT JOIN ostermelo ON "
             "f_ostermkod = o_kod JOIN fjsor ON s_bszam = f_bszam WHERE (f_fizkelt >= ?) AND "
             "(f_fizkelt <= ?) AND (f_akod = ? OR s_akod = ?) ORDER BY f_ostermkod, id_ostermelo, "
             "s_megnevezes, f_fizkelt, s_bszam, id_fjsor",
             {Value::date(yearStart), Value::date(yearEnd), Value::text(QStringLiteral("1")),
              Value::text(QStringLiteral("1"))});
    return msSince(t);
}

double bareStatistics(Database& db) {
    QElapsedTimer t;
    t.start();
    const std::vector<Value> buyer{Value::text(QStringLiteral("1"))};
    fetchAll(db,
             "select fjsor.s_megnevezes, extract( month from fjfej.f_felvkelt) as ho, "
             "sum(fjsor.s_netto), sum(fjsor.s_felvar)/NULLIF(sum(fjsor.s_netto), 0), "
             "sum(fjsor.s_felvar), sum(fjsor.s_vetelar), sum(sum(fjsor.s_netto)) over (partition "
             "by fjsor.s_megnevezes), sum(sum(fjsor.s_felvar)) over (partition by "
             "fjsor.s_megnevezes), sum(sum(fjsor.s_vetelar)) over (partition by "
             "fjsor.s_megnevezes), sum(sum(fjsor.s_felvar)) over (), sum(sum(fjsor.s_vetelar)) "
             "over () from fjsor join fjfej on fjfej.f_bszam = fjsor.s_bszam "
             "where fjfej.f_akod = ? group by fjsor.s_megnevezes, extract( month from "
             "fjfej.f_felvkelt) order by fjsor.s_megnevezes, extract( month from "
             "fjfej.f_felvkelt)",
             buyer);
    return msSince(t);
}

template <class ScreenClass>
int measureReport(App& app, RecordingUi& ui, const QString& name, double (*bare)(Database&)) {
    std::vector<double> collect;
    std::vector<double> print;
    std::vector<double> engine;
    int pages = 0;
    for (int i = 0; i < runs; ++i) {
        ScreenClass screen(app);
        screen.show();
        screen.template findChild<QDateEdit*>("fromDate")->setDate(yearStart);
        screen.template findChild<QDateEdit*>("toDate")->setDate(yearEnd);
        QElapsedTimer t;
        t.start();
        click(screen, QStringLiteral("Kigyüjtés"));
        collect.push_back(msSince(t));
        t.restart();
        click(screen, QStringLiteral("Nyomtatás"));
        print.push_back(msSince(t));
        if (!ui.messages.isEmpty() || ui.reports.isEmpty()) {
            std::printf("error=%s\n", qPrintable(ui.messages.join(" | ")));
            return 1;
        }
        pages = static_cast<int>(ui.reports.last().pageTexts.size());
        if (i == 0) std::printf("%s_peak_rss_mb=%ld\n", qPrintable(name), peakRssMb());
        ui.reports.clear();
        t.restart();
        engine.push_back(bare(app.data().database()));
    }
    std::printf("%s_pages=%d\n", qPrintable(name), pages);
    report(name + QStringLiteral("_collect"), collect);
    report(name + QStringLiteral("_print"), print);
    std::vector<double> total;
    for (int i = 0; i < runs; ++i) total.push_back(collect[i] + print[i]);
    report(name + QStringLiteral("_total"), total);
    report(name + QStringLiteral("_bare_cursor"), engine);
    return 0;
}

int measure(const QString& folder, const QString& what) {
    QDir::setCurrent(folder);
    RecordingUi ui;
    std::unique_ptr<App> app = App::start(ui);
    Query& buyer = app->data().query("ZQ60");
    buyer.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = '1'"));
    buyer.open();
    app->run().buyerCode = QStringLiteral("1");
    int rc = 0;
    if (what == QLatin1String("product")) {
        rc = measureReport<TForm13>(*app, ui, QStringLiteral("per_product"), bareProducts);
    } else if (what == QLatin1String("producer")) {
        rc = measureReport<TForm19>(*app, ui, QStringLiteral("per_producer"), bareProducers);
    } else {
        std::vector<double> collect;
        std::vector<double> engine;
        for (int i = 0; i < runs; ++i) {
            TForm32 screen(*app);
            screen.show();
            QElapsedTimer t;
            t.start();
            click(screen, QStringLiteral("Kigyüjtés"));
            collect.push_back(msSince(t));
            engine.push_back(bareStatistics(app->data().database()));
        }
        report(QStringLiteral("statistics_collect"), collect);
        report(QStringLiteral("statistics_bare_cursor"), engine);
    }
    app->shutdown();
    return rc;
}

int run(QApplication& qtApp) {
    const QStringList args = qtApp.arguments().mid(1);
    if (args.size() == 3 && args.at(0) == QLatin1String("--measure")) {
        return measure(args.at(1), args.at(2));
    }
    LargeDataCounts counts;
    for (const QString& arg : args) {
        const QString key = arg.section('=', 0, 0);
        const int value = arg.section('=', 1).toInt();
        if (key == QLatin1String("producers")) counts.producers = value;
        if (key == QLatin1String("products")) counts.products = value;
        if (key == QLatin1String("tickets")) counts.tickets = value;
        if (key == QLatin1String("lines")) counts.lines = value;
    }
    QTemporaryDir dir;
    if (args.contains(QStringLiteral("keep=1"))) {
        dir.setAutoRemove(false);  // for looking into the generated year afterwards
        std::printf("folder=%s\n", qPrintable(dir.path()));
    }
    createDatabase(dir.path(), false);
    for (const char* name : {"FjLista5.frf", "FjLista8.frf"}) {
        QFile::copy(repoDbFolder() + '/' + QLatin1String(name),
                    dir.path() + '/' + QLatin1String(name));
    }
    {
        QDir::setCurrent(dir.path());
        RecordingUi ui;
        std::unique_ptr<App> app = App::start(ui);
        QElapsedTimer t;
        t.start();
        fillLargeData(app->data(), counts);
        std::printf("generate_ms=%lld\n", t.elapsed());
        app->shutdown();
    }
    QDir::setCurrent(QDir::tempPath());
    int rc = 0;
    QStringList parts = {QStringLiteral("product"), QStringLiteral("producer"),
                         QStringLiteral("statistics")};
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1String("only="))) parts = {arg.section('=', 1)};
    }
    for (const QString& what : parts) {
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--measure"), dir.path(), what});
        child.waitForFinished(-1);
        rc = std::max(rc, child.exitCode());
    }
    return rc;
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
