#pragma once

#include "maintenance/schema_upgrade.h"

// "Windows dátum formátunának módosítása": help for a short date format with blanks.
class TForm44 : public UpgradeScreen {
    Q_OBJECT
public:
    explicit TForm44(App& app, QWidget* parent = nullptr);

protected:
    void runUpgrade() override;
};
