#pragma once

#include "core/screen.h"
#include "declaration/declaration_export.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;

// "NAV 2308M adat importnak a létrehozása": the monthly 2408M import files, the group import
// list and the declaration list of the current buyer.
class TForm11 : public Screen {
    Q_OBJECT
public:
    explicit TForm11(App& app, QWidget* parent = nullptr);

    // "OK" and leaving the to-date: a period of one calendar month, from not after to.
    bool checkPeriod(const QString& message);
    void collect();  // "Kigyüjtés"
    void print();    // "Nyomtatás"

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void periodChanged();
    QString fromText() const;
    QString toText() const;

    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLineEdit* m_folder = nullptr;
    QTableView* m_grid = nullptr;
    QPushButton* m_collect = nullptr;
    QPushButton* m_print = nullptr;

    declaration::AmountColumn m_column = declaration::AmountColumn::Payable;
    QString m_periodFrom;  // the period of the last check
    QString m_periodTo;
    QString m_total;  // the total text of the last collection
};
