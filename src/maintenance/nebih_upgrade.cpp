#include "maintenance/nebih_upgrade.h"

#include <QDate>

#include "core/write.h"

TForm43::TForm43(App& app, QWidget* parent)
    : UpgradeScreen(app, QStringLiteral("TForm43"), QStringLiteral("Nébih azonosító felvétele"),
                    {QStringLiteral("Ezen mező létezik-e az östermelönél ?  "),
                     QStringLiteral("Ha létezik nem kerül végrehajtásra."),
                     QStringLiteral("Érvényesség kezdete: 2021.01.01 beírásra kerül")},
                    true, parent) {}

void TForm43::runUpgrade() {
    struct Column {
        QString name;
        QString domain;
        UpgradeStep step;
    };
    const Column columns[] = {
        {QStringLiteral("O_IGSZAM1"),
         QStringLiteral("SZOVEG20"),
         {QStringLiteral("ALTER TABLE OSTERMELO ADD O_IGSZAM1 SZOVEG20  "),
          QStringLiteral("Hiba432: ALTER TABLE OSTERMELO ADD O_IGSZAM1 az östermelöben!"),
          QStringLiteral("Hiba431: ALTER TABLE OSTERMELO ADD O_IGSZAM1 az östermelöben! ")}},
        {QStringLiteral("O_ERVKELT1"),
         QStringLiteral("D_ERVKELT"),
         {QStringLiteral("ALTER TABLE OSTERMELO ADD O_ERVKELT1 D_ERVKELT  "),
          QStringLiteral("Hiba434: ALTER TABLE OSTERMELO ADD O_ERVKELT1 az östermelöben!"),
          QStringLiteral("Hiba433: ALTER TABLE OSTERMELO ADD O_ERVKELT1 az östermelöben! ")}},
        {QStringLiteral("O_CSGAZD1"),
         QStringLiteral("SZOVEG20"),
         {QStringLiteral("ALTER  TABLE OSTERMELO ADD O_CSGAZD1 SZOVEG20   "),
          QStringLiteral("Hiba436: ALTER TABLE OSTERMELO ADD O_CSGAZD1 az östermelöben!"),
          QStringLiteral("Hiba435: ALTER TABLE OSTERMELO ADD O_CSGAZD1 az östermelöben! ")}},
    };
    // Each column is probed on its own, so a half-upgraded database is completed.
    bool missing[3];
    bool anyMissing = false;
    for (int i = 0; i < 3; ++i) {
        missing[i] = !producerHasColumn(app(), QStringLiteral("ZQ32"), columns[i].name);
        anyMissing = anyMissing || missing[i];
    }
    if (!anyMissing) {
        ui().notice(QStringLiteral("Már létezik az östermelöben O_IGSZAM1!"));
        return;
    }
    for (int i = 0; i < 3; ++i) {
        if (!missing[i]) continue;
        const Column& c = columns[i];
        const bool added = runWrite(app(), c.step.startMessage, c.step.writeMessage, [&] {
            ensureDomain(app(), c.domain);
            data().commit();  // a domain must be committed before a column may use it
            Query& q = data().query(QStringLiteral("ZQ31"));
            q.close();
            q.setSql(c.step.statement);
            q.execSql();
        });
        if (!added) return;
        if (c.name == QLatin1String("O_ERVKELT1")) {
            const bool filled = runWrite(
                app(),
                QStringLiteral("Hiba437: 2021.01.01 érték beírásakor ERVKELT1 az östermelöben!"),
                [&] {
                    Query& q = data().query(QStringLiteral("ZQ31"));
                    q.close();
                    q.setSql(QStringLiteral(
                        "UPDATE ostermelo\nSET O_ERVKELT1 = :p1\nWHERE O_ERVKELT1 is null"));
                    q.bindDate(QStringLiteral("p1"), QDate(2021, 1, 1));
                    q.execSql();
                });
            if (!filled) return;
        }
    }
    finished();
}
