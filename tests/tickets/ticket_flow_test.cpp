#include <gtest/gtest.h>

#include <QTableView>

#include "support/app_fixture.h"
#include "ticket_test_support.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"

using namespace tickets_test;

// The road of a ticket through the real screens: list → new ticket → producer → two lines → OK.
TEST(TicketFlow, ANewTicketFromTheListToTheDatabase) {
    AppFixture f(true);
    f.chooseBuyer("1");
    writeSettings(f, allVisible);
    f.run().lastSavedTicketNumber = "20260013";
    TForm8 list(f.app());
    list.show();

    f.ui.onModal["TForm9"] = [&f](QDialog& d) {
        auto& entry = static_cast<TForm9&>(d);
        pickProducer(f, "3");  // Szabó István: SZJA 15 %, bank account: transfer
        entry.producerButton()->click();
        lineWith(f, "1", "2");  // 2 t wheat at 78 000, 7 %
        button(d, "Új")->click();
        // The line's commit closed the list behind; it is open again on the last saved ticket.
        const Query& behind = f.data().query("ZQ10");
        EXPECT_TRUE(behind.active());
        EXPECT_EQ(behind.text("f_bszam"), "20260013");
        lineWith(f, "6", "150,5");  // 150,5 kg apples at 140, 12 %
        button(d, "Új")->click();
        EXPECT_EQ(edit(d, "var")->text(), "190 518");
        EXPECT_EQ(edit(d, "fizetendo")->text(), "161941");
        button(d, "OK")->click();
        return d.result();
    };
    button(list, "Új")->click();
    EXPECT_EQ(f.ui.messages, QStringList());

    const Query& rows = f.data().query("ZQ10");
    EXPECT_EQ(rows.text("f_bszam"), "20260014");
    EXPECT_EQ(rows.text("o_nev"), "Szabó István");
    EXPECT_EQ(list.findChild<QTableView*>("gridZQ10")->currentIndex().row(), rows.recNo());
    EXPECT_EQ(f.scalar("SELECT count(*) FROM fjsor WHERE s_bszam = '20260014'"), "2");
    EXPECT_EQ(f.scalar("SELECT sum(s_vetelar) FROM fjsor WHERE s_bszam = '20260014'"), "190518,4");
    EXPECT_EQ(f.scalar("SELECT f_sumvar FROM fjfej WHERE f_bszam = '20260014'"), "190518,4");
    EXPECT_EQ(f.scalar("SELECT f_muvktg FROM fjfej WHERE f_bszam = '20260014'"), "161941");
    EXPECT_EQ(f.scalar("SELECT f_utal FROM fjfej WHERE f_bszam = '20260014'"), "x");
    EXPECT_EQ(f.scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20260014");
}
