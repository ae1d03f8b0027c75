#pragma once

#include <QString>

#include "core/list_screen.h"

class QCheckBox;
class QLineEdit;

// "Egy östermelö havi bontásban termékenként ": one producer's purchases of the year by month
// and product (or line by line), printed as FjLista9.
class TForm30 : public ListScreen {
    Q_OBJECT
public:
    explicit TForm30(App& app, QWidget* parent = nullptr);

protected:
    void onShow() override;
    void collect() override;
    void print() override;

private:
    void chooseProducer();

    QLineEdit* m_name = nullptr;
    QLineEdit* m_chosenName = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_birth = nullptr;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_purchase = nullptr;
    QLineEdit* m_surcharge = nullptr;
    QLineEdit* m_paid = nullptr;
    QCheckBox* m_detailed = nullptr;
};
