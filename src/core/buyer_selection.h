#pragma once

#include "core/screen.h"

class QComboBox;
class QPushButton;

// Buyer selection "Átvevö kiválasztása": picks the buyer the run works for.
class TForm18 : public Screen {
    Q_OBJECT
public:
    explicit TForm18(App& app, QWidget* parent = nullptr);

    QComboBox* buyerList() const { return m_list; }

public Q_SLOTS:
    // Applies the current row of ZQ60 as the chosen buyer: run values, menu and titles.
    void applyChoice();

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillList();
    QComboBox* m_list;
};
