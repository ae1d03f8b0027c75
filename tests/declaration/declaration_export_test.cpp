#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLineEdit>

#include "declaration/declaration_screen.h"
#include "declaration_helpers.h"
#include "report/report_job.h"

using namespace declaration_test;

namespace {

class DeclarationExport : public ::testing::Test {
protected:
    DeclarationExport() {
        setClockForTests(QDateTime(QDate(2024, 9, 10), QTime(9, 0)));
        f.chooseBuyer();
        month = drive.makeFolder("TERMARO/08");
    }
    ~DeclarationExport() override { setClockForTests({}); }

    // A producer row; empty texts are stored as NULL.
    void addProducer(const QString& code, const QString& name, const QString& taxId,
                     const QString& farm = {}, const QString& birthDate = "1962-03-14") {
        Query& q = f.data().query("ZQ91");
        q.close();
        q.setSql(
            "INSERT INTO ostermelo (o_kod, o_nev, o_adoazon, o_neme, o_igszam1, o_csgazd1, "
            "o_szulnev, o_anyja, o_szulhely, o_szido, o_adoszam, o_felir) VALUES (:p1, :p2, :p3, "
            "'1', 'NEBIH9922983695', :p4, :p2, 'Szőke Éva Ágnes', 'Győr', :p5, '71689766103', "
            "'KJ7273177')");
        q.bindText("p1", code);
        q.bindText("p2", name);
        q.bindText("p3", taxId);
        if (farm.isEmpty())
            q.bindNull("p4");
        else
            q.bindText("p4", farm);
        if (birthDate.isEmpty())
            q.bindNull("p5");
        else
            q.bindDate("p5", QString(birthDate).replace('-', '.'));
        q.execSql();
        f.data().commit();
    }
    void addTicket(const QString& code, const QString& paid, const QString& payable,
                   const QString& total = "0", const QString& buyer = "1") {
        f.exec(QString("INSERT INTO fjfej (f_bszam, f_ostermkod, f_fizkelt, f_akod, f_muvktg, "
                       "f_sumvar, f_tipus) VALUES ('%1', '%2', DATE '%3', '%4', %5, %6, '1')")
                   .arg(++number)
                   .arg(code, paid, buyer, payable, total));
    }

    std::unique_ptr<TForm11> open() {
        auto screen = std::make_unique<TForm11>(f.app());
        screen->show();
        return screen;
    }
    void setPeriod(TForm11& s, QDate from, QDate to) {
        s.findChild<QDateEdit*>("fromDate")->setDate(from);
        s.findChild<QDateEdit*>("toDate")->setDate(to);
    }
    // Sets an August period, accepts it and collects.
    void collectAugust(TForm11& s) {
        setPeriod(s, QDate(2024, 8, 1), QDate(2024, 8, 31));
        button(s, "OK")->click();
        button(s, "Kigyüjtés")->click();
    }
    QString file(const QString& taxId) { return month + "/2408M202408_" + taxId + ".imp"; }
    QString groupList() { return month + "/2108M_20240801_0831.txt"; }

    CDrive drive;
    AppFixture f;
    QString month;
    int number = 20240000;
};

TEST_F(DeclarationExport, OpensOnTheCurrentYearWithItsButtonsDisabled) {
    auto s = open();
    EXPECT_EQ(s->windowTitle(), "NAV 2308M adat importnak a létrehozása");
    EXPECT_EQ(s->findChild<QDateEdit*>("fromDate")->date(), QDate(2024, 1, 1));
    EXPECT_EQ(s->findChild<QDateEdit*>("toDate")->date(), QDate(2024, 12, 31));
    EXPECT_FALSE(button(*s, "Kigyüjtés")->isEnabled());
    EXPECT_FALSE(button(*s, "Nyomtatás")->isEnabled());
    EXPECT_EQ(f.data().query("ZQ20").rowCount(), 0);
}

TEST_F(DeclarationExport, GoldenMonthByteForByte) {
    addProducer("00012", "Kovács János", "8347708363", " OCSG-12345678 ");
    addTicket("00012", "2024-08-05", "1000.25");
    addTicket("00012", "2024-08-31", "234.25");
    addTicket("00012", "2024-09-01", "5000");           // next month
    addTicket("00012", "2024-08-10", "777", "0", "2");  // another buyer
    writeBytes(month + "/sajat.txt", "a user's own file");
    auto s = open();
    collectAugust(*s);
    ASSERT_EQ(f.ui.messages, QStringList());
    EXPECT_EQ(f.ui.errors, QStringList());
    EXPECT_EQ(s->findChild<QLineEdit*>("folder")->text(), QDir::toNativeSeparators(month + "/"));
    EXPECT_TRUE(button(*s, "Nyomtatás")->isEnabled());

    const char* lines[] = {"$ny_azon=2408M",
                           "$sorok_száma=26",
                           "$d_lapok_száma=0",
                           "$info=00012_Kovács János_8347708363",
                           "13841=14287532203",
                           "13842= ",
                           "13843=Tisza-Mező Termény Kft.",
                           "17428=",
                           "17429=",
                           "17430=",
                           "13844=8347708363",
                           "13845=1",
                           "13846=HU",
                           "13848=NEBIH9922983695",
                           "13849=OCSG12345678",
                           "14807=Kovács ",
                           "14808=János",
                           "17052=Kovács ",
                           "17053=János",
                           "17054=Szőke Éva ",
                           "17055=Ágnes",
                           "13854=Győr",
                           "13855=19620314",
                           "16697=20240801",
                           "16698=20240831",
                           "24804=1235",
                           "24805=1",
                           "13847=71689766103",
                           "25106=KJ7273177"};
    QByteArray expected;
    for (const char* line : lines) expected += latin2(line) + "\r\n";
    EXPECT_EQ(readBytes(file("8347708363")), expected);
    EXPECT_EQ(readBytes(groupList()),
              QDir::toNativeSeparators(file("8347708363")).toLocal8Bit() + "\r\n");
    EXPECT_EQ(QDir(month).entryList(QDir::Files),
              QStringList({"2108M_20240801_0831.txt", "2408M202408_8347708363.imp", "sajat.txt"}));
    expectImportable(month);
    EXPECT_EQ(f.data().query("ZQ20").rowCount(), 1) << "the grid shows the producers' sums";

    // A second run starts from the program's own files only.
    writeBytes(month + "/2408M202408_1111111111.imp", "stale");
    writeBytes(month + "/2108M_old.bak", "stale");
    button(*s, "Kigyüjtés")->click();
    EXPECT_EQ(QDir(month).entryList(QDir::Files),
              QStringList({"2108M_20240801_0831.txt", "2408M202408_8347708363.imp", "sajat.txt"}));
    EXPECT_EQ(readBytes(month + "/sajat.txt"), "a user's own file");
}

TEST_F(DeclarationExport, ShortFormsAndCleanedValues) {
    // No OCSG number, a one-word name, no birth date, a line break and typographic quotes.
    addProducer("00003", "Madonna", "8347708363", "OCSG-1234", "");
    f.exec(
        "UPDATE ostermelo SET o_anyja = '  Kiss Éva  ', o_szulhely = 'Győr' || ASCII_CHAR(13) "
        "|| ASCII_CHAR(10) || '„Újváros” – Észak'");
    addTicket("00003", "2024-08-02", "0");
    auto s = open();
    collectAugust(*s);
    const QByteArray bytes = readBytes(file("8347708363"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    ASSERT_EQ(lines.size(), 28);
    EXPECT_EQ(lines[1], latin2("$sorok_száma=26\r"));
    EXPECT_EQ(lines[14], "14807= \r");
    EXPECT_EQ(lines[15], "14808=Madonna\r");
    EXPECT_EQ(lines[18], latin2("17054=Kiss \r"));
    EXPECT_EQ(lines[19], latin2("17055=Éva\r"));
    EXPECT_EQ(lines[20], latin2("13854=Győr  \"Újváros\" - Észak\r"));
    EXPECT_EQ(lines[21], "13855=\r");
    EXPECT_EQ(lines[24], "24804=0\r");
    expectImportable(month);
}

TEST_F(DeclarationExport, CodesSharingATaxIdGetOneFileSummedOnce) {
    addProducer("00002", "Nagy Péter", "8347708363");
    addProducer("00001", "Nagy Péter Pál", "8347708363");
    addProducer("00005", "Tóth Ilona", "8123456789");
    addTicket("00002", "2024-08-03", "100.3");
    addTicket("00001", "2024-08-04", "200.3");
    addTicket("00005", "2024-08-04", "50");
    auto s = open();
    collectAugust(*s);
    const QByteArray bytes = readBytes(file("8347708363"));
    EXPECT_TRUE(bytes.contains("\r\n24804=301\r\n")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("$info=00001_Nagy P\xE9ter P\xE1l_8347708363\r\n"));
    EXPECT_EQ(readBytes(groupList()), (QDir::toNativeSeparators(file("8347708363")) + "\r\n" +
                                       QDir::toNativeSeparators(file("8123456789")) + "\r\n")
                                          .toLocal8Bit());
}

TEST_F(DeclarationExport, RefusedPeriodsLeaveTheFolderAlone) {
    writeBytes(month + "/2408M202408_8347708363.imp", "earlier run");
    const auto before = snapshot(month);
    struct Case {
        QDate from, to;
    };
    const Case cases[] = {{QDate(2024, 8, 10), QDate(2024, 8, 5)},
                          {QDate(2023, 8, 1), QDate(2024, 8, 31)},
                          {QDate(2024, 7, 1), QDate(2024, 8, 31)}};
    for (const Case& c : cases) {
        auto s = open();
        f.ui.messages.clear();
        f.ui.beeps = 0;
        setPeriod(*s, c.from, c.to);
        button(*s, "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{"Hiba112! Csak egy hónap intervallum lehet."});
        EXPECT_EQ(f.ui.beeps, 1);
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(s->findChild<QDateEdit*>("toDate"), &leave);
        EXPECT_EQ(f.ui.messages.value(1), "Hiba111! Csak egy hónap intervallum lehet.");
        EXPECT_FALSE(button(*s, "Kigyüjtés")->isEnabled());
    }
    EXPECT_EQ(snapshot(month), before);
}

TEST_F(DeclarationExport, ADateChangeDisablesBothButtons) {
    addProducer("00012", "Kovács János", "8347708363");
    addTicket("00012", "2024-08-05", "10");
    auto s = open();
    collectAugust(*s);
    ASSERT_TRUE(button(*s, "Nyomtatás")->isEnabled());
    s->findChild<QDateEdit*>("toDate")->setDate(QDate(2024, 8, 30));
    EXPECT_FALSE(button(*s, "Kigyüjtés")->isEnabled());
    EXPECT_FALSE(button(*s, "Nyomtatás")->isEnabled());
}

TEST_F(DeclarationExport, CodesWithoutAProducerOrTaxIdAreNamedAfterTheRun) {
    addProducer("00012", "Kovács János", "8347708363");
    addProducer("00013", "Rossz Adó", "834770836");
    addTicket("00012", "2024-08-05", "10");
    addTicket("00013", "2024-08-05", "20");
    addTicket("00099", "2024-08-06", "30");
    auto s = open();
    collectAugust(*s);
    EXPECT_EQ(QDir(month).entryList({"*.imp"}), QStringList{"2408M202408_8347708363.imp"});
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages[0].contains("00013, 00099")) << f.ui.messages[0].toStdString();
    EXPECT_TRUE(button(*s, "Nyomtatás")->isEnabled());
}

TEST_F(DeclarationExport, FailuresWriteNothingAndKeepPrintDisabled) {
    addProducer("00012", "Kovács János", "8347708363");
    addProducer("00014", "Wang €", "8123456789");
    addTicket("00012", "2024-08-05", "10");
    addTicket("00014", "2024-08-05", "10");
    auto s = open();
    collectAugust(*s);
    ASSERT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(f.ui.errors[0].contains("00014") && f.ui.errors[0].contains("O_NEV"))
        << f.ui.errors[0].toStdString();
    EXPECT_TRUE(QDir(month).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(button(*s, "Nyomtatás")->isEnabled());

    // A group list that cannot be written takes the run's import files with it.
    f.exec("UPDATE ostermelo SET o_nev = 'Wang Li', o_szulnev = 'Wang Li' WHERE o_kod = '00014'");
    QDir(month).mkdir("2108M_20240801_0831.txt");
    f.ui.errors.clear();
    button(*s, "Kigyüjtés")->click();
    EXPECT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(QDir(month).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(button(*s, "Nyomtatás")->isEnabled());

    // A missing month folder.
    QDir(month).removeRecursively();
    f.ui.errors.clear();
    button(*s, "Kigyüjtés")->click();
    ASSERT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(f.ui.errors[0].startsWith("A mappa nem létezik")) << f.ui.errors[0].toStdString();
}

TEST_F(DeclarationExport, EmptyMonthAndThePurchaseTotalSetting) {
    auto s = open();
    collectAugust(*s);
    EXPECT_EQ(readBytes(groupList()), QByteArray());
    EXPECT_TRUE(button(*s, "Nyomtatás")->isEnabled());

    f.run().programFile = f.folder() + "/termaro";
    writeBytes(f.folder() + "/termaroform9.ini", "[Form9]\r\nEdit15Visible=1\r\n");
    addProducer("00012", "Kovács János", "8347708363");
    addTicket("00012", "2024-08-05", "900", "1234.5");
    auto withTotals = open();
    collectAugust(*withTotals);
    EXPECT_TRUE(readBytes(file("8347708363")).contains("\r\n24804=1235\r\n"));
}

TEST_F(DeclarationExport, PrintsTheDeclarationListByName) {
    QFile::copy(repoDbFolder() + "/FjLista3.frf", f.folder() + "/FjLista3.frf");
    addProducer("00001", "Zöld Ákos", "8347708363");
    addProducer("00002", "Antal Béla", "8123456789");
    addTicket("00001", "2024-08-05", "1000");
    addTicket("00002", "2024-08-06", "234.5");
    auto s = open();
    collectAugust(*s);
    button(*s, "Nyomtatás")->click();
    ASSERT_EQ(f.ui.reports.size(), 1) << f.ui.errors.join('|').toStdString();
    const ReportJob& job = f.ui.reports[0];
    EXPECT_EQ(job.templateFile, "FjLista3.frf");
    EXPECT_FALSE(job.landscape);
    EXPECT_EQ(job.variables.value("v_osszesen").toString(), "1235");
    EXPECT_EQ(job.variables.value("v_tol").toString(), "2024.08.01");
    EXPECT_EQ(job.variables.value("v_ig").toString(), "2024.08.31");
    const QString text = job.pageTexts.join("\f");
    EXPECT_LT(text.indexOf("Antal Béla"), text.indexOf("Zöld Ákos")) << text.toStdString();
    EXPECT_TRUE(text.contains("Összesen: 1 235 Ft")) << text.toStdString();
}

}  // namespace
