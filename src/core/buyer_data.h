#pragma once

#include <QMap>

#include "core/screen.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

// Buyer data "Átvevö adatai": the current buyer's address, account, statement, print variant and
// tax status, editable while the buyer has no ticket.
class TForm17 : public Screen {
    Q_OBJECT
public:
    explicit TForm17(App& app, QWidget* parent = nullptr);

    // Copies the buyer's row into the fields before the screen is shown; false (after the message)
    // when that fails, and the screen is not to be shown.
    bool fill();

    QLineEdit* field(const QString& column) const { return m_fields.value(column); }

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openBuyerRow();
    void save();
    bool refuse(const QString& message, QWidget* field);

    QMap<QString, QLineEdit*> m_fields;
    QCheckBox* m_soleTrader;
    QCheckBox* m_smallTaxpayer;
    QPushButton* m_save;
    QPushButton* m_cancel;
};
