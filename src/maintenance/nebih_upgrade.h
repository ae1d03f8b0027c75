#pragma once

#include "maintenance/schema_upgrade.h"

// "Nébih azonosító felvétele": adds the producer's NÉBIH columns and their start of validity.
class TForm43 : public UpgradeScreen {
    Q_OBJECT
public:
    explicit TForm43(App& app, QWidget* parent = nullptr);

protected:
    void runUpgrade() override;
};
