// Ticket screens over a large year (5 000 producers, 300 products, 50 000 tickets, 150 000 lines):
// opening the ticket list on the last saved number, saving a new ticket, writing a line (with the
// list refreshed behind the entry), scrolling the list's grid page by page, and the peak memory
// with the list open. Beside each figure the floor measured in the same run through the bare
// database API (the list's row count plus a 30-row window at its end, with the statements of the
// save or the line write), and the ratio. Prints name=value lines.
//
// The data are generated in a child run so that the measuring process holds only what the
// program itself holds. Counts can be given as key=value arguments (tickets=5000 ...); keep=1
// leaves the generated folder in place and prints it; server=1 measures the same again through
// a private Firebird server on the loopback (figures named "server_..."), then has `clients`
// desks (default 4) save `each` new tickets (default 1 000) at once through it.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/app.h"
#include "core/database.h"
#include "large_data.h"
#include "support/database_fixture.h"
#include "support/firebird_server.h"
#include "support/recording_ui.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"

namespace {

constexpr int runs = 5;

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void figure(const char* name, long value) {
    std::printf("%s=%ld\n", name, value);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double msSince(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// Program figure, the floor and their ratio.
void compare(const char* name, double program, double floor) {
    std::printf("%s_ms=%.1f\n%s_floor_ms=%.1f\n%s_ratio=%.2f\n", name, program, name, floor, name,
                floor > 0 ? program / floor : 0.0);
}

void chooseBuyer(App& app, const QString& code) {
    Query& q = app.data().query("ZQ60");
    q.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p1"));
    q.bindText("p1", code);
    q.open();
    RunValues& r = app.run();
    r.buyerCode = code;
    r.typeTicket = QStringLiteral("1");
    r.typeVoiding = QStringLiteral("4");
    r.defaultStatement = q.text("V_NYILATK");
}

// Bare cursor: opens `sql` and fetches rows until `stop` says so or the result ends.
template <class Stop>
int fetchUntil(Database& db, const QString& sql, const std::vector<Value>& params, Stop stop) {
    auto cursor = db.open(sql, params);
    QByteArray row;
    int rows = 0;
    while (cursor->fetch(row)) {
        ++rows;
        if (stop(row)) break;
    }
    return rows;
}

// The least any list positioned on its last ticket costs: the list's row count and its last 30
// rows along the descending index on the number, through the bare API.
double listFloor(App& app) {
    Database& db = app.data().database();
    const std::vector<Value> buyer{Value::text(app.run().buyerCode)};
    const QString from = QStringLiteral(
        " FROM FjFej LEFT JOIN ostermelo ON FjFej.f_ostermkod = Ostermelo.o_kod WHERE f_akod = ?");
    const auto all = [](const QByteArray&) { return false; };
    QElapsedTimer t;
    t.start();
    fetchUntil(db, "SELECT count(*)" + from, buyer, all);
    fetchUntil(db, "SELECT FIRST 30 *" + from + " ORDER BY f_Bszam DESC", buyer, all);
    return msSince(t);
}

// One 30-row page of the list by key through the bare API: the floor of a page scrolled into view.
double pageFloor(App& app, const QList<qint64>& ids) {
    QStringList marks;
    std::vector<Value> values;
    for (qint64 id : ids) {
        marks << QStringLiteral("?");
        values.push_back(Value::integer(id));
    }
    QElapsedTimer t;
    t.start();
    fetchUntil(app.data().database(),
               "SELECT * FROM FjFej LEFT JOIN ostermelo ON FjFej.f_ostermkod = Ostermelo.o_kod "
               "WHERE FjFej.ID_FJFEJ IN (" +
                   marks.join(',') + ")",
               values, [](const QByteArray&) { return false; });
    return msSince(t);
}

void fillLine(QDialog& d, const QString& price) {
    const std::pair<const char*, QString> values[] = {{"S_MEGNEVEZES", QStringLiteral("Alma")},
                                                      {"S_VTSZ", QStringLiteral("0808")},
                                                      {"S_BRUTTO", QStringLiteral("10")},
                                                      {"S_MEGY", QStringLiteral("kg")},
                                                      {"S_EAR", price},
                                                      {"S_KOMPMERTEKE", QStringLiteral("12")}};
    for (const auto& [name, value] : values)
        d.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(value);
}

QPushButton* button(QWidget& w, const QString& caption) {
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

int measure(const QString& folder) {
    QDir::setCurrent(folder);
    RecordingUi ui;
    std::unique_ptr<App> app = App::start(ui);
    chooseBuyer(*app, QStringLiteral("1"));
    Database& db = app->data().database();
    const QString producer = QStringLiteral("17");

    // Opening the list on the last saved number.
    std::vector<double> program, engine;
    for (int i = 0; i < runs; ++i) {
        Query& numbering = app->data().query("ZQ50");
        numbering.setSql(QStringLiteral("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"));
        numbering.open();
        app->run().lastSavedTicketNumber = numbering.text("a_fjbszam");
        numbering.close();
        QElapsedTimer t;
        t.start();
        {
            TForm8 list(*app);
            list.show();
            QApplication::processEvents();
            program.push_back(msSince(t));
            if (i == 0)
                figure("ticket_list_rows_fetched",
                       static_cast<long>(app->data().query("ZQ10").rowCount()));
            if (i == 0) figure("peak_rss_list_open_mb", peakRssMb());
        }
        engine.push_back(listFloor(*app));
    }
    compare("ticket_list_open", median(program), median(engine));

    // Scrolling the grid from the first row to the last, one 30-row page at a time, each page
    // painted; the floor fetches the same page's rows by key. The list opened on its last
    // number reads the rest of its keys while the program idles: how long that takes before the
    // user could scroll, and the longest step of it (the pause a user could notice).
    {
        program.clear();
        engine.clear();
        TForm8 list(*app);
        list.show();
        QApplication::processEvents();
        auto* grid = list.findChild<QTableView*>(QStringLiteral("gridZQ10"));
        Query& q = app->data().query("ZQ10");
        QElapsedTimer settle;
        settle.start();
        double longestStep = 0;
        while (!q.keyed() && settle.elapsed() < 10000) {
            QElapsedTimer step;
            step.start();
            QApplication::processEvents(QEventLoop::AllEvents);
            longestStep = std::max(longestStep, msSince(step));
        }
        std::printf("ticket_list_keys_read_while_idle_ms=%.1f\nticket_list_idle_step_max_ms=%.1f\n",
                    msSince(settle), longestStep);
        q.first();
        int row = 0;
        while (true) {
            QElapsedTimer t;
            t.start();
            grid->scrollTo(grid->model()->index(row, 0), QAbstractItemView::PositionAtTop);
            while (grid->model()->canFetchMore({})) grid->model()->fetchMore({});
            grid->viewport()->repaint();
            program.push_back(msSince(t));
            if (program.size() % 50 == 1) {
                QList<qint64> ids;
                for (int r = row; r < std::min(row + 30, q.rowCount()); ++r)
                    ids << q.valueAt(r, q.fieldIndex("ID_FJFEJ")).asInteger();
                engine.push_back(pageFloor(*app, ids));
            }
            if (row + 30 >= q.rowCount()) break;
            row += 30;
        }
        figure("scroll_pages", static_cast<long>(program.size()));
        std::printf("scroll_page_max_ms=%.1f\n", *std::max_element(program.begin(), program.end()));
        compare("scroll_page_median", median(program), median(engine));
    }

    // Writing a line: from "OK" on the line entry to the amounts shown on the ticket entry.
    program.clear();
    engine.clear();
    std::vector<double> saves, saveEngine;
    for (int i = 0; i < runs; ++i) {
        app->run().ticketEntryMode = QStringLiteral("Új felvásárlási jegy");
        TForm8 list(*app);
        list.show();
        TForm9 entry(*app, &list);
        entry.show();
        ui.onModal["TForm4"] = [&](QDialog&) {
            app->data().query("ZQ30").locate("O_KOD", producer, false, false);
            return int(QDialog::Accepted);
        };
        entry.producerButton()->click();
        QElapsedTimer t;
        ui.onModal["TForm10"] = [&](QDialog& d) {
            fillLine(d, QStringLiteral("100"));
            t.start();
            button(d, "OK")->click();
            return d.result();
        };
        button(entry, "Új")->click();
        program.push_back(msSince(t));
        if (!ui.messages.isEmpty()) std::printf("error=%s\n", qPrintable(ui.messages.join(" | ")));
        const QString number = entry.documentNumber();
        const auto all = [](const QByteArray&) { return false; };

        // Saving the ticket: from "OK" to the list reopened on it.
        entry.findChild<QLineEdit*>("F_FIZKELT")
            ->setText(entry.findChild<QLineEdit*>("F_FELVKELT")->text());
        ui.messages.clear();
        QElapsedTimer s;
        s.start();
        button(entry, "OK")->click();
        saves.push_back(msSince(s));
        if (!ui.messages.isEmpty() || entry.isVisible())
            std::printf("error=%s\n", qPrintable(ui.messages.join(" | ")));

        // The same on the bare API: lock and read the numbering row, insert a header, advance the
        // row, commit, reopen the list up to the new number (the header is written under a spare
        // number and removed afterwards).
        const QString spare = QString::number(number.toLongLong() + 50);
        QElapsedTimer se;
        se.start();
        fetchUntil(db, "SELECT a_fjbszam FROM Sorszam WHERE a_akod = ? WITH LOCK",
                   {Value::text("1")}, all);
        db.execute(QStringLiteral("INSERT INTO FjFej ( f_bszam, f_akod, f_ostermkod, f_kelt, "
                                  "f_szja, f_megj, f_felvkelt, "
                                  "f_fizkelt, f_utal, f_nyilatk, f_levonas, f_jarulszaz, f_muvktg, "
                                  "f_tipus, f_sumvar ) "
                                  "VALUES ( ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? )"),
                   {Value::text(spare), Value::text("1"), Value::text(producer),
                    Value::date(QDate::currentDate()), Value::real(15), Value::text(""),
                    Value::date(QDate::currentDate()), Value::date(QDate::currentDate()),
                    Value::text(" "), Value::text(" "), Value::real(0), Value::real(0),
                    Value::real(1000), Value::text("1"), Value::real(1120)});
        db.execute(QStringLiteral("UPDATE Sorszam SET a_FjBszam = ? WHERE a_akod = ?"),
                   {Value::text(number), Value::text("1")});
        db.commit();
        saveEngine.push_back(msSince(se) + listFloor(*app));
        db.execute(QStringLiteral("DELETE FROM FjFej WHERE f_bszam = ?"), {Value::text(spare)});
        db.commit();
        // The line write on the bare API: insert and commit, lines, producer, both sums.
        QElapsedTimer e;
        e.start();
        db.execute(
            QStringLiteral(
                "INSERT INTO Fjsor ( s_bszam, s_termekkod, s_megnevezes, s_vtsz, s_brutto, s_megy, "
                "s_ear, s_kompmerteke, s_akod, s_levonszaz, s_bizonylat ) VALUES ( ?, ?, ?, ?, ?, "
                "?, "
                "?, ?, ?, ?, ? )"),
            {Value::text(number), Value::text(""), Value::text("Alma"), Value::text("0808"),
             Value::real(10), Value::text("kg"), Value::real(100), Value::real(12),
             Value::text("1"), Value::real(0), Value::text("")});
        db.commit();
        fetchUntil(db, "SELECT * FROM FjSor WHERE s_Bszam= ? ORDER BY ID_fjsor",
                   {Value::text(number)}, all);
        fetchUntil(db, "SELECT * FROM ostermelo WHERE o_kod = ?", {Value::text(producer)}, all);
        fetchUntil(db,
                   "SELECT s_bszam, SUM(s_felvar) AS far, SUM(s_kompfelar) AS kfelar, "
                   "SUM(s_vetelar) AS var FROM Fjsor "
                   "WHERE s_Bszam= ? GROUP BY s_Bszam",
                   {Value::text(number)}, all);
        fetchUntil(db,
                   "SELECT f_ostermkod, SUM(s_felvar) AS far1, SUM(s_kompfelar) AS kfelar1, "
                   "SUM(s_vetelar) AS var1 FROM "
                   "Fjsor JOIN Fjfej ON Fjfej.f_Bszam = Fjsor.s_Bszam JOIN Ostermelo ON "
                   "Fjfej.f_ostermkod = "
                   "Ostermelo.o_Kod WHERE FjFej.f_ostermkod = ? GROUP BY f_ostermkod",
                   {Value::text(producer)}, all);
        engine.push_back(msSince(e) + listFloor(*app));
    }
    compare("line_write", median(program), median(engine));
    compare("ticket_save", median(saves), median(saveEngine));
    figure("peak_rss_mb", peakRssMb());
    app->shutdown();
    return 0;
}

// One desk saving `count` new tickets of one line each through the real entry, as fast as it
// can; prints the tickets saved and the messages met.
int saveTickets(const QString& folder, int count) {
    QDir::setCurrent(folder);
    RecordingUi ui;
    std::unique_ptr<App> app = App::start(ui);
    chooseBuyer(*app, QStringLiteral("1"));
    app->run().ticketEntryMode = QStringLiteral("Új felvásárlási jegy");
    ui.onModal["TForm4"] = [&](QDialog&) {
        app->data().query("ZQ30").locate("O_KOD", QStringLiteral("17"), false, false);
        return int(QDialog::Accepted);
    };
    ui.onModal["TForm10"] = [&](QDialog& d) {
        fillLine(d, QStringLiteral("100"));
        button(d, "OK")->click();
        return d.result();
    };
    TForm8 list(*app);
    list.show();
    int saved = 0;
    for (int i = 0; i < count; ++i) {
        TForm9 entry(*app, &list);
        entry.show();
        entry.producerButton()->click();
        button(entry, "Új")->click();
        entry.findChild<QLineEdit*>("F_FIZKELT")
            ->setText(entry.findChild<QLineEdit*>("F_FELVKELT")->text());
        button(entry, "OK")->click();
        // Refused (another desk held the numbering row too long): the input stays, OK again.
        for (int again = 0; again < 5 && entry.isVisible(); ++again) button(entry, "OK")->click();
        if (entry.isVisible())
            button(entry, "Mégsem")->click();
        else
            ++saved;
    }
    std::printf("client_saved=%d\nclient_messages=%lld\n", saved,
                static_cast<long long>(ui.messages.size()));
    if (!ui.messages.isEmpty()) std::printf("client_message=%s\n", qPrintable(ui.messages.first()));
    app->shutdown();
    return 0;
}

// `clients` desks saving `each` tickets at once through the server named by the environment:
// throughput, and whether every ticket is whole under a number of its own.
void concurrentSaves(const QString& folder, const QProcessEnvironment& environment, int clients,
                     int each) {
    Database db;
    db.attach(environment.value(QStringLiteral("TERMARO_DATABASE")), TData::userName,
              environment.value(QStringLiteral("ISC_PASSWORD")), TData::charset);
    const auto scalar = [&db](const QString& sql) {
        auto cursor = db.open(sql, {});
        const qint64 value = cursor->next() ? cursor->current(0).asInteger() : -1;
        cursor.reset();
        db.rollback();
        return static_cast<long long>(value);
    };
    const long long before = scalar(QStringLiteral("SELECT MAX(ID_FJFEJ) FROM fjfej"));
    const long long lastBefore =
        scalar(QStringLiteral("SELECT CAST(a_fjbszam AS BIGINT) FROM sorszam WHERE a_akod = '1'"));
    std::vector<std::unique_ptr<QProcess>> desks;
    QElapsedTimer t;
    t.start();
    for (int c = 0; c < clients; ++c) {
        auto desk = std::make_unique<QProcess>();
        desk->setProcessEnvironment(environment);
        desk->start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--client"), folder, QString::number(each)});
        desks.push_back(std::move(desk));
    }
    int saved = 0;
    for (auto& desk : desks) {
        desk->waitForFinished(-1);
        for (const QByteArray& line : desk->readAllStandardOutput().split('\n')) {
            if (line.startsWith("client_saved=")) saved += line.mid(13).toInt();
            if (line.startsWith("client_message="))
                std::printf("concurrent_%s\n", line.constData());
        }
    }
    const double seconds = msSince(t) / 1000.0;
    const QString saves = QStringLiteral(" FROM fjfej f WHERE f.ID_FJFEJ > %1").arg(before);
    std::printf(
        "concurrent_clients=%d\nconcurrent_saved=%d\nconcurrent_s=%.1f\n"
        "concurrent_tickets_per_s=%.1f\n",
        clients, saved, seconds, saved / seconds);
    std::printf("concurrent_tickets_written=%lld\n", scalar("SELECT count(*)" + saves));
    std::printf("concurrent_duplicate_numbers=%lld\n",
                scalar(QStringLiteral("SELECT count(*) FROM (SELECT f_bszam FROM fjfej GROUP BY "
                                      "f_bszam HAVING count(*) > 1)")));
    std::printf("concurrent_tickets_without_one_line=%lld\n",
                scalar("SELECT count(*)" + saves +
                       " AND (SELECT count(*) FROM fjsor s WHERE s.s_bszam = f.f_bszam) <> 1"));
    // Gapless: the numbers issued run from the last one before to the numbering row.
    std::printf("concurrent_numbers_missing=%lld\n",
                scalar(QStringLiteral("SELECT CAST(a_fjbszam AS BIGINT) - %1 FROM sorszam WHERE "
                                      "a_akod = '1'")
                           .arg(lastBefore)) -
                    scalar("SELECT count(*)" + saves));
    std::printf("concurrent_numbers_held=%lld\n",
                scalar(QStringLiteral("SELECT count(*) FROM sorszamfoglalas")));
    db.detach();
}

int run(QApplication& qtApp);

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

namespace {
int run(QApplication& qtApp) {
    const QStringList args = qtApp.arguments().mid(1);
    if (args.size() == 2 && args.at(0) == QLatin1String("--measure")) return measure(args.at(1));
    if (args.size() == 3 && args.at(0) == QLatin1String("--client"))
        return saveTickets(args.at(1), args.at(2).toInt());

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
    {
        QDir::setCurrent(dir.path());
        RecordingUi ui;
        std::unique_ptr<App> app = App::start(ui);
        QElapsedTimer t;
        t.start();
        fillLargeData(app->data(), counts);
        figure("generate_ms", static_cast<long>(t.elapsed()));
        app->shutdown();
    }
    QDir::setCurrent(QDir::tempPath());
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), dir.path()});
    child.waitForFinished(-1);
    if (child.exitCode() != 0 || !args.contains(QStringLiteral("server=1")))
        return child.exitCode();

    // The same through a private Firebird server on the loopback, its figures named "server_".
    FirebirdServer server;
    if (!server.running()) {
        std::printf("server_error=%s\n", qPrintable(server.error()));
        return 1;
    }
    QProcess onServer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TERMARO_DATABASE"),
                       server.databaseName(dir.path() + QStringLiteral("/termaro.fdb")));
    environment.insert(QStringLiteral("ISC_PASSWORD"), QString::fromLatin1(server.password));
    onServer.setProcessEnvironment(environment);
    onServer.setProcessChannelMode(QProcess::SeparateChannels);
    onServer.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--measure"), dir.path()});
    onServer.waitForFinished(-1);
    for (const QByteArray& line : onServer.readAllStandardOutput().split('\n')) {
        if (line.contains('=')) std::printf("server_%s\n", line.constData());
    }
    std::fflush(stdout);
    int clients = 4, each = 1000;
    for (const QString& arg : args) {
        if (arg.startsWith(QLatin1String("clients="))) clients = arg.section('=', 1).toInt();
        if (arg.startsWith(QLatin1String("each="))) each = arg.section('=', 1).toInt();
    }
    if (onServer.exitCode() == 0 && clients > 0 && each > 0)
        concurrentSaves(dir.path(), environment, clients, each);
    return onServer.exitCode();
}
}  // namespace
