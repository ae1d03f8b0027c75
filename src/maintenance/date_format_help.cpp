#include "maintenance/date_format_help.h"

#include <QPushButton>

TForm44::TForm44(App& app, QWidget* parent)
    : UpgradeScreen(
          app, QStringLiteral("TForm44"), QStringLiteral("Windows dátum formátunának módosítása"),
          {QStringLiteral("Program számára hibás dátum forma (elválasztó pont után szóköz van) : "
                          "pl.:  2024.  01.  01"),
           QStringLiteral("Javítás lépései: "),
           QStringLiteral("1.  \"Módosítás\" gombra  ezen a képernyőn."),
           QStringLiteral("2. A megjelenő alakban alul  a \"További beállítások\" gombra"),
           QStringLiteral("3. A megjelenő újabb ablakban felül a \"Dátum\" fülre váltás"),
           QStringLiteral("4. Középen a \"Rövid dátum\" sorba (éééé. HH. nn) kattintva vegye ki a "
                          "szóközt a  \".\" pont után."),
           QStringLiteral("5. \"Alkalmaz\" gombra letárolja az módosított dátum formátumot."),
           QStringLiteral("Kattintson  a  \"Módosítás\" gombra  javítás elvégzéséhez:")},
          false, parent) {
    // This screen's one button is "Módosítás".
    if (auto* button = findChild<QPushButton*>()) button->setText(QStringLiteral("Módosítás"));
}

void TForm44::runUpgrade() {
#ifdef Q_OS_WIN
    if (!ui().launch(QStringLiteral("control.exe"), {QStringLiteral("intl.cpl,,0")})) {
        ui().message(QStringLiteral("A területi beállítások nem nyithatók meg."));
    }
#else
    ui().notice(
        QStringLiteral("A program a dátumokat mindig éééé.hh.nn alakban írja és olvassa, "
                       "a rendszer dátumformátumától függetlenül; itt nincs mit "
                       "módosítani."));
#endif
}
