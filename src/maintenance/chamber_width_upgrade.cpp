#include "maintenance/chamber_width_upgrade.h"

TForm42::TForm42(App& app, QWidget* parent)
    : UpgradeScreen(app, QStringLiteral("TForm42"),
                    QStringLiteral("Kamarai azonosító hossz változás"), {}, true, parent) {}

void TForm42::runUpgrade() {
    // A domain already 20 characters wide or wider is left as it is: narrowing fails.
    if (domainWidth(app(), QStringLiteral("D_KAMARA")) >= 20) {
        finished();
        return;
    }
    const bool changed = runUpgradeStep(
        app(), QStringLiteral("ZQ31"),
        {QStringLiteral("ALTER DOMAIN D_KAMARA TYPE VARCHAR(20) CHARACTER SET WIN1250 "),
         QStringLiteral("Hiba422: Hossz: D_KAMARA az östermelöben!"),
         QStringLiteral("Hiba421: Hossz: D_KAMARA az östermelöben! ")});
    if (changed) finished();
}
