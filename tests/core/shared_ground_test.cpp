// The shared ground of file work: the working folder, Windows default paths, safe file
// replacement, the clock, starting other programs, the write path and result column types.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "core/clock.h"
#include "core/paths.h"
#include "core/qt_ui.h"
#include "core/report_request.h"
#include "core/safe_file.h"
#include "core/write.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~EnvironmentValue() {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

}  // namespace

TEST(WindowsDefaultPath, MapsTheDriveRootAndKeepsTheRest) {
    EnvironmentValue drive("TERMARO_C_DRIVE", "/srv/cdrive/");
    const struct {
        const char* windows;
        const char* local;
    } cases[] = {
        {"C:\\TERMARO\\08\\", "/srv/cdrive/TERMARO/08/"},
        {"c:\\Termaro16\\", "/srv/cdrive/Termaro16/"},
        {"C:\\dorvakel\\fjegy_keszlethez.xml", "/srv/cdrive/dorvakel/fjegy_keszlethez.xml"},
        {"C:\\", "/srv/cdrive/"},
        {"C:", "/srv/cdrive/"},
        {"mappa\\fajl.txt", "mappa/fajl.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windowsDefaultPath(QString::fromUtf8(c.windows)), QString::fromUtf8(c.local))
            << c.windows;
    }
}

TEST(WindowsDefaultPath, DefaultsToTheHomeFolder) {
    EnvironmentValue drive("TERMARO_C_DRIVE", "");
    EXPECT_EQ(windowsDefaultPath("C:\\TERMARO\\ment\\"), QDir::homePath() + "/TERMARO/ment/");
}

TEST(SafeFile, ReplacesTheTargetWholeOrLeavesItAsItWas) {
    QTemporaryDir dir;
    const QString target = dir.filePath("export.txt");
    ASSERT_EQ(writeFileSafely(target, "old\r\n"), "");
    EXPECT_EQ(readAll(target), "old\r\n");

    {  // written in pieces, abandoned before the commit: the old file stays, no temporary stays
        SafeFile file(target);
        ASSERT_TRUE(file.open());
        file.write("new half");
    }
    EXPECT_EQ(readAll(target), "old\r\n");
    EXPECT_EQ(entries(dir.path()), QStringList{"export.txt"});

    SafeFile file(target);
    ASSERT_TRUE(file.open());
    file.write("new ");
    file.write("whole\r\n");
    EXPECT_TRUE(file.commit()) << file.errorText().toStdString();
    EXPECT_EQ(readAll(target), "new whole\r\n");
    EXPECT_EQ(entries(dir.path()), QStringList{"export.txt"});
}

TEST(SafeFile, AMissingFolderIsReportedAndNothingIsWritten) {
    QTemporaryDir dir;
    const QString error = writeFileSafely(dir.filePath("nincs/export.txt"), "x");
    EXPECT_TRUE(error.contains("nincs")) << error.toStdString();
    EXPECT_TRUE(entries(dir.path()).isEmpty());
}

TEST(Clock, FixedForTestsAndRestored) {
    const QDateTime fixed(QDate(2024, 8, 31), QTime(23, 59));
    setClockForTests(fixed);
    EXPECT_EQ(clockNow(), fixed);
    setClockForTests(QDateTime());
    EXPECT_LT(qAbs(clockNow().secsTo(QDateTime::currentDateTime())), 5);
}

TEST(Launch, OnlyProgramsOnThePathStart) {
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    const QString program = dir.filePath("termaro-probe");
    {
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch \"$1\"\n");
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QtUi ui;
    EXPECT_FALSE(ui.launch("termaro-probe", {marker}));  // in the current folder, not on PATH
    EXPECT_FALSE(ui.launch("no-such-termaro-program", {}));
    {
        EnvironmentValue path("PATH", (dir.path() + ":" + qgetenv("PATH")).toLocal8Bit());
        EXPECT_TRUE(ui.launch("termaro-probe", {marker}));
    }
    QDir::setCurrent(previous);
    for (int i = 0; i < 100 && !QFile::exists(marker); ++i) QThread::msleep(20);
    EXPECT_TRUE(QFile::exists(marker));
}

TEST(WorkFolder, FileDialogsNeverMoveItAndTemplatesStillResolve) {
    AppFixture f(true);
    ASSERT_TRUE(QFile::copy(repoDbFolder() + "/Demo.frf", f.folder() + "/Demo.frf"));
    EXPECT_EQ(f.app().workFolder(), QDir(f.folder()).absolutePath());
    EXPECT_EQ(f.app().workPath("Demo.frf"), QDir(f.folder()).filePath("Demo.frf"));
    EXPECT_EQ(f.app().workPath("/abs/x.txt"), "/abs/x.txt");

    // A dialog that moves the process's folder, as native ones may: previews still work.
    QTemporaryDir elsewhere;
    f.ui.dialogsMoveCurrentFolder = true;
    f.ui.files.push_back(elsewhere.filePath("valami.imp"));
    EXPECT_EQ(f.ui.openFileName({}), elsewhere.filePath("valami.imp"));
    ASSERT_EQ(QDir::currentPath(), QDir(elsewhere.path()).absolutePath());
    f.chooseBuyer();
    Query& q = f.data().query("ZQ30");
    q.setSql("SELECT * FROM ostermelo ORDER BY o_kod");
    q.open();
    EXPECT_TRUE(reportRequest(f.app(), ReportComponent::frMegtekint, "Demo.frf", false));
    EXPECT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join("\n").toStdString();
    EXPECT_EQ(f.ui.reports.size(), 1);
}

TEST(WritePath, AFailedStatementRollsBackAndShowsItsMessage) {
    AppFixture f(true);
    const QString before = f.scalar("SELECT COUNT(*) FROM termek");
    const bool written = runWrite(f.app(), "Hiba1", "Hiba2", [&] {
        Query& q = f.data().query("ZQ91");
        q.setSql("DELETE FROM termek");
        q.execSql();
        q.setSql("INSERT INTO nincs_ilyen_tabla VALUES (1)");
        q.execSql();
    });
    EXPECT_FALSE(written);
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba2"});
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM termek"), before);
}

TEST(WritePath, ARowStepUndoesOnlyItsOwnRowAndTheImportGoesOn) {
    AppFixture f;
    QStringList failures;
    TData& data = f.data();
    auto run = [&](const QString& sql, const QString& code) {
        Query& q = data.query("ZQ91");
        q.setSql(sql);
        q.bindText("p1", code);
        q.execSql();
    };
    ASSERT_TRUE(runWrite(f.app(), "Hiba", [&] {
        for (const QString code : {"901", "902", "903"}) {
            runRowStep(
                f.app(),
                [&] {
                    run("INSERT INTO termek (t_kod, t_megnevezes) VALUES (:p1, 'Termék')", code);
                    // The second row's later statement fails: its first one must go too.
                    run("UPDATE termek SET t_vtsz = :p1 || '-12345678' WHERE t_kod = :p1",
                        code == QLatin1String("902") ? code : QString());
                },
                [&](const QString&) { failures << code; });
        }
    }));
    EXPECT_EQ(failures, QStringList{"902"});
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM termek WHERE t_kod IN ('901', '903')"), "2");
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM termek WHERE t_kod = '902'"), "0");
}

TEST(QueryFieldType, ComesFromTheResultMetadata) {
    AppFixture f;
    Query& q = f.data().query("ZQ91");
    q.setSql(
        "SELECT CAST('a' AS VARCHAR(5)) AS t, CAST(1 AS INTEGER) AS i, "
        "CAST(1.5 AS NUMERIC(18,4)) AS d, CAST(1.5 AS DOUBLE PRECISION) AS r, "
        "CAST('2024-01-02' AS DATE) AS dt, CAST(NULL AS DATE) AS nd FROM rdb$database");
    q.open();
    const std::vector<FieldType> expected = {FieldType::Text,    FieldType::Integer,
                                             FieldType::Decimal, FieldType::Double,
                                             FieldType::Date,    FieldType::Date};
    ASSERT_EQ(q.fieldCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(q.fieldType(i), expected[i]) << i;
}
