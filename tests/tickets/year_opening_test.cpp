#include "tickets/year_opening.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "support/app_fixture.h"
#include "ticket_test_support.h"
#include "tickets/ticket_entry.h"

using namespace tickets_test;

namespace {
const QString lockMessage = QStringLiteral("Már készült felvásárlási jegy! Nem módositható.");
}

TEST(YearOpening, RefusesBadStartNumbersWithFocusOnTheField) {
    AppFixture f;
    f.chooseBuyer("1");
    TForm38 screen(f.app());
    screen.show();
    ASSERT_TRUE(screen.saveButton()->isVisibleTo(&screen));
    const std::pair<const char*, const char*> cases[] = {
        {"", "Nincs megadva sorszám!"},          {"   ", "Nincs megadva sorszám!"},
        {"2400000", "Nem 8 hosszú a számsor!"},  {"240000000", "Nem 8 hosszú a számsor!"},
        {"02400000", "Nullável nem kezdödhet!"},
    };
    for (const auto& [text, message] : cases) {
        f.ui.messages.clear();
        f.ui.lastFocus = nullptr;
        screen.newNumberField()->setText(QString::fromLatin1(text));
        screen.saveButton()->click();
        EXPECT_EQ(f.ui.messages, QStringList{QString::fromUtf8(message)}) << text;
        EXPECT_EQ(f.ui.lastFocus, screen.newNumberField());
        EXPECT_TRUE(screen.isVisible());
    }
    EXPECT_EQ(f.scalar("SELECT count(*) FROM sorszam"), "0");
}

TEST(YearOpening, StartNumberThenTheFirstTicketThenTheLock) {
    AppFixture f;
    f.chooseBuyer("1");
    for (const char* number : {"20230000", "20240000"}) {
        TForm38 screen(f.app());
        screen.show();
        screen.newNumberField()->setText(QString::fromLatin1(number));
        screen.saveButton()->click();
        EXPECT_FALSE(screen.isVisible());
        EXPECT_EQ(screen.result(), QDialog::Accepted);
    }
    EXPECT_EQ(committed(f, "SELECT count(*) FROM sorszam"), "0");  // left for the next commit
    EXPECT_EQ(f.scalar("SELECT count(*) || ' ' || max(a_fjbszam) FROM sorszam WHERE a_akod = '1'"),
              "1 20240000");

    // The first ticket of the year.
    f.exec(
        "INSERT INTO ostermelo (o_kod, o_nev, o_szja, o_felir) VALUES ('1', 'Első', 0, "
        "'AB1234567')");
    f.exec(
        "INSERT INTO termek (t_kod, t_megnevezes, t_vtsz, t_ear, t_megy, t_kompmerteke) "
        "VALUES ('1', 'Búza', '1001', 100, 't', 7)");
    f.run().ticketEntryMode = QStringLiteral("Új felvásárlási jegy");
    TForm9 entry(f.app());
    entry.show();
    EXPECT_EQ(edit(entry, "F_BSZAM")->text(), "20240001");
    pickProducer(f, "1");
    entry.producerButton()->click();
    lineWith(f, "1", "1");
    button(entry, "Új")->click();
    button(entry, "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList());
    EXPECT_EQ(committed(f, "SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20240001");

    TForm38 locked(f.app());
    locked.show();
    EXPECT_EQ(f.ui.messages, QStringList{lockMessage});
    EXPECT_FALSE(locked.saveButton()->isVisibleTo(&locked));
    EXPECT_EQ(edit(locked, "A_FJBSZAM")->text(), "20240001");
}

TEST(YearOpening, LockedOnceTheBuyerHasATicketAndShowsTheSettings) {
    AppFixture f(true);
    f.chooseBuyer("1");
    writeSettings(f, "[Form9]\r\nEdit14Visible=1\r\nEdit14Text=2\r\nEdit13Visible=0\r\n",
                  "[Form10]\r\nEdit10Visible=1\r\nEdit8Text=12\r\n");
    TForm38 screen(f.app());
    screen.show();
    EXPECT_EQ(f.ui.messages, QStringList{lockMessage});
    EXPECT_FALSE(screen.saveButton()->isVisibleTo(&screen));
    EXPECT_FALSE(screen.newNumberField()->isVisibleTo(&screen));
    EXPECT_EQ(edit(screen, "A_FJBSZAM")->text(), "20260013");
    const std::pair<const char*, const char*> shown[] = {
        {"Edit14Visible", "1"}, {"Edit14Text", "2"}, {"Edit15Visible", ""},
        {"Edit13Visible", "0"}, {"Edit8Text", "12"}, {"Edit10Visible", "1"}};
    for (const auto& [name, value] : shown) {
        EXPECT_EQ(edit(screen, name)->text(), QString::fromLatin1(value)) << name;
        EXPECT_TRUE(edit(screen, name)->isReadOnly());
    }
}

TEST(YearOpening, AFailedWriteShowsItsNumberedMessageAndStaysOpen) {
    AppFixture f;
    f.chooseBuyer("1");
    f.exec("CREATE EXCEPTION E_NO_WRITE 'no write'");
    f.exec(
        "CREATE TRIGGER T_NO_WRITE FOR SORSZAM BEFORE INSERT OR UPDATE AS BEGIN EXCEPTION "
        "E_NO_WRITE; END");
    TForm38 insert(f.app());
    insert.show();
    insert.newNumberField()->setText("20240000");
    insert.saveButton()->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba382: Letároláskor az INSERT Sorszam -ba "});
    EXPECT_TRUE(insert.isVisible());

    f.exec("ALTER TRIGGER T_NO_WRITE INACTIVE");
    f.exec("INSERT INTO sorszam (a_fjbszam, a_akod) VALUES ('20230000', '1')");
    f.exec("ALTER TRIGGER T_NO_WRITE ACTIVE");
    f.ui.messages.clear();
    TForm38 update(f.app());
    update.show();
    update.newNumberField()->setText("20240000");
    update.saveButton()->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba381: Letároláskor az UPDATE Sorszam -ba "});
    EXPECT_TRUE(update.isVisible());
    EXPECT_EQ(f.scalar("SELECT a_fjbszam FROM sorszam"), "20230000");
}
