#pragma once

#include "maintenance/schema_upgrade.h"

// "Program módosítás (2010.10.hótól)": adds the private pension fund flag of the producer.
class TForm28 : public UpgradeScreen {
    Q_OBJECT
public:
    explicit TForm28(App& app, QWidget* parent = nullptr);

protected:
    void runUpgrade() override;
};
