#include "registers/producer_entry.h"

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "registers/producer_list.h"
#include "registers_helpers.h"

namespace {

// Inputs that pass every check.
const std::pair<const char*, const char*> validInputs[] = {
    {"O_NEV", "Kiss Anna"}, {"O_IRSZAM", "6000"},         {"O_HELYSEGNEV", "Kecskemét"},
    {"O_UTCA", "Fő"},       {"O_ADOAZON", "8347708363"},  {"O_ADOSZAM", "71689766103"},
    {"O_SZJA", "15"},       {"O_SZULHELY", "Szeged"},     {"O_SZIDO", "1962.03.14"},
    {"O_NEME", "2"},        {"O_ANYJA", "Nagy Éva"},      {"O_SZULNEV", "Tóth Anna"},
    {"O_FHAT", "8"},        {"O_ERVKELT1", "2021.01.01"}, {"O_FELIR", "KJ7273177"},
};

class ProducerEntry : public ::testing::Test {
protected:
    ProducerEntry() { f.chooseBuyer(); }

    // A shown entry in the given mode with valid inputs.
    std::unique_ptr<TForm5> openEntry(const QString& mode = "Új őstermelő") {
        f.run().producerEntryMode = mode;
        auto entry = std::make_unique<TForm5>(f.app());
        entry->show();
        for (const auto& [name, text] : validInputs)
            entry->field(name)->setText(QString::fromUtf8(text));
        return entry;
    }
    QString proposal() {
        auto entry = openEntry();
        return entry->field("O_KOD")->text();
    }

    AppFixture f;
};

// The numeric successor of the largest numeric code: the last code in text order plus one while
// all codes have one length, and no repeat once they do not.
TEST_F(ProducerEntry, ProposesTheSuccessorOfTheLargestNumericCode) {
    EXPECT_EQ(proposal(), "1") << "empty register";
    for (int code = 101; code <= 157; ++code) addProducer(f, QString::number(code), "P");
    EXPECT_EQ(proposal(), "158");
    f.exec("DELETE FROM ostermelo");
    for (int code = 1; code <= 20; ++code) addProducer(f, QString::number(code), "P");
    EXPECT_EQ(proposal(), "21") << "text order would end on 9 and propose 10 again";
    addProducer(f, "K99", "P");  // a code that is not a number does not count
    EXPECT_EQ(proposal(), "21");
}

TEST_F(ProducerEntry, ExistingCodeIsRefusedAndTheCodeOpensForAFreeOne) {
    addProducer(f, "9", "Kilenc");
    addProducer(f, "10", "Tíz");
    auto entry = openEntry();
    ASSERT_EQ(entry->field("O_KOD")->text(), "11");
    addProducer(f, "11", "Tizenegy");  // another copy takes the proposed code meanwhile
    button(entry.get(), "OK")->click();
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages.first().contains(QStringLiteral("már létezik")));
    EXPECT_EQ(f.ui.lastFocus, entry->field("O_KOD"));
    EXPECT_FALSE(entry->field("O_KOD")->isReadOnly());
    EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo"), "3");
    EXPECT_EQ(entry->field("O_NEV")->text(), "Kiss Anna");  // inputs kept

    entry->field("O_KOD")->setText("12");
    button(entry.get(), "OK")->click();
    EXPECT_EQ(f.scalar("SELECT o_nev FROM ostermelo WHERE o_kod = '12'"), "Kiss Anna");
}

TEST_F(ProducerEntry, ChecksRunInOrderWithTheirMessageAndFocus) {
    struct Case {
        QList<std::pair<const char*, const char*>> inputs;
        const char* message;
        const char* focus;
    };
    const Case cases[] = {
        {{{"O_NEV", "  "}, {"O_IGSZAM1", "rossz"}}, "Nincs megadva a neve!", "O_NEV"},
        {{{"O_IRSZAM", ""}}, "Nincs megadva az irányitószám!", "O_IRSZAM"},
        {{{"O_IRSZAM", "600 "}}, "Az irányitószám kevesebb mint 4 karakter!", "O_IRSZAM"},
        {{{"O_HELYSEGNEV", ""}}, "Nincs megadva a helységnév!", "O_HELYSEGNEV"},
        {{{"O_UTCA", " "}}, "Nincs megadva az utca!", "O_UTCA"},
        {{{"O_ADOAZON", ""}}, "Nincs megadva az adóazonositó!", "O_ADOAZON"},
        {{{"O_SZJA", ""}}, "Nincs megadva az szja!", "O_SZJA"},
        {{{"O_SZULHELY", ""}}, "Nincs megadva a születési hely!", "O_SZULHELY"},
        {{{"O_SZIDO", ""}}, "Nincs megadva a születési idő!", "O_SZIDO"},
        {{{"O_ANYJA", ""}}, "Nincs megadva az anyja neve!", "O_ANYJA"},
        {{{"O_NEME", ""}}, "Nincs megadva a neme!", "O_NEME"},
        {{{"O_SZULNEV", ""}}, "Nincs megadva a születési neve!", "O_SZULNEV"},
        {{{"O_FHAT", ""}}, "Nincs megadva a napok száma vagy nulla!", "O_FHAT"},
        {{{"O_FHAT", "-1"}}, "Hibás szám vagy nullát adjon meg!", "O_FHAT"},
        {{{"O_FHAT", "99999999999"}}, "Hibás szám vagy nullát adjon meg!", "O_FHAT"},
        {{{"O_KOZADOSZAM", "HU12345"}},
         "Közösségi adószám kevesebb mint 8 karakter!",
         "O_KOZADOSZAM"},
        {{{"O_ADOSZAM", ""}}, "Nincs megadva az adószáma!", "O_ADOSZAM"},
        {{{"O_SZIDO", "1962.13.01"}}, "A születési idö dátum formátuma nem megfelelö!", "O_SZIDO"},
        {{{"O_ADOAZON", "834770836"}}, "Nem 10 hosszú számsor", "O_ADOAZON"},
        {{{"O_ADOAZON", "8347708364"}}, "Hibás adóazonositó", "O_ADOAZON"},
        {{{"O_ADOSZAM", "7168976610"}}, "Kevesebb mint 11 hosszú számsor", "O_ADOSZAM"},
        {{{"O_ADOSZAM", "71689767103"}}, "Hibás adószám", "O_ADOSZAM"},
        {{{"O_ERVKELT1", ""}},
         "Az érvényesség kezdete dátum formátuma nem megfelelö!",
         "O_ERVKELT1"},
        {{{"O_FELIR", " "}}, "FELIR vagy OCSG vagy NÉBIH nem kitöltött!", "O_FELIR"},
        {{{"O_FELIR", "KJ727317"}}, "Nem 9 hosszú FELIR szám!", "O_FELIR"},
        {{{"O_FELIR", "K17273177"}}, "Hibás FELIR szám!", "O_FELIR"},
        {{{"O_CSGAZD1", "OCSG-1234567"}}, "Nem 13 hosszú OCSG szám!", "O_CSGAZD1"},
        {{{"O_CSGAZD1", "OCSG-1234567X"}}, "Hibás OCSG szám!", "O_CSGAZD1"},
        {{{"O_IGSZAM1", "NEBIH123456789"}}, "Nem 15 hosszú NÉBIH azonositó!", "O_IGSZAM1"},
        {{{"O_IGSZAM1", "NEBIX1234567890"}}, "Hibás NÉBIH azonositó!", "O_IGSZAM1"},
    };
    for (const Case& c : cases) {
        auto entry = openEntry();
        for (const auto& [name, text] : c.inputs)
            entry->field(name)->setText(QString::fromUtf8(text));
        f.ui.messages.clear();
        f.ui.lastFocus = nullptr;
        button(entry.get(), "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{QString::fromUtf8(c.message)}) << c.message;
        EXPECT_EQ(focusName(f), c.focus) << c.message;
        EXPECT_TRUE(entry->isVisible()) << c.message;
    }
    EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo"), "0");
}

TEST_F(ProducerEntry, OneValidRegistryIdentifierIsEnough) {
    struct Case {
        const char* felir;
        const char* ocsg;
        const char* nebih;
    };
    const Case cases[] = {
        {"", "", "NEBIH9922983695"}, {"", "OCSG-12345678", ""}, {"KJ7273177", "", ""}};
    int saved = 0;
    for (const Case& c : cases) {
        auto entry = openEntry();
        entry->field("O_FELIR")->setText(c.felir);
        entry->field("O_CSGAZD1")->setText(c.ocsg);
        entry->field("O_IGSZAM1")->setText(c.nebih);
        button(entry.get(), "OK")->click();
        EXPECT_FALSE(entry->isVisible()) << c.nebih << c.ocsg << c.felir;
        EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo"), QString::number(++saved));
    }
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
}

TEST_F(ProducerEntry, InsertWritesEveryInputAndTheEmptyCardDate) {
    addProducer(f, "1", "Antal Béla");
    TForm4 list(f.app());
    list.show();
    auto entry = openEntry();
    QObject::connect(entry.get(), &TForm5::orderLineChanged, &list, &TForm4::setOrderLine);
    const std::pair<const char*, const char*> more[] = {
        {"O_KERULET", "II."},
        {"O_JELLEG", "utca"},
        {"O_HAZSZAM", "3."},
        {"O_EPULET", "B"},
        {"O_LEPCSO", "2"},
        {"O_SZINT", "4"},
        {"O_AJTO", "12"},
        {"O_KOZADOSZAM", "HU12345678"},
        {"O_BANKSZLA", "11773016-62294867"},
        {"O_KAMARA", "8469788093208196"},
        {"O_CSGAZD1", "OCSG-12345678"},
        {"O_IGSZAM1", "NEBIH9922983695"},
        {"O_IGSZAM", "1707536"},
        {"O_REGSZAM", "1004556815"},
        {"O_CSGAZD", "18844729"},
        {"O_TAJ", "405576160"},
        {"O_ERVKELT", "2030.12.31"},
        {"O_MNYPTAG", "N"},
        {"O_BETETLAP", "2026/0013"},
    };
    for (const auto& [name, text] : more) entry->field(name)->setText(QString::fromUtf8(text));
    entry->findChild<QPlainTextEdit*>("O_FELJEGYZ")->setPlainText("első sor\nmásodik sor");
    button(entry.get(), "OK")->click();
    ASSERT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
    EXPECT_FALSE(entry->isVisible());

    EXPECT_EQ(f.run().rememberedProducerCode, "2");
    Query& q = f.data().query("ZQ30");
    EXPECT_EQ(q.text("O_KOD"), "2") << "the list stands on the saved producer";
    EXPECT_EQ(list.orderLine(), "Őstermelő lista, \"Név\" szerint");
    const std::pair<const char*, const char*> stored[] = {
        {"O_NEV", "Kiss Anna"},
        {"O_IRSZAM", "6000"},
        {"O_HELYSEGNEV", "Kecskemét"},
        {"O_UTCA", "Fő"},
        {"O_ADOAZON", "8347708363"},
        {"O_ADOSZAM", "71689766103"},
        {"O_SZJA", "15"},
        {"O_SZULHELY", "Szeged"},
        {"O_SZIDO", "1962.03.14"},
        {"O_NEME", "2"},
        {"O_ANYJA", "Nagy Éva"},
        {"O_SZULNEV", "Tóth Anna"},
        {"O_FHAT", "8"},
        {"O_ERVKELT1", "2021.01.01"},
        {"O_FELIR", "KJ7273177"},
        {"O_KERULET", "II."},
        {"O_JELLEG", "utca"},
        {"O_HAZSZAM", "3."},
        {"O_EPULET", "B"},
        {"O_LEPCSO", "2"},
        {"O_SZINT", "4"},
        {"O_AJTO", "12"},
        {"O_KOZADOSZAM", "HU12345678"},
        {"O_BANKSZLA", "11773016-62294867"},
        {"O_KAMARA", "8469788093208196"},
        {"O_CSGAZD1", "OCSG-12345678"},
        {"O_IGSZAM1", "NEBIH9922983695"},
        {"O_IGSZAM", "1707536"},
        {"O_REGSZAM", "1004556815"},
        {"O_CSGAZD", "18844729"},
        {"O_TAJ", "405576160"},
        {"O_ERVKELT", "1900.01.01"},
        {"O_MNYPTAG", "N"},
        {"O_BETETLAP", "2026/0013"},
        {"O_FELJEGYZ", "első sor\nmásodik sor"},
        {"O_AKOD", ""},
        {"O_MUVKTG", ""},
    };
    f.data().rollback();  // what was committed stays
    TForm4::reload(f.app());
    EXPECT_EQ(f.data().query("ZQ30").text("O_NEV"), "Kiss Anna");
    for (const auto& [column, text] : stored) {
        EXPECT_EQ(q.text(column), QString::fromUtf8(text)) << column;
    }
}

TEST_F(ProducerEntry, ChangeLoadsTheRowAndUpdatesIt) {
    addProducer(f, "1", "Antal Béla", "AB1234567");
    f.exec(
        "UPDATE ostermelo SET o_fhat = 5, o_szja = 15, o_neme = '1', o_szulnev = 'Antal Béla', "
        "o_irszam = '6000', o_helysegnev = 'Kecskemét', o_utca = 'Fő', o_szulhely = 'Szeged', "
        "o_anyja = 'Kiss Éva', o_feljegyz = 'megjegyzés'");
    TForm4::reload(f.app());
    f.run().producerEntryMode = "Őstermelő módositás";
    TForm5 entry(f.app());
    ASSERT_TRUE(entry.load());
    EXPECT_EQ(entry.windowTitle(), "Őstermelő módositás");
    EXPECT_EQ(entry.field("O_KOD")->text(), "1");
    EXPECT_EQ(entry.field("O_SZIDO")->text(), "1962.03.14");
    EXPECT_EQ(entry.field("O_ERVKELT")->text(), "1899.12.30") << "an empty date";
    EXPECT_EQ(entry.field("O_FHAT")->text(), "5");
    EXPECT_EQ(entry.findChild<QPlainTextEdit*>("O_FELJEGYZ")->toPlainText(), "megjegyzés");
    entry.show();
    EXPECT_EQ(entry.field("O_KOD")->text(), "1") << "no proposal when changing";
    entry.field("O_NEV")->setText("Antal Béla Péter");
    entry.field("O_ERVKELT")->setText("2030.06.30");
    button(&entry, "OK")->click();
    ASSERT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
    EXPECT_EQ(f.scalar("SELECT o_nev || '|' || o_ervkelt FROM ostermelo"),
              "Antal Béla Péter|2030-06-30");
    EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo"), "1");
}

TEST_F(ProducerEntry, ChangeShowsStoredValuesLongerThanTheirInputsWhole) {
    // The columns hold more than the inputs let the user type.
    addProducer(f, "1", "Antal Béla", "KJ72731770");
    completeProducers(f);
    f.exec(
        "UPDATE ostermelo SET o_igszam = '17075360', o_csgazd1 = 'OCSG-123456789', "
        "o_igszam1 = 'NEBIH99229836950'");
    TForm4::reload(f.app());
    f.run().producerEntryMode = "Őstermelő módositás";
    TForm5 entry(f.app());
    ASSERT_TRUE(entry.load());
    entry.show();
    EXPECT_EQ(entry.field("O_IGSZAM")->text(), "17075360");
    struct Case {
        const char* column;
        const char* stored;
        const char* message;
        const char* fixed;
    };
    const Case cases[] = {
        {"O_FELIR", "KJ72731770", "Nem 9 hosszú FELIR szám!", "KJ7273177"},
        {"O_CSGAZD1", "OCSG-123456789", "Nem 13 hosszú OCSG szám!", "OCSG-12345678"},
        {"O_IGSZAM1", "NEBIH99229836950", "Nem 15 hosszú NÉBIH azonositó!", "NEBIH9922983695"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(entry.field(c.column)->text(), QString::fromLatin1(c.stored));
        f.ui.messages.clear();
        button(&entry, "OK")->click();
        EXPECT_EQ(f.ui.messages, QStringList{QString::fromUtf8(c.message)});
        entry.field(c.column)->setText(c.fixed);
    }
    f.ui.messages.clear();
    button(&entry, "OK")->click();
    ASSERT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join('|').toStdString();
    EXPECT_EQ(f.scalar("SELECT o_igszam || '|' || o_felir FROM ostermelo"), "17075360|KJ7273177")
        << "a change elsewhere keeps the longer stored value";
}

TEST_F(ProducerEntry, FailedWritesShowTheirNumberRollBackAndKeepTheInput) {
    addProducer(f, "1", "Antal Béla");
    completeProducers(f);
    TForm4::reload(f.app());
    // An uncommitted change made before the save goes with the rollback.
    f.data().query("ZQ91").setSql("UPDATE ostermelo SET o_nev = 'Átnevezett'");
    f.data().query("ZQ91").execSql();

    auto entry = openEntry();
    entry->field("O_KOD")->setText("123456");  // longer than O_KOD
    button(entry.get(), "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba52: Újban, INSERT az östermelöben "});
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->field("O_KOD")->text(), "123456");
    EXPECT_EQ(entry->field("O_NEV")->text(), "Antal Béla");
    EXPECT_EQ(f.scalar("SELECT max(o_nev) FROM ostermelo"), "Antal Béla");
    EXPECT_EQ(f.data().query("ZQ30").rowCount(), 1) << "the list is reloaded";

    f.ui.messages.clear();
    f.run().producerEntryMode = "Őstermelő módositás";
    TForm5 change(f.app());
    ASSERT_TRUE(change.load());
    change.show();
    change.field("O_ERVKELT")->setText("2030.02.31");
    button(&change, "OK")->click();
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba53: Módositás, Update a östermelöben "});
    EXPECT_TRUE(change.isVisible());
    EXPECT_EQ(change.field("O_ERVKELT")->text(), "2030.02.31");
}

TEST_F(ProducerEntry, AProposalThatRepeatsAnExistingCodeIsRefused) {
    addProducer(f, "9", "Antal Béla");
    addProducer(f, "10", "Bodor Ágnes");
    auto entry = openEntry();
    ASSERT_EQ(entry->field("O_KOD")->text(), "11");
    addProducer(f, "11", "Tizenegy");  // another copy takes the proposed code meanwhile
    button(entry.get(), "OK")->click();
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages.first().contains("\"10\"")) << f.ui.messages.first().toStdString();
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(entry->field("O_NEV")->text(), "Kiss Anna");
    EXPECT_EQ(f.scalar("SELECT count(*) FROM ostermelo WHERE o_kod = '10'"), "1");
}

TEST_F(ProducerEntry, LoadFailureShowsHiba51) {
    f.run().producerEntryMode = "Őstermelő módositás";
    f.data().query("ZQ30").close();
    TForm5 entry(f.app());
    EXPECT_FALSE(entry.load());
    EXPECT_EQ(f.ui.messages,
              QStringList{"Hiba51 az őstermelő módosítás Edit-ben való megjelenitésekor!"});
}

TEST_F(ProducerEntry, LeavingNemeWithOneCopiesTheName) {
    auto entry = openEntry();
    QFocusEvent out(QEvent::FocusOut);
    entry->field("O_NEME")->setText("2");
    QApplication::sendEvent(entry->field("O_NEME"), &out);
    EXPECT_EQ(entry->field("O_SZULNEV")->text(), "Tóth Anna");
    entry->field("O_NEME")->setText("1");
    QApplication::sendEvent(entry->field("O_NEME"), &out);
    EXPECT_EQ(entry->field("O_SZULNEV")->text(), "Kiss Anna");
}

TEST_F(ProducerEntry, DoubleClicksWriteTheIdentifierStarts) {
    auto entry = openEntry();
    const std::pair<const char*, const char*> fills[] = {
        {"O_CSGAZD1", "OCSG-"}, {"O_ERVKELT1", "2021.01.01"}, {"O_IGSZAM1", "NEBIH"}};
    for (const auto& [name, text] : fills) {
        entry->field(name)->setText("x");
        QTest::mouseDClick(entry->field(name), Qt::LeftButton);
        EXPECT_EQ(entry->field(name)->text(), text) << name;
    }
}

TEST_F(ProducerEntry, InputsTakeOnlyTheirKeysUpToTheirLimit) {
    auto entry = openEntry();
    EXPECT_EQ(entry->findChild<QTabWidget*>()->tabText(0), "Adatok");
    EXPECT_EQ(entry->findChild<QTabWidget*>()->tabText(1), "Feljegyzés");
    struct Case {
        const char* name;
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {"O_IRSZAM", "6a0b001", "6000"},
        {"O_ADOAZON", "83x47708363999", "8347708363"},
        {"O_ADOSZAM", "7168-9766/103", "71689766/10"},
        {"O_SZJA", "1,56", "156"},
        {"O_SZIDO", "1962/03.14", "196203.14"},
        {"O_NEME", "3a2", "2"},
        {"O_FHAT", "-8", "8"},
        {"O_TAJ", "40557616099", "405576160"},
        {"O_CSGAZD", "1884-4729", "18844729"},
        {"O_MNYPTAG", "x", ""},
        {"O_MNYPTAG", "i", "i"},
        {"O_FELIR", "KJ72731771", "KJ7273177"},
        {"O_NEV", "Kovacs", "Kovacs"},
    };
    for (const Case& c : cases) {
        QLineEdit* e = entry->field(c.name);
        e->clear();
        QTest::keyClicks(e, QString::fromUtf8(c.typed));
        EXPECT_EQ(e->text(), QString::fromUtf8(c.kept)) << c.name << " " << c.typed;
    }
    const std::pair<const char*, int> limits[] = {
        {"O_NEV", 45},     {"O_KERULET", 20},  {"O_BANKSZLA", 26}, {"O_KAMARA", 20},
        {"O_CSGAZD1", 13}, {"O_ERVKELT1", 10}, {"O_IGSZAM1", 15},  {"O_IGSZAM", 7},
        {"O_REGSZAM", 10}, {"O_ERVKELT", 10},  {"O_BETETLAP", 12}, {"O_KOZADOSZAM", 20}};
    for (const auto& [name, limit] : limits)
        EXPECT_EQ(entry->field(name)->maxLength(), limit) << name;
    EXPECT_TRUE(entry->field("O_KOD")->isReadOnly());
    EXPECT_TRUE(entry->field("ID_OSTERMELO")->isReadOnly());
    auto fresh = std::make_unique<TForm5>(f.app());
    EXPECT_EQ(fresh->field("O_SZJA")->text(), "0");
    EXPECT_EQ(fresh->field("O_NEME")->text(), "1");
    EXPECT_EQ(fresh->field("O_FHAT")->text(), "0");
}

}  // namespace
