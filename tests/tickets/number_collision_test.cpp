// Document numbers are unique across buyers: a number another buyer has issued is never taken
// again, and nothing of that buyer's document is touched on the way.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "core/database.h"
#include "support/app_fixture.h"
#include "ticket_test_support.h"
#include "tickets/numbering.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"
#include "tickets/voiding.h"
#include "tickets/year_opening.h"

using namespace tickets_test;

namespace {
const QString newMode = QStringLiteral("Új felvásárlási jegy");
const QString advice =
    QStringLiteral(" A kezdő sorszámot az \"Évnyitás\" menüpontban kell megváltoztatni!");
// Buyer 1 of the demo data holds 20260001 .. 20260013.
const QString takenByBuyer1 = QStringLiteral(
    "A(z) 20260001 bizonylatszámot már a(z) 1 kódú átvevő (Tisza-Mező Termény Kft.) kiadta.");

// Buyer 1's header and lines of 20260001, as counted by the program's own connection.
QString buyer1Document(AppFixture& f) {
    return f.scalar(
        "SELECT (SELECT count(*) FROM fjfej WHERE f_bszam = '20260001' AND f_akod = '1') || ' ' "
        "|| (SELECT count(*) FROM fjsor WHERE s_bszam = '20260001') || ' ' || "
        "(SELECT sum(s_brutto) FROM fjsor WHERE s_bszam = '20260001') FROM rdb$database");
}

// Buyer 2 of the demo data, its numbering set back so that its next number is buyer 1's first.
void collidingBuyer2(AppFixture& f) {
    f.exec("UPDATE sorszam SET a_fjbszam = '20260000' WHERE a_akod = '2'");
    f.chooseBuyer("2");
}

void insertBuyer2(AppFixture& f) {
    f.exec(
        "INSERT INTO atvevo (v_akod, v_neve, v_nyilatk, v_verzio) VALUES ('2', 'Második Bt.', "
        "'Nyilatkozat', '')");
}

void openYear(AppFixture& f, const QString& start) {
    TForm38 screen(f.app());
    screen.show();
    screen.newNumberField()->setText(start);
    screen.saveButton()->click();
}
}  // namespace

TEST(NumberCollision, YearOpeningRefusesAStartWhoseFirstNumberAnotherBuyerIssued) {
    AppFixture f;
    insertBuyer2(f);
    f.chooseBuyer("1");
    openYear(f, "20240000");
    f.exec("INSERT INTO fjfej (f_bszam, f_akod, f_tipus) VALUES ('20240001', '1', '1')");  // issued
    f.data().commit();

    f.chooseBuyer("2");
    f.ui.messages.clear();
    TForm38 screen(f.app());
    screen.show();
    screen.newNumberField()->setText("20240000");
    screen.saveButton()->click();
    EXPECT_EQ(f.ui.messages,
              QStringList{"A(z) 20240001 bizonylatszámot már a(z) 1 kódú átvevő (Tisza-Mező "
                          "Termény Kft.) kiadta. Más kezdő sorszámot adjon meg!"});
    EXPECT_EQ(f.ui.lastFocus, screen.newNumberField());
    EXPECT_TRUE(screen.isVisible());
    EXPECT_EQ(f.scalar("SELECT count(*) FROM sorszam WHERE a_akod = '2'"), "0");

    // A start that cannot meet buyer 1's first number is taken.
    f.ui.messages.clear();
    screen.newNumberField()->setText("30240000");
    screen.saveButton()->click();
    EXPECT_EQ(f.ui.messages, QStringList());
    EXPECT_EQ(f.scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '2'"), "30240000");
}

// A collision forced through the database: neither the entry nor the voiding of buyer 2 opens,
// and buyer 1's ticket keeps its header and every line.
TEST(NumberCollision, EntryAndVoidingRefuseANumberAnotherBuyerHolds) {
    AppFixture f(true);
    const QString before = buyer1Document(f);
    ASSERT_TRUE(before.startsWith("1 ") && !before.startsWith("1 0")) << before.toStdString();
    collidingBuyer2(f);

    f.run().ticketEntryMode = newMode;
    {
        TForm9 entry(f.app());
        entry.show();
        QCoreApplication::processEvents();  // the refusal closes the screen
        EXPECT_EQ(f.ui.messages, QStringList{takenByBuyer1 + advice});
        EXPECT_FALSE(entry.isVisible());
        EXPECT_EQ(edit(entry, "F_BSZAM")->text(), "");
    }
    EXPECT_EQ(buyer1Document(f), before);

    f.ui.messages.clear();
    TForm8::openList(f.app());
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", "30260001", false, false));
    f.run().voidNumber = "30260001";
    const QString headers = f.scalar("SELECT count(*) || ' ' || max(id_fjfej) FROM fjfej");
    {
        TForm39 voiding(f.app());
        voiding.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(f.ui.messages, QStringList{takenByBuyer1 + advice});
        EXPECT_FALSE(voiding.isVisible());
    }
    EXPECT_EQ(buyer1Document(f), before);
    EXPECT_EQ(f.scalar("SELECT count(*) || ' ' || max(id_fjfej) FROM fjfej"), headers);
    EXPECT_EQ(f.scalar("SELECT f_ervenyt FROM fjfej WHERE f_bszam = '30260001'"), "");
}

// Another copy's buyer issues the number after the entry opened: the save refuses it inside its
// locked claim and writes nothing.
TEST(NumberCollision, SaveRechecksInsideTheLockedClaim) {
    AppFixture f(true);
    f.chooseBuyer("1");
    f.run().ticketEntryMode = newMode;
    TForm9 entry(f.app());
    entry.show();
    ASSERT_EQ(edit(entry, "F_BSZAM")->text(), "20260014");
    pickProducer(f, "1");
    entry.producerButton()->click();
    lineWith(f, "1", "3");
    button(entry, "Új")->click();
    ASSERT_EQ(f.ui.messages, QStringList());

    Database other;
    other.attach(f.folder() + "/termaro.fdb", TData::userName, TData::password, TData::charset);
    other.execute("INSERT INTO fjfej (f_bszam, f_akod, f_tipus) VALUES ('20260014', '2', '1')", {});
    other.commit();
    other.detach();

    button(entry, "OK")->click();
    EXPECT_EQ(f.ui.messages,
              QStringList{"A(z) 20260014 bizonylatszámot már a(z) 2 kódú átvevő (Bodnár Zsolt "
                          "egyéni vállalkozó) kiadta." +
                          advice});
    EXPECT_EQ(
        f.scalar("SELECT count(*) || ' ' || max(f_akod) FROM fjfej WHERE f_bszam = '20260014'"),
        "1 2");
    EXPECT_EQ(f.scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20260013");
}

// The cleanup of an abandoned entry's lines never reaches lines that have a header.
TEST(NumberCollision, OrphanCleanupLeavesLinesUnderAHeader) {
    AppFixture f(true);
    f.exec(
        "INSERT INTO fjsor (s_bszam, s_megnevezes, s_brutto, s_akod) VALUES ('20260014', "
        "'Félbehagyott', 1, '1')");
    const struct {
        const char* number;
        const char* linesAfter;
    } cases[] = {{"20260001", "1"}, {"20260014", "0"}};
    for (const auto& c : cases) {
        deleteOrphanLines(f.data(), QString::fromLatin1(c.number));
        EXPECT_EQ(f.scalar(QStringLiteral("SELECT count(*) FROM fjsor WHERE s_bszam = '%1'")
                               .arg(QString::fromLatin1(c.number))),
                  QString::fromLatin1(c.linesAfter))
            << c.number;
    }
}
