// The schema upgrades on an older database: once, again, and from a half-upgraded state; the
// shared tax identification pass.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include "maintenance/chamber_width_upgrade.h"
#include "maintenance/felir_upgrade.h"
#include "maintenance/nebih_upgrade.h"
#include "maintenance/pension_flag_upgrade.h"
#include "maintenance/shared_tax_id_pass.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"

namespace {

// An older database in its own folder, with the program started on it.
class OldDatabase {
public:
    OldDatabase() : m_previous(QDir::currentPath()) {
        QProcess isql;
        isql.setWorkingDirectory(m_dir.path());
        isql.start("isql-fb", {"-q", "-bail", "-i", repoDbFolder() + "/create_old.sql"});
        isql.waitForFinished(120000);
        QDir::setCurrent(m_dir.path());
        m_app = App::start(ui);
        exec("INSERT INTO ostermelo (o_kod, o_nev, o_adoazon) VALUES ('1', 'A', '8123456789')");
        exec("INSERT INTO ostermelo (o_kod, o_nev, o_adoazon) VALUES ('2', 'B', '8123456789')");
        exec("INSERT INTO ostermelo (o_kod, o_nev, o_adoazon) VALUES ('3', 'C', '')");
        exec("INSERT INTO ostermelo (o_kod, o_nev, o_adoazon) VALUES ('4', 'D', '')");
        exec("INSERT INTO ostermelo (o_kod, o_nev, o_adoazon) VALUES ('5', 'E', '8123456789')");
    }
    ~OldDatabase() {
        m_app.reset();
        QDir::setCurrent(m_previous);
    }
    App& app() { return *m_app; }
    void exec(const QString& sql) {
        Query& q = m_app->data().query("ZQ91");
        q.setSql(sql);
        q.execSql();
        m_app->data().commit();
    }
    QString scalar(const QString& sql) {
        Query& q = m_app->data().query("ZQ91");
        q.setSql(sql);
        q.open();
        const QString v = q.valueAt(0, 0).asText();
        q.close();
        return v;
    }
    bool hasColumn(const QString& column) {
        return scalar(
                   "SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = "
                   "'OSTERMELO' AND RDB$FIELD_NAME = '" +
                   column + "'") == "1";
    }
    template <class ScreenClass>
    void press() {
        ScreenClass screen(*m_app);
        screen.show();
        for (QPushButton* b : screen.template findChildren<QPushButton*>()) {
            if (b->text() != "Mégsem") {
                b->click();
                break;
            }
        }
    }
    RecordingUi ui;

private:
    QString m_previous;
    QTemporaryDir m_dir;
    std::unique_ptr<App> m_app;
};

}  // namespace

TEST(SchemaUpgrade, NebihAddsAllThreeOnceAndCompletesAHalfUpgrade) {
    OldDatabase db;
    db.press<TForm43>();
    EXPECT_EQ(db.ui.messages, QStringList{"Módositás végrehajtva."});
    for (const char* c : {"O_IGSZAM1", "O_ERVKELT1", "O_CSGAZD1"})
        EXPECT_TRUE(db.hasColumn(c)) << c;
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM ostermelo WHERE o_ervkelt1 = DATE '2021-01-01'"),
              "5");

    db.ui.messages.clear();
    db.press<TForm43>();
    EXPECT_EQ(db.ui.messages, QStringList{"Már létezik az östermelöben O_IGSZAM1!"});

    // Half-upgraded: only the last column is missing; start of validity is left alone.
    db.exec("UPDATE ostermelo SET o_ervkelt1 = DATE '2023-05-01'");
    db.exec("ALTER TABLE ostermelo DROP O_CSGAZD1");
    db.ui.messages.clear();
    db.press<TForm43>();
    EXPECT_EQ(db.ui.messages, QStringList{"Módositás végrehajtva."});
    EXPECT_TRUE(db.hasColumn("O_CSGAZD1"));
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM ostermelo WHERE o_ervkelt1 = DATE '2023-05-01'"),
              "5");
}

TEST(SchemaUpgrade, AMissingDomainIsCreatedAndRepeatsAreHarmless) {
    OldDatabase db;
    db.exec("DROP DOMAIN D_BLAP");
    db.press<TForm37>();
    EXPECT_EQ(db.ui.messages, QStringList{"Módositás végrehajtva."});
    EXPECT_TRUE(db.hasColumn("O_FELIR"));
    db.ui.messages.clear();
    db.press<TForm37>();
    EXPECT_EQ(db.ui.messages, QStringList{"Már létezik az östermelöben!"});

    db.ui.messages.clear();
    db.exec("ALTER DOMAIN D_KAMARA TYPE VARCHAR(15) CHARACTER SET WIN1250");
    db.press<TForm42>();
    EXPECT_EQ(db.ui.messages, QStringList{"Módositás végrehajtva."});
    EXPECT_EQ(db.scalar("SELECT RDB$CHARACTER_LENGTH FROM RDB$FIELDS WHERE RDB$FIELD_NAME = "
                        "'D_KAMARA'"),
              "20");
    db.ui.messages.clear();
    db.press<TForm42>();  // already wide enough: runs again without harm
    EXPECT_EQ(db.ui.messages, QStringList{"Módositás végrehajtva."});

    db.ui.messages.clear();
    db.press<TForm28>();
    EXPECT_EQ(db.ui.messages, QStringList{"Módositás végrehajtva."});
    db.ui.messages.clear();
    db.press<TForm28>();
    EXPECT_EQ(db.ui.messages, QStringList{"Már létezik!"});
}

TEST(SchemaUpgrade, SharedTaxIdsMarkAllButTheFirstAndBlanksAreNoGroup) {
    OldDatabase db;
    db.press<TForm36>();
    EXPECT_EQ(db.ui.messages, QStringList{"Vége."});
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM ostermelo WHERE o_szja = 1"), "2");
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM ostermelo WHERE o_szja = 1 AND o_kod IN ('2', '5')"),
              "2");
}
