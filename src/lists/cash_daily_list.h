#pragma once

#include "core/list_screen.h"

class QCheckBox;

// "Kp. napilista": the cash paid out per payment day (or per day and product), printed as
// FjLista10 or FjLista11.
class TForm31 : public ListScreen {
    Q_OBJECT
public:
    explicit TForm31(App& app, QWidget* parent = nullptr);

protected:
    void onShow() override;
    void collect() override;
    void print() override;

private:
    QCheckBox* m_perProduct = nullptr;
    bool m_collectedPerProduct = false;
};
