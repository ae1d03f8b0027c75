#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/database_location.h"

// Where the database is: the environment wins over the settings file, the settings over the
// embedded default; the user name comes from the settings whichever names the database.
TEST(DatabaseLocation, SettingsEnvironmentAndDefault) {
    QTemporaryDir folder;
    const QString work = folder.path();
    const QString ini = work + "/termarotermaro.ini";
    struct Case {
        const char* name;
        QByteArray settings;  // "" = no settings file
        const char* environment;
        QString location;
        bool server;
        const char* user;
    };
    const Case cases[] = {
        {"nothing set: embedded file in the working folder", "", "", work + "/termaro.fdb", false,
         "SYSDBA"},
        {"settings name a server and a user",
         "[Form9]\r\nHely=x:/y.fdb\r\n[Adatbazis]\r\nHely=dbhost/3051:/data/termaro.fdb\r\n"
         "Felhasznalo=KATA\r\n",
         "", "dbhost/3051:/data/termaro.fdb", true, "KATA"},
        {"the environment wins; the user stays the settings'",
         "[Adatbazis]\r\nHely=dbhost:/data/termaro.fdb\r\nFelhasznalo=KATA\r\n",
         " other:/srv/t2024.fdb ", "other:/srv/t2024.fdb", true, "KATA"},
        {"a blank environment value counts as unset",
         "[adatbazis]\r\nhely = \"dbhost:termaro\"\r\n", "   ", "dbhost:termaro", true, "SYSDBA"},
        {"an alias on a server", "", "dbhost:termaro", "dbhost:termaro", true, "SYSDBA"},
        {"the URL form", "", "inet://dbhost:3051//data/termaro.fdb",
         "inet://dbhost:3051//data/termaro.fdb", true, "SYSDBA"},
        {"a relative local file: embedded, in the working folder", "", "ev2024/termaro.fdb",
         work + "/ev2024/termaro.fdb", false, "SYSDBA"},
        {"an absolute local file", "[Adatbazis]\r\nHely=/data/termaro.fdb\r\n", "",
         "/data/termaro.fdb", false, "SYSDBA"},
        {"a section without the key: the default", "[Adatbazis]\r\nFelhasznalo=KATA\r\n", "",
         work + "/termaro.fdb", false, "KATA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ini);
        if (!c.settings.isEmpty()) {
            QFile file(ini);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.settings);
        }
        const DatabaseLocation l =
            resolveDatabaseLocation(work, ini, QString::fromUtf8(c.environment));
        EXPECT_EQ(l.name, c.location);
        EXPECT_EQ(l.server, c.server);
        EXPECT_EQ(l.user, c.user);
    }
}

TEST(DatabaseLocation, ServerNamesSplitIntoServerAndDatabase) {
    struct Case {
        const char* name;
        const char* server;
        const char* database;
        const char* serviceManager;
    };
    const Case cases[] = {
        {"127.0.0.1/3051:/tmp/x/termaro.fdb", "127.0.0.1/3051", "/tmp/x/termaro.fdb",
         "127.0.0.1/3051:service_mgr"},
        {"dbhost:termaro", "dbhost", "termaro", "dbhost:service_mgr"},
        {"dbhost:D:\\TERMARO\\termaro.fdb", "dbhost", "D:\\TERMARO\\termaro.fdb",
         "dbhost:service_mgr"},
        {"inet://dbhost:3051//data/t.fdb", "inet://dbhost:3051", "/data/t.fdb",
         "inet://dbhost:3051/service_mgr"},
        {"C:\\TERMARO\\termaro.fdb", "", "C:\\TERMARO\\termaro.fdb", ""},
        {"/data/termaro.fdb", "", "/data/termaro.fdb", ""},
        {"termaro.fdb", "", "termaro.fdb", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ServerName n = splitServerName(QString::fromUtf8(c.name));
        EXPECT_EQ(namesServer(QString::fromUtf8(c.name)), *c.server != 0);
        EXPECT_EQ(n.server, c.server);
        EXPECT_EQ(n.database, c.database);
        EXPECT_EQ(n.serviceManager, c.serviceManager);
    }
}
