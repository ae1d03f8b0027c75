#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "core/buyer_selection.h"
#include "core/main_window.h"
#include "core/startup.h"
#include "core/version.h"
#include "support/app_fixture.h"

TEST(StartUp, MissingDatabaseTellsTheUserAndEnds) {
    QTemporaryDir empty;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(empty.path());
    RecordingUi ui;
    EXPECT_EQ(startProgram(ui), nullptr);
    QDir::setCurrent(previous);
    EXPECT_EQ(ui.messages,
              QStringList{"Az adatbáziskezelöt nem találja.\rA program müködéséhez szükséges."});
}

TEST(StartUp, VersionTextAndTitles) {
    EXPECT_EQ(versionText(), QStringLiteral("Verzió: 24.00 2006-2024"));
    EXPECT_EQ(buyerTitle("Termaro - ", "Abcdefghij Klmnopqrst Uvwxyz Kft.", "V"),
              QStringLiteral("Termaro - Abcdefghij Klmnopqrst Uvw V"));
}

class MainMenu : public ::testing::Test {
protected:
    AppFixture f{true};
    MainWindow window{f.app()};
    bool enabled(const char* menu, const char* item = "") {
        QAction* a = window.menuAction(QString::fromUtf8(menu), QString::fromUtf8(item));
        EXPECT_NE(a, nullptr) << menu << "/" << item;
        return a && a->isEnabled();
    }
    bool visible(const char* menu, const char* item) {
        return window.menuAction(QString::fromUtf8(menu), QString::fromUtf8(item))->isVisible();
    }
};

TEST_F(MainMenu, OnlySelectionAndExitBeforeABuyerIsChosen) {
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Termaro - Verzió: 24.00 2006-2024"));
    EXPECT_TRUE(enabled("Átvevö"));
    EXPECT_TRUE(enabled("Átvevö", "Választás"));
    EXPECT_TRUE(enabled("Kilépés"));
    for (const char* menu :
         {"Felvásárlási jegy", "Östermelö", "Termék", "Bevallás", "Listák", "Segédlet"}) {
        EXPECT_FALSE(enabled(menu)) << menu;
    }
    EXPECT_FALSE(visible("Bevallás", "Adóhatóági ellenőrzési adatszolgáltatás"));
    EXPECT_FALSE(enabled("Bevallás", "Adóhatóági ellenőrzési adatszolgáltatás"));
    EXPECT_FALSE(visible("Segédlet", "Kamarai szám hossza"));
    EXPECT_TRUE(visible("Segédlet", "Évnyitás"));
}

TEST_F(MainMenu, ChoosingABuyerOpensTheMenuAndNamesTheBuyer) {
    window.show();
    TForm18 selection(f.app());
    f.ui.onModal["TForm18"] = [](QDialog& d) {
        auto& s = static_cast<TForm18&>(d);
        s.buyerList()->setCurrentIndex(0);
        s.applyChoice();
        return int(QDialog::Accepted);
    };
    f.ui.showModal(selection);
    EXPECT_EQ(f.run().buyerCode, "1");
    EXPECT_EQ(f.run().typeTicket, "1");
    EXPECT_EQ(f.run().typeVoiding, "4");
    EXPECT_EQ(f.run().printVariant, "");  // the buyer prints the plain "FjLista7.frf"
    const QString name = f.scalar("SELECT v_neve FROM atvevo WHERE v_akod = '1'");
    EXPECT_EQ(window.windowTitle(), "Termaro - " + name.left(25) + " Verzió: 24.00 2006-2024");
    EXPECT_EQ(selection.windowTitle(), window.windowTitle());
    for (const char* menu :
         {"Felvásárlási jegy", "Östermelö", "Termék", "Bevallás", "Listák", "Segédlet"}) {
        EXPECT_TRUE(enabled(menu)) << menu;
    }
    EXPECT_FALSE(visible("Segédlet", "Szerzödés"));
}

TEST_F(MainMenu, SelectionStartsOnTheLastBuyer) {
    TForm18 selection(f.app());
    f.ui.showModal(selection);
    EXPECT_EQ(selection.buyerList()->count(), 2);
    EXPECT_EQ(selection.buyerList()->currentIndex(), 1);
    EXPECT_EQ(f.run().buyerCode, "2");
    EXPECT_EQ(f.run().printVariant, "L");
    // Closing the dialog while the list has the focus applies the choice; the title is whole
    // even with no main window shown.
    EXPECT_EQ(f.run().typeTicket, "1");
    EXPECT_EQ(selection.windowTitle(),
              "Termaro - " + QStringLiteral("Bodnár Zsolt egyéni vállalkozó").left(25) +
                  " Verzió: 24.00 2006-2024");
}

TEST_F(MainMenu, ExitCommitsPendingWorkAndDisconnects) {
    window.show();
    Query& w = f.data().query("ZQ50");
    w.setSql("UPDATE sorszam SET a_fjbszam = '20269999' WHERE a_akod = '1'");
    w.execSql();  // like a start number: waits for the next commit
    window.menuAction("Kilépés")->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(f.data().connected());
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join("|").toStdString();

    RunValues run;
    TData again(run);
    again.connect(f.folder() + "/termaro.fdb");
    Query& r = again.query("ZQ50");
    r.setSql("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'");
    r.open();
    EXPECT_EQ(r.text("a_fjbszam"), "20269999");
}

TEST_F(MainMenu, AnEntryWithoutAScreenSaysItIsNotAvailableYet) {
    f.chooseBuyer("1");
    window.buyerChosen();
    // This window is not wired: every entry but "Kilépés" is one without its screen.
    window.menuAction(QStringLiteral("Segédlet"), QStringLiteral("Évnyitás"))->trigger();
    EXPECT_EQ(f.ui.messages, QStringList{MainWindow::notAvailableYet});

    f.ui.messages.clear();
    bool opened = false;
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Évnyitás"),
                     [&opened] { opened = true; });
    window.menuAction(QStringLiteral("Segédlet"), QStringLiteral("Évnyitás"))->trigger();
    EXPECT_TRUE(opened);
    EXPECT_EQ(f.ui.messages, QStringList());
}

// A pick in the popup list applies that buyer at once, while the list keeps the focus.
TEST_F(MainMenu, APickInThePopupListAppliesTheBuyer) {
    TForm18 selection(f.app());
    f.ui.onModal["TForm18"] = [this](QDialog& d) {
        auto& s = static_cast<TForm18&>(d);
        EXPECT_EQ(f.run().buyerCode, "2");
        QComboBox* list = s.buyerList();
        list->showPopup();
        QAbstractItemView* view = list->view();
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_FALSE(view->isVisible());
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(f.run().buyerCode, "1");
        EXPECT_EQ(f.run().printVariant, "");
        return int(QDialog::Accepted);
    };
    f.ui.showModal(selection);
    EXPECT_EQ(f.run().buyerCode, "1");
}
