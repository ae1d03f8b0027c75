#include "maintenance/felir_upgrade.h"

#include "core/write.h"

TForm37::TForm37(App& app, QWidget* parent)
    : UpgradeScreen(app, QStringLiteral("TForm37"),
                    QStringLiteral("FELIR azonosító felvétele az östermelöhöz"),
                    {QStringLiteral("Ezen mező létezik-e az östermelönél ?  "),
                     QStringLiteral("Ha létezik nem kerül végrehajtásra.")},
                    true, parent) {}

void TForm37::runUpgrade() {
    if (producerHasColumn(app(), QStringLiteral("ZQ32"), QStringLiteral("O_FELIR"))) {
        ui().notice(QStringLiteral("Már létezik az östermelöben!"));
        return;
    }
    const bool added = runWrite(
        app(), QStringLiteral("Hiba372: ALTER TABLE OSTERMELO ADD O_FELIR az östermelöben!"),
        QStringLiteral("Hiba371: ALTER TABLE OSTERMELO ADD O_FELIR az östermelöben! "), [&] {
            ensureDomain(app(), QStringLiteral("D_BLAP"));
            data().commit();
            Query& q = data().query(QStringLiteral("ZQ31"));
            q.close();
            q.setSql(QStringLiteral("ALTER TABLE OSTERMELO ADD O_FELIR D_BLAP COLLATE PXW_HUNDC "));
            q.execSql();
        });
    if (added) finished();
}
