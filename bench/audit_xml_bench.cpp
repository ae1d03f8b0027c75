// The tax-authority audit XML over a large year (50 000 tickets, 150 000 lines): the staging
// ("Kigyűjtés"), writing the file ("Export", checks included) and the schema check of the
// written file, through the screen as the user runs it; beside them the engine's own time for
// the export's statements over bare cursors, and the peak memory. Prints name=value lines.
//
// The data are generated in a child run so that the measuring process holds only what the
// program itself holds. Counts can be given as key=value arguments (tickets=5000 ...).
#include <sys/resource.h>

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/app.h"
#include "core/clock.h"
#include "core/database.h"
#include "exchange/audit_xml.h"
#include "exchange/audit_xml_screen.h"
#include "large_data.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"

namespace {

constexpr int runs = 3;

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

double msSince(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

void report(const char* name, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%s_min_ms=%.0f\n%s_median_ms=%.0f\n", name, v.front(), name, v[v.size() / 2]);
}

void chooseBuyer(App& app, const QString& code) {
    Query& q = app.data().query("ZQ60");
    q.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p1"));
    q.bindText("p1", code);
    q.open();
    app.run().buyerCode = code;
}

// The export's two statements fetched to the end over bare cursors.
double engineExport(Database& db) {
    QElapsedTimer t;
    t.start();
    for (const char* sql :
         {"SELECT * FROM NAVFEJ ORDER BY FE_SZLASORSZAM",
          "SELECT FE_SZLASORSZAM, S_MEGNEVEZES, S_VTSZ, S_NETTO, S_MEGY, S_FELVAR, S_EAR, "
          "S_KOMPMERTEKE, S_KOMPFELAR, S_VETELAR FROM NAVFEJ JOIN FJSOR ON S_BSZAM = "
          "FE_SZLASORSZAM ORDER BY FE_SZLASORSZAM, ID_FJSOR"}) {
        auto cursor = db.open(QString::fromLatin1(sql), {});
        QByteArray row;
        while (cursor->fetch(row)) {
        }
    }
    return msSince(t);
}

int measure(const QString& folder) {
    QDir::setCurrent(folder);
    RecordingUi ui;
    std::unique_ptr<App> app = App::start(ui);
    chooseBuyer(*app, QStringLiteral("1"));
    app->run().programFile = folder + QStringLiteral("/termaro");
    const QString path = folder + QStringLiteral("/szamlak.xml");
    std::vector<double> collect, write, validate, engine;
    for (int i = 0; i < runs; ++i) {
        TForm40 screen(*app);
        screen.show();
        screen.findChild<QDateEdit*>("fromDate")->setDate(QDate(2000, 1, 1));
        screen.findChild<QDateEdit*>("toDate")->setDate(QDate(2100, 12, 31));
        screen.findChild<QLineEdit*>("exportPath")->setText(path);
        ui.messages.clear();
        QElapsedTimer t;
        t.start();
        screen.collectButton()->click();
        collect.push_back(msSince(t));
        if (!screen.exportButton()->isEnabled()) {
            std::printf("error=%s\n", qPrintable(ui.messages.join(" | ")));
            return 1;
        }
        ui.messages.clear();
        t.restart();
        screen.exportButton()->click();
        const double total = msSince(t);
        // The schema check on its own, to split the export's time.
        t.restart();
        const QString errors =
            audit::validateAgainstSchema(path, folder + QLatin1Char('/') + audit::schemaFile);
        validate.push_back(msSince(t));
        write.push_back(total - validate.back());
        if (!errors.isEmpty() || ui.messages.size() != 2)
            std::printf("error=%s\n", qPrintable(ui.messages.join(" | ")));
        engine.push_back(engineExport(app->data().database()));
        app->data().commit();
    }
    report("collect", collect);
    report("export_write", write);
    report("schema_check", validate);
    report("export_engine", engine);
    std::printf("file_mb=%lld\n", QFileInfo(path).size() / (1024 * 1024));
    std::printf("peak_rss_mb=%ld\n", peakRssMb());
    app->shutdown();
    return 0;
}

int run(QApplication& qtApp) {
    const QStringList args = qtApp.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--measure")) return measure(args.at(1));

    LargeDataCounts counts;
    for (const QString& arg : args) {
        const QString key = arg.section('=', 0, 0);
        const int value = arg.section('=', 1).toInt();
        if (key == QLatin1String("producers")) counts.producers = value;
        if (key == QLatin1String("tickets")) counts.tickets = value;
        if (key == QLatin1String("lines")) counts.lines = value;
    }
    QTemporaryDir dir;
    if (args.contains(QStringLiteral("keep=1"))) {
        dir.setAutoRemove(false);  // for looking into the generated year afterwards
        std::printf("folder=%s\n", qPrintable(dir.path()));
    }
    createDatabase(dir.path(), false);
    QFile::copy(repoDbFolder() + QLatin1Char('/') + audit::schemaFile,
                dir.path() + QLatin1Char('/') + audit::schemaFile);
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
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), dir.path()});
    child.waitForFinished(-1);
    return child.exitCode();
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
