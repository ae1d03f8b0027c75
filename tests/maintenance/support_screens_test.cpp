// The support screens: the guide from the working folder, remote support from PATH only, the
// mail link, and the database file found in a chosen folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "maintenance/help_screen.h"
#include "maintenance/remote_support.h"
#include "maintenance/send_data.h"
#include "support/app_fixture.h"

TEST(SupportScreens, TheGuideOpensFromTheWorkingFolderOrSaysItIsMissing) {
    AppFixture f;
    TForm21 help(f.app());
    help.show();
    auto* open = help.findChild<QPushButton*>();
    ASSERT_EQ(open->text(), "Leírás (pdf)");
    open->click();
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages[0].startsWith("A leírás nem található: "));
    EXPECT_TRUE(f.ui.opened.isEmpty());

    QFile(f.folder() + "/sugo.pdf").open(QIODevice::WriteOnly);
    QDir::setCurrent(QDir::tempPath());  // the process's folder plays no part
    open->click();
    EXPECT_EQ(f.ui.opened, QStringList{f.app().workPath("sugo.pdf")});
}

TEST(SupportScreens, RemoteSupportStartsOnlyFromThePathAndSaysWhenMissing) {
    AppFixture f;
    TForm26 remote(f.app());
    remote.show();
    f.ui.launchSucceeds = false;
    remote.findChild<QPushButton*>()->click();
    EXPECT_EQ(f.ui.launched, (QStringList{"anydesk", "AnyDesk"}));
    EXPECT_EQ(f.ui.messages, QStringList{"A távsegítség programja (AnyDesk) nincs telepítve."});
}

TEST(SupportScreens, SendDataFindsTheDatabaseAndOpensAnEncodedMailLink) {
    AppFixture f;
    TForm27 send(f.app());
    send.show();
    auto* file = send.findChild<QLineEdit*>("Edit1");
    send.chooseFolder(f.folder());
    EXPECT_EQ(file->text(), f.app().workPath("termaro.fdb"));
    QTemporaryDir empty;
    send.chooseFolder(empty.path());
    EXPECT_EQ(file->text(), "");

    for (QPushButton* b : send.findChildren<QPushButton*>()) {
        if (b->text() == "Küldés2") b->click();
    }
    ASSERT_EQ(f.ui.opened.size(), 1);  // opened even without a file
    EXPECT_EQ(f.ui.opened[0],
              "mailto:helpdesk@termaro.hu?subject=Fjegy%20adatok%20&body=Termaro%20adatok%20"
              "elk%C3%BCld%C3%A9se%20ellen%C5%91rz%C3%A9sre.%20Figyelmeztet%C3%A9s:%20csatolt%20"
              "f%C3%A1lj%20mell%C3%A9kelni%20kell!%20");
}
