#include "tickets/voiding.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QLabel>
#include <functional>

#include "core/value.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"
#include "ticket_test_support.h"
#include "tickets/ticket_list.h"

using namespace tickets_test;

namespace {
const QString voided = QStringLiteral("20269001");
const QString next = QStringLiteral("20260014");  // buyer 1 has issued 20260013
const QString done = QStringLiteral("Az érvénytelenítő bizonylat 20260014 sorszámmal elkészült!");
const QString header = QStringLiteral(
    "F_AKOD, F_OSTERMKOD, F_KELT, F_SZJA, F_MEGJ, F_FELVKELT, F_FIZKELT, F_UTAL, F_NYILATK, "
    "F_JARULSZAZ, F_PIPA, F_TIPUS, "
    "F_ERVENYT, F_PRN, F_LEVONAS, F_MUVKTG, F_SUMVAR");

// A printed ticket of buyer 1 with the quantities 10, 2,5 and −1.
void insertVoidable(AppFixture& f) {
    f.exec(QStringLiteral("INSERT INTO FJFEJ (F_BSZAM, F_AKOD, F_OSTERMKOD, F_KELT, F_FELVKELT, "
                          "F_FIZKELT, F_UTAL, F_PRN, F_SZJA, "
                          "F_JARULSZAZ, F_LEVONAS, F_MEGJ, F_NYILATK, F_MUVKTG, F_TIPUS, F_PIPA, "
                          "F_SUMVAR) VALUES ('%1', '1', '5', "
                          "DATE '2026-06-10', DATE '2026-06-08', DATE '2026-06-18', 'x', 'I', 15, "
                          "2, 100, 'Megjegyzés', "
                          "'Nyilatkozom, hogy saját termés.', 1048, '1', 'p', 1378)")
               .arg(voided));
    const char* lines[] = {"'6', 'Étkezési alma', '08081080', 0, 10, 'kg', 140, 12",
                           "'7', 'Ipari alma', '08081010', 10, 2.5, 'kg', 35, 12",
                           "'9', 'Szilva', '08094005', 0, -1, 'kg', 260, 7"};
    for (const char* line : lines) {
        f.exec(QStringLiteral(
                   "INSERT INTO FJSOR (S_BSZAM, S_TERMEKKOD, S_MEGNEVEZES, S_VTSZ, S_LEVONSZAZ, "
                   "S_BRUTTO, S_MEGY, S_EAR, "
                   "S_KOMPMERTEKE, S_AKOD, S_SZJA, S_BIZONYLAT) VALUES ('%1', %2, '1', 15, '11')")
                   .arg(voided, QString::fromUtf8(line)));
    }
}

// Every row of a statement's result, one line per row.
QStringList rows(AppFixture& f, const QString& sql) {
    Query& q = f.data().query("ZQ91");
    q.close();
    q.setSql(sql);
    q.open();
    q.fetchAll();
    QStringList out;
    for (int r = 0; r < q.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < q.fieldCount(); ++c) row << q.valueAt(r, c).asText();
        out << row.join('|');
    }
    q.close();
    return out;
}

// The tables a voiding writes, as the program's own connection sees them.
QStringList snapshot(AppFixture& f) {
    return rows(f, "SELECT * FROM FJFEJ ORDER BY ID_FJFEJ") +
           rows(f, "SELECT * FROM FJSOR ORDER BY ID_FJSOR") +
           rows(f, "SELECT * FROM SORSZAM ORDER BY ID_SORSZAM");
}

// The list on the ticket to void, as "Érvénytelenit" leaves it after the question.
void selectForVoiding(AppFixture& f, const QString& number) {
    TForm8::openList(f.app());
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", number, false, false));
    f.run().voidNumber = number;
}
}  // namespace

// The whole voiding from the list: a new type "4" document under the next number with the
// negated lines and amounts, both documents pointing at each other, the numbering advanced
// and everything committed.
TEST(Voiding, NegatesEveryLineAndLinksBothDocuments) {
    AppFixture f(true);
    f.chooseBuyer("1");
    insertVoidable(f);
    TForm8 list(f.app());
    list.show();
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", voided, false, false));
    f.ui.answers = {true};
    f.ui.onModal["TForm39"] = [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Érvénytelenitő bizonylat létrehozása");
        EXPECT_EQ(edit(d, "F_BSZAM")->text(), next);
        EXPECT_TRUE(edit(d, "F_BSZAM")->isReadOnly());
        EXPECT_EQ(edit(d, "F_KELT")->text(), dateText(QDate::currentDate()));
        edit(d, "F_KELT")->setText("2026.06.10");
        button(d, "OK")->click();
        return d.result();
    };
    button(list, "Érvénytelenit")->click();
    EXPECT_EQ(f.ui.messages,
              (QStringList{"Érvényteleniteni szeretné a 20269001 bizonylatot? ", done}));
    EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), next);
    EXPECT_EQ(f.run().lastSavedTicketNumber, next);

    // Committed: a rollback takes nothing back.
    f.data().rollback();
    const QString select = QStringLiteral("SELECT %1 FROM FJFEJ WHERE F_BSZAM = '%2'");
    EXPECT_EQ(rows(f, select.arg(header, voided)),
              QStringList{"1|5|2026.06.10|15|Megjegyzés|2026.06.08|2026.06.18|x|Nyilatkozom, hogy "
                          "saját termés.|2|p|1|20260014|I|100|1048|1378"});
    EXPECT_EQ(rows(f, select.arg(header, next)),
              QStringList{"1|5|2026.06.10|15|Megjegyzés|2026.06.08|2026.06.18|x|Nyilatkozom, hogy "
                          "saját termés.|2|p|4|20269001||-100|-1048|-1378"});
    const QString lines = QStringLiteral(
        "SELECT S_TERMEKKOD, S_MEGNEVEZES, S_VTSZ, S_LEVONSZAZ, S_BRUTTO, S_MEGY, S_EAR, "
        "S_KOMPMERTEKE, S_AKOD, S_SZJA, "
        "S_BIZONYLAT FROM FJSOR WHERE S_BSZAM = '%1' ORDER BY ID_FJSOR");
    EXPECT_EQ(rows(f, lines.arg(next)),
              (QStringList{"6|Étkezési alma|08081080|0|-10|kg|140|12|1|15|11",
                           "7|Ipari alma|08081010|10|-2,5|kg|35|12|1|15|11",
                           "9|Szilva|08094005|0|1|kg|260|7|1|15|11"}));
    const QString total = QStringLiteral("SELECT SUM(S_VETELAR) FROM FJSOR WHERE S_BSZAM = '%1'");
    EXPECT_EQ(f.scalar(total.arg(voided)), "1378");
    EXPECT_EQ(f.scalar(total.arg(next)), "-1378");
    EXPECT_EQ(f.scalar("SELECT A_FJBSZAM FROM SORSZAM WHERE A_AKOD = '1'"), next);
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM FJSOR WHERE S_BSZAM = ' '"), "0");

    // The list shows the voided ticket with the number of its voiding document.
    TForm8::openList(f.app());
    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", voided, false, false));
    EXPECT_EQ(list.findChild<QLabel*>("F_ERVENYT")->text(), next);
}

// The issue date: required, a valid date, not before the voided ticket's; each refusal keeps
// the focus in the field and writes nothing.
TEST(Voiding, TheIssueDateIsCheckedFirst) {
    AppFixture f(true);
    f.chooseBuyer("1");
    insertVoidable(f);
    selectForVoiding(f, voided);
    TForm39 screen(f.app());
    screen.show();
    struct Case {
        const char* date;
        QString message;
    };
    const Case refused[] = {
        {"", "Nincs megadva a kiállítás dátuma!"},
        {"   ", "Nincs megadva a kiállítás dátuma!"},
        {"2026.02.30", "Hibás a kiállítás dátuma!"},
        {"2026.06.09", "Érvénytelenítendő bizonylaton szereplő dátumtól korábbi!"},
        {"2026.6.9", "Érvénytelenítendő bizonylaton szereplő dátumtól korábbi!"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.date);
        f.ui.messages.clear();
        f.ui.lastFocus = nullptr;
        screen.dateField()->setText(c.date);
        button(screen, "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{c.message});
        EXPECT_EQ(f.ui.lastFocus, screen.dateField());
        EXPECT_TRUE(screen.isVisible());
    }
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM FJFEJ WHERE F_BSZAM = '20260014'"), "0");

    f.ui.messages.clear();
    screen.dateField()->setText("2026.06.10");  // the voided ticket's own date
    button(screen, "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList{done});
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(f.scalar("SELECT F_KELT FROM FJFEJ WHERE F_BSZAM = '20260014'"), "2026.06.10");
}

// Lines left under the new number by a cancelled entry go when the screen shows; the
// deletion waits for the next commit, and a failed one is told without stopping the screen.
TEST(Voiding, OrphanLinesUnderTheNewNumberAreDeletedOnShow) {
    AppFixture f(true);
    f.chooseBuyer("1");
    insertVoidable(f);
    f.exec(
        "INSERT INTO FJSOR (S_BSZAM, S_MEGNEVEZES, S_BRUTTO, S_AKOD) VALUES ('20260014', 'Árva', "
        "3, '1')");
    selectForVoiding(f, voided);
    {
        TForm39 screen(f.app());
        screen.show();
        EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM FJSOR WHERE S_BSZAM = '20260014'"), "0");
        button(screen, "Mégsem")->click();
        EXPECT_EQ(screen.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(f.ui.messages.isEmpty());
    f.data().rollback();
    EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM FJSOR WHERE S_BSZAM = '20260014'"), "1");

    f.exec("CREATE EXCEPTION keep_lines 'nem'");
    f.exec("CREATE TRIGGER fjsor_keep FOR FJSOR BEFORE DELETE AS BEGIN EXCEPTION keep_lines; END");
    selectForVoiding(f, voided);
    TForm39 screen(f.app());
    screen.show();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba391: Fjsor DELETE törlése mert nem volt fejrésze "});
    EXPECT_EQ(screen.newNumber(), next);
}

// Voiding is all or nothing: whichever step fails, its message is shown and the database is
// exactly as before "OK", writes that were waiting for a commit included. The screen stays
// open on the same ticket.
TEST(Voiding, AFailedStepLeavesTheDatabaseAsBefore) {
    const auto trigger = [](const QString& table, const QString& when, const QString& condition) {
        return [=](AppFixture& f) {
            f.exec("CREATE EXCEPTION refused 'nem'");
            f.exec(QStringLiteral("CREATE TRIGGER refusing FOR %1 %2 AS BEGIN IF (%3) THEN "
                                  "EXCEPTION refused; END")
                       .arg(table, when, condition));
        };
    };
    const auto nothing = [](AppFixture&) {};
    struct Case {
        const char* name;
        std::function<void(AppFixture&)> before;     // before the screen shows
        std::function<void(AppFixture&)> afterShow;  // between showing and "OK"
        QString message;
    };
    const Case cases[] = {
        {"header copy refused", trigger("FJFEJ", "BEFORE INSERT", "NEW.F_BSZAM = ' '"), nothing,
         "Hiba392: Újban, INSERT a Fjfejben "},
        {"a blank header left by something else",
         [](AppFixture& f) { f.exec("INSERT INTO FJFEJ (F_AKOD, F_TIPUS) VALUES ('1', '1')"); },
         nothing, "Hiba93: Új UPDATE FjFej -ben "},
        {"voided ticket's mark refused",
         trigger("FJFEJ", "BEFORE UPDATE", "OLD.F_BSZAM = '20269001'"), nothing,
         "Hiba394: Új UPDATE FjFej -ben "},
        {"line copy refused", trigger("FJSOR", "BEFORE INSERT", "NEW.S_BSZAM = ' '"), nothing,
         "Hiba395: Újban, INSERT a Fjsorban "},
        {"negated line refused", trigger("FJSOR", "BEFORE UPDATE", "NEW.S_BRUTTO < -5"), nothing,
         "Hiba397: Új UPDATE FjFej -ben "},
        {"a line of another buyer code stays blank",
         [](AppFixture& f) {
             f.exec("UPDATE FJSOR SET S_AKOD = '2' WHERE S_BSZAM = '20269001' AND S_BRUTTO < 0");
         },
         nothing, "Hiba397: Új UPDATE FjFej -ben "},
        {"numbering row missing", nothing,
         [](AppFixture& f) { f.exec("DELETE FROM SORSZAM WHERE A_AKOD = '1'"); },
         "Hiba398: Új UPDATE Sorszam -ba "},
        {"number issued meanwhile", nothing,
         [](AppFixture& f) {
             f.exec("UPDATE SORSZAM SET A_FJBSZAM = '20260014' WHERE A_AKOD = '1'");
         },
         "Hiba398: Új UPDATE Sorszam -ba "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f(true);
        f.chooseBuyer("1");
        insertVoidable(f);
        // Blank rows made by something else are not swept into the voiding.
        f.exec(
            "INSERT INTO FJSOR (S_MEGNEVEZES, S_BRUTTO, S_AKOD) VALUES ('Félbehagyott', 4, '1')");
        c.before(f);
        selectForVoiding(f, voided);
        TForm39 screen(f.app());
        screen.show();
        c.afterShow(f);
        // A write waiting for the next commit, as a print mark does.
        Query& pending = f.data().query("ZQ90");
        pending.setSql("UPDATE FJFEJ SET F_PRN = 'I' WHERE F_BSZAM = '20260012'");
        ASSERT_EQ(pending.execSql(), 1);
        const QStringList before = snapshot(f);
        f.ui.messages.clear();

        screen.dateField()->setText("2026.06.11");
        button(screen, "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{c.message});
        EXPECT_EQ(snapshot(f), before);
        EXPECT_TRUE(screen.isVisible());
        EXPECT_EQ(f.data().query("ZQ10").text("f_bszam"), voided);
    }
}

// The road of a ticket: print it, void it, print the voiding document, which pays back the
// negative of the ticket's cash amount.
TEST(Voiding, TheVoidingDocumentPrintsAsTheTicketsNegative) {
    AppFixture f(true);
    f.chooseBuyer("1");
    QFile::copy(repoDbFolder() + "/FjLista7.frf", f.folder() + "/FjLista7.frf");
    f.exec("UPDATE FJFEJ SET F_PRN = ' ' WHERE F_BSZAM = '20260001'");
    f.run().lastSavedTicketNumber = "20260001";
    TForm8 list(f.app());
    list.show();
    button(list, "Nyomtat")->click();
    ASSERT_EQ(f.ui.reports.size(), 1);
    EXPECT_EQ(f.ui.reports.last().variables.value("v_kif").toString(), "1030730");
    EXPECT_EQ(f.ui.reports.last().documentName, "felvasarlasi_jegy_20260001");

    ASSERT_TRUE(f.data().query("ZQ10").locate("f_bszam", "20260001", false, false));
    f.ui.onModal["TForm39"] = [](QDialog& d) {
        edit(d, "F_KELT")->setText("2026.01.20");
        button(d, "OK")->click();
        return d.result();
    };
    button(list, "Érvénytelenit")->click();
    ASSERT_EQ(f.data().query("ZQ10").text("f_bszam"), next);

    button(list, "Nyomtat")->click();
    ASSERT_EQ(f.ui.reports.size(), 2);
    const ReportJob& voiding = f.ui.reports.last();
    EXPECT_EQ(voiding.variables.value("v_kif").toString(), "-1030730");
    EXPECT_EQ(voiding.documentName, "ervenytelenito_20260014");
    EXPECT_EQ(voiding.variables.value("v_fizmod").toString(), "Fizetés módja: Kp.");
    EXPECT_EQ(voiding.variables.value("v_masolat").toString(), " ");
    EXPECT_EQ(voiding.variables.value("v_ervenyteleniti").toString(),
              "Érvényteleníti a 20260001 számú bizonylatot.");
    EXPECT_TRUE(voiding.pageTexts.first().contains("Kifizetendö: -1030730 Ft"));
    EXPECT_TRUE(f.ui.errors.isEmpty()) << f.ui.errors.join('\n').toStdString();
}
