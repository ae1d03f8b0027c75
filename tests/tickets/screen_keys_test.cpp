// Every built screen opens with the focus where typing goes, and Enter walks on from every
// input, read-only ones included; Enter in a choosing list chooses its row.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>

#include "core/buyer_data.h"
#include "core/buyer_selection.h"
#include "registers/producer_entry.h"
#include "registers/producer_list.h"
#include "registers/product_entry.h"
#include "registers/product_list.h"
#include "support/app_fixture.h"
#include "ticket_test_support.h"
#include "tickets/line_entry.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"
#include "tickets/voiding.h"
#include "tickets/year_opening.h"
#include "validation/data_checks_screen.h"

using namespace tickets_test;

namespace {
struct ScreenCase {
    const char* name;
    std::function<std::unique_ptr<QDialog>(AppFixture&)> open;  // shown
    const char* firstFocus;                                     // objectName
};

template <class S>
std::unique_ptr<QDialog> shown(AppFixture& f, QWidget* parent = nullptr) {
    auto s = std::make_unique<S>(f.app(), parent);
    s->show();
    return s;
}

QString focusName(QDialog& screen) {
    QWidget* w = screen.focusWidget();
    return w ? w->objectName() : QStringLiteral("(none)");
}
}  // namespace

TEST(ScreenKeys, EveryScreenOpensOnItsFirstInputAndEnterNeverStops) {
    TForm9* ticket = nullptr;  // the open ticket, parent of the line entry
    std::unique_ptr<QDialog> ticketHolder;
    const ScreenCase cases[] = {
        {"buyer data",
         [](AppFixture& f) {
             auto s = std::make_unique<TForm17>(f.app());
             s->fill();
             s->show();
             return std::unique_ptr<QDialog>(std::move(s));
         },
         "V_KERULET"},
        {"producer list", [](AppFixture& f) { return shown<TForm4>(f); }, "searchName"},
        {"producer entry",
         [](AppFixture& f) {
             f.run().producerEntryMode = "Új őstermelő";
             return shown<TForm5>(f);
         },
         "O_NEV"},
        {"product list", [](AppFixture& f) { return shown<TForm6>(f); }, ""},
        {"product entry",
         [](AppFixture& f) {
             f.run().productEntryMode = "Új termék";
             return shown<TForm7>(f);
         },
         "T_KOD"},
        {"ticket list", [](AppFixture& f) { return shown<TForm8>(f); }, "search"},
        {"ticket entry",
         [&](AppFixture& f) {
             f.run().ticketEntryMode = "Új felvásárlási jegy";
             auto s = shown<TForm9>(f);
             ticket = static_cast<TForm9*>(s.get());
             return s;
         },
         "F_KELT"},
        {"line entry",
         [&](AppFixture& f) {
             f.run().lineEntryMode = "Új tételsor";
             return shown<TForm10>(f, ticket);
         },
         "S_MEGNEVEZES"},
        {"year opening", [](AppFixture& f) { return shown<TForm38>(f); }, ""},
        {"voiding",
         [](AppFixture& f) {
             TForm8::openList(f.app());
             f.run().voidNumber = "20260001";
             return shown<TForm39>(f);
         },
         "F_KELT"},
        {"data checks", [](AppFixture& f) { return shown<TForm14>(f); }, ""},
        // Last: it makes the last buyer current.
        {"buyer selection", [](AppFixture& f) { return shown<TForm18>(f); }, "buyerList"},
    };

    AppFixture f(true);
    f.chooseBuyer("1");
    std::vector<std::unique_ptr<QDialog>> open;  // the ticket entry stays open for its lines
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(c.name);
        f.ui.messages.clear();
        open.push_back(c.open(f));
        QDialog& screen = *open.back();
        ASSERT_TRUE(screen.isVisible());
        if (*c.firstFocus) EXPECT_EQ(focusName(screen), QString::fromLatin1(c.firstFocus));

        // From every visible line edit, Enter moves the focus elsewhere or is the input's own
        // action; it never leaves the user stuck on a read-only field.
        for (QLineEdit* input : screen.findChildren<QLineEdit*>()) {
            if (!input->isVisibleTo(&screen) || !input->isEnabled() || !input->isReadOnly() ||
                qobject_cast<QComboBox*>(input->parentWidget()))
                continue;
            input->setFocus();
            QTest::keyClick(input, Qt::Key_Return);
            EXPECT_NE(screen.focusWidget(), input) << input->objectName().toStdString();
        }
    }
    // The line entry belongs to the ticket entry, which deletes it.
    for (auto& screen : open) {
        if (screen->parent()) (void)screen.release();
    }
}

TEST(ScreenKeys, EnterInAChoosingListChoosesTheRow) {
    AppFixture f(true);
    f.chooseBuyer("1");
    for (const char* name : {"gridZQ30", "gridZQ40"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<QDialog> list = QString::fromLatin1(name) == QLatin1String("gridZQ30")
                                            ? shown<TForm4>(f)
                                            : shown<TForm6>(f);
        auto* grid = list->findChild<QTableView*>(QString::fromLatin1(name));
        ASSERT_NE(grid, nullptr);
        grid->setCurrentIndex(grid->model()->index(1, 0));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        EXPECT_FALSE(list->isVisible());
        EXPECT_EQ(list->result(), QDialog::Accepted);
    }
}
