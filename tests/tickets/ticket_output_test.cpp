#include "tickets/ticket_output.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>

#include "report/report_painter.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"
#include "ticket_test_support.h"
#include "tickets/ticket_hooks.h"
#include "tickets/ticket_list.h"

using namespace tickets_test;

namespace {
const QString copyMark = QStringLiteral("MÁSOLATI PÉLDÁNY");
const QString copyNames[] = {QStringLiteral("1. példány: Az átvevöé"),
                             QStringLiteral("2. példány: Az östermelőé"),
                             QStringLiteral("3. példány: A töpéldány")};

void copyTemplates(AppFixture& f) {
    for (const char* name : {"FjLista7.frf", "FjLista7L.frf", "FjLista7O.frf"}) {
        QFile::copy(repoDbFolder() + '/' + name, f.folder() + '/' + name);
    }
}

// A ticket of buyer 1 with one line worth `quantity` × `price` plus `surcharge` percent.
struct Ticket {
    QString number;
    bool transfer = false;
    int szja = 0;
    double contribution = 0;
    double deduction = 0;
    double quantity = 1;
    double price = 0;
    double surcharge = 0;
    QString statement = QStringLiteral("Saját termés.");
};

void insert(AppFixture& f, const Ticket& t) {
    f.exec(
        QStringLiteral(
            "INSERT INTO FJFEJ (F_BSZAM, F_AKOD, F_OSTERMKOD, F_KELT, F_FELVKELT, F_FIZKELT, "
            "F_UTAL, F_PRN, "
            "F_SZJA, F_JARULSZAZ, F_LEVONAS, F_MEGJ, F_NYILATK, F_TIPUS) VALUES ('%1', '1', '3', "
            "DATE '2026-05-04', DATE '2026-05-04', DATE '2026-05-12', '%2', ' ', %3, %4, %5, '', "
            "'%6', '1')")
            .arg(t.number, t.transfer ? "x" : " ")
            .arg(t.szja)
            .arg(t.contribution)
            .arg(t.deduction)
            .arg(t.statement));
    f.exec(QStringLiteral("INSERT INTO FJSOR (S_BSZAM, S_TERMEKKOD, S_MEGNEVEZES, S_VTSZ, "
                          "S_LEVONSZAZ, S_BRUTTO, S_MEGY, S_EAR, "
                          "S_KOMPMERTEKE, S_AKOD) VALUES ('%1', '1', 'Étkezési búza', '10019900', "
                          "0, %2, 't', %3, %4, '1')")
               .arg(t.number)
               .arg(t.quantity)
               .arg(t.price)
               .arg(t.surcharge));
}

// Selects the ticket on the list query as the ticket list leaves it.
void select(AppFixture& f, const QString& number) {
    TForm8::openList(f.app());
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", number, false, false))
        << number.toStdString();
}

const ReportJob& output(AppFixture& f, const QString& number, const QString& mode) {
    select(f, number);
    f.run().printMode = mode;
    const int before = static_cast<int>(f.ui.reports.size());
    EXPECT_TRUE(runTicketOutput(f.app(), nullptr));
    EXPECT_EQ(f.ui.reports.size(), before + 1) << f.ui.messages.join('\n').toStdString();
    return f.ui.reports.last();
}

QString printMark(AppFixture& f, const QString& number) {
    return f.scalar(QStringLiteral("SELECT f_prn FROM fjfej WHERE f_bszam = '%1'").arg(number));
}

QString pdfText(const PageModel& model, const QString& folder) {
    const QString file = folder + QStringLiteral("/jegy.pdf");
    writePdf(model, file);
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), file, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString oneSpaced(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}
}  // namespace

// The amounts and texts the ticket states, case by case; the print variant moves the base of
// the member contribution.
TEST(TicketOutput, VariablesFollowThePaymentModeAndThePrintVariant) {
    const QString cashReceived = QStringLiteral(" 00/100 Forint -ot a mai napon átvettem.");
    const QString dots(77, '.');
    const QString signature = QStringLiteral(" a mezögazd. tevék. folytató adóalany aláirása");
    struct Case {
        const char* name;
        Ticket ticket;
        QString variant;
        QVariantMap expected;
    };
    const Case cases[] = {
        {"cash 1 234, rounded up to 5",
         {"20269001", false, 0, 0, 0, 1, 1234},
         "",
         {{"v_var", 1234.0},
          {"v_far", 1234.0},
          {"v_szja2", 0.0},
          {"v_kif", "1235"},
          {"v_azaz", "egyezer-kettöszázharmincöt  00/100 Forint"},
          {"v_fizmod", "Fizetés módja: Kp."},
          {"v_utal", " "},
          {"v_kp1", "A vételár összegét 1235 Ft -ot, azaz"},
          {"v_kp2", "egyezer-kettöszázharmincöt " + cashReceived},
          {"v_kp3", "Az összeg átvételének idöpontja:2026.05.12"},
          {"v_kp4", dots},
          {"v_kp5", signature},
          {"v_nyilatk1", "Nyilatkozat: Saját termés."},
          {"v_nyilatk2", dots},
          {"v_nyilatk3", signature},
          {"v_ervenyteleniti", ""}}},
        {"transfer 10 000 at 15 %",
         {"20269002", true, 15, 0, 0, 1, 10000, 0, "abcde"},
         "",
         {{"v_szja", 15.0},
          {"v_szja2", 1500.0},
          {"v_kif", "8500"},
          {"v_azaz", "nyolcezer-ötszáz  00/100 Forint"},
          {"v_fizmod", "Fizetés módja: Átutalás"},
          {"v_utal", "Átutalás határideje:  2026.05.12"},
          {"v_kp1", ""},
          {"v_kp2", ""},
          {"v_kp3", ""},
          {"v_kp4", ""},
          {"v_kp5", ""},
          {"v_nyilatk1", " "},  // five characters are no statement
          {"v_nyilatk2", " "},
          {"v_nyilatk3", "  "}}},
        {"cash with SZJA withheld",
         {"20269003", false, 15, 0, 0, 1, 10000},
         "",
         {{"v_kif", "8500"},
          {"v_kp1", "Az adóelöleggel csökkentett vételár összegét 8500 Ft -ot, azaz"}}},
        {"variant L: contribution on the purchase price",
         {"20269004", true, 0, 2, 0, 1, 10000, 12},
         "L",
         {{"v_far", 10000.0},
          {"v_kar", 1200.0},
          {"v_var", 11200.0},
          {"v_jszaz", 2.0},
          {"v_jarul", 200.0},
          {"v_kif", "11000"}}},
        {"no variant: contribution on the total",
         {"20269005", true, 0, 2, 0, 1, 10000, 12},
         "",
         {{"v_jarul", 224.0}, {"v_kif", "10976"}}},
        {"variant O: contribution on the total before SZJA",
         {"20269006", true, 15, 2, 0, 1, 10000, 12},
         "O",
         {{"v_szja2", 1680.0}, {"v_jarul", 224.0}, {"v_kif", "9296"}}},
        {"no variant with SZJA: contribution on the total less SZJA",
         {"20269007", true, 15, 2, 0, 1, 10000, 12},
         "",
         {{"v_jarul", 190.4}, {"v_kif", "9330"}}},
        {"deduction larger than the total, cash",
         {"20269008", false, 0, 0, 1500, 1, 1234},
         "",
         {{"v_levon", 1500.0},
          {"v_kif", "-265"},
          {"v_azaz", "mínusz kettöszázhatvanöt  00/100 Forint"}}},
    };
    AppFixture f(true);
    f.chooseBuyer("1");
    copyTemplates(f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        insert(f, c.ticket);
        f.run().printVariant = c.variant;
        const ReportJob& job = output(f, c.ticket.number, "Megtekint");
        EXPECT_EQ(job.templateFile, ticketTemplateFile(c.variant));
        for (auto it = c.expected.begin(); it != c.expected.end(); ++it) {
            const QVariant actual = job.variables.value(it.key());
            if (it.value().typeId() == QMetaType::Double) {
                EXPECT_EQ(actual.typeId(), QMetaType::Double) << it.key().toStdString();
                EXPECT_NEAR(actual.toDouble(), it.value().toDouble(), 1e-9)
                    << it.key().toStdString();
            } else {
                EXPECT_EQ(actual.toString(), it.value().toString()) << it.key().toStdString();
            }
        }
    }
    EXPECT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join('\n').toStdString();
}

// "Nyomtat" marks the ticket before the preview, uncommitted; every later output is a copy.
// "Megtekint" shows no print button and leaves the mark alone.
TEST(TicketOutput, PrintMarkAndCopyMark) {
    AppFixture f(true);
    f.chooseBuyer("1");
    copyTemplates(f);
    insert(f, {"20269001", false, 0, 0, 0, 1, 1234});

    const ReportJob& view = output(f, "20269001", "Megtekint");
    EXPECT_FALSE(view.printButton);
    EXPECT_EQ(view.variables.value("v_masolat").toString(), " ");
    EXPECT_EQ(printMark(f, "20269001"), " ");

    const ReportJob& first = output(f, "20269001", "Nyomtat");
    EXPECT_TRUE(first.printButton);
    EXPECT_EQ(first.variables.value("v_masolat").toString(), " ");
    EXPECT_FALSE(first.pageTexts.join('\n').contains(copyMark));
    EXPECT_EQ(printMark(f, "20269001"), "I");
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20269001");  // reopened on the ticket
    EXPECT_EQ(f.data().query("ZQ10").text("f_prn"), "I");

    const ReportJob& second = output(f, "20269001", "Nyomtat");
    EXPECT_EQ(second.variables.value("v_masolat").toString(), copyMark);
    for (const QString& page : second.pageTexts) EXPECT_TRUE(page.contains(copyMark));
    const ReportJob& later = output(f, "20269001", "Megtekint");
    EXPECT_EQ(later.variables.value("v_masolat").toString(), copyMark);
    EXPECT_FALSE(later.printButton);

    // The mark waits for the next commit.
    f.data().rollback();
    EXPECT_EQ(printMark(f, "20269001"), " ");
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('\n').toStdString();
}

TEST(TicketOutput, AFailedPrintMarkIsToldAndTheOutputGoesOn) {
    AppFixture f(true);
    f.chooseBuyer("1");
    copyTemplates(f);
    insert(f, {"20269001", false, 0, 0, 0, 1, 1234});
    f.exec("CREATE EXCEPTION no_print 'nem'");
    f.exec(
        "CREATE TRIGGER fjfej_no_print FOR FJFEJ BEFORE UPDATE AS BEGIN IF (NEW.F_PRN = 'I') THEN "
        "EXCEPTION no_print; END");
    const ReportJob& job = output(f, "20269001", "Nyomtat");
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba81: prn UPDATE Fjfej-be "});
    EXPECT_EQ(job.variables.value("v_masolat").toString(), " ");
    EXPECT_EQ(printMark(f, "20269001"), " ");
}

TEST(TicketOutput, AMissingTemplateStopsBeforeThePreview) {
    AppFixture f(true);
    f.chooseBuyer("2");  // print variant L: FjLista7L.frf
    copyTemplates(f);
    QFile::remove(f.folder() + "/FjLista7L.frf");
    select(f, "30260001");
    f.run().printMode = "Nyomtat";
    EXPECT_FALSE(runTicketOutput(f.app(), nullptr));
    EXPECT_TRUE(f.ui.reports.isEmpty());
    ASSERT_EQ(f.ui.errors.size(), 1);
    EXPECT_TRUE(f.ui.errors.first().contains("FjLista7L.frf")) << f.ui.errors.first().toStdString();
}

// The list's buttons run the output and bring the list back in number order on the last
// saved ticket; a voiding document names the ticket it voids.
TEST(TicketOutput, TheListsButtonsPrintAndViewTheSelectedTicket) {
    AppFixture f(true);
    f.chooseBuyer("1");
    copyTemplates(f);
    f.run().lastSavedTicketNumber = "20260005";
    TForm8 list(f.app());
    list.show();
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", "20260013", false, false));
    button(list, "Megtekint")->click();
    ASSERT_EQ(f.ui.reports.size(), 1) << f.ui.messages.join('\n').toStdString();
    const ReportJob& voiding = f.ui.reports.first();
    EXPECT_FALSE(voiding.printButton);
    EXPECT_EQ(voiding.templateFile, "FjLista7.frf");
    EXPECT_EQ(voiding.variables.value("v_ervenyteleniti").toString(),
              "Érvényteleníti a 20260011 számú bizonylatot.");
    EXPECT_TRUE(voiding.pageTexts.first().contains("Érvényteleníti a 20260011 számú bizonylatot."));
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260005");
    EXPECT_EQ(list.orderLabel(), "A lista, \"Bszám\" szerint");

    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", "20260012", false, false));
    button(list, "Nyomtat")->click();
    ASSERT_EQ(f.ui.reports.size(), 2);
    EXPECT_TRUE(f.ui.reports.last().printButton);
    EXPECT_EQ(printMark(f, "20260012"), "I");
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), "20260005");
    EXPECT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join('\n').toStdString();
}

// The printed document: three copies, each on its own page, with every block; read back from
// the PDF the printer would get.
TEST(TicketOutput, ThePrintedDocumentCarriesEveryBlockInThreeCopies) {
    AppFixture f(true);
    f.chooseBuyer("1");
    copyTemplates(f);
    const ReportJob& job = output(f, "20260001", "Nyomtat");
    ASSERT_EQ(job.pageTexts.size(), 3);
    for (int copy = 0; copy < 3; ++copy) {
        const QString& page = job.pageTexts.at(copy);
        SCOPED_TRACE(copy);
        EXPECT_TRUE(page.contains(copyNames[copy]));
        int at = -1;
        // The blocks in order: title, buyer, producer, dates, lines, totals, receipt, statement.
        for (const char* text :
             {"FELVÁSÁRLÁSI JEGY", "Sorszám: 20260001",
              "A bizonylatot kibocsátó átvevö adóalany (felvásárló)",
              "A mezögazdasági tevékenységet folytató adóalany (östermelö)", "Neve: Kovács János",
              "Adószáma: 71689766-1-03", "Kiállítás kelte: 2026.01.12",
              "A felvásárolt termék megnevezése és TESZOR",
              "Étkezési búza 10019900 12,35 t 78 000 963 300 7 % 67 431 1 030 731",
              "Összesen: 963 300 67 431 1 030 731", "Kifizetendö: 1 030 730 Ft",
              "azaz egymillió-harmincezer-hétszázharminc  00/100 Forint",
              "A vételár összegét 1030730 Ft -ot, azaz", "Nyilatkozat: Kijelentem",
              "Az általam forgalmazott zöldség-gyümölcs",
              "a mezögazd. tevék. folytató adóalany aláirása  "}) {
            const int found = static_cast<int>(page.indexOf(QString::fromUtf8(text), at + 1));
            EXPECT_GT(found, at) << text;
            if (found > at) at = found;
        }
    }

    const QString pdf = oneSpaced(pdfText(*job.pageModel, f.folder()));
    for (const QString& name : copyNames) EXPECT_TRUE(pdf.contains(name)) << name.toStdString();
    EXPECT_EQ(pdf.count("egymillió-harmincezer-hétszázharminc 00/100 Forint"),
              6);  // figures' words and receipt
    EXPECT_EQ(pdf.count("Kijelentem, hogy a termék saját gazdaságomban előállított mezőgazdasági "
                        "termék, és különleges "
                        "jogállású mezőgazdasági termelőnek minősülök."),
              3);
    EXPECT_EQ(pdf.count("(Szja tv. 5. melléklet 6. pont)"), 3);
}

// A long ticket goes on to the next page with the column heads repeated; every copy starts
// on a page of its own and ends with the totals.
TEST(TicketOutput, ALongTicketContinuesWithTheColumnHeads) {
    AppFixture f(true);
    f.chooseBuyer("1");
    copyTemplates(f);
    insert(f, {"20269001", false, 0, 0, 0, 1, 1000});
    for (int i = 2; i <= 45; ++i) {
        f.exec(QStringLiteral("INSERT INTO FJSOR (S_BSZAM, S_MEGNEVEZES, S_VTSZ, S_BRUTTO, S_MEGY, "
                              "S_EAR, S_KOMPMERTEKE, S_AKOD) "
                              "VALUES ('20269001', 'Tétel %1', '10019900', 1, 'kg', 1000, 0, '1')")
                   .arg(i));
    }
    const ReportJob& job = output(f, "20269001", "Megtekint");
    ASSERT_EQ(job.pageTexts.size(), 6);
    for (int copy = 0; copy < 3; ++copy) {
        SCOPED_TRACE(copy);
        const QString& first = job.pageTexts.at(2 * copy);
        const QString& next = job.pageTexts.at(2 * copy + 1);
        EXPECT_TRUE(first.contains(copyNames[copy]));
        EXPECT_TRUE(first.startsWith("FELVÁSÁRLÁSI JEGY"));
        EXPECT_TRUE(next.startsWith("A felvásárolt termék megnevezése és TESZOR"))
            << next.toStdString();
        EXPECT_TRUE(first.contains("Tétel 2 "));
        EXPECT_TRUE(next.contains("Tétel 45"));
        EXPECT_TRUE(next.contains("Összesen: 45 000 0 45 000"));
        EXPECT_TRUE(
            next.contains(QStringLiteral("20269001 - %1. példány - 2/2. oldal").arg(copy + 1)));
        EXPECT_FALSE(first.contains("Összesen:"));
    }
}
