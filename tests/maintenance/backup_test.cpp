// The backup copy: consistent while the program holds uncommitted work, refusals that leave
// nothing behind, and the screen's paths.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include "core/clock.h"
#include "maintenance/backup.h"
#include "maintenance/backup_screen.h"
#include "support/app_fixture.h"

namespace {

// Runs one SELECT with isql-fb on a database file and returns its output.
QString isql(const QString& database, const QString& sql) {
    QProcess p;
    p.start("isql-fb", {"-q", "-user", "SYSDBA", "-password", "quorvenda", database});
    p.waitForStarted();
    p.write((sql + ";\nquit;\n").toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

QStringList files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void insertProduct(TData& data, const QString& code) {
    Query& q = data.query("ZQ91");
    q.setSql("INSERT INTO termek (t_kod, t_megnevezes) VALUES (:p1, 'Mentés próba')");
    q.bindText("p1", code);
    q.execSql();
}

}  // namespace

TEST(Backup, ConsistentCopyWhileTheProgramHoldsUncommittedWork) {
    AppFixture f(true);
    QTemporaryDir target;
    insertProduct(f.data(), "B1");
    f.data().commit();
    insertProduct(f.data(), "B2");  // not committed while the copy is taken

    const QString copy = target.filePath("2024_03_15_14_05.FDB");
    const BackupOutcome outcome = backupDatabase(f.app().workPath("termaro.fdb"), copy);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString() << outcome.detail.toStdString();
    EXPECT_EQ(outcome.message,
              "Az adatbázis átmásolva a \"Hová\" könyvtárba. Kérem ellenőrizze le.");
    EXPECT_EQ(files(target.path()), QStringList{"2024_03_15_14_05.FDB"});

    // The program goes on writing after the copy.
    insertProduct(f.data(), "B3");
    f.data().commit();

    const QString copied =
        isql(copy, "SELECT 'N=' || COUNT(*) FROM termek WHERE t_kod IN ('B1','B2','B3')");
    EXPECT_TRUE(copied.contains("N=1")) << copied.toStdString();
    const QString state = isql(copy, "SELECT 'S=' || MON$BACKUP_STATE FROM MON$DATABASE");
    EXPECT_TRUE(state.contains("S=0")) << state.toStdString();
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM termek WHERE t_kod IN ('B1','B2','B3')"), "3");
    EXPECT_EQ(f.scalar("SELECT MON$BACKUP_STATE FROM MON$DATABASE"), "0");
}

TEST(Backup, RefusalsNameTheCauseAndLeaveNothing) {
    AppFixture f;
    QTemporaryDir target;
    const QString source = f.app().workPath("termaro.fdb");
    const QString copy = target.filePath("2024_03_15_14_05.FDB");

    BackupOutcome missingSource = backupDatabase(f.app().workPath("nincs.fdb"), copy);
    EXPECT_EQ(missingSource.message, "Hiba! A \"Honnan\" -ban megadott fálj nem létezik.");
    BackupOutcome missingFolder = backupDatabase(source, target.filePath("nincs/x.FDB"));
    EXPECT_TRUE(missingFolder.message.startsWith("Hiba351: "))
        << missingFolder.message.toStdString();
    EXPECT_TRUE(files(target.path()).isEmpty());

    ASSERT_TRUE(backupDatabase(source, copy).ok);
    const QByteArray first = [&] {
        QFile f(copy);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    BackupOutcome sameMinute = backupDatabase(source, copy);
    EXPECT_FALSE(sameMinute.ok);
    EXPECT_TRUE(sameMinute.message.startsWith("Hiba352: ")) << sameMinute.message.toStdString();
    EXPECT_EQ(files(target.path()), QStringList{"2024_03_15_14_05.FDB"});
    QFile again(copy);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), first);
}

TEST(Backup, TheScreenProposesTheOpenDatabaseAndATimeStampedTarget) {
    AppFixture f;
    QTemporaryDir drive, chosen;
    qputenv("TERMARO_C_DRIVE", drive.path().toLocal8Bit());
    setClockForTests(QDateTime(QDate(2024, 3, 15), QTime(14, 5, 59)));
    TForm35 screen(f.app());
    screen.show();
    auto* source = screen.findChild<QLineEdit*>("Edit1");
    auto* target = screen.findChild<QLineEdit*>("Edit2");
    EXPECT_EQ(source->text(), f.app().workPath("termaro.fdb"));
    EXPECT_EQ(target->text(), drive.path() + "/termaro/ment/2024_03_15_14_05.FDB");

    // "Hová": the picked folder with a name made now; then the copy goes there.
    setClockForTests(QDateTime(QDate(2024, 3, 15), QTime(15, 0)));
    f.ui.files.push_back(chosen.filePath("barmi.fdb"));
    screen.findChild<QPushButton*>("Button3")->click();
    EXPECT_EQ(target->text(), chosen.filePath("2024_03_15_15_00.FDB"));
    screen.findChild<QPushButton*>("Button1")->click();
    EXPECT_EQ(f.ui.messages.last(),
              "Az adatbázis átmásolva a \"Hová\" könyvtárba. Kérem ellenőrizze le.");
    EXPECT_EQ(files(chosen.path()), QStringList{"2024_03_15_15_00.FDB"});
    setClockForTests(QDateTime());
    qunsetenv("TERMARO_C_DRIVE");
}
