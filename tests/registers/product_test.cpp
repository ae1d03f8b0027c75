#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QTableView>
#include <QTest>

#include "core/elided_label.h"
#include "core/query_model.h"
#include "registers/product_entry.h"
#include "registers/product_list.h"
#include "registers_helpers.h"

namespace {

class Products : public ::testing::Test {
protected:
    Products() { f.chooseBuyer(); }

    std::unique_ptr<TForm6> openList() {
        auto list = std::make_unique<TForm6>(f.app());
        list->show();
        return list;
    }
    std::unique_ptr<TForm7> openEntry(const QString& mode = "Új termék") {
        f.run().productEntryMode = mode;
        auto entry = std::make_unique<TForm7>(f.app());
        entry->show();
        return entry;
    }
    QString current(const char* column) { return f.data().query("ZQ40").text(column); }

    AppFixture f;
};

TEST_F(Products, ListShowsItsColumnsAndStandsOnTheNamePrefix) {
    addProduct(f, "1", "Abrak");
    addProduct(f, "2", "alakor búza");
    addProduct(f, "3", "Zab");
    f.run().productNamePrefix = "ALA";
    auto list = openList();
    auto* grid = list->findChild<QTableView*>("gridZQ40");
    ASSERT_NE(grid, nullptr);
    QStringList titles;
    for (int i = 0; i < grid->model()->columnCount(); ++i) {
        titles << grid->model()->headerData(i, Qt::Horizontal).toString();
    }
    EXPECT_EQ(titles,
              (QStringList{"Kód", "Megnevezés", "VTSZ", "Eár", "M.egység", "Komp.mértéke", "ID"}));
    EXPECT_EQ(current("T_MEGNEVEZES"), "alakor búza");
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(list->findChild<QLabel*>("T_MEGNEVEZES")->text(), "alakor búza");
    EXPECT_EQ(list->findChild<QLabel*>("T_MEGY")->text(), "kg");
    EXPECT_EQ(list->orderLine(), "Termék lista, \"Megnevezés\" szerint");
}

TEST_F(Products, OnlyThreeTitlesSort) {
    addProduct(f, "2", "Zab");
    addProduct(f, "3", "Alma");
    addProduct(f, "1", "Körte");
    auto list = openList();
    auto* grid = list->findChild<QTableView*>("gridZQ40");
    struct Case {
        int section;
        const char* orderLine;
        const char* firstName;
    };
    const Case cases[] = {
        {0, "Termék lista, \"Kód\" szerint", "Körte"},
        {1, "Termék lista, \"Megnevezés\" szerint", "Alma"},
        {6, "Termék lista a beviteli sorrend szerint", "Zab"},
    };
    for (const Case& c : cases) {
        f.data().query("ZQ40").last();
        Q_EMIT grid->horizontalHeader()->sectionClicked(c.section);
        EXPECT_EQ(list->orderLine(), QString::fromUtf8(c.orderLine));
        EXPECT_EQ(current("T_MEGNEVEZES"), QString::fromUtf8(c.firstName)) << c.section;
        EXPECT_EQ(f.data().query("ZQ40").recNo(), 0);
    }
    const QString sql = f.data().query("ZQ40").sql();
    f.data().query("ZQ40").moveTo(2);
    Q_EMIT grid->horizontalHeader()->sectionClicked(2);  // "VTSZ"
    EXPECT_EQ(f.data().query("ZQ40").sql(), sql);
    EXPECT_EQ(f.data().query("ZQ40").recNo(), 2);
    EXPECT_EQ(list->orderLine(), "Termék lista a beviteli sorrend szerint");
}

TEST_F(Products, DeleteRefusesOnlyTheLastProduct) {
    addProduct(f, "1", "Alma");
    {
        auto list = openList();
        button(list.get(), "Töröl")->click();
        EXPECT_EQ(f.ui.messages, QStringList{"Az utolsó terméksor nem törölhető ki."});
    }
    addProduct(f, "2", "Búza");
    f.exec(
        "INSERT INTO fjsor (s_bszam, s_termekkod, s_megnevezes) VALUES ('20260001', '1', 'Alma')");
    f.ui.messages.clear();
    auto list = openList();
    ASSERT_EQ(current("T_KOD"), "1");
    button(list.get(), "Töröl")->click();  // ticket lines name it; still allowed
    EXPECT_EQ(f.ui.messages, QStringList{"Az termék sor törlölve!"});
    EXPECT_EQ(f.scalar("SELECT count(*) || max(t_kod) FROM termek"), "12");
    EXPECT_EQ(f.data().query("ZQ40").rowCount(), 1);
    EXPECT_EQ(list->orderLine(), "Termék lista, \"Megnevezés\" szerint");

    addProduct(f, "3", "Cirok");
    f.exec("CREATE EXCEPTION no_delete 'tilos'");
    f.exec(
        "CREATE TRIGGER keep_products FOR termek BEFORE DELETE AS BEGIN EXCEPTION no_delete; END");
    f.ui.messages.clear();
    auto again = openList();
    button(again.get(), "Töröl")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba61: termék DELETE törlésekor"});
}

TEST_F(Products, EntryProposesTheSuccessorOfTheLargestNumericCode) {
    EXPECT_EQ(openEntry()->field("T_KOD")->text(), "1");
    for (int code = 1; code <= 9; ++code) addProduct(f, QString::number(code), "P");
    EXPECT_EQ(openEntry()->field("T_KOD")->text(), "10");
    addProduct(f, "10", "P");
    EXPECT_EQ(openEntry()->field("T_KOD")->text(), "11");
}

TEST_F(Products, EntryChecksRunInOrder) {
    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"T_KOD", "Nincs megadva a kód!"},
        {"T_MEGNEVEZES", "Nincs megadva a megnevezés!"},
        {"T_EAR", "Nincs megadva a mennyiség!"},
        {"T_MEGY", "Nincs megadva a mennyiség egység!"},
        {"T_KOMPMERTEKE", "Nincs megadva a komp.mérték!"},
    };
    for (const Case& c : cases) {
        auto entry = openEntry();
        entry->field("T_MEGNEVEZES")->setText("Alma");
        entry->field("T_MEGY")->setText("kg");
        entry->field(c.name)->setText(" ");
        f.ui.messages.clear();
        button(entry.get(), "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(focusName(f), c.name);
        EXPECT_TRUE(entry->isVisible());
    }
    EXPECT_EQ(f.scalar("SELECT count(*) FROM termek"), "0");
}

TEST_F(Products, NewProductIsSavedWithItsDefaultsAndTheListStandsOnIt) {
    addProduct(f, "1", "Alma");
    auto list = openList();
    f.ui.onModal["TForm7"] = [&](QDialog& d) {
        auto& entry = static_cast<TForm7&>(d);
        EXPECT_EQ(entry.field("T_KOMPMERTEKE")->text(), "12,00");
        EXPECT_FALSE(entry.field("T_BIZONYLAT")->isVisible());
        entry.field("T_MEGNEVEZES")->setText("Zöldborsó");
        entry.field("T_VTSZ")->setText("0708");
        entry.field("T_EAR")->setText("125,5");
        entry.field("T_MEGY")->setText("kg");
        entry.field("T_BIZONYLAT")->setText("17");
        button(&entry, "OK")->click();
        return entry.result();
    };
    button(list.get(), "Új")->click();
    ASSERT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
    EXPECT_EQ(f.run().productEntryMode, "Új termék");
    EXPECT_EQ(f.run().productNamePrefix, "2");
    EXPECT_EQ(current("T_KOD"), "2");
    EXPECT_EQ(current("T_EAR"), "125,5");
    EXPECT_EQ(current("T_KOMPMERTEKE"), "12");
    EXPECT_EQ(current("T_BIZONYLAT"), "17");
    EXPECT_EQ(current("T_VTSZ"), "0708");
    EXPECT_EQ(list->orderLine(), "Termék lista, \"Megnevezés\" szerint");
}

TEST_F(Products, ChangeLoadsAndUpdatesTheCurrentProduct) {
    addProduct(f, "1", "Alma");
    f.exec("UPDATE termek SET t_bizonylat = '5', t_ear = 99.5");
    auto list = openList();
    f.ui.onModal["TForm7"] = [&](QDialog& d) {
        auto& entry = static_cast<TForm7&>(d);
        EXPECT_EQ(entry.windowTitle(), "Termék módositás");
        EXPECT_EQ(entry.field("T_KOD")->text(), "1");
        EXPECT_EQ(entry.field("T_EAR")->text(), "99,5");
        EXPECT_EQ(entry.field("T_BIZONYLAT")->text(), "5");
        entry.field("T_MEGNEVEZES")->setText("Jonatán alma");
        button(&entry, "OK")->click();
        return entry.result();
    };
    button(list.get(), "Módosít")->click();
    ASSERT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
    EXPECT_EQ(f.scalar("SELECT t_megnevezes || '|' || t_bizonylat || '|' || t_ear FROM termek"),
              "Jonatán alma|5|99.5000");
}

TEST_F(Products, FailedWritesAndRepeatedCodes) {
    addProduct(f, "9", "Alma");
    addProduct(f, "10", "Búza");
    auto entry = openEntry();
    entry->field("T_MEGNEVEZES")->setText("Cirok");
    entry->field("T_MEGY")->setText("kg");
    ASSERT_EQ(entry->field("T_KOD")->text(), "11");
    addProduct(f, "11", "Cékla");  // another copy takes the proposed code meanwhile
    button(entry.get(), "OK")->click();
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages.first().contains("\"11\""));
    EXPECT_EQ(focusName(f), "T_KOD");
    EXPECT_TRUE(entry->isVisible());

    f.ui.messages.clear();
    entry->field("T_KOD")->setText("123456");
    button(entry.get(), "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba72: Újban, INSERT  a termékben "});
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->field("T_MEGNEVEZES")->text(), "Cirok");
    EXPECT_EQ(f.scalar("SELECT count(*) FROM termek"), "3");

    f.ui.messages.clear();
    TForm6::reload(f.app(), "T_KOD");
    f.run().productEntryMode = "Termék módositás";
    TForm7 change(f.app());
    ASSERT_TRUE(change.load());
    change.show();
    change.field("T_MEGY")->setText(QString(11, 'x'));  // wider than the column
    button(&change, "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba73: Módositásban, UPDATE a termékben "});
    EXPECT_TRUE(change.isVisible());

    f.ui.messages.clear();
    f.data().query("ZQ40").close();
    TForm7 broken(f.app());
    EXPECT_FALSE(broken.load());
    EXPECT_EQ(f.ui.messages,
              QStringList{"Hiba71 az őstermelő módosítás Edit-ben való megjelenitésekor!"});
}

TEST_F(Products, PrintHandsTheProductTemplateLandscape) {
    addProduct(f, "2", "Zab", "1004");
    addProduct(f, "1", "Alma", "0808");
    f.exec("UPDATE termek SET t_bizonylat = '7' WHERE t_kod = '1'");
    // A name of the full 75 characters wraps in its row instead of being cut off.
    addProduct(f, "3",
               "Étkezési célra szánt, héjas, szárított, tisztított napraforgómag (BIO) II.o",
               "12060091");
    installTemplate(f, "FjLista6.frf");
    auto list = openList();
    button(list.get(), "Nyomtatás")->click();
    ASSERT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join('\n').toStdString();
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& job = f.ui.reports.first();
    EXPECT_EQ(job.templateFile, "FjLista6.frf");
    EXPECT_TRUE(job.landscape);
    EXPECT_TRUE(job.printButton);
    EXPECT_EQ(cutOffTexts(job), QStringList());
    EXPECT_EQ(f.data().query("ZQ40").sql(), "SELECT * FROM termek ORDER BY t_megnevezes");
    QFile golden(QStringLiteral(TERMARO_SOURCE_DIR "/tests/registers/golden/FjLista6.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(job.pageTexts.join("\f\n"), QString::fromUtf8(golden.readAll()));
}

}  // namespace

// A number field that does not convert is refused before any write, naming the field, and the
// typed product stays; "." typed in a number field is the decimal comma.
TEST_F(Products, NumberFieldsAreCheckedBeforeAnyWrite) {
    auto entry = openEntry();
    entry->field("T_MEGNEVEZES")->setText("Cirok");
    entry->field("T_MEGY")->setText("kg");
    entry->field("T_EAR")->clear();
    QTest::keyClicks(entry->field("T_EAR"), "250.5");
    EXPECT_EQ(entry->field("T_EAR")->text(), "250,5");
    const std::pair<const char*, const char*> cases[] = {
        {"T_EAR", "A(z) \"Egységár\" mező tartalma nem szám: \",\". Kérem javítsa!"},
        {"T_KOMPMERTEKE", "A(z) \"Komp.mértéke\" mező tartalma nem szám: \",\". Kérem javítsa!"},
    };
    for (const auto& [name, message] : cases) {
        f.ui.messages.clear();
        const QString kept = entry->field(name)->text();
        entry->field(name)->setText(",");
        button(entry.get(), "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{QString::fromUtf8(message)});
        EXPECT_EQ(focusName(f), name);
        EXPECT_TRUE(entry->isVisible());
        EXPECT_EQ(f.scalar("SELECT count(*) FROM termek"), "0");
        entry->field(name)->setText(kept);
    }
    f.ui.messages.clear();
    button(entry.get(), "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList());
    EXPECT_EQ(f.scalar("SELECT t_megnevezes || ' ' || t_ear FROM termek"), "Cirok 250.5000");
}

// A 75-character name neither widens the list nor moves its layout as the row changes; the
// whole name stays in the label (cut with "…" on screen, whole as its tool tip), and the grid's
// columns are wide enough for their titles.
TEST_F(Products, ALongNameNeitherWidensTheListNorIsLost) {
    const QString name =
        QStringLiteral("Hosszú nevű étkezési alma, első osztályú, ládában ").repeated(2).left(75);
    addProduct(f, "1", "Alma");
    addProduct(f, "2", name);
    auto list = openList();
    auto* grid = list->findChild<QTableView*>("gridZQ40");
    grid->setCurrentIndex(grid->model()->index(0, 0));
    const int shortWidth = list->layout()->minimumSize().width();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    auto* label = list->findChild<ElidedLabel*>("T_MEGNEVEZES");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), name);
    EXPECT_EQ(list->layout()->minimumSize().width(), shortWidth);
    EXPECT_LE(list->width(), 1280);
    label->resize(100, label->height());
    EXPECT_TRUE(label->elided());
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        const QString title = grid->model()->headerData(column, Qt::Horizontal).toString();
        EXPECT_GE(grid->columnWidth(column), grid->fontMetrics().horizontalAdvance(title))
            << title.toStdString();
    }
}
