#pragma once

#include "maintenance/schema_upgrade.h"

// "Form36": marks every producer but the first of a shared tax identification number.
class TForm36 : public UpgradeScreen {
    Q_OBJECT
public:
    explicit TForm36(App& app, QWidget* parent = nullptr);

protected:
    void runUpgrade() override;
};
