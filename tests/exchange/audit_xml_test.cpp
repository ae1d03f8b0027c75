#include "exchange/audit_xml_screen.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "app/screens.h"
#include "core/clock.h"
#include "core/main_window.h"
#include "exchange/audit_xml.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QPushButton* buttonOf(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    throw std::runtime_error(("no button " + caption).toStdString());
}

// The demo database with buyer 1 chosen, the schema installed and a fixed day.
struct AuditFixture {
    AuditFixture() {
        setClockForTests(QDateTime(QDate(2026, 12, 31), QTime(10, 0)));
        f.chooseBuyer("1");
        f.run().programFile = f.folder() + QStringLiteral("/termaro");
        QFile::copy(repoDbFolder() + "/" + audit::schemaFile, f.folder() + "/" + audit::schemaFile);
    }
    ~AuditFixture() { setClockForTests({}); }

    QString path() const { return f.folder() + QStringLiteral("/szamlak.xml"); }

    // Opens the screen on the year 2026 by issue date, exporting to path().
    std::unique_ptr<TForm40> open() {
        auto screen = std::make_unique<TForm40>(f.app());
        screen->show();
        screen->findChild<QDateEdit*>("fromDate")->setDate(QDate(2026, 1, 1));
        screen->findChild<QDateEdit*>("toDate")->setDate(QDate(2026, 12, 31));
        screen->findChild<QLineEdit*>("exportPath")->setText(path());
        return screen;
    }
    void collectAndExport(TForm40& screen) {
        screen.collectButton()->click();
        if (screen.exportButton()->isEnabled()) screen.exportButton()->click();
    }

    AppFixture f{true};
};

int count(const QString& text, const QString& what) {
    return static_cast<int>(text.count(what));
}

}  // namespace

TEST(AuditXml, DemoYearIsWrittenAsTheSchemaWantsIt) {
    AuditFixture a;
    a.f.exec("UPDATE ostermelo SET o_nev = 'Kovács & Fia <Bt>' WHERE o_kod = '1'");
    auto screen = a.open();
    EXPECT_FALSE(screen->exportButton()->isEnabled());
    screen->collectButton()->click();
    EXPECT_EQ(a.f.ui.messages, QStringList{"1.A FEJ adatok kigyűjtése vége.\n2. Folytatás az "
                                           "\"EXPORT\" gombra."});
    EXPECT_EQ(a.f.scalar("SELECT count(*) FROM navfej"), "13");
    ASSERT_TRUE(screen->exportButton()->isEnabled());
    a.f.ui.messages.clear();
    screen->exportButton()->click();
    EXPECT_EQ(a.f.ui.messages,
              (QStringList{"3.Az \"EXPORT\" vége.\nAdatok a \"" + a.path() + "\" fáljban.",
                           "Séma szerinti ellenőrzés: valid"}));

    const QByteArray bytes = readAll(a.path());
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.endsWith("</szamlak>\r\n"));

    QProcess lint;
    lint.start("xmllint",
               {"--noout", "--schema", a.f.folder() + "/" + audit::schemaFile, a.path()});
    ASSERT_TRUE(lint.waitForFinished(60000));
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();

    const QString xml = QString::fromUtf8(bytes);
    EXPECT_TRUE(
        xml.contains("  <export_datuma>2026-12-31</export_datuma>\r\n"
                     "  <export_szla_db>13</export_szla_db>\r\n"
                     "  <kezdo_ido>2026-01-01</kezdo_ido>\r\n"
                     "  <zaro_ido>2026-12-31</zaro_ido>\r\n"
                     "  <kezdo_szla_szam>20260001</kezdo_szla_szam>\r\n"
                     "  <zaro_szla_szam>20260013</zaro_szla_szam>\r\n"));
    EXPECT_EQ(count(xml, "<szamla>"), 13);
    for (int n = 20260001; n <= 20260013; ++n)
        EXPECT_TRUE(xml.contains(QStringLiteral("<szlasorszam>%1</szlasorszam>").arg(n))) << n;
    EXPECT_EQ(screen->findChild<QLineEdit*>("fromNumber")->text(), "20260001");
    EXPECT_EQ(screen->findChild<QLineEdit*>("toNumber")->text(), "20260013");

    // The voiding document names the ticket it voids; the voided one is an ordinary invoice.
    EXPECT_TRUE(
        xml.contains("<szlasorszam>20260013</szlasorszam>\r\n"
                     "        <szlatipus>4</szlatipus>\r\n"
                     "        <szladatum>2026-10-20</szladatum>\r\n"
                     "        <teljdatum>2026-08-31</teljdatum>\r\n"));
    EXPECT_TRUE(
        xml.contains("    <modosito_szla>\r\n      <eredeti_sorszam>20260011</eredeti_sorszam>"
                     "\r\n    </modosito_szla>\r\n"));
    EXPECT_EQ(count(xml, "<modosito_szla>"), 1);
    // SZJA of 20260002: 15 % of 3 329 200.14; the deduction of 20260004: 1500.
    EXPECT_TRUE(
        xml.contains("    <termek_szolgaltatas_tetelek>\r\n"
                     "      <termeknev>Szja levonás</termeknev>\r\n"
                     "      <menny>1.00</menny>\r\n"
                     "      <mertekegys>db</mertekegys>\r\n"
                     "      <nettoar>-499380.02</nettoar>\r\n"
                     "    </termek_szolgaltatas_tetelek>\r\n"));
    EXPECT_TRUE(
        xml.contains("<termeknev>Levonás</termeknev>\r\n      <menny>1.00</menny>\r\n"
                     "      <mertekegys>db</mertekegys>\r\n      <nettoar>-1500.00</nettoar>"));
    // 20260005 buys at 7 and 12 percent: two rate groups, one total.
    const qsizetype fifth = xml.indexOf("<szlasorszam>20260005<");
    const QString invoice = xml.mid(fifth, xml.indexOf("</szamla>", fifth) - fifth);
    EXPECT_EQ(count(invoice, "<afarovat>"), 2);
    EXPECT_TRUE(
        invoice.contains("<nettoar>86400.00</nettoar>\r\n        <adokulcs>7.00</adokulcs>\r\n"
                         "        <adoertek>6048.00</adoertek>\r\n"
                         "        <bruttoar>92448.00</bruttoar>"));
    EXPECT_TRUE(invoice.contains("<adokulcs>12.00</adokulcs>"));
    EXPECT_EQ(count(invoice, "<vegosszeg>"), 1);
    EXPECT_TRUE(invoice.contains("<menny>85.50</menny>"));
    EXPECT_TRUE(xml.contains("<nev>Kovács &amp; Fia &lt;Bt&gt;</nev>"));
    EXPECT_TRUE(xml.contains("      <onszamla>true</onszamla>\r\n"));
    EXPECT_TRUE(xml.contains("<fiz_mod>átutalás</fiz_mod>"));
    EXPECT_FALSE(xml.contains("<szla_forma>"));  // empty setting: left out
    EXPECT_FALSE(xml.contains("<kisadozo>"));    // the buyer's ' ' is no boolean
}

TEST(AuditXml, NumberRangeTakesItsPeriodFromTheDocuments) {
    AuditFixture a;
    auto screen = a.open();
    screen->findChild<QRadioButton*>()->setChecked(false);
    for (QRadioButton* r : screen->findChildren<QRadioButton*>())
        if (r->text() == "Sorszám") r->setChecked(true);
    screen->findChild<QLineEdit*>("fromNumber")->setText("20260011");
    screen->findChild<QLineEdit*>("toNumber")->setText("20260013");
    a.collectAndExport(*screen);
    EXPECT_EQ(a.f.ui.messages.last(), "Séma szerinti ellenőrzés: valid");
    const QString xml = QString::fromUtf8(readAll(a.path()));
    EXPECT_TRUE(
        xml.contains("<export_szla_db>3</export_szla_db>\r\n"
                     "  <kezdo_ido>2026-08-31</kezdo_ido>\r\n"
                     "  <zaro_ido>2026-10-20</zaro_ido>\r\n"));
}

// Each fault the schema or the staging would not survive is refused with the document named,
// and the earlier export stays as it was.
TEST(AuditXml, RefusalsLeaveTheEarlierExportUntouched) {
    struct Case {
        const char* sql;
        const char* selfBilling;
        const char* form;
        const char* message;
    };
    const QString longForm(101, QLatin1Char('x'));
    const Case cases[] = {
        {"UPDATE fjfej SET f_tipus = '7' WHERE f_bszam = '20260001'", nullptr, nullptr,
         "Javitandó! Hibás (1-6 lehet) a(z) 20260001bizonylatban a bizonylat tipusa!"},
        {"UPDATE atvevo SET v_adoszam = '1428753' WHERE v_akod = '1'", nullptr, nullptr,
         "Javitandó! Nem 8-20 karakteres a(z) 20260001bizonylatban az átvevő adószáma!"},
        {"UPDATE atvevo SET v_neve = ' ' WHERE v_akod = '1'", nullptr, nullptr,
         "Javitandó! Nincs megadva a(z) 20260001bizonylatban az átvevő neve!"},
        {"UPDATE atvevo SET v_irszam = '600' WHERE v_akod = '1'", nullptr, nullptr,
         "Javitandó! Négy karekternél kevesebb a(z) 20260001bizonylatban az átvevő "
         "irányitószáma!"},
        {"UPDATE ostermelo SET o_adoszam = '7168976' WHERE o_kod = '3'", nullptr, nullptr,
         "Javitandó! Kevesebb mint 8 karakter a(z) 20260002bizonylatban az őstermelő adószáma!"},
        {"UPDATE ostermelo SET o_nev = '' WHERE o_kod = '3'", nullptr, nullptr,
         "Javitandó! Nincs megadva a(z) 20260002bizonylatban az őstermelő neve!"},
        {"UPDATE ostermelo SET o_irszam = '27' WHERE o_kod = '3'", nullptr, nullptr,
         "Javitandó! Négy karekternél kevesebb a(z) 20260002bizonylatban az őstermelő "
         "irányitószáma!"},
        {"DELETE FROM fjsor WHERE s_bszam = '20260003'", nullptr, nullptr,
         "Javitandó! Nincs tétele a(z) 20260003 bizonylatnak!"},
        {"UPDATE fjsor SET s_megnevezes = '  ' WHERE s_bszam = '20260004'", nullptr, nullptr,
         "Javitandó! Nincs megadva a(z) 20260004bizonylatban a termék neve!"},
        {"UPDATE fjsor SET s_megy = NULL WHERE s_bszam = '20260004'", nullptr, nullptr,
         "Javitandó! Nincs megadva a(z) 20260004bizonylatban a termék mértékegysége!"},
        {"UPDATE fjfej SET f_ervenyt = '' WHERE f_bszam = '20260013'", nullptr, nullptr,
         "Javitandó! Nincs megadva a(z) 20260013bizonylatban az érvénytelenített bizonylat "
         "száma!"},
        {"UPDATE fjsor SET s_brutto = 200000 WHERE s_bszam = '20260001'", nullptr, nullptr,
         "Javitandó! Túl nagy összeg (legfeljebb 10 egész jegy) a(z) 20260001bizonylatban!"},
        {nullptr, "igen", nullptr,
         "Javitandó! Csak true, false, 1 vagy 0 lehet a(z) 20260001bizonylatban az önszámla "
         "értéke!"},
        {nullptr, nullptr, "long",
         "Javitandó! 100 karakternél hosszabb a(z) 20260001bizonylatban a számla forma!"},
        // Refused by the collection: lost, doubled or undated tickets.
        {"UPDATE fjfej SET f_ostermkod = '999' WHERE f_bszam IN ('20260003', '20260005')", nullptr,
         nullptr,
         "Javitandó! Nincs meg az őstermelő vagy az átvevő adata a(z) 20260003, 20260005 "
         "bizonylatnál!"},
        {"INSERT INTO ostermelo (o_kod, o_nev) VALUES ('2', 'Másik')", nullptr, nullptr,
         "Javitandó! Többször szerepel a(z) 20260003 bizonylatszám (ismétlődő őstermelő vagy "
         "átvevő kód)!"},
        {"UPDATE fjfej SET f_fizkelt = NULL WHERE f_bszam = '20260006'", nullptr, nullptr,
         "Hiba401: NAV INSERT -ben\nHiányzik a kiállítás, a felvásárlás vagy a fizetés dátuma: "
         "20260006"},
        {"UPDATE atvevo SET v_kozadoszam = 'HU1' WHERE v_akod = '1'", nullptr, nullptr,
         "Javitandó! Közösségi adószám legalább 8 karakter!"},
    };
    for (const Case& c : cases) {
        AuditFixture a;
        auto screen = a.open();
        a.collectAndExport(*screen);
        const QByteArray earlier = readAll(a.path());
        ASSERT_FALSE(earlier.isEmpty());
        if (c.sql) a.f.exec(QString::fromUtf8(c.sql));
        if (c.selfBilling)
            screen->findChild<QLineEdit*>("selfBilling")->setText(QString::fromUtf8(c.selfBilling));
        if (c.form) screen->findChild<QLineEdit*>("invoiceForm")->setText(longForm);
        a.f.ui.messages.clear();
        a.collectAndExport(*screen);
        EXPECT_EQ(a.f.ui.messages.value(a.f.ui.messages.size() - 1), QString::fromUtf8(c.message))
            << c.message;
        EXPECT_EQ(readAll(a.path()), earlier) << c.message;
        EXPECT_TRUE(a.f.ui.errors.isEmpty()) << a.f.ui.errors.join("|").toStdString();
    }
}

// An empty collection after a good one disables Export again, and Export refuses a staging
// without the buyer's documents whatever led to it.
TEST(AuditXml, EmptyCollectionsNeverWriteAFile) {
    AuditFixture a;
    auto screen = a.open();
    screen->collectButton()->click();
    ASSERT_TRUE(screen->exportButton()->isEnabled());

    screen->findChild<QDateEdit*>("fromDate")->setDate(QDate(2025, 1, 1));
    screen->findChild<QDateEdit*>("toDate")->setDate(QDate(2025, 12, 31));
    a.f.ui.messages.clear();
    screen->collectButton()->click();
    EXPECT_EQ(a.f.ui.messages, QStringList{audit::nothingFound});
    EXPECT_FALSE(screen->exportButton()->isEnabled());

    screen->findChild<QDateEdit*>("fromDate")->setDate(QDate(2026, 1, 1));
    screen->findChild<QDateEdit*>("toDate")->setDate(QDate(2026, 12, 31));
    screen->collectButton()->click();
    ASSERT_TRUE(screen->exportButton()->isEnabled());
    a.f.exec("DELETE FROM navfej");
    a.f.ui.messages.clear();
    screen->exportButton()->click();
    EXPECT_EQ(a.f.ui.messages, QStringList{audit::nothingFound});
    EXPECT_FALSE(screen->exportButton()->isEnabled());
    EXPECT_FALSE(QFile::exists(a.path()));

    // The from-date after the to-date: nothing happens, NAVFEJ keeps what it had.
    a.f.exec("INSERT INTO navfej (fe_szlasorszam) VALUES ('1')");
    screen->findChild<QDateEdit*>("fromDate")->setDate(QDate(2026, 2, 1));
    screen->findChild<QDateEdit*>("toDate")->setDate(QDate(2026, 1, 1));
    a.f.ui.messages.clear();
    screen->collectButton()->click();
    EXPECT_EQ(a.f.ui.messages, QStringList{"Dátum tól-ig hiba."});
    EXPECT_EQ(a.f.scalar("SELECT count(*) FROM navfej"), "1");
}

TEST(AuditXml, SettingsComeFromXmlIniAndLiveForTheRun) {
    AuditFixture a;
    {
        auto screen = a.open();
        auto* selfBilling = screen->findChild<QLineEdit*>("selfBilling");
        EXPECT_EQ(selfBilling->text(), "true");  // no XML.ini yet
        auto* box = screen->findChild<QCheckBox*>();
        EXPECT_TRUE(box->isChecked());
        box->click();
        EXPECT_EQ(selfBilling->text(), "false");
        screen->findChild<QLineEdit*>("invoiceForm")
            ->setText("Papir alapon számítógéppel kiállított");
        buttonOf(*screen, "Mentés")->click();
    }
    EXPECT_EQ(readAll(a.f.folder() + "/termaroXML.ini"),
              QByteArray("[XML]\r\nhova=" + a.path().toUtf8() +
                         "\r\nonszla=false\r\npapir=Papir alapon sz\xE1m\xEDt\xF3g\xE9ppel "
                         "ki\xE1ll\xEDtott\r\n"));
    QFile::remove(a.f.folder() + "/termaroXML.ini");
    {
        // Missing keys keep the run's values; "Tallóz" deletes nothing.
        QFile old(a.path());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();
        TForm40 screen(a.f.app());
        screen.show();
        EXPECT_EQ(screen.findChild<QLineEdit*>("selfBilling")->text(), "false");
        EXPECT_EQ(screen.findChild<QLineEdit*>("exportPath")->text(), a.path());
        a.f.ui.files.push_back(a.f.folder() + "/masik.xml");
        buttonOf(screen, "Tallóz")->click();
        EXPECT_EQ(screen.findChild<QLineEdit*>("exportPath")->text(), a.f.folder() + "/masik.xml");
        EXPECT_EQ(readAll(a.path()), "earlier");
    }
}

TEST(AuditXml, ViewPagesShowTheFileAndTheSchema) {
    AuditFixture a;
    auto screen = a.open();
    const auto page = [&](const char* view) {
        return screen->findChild<QWidget*>(view)->parentWidget();
    };
    buttonOf(*page("xmlText"), "Betöltés")->click();
    EXPECT_EQ(a.f.ui.messages, QStringList{"Nincs \"szamlak.XML\" fálj!"});
    a.collectAndExport(*screen);
    buttonOf(*page("xmlText"), "Betöltés")->click();
    buttonOf(*page("xmlText"), "Vágólapra másol")->click();
    EXPECT_TRUE(a.f.ui.clipboard.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
    buttonOf(*page("xsdText"), "Betöltés")->click();
    EXPECT_TRUE(screen->findChild<QPlainTextEdit*>("xsdText")->toPlainText().contains(
        "http://schemas.nav.gov.hu/2013/szamla"));
    QFile::remove(a.f.folder() + "/" + audit::schemaFile);
    a.f.ui.messages.clear();
    buttonOf(*page("xsdText"), "Betöltés")->click();
    EXPECT_EQ(a.f.ui.messages, QStringList{"Nincs \"23_2014_szamlasema.xsd\" fálj!"});
}

// Both entries are hidden in the delivered menu, and open their screens once shown.
TEST(AuditXml, HiddenMenuEntriesOpenTheirScreens) {
    AppFixture f;
    f.chooseBuyer();
    MainWindow window{f.app()};
    wireScreens(window, f.app());
    window.buyerChosen();
    QStringList opened;
    for (const char* name : {"TForm40", "TForm41"}) {
        f.ui.onModal[QString::fromLatin1(name)] = [&opened](QDialog& screen) {
            opened << screen.objectName() + ":" + screen.windowTitle();
            return int(QDialog::Rejected);
        };
    }
    const std::pair<const char*, const char*> entries[] = {
        {"Bevallás", "Adóhatóági ellenőrzési adatszolgáltatás"},
        {"Segédlet", "Adatátadás készlethez"}};
    for (const auto& [menu, item] : entries) {
        QAction* action = window.menuAction(QString::fromUtf8(menu), QString::fromUtf8(item));
        ASSERT_TRUE(action);
        EXPECT_FALSE(action->isVisible());
        action->setVisible(true);
        action->setEnabled(true);
        action->trigger();
    }
    EXPECT_EQ(opened, (QStringList{"TForm40:Adóhatósági ellenőrzési adatszolgáltatás",
                                   "TForm41:Adatátadás a készlethez"}));
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
}
