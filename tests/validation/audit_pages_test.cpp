// The two audit pages of the data checks screen: collecting into ZQ20, the ticket-period check
// and the producer table check, over a real database.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "core/clock.h"
#include "core/query.h"
#include "support/app_fixture.h"
#include "validation/data_checks_screen.h"

namespace {

QString golden(const char* name) {
    QFile file(QStringLiteral(TERMARO_SOURCE_DIR "/tests/validation/golden/") +
               QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("missing golden file");
    return QString::fromUtf8(file.readAll());
}

// A producer row; every column the checks read, filled validly unless a test overrides it.
struct Producer {
    QString kod = QStringLiteral("00001");
    QString nev = QStringLiteral("Kiss Péter");
    QString adoszam = QStringLiteral("12345676142");
    QString adoazon = QStringLiteral("8414071236");
    QString taj = QStringLiteral("123456788");
    QString szido = QStringLiteral("DATE '1980-05-15'");  // SQL expression
    QString irszam = QStringLiteral("6000");
    QString helysegnev = QStringLiteral("Kecskemét");
    QString utca = QStringLiteral("Fő");
    QString igszam = QStringLiteral("1234567");
    QString szulhely = QStringLiteral("Kecskemét");
    QString anyja = QStringLiteral("Nagy Anna");
    QString neme = QStringLiteral("1");
    QString szulnev = QStringLiteral("Kiss Péter");
};

class AuditPagesTest : public ::testing::Test {
protected:
    AuditPagesTest() { m_f.chooseBuyer(); }

    void addProducer(const Producer& p) {
        const auto q = [](const QString& s) { return u'\'' + s + u'\''; };
        m_f.exec(QStringLiteral("INSERT INTO ostermelo (o_kod, o_nev, o_adoszam, o_adoazon, o_taj, "
                                "o_szido, o_irszam, o_helysegnev, o_utca, o_igszam, o_szulhely, "
                                "o_anyja, o_neme, o_szulnev) VALUES (") +
                 QStringList{q(p.kod), q(p.nev), q(p.adoszam), q(p.adoazon), q(p.taj), p.szido,
                             q(p.irszam), q(p.helysegnev), q(p.utca), q(p.igszam), q(p.szulhely),
                             q(p.anyja), q(p.neme), q(p.szulnev)}
                     .join(QStringLiteral(", ")) +
                 u')');
    }
    // `columns` and `values` name the header's further columns.
    void addTicket(const QString& number, const QString& producer, const QString& payDate,
                   const QString& columns = QStringLiteral("f_prn, f_szja"),
                   const QString& values = QStringLiteral("'I', 0"),
                   const QString& buyer = QStringLiteral("1")) {
        m_f.exec(QStringLiteral("INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_fizkelt, "
                                "f_tipus, %1) VALUES ('%2', '%3', '%4', DATE '%5', '1', %6)")
                     .arg(columns, number, buyer, producer, payDate, values));
    }
    void addLine(const QString& number, const QString& values) {
        m_f.exec(QStringLiteral("INSERT INTO fjsor (s_bszam, s_termekkod, s_brutto, s_ear, "
                                "s_kompmerteke) VALUES ('%1', %2)")
                     .arg(number, values));
    }

    QWidget* page(const QString& caption) {
        auto* tabs = m_screen.findChild<QTabWidget*>(QStringLiteral("pages"));
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == caption) return tabs->widget(i);
        return nullptr;
    }
    QWidget* ticketPage() { return page(QStringLiteral("Felvásárlási jegy")); }
    QWidget* producerPage() { return page(QStringLiteral("Östermelö")); }
    static QPushButton* button(QWidget* page, const QString& caption) {
        for (QPushButton* b : page->findChildren<QPushButton*>())
            if (b->text() == caption) return b;
        return nullptr;
    }
    static QString report(QWidget* page) {
        return page->findChild<QPlainTextEdit*>()->toPlainText();
    }
    // Collects the tickets of 2026 and checks them; returns the findings report.
    QString checkTickets(QDate from = QDate(2026, 1, 1), QDate to = QDate(2026, 12, 31)) {
        m_screen.findChild<QDateEdit*>(QStringLiteral("fromDate"))->setDate(from);
        m_screen.findChild<QDateEdit*>(QStringLiteral("toDate"))->setDate(to);
        button(ticketPage(), QStringLiteral("Kigyüjtés"))->click();
        button(ticketPage(), QStringLiteral("Ellenörzés"))->click();
        return report(ticketPage());
    }
    QString checkProducers() {
        button(producerPage(), QStringLiteral("Kigyüjtés"))->click();
        button(producerPage(), QStringLiteral("Ellenörzés"))->click();
        return report(producerPage());
    }
    // The finding lines between a section's opening and closing lines.
    static QStringList section(const QString& report, const QString& name) {
        const QStringList lines = report.split(u'\n');
        const qsizetype open =
            lines.indexOf(QStringLiteral("    ") + name + QStringLiteral(" ellenörzés... "));
        const qsizetype close =
            lines.indexOf(QStringLiteral("    ") + name + QStringLiteral(" ellenörzés vége. "));
        if (open < 0 || close < open) return {QStringLiteral("no section ") + name};
        return lines.mid(open + 1, close - open - 1);
    }
    // The small fixture: a producer with a 7-digit tax number, no birth date and an
    // empty TAJ; one unprinted ticket with two lines at 10 % and unit price 0.
    void addGoldenFixture() {
        Producer p;
        p.adoszam = QStringLiteral("1234567");
        p.szido = QStringLiteral("NULL");
        p.taj = QString();
        addProducer(p);
        addTicket(QStringLiteral("10000001"), p.kod, QStringLiteral("2026-03-10"),
                  QStringLiteral("f_prn, f_szja"), QStringLiteral("' ', 0"));
        addLine(QStringLiteral("10000001"), QStringLiteral("'00001', 100, 0, 10"));
        addLine(QStringLiteral("10000001"), QStringLiteral("'00002', 50, 0, 10"));
    }

    AppFixture m_f;
    TForm14 m_screen{m_f.app()};
};

TEST_F(AuditPagesTest, PagesButtonsAndTheirEnableRules) {
    auto* tabs = m_screen.findChild<QTabWidget*>(QStringLiteral("pages"));
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Felvásárlási jegy"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Adatok"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Östermelö"));
    for (QWidget* p : {ticketPage(), producerPage()}) {
        for (const char* caption : {"Kigyüjtés", "Ellenörzés", "Mégsem"})
            ASSERT_NE(button(p, QString::fromUtf8(caption)), nullptr) << caption;
        EXPECT_NE(p->findChild<QTableView*>(QStringLiteral("gridZQ20")), nullptr);
        EXPECT_TRUE(p->findChild<QPlainTextEdit*>()->isReadOnly());
    }
    EXPECT_EQ(report(producerPage()), QStringLiteral("Hiba üzenet\n"));
    EXPECT_EQ(report(ticketPage()), QString());

    // The period starts as the current year, and again when the screen is shown.
    setClockForTests(QDateTime(QDate(2031, 6, 15), QTime(10, 0)));
    const int year = 2031;
    auto* from = m_screen.findChild<QDateEdit*>(QStringLiteral("fromDate"));
    auto* to = m_screen.findChild<QDateEdit*>(QStringLiteral("toDate"));
    from->setDate(QDate(2001, 5, 5));
    m_screen.show();
    EXPECT_EQ(from->date(), QDate(year, 1, 1));
    EXPECT_EQ(to->date(), QDate(year, 12, 31));
    EXPECT_EQ(from->displayFormat(), QStringLiteral("yyyy.MM.dd"));
    setClockForTests({});

    // "Ellenörzés" waits for its own page's collection; ZQ20 is shared, so a collection on one
    // page takes the other page's check away until that page collects again.
    QPushButton* ticketCheck = button(ticketPage(), QStringLiteral("Ellenörzés"));
    QPushButton* producerCheck = button(producerPage(), QStringLiteral("Ellenörzés"));
    EXPECT_FALSE(ticketCheck->isEnabled());
    EXPECT_FALSE(producerCheck->isEnabled());
    button(ticketPage(), QStringLiteral("Kigyüjtés"))->click();
    EXPECT_TRUE(ticketCheck->isEnabled());
    EXPECT_FALSE(producerCheck->isEnabled());
    button(producerPage(), QStringLiteral("Kigyüjtés"))->click();
    EXPECT_FALSE(ticketCheck->isEnabled());
    EXPECT_TRUE(producerCheck->isEnabled());
    EXPECT_TRUE(m_f.data().query("ZQ20").hasField(QStringLiteral("O_KOD")));
    EXPECT_FALSE(m_f.data().query("ZQ20").hasField(QStringLiteral("S_BSZAM")));

    button(producerPage(), QStringLiteral("Mégsem"))->click();
    EXPECT_FALSE(m_screen.isVisible());
    EXPECT_TRUE(m_f.ui.messages.isEmpty()) << m_f.ui.messages.join(u'|').toStdString();
}

TEST_F(AuditPagesTest, GoldenFindingsOfBothChecks) {
    addGoldenFixture();
    EXPECT_EQ(checkTickets() + u'\n', golden("ticket_findings.txt"));
    EXPECT_EQ(checkProducers() + u'\n', golden("producer_findings.txt"));
    EXPECT_TRUE(m_f.ui.messages.isEmpty()) << m_f.ui.messages.join(u'|').toStdString();
}

TEST_F(AuditPagesTest, EmptyPeriodGivesOnlyTheSectionLinesAndTheFinalLine) {
    addGoldenFixture();
    const QString empty = golden("ticket_findings_empty.txt");
    EXPECT_EQ(checkTickets(QDate(2026, 3, 11), QDate(2026, 12, 31)) + u'\n', empty);
    EXPECT_EQ(m_f.data().query("ZQ20").rowCount(), 0);
    // the period's ends belong to it
    EXPECT_NE(checkTickets(QDate(2026, 3, 10), QDate(2026, 3, 10)) + u'\n', empty);
    EXPECT_EQ(m_f.data().query("ZQ20").rowCount(), 2);
    EXPECT_NE(checkTickets(QDate(2026, 1, 1), QDate(2026, 3, 10)) + u'\n', empty);
}

TEST_F(AuditPagesTest, TicketCheckFindsEachFaultOnItsLine) {
    Producer good;
    addProducer(good);
    Producer bad;  // identifiers the check-digit functions cannot convert
    bad.kod = QStringLiteral("00002");
    bad.nev = QStringLiteral("Betűs Ádám");
    bad.adoszam = QStringLiteral("1234a676142");
    bad.adoazon = QStringLiteral("841407123 ");
    bad.taj = QStringLiteral("12345678x");
    addProducer(bad);

    addTicket(QStringLiteral("10000001"), good.kod, QStringLiteral("2026-02-01"));
    addLine(QStringLiteral("10000001"), QStringLiteral("'00001', 10, 100, 12"));
    addLine(QStringLiteral("10000001"), QStringLiteral("'', 10, 100, 7"));
    addTicket(QStringLiteral("10000002"), bad.kod, QStringLiteral("2026-02-02"));
    addLine(QStringLiteral("10000002"), QStringLiteral("'00001', 0, -5, 12.5"));
    // no producer code, so no producer columns; no SZJA, never printed, no price or rate
    addTicket(QStringLiteral("10000003"), QString(), QStringLiteral("2026-02-03"),
              QStringLiteral("f_prn, f_szja"), QStringLiteral("NULL, NULL"));
    addLine(QStringLiteral("10000003"), QStringLiteral("'00001', 10, NULL, NULL"));
    // outside the period, and another buyer's ticket inside it
    addTicket(QStringLiteral("10000004"), bad.kod, QStringLiteral("2025-12-31"));
    addLine(QStringLiteral("10000004"), QStringLiteral("'', 0, 0, 0"));
    addTicket(QStringLiteral("20000001"), bad.kod, QStringLiteral("2026-02-01"),
              QStringLiteral("f_prn, f_szja"), QStringLiteral("NULL, NULL"), QStringLiteral("2"));
    addLine(QStringLiteral("20000001"), QStringLiteral("'', 0, 0, 0"));

    const QString text = checkTickets();
    EXPECT_EQ(m_f.data().query("ZQ20").rowCount(), 4);
    struct Case {
        const char* section;
        QStringList findings;
    };
    const QString third = QStringLiteral("10000003");
    const auto missing = [&third](const char* what) {
        return QStringList{
            QStringLiteral("Hiba (nincs östermelö %1 megadva): ").arg(QString::fromUtf8(what)) +
            third};
    };
    const Case cases[] = {
        {"Adószám",
         {QStringLiteral("Hiba (hibás adószám): 1234a676142 Betűs Ádám Kódja: 00002"),
          QStringLiteral("Hiba (kevesebb nyolc számnál):   Kódja: ")}},
        {"Adóazonositó",
         {QStringLiteral("Hiba (hibás adóazonositó): 841407123  Betűs Ádám Kódja: 00002"),
          QStringLiteral("Hiba (kevesebb tiz számnál):   Kódja: ")}},
        {"TAJ",
         {QStringLiteral("Hiba (hibás TAJ): 12345678x Betűs Ádám Kódja: 00002"),
          QStringLiteral("Hiba (kevesebb 9 számnál):   Kódja: ")}},
        {"Östermelökód", {QStringLiteral("Hiba (nincs östermelö megadva): 10000003")}},
        {"Östermelö név", missing("név")},
        {"Östermelö irányitószám", missing("irányitószám")},
        {"Östermelö Helységnév", missing("Helységnév")},
        {"Östermelö Utca", missing("Utca")},
        {"Östermelö ig.szám", missing("ig.szám")},
        {"Östermelö születési hely", missing("születési hely")},
        {"Östermelö születési idö", missing("születési idö")},
        {"Östermelö anyja neve", missing("anyja neve")},
        {"Östermelö neme", missing("neme")},
        {"Östermelö születési neve", missing("születési neve")},
        {"Szja", {QStringLiteral("Hiba (nincs szja (minimum 0) megadva): 10000003")}},
        {"Volt-e nyomtatva?", {QStringLiteral("Figyelmeztetés (még nincs kinyomtatva): 10000003")}},
        {"Termékkód", {QStringLiteral("Figyelmeztetés (nincs termékkód megadva): 10000001")}},
        {"Mennyiség", {QStringLiteral("Hiba (nullás mennyiség van megadva): 10000002")}},
        {"Egységár",
         {QStringLiteral("Hiba (nulla vagy minuszos egységár van megadva): 10000002"),
          QStringLiteral("Hiba (nincs egységár megadva): 10000003")}},
        {"Komp.felár",
         {QStringLiteral("Hiba (nem 7, 12 % van megadva): 10000002"),
          QStringLiteral("Hiba (nincs Komp.felár megadva): 10000003")}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(section(text, QString::fromUtf8(c.section)), c.findings) << c.section;
    // the run reaches its end past every malformed value
    EXPECT_TRUE(
        text.endsWith(QStringLiteral("Klikk az ablakba és kurzor billentyüvel mozoghat "
                                     "benne. ")));
    EXPECT_TRUE(m_f.ui.messages.isEmpty()) << m_f.ui.messages.join(u'|').toStdString();
}

TEST_F(AuditPagesTest, ProducerCheckTrimsTheTaxNumbersAndKeepsEntryOrder) {
    Producer padded;  // 7 characters and blanks: short, not a check-digit failure
    padded.kod = QStringLiteral("00009");
    padded.adoszam = QStringLiteral("1234567    ");
    addProducer(padded);
    Producer blank;  // entered second, so reported second whatever its code
    blank.kod = QStringLiteral("00001");
    blank.nev = QString();
    blank.adoazon = QString();
    blank.adoszam = QStringLiteral("1234a676142");
    blank.taj = QStringLiteral("12345678");
    blank.irszam = blank.helysegnev = blank.utca = blank.igszam = blank.szulhely = QString();
    blank.anyja = blank.neme = blank.szulnev = QString();
    addProducer(blank);

    const QString text = checkProducers();
    const QString name = QStringLiteral(" Kódja: 00001");
    struct Case {
        const char* section;
        QStringList findings;
    };
    const Case cases[] = {
        {"Adószám",
         {QStringLiteral("Hiba (kevesebb nyolc számnál): 1234567     Kiss Péter Kódja: 00009"),
          QStringLiteral("Hiba (hibás adószám): 1234a676142 ") + name}},
        {"Adóazonositó", {QStringLiteral("Hiba (kevesebb tiz számnál):  ") + name}},
        {"TAJ", {QStringLiteral("Hiba (kevesebb 9 számnál): 12345678 ") + name}},
        {"Östermelö név", {QStringLiteral("Hiba (nincs östermelö név megadva)  ") + name}},
        {"Östermelö irányitószám",
         {QStringLiteral("Hiba (nincs östermelö irányitószám megadva)  ") + name}},
        {"Östermelö Helységnév",
         {QStringLiteral("Hiba (nincs östermelö Helységnév megadva):  ") + name}},
        {"Östermelö Utca", {QStringLiteral("Hiba (nincs östermelö Utca megadva)   ") + name}},
        {"Östermelö ig.szám", {QStringLiteral("Hiba (nincs östermelö ig.szám megadva)   ") + name}},
        {"Östermelö születési hely",
         {QStringLiteral("Hiba (nincs östermelö születési hely megadva)   ") + name}},
        {"Östermelö születési idö", {}},
        {"Östermelö anyja neve",
         {QStringLiteral("Hiba (nincs östermelö anyja neve megadva)   ") + name}},
        {"Östermelö neme", {QStringLiteral("Hiba (nincs östermelö neme megadva)   ") + name}},
        {"Östermelö születési neve",
         {QStringLiteral("Hiba (nincs östermelö születési neve megadva)   ") + name}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(section(text, QString::fromUtf8(c.section)), c.findings) << c.section;
    EXPECT_TRUE(m_f.ui.messages.isEmpty()) << m_f.ui.messages.join(u'|').toStdString();
}

TEST_F(AuditPagesTest, CheckLeavesTheGridOnItsRow) {
    addGoldenFixture();
    checkTickets();
    Query& rows = m_f.data().query("ZQ20");
    auto* grid = ticketPage()->findChild<QTableView*>(QStringLiteral("gridZQ20"));
    rows.moveTo(1);
    button(ticketPage(), QStringLiteral("Ellenörzés"))->click();
    EXPECT_EQ(rows.recNo(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(report(ticketPage()) + u'\n', golden("ticket_findings.txt"));
}

TEST_F(AuditPagesTest, AnErrorThatStopsTheRunKeepsTheTextBuiltSoFar) {
    // A database made for an older version, without the producer's name at birth.
    addGoldenFixture();
    m_f.exec(QStringLiteral("ALTER TABLE ostermelo DROP o_szulnev"));
    const QString text = checkTickets();
    ASSERT_EQ(m_f.ui.errors.size(), 1);
    EXPECT_TRUE(m_f.ui.errors.first().contains(QStringLiteral("O_SZULNEV")))
        << m_f.ui.errors.first().toStdString();
    // every section before it is whole, its own opening line stands, nothing after it
    const QString full = golden("ticket_findings.txt");
    const QString stop = QStringLiteral("    Östermelö születési neve ellenörzés... ");
    EXPECT_EQ(text, full.left(full.indexOf(stop) + stop.size()));
}

}  // namespace
