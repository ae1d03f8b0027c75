#include "maintenance/pension_flag_upgrade.h"

TForm28::TForm28(App& app, QWidget* parent)
    : UpgradeScreen(
          app, QStringLiteral("TForm28"), QStringLiteral("Program módosítás (2010.10.hótól)"),
          {QStringLiteral("Magánnyugdij pénztárnak tagja?  "),
           QStringLiteral("Östermelö adatok kibővítése ezzel a kérdéssel."),
           QStringLiteral(
               "Ha tagja csak akkor kell \"Igen\" -re állítani a z östermelöi adatoknál."),
           QStringLiteral("Ha nincs megjelölve akkor  a program \"Nem\" -nek tekinti.")},
          false, parent) {}

void TForm28::runUpgrade() {
    if (producerHasColumn(app(), QStringLiteral("ZQ30"), QStringLiteral("O_MNYPTAG"))) {
        ui().notice(QStringLiteral("Már létezik!"));
        reject();
        return;
    }
    const bool added =
        runUpgradeStep(app(), QStringLiteral("ZQ30"),
                       {QStringLiteral("ALTER TABLE ostermelo ADD o_mnyptag VARCHAR(1) "),
                        QStringLiteral("Hiba282: TRANSACTION közben az östermelöben!"),
                        QStringLiteral("Hiba281: ALTER TABLE az östermelöben. ")});
    if (!added) return;
    finished();
    accept();
}
