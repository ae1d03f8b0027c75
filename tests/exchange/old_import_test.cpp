#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/win1250.h"
#include "exchange/old_import.h"
#include "exchange_test_support.h"
#include "support/app_fixture.h"

namespace {

// A fixed-width line with each text placed at its 1-based first character.
QString fixedLine(std::initializer_list<std::pair<int, QString>> fields) {
    QString line;
    for (const auto& [first, text] : fields) {
        const int end = first - 1 + static_cast<int>(text.size());
        if (line.size() < end) line = line.leftJustified(end, u' ');
        line.replace(first - 1, text.size(), text);
    }
    return line;
}

void writeOldFile(const QString& path, const QStringList& lines) {
    writeBytes(path, win1250::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

class OldImport : public ::testing::Test {
protected:
    OldImport() {
        f.chooseBuyer();
        QDir(f.folder()).mkdir(QStringLiteral("old"));
        old = f.folder() + QStringLiteral("/old");
        writeOldFile(old + "/exposterm.txt",
                     {
                         fixedLine({{1, "X0001 Kovács Péter"},
                                    {53, "6000"},
                                    {58, "Kecskemét"},
                                    {104, "Fő utca 1."},
                                    {150, "8347708363"},
                                    {183, "Szeged"},
                                    {229, "1962.03.14"},
                                    {240, "Nagy Éva"},
                                    {297, "1"},
                                    {345, "405576160"},
                                    {367, "11735005-99869878"}}),
                         fixedLine({{1, "X0002 Rövid Sor"}, {58, "Szentes"}}),
                         "",  // a blank line carries no producer
                         fixedLine({{1, "X0003 Rossz Dátum"}, {229, "1962.13.45"}}),
                         fixedLine({{1, "X12345Hosszú Kód"}}),
                     });
        writeOldFile(old + "/exptermek.txt", {
                                                 fixedLine({{1, "X0001 Étkezési búza"},
                                                            {83, "10019900"},
                                                            {94, "78000,5"},
                                                            {110, "t"},
                                                            {121, "7"}}),
                                                 fixedLine({{1, "X0002 Rossz ár"}, {94, "sok"}}),
                                             });
        writeOldFile(old + "/expatvevo.txt", {
                                                 fixedLine({{1, "Első Átvevő Kft."},
                                                            {47, "Kecskemét"},
                                                            {139, "6000"},
                                                            {144, "14287532203"}}),
                                                 fixedLine({{1, "Második Bt."}}),
                                                 fixedLine({{1, "Harmadik Zrt."}}),
                                             });
    }

    std::unique_ptr<TForm25> runImport(const QList<bool>& which = {true, true, true}) {
        auto screen = std::make_unique<TForm25>(f.app());
        screen->show();
        screen->findChild<QLineEdit*>("Edit1")->setText(old);  // no closing separator
        for (int i = 0; i < 3; ++i) {
            screen->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(i + 1))
                ->setChecked(which.value(i));
        }
        buttonOf(screen.get(), "Import")->click();
        return screen;
    }
    // Every buyer as code:name|postcode; in code order.
    QString buyers() {
        QString all;
        const int n = count("atvevo");
        for (int i = 0; i < n; ++i) {
            all += f.scalar(QStringLiteral("SELECT FIRST 1 SKIP %1 v_akod || ':' || v_neve || '|' "
                                           "|| v_irszam FROM atvevo ORDER BY v_akod")
                                .arg(i)) +
                   u';';
        }
        return all;
    }
    int count(const char* table) {
        return f.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt();
    }

    AppFixture f;
    QString old;
};

TEST_F(OldImport, ImportsGoodRowsReportsBadOnesAndAddsNothingTheSecondTime) {
    auto screen = runImport();
    const QStringList firstRun = {
        "Hiba251: Újban, INSERT az östermelöben ",  // bad birth date
        "Hiba251: Újban, INSERT az östermelöben ",  // six-character code
        "A régi östermelö adatok átemelve",        "Hiba253: Újban, INSERT a termékben ",
        "A régi termék adatok átemelve",           "A régi átvevö adatok átemelve",
    };
    EXPECT_EQ(f.ui.messages, firstRun);
    EXPECT_EQ(screen->result(), QDialog::Accepted);

    EXPECT_EQ(count("ostermelo"), 2);
    EXPECT_EQ(f.scalar("SELECT o_nev || '|' || o_helysegnev || '|' || o_utca || '|' || "
                       "o_szido || '|' || o_anyja || '|' || o_neme || '|' || o_taj || '|' || "
                       "o_akod || '|' || o_szja FROM ostermelo WHERE o_kod = '10001'"),
              "Kovács Péter|Kecskemét|Fő utca 1.|1962-03-14|Nagy Éva|1|405576160|1|0");
    EXPECT_EQ(f.scalar("SELECT COALESCE(o_szido, DATE '1800-01-01') FROM ostermelo "
                       "WHERE o_kod = '10002'"),
              "1800.01.01");
    EXPECT_EQ(f.scalar("SELECT t_megnevezes || '|' || t_ear || '|' || t_kompmerteke FROM termek"),
              "Étkezési búza|78000.5000|7");
    EXPECT_EQ(buyers(), "1:Első Átvevő Kft.|6000;2:Második Bt.|;3:Harmadik Zrt.|;");

    f.ui.messages.clear();
    runImport();
    EXPECT_EQ(count("ostermelo"), 2);
    EXPECT_EQ(count("termek"), 1);
    EXPECT_EQ(count("atvevo"), 3);
    ASSERT_GE(f.ui.messages.size(), 3);
    EXPECT_TRUE(f.ui.messages.at(2).startsWith("2 sor kimaradt"))
        << f.ui.messages.join('\n').toStdString();
    EXPECT_TRUE(f.ui.messages.at(2).contains("10001")) << f.ui.messages.at(2).toStdString();
}

TEST_F(OldImport, BuyersAreReplacedOnlyOnADatabaseWithoutTickets) {
    const QString before = buyers();
    f.exec("INSERT INTO fjfej (f_bszam, f_akod) VALUES ('20260001', '1')");
    auto screen = runImport({false, false, true});
    EXPECT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages.first().contains("felvásárlási jegyek"));
    EXPECT_EQ(buyers(), before);
    EXPECT_TRUE(screen->isVisible());

    f.exec("DELETE FROM fjfej");
    writeBytes(old + "/expatvevo.txt", "\r\n  \r\n");
    f.ui.messages.clear();
    runImport({false, false, true});
    EXPECT_EQ(f.ui.messages, QStringList{"Az átvevő fájl üres, az átvevők nem változtak."});
    EXPECT_EQ(buyers(), before);
}

TEST_F(OldImport, AFailingBuyerRowLeavesTheBuyersWhole) {
    const QString before = buyers();
    // The old layout's fields fit their columns; the database refuses this name instead.
    f.exec("CREATE EXCEPTION refused 'refused'");
    f.exec(
        "CREATE TRIGGER refuse_buyer FOR atvevo BEFORE INSERT AS BEGIN "
        "IF (NEW.v_neve = 'Másik') THEN EXCEPTION refused; END");
    writeOldFile(old + "/expatvevo.txt",
                 {fixedLine({{1, "Jó Kft."}}), fixedLine({{1, "Másik"}, {144, "123456789012"}})});
    runImport({false, false, true});
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba257: Újban, INSERT az átvevöben "});
    EXPECT_EQ(buyers(), before);
}

TEST_F(OldImport, MissingFileStopsTheImportWithTheScreenOpen) {
    QFile::remove(old + "/exptermek.txt");
    auto screen = runImport();
    EXPECT_EQ(count("ostermelo"), 2);  // imported before the missing file
    ASSERT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(f.ui.errors.first().contains("exptermek.txt"));
    EXPECT_FALSE(f.ui.messages.contains("A régi átvevö adatok átemelve"));
    EXPECT_TRUE(screen->isVisible());
}

TEST(FixedField, CutsByPositionAndShortLinesGiveWhatTheyHold) {
    EXPECT_EQ(fixedField("abcdef", 2, 4), "bcd");
    EXPECT_EQ(fixedField("abcdef", 5, 10), "ef");
    EXPECT_EQ(fixedField("abc", 5, 10), "");
}

}  // namespace
