// The program on a Firebird server: login (refused, retried, quit), the missing database's
// notice, a ticket saved through the real screens, and the backup streamed by the server's
// backup service and restored.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <map>

#include "../tickets/ticket_test_support.h"
#include "core/clock.h"
#include "core/main_window.h"
#include "core/startup.h"
#include "maintenance/backup_screen.h"
#include "maintenance/server_backup.h"
#include "registers/producer_entry.h"
#include "registers/producer_list.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"
#include "support/firebird_server.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"

using namespace tickets_test;

namespace {

const QString cannotStart =
    QStringLiteral("Az adatbáziskezelöt nem találja.\rA program müködéséhez szükséges.");

// Sets an environment variable for one test and puts the previous value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~ScopedEnvironment() {
        if (m_had)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_previous;
};

// Every row of a table as packed rows, sorted: two databases hold the same data when equal.
QList<QByteArray> tableRows(Database& db, const QString& table) {
    QList<QByteArray> rows;
    auto cursor = db.open(QStringLiteral("SELECT * FROM ") + table, {});
    QByteArray row;
    while (cursor->fetch(row)) rows << row;
    cursor.reset();
    db.rollback();
    std::sort(rows.begin(), rows.end());
    return rows;
}

const char* const tables[] = {"FJFEJ", "FJSOR", "OSTERMELO", "TERMEK", "SORSZAM", "ATVEVO"};

class Server : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new FirebirdServer; }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override { REQUIRE_SERVER(*server); }

    // A fresh database of this machine named by its server name; the program starts on it.
    std::unique_ptr<AppFixture> startOnServer(bool withDemo) {
        return std::make_unique<AppFixture>(withDemo, [this](const QString& folder) {
            qputenv("TERMARO_DATABASE",
                    server->databaseName(folder + QStringLiteral("/termaro.fdb")).toUtf8());
        });
    }

    static FirebirdServer* server;
    ScopedEnvironment m_database{"TERMARO_DATABASE", QString()};
    ScopedEnvironment m_password{"ISC_PASSWORD", QString::fromLatin1(FirebirdServer::password)};
};
FirebirdServer* Server::server = nullptr;

}  // namespace

// No password in the environment: the masked login dialog asks; a refusal shows the server's
// reason and the dialog again; the right password opens the database and the main window's
// status line names it.
TEST_F(Server, LoginRefusedThenAccepted) {
    QTemporaryDir folder;
    createDatabase(folder.path(), false);
    const QString name = server->databaseName(folder.filePath("termaro.fdb"));
    qputenv("TERMARO_DATABASE", name.toUtf8());
    qunsetenv("ISC_PASSWORD");

    RecordingUi ui;
    QStringList shown;  // the refusal shown on each opening of the dialog
    ui.onModal["LoginDialog"] = [&](QDialog& d) {
        auto* password = d.findChild<QLineEdit*>("password");
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d.findChild<QLineEdit*>("user")->text(), "SYSDBA");
        EXPECT_EQ(d.findChild<QLabel*>("database")->text(), name);
        auto* refusal = d.findChild<QLabel*>("refusal");
        shown << (refusal->isVisibleTo(&d) ? refusal->text() : QString());
        password->setText(shown.size() == 1 ? "rossz jelszó" : FirebirdServer::password);
        button(d, "Belépés")->click();
        return d.result();
    };
    std::unique_ptr<App> app = startProgram(ui);
    ASSERT_NE(app, nullptr) << ui.messages.join('|').toStdString();
    EXPECT_EQ(ui.messages, QStringList());
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "");
    EXPECT_TRUE(shown[1].contains("user name and password are not defined"))
        << shown[1].toStdString();
    EXPECT_TRUE(app->data().onServer());
    EXPECT_EQ(app->data().databasePath(), name);

    MainWindow window(*app);
    auto* status = window.findChild<QLabel*>("databaseLabel");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains(name)) << status->text().toStdString();
}

// A wrong ISC_PASSWORD brings the dialog with the server's reason; "Kilépés" ends the program
// without a further message. The right one opens without asking.
TEST_F(Server, EnvironmentPasswordAndQuit) {
    QTemporaryDir folder;
    createDatabase(folder.path(), false);
    qputenv("TERMARO_DATABASE", server->databaseName(folder.filePath("termaro.fdb")).toUtf8());

    qputenv("ISC_PASSWORD", "rossz");
    RecordingUi refused;
    QString reason;
    refused.onModal["LoginDialog"] = [&](QDialog& d) {
        reason = d.findChild<QLabel*>("refusal")->text();
        button(d, "Kilépés")->click();
        return d.result();
    };
    EXPECT_EQ(startProgram(refused), nullptr);
    EXPECT_EQ(refused.messages, QStringList());
    EXPECT_TRUE(reason.contains("user name and password")) << reason.toStdString();

    qputenv("ISC_PASSWORD", FirebirdServer::password);
    RecordingUi accepted;
    int asked = 0;
    accepted.onModal["LoginDialog"] = [&](QDialog&) { return ++asked, int(QDialog::Rejected); };
    std::unique_ptr<App> app = startProgram(accepted);
    EXPECT_NE(app, nullptr);
    EXPECT_EQ(asked, 0);
}

// The server has no such database: the notice carries the server's own message.
TEST_F(Server, MissingDatabaseNamesTheServersMessage) {
    QTemporaryDir folder;
    qputenv("TERMARO_DATABASE", server->databaseName(folder.filePath("nincs.fdb")).toUtf8());
    RecordingUi ui;
    EXPECT_EQ(startProgram(ui), nullptr);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith(cannotStart + '\r')) << ui.messages[0].toStdString();
    EXPECT_TRUE(ui.messages[0].contains("nincs.fdb")) << ui.messages[0].toStdString();
}

// A new ticket through the real screens, written through the server; another connection
// through the server sees it committed.
TEST_F(Server, TicketSavedThroughTheServer) {
    auto f = startOnServer(true);
    ASSERT_TRUE(f->data().onServer());
    f->chooseBuyer("1");
    writeSettings(*f, allVisible);
    f->run().lastSavedTicketNumber = "20260013";
    TForm8 list(f->app());
    list.show();
    EXPECT_GT(f->data().query("ZQ10").rowCount(), 0);

    f->ui.onModal["TForm9"] = [&f](QDialog& d) {
        auto& entry = static_cast<TForm9&>(d);
        pickProducer(*f, "3");
        entry.producerButton()->click();
        lineWith(*f, "1", "2");
        button(d, "Új")->click();
        button(d, "OK")->click();
        return d.result();
    };
    button(list, "Új")->click();
    EXPECT_EQ(f->ui.messages, QStringList());
    EXPECT_EQ(f->data().query("ZQ10").text("f_bszam"), "20260014");

    Database other;
    other.attach(server->databaseName(f->folder() + "/termaro.fdb"), FirebirdServer::user,
                 FirebirdServer::password, TData::charset);
    auto cursor = other.open(
        "SELECT f.f_sumvar, (SELECT count(*) FROM fjsor s WHERE s.s_bszam = f.f_bszam) "
        "FROM fjfej f WHERE f.f_bszam = '20260014'",
        {});
    QByteArray row;
    ASSERT_TRUE(cursor->fetch(row));
    EXPECT_EQ(Cursor::unpack(row, 0).asText(), "166920");  // 2 t wheat at 78 000 with 7 %
    EXPECT_EQ(Cursor::unpack(row, 1).asText(), "1");
    EXPECT_EQ(f->scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20260014");
}

// "Adatok mentése" on a server: the server's backup service streams a gbak backup into the
// chosen folder here; restored, it holds exactly the server's rows. Refusals leave no file.
TEST_F(Server, BackupStreamedByTheServerAndRestored) {
    auto f = startOnServer(true);
    setClockForTests(QDateTime(QDate(2024, 3, 15), QTime(14, 5)));
    QTemporaryDir target;
    TForm35 screen(f->app());
    screen.show();
    EXPECT_EQ(screen.findChild<QLineEdit*>("Edit1")->text(), f->data().databasePath());
    EXPECT_FALSE(screen.findChild<QPushButton*>("Button2")->isEnabled());
    screen.findChild<QLineEdit*>("Edit2")->setText(target.filePath("2024_03_15_14_05.FBK"));
    button(screen, "Mentés")->click();
    setClockForTests({});
    ASSERT_EQ(f->ui.messages,
              QStringList{"Az adatbázis átmásolva a \"Hová\" könyvtárba. Kérem ellenőrizze le."});
    EXPECT_EQ(QDir(target.path()).entryList(QDir::Files), QStringList{"2024_03_15_14_05.FBK"});

    const QString restored = target.filePath("restored.fdb");
    QProcess gbak;
    gbak.setProcessChannelMode(QProcess::MergedChannels);
    gbak.start("gbak", {"-c", target.filePath("2024_03_15_14_05.FBK"), restored});
    ASSERT_TRUE(gbak.waitForFinished(120000));
    ASSERT_EQ(gbak.exitCode(), 0) << gbak.readAll().toStdString();

    Database copy;
    copy.attach(restored, TData::userName, TData::password, TData::charset);
    for (const char* table : tables) {
        SCOPED_TRACE(table);
        const QList<QByteArray> here = tableRows(copy, table);
        EXPECT_FALSE(here.isEmpty());
        EXPECT_EQ(here, tableRows(f->data().database(), table));
    }
    copy.detach();

    struct Refusal {
        const char* name;
        QString user;
        QString password;
        QString target;
        const char* message;
    };
    const Refusal refusals[] = {
        {"wrong password", "SYSDBA", "rossz jelszó", target.filePath("a.FBK"),
         "Hiba359: Az adatbázis mentése a szerveren nem sikerült."},
        {"missing folder", "SYSDBA", FirebirdServer::password, target.filePath("nincs/a.FBK"),
         "Hiba351: A \"Hová\" könyvtár nem létezik: "},
        {"name taken", "SYSDBA", FirebirdServer::password, target.filePath("2024_03_15_14_05.FBK"),
         "Hiba352: Ilyen nevü mentés már van"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const BackupOutcome outcome =
            backupFromServer(f->data().databasePath(), r.user, r.password, r.target);
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.message.startsWith(r.message)) << outcome.message.toStdString();
        EXPECT_EQ(QDir(target.path()).entryList(QDir::Files),
                  (QStringList{"2024_03_15_14_05.FBK", "restored.fdb"}));
    }
}

// Two desks on one server: a ticket another desk is changing cannot be written at once (nowait);
// this desk is told, its typed input stays on the screen, nothing of it is written, and the save
// succeeds once the other desk has finished. What the other desk commits shows when the list is
// opened again.
TEST_F(Server, TwoDesksChangingOneTicket) {
    auto f = startOnServer(true);
    f->chooseBuyer("1");
    writeSettings(*f, allVisible);
    TForm8::openList(f->app());
    Query& tickets = f->data().query("ZQ10");
    ASSERT_GT(tickets.rowCount(), 1);
    tickets.first();
    const QString number = tickets.text("f_bszam").trimmed();
    const QString id = tickets.text("ID_FjFej").trimmed();

    Database other;
    other.attach(server->databaseName(f->folder() + "/termaro.fdb"), FirebirdServer::user,
                 FirebirdServer::password, TData::charset);
    other.execute(
        QStringLiteral("UPDATE fjfej SET f_megj = 'masik asztal' WHERE ID_FjFej = %1").arg(id), {});

    f->run().ticketEntryMode = "Felvásárlási jegy módositás";
    TForm9 change(f->app());
    change.fill();
    change.show();
    change.field("F_MEGJ")->setText("ez az asztal");
    f->ui.messages.clear();
    button(change, "OK")->click();
    EXPECT_EQ(f->ui.messages, QStringList{"Hiba95: Módositás, UPDATE a Fjegy fejben "});
    EXPECT_TRUE(change.isVisible());
    EXPECT_EQ(change.field("F_MEGJ")->text(), "ez az asztal");
    EXPECT_NE(f->scalar(QStringLiteral("SELECT f_megj FROM fjfej WHERE ID_FjFej = %1").arg(id)),
              "ez az asztal");

    other.rollback();
    f->ui.messages.clear();
    button(change, "OK")->click();
    EXPECT_EQ(f->ui.messages, QStringList());
    EXPECT_FALSE(change.isVisible());
    EXPECT_EQ(
        f->scalar(QStringLiteral("SELECT f_megj FROM fjfej WHERE f_bszam = '%1'").arg(number)),
        "ez az asztal");

    // The other desk changes a second ticket and commits: the list opened again shows it.
    tickets.last();
    const QString secondId = tickets.text("ID_FjFej").trimmed();
    other.execute(QStringLiteral("UPDATE fjfej SET f_megj = 'masik asztal' WHERE ID_FjFej = %1")
                      .arg(secondId),
                  {});
    other.commit();
    TForm8::openList(f->app());
    ASSERT_TRUE(tickets.locate(QStringLiteral("ID_FjFej"), secondId, false, false));
    EXPECT_EQ(tickets.text("f_megj").trimmed(), "masik asztal");
    other.detach();
}

// The same for a producer: the second desk's change is refused at once, its input stays, and it
// is written once the other desk has finished.
TEST_F(Server, TwoDesksChangingOneProducer) {
    auto f = startOnServer(true);
    TForm4::reload(f->app());
    Query& producers = f->data().query("ZQ30");
    ASSERT_GT(producers.rowCount(), 0);
    const QString id = producers.text("ID_ostermelo").trimmed();

    Database other;
    other.attach(server->databaseName(f->folder() + "/termaro.fdb"), FirebirdServer::user,
                 FirebirdServer::password, TData::charset);
    other.execute(
        QStringLiteral("UPDATE ostermelo SET o_nev = 'Masik Asztal' WHERE ID_ostermelo = %1")
            .arg(id),
        {});

    f->run().producerEntryMode = "Őstermelő módositás";
    TForm5 change(f->app());
    ASSERT_TRUE(change.load());
    change.show();
    change.field("O_NEV")->setText("Ez Az Asztal");
    f->ui.messages.clear();
    button(change, "OK")->click();
    EXPECT_EQ(f->ui.messages, QStringList{"Hiba53: Módositás, Update a östermelöben "});
    EXPECT_TRUE(change.isVisible());
    EXPECT_EQ(change.field("O_NEV")->text(), "Ez Az Asztal");

    other.rollback();
    other.detach();
    f->ui.messages.clear();
    button(change, "OK")->click();
    EXPECT_EQ(f->ui.messages, QStringList());
    EXPECT_EQ(
        f->scalar(QStringLiteral("SELECT o_nev FROM ostermelo WHERE ID_ostermelo = %1").arg(id)),
        "Ez Az Asztal");
}

// Two desks entering new tickets at once on one database. Each entry holds its number from the
// moment it shows it: the second desk is shown the next one, lines written before the save stay
// with their own ticket whichever desk saves first, a number given back is handed out again
// first, and a desk that ended without closing its entry does not keep its number.
TEST_F(Server, TwoDesksEnteringNewTicketsKeepTheirOwnNumbersAndLines) {
    auto a = startOnServer(true);
    a->chooseBuyer("1");
    writeSettings(*a, allVisible);
    const QString shared = server->databaseName(a->folder() + "/termaro.fdb");
    const auto secondDesk = [&] {
        auto desk = std::make_unique<AppFixture>(
            false, [&](const QString&) { qputenv("TERMARO_DATABASE", shared.toUtf8()); });
        desk->chooseBuyer("1");
        writeSettings(*desk, allVisible);
        return desk;
    };
    auto b = secondDesk();
    a->run().ticketEntryMode = b->run().ticketEntryMode = "Új felvásárlási jegy";

    // Opens an entry on `desk` and writes one line of product 1 with `quantity`.
    const auto entryWithLine = [](AppFixture& desk, const QString& quantity) {
        auto entry = std::make_unique<TForm9>(desk.app());
        entry->show();
        pickProducer(desk, "3");
        entry->producerButton()->click();
        lineWith(desk, "1", quantity);
        button(*entry, "Új")->click();
        return entry;
    };
    // "lines:quantity" under a number.
    const auto lines = [&](const QString& number) {
        return a->scalar(QStringLiteral("SELECT count(*) || ':' || COALESCE(CAST(SUM(s_brutto) "
                                        "AS INTEGER), 0) FROM fjsor WHERE s_bszam = '%1'")
                             .arg(number));
    };

    auto first = entryWithLine(*a, "2");
    auto second = entryWithLine(*b, "3");
    EXPECT_EQ(first->documentNumber(), "20260014");
    EXPECT_EQ(second->documentNumber(), "20260015");
    button(*second, "OK")->click();  // the later number is saved first
    button(*first, "OK")->click();
    EXPECT_EQ(a->ui.messages, QStringList());
    EXPECT_EQ(b->ui.messages, QStringList());
    EXPECT_EQ(lines("20260014"), "1:2");
    EXPECT_EQ(lines("20260015"), "1:3");
    EXPECT_EQ(a->scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20260015");

    // A cancels while B's later number is saved: A's number goes to the next entry.
    auto cancelled = entryWithLine(*a, "4");
    auto kept = entryWithLine(*b, "5");
    EXPECT_EQ(cancelled->documentNumber(), "20260016");
    EXPECT_EQ(kept->documentNumber(), "20260017");
    button(*cancelled, "Mégsem")->click();
    button(*kept, "OK")->click();
    auto gap = entryWithLine(*b, "6");
    EXPECT_EQ(gap->documentNumber(), "20260016");
    EXPECT_EQ(lines("20260016"), "1:6") << "the cancelled entry's line is gone";
    button(*gap, "OK")->click();
    EXPECT_EQ(b->ui.messages, QStringList());
    EXPECT_EQ(lines("20260017"), "1:5");
    EXPECT_EQ(a->scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20260017");

    // B ends with an entry open: its number is the next one A is shown.
    auto abandoned = entryWithLine(*b, "7");
    EXPECT_EQ(abandoned->documentNumber(), "20260018");
    // The desk goes away without closing it. Its grids let go of the desk's queries first: a
    // view's pending fetch would otherwise read them after the desk is gone.
    for (auto* view : abandoned->findChildren<QAbstractItemView*>()) view->setModel(nullptr);
    abandoned.release()->hide();
    b.reset();
    auto next = entryWithLine(*a, "8");
    EXPECT_EQ(next->documentNumber(), "20260018");
    EXPECT_EQ(lines("20260018"), "1:8");
    button(*next, "OK")->click();
    EXPECT_EQ(a->scalar("SELECT count(*) FROM fjfej WHERE f_bszam BETWEEN '20260014' AND "
                        "'20260018'"),
              "5");
    EXPECT_EQ(a->scalar("SELECT count(*) FROM sorszamfoglalas"), "0");
}

namespace {
// Tells a copy of this test program to act as one desk of the loop below.
constexpr const char* deskLoopVariable = "TERMARO_TEST_DESK_SAVES";
}  // namespace

// One desk of the loop below, run in a process of its own on the database named by the
// environment: saves the given count of new tickets, each with one line of a quantity of its own,
// and prints "number|quantity" for every one saved; or holds one entry open until killed.
TEST(ServerDesk, SavesNewTicketsWhenAsked) {
    const QStringList job = qEnvironmentVariable(deskLoopVariable).split(QLatin1Char(':'));
    if (job.size() != 2) GTEST_SKIP() << "run by TwoDeskProcessesSavingAtOnce";
    const int desk = job[0].toInt();
    AppFixture f(false, [](const QString&) {});
    f.chooseBuyer("1");
    writeSettings(f, allVisible);
    f.run().ticketEntryMode = "Új felvásárlási jegy";
    if (job[1] == QLatin1String("hold")) {
        // Opens an entry with a line, prints "held number|attachment" and waits to be killed.
        TForm9 entry(f.app());
        entry.show();
        pickProducer(f, "3");
        entry.producerButton()->click();
        lineWith(f, "1", "9");
        button(entry, "Új")->click();
        std::printf("held %s|%lld\n", qPrintable(entry.documentNumber()),
                    static_cast<long long>(f.data().connectionId()));
        std::fflush(stdout);
        QThread::sleep(120);
        return;
    }
    const int count = job[1].toInt();
    for (int i = 0; i < count; ++i) {
        const QString quantity = QString::number(desk * 100 + i + 1);
        TForm9 entry(f.app());
        entry.show();
        pickProducer(f, "3");
        entry.producerButton()->click();
        lineWith(f, "1", quantity);
        button(entry, "Új")->click();
        button(entry, "OK")->click();
        ASSERT_FALSE(entry.isVisible()) << qPrintable(f.ui.messages.join('\n'));
        std::printf("saved %s|%s\n", qPrintable(entry.documentNumber()), qPrintable(quantity));
        std::fflush(stdout);
    }
    EXPECT_EQ(f.ui.messages, QStringList());
}

// Two desks in processes of their own save new tickets with lines at the same time on one
// database: every ticket holds exactly its own line, the numbers are unique and run without a
// gap, and no number stays held.
TEST_F(Server, TwoDeskProcessesSavingAtOnce) {
    auto f = startOnServer(true);
    f->chooseBuyer("1");
    writeSettings(*f, allVisible);
    const QString first = f->scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'");
    constexpr int each = 40;
    std::vector<std::unique_ptr<QProcess>> desks;
    for (int desk = 1; desk <= 2; ++desk) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TERMARO_DATABASE", server->databaseName(f->folder() + "/termaro.fdb"));
        environment.insert(deskLoopVariable, QStringLiteral("%1:%2").arg(desk).arg(each));
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(),
                       {"--gtest_filter=ServerDesk.SavesNewTicketsWhenAsked"});
        desks.push_back(std::move(process));
    }
    std::map<QString, QString> quantityOf;  // number -> quantity, as the desks reported
    for (auto& desk : desks) {
        ASSERT_TRUE(desk->waitForFinished(300000));
        const QByteArray out = desk->readAllStandardOutput();
        EXPECT_EQ(desk->exitCode(), 0)
            << out.constData() << desk->readAllStandardError().constData();
        for (const QByteArray& line : out.split('\n')) {
            if (!line.startsWith("saved ")) continue;
            const QStringList saved = QString::fromUtf8(line.mid(6)).split('|');
            EXPECT_TRUE(quantityOf.emplace(saved[0], saved[1]).second) << "twice: " << line.data();
        }
    }
    ASSERT_EQ(quantityOf.size(), 2u * each);

    // Every number from the first free one on, each once, each with the line its desk wrote.
    qint64 number = first.toLongLong();
    for (const auto& [saved, quantity] : quantityOf) {
        EXPECT_EQ(saved.toLongLong(), ++number) << "a gap before " << qPrintable(saved);
        EXPECT_EQ(f->scalar(QStringLiteral("SELECT count(*) || ':' || CAST(SUM(s_brutto) AS "
                                           "INTEGER) FROM fjsor WHERE s_bszam = '%1'")
                                .arg(saved)),
                  "1:" + quantity)
            << qPrintable(saved);
    }
    EXPECT_EQ(
        f->scalar(QStringLiteral("SELECT count(*) FROM fjfej WHERE f_akod = '1' AND f_bszam > '%1'")
                      .arg(first)),
        QString::number(2 * each));
    EXPECT_EQ(f->scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"),
              QString::number(number));
    EXPECT_EQ(f->scalar("SELECT count(*) FROM sorszamfoglalas"), "0");
}

// A desk killed with an entry open: once the server has let its attachment go, the number it
// held is the next one another desk is shown, without the killed desk's line.
TEST_F(Server, KilledDeskNumberGivenOutAgain) {
    auto f = startOnServer(true);
    f->chooseBuyer("1");
    writeSettings(*f, allVisible);
    f->run().ticketEntryMode = "Új felvásárlási jegy";
    const QString database = server->databaseName(f->folder() + "/termaro.fdb");
    QProcess killed;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TERMARO_DATABASE", database);
    environment.insert(deskLoopVariable, "1:hold");
    killed.setProcessEnvironment(environment);
    killed.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=ServerDesk.SavesNewTicketsWhenAsked"});
    QByteArray out;
    const auto heldLine = [&out] {
        const int at = out.indexOf("held ");
        return at >= 0 && out.indexOf('\n', at) >= 0;
    };
    while (!heldLine() && killed.waitForReadyRead(60000)) out += killed.readAllStandardOutput();
    const int at = out.indexOf("held ");
    ASSERT_GE(at, 0) << killed.readAllStandardError().constData();
    const QStringList held =
        QString::fromUtf8(out.mid(at + 5, out.indexOf('\n', at) - at - 5)).split('|');
    ASSERT_EQ(held.size(), 2);
    killed.kill();
    killed.waitForFinished();

    Database other;
    other.attach(database, FirebirdServer::user, FirebirdServer::password, TData::charset);
    for (int wait = 0; wait < 100; ++wait) {
        auto cursor = other.open(
            "SELECT count(*) FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + held[1], {});
        const bool gone = cursor->next() && cursor->current(0).asInteger() == 0;
        cursor.reset();
        other.rollback();
        if (gone) break;
        QThread::msleep(50);
    }
    other.detach();

    TForm9 entry(f->app());
    entry.show();
    pickProducer(*f, "3");
    entry.producerButton()->click();
    lineWith(*f, "1", "4");
    button(entry, "Új")->click();
    EXPECT_EQ(entry.documentNumber(), held[0]);
    button(entry, "OK")->click();
    EXPECT_EQ(f->ui.messages, QStringList());
    EXPECT_EQ(f->scalar(QStringLiteral("SELECT count(*) || ':' || CAST(SUM(s_brutto) AS INTEGER) "
                                       "FROM fjsor WHERE s_bszam = '%1'")
                            .arg(held[0])),
              "1:4");
    EXPECT_EQ(f->scalar("SELECT count(*) FROM sorszamfoglalas"), "0");
}
