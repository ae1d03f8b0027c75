#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>

#include "app/screens.h"
#include "core/main_window.h"
#include "support/app_fixture.h"

namespace {

TEST(ExchangeMenu, SegedletEntriesOpenTheirScreens) {
    AppFixture f;
    f.chooseBuyer();
    MainWindow window{f.app()};
    wireScreens(window, f.app());
    window.buyerChosen();
    struct Entry {
        const char* item;
        const char* screen;
        bool hidden;
    };
    const Entry entries[] = {
        {"Fjegy excel táblába", "TForm20", false},
        {"Adat export", "TForm29", false},
        {"Régiből import", "TForm25", true},
        {"Östermelö import excelböl (*.csv)", "TForm34", true},
    };
    for (const Entry& e : entries) {
        QString opened;
        f.ui.onModal[QString::fromLatin1(e.screen)] = [&opened](QDialog& screen) {
            opened = screen.objectName();
            return int(QDialog::Rejected);
        };
        QAction* action = window.menuAction(QStringLiteral("Segédlet"), QString::fromUtf8(e.item));
        ASSERT_NE(action, nullptr) << e.item;
        EXPECT_EQ(action->isVisible(), !e.hidden) << e.item;
        // A hidden entry is wired all the same, for whoever enables it.
        action->setEnabled(true);
        action->trigger();
        EXPECT_EQ(opened, QString::fromLatin1(e.screen)) << e.item;
    }
    EXPECT_TRUE(f.ui.messages.isEmpty()) << f.ui.messages.join(u'|').toStdString();
}

}  // namespace
