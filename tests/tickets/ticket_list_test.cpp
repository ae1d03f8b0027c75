#include "tickets/ticket_list.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "support/app_fixture.h"
#include "ticket_test_support.h"

using namespace tickets_test;

namespace {
const QString printedRefusal = QStringLiteral("A felvásárlási jegy már nyomtatva volt!");
const QString voidedRefusal =
    QStringLiteral("Az érvénytelenített felvásárlási jegy nem módosítható!");
const QString notPrinted = QStringLiteral("Nem volt nyomtatva. Nem érvényteleníthető!");
const QString alreadyVoided = QStringLiteral("Már érvénytelenítve van!");
const QString stornoVoid = QStringLiteral("Érvénytelent (storno) nem lehet érvényteleníteni!");

void select(AppFixture& f, const QString& number) {
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", number, false, false))
        << number.toStdString();
}
}  // namespace

// Each ticket state: what "Módosít" and "Érvénytelenit" say about it.
TEST(TicketList, ModifyAndVoidFollowTheTicketState) {
    AppFixture f(true);
    f.chooseBuyer("1");
    f.exec(
        "UPDATE fjfej SET f_prn = ' ', f_tipus = '1', f_ervenyt = NULL WHERE f_bszam = '20260001'");
    f.exec(
        "UPDATE fjfej SET f_prn = 'I', f_tipus = '1', f_ervenyt = NULL WHERE f_bszam = '20260002'");
    f.exec(
        "UPDATE fjfej SET f_prn = 'I', f_tipus = '1', f_ervenyt = '20260004' WHERE f_bszam = "
        "'20260003'");
    f.exec(
        "UPDATE fjfej SET f_prn = ' ', f_tipus = '4', f_ervenyt = '20260003' WHERE f_bszam = "
        "'20260004'");
    f.exec(
        "UPDATE fjfej SET f_prn = 'I', f_tipus = '4', f_ervenyt = '20260003' WHERE f_bszam = "
        "'20260005'");
    struct Case {
        const char* number;
        bool modifyOpens;
        QString modifyMessage;
        bool voidAsks;
        QString voidMessage;
    };
    const Case cases[] = {
        {"20260001", true, {}, false, notPrinted},
        {"20260002", false, printedRefusal, true, {}},
        {"20260003", false, printedRefusal, false, alreadyVoided},
        {"20260004", false, voidedRefusal, false, notPrinted},
        {"20260005", false, printedRefusal, false, stornoVoid},
    };
    TForm8 list(f.app());
    list.show();
    int entries = 0;
    f.ui.onModal["TForm9"] = [&](QDialog& d) {
        ++entries;
        EXPECT_EQ(d.windowTitle(), "Felvásárlási jegy módositás");
        return int(QDialog::Rejected);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        select(f, c.number);
        f.ui.messages.clear();
        entries = 0;
        button(list, "Módosít")->click();
        EXPECT_EQ(entries, c.modifyOpens ? 1 : 0);
        EXPECT_EQ(f.ui.messages,
                  c.modifyMessage.isEmpty() ? QStringList() : QStringList{c.modifyMessage});

        select(f, c.number);
        f.ui.messages.clear();
        f.ui.lastFocus = nullptr;
        f.ui.answers = {false};
        button(list, "Érvénytelenit")->click();
        if (c.voidAsks) {
            EXPECT_EQ(
                f.ui.messages,
                QStringList{
                    QStringLiteral("Érvényteleniteni szeretné a %1 bizonylatot? ").arg(c.number)});
        } else {
            EXPECT_EQ(f.ui.messages, QStringList{c.voidMessage});
            EXPECT_EQ(f.ui.lastFocus, button(list, "Érvénytelenit"));
        }
    }
    // Yes names the ticket to void.
    select(f, "20260002");
    f.ui.answers = {true};
    button(list, "Érvénytelenit")->click();
    EXPECT_EQ(f.run().voidNumber, "20260002");
}

TEST(TicketList, TheFKeyOpensAPrintedTicketAndSavingClearsItsPrintMark) {
    AppFixture f(true);
    f.chooseBuyer("1");
    ASSERT_EQ(f.scalar("SELECT f_prn FROM fjfej WHERE f_bszam = '20260001'"), "I");
    TForm8 list(f.app());
    list.show();
    select(f, "20260001");
    f.ui.onModal["TForm9"] = [](QDialog& d) {
        button(d, "OK")->click();
        return d.result();
    };
    QTest::keyClick(button(list, "Módosít"), Qt::Key_F);
    EXPECT_EQ(f.ui.messages, QStringList());
    EXPECT_EQ(f.scalar("SELECT f_prn FROM fjfej WHERE f_bszam = '20260001'"), " ");
    // The list is back, on the saved ticket, with an empty print mark.
    const Query& rows = f.data().query("ZQ10");
    EXPECT_EQ(rows.text("f_bszam"), "20260001");
    EXPECT_EQ(rows.text("f_prn").trimmed(), "");
    EXPECT_EQ(list.findChild<QLabel*>("F_PRN")->text().trimmed(), "");
    // Other keys open nothing.
    int opened = 0;
    f.ui.onModal["TForm9"] = [&](QDialog&) { return ++opened, int(QDialog::Rejected); };
    QTest::keyClick(button(list, "Módosít"), Qt::Key_G);
    EXPECT_EQ(opened, 0);
}

TEST(TicketList, OpensOnTheLastSavedNumberAndSearchesOnEveryKey) {
    AppFixture f(true);
    f.chooseBuyer("1");
    f.run().lastSavedTicketNumber = "20260007";
    TForm8 list(f.app());
    list.show();
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260007");
    EXPECT_EQ(list.orderLabel(), "A lista, \"Bszám\" szerint");
    EXPECT_EQ(list.findChild<QLabel*>("F_BSZAM")->text(), "20260007");
    auto* grid = list.findChild<QTableView*>("gridZQ10");
    EXPECT_EQ(grid->currentIndex().row(), f.data().query("ZQ10").recNo());

    auto* search = edit(list, "search");
    QTest::keyClicks(search, "2026001");
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260010");
    EXPECT_EQ(list.orderLabel(), "Felvásárlási jegy lista, \"Bizonylatszám\" szerint");
    QTest::keyClick(search, Qt::Key_2);  // 20260012
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260012");
    search->clear();
    button(list, "Keres")->click();
    EXPECT_EQ(f.data().query("ZQ10").recNo(), 0);
}

TEST(TicketList, ColumnTitlesSortWithTheirLabels) {
    AppFixture f(true);
    f.chooseBuyer("1");
    f.exec("UPDATE fjfej SET f_kelt = DATE '2026-01-01' WHERE f_bszam = '20260009'");
    TForm8 list(f.app());
    list.show();
    auto* grid = list.findChild<QTableView*>("gridZQ10");
    QHeaderView* header = grid->horizontalHeader();
    const auto column = [grid](const QString& title) {
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            if (grid->model()->headerData(c, Qt::Horizontal).toString() == title) return c;
        }
        return -1;
    };
    Q_EMIT header->sectionClicked(column("Dátum"));
    EXPECT_EQ(list.orderLabel(), "Felvásárlási jegy lista, dátum szerint");
    EXPECT_EQ(f.data().query("ZQ10").recNo(), 0);
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260009");
    const std::pair<const char*, const char*> labels[] = {
        {"Österm.kód", "Felvásárlási jegy lista, \"Őstermelőkód\" szerint"},
        {"Név", "Felvásárlási jegy lista, név szerint"},
        {"Print", "Felvásárlási jegy lista, volt-e nyomtatva szerint"},
        {"Bszám", "Felvásárlási jegy lista, \"Bizonylatszám\" szerint"},
    };
    for (const auto& [title, label] : labels) {
        Q_EMIT header->sectionClicked(column(QString::fromUtf8(title)));
        EXPECT_EQ(list.orderLabel(), QString::fromUtf8(label));
    }
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260001");
    f.data().query("ZQ10").last();
    Q_EMIT header->sectionClicked(column("Megjegyzés"));  // not a sort column: nothing changes
    EXPECT_EQ(list.orderLabel(), "Felvásárlási jegy lista, \"Bizonylatszám\" szerint");
    EXPECT_GT(f.data().query("ZQ10").recNo(), 0);
    EXPECT_TRUE(f.ui.errors.isEmpty());
}

TEST(TicketList, ChangingTheTabShowsTheSelectedTicketsLinesAndProducer) {
    AppFixture f(true);
    f.chooseBuyer("1");
    TForm8 list(f.app());
    list.show();
    select(f, "20260002");
    auto* tabs = list.findChild<QTabWidget*>();
    tabs->setCurrentIndex(1);
    const Query& lines = f.data().query("ZQ20");
    EXPECT_EQ(lines.rowCount(), 2);
    EXPECT_EQ(lines.text("s_bszam"), "20260002");
    EXPECT_EQ(f.data().query("ZQ31").text("o_kod"), "3");
    EXPECT_EQ(list.findChild<QLabel*>("O_NEV")->text(), "Szabó István");
    EXPECT_EQ(tabs->tabText(2), "Östermelő");
}
