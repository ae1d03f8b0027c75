#pragma once

#include "maintenance/schema_upgrade.h"

// "FELIR azonosító felvétele az östermelöhöz": adds the producer's FELIR column.
class TForm37 : public UpgradeScreen {
    Q_OBJECT
public:
    explicit TForm37(App& app, QWidget* parent = nullptr);

protected:
    void runUpgrade() override;
};
