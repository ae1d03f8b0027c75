#include "registers/producer_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include "core/query_model.h"
#include "registers/producer_entry.h"
#include "registers_helpers.h"

namespace {

class ProducerList : public ::testing::Test {
protected:
    ProducerList() { f.chooseBuyer(); }

    // Opens the list as the menu does, left open for the test to drive.
    std::unique_ptr<TForm4> openList() {
        auto list = std::make_unique<TForm4>(f.app());
        list->show();
        return list;
    }
    QTableView* grid(TForm4& list) { return list.findChild<QTableView*>("gridZQ30"); }
    QString current(const char* column) { return f.data().query("ZQ30").text(column); }

    AppFixture f;
};

TEST_F(ProducerList, ShowsTheTitledColumnsTheDetailsAndTheInstructionLine) {
    addProducer(f, "1", "Kovács János", "KJ7273177", "NEBIH9922983695");
    f.ui.clipboard = "régi";
    auto list = openList();
    auto* model = qobject_cast<QueryModel*>(grid(*list)->model());
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->columnCount(), 28);
    const std::pair<int, const char*> titles[] = {
        {0, "Kód"},        {1, "Név"}, {5, "Adóazonositó"},     {6, "Östermelöi"},
        {16, "Érv.kelte"}, {23, "ID"}, {25, "Nébih azonosító"}, {27, "Nébih családi gazd.szám"}};
    for (const auto& [column, title] : titles) {
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), QString::fromUtf8(title));
    }
    EXPECT_EQ(model->fieldOf(25), "O_IGSZAM1");
    EXPECT_EQ(list->orderLine(), "Sorrend: Oszlop megjelölés és klikk az oszlop fejlécre");
    EXPECT_EQ(list->findChild<QLabel*>("O_NEV")->text(), "Kovács János");
    EXPECT_EQ(list->findChild<QLabel*>("O_IGSZAM1")->text(), "NEBIH9922983695");
    EXPECT_EQ(list->findChild<QLabel*>("O_ERVKELT1")->text(), "2021.01.01");
    EXPECT_EQ(f.ui.clipboard, "") << "showing the list empties the clipboard";
    EXPECT_TRUE(f.data().query("ZQ30").sql().contains("ORDER BY o_Nev"));
}

TEST_F(ProducerList, AnOldDatabaseGetsTheUpgradeHintInstead) {
    addProducer(f, "1", "Kovács János");
    f.exec("ALTER TABLE ostermelo DROP O_IGSZAM1");
    auto list = openList();
    EXPECT_EQ(
        f.ui.messages,
        QStringList{"Frissítés. Menü->Segédlet->Nébih azon. felvétele menüpont végrehajtása!"});
    EXPECT_TRUE(f.ui.errors.isEmpty());
}

TEST_F(ProducerList, ReopensOnTheRememberedCodeByPrefix) {
    addProducer(f, "7", "Antal Béla");
    addProducer(f, "12", "Bodor Ágnes");
    addProducer(f, "31", "Cseh Tamás");
    f.run().rememberedProducerCode = "3";
    auto list = openList();
    EXPECT_EQ(current("O_NEV"), "Cseh Tamás");
    EXPECT_EQ(grid(*list)->currentIndex().row(), 2);
    f.run().rememberedProducerCode = "99";  // no match: the first row
    TForm4::reload(f.app());
    EXPECT_EQ(current("O_NEV"), "Antal Béla");
}

TEST_F(ProducerList, SearchFollowsEveryKeyAndIgnoresCase) {
    addProducer(f, "1", "Abonyi Lajos");
    addProducer(f, "2", "Kalmár Péter");
    addProducer(f, "3", "Kovács Éva");
    addProducer(f, "4", "Lakatos Ilona");
    for (const char* name : {"Kovács Éva", "kovács éva", "KOVÁCS ÉVA"}) {
        Query& rename = f.data().query("ZQ91");
        rename.setSql("UPDATE ostermelo SET o_nev = :p1 WHERE o_kod = '3'");
        rename.bindText("p1", QString::fromUtf8(name));
        rename.execSql();
        f.data().commit();
        auto list = openList();
        auto* search = list->findChild<QLineEdit*>("searchName");
        ASSERT_NE(search, nullptr);
        QTest::keyClick(search, Qt::Key_K);
        EXPECT_EQ(current("O_NEV"), "Kalmár Péter") << name;
        QTest::keyClick(search, Qt::Key_O);
        EXPECT_EQ(search->text(), "ko");
        EXPECT_EQ(current("O_NEV"), QString::fromUtf8(name));
        EXPECT_EQ(list->orderLine(), "Sorrend: Oszlop megjelölés és klikk az oszlop fejlécre");
    }
}

TEST_F(ProducerList, TitleClickSortsByTheMarkedColumn) {
    addProducer(f, "1", "Cseh Tamás", "", "NEBIH0000000003");
    addProducer(f, "2", "Antal Béla", "", "NEBIH0000000002");
    addProducer(f, "3", "Bodor Ágnes", "", "NEBIH0000000001");
    auto list = openList();
    QTableView* view = grid(*list);
    QAbstractItemModel* model = view->model();

    view->setCurrentIndex(model->index(1, 25));          // a cell of "Nébih azonosító"
    Q_EMIT view->horizontalHeader()->sectionClicked(0);  // whichever title
    Query& q = f.data().query("ZQ30");
    EXPECT_TRUE(q.sql().endsWith("  ORDER BY 39")) << q.sql().toStdString();
    EXPECT_EQ(q.recNo(), 0);
    EXPECT_EQ(model->index(0, 1).data().toString(), "Bodor Ágnes");
    EXPECT_EQ(model->index(2, 1).data().toString(), "Cseh Tamás");

    view->setCurrentIndex(model->index(2, 0));  // "Kód", the first statement column
    Q_EMIT view->horizontalHeader()->sectionClicked(25);
    EXPECT_TRUE(q.sql().endsWith("  ORDER BY 1"));
    EXPECT_EQ(model->index(0, 1).data().toString(), "Cseh Tamás");

    view->setCurrentIndex(model->index(0, 1));  // "Név"
    Q_EMIT view->horizontalHeader()->sectionClicked(3);
    EXPECT_TRUE(q.sql().endsWith("  ORDER BY 2"));
    EXPECT_EQ(model->index(0, 1).data().toString(), "Antal Béla");
    EXPECT_EQ(list->orderLine(), "Sorrend: Oszlop megjelölés és klikk az oszlop fejlécre");
}

TEST_F(ProducerList, GridClicksCopyTheFelirIdentifier) {
    addProducer(f, "1", "Antal Béla", "AB1234567");
    addProducer(f, "2", "Bodor Ágnes", "");
    auto list = openList();
    QTableView* view = grid(*list);
    view->setCurrentIndex(view->model()->index(0, 3));
    Q_EMIT view->clicked(view->currentIndex());
    EXPECT_EQ(f.ui.clipboard, "AB1234567");
    view->setCurrentIndex(view->model()->index(1, 3));
    Q_EMIT view->doubleClicked(view->currentIndex());
    EXPECT_EQ(f.ui.clipboard, "");
    // Leaving the grid or the navigator copies too.
    f.data().query("ZQ30").first();
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(view, &out);
    EXPECT_EQ(f.ui.clipboard, "AB1234567");
    f.ui.clipboard.clear();
    QApplication::sendEvent(list->findChild<QWidget*>("navigator")->findChild<QWidget*>("next"),
                            &out);
    EXPECT_EQ(f.ui.clipboard, "AB1234567");
}

TEST_F(ProducerList, DeleteIsRefusedForTheLastRowAndForProducersOnPrintedTickets) {
    addProducer(f, "1", "Antal Béla");
    {
        auto list = openList();
        button(list.get(), "Töröl")->click();
        EXPECT_EQ(f.ui.messages, QStringList{"Az utolsó őstermelősor nem törölhető ki."});
        EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo"), "1");
    }
    addProducer(f, "2", "Bodor Ágnes");
    addProducer(f, "3", "Cseh Tamás");
    f.exec(
        "INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_prn, f_tipus) "
        "VALUES ('20260001', '1', '2', 'I', '1')");
    f.exec(
        "INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_prn, f_tipus) "
        "VALUES ('20260002', '1', '3', ' ', '1')");
    f.ui.messages.clear();
    auto list = openList();
    Query& q = f.data().query("ZQ30");

    ASSERT_TRUE(q.locate("O_KOD", "2", false, false));
    button(list.get(), "Töröl")->click();
    EXPECT_EQ(f.ui.messages.last(), "Az őstermelő már szerepel a nyomtatott felvásárlási jegyen !");

    ASSERT_TRUE(q.locate("O_KOD", "3", false, false));  // only on a ticket not yet printed
    button(list.get(), "Töröl")->click();
    EXPECT_EQ(f.ui.messages.last(), "Az őstermelő sor törlölve!");
    EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo WHERE o_kod = '3'"), "0");
    EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo"), "2");
    EXPECT_EQ(q.rowCount(), 2) << "the list is reloaded";
    EXPECT_EQ(list->orderLine(), "Sorrend: Oszlop megjelölés és klikk az oszlop fejlécre");
    EXPECT_TRUE(f.data().inTransaction()) << "the deletion waits for the next commit";
}

TEST_F(ProducerList, AFailedDeleteShowsItsNumberedMessage) {
    addProducer(f, "1", "Antal Béla");
    addProducer(f, "2", "Bodor Ágnes");
    f.exec("CREATE EXCEPTION no_delete 'tilos'");
    f.exec(
        "CREATE TRIGGER keep_producers FOR ostermelo BEFORE DELETE AS BEGIN "
        "EXCEPTION no_delete; END");
    auto list = openList();
    button(list.get(), "Töröl")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba41: östermelö DELETE törlésekor"});
    EXPECT_EQ(f.data().query("ZQ30").rowCount(), 2);
}

TEST_F(ProducerList, NewAndChangeOpenTheEntryInTheirModes) {
    addProducer(f, "1", "Antal Béla");
    addProducer(f, "2", "Bodor Ágnes");
    auto list = openList();
    QStringList seen;
    f.ui.onModal["TForm5"] = [&](QDialog& d) {
        auto& entry = static_cast<TForm5&>(d);
        seen << f.run().producerEntryMode + '|' + entry.windowTitle() + '|' +
                    entry.field("O_KOD")->text() + '|' + entry.field("O_NEV")->text();
        return int(QDialog::Rejected);
    };
    button(list.get(), "Új")->click();
    f.data().query("ZQ30").locate("O_KOD", "2", false, false);
    button(list.get(), "Módosít")->click();
    // J and M (either case) on the focused "Módosít" do the same.
    f.data().query("ZQ30").first();
    QTest::keyClick(button(list.get(), "Módosít"), Qt::Key_J);
    QTest::keyClick(button(list.get(), "Módosít"), Qt::Key_M, Qt::ShiftModifier);
    EXPECT_EQ(seen, (QStringList{"Új őstermelő|Új őstermelő|3|",
                                 "Őstermelő módositás|Őstermelő módositás|2|Bodor Ágnes",
                                 "Őstermelő módositás|Őstermelő módositás|1|Antal Béla",
                                 "Őstermelő módositás|Őstermelő módositás|1|Antal Béla"}));
    EXPECT_TRUE(f.ui.errors.isEmpty());
}

TEST_F(ProducerList, PrintHandsTheRegisterTemplateLandscapeWithBuyerAndProducers) {
    f.exec("UPDATE atvevo SET v_jelleg = 'út', v_hazszam = '48.' WHERE v_akod = '1'");
    addProducer(f, "2", "Bodor Ágnes", "BA7654321", "NEBIH0000000001");
    addProducer(f, "1", "Antal Béla", "AB1234567");
    f.exec(
        "UPDATE ostermelo SET o_irszam = '6000', o_helysegnev = 'Kecskemét', o_utca = 'Fő', "
        "o_jelleg = 'utca', o_hazszam = '1.', o_szulhely = 'Szeged', o_szulnev = o_nev, "
        "o_anyja = 'Nagy Éva', o_taj = '405576160', o_csgazd1 = 'OCSG-12345678'");
    // A long name and every address part: nothing of them may be left off the paper.
    addProducer(f, "3", "Szentgyörgyváriné Kovács-Nagy Erzsébet Margit", "", "NEBIH0000000002");
    f.exec(
        "UPDATE ostermelo SET o_irszam = '1025', o_helysegnev = 'Budapest', "
        "o_kerulet = 'II. kerület', o_utca = 'Szépvölgyi', o_jelleg = 'út', o_hazszam = '12/B', "
        "o_epulet = 'C ép.', o_lepcso = '2. lh.', o_szint = '4. em.', o_ajto = '12.', "
        "o_szulhely = 'Pécs', o_szulnev = 'Kovács-Nagy Erzsébet Margit', o_anyja = 'Tóth Ilona' "
        "WHERE o_kod = '3'");
    installTemplate(f, "FjLista2.frf");
    auto list = openList();
    button(list.get(), "Nyomtat")->click();
    ASSERT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join('\n').toStdString();
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& job = f.ui.reports.first();
    EXPECT_EQ(job.templateFile, "FjLista2.frf");
    EXPECT_TRUE(job.landscape);
    EXPECT_TRUE(job.printButton);
    EXPECT_EQ(cutOffTexts(job), QStringList());
    EXPECT_EQ(f.data().query("ZQ30").sql(), "SELECT * FROM ostermelo ORDER BY o_Nev, o_Szido");
    QFile golden(QStringLiteral(TERMARO_SOURCE_DIR "/tests/registers/golden/FjLista2.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(job.pageTexts.join("\f\n"), QString::fromUtf8(golden.readAll()));
}

}  // namespace
