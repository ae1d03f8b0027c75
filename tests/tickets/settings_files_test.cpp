#include "tickets/settings_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/run_values.h"
#include "support/database_fixture.h"

namespace {
void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
}  // namespace

TEST(SettingsFiles, PathReplacesTheLastDotOfTheProgramName) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:/dir/prog.exe", "C:/dir/progform9.ini"},
        {"C:\\dir\\prog.exe", "C:\\dir\\progform9.ini"},
        {"/opt/app/termaro", "/opt/app/termaroform9.ini"},      // no dot: appended
        {"/opt/app.d/termaro", "/opt/app.d/termaroform9.ini"},  // a dot in a folder does not count
        {"/opt/app/termaro.v2.bin", "/opt/app/termaro.v2form9.ini"},
    };
    for (const auto& [program, expected] : cases) {
        EXPECT_EQ(settings::filePath(QString::fromUtf8(program), settings::form9),
                  QString::fromUtf8(expected));
    }
}

TEST(SettingsFiles, ReadsWindows1250KeysAndKeepsValuesOfMissingOnes) {
    QTemporaryDir dir;
    RunValues run;
    run.programFile = dir.filePath("termaro.exe");
    run.entryDefaults["form9.ini/Edit13Text"] = "kept";
    // "Súly" in the comment and "ő" in a value are single Windows-1250 bytes.
    writeBytes(
        dir.filePath("termaroform9.ini"),
        QByteArray("; S\xfaly\r\n[Other]\r\nEdit14Visible=9\r\n[form9]\r\n edit14visible = 1 \r\n"
                   "Edit14Text=\"2,5\"\r\nEdit15Visible=0\r\nEdit15Text=t\xf5le\r\n"));
    settings::readForm9(run);
    EXPECT_EQ(settings::value(run, settings::form9, "Edit14Visible"), "1");
    EXPECT_EQ(settings::value(run, settings::form9, "Edit14Text"), "2,5");
    EXPECT_EQ(settings::value(run, settings::form9, "Edit15Visible"), "0");
    EXPECT_EQ(settings::value(run, settings::form9, "Edit15Text"), QStringLiteral("tőle"));
    EXPECT_EQ(settings::value(run, settings::form9, "Edit13Text"), "kept");
    EXPECT_EQ(settings::value(run, settings::form9, "Edit13Visible"), "");

    // No form10 file at all: nothing changes.
    run.entryDefaults["form10.ini/Edit8Text"] = "7";
    settings::readForm10(run);
    EXPECT_EQ(settings::value(run, settings::form10, "Edit8Text"), "7");
    EXPECT_EQ(settings::value(run, settings::form10, "Edit10Visible"), "");
}

TEST(SettingsFiles, TheInstalledSamplesCarryEveryKey) {
    QTemporaryDir dir;
    RunValues run;
    run.programFile = dir.filePath("termaro");
    for (const QString& name : {settings::form9, settings::form10}) {
        ASSERT_TRUE(QFile::copy(repoDbFolder() + "/" + name, dir.filePath("termaro" + name)));
    }
    settings::readForm9(run);
    settings::readForm10(run);
    for (const QString& key : settings::form9Keys())
        EXPECT_NE(settings::value(run, settings::form9, key), "") << key.toStdString();
    for (const QString& key : settings::form10Keys())
        EXPECT_NE(settings::value(run, settings::form10, key), "") << key.toStdString();
    EXPECT_EQ(settings::value(run, settings::form10, "Edit8Text"), "7");
}
