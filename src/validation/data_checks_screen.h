#pragma once

#include "core/screen.h"
#include "validation/data_checks.h"

class QDateEdit;
class QPlainTextEdit;
class QPushButton;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTabWidget;

// Data checks ("Ellenörzés"): audits the stored data and checks single identifiers typed in.
class TForm14 : public Screen {
    Q_OBJECT
public:
    explicit TForm14(App& app, QWidget* parent = nullptr);

protected:
    void onShow() override;

private:
    // The two audit pages share one layout: what the page collects into ZQ20, its grid with a
    // navigator, the findings report and the buttons.
    struct AuditPage {
        QPlainTextEdit* report = nullptr;
        QPushButton* check = nullptr;
        Collection collection;  // the rows last collected by this page
    };
    QWidget* buildTicketPage();
    QWidget* buildProducerPage();
    QWidget* buildAuditPage(QWidget* top, AuditPage& page, const QString& reportName,
                            const QString& initialReport, void (TForm14::*collectRows)(),
                            Findings (*findings)(Database&, const Collection&));
    void setPeriodToThisYear();
    void collectTickets();
    void collectProducers();
    // Fills ZQ20 for `page`; only that page's "Ellenörzés" walks it until another collection.
    void collectFor(AuditPage& page, const Collection& collection);
    void runCheck(AuditPage& page, Findings (*findings)(Database&, const Collection&));

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
    QDateEdit* m_fromDate = nullptr;
    QDateEdit* m_toDate = nullptr;
    AuditPage m_tickets;
    AuditPage m_producers;
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
