#pragma once

#include "core/screen.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;

// "Adóhatósági ellenőrzési adatszolgáltatás": stages the purchase tickets of a range for the tax
// authority's audit and writes them as its invoice XML, checked against the authority's schema.
class TForm40 : public Screen {
    Q_OBJECT
public:
    explicit TForm40(App& app, QWidget* parent = nullptr);

    QPushButton* collectButton() const { return m_collect; }
    QPushButton* exportButton() const { return m_export; }

protected:
    void onShow() override;

private:
    QWidget* buildExportPage();
    QWidget* buildSettingsPage();
    QWidget* buildDescriptionPage();
    QWidget* buildViewPage(QPlainTextEdit*& view, const QString& objectName, const QString& hint,
                           std::function<QString()> path, const QString& missingMessage);

    void collect();
    void exportXml();
    void browse();
    void saveSettings();
    QString exportPath();
    QString setting(const char* key) const;
    void keepSetting(const char* key, const QString& value);

    QTabWidget* m_tabs = nullptr;
    QDateEdit* m_fromDate = nullptr;
    QDateEdit* m_toDate = nullptr;
    QLineEdit* m_fromNumber = nullptr;
    QLineEdit* m_toNumber = nullptr;
    QRadioButton* m_issueDate = nullptr;
    QRadioButton* m_purchaseDate = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_collect = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_cancel = nullptr;
    QTableView* m_grid = nullptr;
    QProgressBar* m_progress = nullptr;

    QRadioButton* m_dateMode = nullptr;
    QRadioButton* m_numberMode = nullptr;
    QCheckBox* m_selfBillingBox = nullptr;
    QLineEdit* m_selfBilling = nullptr;
    QLineEdit* m_invoiceForm = nullptr;
    QCheckBox* m_optional = nullptr;
    QPushButton* m_save = nullptr;

    QPlainTextEdit* m_xmlView = nullptr;
    QPlainTextEdit* m_xsdView = nullptr;
};
