#pragma once

#include "maintenance/schema_upgrade.h"

// "Kamarai azonosító hossz változás": widens the chamber registration number to 20 characters.
class TForm42 : public UpgradeScreen {
    Q_OBJECT
public:
    explicit TForm42(App& app, QWidget* parent = nullptr);

protected:
    void runUpgrade() override;
};
