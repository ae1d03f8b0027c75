#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "core/query_model.h"
#include "core/screen.h"

class QBoxLayout;
class QDateEdit;
class QPushButton;
class QTableView;
class QVBoxLayout;
class Query;
class Navigator;

// The pattern the list screens share: the screen's own choices on top, a grid with a navigator
// over the query that holds the rows, and "Kigyüjtés" / "Nyomtatás" / "Mégsem" at the bottom.
// "Nyomtatás" is usable only after a successful "Kigyüjtés" with the choices on the screen;
// any change of a choice calls invalidate().
class ListScreen : public Screen {
    Q_OBJECT
public:
    ListScreen(App& app, const QString& className, const QString& caption, Query& rows,
               QList<GridColumn> columns, QWidget* parent = nullptr);

    QPushButton* collectButton() const { return m_collect; }
    QPushButton* printButton() const { return m_print; }
    QTableView* grid() const { return m_grid; }

protected:
    // Fills the rows (and totals); runs guarded from "Kigyüjtés".
    virtual void collect() = 0;
    // Prints what the last collection gathered; runs guarded from "Nyomtatás".
    virtual void print() = 0;

    // The area above the grid where the screen puts its own inputs.
    QVBoxLayout* choices() const { return m_choices; }
    // A choice changed: what was collected no longer matches the screen.
    void invalidate();
    Query& rows() { return m_rows; }

private:
    void showCollectedColumns();

    Query& m_rows;
    QueryModel* m_model = nullptr;
    QVBoxLayout* m_choices = nullptr;
    QTableView* m_grid = nullptr;
    Navigator* m_navigator = nullptr;
    QPushButton* m_collect = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_cancel = nullptr;
};

// The two date fields of a period ("fromDate", "toDate"), set to 1 January and 31 December of
// the current year, shown as "yyyy.mm.dd".
class PeriodFields : public QObject {
public:
    // Adds "<caption> [from] -tól [to] -ig" to `row`; the fields belong to `parent`.
    PeriodFields(QWidget* parent, QBoxLayout* row, const QString& caption);

    QDateEdit* fromEdit() const { return m_from; }
    QDateEdit* toEdit() const { return m_to; }
    QDate from() const;
    QDate to() const;
    QString fromText() const;  // "yyyy.mm.dd"
    QString toText() const;

    // Calls `changed` whenever either date changes.
    template <class Fn>
    void onChange(QObject* context, Fn changed);

private:
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
};

// The year the period screens open on.
int currentYear();

// A total read from a query's field as the lists print it: decimal comma, no thousands
// separator, no trailing zeros; "0" when there is no row or the sum is empty.
QString totalText(const Query& query, const QString& field);

#include <QDateEdit>

template <class Fn>
void PeriodFields::onChange(QObject* context, Fn changed) {
    QObject::connect(m_from, &QDateEdit::dateChanged, context, changed);
    QObject::connect(m_to, &QDateEdit::dateChanged, context, changed);
}
