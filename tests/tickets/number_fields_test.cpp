// Number fields of the ticket and line entries: checked before any write with a message naming
// the field, "." typed as the decimal comma, and a failed save never loses what was typed.
#include <gtest/gtest.h>

#include <QTest>

#include "support/app_fixture.h"
#include "ticket_test_support.h"
#include "tickets/line_entry.h"
#include "tickets/ticket_entry.h"

using namespace tickets_test;

namespace {
QString notANumber(const char* label, const char* text) {
    return QStringLiteral("A(z) \"%1\" mező tartalma nem szám: \"%2\". Kérem javítsa!")
        .arg(QString::fromUtf8(label), QString::fromUtf8(text));
}

// A new ticket of the demo data (number 20260014) with a producer and one line of 3 t.
struct OpenTicket {
    AppFixture f{true};
    std::unique_ptr<TForm9> screen;
    OpenTicket() {
        f.chooseBuyer("1");
        writeSettings(f, allVisible);
        f.run().ticketEntryMode = QStringLiteral("Új felvásárlási jegy");
        screen = std::make_unique<TForm9>(f.app());
        screen->show();
        pickProducer(f, "1");
        screen->producerButton()->click();
        lineWith(f, "1", "3");
        button(*screen, "Új")->click();
    }
    QString headers() { return f.scalar("SELECT count(*) FROM fjfej WHERE f_bszam = '20260014'"); }
    QString lines() { return f.scalar("SELECT count(*) FROM fjsor WHERE s_bszam = '20260014'"); }
};
}  // namespace

// A stray "," in "Levonás (Ft)" once failed the insert, closed the entry and left the lines to be
// deleted by the next "Új": now it is refused by name, and the corrected ticket saves whole.
TEST(NumberFields, TicketEntryRefusesANumberFieldThatDoesNotConvert) {
    OpenTicket t;
    ASSERT_EQ(t.lines(), "1");
    const std::pair<const char*, const char*> cases[] = {
        {"F_LEVONAS", "Levonás (Ft)"},
        {"F_JARULSZAZ", "Tagi h.járul.%"},
        {"S_LEVONSZAZ", "Súlylevon.%"},
    };
    for (const auto& [name, label] : cases) {
        for (const char* bad : {",", "1,2,", "-"}) {
            t.f.ui.messages.clear();
            edit(*t.screen, name)->setText(QString::fromLatin1(bad));
            button(*t.screen, "OK")->click();
            EXPECT_EQ(t.f.ui.messages, QStringList{notANumber(label, bad)});
            EXPECT_EQ(t.f.ui.lastFocus, edit(*t.screen, name));
            EXPECT_TRUE(t.screen->isVisible());
            EXPECT_EQ(edit(*t.screen, name)->text(), bad);
        }
        edit(*t.screen, name)->setText("0");
    }
    EXPECT_EQ(t.headers(), "0");
    EXPECT_EQ(t.lines(), "1");

    t.f.ui.messages.clear();
    edit(*t.screen, "F_LEVONAS")->clear();
    QTest::keyClicks(edit(*t.screen, "F_LEVONAS"), "250.5");
    EXPECT_EQ(edit(*t.screen, "F_LEVONAS")->text(), "250,5");
    button(*t.screen, "OK")->click();
    EXPECT_EQ(t.f.ui.messages, QStringList());
    EXPECT_EQ(t.f.scalar("SELECT f_levonas FROM fjfej WHERE f_bszam = '20260014'"), "250,5");
    EXPECT_EQ(t.lines(), "1");
}

// A write that fails keeps the entry open with every input; a second OK, once the cause is
// gone, saves the ticket with its lines.
TEST(NumberFields, AFailedTicketSaveKeepsTheEntryAndItsInput) {
    OpenTicket t;
    edit(*t.screen, "F_MEGJ")->setText("Megőrzendő megjegyzés");
    t.f.exec("CREATE EXCEPTION E_NO_WRITE 'no write'");
    t.f.exec(
        "CREATE TRIGGER T_NO_FJFEJ FOR FJFEJ BEFORE INSERT AS BEGIN EXCEPTION E_NO_WRITE; END");
    t.f.ui.messages.clear();
    button(*t.screen, "OK")->click();
    EXPECT_EQ(t.f.ui.messages, QStringList{"Hiba94: Újban, INSERT a Fjfejben "});
    EXPECT_TRUE(t.screen->isVisible());
    EXPECT_EQ(edit(*t.screen, "F_MEGJ")->text(), "Megőrzendő megjegyzés");
    EXPECT_EQ(edit(*t.screen, "F_BSZAM")->text(), "20260014");
    EXPECT_EQ(t.screen->producerCode(), "1");
    EXPECT_EQ(t.f.data().query("ZQ20").rowCount(), 1) << "the lines are shown again";
    EXPECT_EQ(t.headers(), "0");

    t.f.exec("DROP TRIGGER T_NO_FJFEJ");
    t.f.ui.messages.clear();
    button(*t.screen, "OK")->click();
    EXPECT_EQ(t.f.ui.messages, QStringList());
    EXPECT_FALSE(t.screen->isVisible());
    EXPECT_EQ(t.f.scalar("SELECT f_megj FROM fjfej WHERE f_bszam = '20260014'"),
              "Megőrzendő megjegyzés");
    EXPECT_EQ(t.lines(), "1");
}

TEST(NumberFields, LineEntryRefusesANumberFieldThatDoesNotConvert) {
    OpenTicket t;
    const std::pair<const char*, const char*> cases[] = {
        {"S_BRUTTO", "Mennyiség"},
        {"S_EAR", "Egységár"},
        {"S_KOMPMERTEKE", "Komp.mértéke"},
    };
    for (const auto& [name, label] : cases) {
        t.f.ui.messages.clear();
        t.f.run().lineEntryMode = QStringLiteral("Új tételsor");
        TForm10 line(t.f.app(), t.screen.get());
        line.show();
        for (const char* input :
             {"S_MEGNEVEZES", "S_VTSZ", "S_BRUTTO", "S_MEGY", "S_EAR", "S_KOMPMERTEKE"})
            edit(line, input)->setText("1");
        edit(line, name)->setText(",");
        button(line, "OK")->click();
        EXPECT_EQ(t.f.ui.messages, QStringList{notANumber(label, ",")});
        EXPECT_EQ(t.f.ui.lastFocus, edit(line, name));
        EXPECT_TRUE(line.isVisible());
    }
    EXPECT_EQ(t.lines(), "1");

    // "." typed in the quantity is the decimal comma.
    TForm10 line(t.f.app(), t.screen.get());
    line.show();
    QLineEdit* quantity = edit(line, "S_BRUTTO");
    quantity->clear();
    QTest::keyClicks(quantity, "-2.5");
    EXPECT_EQ(quantity->text(), "-2,5");
}
