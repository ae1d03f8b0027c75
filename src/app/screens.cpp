#include "app/screens.h"

#include "core/app.h"
#include "core/buyer_data.h"
#include "core/buyer_selection.h"
#include "core/main_window.h"
#include "declaration/declaration_screen.h"
#include "declaration/merge_screen.h"
#include "exchange/audit_xml_screen.h"
#include "exchange/inventory_xml_screen.h"
#include "exchange/old_import.h"
#include "exchange/producer_import.h"
#include "exchange/spreadsheet_export.h"
#include "exchange/text_export.h"
#include "lists/cash_daily_list.h"
#include "lists/contract_print.h"
#include "lists/itemised_list.h"
#include "lists/per_producer_list.h"
#include "lists/per_product_list.h"
#include "lists/producer_by_month.h"
#include "lists/statistics.h"
#include "maintenance/about_box.h"
#include "maintenance/backup_screen.h"
#include "maintenance/chamber_width_upgrade.h"
#include "maintenance/date_format_help.h"
#include "maintenance/felir_upgrade.h"
#include "maintenance/help_screen.h"
#include "maintenance/nebih_upgrade.h"
#include "maintenance/pension_flag_upgrade.h"
#include "maintenance/remote_support.h"
#include "maintenance/send_data.h"
#include "maintenance/shared_tax_id_pass.h"
#include "maintenance/table_editor.h"
#include "registers/producer_list.h"
#include "registers/product_list.h"
#include "tickets/ticket_list.h"
#include "tickets/year_opening.h"
#include "validation/data_checks_screen.h"

namespace {
// Creates the screen, shows it modally and destroys it when it closes.
template <class ScreenClass>
void openScreen(App& app) {
    ScreenClass screen(app);
    app.ui().showModal(screen);
}
}  // namespace

void wireScreens(MainWindow& window, App& app) {
    window.setScreen(QStringLiteral("Átvevö"), QStringLiteral("Választás"),
                     [&app] { openScreen<TForm18>(app); });
    window.setScreen(QStringLiteral("Felvásárlási jegy"), {}, [&app] { openScreen<TForm8>(app); });
    window.setScreen(QStringLiteral("Östermelö"), {}, [&app] { openScreen<TForm4>(app); });
    window.setScreen(QStringLiteral("Termék"), {}, [&app] { openScreen<TForm6>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Évnyitás"),
                     [&app] { openScreen<TForm38>(app); });
    window.setScreen(QStringLiteral("Bevallás"), QStringLiteral("2408M-hoz export"),
                     [&app] { openScreen<TForm11>(app); });
    window.setScreen(QStringLiteral("Bevallás"), QStringLiteral("Import összevonás"),
                     [&app] { openScreen<TForm24>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Ellenörzés"),
                     [&app] { openScreen<TForm14>(app); });
    // Hidden in the delivered menu; they work when shown.
    window.setScreen(QStringLiteral("Bevallás"),
                     QStringLiteral("Adóhatóági ellenőrzési adatszolgáltatás"),
                     [&app] { openScreen<TForm40>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Adatátadás készlethez"),
                     [&app] { openScreen<TForm41>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Adatok mentése"),
                     [&app] { openScreen<TForm35>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Nébih azon. felvétele"),
                     [&app] { openScreen<TForm43>(app); });
    window.setScreen(QStringLiteral("Segédlet"),
                     QStringLiteral("Windows dátum formátunának módosítása"),
                     [&app] { openScreen<TForm44>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("FELIR azon. felvétele"),
                     [&app] { openScreen<TForm37>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Magánny.tag?"),
                     [&app] { openScreen<TForm28>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Kamarai szám hossza"),
                     [&app] { openScreen<TForm42>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Ostermelo egyesites"),
                     [&app] { openScreen<TForm36>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Adatok"),
                     [&app] { openScreen<TForm22>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Sugó"),
                     [&app] { openScreen<TForm21>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Névjegy"),
                     [&app] { openScreen<TForm16>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Távsegitség"),
                     [&app] { openScreen<TForm26>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Adatok küldése"),
                     [&app] { openScreen<TForm27>(app); });
    window.setScreen(QStringLiteral("Bevallás"), QStringLiteral("Bevallás lista"),
                     [&app] { openScreen<TForm12>(app); });
    window.setScreen(QStringLiteral("Listák"), QStringLiteral("Termékenkénti lista"),
                     [&app] { openScreen<TForm13>(app); });
    window.setScreen(QStringLiteral("Listák"), QStringLiteral("Östermelönkénti lista"),
                     [&app] { openScreen<TForm19>(app); });
    window.setScreen(QStringLiteral("Listák"), QStringLiteral("Östermelö havi bontásban"),
                     [&app] { openScreen<TForm30>(app); });
    window.setScreen(QStringLiteral("Listák"), QStringLiteral("Kp. napi lista"),
                     [&app] { openScreen<TForm31>(app); });
    window.setScreen(QStringLiteral("Listák"), QStringLiteral("Statisztika"),
                     [&app] { openScreen<TForm32>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Szerzödés"),
                     [&app] { openScreen<TForm33>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Átvevő beállítás"), [&app] {
        TForm17 screen(app);
        if (screen.fill()) app.ui().showModal(screen);
    });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Fjegy excel táblába"),
                     [&app] { openScreen<TForm20>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Adat export"),
                     [&app] { openScreen<TForm29>(app); });
    window.setScreen(QStringLiteral("Segédlet"), QStringLiteral("Régiből import"),
                     [&app] { openScreen<TForm25>(app); });
    window.setScreen(QStringLiteral("Segédlet"),
                     QStringLiteral("Östermelö import excelböl (*.csv)"),
                     [&app] { openScreen<TForm34>(app); });
}
