#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <functional>

#include "core/application.h"
#include "core/buyer_selection.h"
#include "core/firebird_lock.h"
#include "core/main_window.h"
#include "core/startup.h"
#include "core/version.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

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

// A database that is there but refused: the engine's reason follows on a third line.
TEST(StartUp, RefusedDatabaseAddsTheEnginesReason) {
    const QString notFound =
        QStringLiteral("Az adatbáziskezelöt nem találja.\rA program müködéséhez szükséges.\r");
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());

    struct Case {
        const char* name;
        std::function<void()> prepare;
        const char* reason;
    };
    QProcess otherCopy;
    const Case cases[] = {
        {"not a database",
         [&] {
             QFile file(folder.path() + "/termaro.fdb");
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write(QByteArray(8192, 'x'));
         },
         "not a valid database"},
        {"in use by another copy",
         [&] {
             QFile::remove(folder.path() + "/termaro.fdb");
             createDatabase(folder.path(), false);
             // isql-fb keeps its attachment open while it waits for more input.
             otherCopy.setWorkingDirectory(folder.path());
             otherCopy.start("isql-fb", {"-q", "termaro.fdb"});
             otherCopy.write("SELECT 'ready' FROM rdb$database;\n");
             ASSERT_TRUE(otherCopy.waitForReadyRead(30000));
         },
         "already opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        RecordingUi ui;
        EXPECT_EQ(startProgram(ui), nullptr);
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_TRUE(ui.messages[0].startsWith(notFound)) << ui.messages[0].toStdString();
        const QString reason = ui.messages[0].mid(notFound.size());
        EXPECT_TRUE(reason.contains(c.reason)) << reason.toStdString();
        EXPECT_FALSE(reason.contains('\n') || reason.contains('\r'));
    }
    otherCopy.closeWriteChannel();
    otherCopy.waitForFinished(30000);
    QDir::setCurrent(previous);
}

TEST(StartUp, StandardDialogsSpeakHungarian) {
    QTranslator* translator = installQtHungarian(*qApp);
    ASSERT_NE(translator, nullptr) << "qtbase_hu.qm (qt6-translations-l10n) is missing";
    QMessageBox box(QMessageBox::Question, "Termaro", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Igen");
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nem");
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&'), "Mégse");
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// An ordinary user cannot write Debian's /tmp/firebird: the engine then gets a folder of the
// user's own, the same on every start.
TEST(StartUp, FirebirdLockFolderIsOneTheUserCanWrite) {
    const QByteArray before = qgetenv("FIREBIRD_LOCK");
    QTemporaryDir scratch;
    const QString notAFolder = scratch.path() + "/firebird";
    QFile(notAFolder).open(QIODevice::WriteOnly);  // unusable even for root

    qunsetenv("FIREBIRD_LOCK");
    EXPECT_EQ(useWritableFirebirdLockFolder(scratch.path()), "");  // writable default stays
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("FIREBIRD_LOCK"));

    const QString own = useWritableFirebirdLockFolder(notAFolder);
    EXPECT_EQ(own, QDir::tempPath() + "/firebird-" + QString::number(::getuid()));
    EXPECT_EQ(qEnvironmentVariable("FIREBIRD_LOCK"), own);
    const QFileInfo info(own);
    EXPECT_TRUE(info.isDir() && info.isWritable());
    EXPECT_EQ(info.ownerId(), ::getuid());

    qputenv("FIREBIRD_LOCK", "/somewhere/chosen");  // a choice made outside is kept
    EXPECT_EQ(useWritableFirebirdLockFolder(notAFolder), "/somewhere/chosen");

    if (before.isEmpty())
        qunsetenv("FIREBIRD_LOCK");
    else
        qputenv("FIREBIRD_LOCK", before);
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
