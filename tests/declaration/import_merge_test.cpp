#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "core/errors.h"
#include "declaration/import_merge.h"
#include "declaration/line_file.h"
#include "declaration/merge_screen.h"
#include "declaration_helpers.h"

using namespace declaration_test;

namespace {

// A 2408M file with the paid amount, and an older-form file with its two line-455 amounts.
QByteArray paidFile(const char* taxId, const char* amount) {
    return QByteArray(
               "$ny_azon=2408M\r\n$sorok_sz\xE1ma=26\r\n$info=00001_Kov\xE1"
               "cs_") +
           taxId + "\r\n13844=" + taxId + "\r\n24804=" + amount + "\r\n24805=1\r\n";
}
QByteArray oldFormFile(const char* animal, const char* plant) {
    return QByteArray("$ny_azon=1008M\r\n12456=") + animal + "\r\n23790=" + plant +
           "\r\n13847=71689766103\r\n";
}

class ImportMerge : public ::testing::Test {
protected:
    ImportMerge() {
        f.chooseBuyer();
        a = drive.makeFolder("Termaro16");
        b = drive.makeFolder("pendrive");
    }
    std::unique_ptr<TForm24> open() {
        auto screen = std::make_unique<TForm24>(f.app());
        screen->show();
        screen->findChild<QLineEdit*>("folderA")->setText(a);
        screen->findChild<QLineEdit*>("folderB")->setText(b);
        return screen;
    }
    QStringList listed(TForm24& s, const char* name) {
        QStringList names;
        auto* list = s.findChild<QListWidget*>(name);
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
    void put(const QString& folder, const QString& name, const QByteArray& bytes) {
        writeBytes(folder + '/' + name, bytes);
    }

    CDrive drive;
    AppFixture f;
    QString a, b;
};

const QString pairName = "2408M202408_8347708363.imp";
const QString oldPair = "1008M202008_8123456789.imp";

TEST_F(ImportMerge, MergesEveryPairAndSetsTheOriginalsAside) {
    put(a, pairName, paidFile("8347708363", "1000"));
    put(b, pairName, paidFile("8347708363", " 235 "));
    put(a, oldPair, oldFormFile("10", "20"));
    put(b, oldPair, oldFormFile("1", ""));
    put(a, "2408M202408_1111111111.imp", paidFile("1111111111", "7"));
    put(b, "2408M202408_2222222222.imp", paidFile("2222222222", "9"));
    const auto aBefore = snapshot(a);
    const auto bBefore = snapshot(b);
    auto s = open();
    button(*s, "Összevonás")->click();
    EXPECT_EQ(f.ui.messages, QStringList());
    EXPECT_EQ(f.ui.errors, QStringList());

    EXPECT_EQ(readBytes(a + '/' + pairName), paidFile("8347708363", "1235"));
    EXPECT_EQ(readBytes(a + "/2408M202408_8347708363.old"), aBefore.at(pairName));
    EXPECT_EQ(readBytes(b + "/2408M202408_8347708363.old"), bBefore.at(pairName));
    EXPECT_EQ(readBytes(a + '/' + oldPair), oldFormFile("11", "20"));
    EXPECT_EQ(QDir(a).entryList(QDir::Files),
              QStringList({"1008M202008_8123456789.imp", "1008M202008_8123456789.old",
                           "2408M202408_1111111111.imp", "2408M202408_8347708363.imp",
                           "2408M202408_8347708363.old"}));
    EXPECT_EQ(QDir(b).entryList(QDir::Files),
              QStringList({"1008M202008_8123456789.old", "2408M202408_2222222222.imp",
                           "2408M202408_8347708363.old"}));
    EXPECT_EQ(readBytes(a + "/2408M202408_1111111111.imp"),
              aBefore.at("2408M202408_1111111111.imp"));
    expectImportable(a);
    expectImportable(b);

    EXPECT_EQ(listed(*s, "bothList"), QStringList({oldPair, pairName}));
    const QString before = s->findChild<QLabel*>("figuresBefore")->text();
    const QString after = s->findChild<QLabel*>("figuresAfter")->text();
    EXPECT_TRUE(before.contains("Összevonás előtt a 455. sor (állat): 10\n"))
        << before.toStdString();
    EXPECT_TRUE(before.contains("Összevonás előtt a 401. sor (kifizetett): 244\n"));
    EXPECT_TRUE(before.endsWith("Mindösszesen : 1282")) << before.toStdString();
    EXPECT_TRUE(after.contains("Összevonás után a 401. sor (kifizetett): 1242\n"))
        << after.toStdString();
    EXPECT_TRUE(after.contains("Összevonás után a 401. sor (kifizetett): 9\n"));
    EXPECT_TRUE(after.endsWith("Mindösszesen : 1282")) << after.toStdString();
    EXPECT_FALSE(button(*s, "Összevonás")->isEnabled());
}

TEST_F(ImportMerge, RefusalsLeaveBothFoldersAsTheyWere) {
    put(a, pairName, paidFile("8347708363", "1000"));
    put(b, pairName, paidFile("8347708363", "235"));
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString folderB;
        QString message;
    };
    const QString leftovers = " Csak bevallás újbóli export ismétlés után!  ";
    const Case cases[] = {
        {"the same folder by another path", [] {}, a + "/../Termaro16/",
         "Nem lehet azonos a könyvtár "},
        {"an .old file in A", [&] { put(a, "x.old", "x"); }, b, leftovers},
        {"an .im_ file in B", [&] { put(b, "x.im_", "x"); }, b, leftovers},
        {"an amount that is no whole number", [&] { put(b, "y.imp", "24804=12,5\r\n"); }, b, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        const auto aBefore = snapshot(a);
        const auto bBefore = snapshot(b);
        f.ui.messages.clear();
        f.ui.errors.clear();
        auto s = open();
        s->findChild<QLineEdit*>("folderB")->setText(c.folderB);
        button(*s, "Összevonás")->click();
        if (c.message.isEmpty()) {
            ASSERT_EQ(f.ui.errors.size(), 1);
            EXPECT_TRUE(f.ui.errors[0].contains("y.imp")) << f.ui.errors[0].toStdString();
        } else {
            EXPECT_EQ(f.ui.messages, QStringList{c.message});
        }
        EXPECT_TRUE(button(*s, "Összevonás")->isEnabled());
        EXPECT_EQ(snapshot(a), aBefore);
        EXPECT_EQ(snapshot(b), bBefore);
        for (const QString& folder : {a, b}) {
            for (const QString& name : QDir(folder).entryList({"x.*", "y.*"}, QDir::Files))
                QFile::remove(folder + '/' + name);
        }
    }
}

TEST_F(ImportMerge, APairThatCannotBeMergedStaysWhole) {
    // B carries an amount line A lacks; the other pair still merges.
    put(a, oldPair, "$ny_azon=1008M\r\n13847=1\r\n");
    put(b, oldPair, oldFormFile("5", "6"));
    put(a, pairName, paidFile("8347708363", "1"));
    put(b, pairName, paidFile("8347708363", "2"));
    // The B file cannot be set aside: a folder holds its ".old" name.
    const QString blocked = "2408M202408_9999999999.imp";
    put(a, blocked, paidFile("9999999999", "3"));
    put(b, blocked, paidFile("9999999999", "4"));
    QDir(b).mkdir("2408M202408_9999999999.old");
    const auto aBefore = snapshot(a);
    const auto bBefore = snapshot(b);
    auto s = open();
    button(*s, "Összevonás")->click();
    ASSERT_EQ(f.ui.messages.size(), 2) << f.ui.messages.join('|').toStdString();
    EXPECT_TRUE(f.ui.messages[0].contains(oldPair));
    EXPECT_EQ(f.ui.messages[1], " \"old\" Rename2 átnevezési hiba kódja = 17");
    EXPECT_EQ(readBytes(a + '/' + oldPair), aBefore.at(oldPair));
    EXPECT_EQ(readBytes(b + '/' + oldPair), bBefore.at(oldPair));
    EXPECT_EQ(readBytes(a + '/' + blocked), aBefore.at(blocked))
        << "A goes back to its own amounts";
    EXPECT_EQ(readBytes(b + '/' + blocked), bBefore.at(blocked));
    EXPECT_FALSE(QFile::exists(a + "/2408M202408_9999999999.old"));
    EXPECT_EQ(readBytes(a + '/' + pairName), paidFile("8347708363", "3"));
    EXPECT_TRUE(QDir(a).entryList({"*.im_"}).isEmpty());
}

TEST_F(ImportMerge, FolderChoiceWarnsAndListsTheFiles) {
    put(a, pairName, paidFile("8347708363", "1"));
    put(b, "z.old", "x");
    auto s = open();
    f.ui.files.push_back(b);
    s->findChild<QPushButton*>("chooseB")->click();
    EXPECT_EQ(f.ui.messages, QStringList{" Csak bevallás újbóli export ismétlés után!  "});
    EXPECT_EQ(listed(*s, "filesA"), QStringList{pairName});
    f.ui.messages.clear();
    f.ui.files.push_back(a);
    s->findChild<QPushButton*>("chooseB")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Nem lehet azonos a könyvtár "});
    EXPECT_EQ(listed(*s, "filesB"), QStringList{pairName});
}

TEST(LineFile, ReadsAmountsAndWritesCrLf) {
    using declaration::LineFile;
    const LineFile file = LineFile::parse("12456=\r\n23790= 42 \n24804=1\r\n24804=-7");
    EXPECT_EQ(file.lines.size(), 4);
    EXPECT_FALSE(file.amount("12456").has_value()) << "an empty value counts as nothing";
    EXPECT_EQ(file.amount("23790"), 42);
    EXPECT_EQ(file.amount("24804"), -7) << "the last line counts";
    EXPECT_EQ(file.bytes(), "12456=\r\n23790= 42 \r\n24804=1\r\n24804=-7\r\n");
    EXPECT_THROW(LineFile::parse("24804=1.5").amount("24804"), AppError);
    struct Case {
        double value;
        const char* text;
    };
    for (const Case& c : {Case{1234.5, "1235"}, Case{-1234.5, "-1235"}, Case{0.49, "0"},
                          Case{2.5, "3"}, Case{99999999999.0, "99999999999"}})
        EXPECT_EQ(declaration::amountText(c.value), c.text) << c.value;
    EXPECT_EQ(declaration::amountText(12345000, 4), "1235");
    EXPECT_EQ(declaration::amountText(-12345000, 4), "-1235");
    EXPECT_EQ(declaration::amountText(12344999, 4), "1234");
    EXPECT_THROW(declaration::amountText(100000000000.0), AppError);
}

}  // namespace
