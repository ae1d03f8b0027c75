#pragma once

#include "core/screen.h"

class QDateEdit;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTabWidget;

// Data checks ("Ellenörzés"): audits the stored data and checks single identifiers typed in.
class TForm14 : public Screen {
    Q_OBJECT
public:
    explicit TForm14(App& app, QWidget* parent = nullptr);

private:
    QWidget* buildDataPage();
    // One sub-page of "Adatok": a labelled input, room for extra rows, a bold result line and
    // the buttons; `check` runs guarded on "Ellenörzés".
    QWidget* buildCheckPage(const QString& label, const QString& inputName, QLineEdit*& input,
                            const QString& resultName, const QString& initialResult,
                            QLabel*& result, void (TForm14::*check)(),
                            QGridLayout** grid = nullptr);

    void checkTaxNumber();
    void checkTaxId();
    void checkTaj();
    void checkDays();
    // A failed check sounds the beep before its text appears.
    void fail(QLabel* result, const QString& text);

    QTabWidget* m_pages = nullptr;
    QLineEdit* m_taxNumber = nullptr;
    QLabel* m_taxNumberResult = nullptr;
    QLineEdit* m_taxId = nullptr;
    QLabel* m_taxIdResult = nullptr;
    QLineEdit* m_taj = nullptr;
    QLabel* m_tajResult = nullptr;
    QLineEdit* m_daysTaxId = nullptr;
    QDateEdit* m_birthDate = nullptr;
    QLabel* m_dayCount = nullptr;
    QLabel* m_taxIdDays = nullptr;
    QLabel* m_daysResult = nullptr;
};
