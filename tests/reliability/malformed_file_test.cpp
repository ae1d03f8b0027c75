// Malformed files fed to the screens that read files: the old version's fixed-width import, the
// semicolon producer import and the merge of two declaration folders. Each kind of file ends in
// a message to the user and nothing half-done: every row in, or the failed rows reported with the
// rest in; the merge leaves both folders as they were or merges a pair whole.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <random>

#include "../exchange/exchange_test_support.h"
#include "core/win1250.h"
#include "declaration/merge_screen.h"
#include "exchange/import_rows.h"
#include "exchange/old_import.h"
#include "exchange/producer_import.h"
#include "permission_override.h"
#include "support/app_fixture.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// A kind of malformed file, made at `path` from the bytes of a good one.
struct Malformed {
    const char* name;
    std::function<void(const QString& path, const QByteArray& good)> make;
    bool unreadable = false;  // read only without root's override
    bool refused = false;     // the imports refuse the file as a whole
};

QByteArray noise() {
    std::mt19937 random(19);
    QByteArray bytes(64 * 1024, '\0');
    for (char& b : bytes) b = char(random() % 256);
    for (qsizetype i = 0; i < bytes.size(); i += 7) bytes[i] = '\0';
    return bytes;
}

QByteArray utf16(const QByteArray& windows1250) {
    const QString text = win1250::decode(windows1250);
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

const Malformed malformed[] = {
    {"lines cut short",
     [](const QString& path, const QByteArray& good) {
         QByteArray cut;
         for (const QByteArray& line : good.split('\n'))
             if (!line.isEmpty()) cut += line.left(line.size() * 2 / 3) + "\r\n";
         writeBytes(path, cut.left(cut.size() - 5));
     }},
    {"UTF-16 text",
     [](const QString& path, const QByteArray& good) { writeBytes(path, utf16(good)); }},
    {"UTF-8 text",
     [](const QString& path, const QByteArray& good) {
         writeBytes(path, win1250::decode(good).toUtf8());
     }},
    {"binary noise with NUL bytes",
     [](const QString& path, const QByteArray&) { writeBytes(path, noise()); }},
    {"one line of 40 MB",
     [](const QString& path, const QByteArray&) {
         writeBytes(path, "1" + QByteArray(40 * 1024 * 1024, '7'));
     },
     false, true},
    {"empty file", [](const QString& path, const QByteArray&) { writeBytes(path, ""); }},
    {"a folder", [](const QString& path, const QByteArray&) { QDir().mkpath(path); }, false, true},
    {"unreadable file",
     [](const QString& path, const QByteArray& good) {
         writeBytes(path, good);
         QFile::setPermissions(path, {});
     },
     true, true},
};

// The rows a screen left out because their code was stored: from its message.
int skippedRows(const QStringList& messages) {
    static const QRegularExpression skipped(QStringLiteral("^(\\d+) sor kimaradt"));
    for (const QString& m : messages) {
        const auto match = skipped.match(m);
        if (match.hasMatch()) return match.captured(1).toInt();
    }
    return 0;
}

int producers(AppFixture& f) {
    return f.scalar(QStringLiteral("SELECT count(*) FROM ostermelo")).toInt();
}

// Every row the screen took from the file is in the register, reported as failed, or reported
// as skipped; or the file was refused with a message naming it and nothing went in (a folder, an
// unreadable file, a line far longer than any row).
void expectEveryRowAccountedFor(AppFixture& f, const Malformed& kind, int before,
                                const QStringList& rows, const QString& rowFailure,
                                const QString& fileName) {
    EXPECT_FALSE(f.ui.messages.isEmpty()) << "the user is told";
    const int added = producers(f) - before;
    if (kind.refused) {
        EXPECT_EQ(added, 0);
        ASSERT_FALSE(f.ui.errors.isEmpty());
        EXPECT_TRUE(f.ui.errors.first().contains(fileName)) << f.ui.errors.first().toStdString();
        return;
    }
    EXPECT_EQ(added + int(f.ui.messages.count(rowFailure)) + skippedRows(f.ui.messages),
              int(rows.size()))
        << f.ui.messages.mid(0, 5).join('/').toStdString();
}

}  // namespace

TEST(MalformedFiles, OldVersionImportTakesEveryRowOrReportsItAndRefusesWhatItCannotRead) {
    const QByteArray good = win1250::encode(
        "X0001 Kovács Péter                                  6000 Kecskemét\r\n"
        "X0002 Szabó Éva                                     6600 Szentes\r\n");
    for (const Malformed& kind : malformed) {
        SCOPED_TRACE(kind.name);
        AppFixture f(true);
        f.chooseBuyer();
        const QString folder = f.folder() + QStringLiteral("/old/");
        QDir().mkpath(folder);
        kind.make(folder + QStringLiteral("exposterm.txt"), good);
        const int before = producers(f);
        TForm25 screen(f.app());
        screen.show();
        screen.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(folder);
        screen.findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->setChecked(false);
        screen.findChild<QCheckBox*>(QStringLiteral("CheckBox3"))->setChecked(false);
        {
            std::optional<WithoutPermissionOverride> asABuyer;
            if (kind.unreadable) asABuyer.emplace(true);
            buttonOf(&screen, QStringLiteral("Import"))->click();
        }
        // The rows: the file's lines but blank ones.
        QStringList rows;
        for (const QString& line :
             textLines(win1250::decode(fileBytes(folder + QStringLiteral("exposterm.txt")))))
            if (!line.trimmed().isEmpty()) rows << line;
        expectEveryRowAccountedFor(f, kind, before, rows,
                                   QStringLiteral("Hiba251: Újban, INSERT az östermelöben "),
                                   QStringLiteral("exposterm.txt"));
    }
}

TEST(MalformedFiles, ProducerImportTakesEveryRowOrReportsItAndRefusesWhatItCannotRead) {
    const QByteArray good = win1250::encode(
        "Kód;Név;Irsz;Helység;Utca\r\n"
        "20001;Szőke Ödön;6000;Kecskemét;Fő utca 1.\r\n"
        "20002;Öt Mező;6600;Szentes;Kossuth\r\n");
    for (const Malformed& kind : malformed) {
        SCOPED_TRACE(kind.name);
        AppFixture f(true);
        f.chooseBuyer();
        const QString path = f.folder() + QStringLiteral("/termelok.csv");
        kind.make(path, good);
        const int before = producers(f);
        TForm34 screen(f.app());
        screen.show();
        f.ui.files.push_back(path);
        {
            std::optional<WithoutPermissionOverride> asABuyer;
            if (kind.unreadable) asABuyer.emplace(true);
            buttonOf(&screen, QStringLiteral("Megnyitás"))->click();
        }
        buttonOf(&screen, QStringLiteral("Feldolgozás"))->click();
        // The rows the screen took: the list's lines but blank ones and a first line of names.
        QStringList rows;
        auto* list = screen.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
        for (int i = 0; i < list->count(); ++i)
            if (!list->item(i)->text().trimmed().isEmpty()) rows << list->item(i)->text();
        if (!rows.isEmpty() && !rows.first().isEmpty() && !rows.first().front().isDigit() &&
            !rows.first().split(u';').first().contains(QRegularExpression(QStringLiteral("\\d"))))
            rows.removeFirst();
        expectEveryRowAccountedFor(f, kind, before, rows,
                                   QStringLiteral("Hiba301: Újban, INSERT az östermelöben "),
                                   QStringLiteral("termelok.csv"));
        // Text in another encoding than the spreadsheet's own is read by its marks.
        if (QByteArray(kind.name).endsWith(" text")) {
            EXPECT_EQ(f.scalar("SELECT o_nev FROM ostermelo WHERE o_kod = '20001'"), "Szőke Ödön");
        }
    }
}

// The merge with a malformed "B" file beside a good "A" file of the same name: the user is told,
// and both folders are as they were, or the pair is merged whole (the A file holds the sum and
// the B file is set aside).
TEST(MalformedFiles, MergeLeavesBothFoldersAsTheyWereOrMergesThePairWhole) {
    const QString name = QStringLiteral("1008M202008_8123456789.imp");
    const QByteArray good = "$ny_azon=1008M\r\n12456=1000\r\n23790=250\r\n13847=71689766103\r\n";
    for (const Malformed& kind : malformed) {
        SCOPED_TRACE(kind.name);
        AppFixture f;
        QTemporaryDir a, b;
        writeBytes(a.filePath(name), good);
        kind.make(b.filePath(name), good);
        const QByteArray bBefore = fileBytes(b.filePath(name));
        TForm24 screen(f.app());
        screen.show();
        screen.findChild<QLineEdit*>(QStringLiteral("folderA"))->setText(a.path());
        screen.findChild<QLineEdit*>(QStringLiteral("folderB"))->setText(b.path());
        {
            std::optional<WithoutPermissionOverride> asABuyer;
            if (kind.unreadable) asABuyer.emplace(true);
            buttonOf(&screen, QStringLiteral("Összevonás"))->click();
        }
        // Told by a message, or by the figures before and after.
        EXPECT_TRUE(!f.ui.messages.isEmpty() ||
                    !screen.findChild<QLabel*>(QStringLiteral("figuresAfter"))->text().isEmpty());
        const QStringList inA = QDir(a.path()).entryList(QDir::Files | QDir::Hidden);
        const QStringList inB = QDir(b.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        if (QFileInfo::exists(a.filePath(QStringLiteral("1008M202008_8123456789.old")))) {
            EXPECT_EQ(fileBytes(a.filePath(QStringLiteral("1008M202008_8123456789.old"))), good);
            EXPECT_EQ(inB, QStringList{QStringLiteral("1008M202008_8123456789.old")});
        } else {
            EXPECT_EQ(inA, QStringList{name});
            EXPECT_EQ(fileBytes(a.filePath(name)), good);
            EXPECT_EQ(inB, QStringList{name});
            EXPECT_EQ(fileBytes(b.filePath(name)), bBefore);
        }
    }
}

// Amounts no declaration carries: the merge stops with a message naming the file before it
// changes anything, instead of adding them past what a number holds.
TEST(MalformedFiles, MergeRefusesAmountsBeyondAnyDeclaration) {
    const QString name = QStringLiteral("1008M202008_8123456789.imp");
    const QByteArray good = "$ny_azon=1008M\r\n12456=1000\r\n23790=250\r\n";
    for (const char* amount : {"9223372036854775807", "-9223372036854775808", "123456789012"}) {
        SCOPED_TRACE(amount);
        AppFixture f;
        QTemporaryDir a, b;
        writeBytes(a.filePath(name), good);
        const QByteArray bad = QByteArray("$ny_azon=1008M\r\n12456=") + amount + "\r\n23790=1\r\n";
        writeBytes(b.filePath(name), bad);
        TForm24 screen(f.app());
        screen.show();
        screen.findChild<QLineEdit*>(QStringLiteral("folderA"))->setText(a.path());
        screen.findChild<QLineEdit*>(QStringLiteral("folderB"))->setText(b.path());
        buttonOf(&screen, QStringLiteral("Összevonás"))->click();
        ASSERT_EQ(f.ui.errors.size(), 1);
        EXPECT_TRUE(f.ui.errors.first().contains(name)) << f.ui.errors.first().toStdString();
        EXPECT_EQ(QDir(a.path()).entryList(QDir::Files), QStringList{name});
        EXPECT_EQ(fileBytes(a.filePath(name)), good);
        EXPECT_EQ(QDir(b.path()).entryList(QDir::Files), QStringList{name});
        EXPECT_EQ(fileBytes(b.filePath(name)), bad);
    }
}
