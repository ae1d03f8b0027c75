// The raw table editor: the access codes and what closes their dialog, committing each post and
// delete at once, the checks before posting, and an older database.
#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "maintenance/table_editor.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

namespace {

enum class Close { Ok, Cancel, Escape };

// Answers the code dialog with `code`, closing it as the user would.
void answerCode(RecordingUi& ui, const QString& code, Close how = Close::Ok) {
    ui.onModal["TPasswordDlg"] = [code, how](QDialog& d) {
        auto* password = d.findChild<QLineEdit*>("Password");
        password->setText(code);
        if (how == Close::Escape) {
            QTest::keyClick(password, Qt::Key_Escape);
        } else {
            for (QPushButton* b : d.findChildren<QPushButton*>()) {
                if (b->text() == (how == Close::Ok ? "OK" : "Mégsem")) b->click();
            }
        }
        return d.result();
    };
}

QPushButton* button(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>()) {
        if (b->text() == caption) return b;
    }
    return nullptr;
}

// The five tables the first code unlocks, as read-only flags.
std::vector<bool> fiveLocked(TData& data) {
    std::vector<bool> locked;
    for (int n = 1; n <= 5; ++n) locked.push_back(data.table(n).readOnly);
    return locked;
}
const std::vector<bool> allLocked(5, true);
const std::vector<bool> noneLocked(5, false);

// The editor on a table: its grid, model and navigator buttons.
struct Grid {
    TForm22& screen;
    int number;
    QTableView* grid() {
        return screen.findChild<QTableView*>(QStringLiteral("DBGrid%1").arg(number));
    }
    QAbstractItemModel* model() { return grid()->model(); }
    int column(const QString& name) {
        for (int c = 0; c < model()->columnCount(); ++c) {
            if (model()->headerData(c, Qt::Horizontal).toString() == name) return c;
        }
        return -1;
    }
    bool type(int row, const QString& name, const QString& text) {
        return model()->setData(model()->index(row, column(name)), text, Qt::EditRole);
    }
    void press(const char* navigatorButton) {
        screen.findChild<QWidget*>(QStringLiteral("DBNavigator%1").arg(number))
            ->findChild<QToolButton*>(navigatorButton)
            ->click();
    }
};

// Counts rows with `where` through a query of the pool.
int count(AppFixture& f, const QString& sql) {
    return f.scalar(sql).toInt();
}

}  // namespace

TEST(TableEditor, OnlyOkWithTheRightCodeUnlocks) {
    struct Case {
        const char* code;
        Close how;
        std::vector<bool> locked;
        bool buyerGridShown;
    };
    const Case cases[] = {
        {"581926047", Close::Ok, noneLocked, false},
        {"kqv", Close::Ok, noneLocked, true},
        {"KQV", Close::Ok, allLocked, false},  // case counts
        {"", Close::Ok, allLocked, false},
        {"58192604", Close::Ok, allLocked, false},
        {"kqv", Close::Cancel, allLocked, false},
        {"581926047", Close::Cancel, allLocked, false},
        {"581926047", Close::Escape, allLocked, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + std::to_string(static_cast<int>(c.how)));
        AppFixture f;
        f.data().table(6).readOnly = true;  // to see whether the second code opens it
        TForm22 screen(f.app());
        screen.show();
        answerCode(f.ui, c.code, c.how);
        button(screen, "Szerkeszt")->click();
        EXPECT_EQ(fiveLocked(f.data()), c.locked);
        EXPECT_EQ(f.data().table(6).readOnly, !c.buyerGridShown);
        EXPECT_EQ(!screen.findChild<QTableView*>("DBGrid6")->isHidden(), c.buyerGridShown);
        EXPECT_EQ(!screen.findChild<QWidget*>("DBNavigator6")->isHidden(), c.buyerGridShown);
        EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join("\n").toStdString();
    }
}

TEST(TableEditor, TheMKeyUnlocksNothingAndClosingLocksAgain) {
    AppFixture f;
    {
        TForm22 screen(f.app());
        screen.show();
        for (const char* caption : {"Szerkeszt", "Mégsem"}) {
            QTest::keyClick(button(screen, caption), Qt::Key_M);
            QTest::keyClick(button(screen, caption), Qt::Key_M, Qt::ShiftModifier);
        }
        EXPECT_EQ(fiveLocked(f.data()), allLocked);
        Grid termek{screen, 4};
        EXPECT_FALSE((termek.model()->flags(termek.model()->index(0, 1)) & Qt::ItemIsEditable));

        answerCode(f.ui, "581926047");
        button(screen, "Szerkeszt")->click();
        ASSERT_EQ(fiveLocked(f.data()), noneLocked);
        button(screen, "Mégsem")->click();
        EXPECT_FALSE(screen.isVisible());
        EXPECT_EQ(fiveLocked(f.data()), allLocked);
    }
    TForm22 again(f.app());
    again.show();
    EXPECT_EQ(fiveLocked(f.data()), allLocked);
    EXPECT_FALSE((Grid{again, 1}.grid()->isHidden()));
    EXPECT_TRUE((Grid{again, 6}.grid()->isHidden()));
}

TEST(TableEditor, PostsAndDeletesAreCommittedAtOnce) {
    AppFixture f;
    TForm22 screen(f.app());
    screen.show();
    answerCode(f.ui, "581926047");
    button(screen, "Szerkeszt")->click();
    Grid termek{screen, 4};
    ASSERT_EQ(termek.model()->rowCount(), 0);

    termek.press("insert");
    ASSERT_EQ(termek.model()->rowCount(), 1);
    EXPECT_TRUE(termek.type(0, "T_KOD", "B1"));
    EXPECT_TRUE(termek.type(0, "T_MEGNEVEZES", "Búza őszi"));
    EXPECT_TRUE(termek.type(0, "T_EAR", "12,5"));
    termek.press("post");
    termek.press("insert");
    EXPECT_TRUE(termek.type(1, "T_KOD", "B2"));
    termek.press("post");
    ASSERT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join("\n").toStdString();
    EXPECT_EQ(termek.model()->rowCount(), 2);

    // A change of an existing row, then a later write elsewhere that is rolled back.
    EXPECT_TRUE(termek.type(0, "T_VTSZ", "1001"));
    termek.press("post");
    f.data().database().execute("INSERT INTO termek (t_kod) VALUES ('X')", {});
    f.data().rollback();
    EXPECT_EQ(f.scalar("SELECT t_megnevezes || '|' || t_ear || '|' || t_vtsz FROM termek "
                       "WHERE t_kod = 'B1'"),
              "Búza őszi|12.5000|1001");
    EXPECT_EQ(count(f, "SELECT COUNT(*) FROM termek"), 2);
    termek.press("refresh");  // the rollback closed the table views

    // A deletion asks first; No keeps the row.
    termek.grid()->setCurrentIndex(termek.model()->index(1, 0));
    f.ui.answers = {false};
    termek.press("delete");
    EXPECT_EQ(count(f, "SELECT COUNT(*) FROM termek"), 2);
    f.ui.answers = {true};
    termek.press("delete");
    EXPECT_EQ(termek.model()->rowCount(), 1);
    f.data().database().execute("UPDATE termek SET t_kod = 'Y'", {});
    f.data().rollback();
    EXPECT_EQ(f.scalar("SELECT COUNT(*) || MIN(t_kod) FROM termek"), "1B1");
    ASSERT_EQ(f.ui.messages.size(), 2);
    EXPECT_TRUE(f.ui.messages[0].startsWith("Biztosan törli a(z) TERMEK tábla kijelölt sorát"));
}

TEST(TableEditor, ClosingAsksAboutAChangeNotPosted) {
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        AppFixture f;
        f.exec("INSERT INTO termek (t_kod, t_megnevezes) VALUES ('A', 'Alma')");
        TForm22 screen(f.app());
        screen.show();
        answerCode(f.ui, "581926047");
        button(screen, "Szerkeszt")->click();
        Grid termek{screen, 4};
        EXPECT_TRUE(termek.type(0, "T_MEGNEVEZES", "Körte"));
        EXPECT_EQ(termek.model()->headerData(0, Qt::Vertical).toString(), "I");
        f.ui.answers = {keep};
        button(screen, "Mégsem")->click();
        EXPECT_FALSE(screen.isVisible());
        EXPECT_EQ(f.ui.messages,
                  QStringList{"A(z) TERMEK tábla módosított sora nincs rögzítve. Rögzíti?"});
        EXPECT_EQ(f.scalar("SELECT t_megnevezes FROM termek"), keep ? "Körte" : "Alma");
        EXPECT_EQ(fiveLocked(f.data()), allLocked);
    }
}

TEST(TableEditor, RefusesValuesTheColumnCannotHoldBeforeWriting) {
    struct Case {
        int table;
        const char* column;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {4, "T_KOD", "ABCDEF",
         "A(z) \"T_KOD\" mező legfeljebb 5 karakteres, a beírt szöveg 6 karakter. Kérem javítsa!"},
        {4, "T_MEGNEVEZES", "Búza Ω",
         "A(z) \"T_MEGNEVEZES\" mező olyan karaktert tartalmaz (Ω), amely nem tárolható az "
         "adatbázisban. Kérem javítsa!"},
        {4, "T_EAR", "12,34567",
         "A(z) \"T_EAR\" mező legfeljebb 4 tizedesjegyet fogad el: \"12,34567\". Kérem javítsa!"},
        {4, "T_EAR", "12a", "A(z) \"T_EAR\" mező tartalma nem szám: \"12a\". Kérem javítsa!"},
        {4, "T_EAR", "123456789012345,5",
         "A(z) \"T_EAR\" mező ekkora számot nem fogad el: \"123456789012345,5\". Kérem javítsa!"},
        {4, "T_KOMPMERTEKE", "1,5",
         "A(z) \"T_KOMPMERTEKE\" mező tartalma nem egész szám: \"1,5\". Kérem javítsa!"},
        {3, "O_FHAT", "3000000000",
         "A(z) \"O_FHAT\" mező ekkora egész számot nem fogad el: \"3000000000\". Kérem javítsa!"},
        {1, "F_KELT", "2024.13.01",
         "A(z) \"F_KELT\" mező tartalma nem dátum (éééé.hh.nn): \"2024.13.01\". Kérem javítsa!"},
        {1, "F_SUMVAR", "1.5.5",
         "A(z) \"F_SUMVAR\" mező tartalma nem szám: \"1.5.5\". Kérem javítsa!"},
    };
    const char* const tables[] = {"", "fjfej", "fjsor", "ostermelo", "termek"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AppFixture f;
        TForm22 screen(f.app());
        screen.show();
        answerCode(f.ui, "581926047");
        button(screen, "Szerkeszt")->click();
        Grid page{screen, c.table};
        page.press("insert");
        ASSERT_TRUE(page.type(0, c.column, c.text));
        page.press("post");
        EXPECT_EQ(f.ui.messages.size(), 1);
        EXPECT_EQ(f.ui.messages.value(0).toStdString(), c.message);
        EXPECT_EQ(f.ui.lastFocus, page.grid());
        EXPECT_EQ(page.grid()->currentIndex().column(), page.column(c.column));
        // Nothing written; the typed row stays to be corrected.
        EXPECT_EQ(count(f, QStringLiteral("SELECT COUNT(*) FROM %1").arg(tables[c.table])), 0);
        EXPECT_EQ(page.model()->rowCount(), 1);
        EXPECT_EQ(page.model()->data(page.model()->index(0, page.column(c.column))).toString(),
                  c.text);
    }
}

TEST(TableEditor, IdentityAndComputedColumnsStayReadOnly) {
    AppFixture f;
    f.exec("INSERT INTO fjsor (s_bszam, s_brutto, s_ear) VALUES ('1', 10, 2)");
    TForm22 screen(f.app());
    screen.show();
    answerCode(f.ui, "581926047");
    button(screen, "Szerkeszt")->click();
    Grid fjsor{screen, 2};
    for (const char* column : {"ID_FJSOR", "S_NETTO", "S_FELVAR", "S_VETELAR"}) {
        SCOPED_TRACE(column);
        const QModelIndex cell = fjsor.model()->index(0, fjsor.column(column));
        EXPECT_FALSE((fjsor.model()->flags(cell) & Qt::ItemIsEditable));
        EXPECT_FALSE(fjsor.model()->setData(cell, "5", Qt::EditRole));
    }
    EXPECT_TRUE((fjsor.model()->flags(fjsor.model()->index(0, fjsor.column("S_BRUTTO"))) &
                 Qt::ItemIsEditable));
}

TEST(TableEditor, AnOlderDatabaseShowsOnlyItsColumns) {
    QTemporaryDir dir;
    QProcess isql;
    isql.setWorkingDirectory(dir.path());
    isql.start("isql-fb", {"-q", "-bail", "-i", repoDbFolder() + "/create_old.sql"});
    ASSERT_TRUE(isql.waitForFinished(120000));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        RecordingUi ui;
        std::unique_ptr<App> app = App::start(ui);
        TForm22 screen(*app);
        screen.show();
        answerCode(ui, "581926047");
        button(screen, "Szerkeszt")->click();
        Grid producers{screen, 3};
        EXPECT_EQ(producers.model()->columnCount(), 34);
        for (const char* gone : {"O_MNYPTAG", "O_FELIR", "O_IGSZAM1", "O_ERVKELT1", "O_CSGAZD1"})
            EXPECT_EQ(producers.column(gone), -1) << gone;
        EXPECT_EQ(producers.column("O_FELJEGYZ"), 33);

        producers.press("insert");
        EXPECT_TRUE(producers.type(0, "O_KOD", "7"));
        EXPECT_TRUE(producers.type(0, "O_KAMARA", "1234567890"));
        producers.press("post");
        EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("\n").toStdString();
        Query& q = app->data().query("ZQ91");
        q.setSql("SELECT o_kamara FROM ostermelo WHERE o_kod = '7'");
        q.open();
        EXPECT_EQ(q.text("O_KAMARA"), "1234567890");
        q.close();
    }
    QDir::setCurrent(previous);
}

TEST(TableEditor, ARowTheDatabaseRefusesStaysToBeCorrected) {
    AppFixture f;
    f.exec("CREATE UNIQUE INDEX termek_kod_test ON termek (t_kod)");
    f.exec("INSERT INTO termek (t_kod) VALUES ('A')");
    TForm22 screen(f.app());
    screen.show();
    answerCode(f.ui, "581926047");
    button(screen, "Szerkeszt")->click();
    Grid termek{screen, 4};
    termek.press("insert");
    EXPECT_TRUE(termek.type(1, "T_KOD", "A"));
    termek.press("post");
    ASSERT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(f.ui.errors[0].contains("TERMEK_KOD_TEST")) << f.ui.errors[0].toStdString();
    EXPECT_EQ(termek.model()->headerData(1, Qt::Vertical).toString(), "*");
    // Corrected, it posts.
    EXPECT_TRUE(termek.type(1, "T_KOD", "B"));
    termek.press("post");
    EXPECT_EQ(f.ui.errors.size(), 1);
    EXPECT_EQ(f.scalar("SELECT COUNT(*) || MAX(t_kod) FROM termek"), "2B");
    EXPECT_EQ(termek.model()->rowCount(), 2);
}

TEST(TableEditor, APostedRowStaysCurrentInALongTable) {
    AppFixture f;
    f.exec(
        "INSERT INTO termek (t_kod) WITH RECURSIVE n AS (SELECT 1 AS i FROM rdb$database "
        "UNION ALL SELECT i + 1 FROM n WHERE i < 300) SELECT i FROM n");
    f.exec("DELETE FROM termek WHERE t_kod = '150'");
    TForm22 screen(f.app());
    screen.show();
    answerCode(f.ui, "581926047");
    button(screen, "Szerkeszt")->click();
    Grid termek{screen, 4};
    termek.press("last");
    const int last = termek.grid()->currentIndex().row();
    ASSERT_EQ(last, 298);
    EXPECT_TRUE(termek.type(last, "T_MEGNEVEZES", "Utolsó"));
    termek.press("post");
    EXPECT_EQ(termek.grid()->currentIndex().row(), last);
    EXPECT_EQ(termek.model()->data(termek.model()->index(last, termek.column("T_MEGNEVEZES"))),
              "Utolsó");

    termek.press("insert");
    EXPECT_TRUE(termek.type(299, "T_KOD", "301"));
    termek.press("post");
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join("\n").toStdString();
    const QModelIndex current = termek.grid()->currentIndex();
    EXPECT_EQ(termek.model()->data(current.siblingAtColumn(termek.column("T_KOD"))), "301");
    EXPECT_EQ(termek.model()->rowCount(), 300);
}
