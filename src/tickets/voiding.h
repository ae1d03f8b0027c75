#pragma once

#include "core/screen.h"

class QLineEdit;
class QPushButton;

// Voiding document "Érvénytelenitő bizonylat létrehozása": cancels the selected printed ticket
// with a new document of type "4" under the next number, its lines negated, the two documents
// pointing at each other.
class TForm39 : public Screen {
    Q_OBJECT
public:
    explicit TForm39(App& app, QWidget* parent = nullptr);

    QLineEdit* dateField() const { return m_date; }
    QString newNumber() const;

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closed without saving: the number held since opening is given back.
    void done(int result) override;

private:
    void save();
    bool refuse(const QString& message);
    bool create(const QString& number, const QString& date);
    void undo(bool startedHere);

    QLineEdit* m_number = nullptr;
    QString m_heldNumber;  // the voiding document's number, held until saved or closed
    QLineEdit* m_date = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    // The ticket to void, as the list's selected row showed it.
    QString m_voided;
    QString m_voidedDate;  // its issue date, "yyyy.mm.dd"
    double m_deduction = 0;
    double m_payable = 0;
    double m_total = 0;
};
