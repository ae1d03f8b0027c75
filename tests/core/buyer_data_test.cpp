#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "core/buyer_data.h"
#include "support/app_fixture.h"

namespace {
QPushButton* button(QWidget& w, const QString& text) {
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}
}  // namespace

class BuyerData : public ::testing::Test {
protected:
    AppFixture f;
    BuyerData() { f.chooseBuyer("1"); }

    // Opens the screen as the menu does and runs `act` while it is shown.
    void open(const std::function<void(TForm17&)>& act) {
        TForm17 screen(f.app());
        ASSERT_TRUE(screen.fill());
        f.ui.onModal["TForm17"] = [&](QDialog&) {
            act(screen);
            return screen.result();
        };
        f.ui.showModal(screen);
    }
    QString column(const char* name) {
        return f.scalar(QStringLiteral("SELECT %1 FROM atvevo WHERE v_akod = '1'").arg(name));
    }
};

TEST_F(BuyerData, ChecksInOrderWithMessageAndFocus) {
    struct Case {
        const char* community;
        bool soleTrader;
        const char* taxId;
        const char* registry;
        const char* name;
        const char* message;  // nullptr: saved
        const char* focus;
    };
    const Case cases[] = {
        {"1234567", false, "", "", "", "Közösségi adószám kevesebb mint 8 karakter!",
         "V_KOZADOSZAM"},
        {"HU123456", true, "  ", "x", "y", "Nincs megadva az egyéni váll.adóazonositó száma!",
         "V_ADOAZON"},
        {"", true, "8414071236", "", "y", "Nincs megadva az egyéni váll.nyilvántart.száma!",
         "V_EVNYILV"},
        {"", true, "8414071236", "EV-1", "   ", "Nincs megadva az egyéni váll. neve!", "V_EV_NEVE"},
        {"HU123456", true, "8414071236", "EV-1", "Kiss Anna", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        f.ui.messages.clear();
        open([&](TForm17& s) {
            s.field("V_KOZADOSZAM")->setText(c.community);
            s.findChild<QCheckBox*>("V_EV")->setChecked(c.soleTrader);
            s.field("V_ADOAZON")->setText(c.taxId);
            s.field("V_EVNYILV")->setText(c.registry);
            s.field("V_EV_NEVE")->setText(c.name);
            button(s, "Letárol")->click();
            if (c.message) {
                EXPECT_EQ(f.ui.messages, QStringList{QString::fromUtf8(c.message)});
                EXPECT_EQ(f.ui.lastFocus, s.field(c.focus));
                EXPECT_TRUE(s.isVisible());
            } else {
                EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join("|").toStdString();
                EXPECT_FALSE(s.isVisible());
            }
        });
    }
    EXPECT_EQ(column("v_kozadoszam"), "HU123456");
    EXPECT_EQ(column("v_ev"), "true");
    EXPECT_EQ(column("v_ev_neve"), "Kiss Anna");
}

TEST_F(BuyerData, UncheckedSoleTraderSavesBlanksAndVariantFollowsVersion) {
    open([&](TForm17& s) {
        s.findChild<QCheckBox*>("V_EV")->setChecked(false);
        s.field("V_ADOAZON")->setText("8414071236");
        s.field("V_VERZIO")->setText("L2");
        s.field("V_UTCA")->setText(" Fő ");
        button(s, "Letárol")->click();
    });
    EXPECT_EQ(column("v_adoazon"), " ");
    EXPECT_EQ(column("v_evnyilv"), " ");
    EXPECT_EQ(column("v_ev_neve"), " ");
    EXPECT_EQ(column("v_ev"), " ");
    EXPECT_EQ(column("v_utca"), QStringLiteral(" Fő "));  // bound as typed
    EXPECT_EQ(f.run().printVariant, "L");

    open([&](TForm17& s) {
        s.field("V_VERZIO")->setText("   ");
        button(s, "Letárol")->click();
    });
    EXPECT_EQ(f.run().printVariant, "");
}

// A failed update keeps the screen open with what was typed; the stored values still rule.
TEST_F(BuyerData, FailedUpdateRollsBackAndKeepsTheInputWithTheStoredVariant) {
    f.exec("UPDATE atvevo SET v_verzio = 'O' WHERE v_akod = '1'");
    open([&](TForm17& s) {
        EXPECT_EQ(s.field("V_VERZIO")->maxLength(), QLineEdit().maxLength());
        s.field("V_VERZIO")->setText("L" + QString(45, 'x'));  // wider than the column
        s.field("V_UTCA")->setText("Új utca");
        button(s, "Letárol")->click();
        EXPECT_TRUE(s.isVisible());
        EXPECT_EQ(s.field("V_UTCA")->text(), "Új utca");
    });
    EXPECT_EQ(f.ui.messages, QStringList{"Hiba170: UPDATE atvevo "});
    EXPECT_EQ(column("v_utca"), "Szolnoki");
    EXPECT_EQ(f.run().printVariant, "O");
}

TEST_F(BuyerData, LockedOnceTheBuyerHasATicketUnlessFOnCancel) {
    f.exec("INSERT INTO fjfej (f_bszam, f_akod, f_tipus) VALUES ('20240001', '1', '1')");
    open([&](TForm17& s) {
        EXPECT_EQ(f.ui.messages, QStringList{"Már készült felvásárlási jegy! Nem módositható."});
        QPushButton* save = button(s, "Letárol");
        EXPECT_FALSE(save->isEnabled());
        QTest::keyClick(button(s, "Mégsem"), Qt::Key_F);
        EXPECT_TRUE(save->isEnabled());
    });
}

TEST_F(BuyerData, RefusesTextWindows1250CannotHold) {
    open([&](TForm17& s) {
        s.field("V_UTCA")->setText(QStringLiteral("Fő utca ☃"));
        button(s, "Letárol")->click();
        ASSERT_EQ(f.ui.messages.size(), 1);
        EXPECT_TRUE(f.ui.messages.first().contains("Utcanév"));
        EXPECT_EQ(f.ui.lastFocus, s.field("V_UTCA"));
        EXPECT_TRUE(s.isVisible());
    });
    EXPECT_NE(column("v_utca"), QStringLiteral("Fő utca ?"));
}
