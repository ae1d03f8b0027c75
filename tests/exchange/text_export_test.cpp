#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

#include "core/win1250.h"
#include "exchange/text_export.h"
#include "exchange_test_support.h"
#include "support/app_fixture.h"

namespace {

class TextExport : public ::testing::Test {
protected:
    TextExport() : f(true) {
        f.chooseBuyer();
        QDir(f.folder()).mkdir(QStringLiteral("out"));
        out = f.folder() + QStringLiteral("/out");
    }

    // Runs "Export" with `prefix` in "Hová:" and only the tables whose box is ticked in `ticked`.
    std::unique_ptr<TForm29> exportTo(const QString& prefix, const QList<int>& ticked = {}) {
        auto screen = std::make_unique<TForm29>(f.app());
        screen->show();
        if (!ticked.isEmpty()) {
            for (int i = 1; i <= 6; ++i) {
                screen->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(i))
                    ->setChecked(ticked.contains(i));
            }
        }
        screen->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(prefix);
        buttonOf(screen.get(), QStringLiteral("Export"))->click();
        return screen;
    }

    AppFixture f;
    QString out;
};

TEST_F(TextExport, WritesTheSixTablesColonEnclosedInWindows1250WithCrLf) {
    f.exec("UPDATE atvevo SET v_szeria = NULL WHERE v_akod = '2'");
    // A folder named without its closing separator still receives the files inside it.
    auto screen = exportTo(out);
    EXPECT_EQ(f.ui.messages, QStringList{"Exportálás vége. "});
    EXPECT_EQ(screen->result(), QDialog::Accepted);

    const QByteArray buyers = fileBytes(out + "/atvevo.txt");
    const QByteArray expectedBuyers =
        QByteArray(
            ":1:,:Tisza-Mez\xF5 Term\xE9ny Kft.:,:Kecskem\xE9t:,:Szolnoki:,:6000:,"
            ":14287532203:,: :,::*\r\n") +
        win1250::encode(QStringLiteral(":2:,:Bodnár Zsolt egyéni vállalkozó:,:Szentes:,"
                                       ":Kossuth:,:6600:,:61588138206:,::,:L:*\r\n"));
    EXPECT_EQ(buyers, expectedBuyers);

    const QByteArray headers = fileBytes(out + "/FjFej.txt");
    EXPECT_TRUE(headers.startsWith(":1:,:20260001:,:1:,:1:,:2026.01.12:,:1030730:,:0:,:I:,::*\r\n"))
        << headers.left(200).toStdString();
    const QByteArray lines = fileBytes(out + "/FjSor.txt");
    EXPECT_TRUE(lines.startsWith(win1250::encode(QStringLiteral(
        ":1:,:20260001:,:1:,:Étkezési búza:,:10019900:,:12,35:,:t:,:78000:,:7:*\r\n"))))
        << lines.left(200).toStdString();
    EXPECT_EQ(lines.count("\r\n"), f.scalar("SELECT COUNT(*) FROM fjsor").toInt());
    EXPECT_EQ(lines.count('\n'), lines.count("\r\n"));

    struct Table {
        const char* file;
        const char* count;
    };
    const Table tables[] = {
        {"ostermelo.txt", "SELECT COUNT(*) FROM ostermelo"},
        {"sorszam.txt", "SELECT COUNT(*) FROM sorszam"},
        {"termek.txt", "SELECT COUNT(*) FROM termek"},
        {"FjFej.txt", "SELECT COUNT(*) FROM fjfej"},
    };
    for (const Table& t : tables) {
        const QByteArray bytes = fileBytes(out + '/' + t.file);
        EXPECT_EQ(bytes.count("*\r\n"), f.scalar(t.count).toInt()) << t.file;
    }
}

TEST_F(TextExport, PrefixIsFollowedDirectlyByTheNameAndOnlyTickedTablesAreWritten) {
    // "out/x" is no folder: as typed, it starts the file names.
    exportTo(out + "/x", {4});
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"xtermek.txt"});
    // A trailing backslash works as before.
    exportTo(out + "\\", {3});
    EXPECT_TRUE(QFile::exists(out + "/sorszam.txt"));
}

TEST_F(TextExport, AFileThatCannotBeWrittenStopsTheExportAndKeepsTheOldOne) {
    writeBytes(out + "/atvevo.txt", "old buyers");
    // A folder where the producer file should go: it cannot be replaced by a file.
    QDir(out).mkdir("ostermelo.txt");
    auto screen = exportTo(out + "/");
    ASSERT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(f.ui.errors.first().contains("ostermelo.txt")) << f.ui.errors.first().toStdString();
    EXPECT_FALSE(f.ui.messages.contains("Exportálás vége. "));
    EXPECT_TRUE(screen->isVisible());
    EXPECT_NE(fileBytes(out + "/atvevo.txt"), QByteArray("old buyers"));  // finished before
    EXPECT_FALSE(QFile::exists(out + "/termek.txt"));                     // not reached
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"atvevo.txt"});

    // A missing folder fails the first file; the old file elsewhere is untouched.
    f.ui.errors.clear();
    exportTo(out + "/missing/");
    EXPECT_EQ(f.ui.errors.size(), 1);
}

}  // namespace
