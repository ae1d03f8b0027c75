#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include "core/clock.h"
#include "core/database.h"
#include "core/list_screen.h"
#include "core/query_model.h"
#include "lists/itemised_list.h"
#include "lists/per_producer_list.h"
#include "lists/per_product_list.h"
#include "lists_helpers.h"

namespace {

const QDate yearStart(2025, 1, 1);
const QDate yearEnd(2025, 12, 31);

class PeriodLists : public ::testing::Test {
protected:
    PeriodLists() {
        seedYear(f);
        f.chooseBuyer();
        for (const char* name : {"FjLista4.frf", "FjLista5.frf", "FjLista8.frf"}) {
            installTemplate(f, QString::fromLatin1(name));
        }
    }
    Query& zq(const char* name) { return f.data().query(name); }
    void choose(QWidget& screen, const QString& caption) {
        for (QRadioButton* r : screen.findChildren<QRadioButton*>()) {
            if (r->text() == caption) r->click();
        }
    }

    AppFixture f;
};

TEST_F(PeriodLists, OpenOnTheCurrentYearWithPrintingDisabledUntilACollection) {
    setClockForTests(QDateTime(QDate(2025, 6, 15), QTime(10, 0)));
    TForm12 screen(f.app());
    setClockForTests({});
    screen.show();
    EXPECT_EQ(screen.findChild<QDateEdit*>("fromDate")->date(), yearStart);
    EXPECT_EQ(screen.findChild<QDateEdit*>("toDate")->date(), yearEnd);
    const int year = yearStart.year();
    EXPECT_FALSE(enabled(screen, "Nyomtatás"));
    click(screen, "Kigyüjtés");
    EXPECT_TRUE(enabled(screen, "Nyomtatás"));
    screen.findChild<QDateEdit*>("toDate")->setDate(QDate(year, 6, 30));
    EXPECT_FALSE(enabled(screen, "Nyomtatás")) << "a date change";
    click(screen, "Kigyüjtés");
    choose(screen, "Termék");
    EXPECT_FALSE(enabled(screen, "Nyomtatás")) << "an order choice";
    EXPECT_TRUE(f.ui.errors.isEmpty());
}

TEST_F(PeriodLists, ItemisedListTakesTheFiveOrdersAndItsTotal) {
    TForm12 screen(f.app());
    screen.show();
    setPeriod(screen, yearStart, yearEnd);
    const std::pair<const char*, QStringList> orders[] = {
        // NULL names (the deleted producer) sort first.
        {"Östermelö",
         {"10000007", "10000001", "10000005", "10000006", "10000002", "10000002", "10000003"}},
        {"Fiz.dátum",
         {"10000001", "10000002", "10000002", "10000005", "10000006", "10000003", "10000007"}},
        {"Fjegy",
         {"10000001", "10000002", "10000002", "10000003", "10000005", "10000006", "10000007"}},
        // Names compare by their bytes: "búza" and "Árpa" after the capitals.
        {"Termék",
         {"10000001", "10000003", "10000005", "10000005", "10000007", "10000002", "10000002"}},
        {"Felv.dátum",
         {"10000001", "10000002", "10000002", "10000005", "10000006", "10000003", "10000007"}},
    };
    for (const auto& [order, numbers] : orders) {
        choose(screen, QString::fromUtf8(order));
        click(screen, "Kigyüjtés");
        QStringList actual = column(zq("ZQ20"), "s_bszam");
        // A ticket and its voiding line tie on product and producer.
        if (QString::fromUtf8(order) == "Termék") actual.replaceInStrings("10000006", "10000005");
        EXPECT_EQ(actual, numbers) << order;
    }
    // 56000 + 10192 + 13524 + 29120 + 3360 - 3360 + 6720
    EXPECT_EQ(screen.totalText(), "115556");
    auto* model = qobject_cast<QueryModel*>(screen.findChild<QTableView*>("gridZQ20")->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Mennyiség");
    EXPECT_EQ(model->data(model->index(0, 2)).toString(), "1000") << "S_BRUTTO of 10000001";

    choose(screen, QStringLiteral("Fjegy"));
    click(screen, "Kigyüjtés");
    click(screen, "Nyomtatás");
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& job = f.ui.reports.first();
    EXPECT_EQ(job.templateFile, "FjLista4.frf");
    EXPECT_TRUE(job.landscape);
    EXPECT_EQ(job.variables.value("v_sorrend").toString(), "fjegy szám");
    EXPECT_EQ(job.variables.value("v_tol").toString(), "2025.01.01");
    EXPECT_EQ(job.variables.value("v_osszesen").toString(), "115556");
    expectGolden(job, "FjLista4.txt");
}

// A result beyond the first rows is read by key for the grid; the report reads it once more in
// one pass and prints every line.
TEST_F(PeriodLists, ItemisedListPrintsEveryLineOfALargeResult) {
    for (int i = 0; i < 200; ++i) {
        f.exec(QStringLiteral("INSERT INTO fjsor (s_bszam, s_termekkod, s_megnevezes, s_brutto, "
                              "s_megy, s_ear, s_kompmerteke, s_akod) VALUES ('10000008', '1', "
                              "'Zab %1', 1, 'kg', 2, 0, '1')")
                   .arg(i));
    }
    TForm12 screen(f.app());
    screen.show();
    setPeriod(screen, yearStart, yearEnd);
    click(screen, "Kigyüjtés");
    zq("ZQ20").last();
    ASSERT_TRUE(zq("ZQ20").keyed()) << "the grid reads this result by key";
    click(screen, "Nyomtatás");
    ASSERT_EQ(f.ui.reports.size(), 1) << f.ui.messages.join(" | ").toStdString();
    const QString text = f.ui.reports.first().pageTexts.join("\n");
    EXPECT_EQ(text.count(QRegularExpression("10000008 [^\n]* Zab \\d+ ")), 200);
    for (const char* number :
         {"10000001", "10000002", "10000003", "10000005", "10000006", "10000007"}) {
        EXPECT_TRUE(text.contains(QLatin1String(number))) << number;
    }
    EXPECT_EQ(zq("ZQ20").rowCount(), 207);
    EXPECT_TRUE(f.ui.errors.isEmpty());
}

TEST_F(PeriodLists, AnEmptyPeriodGivesAnEmptyListAndTotalZero) {
    TForm12 itemised(f.app());
    itemised.show();
    setPeriod(itemised, yearEnd, yearStart);  // from after to: nothing, no check
    click(itemised, "Kigyüjtés");
    EXPECT_EQ(itemised.totalText(), "0");
    EXPECT_TRUE(zq("ZQ20").isEmpty());
    EXPECT_TRUE(enabled(itemised, "Nyomtatás"));

    TForm19 producers(f.app());
    producers.show();
    setPeriod(producers, QDate(2024, 1, 1), QDate(2024, 12, 31));
    click(producers, "Kigyüjtés");
    EXPECT_EQ(producers.totalText(), "0");
    click(producers, "Nyomtatás");
    ASSERT_EQ(f.ui.reports.size(), 1);
    EXPECT_FALSE(f.ui.reports.first().pageTexts.join("").contains("Őstermelő összesen"));
    EXPECT_TRUE(f.ui.errors.isEmpty());
}

TEST_F(PeriodLists, PerProductGroupsByTheWrittenNameAndTheChosenDate) {
    TForm13 screen(f.app());
    screen.show();
    EXPECT_FALSE(zq("ZQ20").active()) << "opening empties the grid";
    setPeriod(screen, yearStart, QDate(2025, 6, 30));
    click(screen, "Kigyüjtés");
    // Paid on 3 July: out with the payment date.
    EXPECT_EQ(column(zq("ZQ20"), "s_megnevezes"),
              (QStringList{"Búza", "Kukorica", "búza", "Árpa"}));
    EXPECT_EQ(column(zq("ZQ20"), "mennyiseg"), (QStringList{"1000", "0", "200", "300"}));
    EXPECT_EQ(screen.totalText(), "79716");

    choose(screen, "Felvásárlási dátum");
    EXPECT_FALSE(zq("ZQ20").active()) << "a new date choice empties the grid";
    EXPECT_FALSE(enabled(screen, "Nyomtatás"));
    click(screen, "Kigyüjtés");
    // Bought on 30 June: in with the purchase date.
    EXPECT_EQ(column(zq("ZQ20"), "mennyiseg").first(), "1500");
    EXPECT_EQ(screen.totalText(), "108836");

    click(screen, "Nyomtatás");
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& job = f.ui.reports.first();
    EXPECT_FALSE(job.landscape);
    EXPECT_EQ(job.variables.value("v_datum").toString(), "Felvásárlási ");
    EXPECT_EQ(job.variables.value("v_sorrend").toString(), "Termékenként");
    expectGolden(job, "FjLista5.txt");
    EXPECT_TRUE(f.data().userDatasets().empty()) << "no routine outlives the print";
}

// The grid's groups and sums are added up from the period's lines the print lays out; they are
// the database's own groups and sums: names apart only by trailing blanks, a line without a name,
// exact quantities.
TEST_F(PeriodLists, PerProductGroupsAreTheDatabaseGroups) {
    const struct {
        const char* name;  // nullptr: NULL
        const char* quantity;
        const char* price;
    } extra[] = {
        {"Búza ", "0.1", "33.3"},
        {nullptr, "0.2", "1.1"},
        {"Zab", "0.0001", "0.7"},
        {"Zab  ", "0.0002", "1234.56"},
    };
    for (const auto& l : extra) {
        f.exec(QStringLiteral("INSERT INTO fjsor (s_bszam, s_termekkod, s_megnevezes, s_brutto, "
                              "s_ear, s_kompmerteke, s_akod) VALUES ('10000001', '9', %1, %2, %3, "
                              "12, '1')")
                   .arg(l.name ? QStringLiteral("'%1'").arg(QString::fromUtf8(l.name))
                               : QStringLiteral("NULL"),
                        l.quantity, l.price));
    }
    TForm13 screen(f.app());
    screen.show();
    setPeriod(screen, yearStart, yearEnd);
    click(screen, "Kigyüjtés");

    QStringList expected;
    auto cursor = f.data().database().open(
        "SELECT s_megnevezes, SUM(s_netto), SUM(s_vetelar), SUM(SUM(s_vetelar)) OVER () FROM fjsor "
        "JOIN fjfej ON s_bszam = f_bszam WHERE f_fizkelt BETWEEN ? AND ? AND f_akod = '1' GROUP BY "
        "s_megnevezes ORDER BY s_megnevezes",
        {Value::date(yearStart), Value::date(yearEnd)});
    QByteArray row;
    QString total;
    while (cursor->fetch(row)) {
        expected << QStringLiteral("%1|%2|%3")
                        .arg(Cursor::unpack(row, 0).asText().trimmed(),
                             Cursor::unpack(row, 1).asText(), Cursor::unpack(row, 2).asText());
        total = numberText(Cursor::unpack(row, 3).asDouble());
    }
    QStringList actual;
    Query& products = zq("ZQ20");
    for (products.first(); !products.eof(); products.next()) {
        actual << QStringLiteral("%1|%2|%3")
                      .arg(products.value("s_megnevezes").asText().trimmed(),
                           products.value("mennyiseg").asText(),
                           products.value("kifizetett").asText());
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(screen.totalText(), total);
    EXPECT_EQ(expected.size(), 7) << "NULL, Búza, Kukorica, Napraforgó, Zab, búza, Árpa";
}

TEST_F(PeriodLists, PerProducerGroupsKeepTheLinesOfADeletedProducer) {
    TForm19 screen(f.app());
    screen.show();
    setPeriod(screen, yearStart, yearEnd);
    click(screen, "Kigyüjtés");
    EXPECT_EQ(column(zq("ZQ20"), "o_kod"), (QStringList{"1", "2", "3", "9"}));
    EXPECT_EQ(column(zq("ZQ20"), "nevosszesen"), (QStringList{"56000", "23716", "29120", "6720"}));
    EXPECT_EQ(screen.totalText(), "115556");
    click(screen, "Nyomtatás");
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& job = f.ui.reports.first();
    EXPECT_EQ(job.templateFile, "FjLista8.frf");
    EXPECT_EQ(job.variables.value("v_sorrend").toString(), " Östermelönként ");
    EXPECT_TRUE(job.pageTexts.join("\n").contains("Napraforgó")) << "the deleted producer's line";
    expectGolden(job, "FjLista8.txt");
    EXPECT_TRUE(f.data().userDatasets().empty());
}

// A producer code held by two producers: each is a group of its own with the code's lines, and
// every printed group holds its lines and adds up to its sum.
TEST_F(PeriodLists, PerProducerGivesEachHolderOfACodeItsOwnGroup) {
    f.exec(QStringLiteral("INSERT INTO ostermelo (o_kod, o_nev) VALUES ('2', 'Bodor Ábel')"));
    TForm19 screen(f.app());
    screen.show();
    setPeriod(screen, yearStart, yearEnd);
    click(screen, "Kigyüjtés");
    EXPECT_EQ(column(zq("ZQ20"), "o_kod"), (QStringList{"1", "2", "2", "3", "9"}));
    EXPECT_EQ(column(zq("ZQ20"), "nevosszesen"),
              (QStringList{"56000", "23716", "23716", "29120", "6720"}));
    EXPECT_EQ(screen.totalText(), "139272");
    click(screen, "Nyomtatás");
    ASSERT_EQ(f.ui.reports.size(), 1) << f.ui.messages.join(" | ").toStdString();
    const QString text = f.ui.reports.first().pageTexts.join("\n");
    for (const char* producer : {"2 Bodor Ágnes\n", "2 Bodor Ábel\n"}) {
        const qsizetype at = text.indexOf(QString::fromUtf8(producer));
        ASSERT_GE(at, 0) << producer;
        const QString group = text.mid(at, text.indexOf("Őstermelő összesen", at) - at);
        EXPECT_TRUE(group.contains("búza 200 kg") && group.contains("Árpa 300 kg")) << producer;
        EXPECT_TRUE(
            text.mid(at).contains(QRegularExpression("^[^Ő]*Őstermelő összesen: 23 716,00")))
            << producer;
    }
    EXPECT_TRUE(text.contains("Mindösszesen: 139 272,00 Ft"));
}

// The grouped reports read only the columns their template prints: a template changed to print
// other columns of the joined tables gets them, and one naming no such column says so.
TEST_F(PeriodLists, GroupedReportsReadTheColumnsTheirTemplatePrints) {
    const auto rewriteTemplate = [this](const QString& name, const QString& from,
                                        const QString& to) {
        QFile file(f.folder() + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(file.readAll());
        file.close();
        ASSERT_TRUE(text.contains(from));
        text.replace(from, to);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    };
    rewriteTemplate(QStringLiteral("FjLista5.frf"), QStringLiteral("[ZQ21.\"s_megy\"]"),
                    QStringLiteral("[ZQ21.\"s_vtsz\"]/[ZQ21.\"f_tipus\"]/[ZQ21.\"o_nev\"]"));
    rewriteTemplate(QStringLiteral("FjLista8.frf"), QStringLiteral("[ZQ21.\"s_megy\"]"),
                    QStringLiteral("[ZQ21.\"nincs_ilyen\"]"));
    {
        TForm13 screen(f.app());
        screen.show();
        setPeriod(screen, yearStart, yearEnd);
        click(screen, "Kigyüjtés");
        click(screen, "Nyomtatás");
        ASSERT_EQ(f.ui.reports.size(), 1) << f.ui.messages.join(" | ").toStdString();
        EXPECT_TRUE(f.ui.reports.first().pageTexts.join("\n").contains("1001/"));
    }
    TForm19 screen(f.app());
    screen.show();
    setPeriod(screen, yearStart, yearEnd);
    click(screen, "Kigyüjtés");
    click(screen, "Nyomtatás");
    EXPECT_EQ(f.ui.reports.size(), 1) << "no second report";
    EXPECT_TRUE(f.ui.messages.join(" | ").contains("nincs_ilyen"))
        << f.ui.messages.join(" | ").toStdString();
    EXPECT_TRUE(f.data().userDatasets().empty());
}

TEST_F(PeriodLists, EnterMovesThroughTheDatesOnTheItemisedList) {
    TForm12 screen(f.app());
    screen.show();
    screen.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
    auto* from = screen.findChild<QDateEdit*>("fromDate");
    auto* to = screen.findChild<QDateEdit*>("toDate");
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Return);
    EXPECT_TRUE(to->hasFocus());
    QTest::keyClick(to, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(from->hasFocus());
    EXPECT_TRUE(screen.isVisible()) << "Enter never closes the screen";
}

}  // namespace
