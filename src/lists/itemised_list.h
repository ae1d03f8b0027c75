#pragma once

#include <QList>
#include <QString>

#include "core/list_screen.h"

class QRadioButton;

// Itemised list "Tételes lista": every ticket line paid in the period, in a chosen order,
// printed as FjLista4.
class TForm12 : public ListScreen {
    Q_OBJECT
public:
    explicit TForm12(App& app, QWidget* parent = nullptr);

    QString totalText() const { return m_total; }

protected:
    void collect() override;
    void print() override;

private:
    int chosenOrder() const;
    // The lines of the period (FROM and WHERE clauses).
    static QString linesFrom();
    // The lines into ZQ20 with `columns`, in the chosen order.
    void openLines(const QString& columns);

    PeriodFields* m_period = nullptr;
    QList<QRadioButton*> m_orders;
    QString m_total = QStringLiteral("0");
};
