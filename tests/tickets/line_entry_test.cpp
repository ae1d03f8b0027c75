#include "tickets/line_entry.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "support/app_fixture.h"
#include "ticket_test_support.h"

using namespace tickets_test;

namespace {
const QString addMode = QStringLiteral("Új tételsor");
const QString changeMode = QStringLiteral("Felvásárlási jegy módositás");

// Lines of an open ticket 20260014 of producer 1 on the demo database; the ticket's weight
// deduction percent is `percent` at the moment a line is written.
struct Lines {
    AppFixture f{true};
    QString percent = QStringLiteral("0");

    explicit Lines(const QByteArray& form10 = "[Form10]\r\nEdit10Visible=1\r\nEdit8Text=12\r\n") {
        f.chooseBuyer("1");
        writeSettings(f, {}, form10);
    }
    std::unique_ptr<TForm10> screen(const QString& mode) {
        f.run().lineEntryMode = mode;
        auto s = std::make_unique<TForm10>(f.app());
        s->setTicket({[] { return QStringLiteral("20260014"); }, [] { return QStringLiteral("1"); },
                      [this] { return percent; }});
        return s;
    }
    void fillValid(TForm10& s) {
        for (const auto& [name, value] : {std::pair{"S_MEGNEVEZES", "Alma"},
                                          {"S_VTSZ", "0808"},
                                          {"S_BRUTTO", "10"},
                                          {"S_MEGY", "kg"},
                                          {"S_EAR", "100,5"},
                                          {"S_KOMPMERTEKE", "12"}}) {
            s.field(QString::fromLatin1(name))->setText(QString::fromUtf8(value));
        }
    }
    QString column(const char* name,
                   const QString& where = QStringLiteral("s_bszam = '20260014'")) {
        return f.scalar(
            QStringLiteral("SELECT %1 FROM fjsor WHERE %2").arg(QString::fromLatin1(name), where));
    }
};
}  // namespace

TEST(LineEntry, ChecksEachRequiredFieldInOrder) {
    Lines l;
    auto s = l.screen(addMode);
    s->show();
    EXPECT_EQ(s->field("S_BSZAM")->text(), "20260014");
    s->field("S_KOMPMERTEKE")->clear();
    const std::pair<const char*, const char*> order[] = {
        {"S_MEGNEVEZES", "Nincs megadva a megnevezés!"},
        {"S_VTSZ", "Nincs megadva a VTSZ!"},
        {"S_BRUTTO", "Nincs megadva a mennyiség!"},
        {"S_MEGY", "Nincs megadva a mennyiség egység!"},
        {"S_EAR", "Nincs megadva az egységár!"},
        {"S_KOMPMERTEKE", "Nincs megadva a komp.mértéke!"},
    };
    for (const auto& [name, message] : order) {
        l.f.ui.messages.clear();
        button(*s, "OK")->click();
        EXPECT_EQ(l.f.ui.messages, QStringList{QString::fromUtf8(message)});
        EXPECT_EQ(l.f.ui.lastFocus, s->field(QString::fromLatin1(name)));
        s->field(QString::fromLatin1(name))->setText("1");
    }
    EXPECT_EQ(l.column("count(*)"), "0");
    l.f.ui.messages.clear();
    button(*s, "OK")->click();
    EXPECT_EQ(l.f.ui.messages, QStringList());
    EXPECT_EQ(l.column("count(*)"), "1");
}

TEST(LineEntry, NegativeQuantityAndTheHeadersPercentAtWriteTime) {
    Lines l;
    auto add = l.screen(addMode);
    add->show();
    l.fillValid(*add);
    add->field("S_BRUTTO")->clear();
    QTest::keyClicks(add->field("S_BRUTTO"), "-5x");  // the letter is not admitted
    EXPECT_EQ(add->field("S_BRUTTO")->text(), "-5");
    l.percent = "2";
    button(*add, "OK")->click();
    EXPECT_EQ(add->result(), QDialog::Accepted);
    EXPECT_EQ(committed(l.f, "SELECT count(*) FROM fjsor WHERE s_bszam = '20260014'"),
              "1");  // committed at once
    EXPECT_EQ(l.column("s_brutto"), "-5");
    EXPECT_EQ(l.column("s_levonszaz"), "2");
    EXPECT_EQ(l.column("s_akod"), "1");
    EXPECT_EQ(l.column("s_netto"),
              "-4,9");  // the database applies the 2 % to the negative quantity
    const Query& lines = l.f.data().query("ZQ20");
    EXPECT_EQ(lines.rowCount(), 1);
    EXPECT_EQ(l.f.data().query("ZQ31").text("o_kod"), "1");

    // A later header percent reaches only lines written afterwards.
    l.percent = "3";
    auto second = l.screen(addMode);
    second->show();
    l.fillValid(*second);
    button(*second, "OK")->click();
    EXPECT_EQ(lines.rowCount(), 2);
    EXPECT_EQ(lines.recNo(), 1);  // on the new line
    EXPECT_EQ(l.column("s_levonszaz", "s_brutto = -5"), "2");

    // Changing the first line rewrites it with the current percent, and the grid stays on it.
    l.f.data().query("ZQ20").first();
    auto change = l.screen(changeMode);
    ASSERT_TRUE(change->fill());
    change->show();
    EXPECT_EQ(change->field("S_KOMPMERTEKE")->text(), "12");  // the line's, not the start value
    EXPECT_EQ(change->field("S_EAR")->text(), "100,5");
    change->field("S_BRUTTO")->setText("-6");
    button(*change, "OK")->click();
    EXPECT_EQ(l.column("s_levonszaz", "s_brutto = -6"), "3");
    EXPECT_EQ(l.column("count(*)"), "2");
    EXPECT_EQ(lines.text("s_brutto"), "-6");
}

TEST(LineEntry, SettingsAndTheProductChoice) {
    Lines l("[Form10]\r\nEdit10Visible=0\r\nEdit8Text=12\r\n");
    auto s = l.screen(addMode);
    s->show();
    EXPECT_FALSE(s->field("S_BIZONYLAT")->isVisibleTo(s.get()));
    EXPECT_EQ(s->field("S_KOMPMERTEKE")->text(), "12");

    // The name prefix positions the product list; closing it without a pick still copies its row.
    s->field("S_MEGNEVEZES")->setText("meg");
    button(*s, "Termék")->click();
    EXPECT_EQ(l.f.run().productNamePrefix, "meg");
    const std::pair<const char*, const char*> copied[] = {
        {"S_MEGNEVEZES", "Meggy"}, {"S_VTSZ", "08092100"}, {"S_MEGY", "kg"},     {"S_EAR", "320"},
        {"S_KOMPMERTEKE", "12"},   {"S_TERMEKKOD", "8"},   {"S_BIZONYLAT", "11"}};
    for (const auto& [name, value] : copied)
        EXPECT_EQ(s->field(QString::fromLatin1(name))->text(), QString::fromUtf8(value)) << name;
    EXPECT_EQ(s->focusWidget(), s->field("S_BRUTTO"));

    pickProduct(l.f, "1");  // 7 % replaces the start value
    button(*s, "Termék")->click();
    EXPECT_EQ(s->field("S_KOMPMERTEKE")->text(), "7");
    EXPECT_EQ(s->field("S_MEGNEVEZES")->text(), "Étkezési búza");

    Lines shown;
    auto visible = shown.screen(addMode);
    visible->show();
    EXPECT_TRUE(visible->field("S_BIZONYLAT")->isVisibleTo(visible.get()));
}

TEST(LineEntry, FailuresShowTheirNumberedMessages) {
    Lines l;
    l.f.exec("CREATE EXCEPTION E_NO_WRITE 'no write'");
    l.f.exec(
        "CREATE TRIGGER T_NO_LINE FOR FJSOR BEFORE INSERT OR UPDATE AS BEGIN EXCEPTION E_NO_WRITE; "
        "END");
    auto add = l.screen(addMode);
    add->show();
    l.fillValid(*add);
    button(*add, "OK")->click();
    EXPECT_EQ(l.f.ui.messages, QStringList{"Hiba103: Új, INSERT a fjsorban "});
    EXPECT_TRUE(add->isVisible()) << "the typed line stays for another try";
    EXPECT_EQ(add->field("S_BRUTTO")->text(), "10");
    EXPECT_TRUE(l.f.data().query("ZQ20").active());  // reloaded

    l.f.data().query("ZQ20").close();
    l.f.ui.messages.clear();
    auto unreadable = l.screen(changeMode);
    EXPECT_FALSE(unreadable->fill());
    EXPECT_EQ(l.f.ui.messages,
              QStringList{"Hiba101: a terméksor feltöltésben való megjelenitésekor!"});

    l.f.data().query("ZQ20").setSql("SELECT * FROM fjsor WHERE s_bszam = '20260001'");
    l.f.data().query("ZQ20").open();
    l.f.ui.messages.clear();
    auto change = l.screen(changeMode);
    ASSERT_TRUE(change->fill());
    change->show();
    change->field("S_BRUTTO")->setText("1");
    button(*change, "OK")->click();
    EXPECT_EQ(l.f.ui.messages, QStringList{"Hiba104: Módosit, UPDATE a fjsorban "});
    EXPECT_NE(l.column("s_brutto", "s_bszam = '20260001'"), "1");
}
