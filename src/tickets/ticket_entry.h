#pragma once

#include <QMap>
#include <QString>

#include "core/screen.h"
#include "tickets/ticket_amounts.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// Ticket entry "Felvásárlási jegy bevitel": a new purchase ticket, or a change of an unprinted
// one; the producer is chosen from the producer list and the lines are written by the line entry.
class TForm9 : public Screen {
    Q_OBJECT
public:
    explicit TForm9(App& app, QWidget* parent = nullptr);

    // Modify mode: copies the selected ticket (current row of ZQ10) into the fields before the
    // screen is shown.
    void fill();

    // What the line entry takes from the open ticket.
    QString documentNumber() const;
    QString producerCode() const;
    QString weightDeductionPercent() const;  // "Súlylevon.%"

    QLineEdit* field(const QString& name) const { return m_fields.value(name); }
    QCheckBox* transferBox() const { return m_transfer; }
    QCheckBox* statementSwitch() const { return m_statementSwitch; }
    QPushButton* producerButton() const { return m_producerButton; }
    // The amounts last computed (empty payable while a percentage is not a number).
    const TicketAmounts& amounts() const { return m_amounts; }

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closed without saving: the number held since opening is given back.
    void done(int result) override;

private:
    bool newMode();
    QString m_heldNumber;  // the number this new entry holds until it is saved or closed
    // The highest ID of the lines a cancelled entry had left under the new number, deleted when
    // this entry opened; 0 when there were none.
    int m_leftoverLinesUpTo = 0;
    void applyOptionalFields();
    void startNewTicket(const QString& number);
    void openLines();
    bool dropLeftoverLines();
    void openProducer();
    void reloadSums();
    void refreshViews();
    void showAmounts();
    void recompute();
    void chooseProducer(bool withMouse);
    void applyPaymentDateRule(bool transferHalfOnly);
    void statementClicked();
    void addLine();
    void changeLine();
    void deleteLine();
    void save();
    bool checksPass();
    bool refuse(const QString& message, QWidget* focus);
    bool refuseProducer(const QString& message);
    bool writeNew();
    bool writeChange();
    void bindHeader(Query& q, bool change);

    QMap<QString, QLineEdit*> m_fields;  // by column or widget name
    QMap<QString, QLabel*> m_labels;     // labels of the optional fields, by field name
    QMap<QString, QLabel*> m_displays;   // amount and producer displays, by name
    QCheckBox* m_transfer = nullptr;
    QCheckBox* m_statementSwitch = nullptr;
    QPushButton* m_producerButton = nullptr;
    QTableView* m_lineGrid = nullptr;
    bool m_producerMouse = false;

    // Sums of the ticket's lines and of the producer's tickets, as last read.
    double m_far = 0;
    double m_kfelar = 0;
    double m_var = 0;
    TicketAmounts m_amounts;
    bool m_amountsValid = false;
};
