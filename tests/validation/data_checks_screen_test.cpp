#include "validation/data_checks_screen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/screens.h"
#include "core/main_window.h"
#include "support/app_fixture.h"

namespace {

QWidget* tabByText(QTabWidget* tabs, const QString& text) {
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == text) return tabs->widget(i);
    return nullptr;
}

class DataChecksScreenTest : public ::testing::Test {
protected:
    // A sub-page of "Adatok" by its tab text.
    QWidget* subPage(const QString& tab) {
        QWidget* data = tabByText(m_screen.findChild<QTabWidget*>(), QStringLiteral("Adatok"));
        if (!data) return nullptr;
        return tabByText(data->findChild<QTabWidget*>(), tab);
    }
    QPushButton* button(const QString& tab, const QString& caption) {
        for (QPushButton* b : subPage(tab)->findChildren<QPushButton*>())
            if (b->text() == caption) return b;
        return nullptr;
    }
    template <class W>
    W* widget(const char* name) {
        return m_screen.findChild<W*>(QString::fromLatin1(name));
    }
    // Types `text` into the sub-page's input, presses "Ellenörzés" and reads the result line.
    QString check(const QString& tab, const char* name, const QString& text) {
        const QString input = QString::fromLatin1(name);
        m_screen.findChild<QLineEdit*>(input)->setText(text);
        button(tab, QStringLiteral("Ellenörzés"))->click();
        const QString result = input == QLatin1String("daysTaxId")
                                   ? QStringLiteral("daysResult")
                                   : input + QStringLiteral("Result");
        return m_screen.findChild<QLabel*>(result)->text();
    }

    AppFixture m_f;
    RecordingUi& m_ui = m_f.ui;
    TForm14 m_screen{m_f.app()};
};

TEST_F(DataChecksScreenTest, ShowsTheFourCheckPagesWithTheirInitialLines) {
    EXPECT_EQ(m_screen.objectName(), QStringLiteral("TForm14"));
    EXPECT_EQ(m_screen.windowTitle(), QStringLiteral("Ellenörzés"));
    QWidget* data = tabByText(m_screen.findChild<QTabWidget*>(), QStringLiteral("Adatok"));
    ASSERT_NE(data, nullptr);
    auto* checks = data->findChild<QTabWidget*>();
    ASSERT_NE(checks, nullptr);
    ASSERT_EQ(checks->count(), 4);
    EXPECT_EQ(checks->tabText(0), QStringLiteral("Adószám"));
    EXPECT_EQ(checks->tabText(1), QStringLiteral("Adóazonositó"));
    EXPECT_EQ(checks->tabText(2), QStringLiteral("TAJ"));
    EXPECT_EQ(checks->tabText(3), QStringLiteral("Napok"));

    const std::pair<const char*, const char*> results[] = {{"taxNumberResult", "Üzenet:"},
                                                           {"taxIdResult", "Üzenet: "},
                                                           {"tajResult", "Üzenet: "},
                                                           {"daysResult", "Üzenet:"}};
    for (const auto& [name, text] : results) {
        auto* line = widget<QLabel>(name);
        ASSERT_NE(line, nullptr) << name;
        EXPECT_EQ(line->text(), QString::fromUtf8(text)) << name;
        EXPECT_TRUE(line->font().bold()) << name;
    }
    // The captions as shown, each naming its input (nullptr: a display line's caption).
    const std::pair<const char*, const char*> captions[] = {
        {"Adószám: ", "taxNumber"},
        {"Adóazonositó: ", "taxId"},
        {"TAJ: ", "taj"},
        {"Adóazonositója:", "daysTaxId"},
        {"Születési ideje: ", "birthDate"},
        {"Eltelt napok száma 1867.01.01-től: ", nullptr},
        {"Adóazonositó alapján: ", nullptr},
    };
    for (const auto& [text, input] : captions) {
        QLabel* caption = nullptr;
        for (QLabel* l : m_screen.findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(text)) caption = l;
        ASSERT_NE(caption, nullptr) << text;
        if (input) {
            ASSERT_NE(caption->buddy(), nullptr) << text;
            EXPECT_EQ(caption->buddy()->objectName(), QString::fromLatin1(input)) << text;
        }
    }
    EXPECT_EQ(widget<QLabel>("dayCount")->text(), QStringLiteral("-"));
    EXPECT_EQ(widget<QLabel>("taxIdDays")->text(), QStringLiteral("-"));
    EXPECT_EQ(widget<QDateEdit>("birthDate")->date(), QDate(1900, 1, 1));
    for (const char* tab : {"Adószám", "Adóazonositó", "TAJ", "Napok"}) {
        EXPECT_NE(button(QString::fromUtf8(tab), QStringLiteral("Ellenörzés")), nullptr) << tab;
        EXPECT_NE(button(QString::fromUtf8(tab), QStringLiteral("Bezárás")), nullptr) << tab;
    }
}

TEST_F(DataChecksScreenTest, SingleValueChecksGiveTheirResultLineAndBeepOnlyOnFailure) {
    struct Case {
        const char* tab;
        const char* input;
        const char* text;
        const char* result;
        bool beep;
    };
    const Case cases[] = {
        {"Adószám", "taxNumber", "12345676142", "Az adószám rendben", false},
        {"Adószám", "taxNumber", "12345676-1-42", "Az adószám rendben", false},
        {"Adószám", "taxNumber", "12345675142", "Hibaüzenet: Hibás adószám", true},
        {"Adószám", "taxNumber", "12345675-1-42", "Hibaüzenet: Hibás adószám", true},
        {"Adószám", "taxNumber", "1234567614", "Hibaüzenet: Nem 11 vagy 13 hosszú számsor", true},
        {"Adószám", "taxNumber", "123456761420", "Hibaüzenet: Nem 11 vagy 13 hosszú számsor", true},
        {"Adószám", "taxNumber", "", "Hibaüzenet: Nem 11 vagy 13 hosszú számsor", true},
        {"Adóazonositó", "taxId", "8414071236", "Az azóazonositó rendben", false},
        {"Adóazonositó", "taxId", "8414071235", "Hibaüzenet: Hibás adóazonositó", true},
        {"Adóazonositó", "taxId", "8414071210", "Hibaüzenet: Hibás adóazonositó", true},
        {"Adóazonositó", "taxId", "841407123", "Hibaüzenet: Nem 10 hosszú számsor", true},
        {"Adóazonositó", "taxId", "84140712360", "Hibaüzenet: Nem 10 hosszú számsor", true},
        {"TAJ", "taj", "123456788", "A TAJ rendben", false},
        {"TAJ", "taj", "123 456 788", "A TAJ rendben", false},
        {"TAJ", "taj", "123-456-788", "A TAJ rendben", false},
        {"TAJ", "taj", "123456787", "Hibaüzenet: Hibás TAJ", true},
        {"TAJ", "taj", "123 456 787", "Hibaüzenet: Hibás TAJ", true},
        {"TAJ", "taj", "1234567888", "Hibaüzenet: Nem 9 vagy 11 hosszú számsor", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tab) + " " + c.text);
        const int beepsBefore = m_ui.beeps;
        EXPECT_EQ(check(QString::fromUtf8(c.tab), c.input, QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.result));
        EXPECT_EQ(m_ui.beeps - beepsBefore, c.beep ? 1 : 0);
    }
    EXPECT_TRUE(m_ui.messages.isEmpty()) << m_ui.messages.join(u'|').toStdString();
}

TEST_F(DataChecksScreenTest, DaysPageShowsBothCountsOnEveryPress) {
    struct Case {
        const char* text;
        QDate birthDate;
        const char* dayCount;
        const char* taxIdDays;
        const char* result;
        bool beep;
    };
    const Case cases[] = {
        {"8414071236", QDate(1980, 5, 15), "41407", "41407",
         "Az adóazonositó és születési dátum összevetése rendben", false},
        {"8414071236", QDate(1980, 5, 16), "41408", "41407",
         "Hibaüzenet: Az adóazonositó és/vagy szül.dátum hiba !", true},
        {"1000001234", QDate(1867, 1, 1), "0", "00000",
         "Az adóazonositó és születési dátum összevetése rendben", false},
        // the lines follow the press before the length test
        {"841", QDate(1980, 5, 15), "41407", "41", "Hibaüzenet: Nem 10 hosszú számsor !", true},
        {"", QDate(1900, 1, 1), "12053", "", "Hibaüzenet: Nem 10 hosszú számsor !", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const int beepsBefore = m_ui.beeps;
        widget<QDateEdit>("birthDate")->setDate(c.birthDate);
        EXPECT_EQ(check(QStringLiteral("Napok"), "daysTaxId", QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.result));
        EXPECT_EQ(widget<QLabel>("dayCount")->text(), QString::fromUtf8(c.dayCount));
        EXPECT_EQ(widget<QLabel>("taxIdDays")->text(), QString::fromUtf8(c.taxIdDays));
        EXPECT_EQ(m_ui.beeps - beepsBefore, c.beep ? 1 : 0);
    }
}

TEST_F(DataChecksScreenTest, ANonDigitReachesTheErrorDisplayAndLeavesTheResultLine) {
    EXPECT_EQ(check(QStringLiteral("Adószám"), "taxNumber", QStringLiteral("12345676142")),
              QStringLiteral("Az adószám rendben"));
    EXPECT_EQ(check(QStringLiteral("Adószám"), "taxNumber", QStringLiteral("1234a676142")),
              QStringLiteral("Az adószám rendben"));
    EXPECT_EQ(check(QStringLiteral("Adóazonositó"), "taxId", QStringLiteral("84140712x6")),
              QStringLiteral("Üzenet: "));
    EXPECT_EQ(check(QStringLiteral("TAJ"), "taj", QStringLiteral("123 456 7x8")),
              QStringLiteral("Üzenet: "));
    widget<QDateEdit>("birthDate")->setDate(QDate(1980, 5, 15));
    EXPECT_EQ(check(QStringLiteral("Napok"), "daysTaxId", QStringLiteral("8414O71236")),
              QStringLiteral("Üzenet:"));
    EXPECT_EQ(widget<QLabel>("taxIdDays")->text(), QStringLiteral("414O7"));

    EXPECT_EQ(m_ui.errors.join(u'|').toStdString(),
              "'a' nem érvényes egész szám.|'x' nem érvényes egész szám.|"
              "'x' nem érvényes egész szám.|'414O7' nem érvényes egész szám.");
    EXPECT_EQ(m_ui.beeps, 0);
}

TEST_F(DataChecksScreenTest, BezarasClosesTheScreen) {
    m_ui.onModal[QStringLiteral("TForm14")] = [this](QDialog&) {
        button(QStringLiteral("TAJ"), QStringLiteral("Bezárás"))->click();
        return m_screen.isVisible() ? -1 : m_screen.result();
    };
    EXPECT_EQ(m_ui.showModal(m_screen), QDialog::Rejected);
    EXPECT_FALSE(m_screen.isVisible());
}

TEST_F(DataChecksScreenTest, EnterMovesBetweenTheInputsAndNeitherChecksNorCloses) {
    m_screen.show();
    auto* pages = m_screen.findChild<QTabWidget*>();
    pages->setCurrentWidget(tabByText(pages, QStringLiteral("Adatok")));
    auto* checks = tabByText(pages, QStringLiteral("Adatok"))->findChild<QTabWidget*>();
    checks->setCurrentWidget(subPage(QStringLiteral("Napok")));
    auto* taxId = widget<QLineEdit>("daysTaxId");
    auto* birthDate = widget<QDateEdit>("birthDate");
    m_screen.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_screen));
    taxId->setFocus();
    QTest::keyClick(taxId, Qt::Key_Return);
    EXPECT_TRUE(birthDate->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(taxId->hasFocus());

    checks->setCurrentWidget(subPage(QStringLiteral("Adószám")));
    widget<QLineEdit>("taxNumber")->setFocus();
    QTest::keyClick(widget<QLineEdit>("taxNumber"), Qt::Key_Return);
    EXPECT_TRUE(m_screen.isVisible());
    EXPECT_EQ(widget<QLabel>("taxNumberResult")->text(), QStringLiteral("Üzenet:"));
    EXPECT_EQ(widget<QLabel>("daysResult")->text(), QStringLiteral("Üzenet:"));
    EXPECT_EQ(m_ui.beeps, 0);
}

TEST(DataChecksMenu, SegedletEllenorzesOpensTheScreenOnTheCheckPages) {
    AppFixture f;
    f.chooseBuyer();
    MainWindow window{f.app()};
    wireScreens(window, f.app());
    window.buyerChosen();
    QStringList pages;
    f.ui.onModal[QStringLiteral("TForm14")] = [&pages](QDialog& screen) {
        auto* tabs = screen.findChild<QTabWidget*>();
        for (int i = 0; i < tabs->count(); ++i) pages << tabs->tabText(i);
        return int(QDialog::Rejected);
    };
    window.menuAction(QStringLiteral("Segédlet"), QStringLiteral("Ellenörzés"))->trigger();
    EXPECT_TRUE(pages.contains(QStringLiteral("Adatok"))) << pages.join(u'|').toStdString();
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join(u'|').toStdString();
}

}  // namespace
