#pragma once

#include <QMap>
#include <QString>

#include "core/query_model.h"
#include "maintenance/table_columns.h"

struct TableView;

// The grid model of one working table in the raw table editor: the table view's rows, plus one
// row being changed or added. The change is kept here as typed text until it is posted or
// dropped; cells of identity and computed columns, and every cell of a locked table, stay
// read-only.
class TableEditModel : public QueryModel {
    Q_OBJECT
public:
    enum class State { Browse, Edit, Insert };

    // The change of one row: which row, its key, and the typed text by column.
    struct Pending {
        State state = State::Browse;
        int row = -1;
        Value key;                       // the row's identity value (Edit)
        QMap<QString, QString> changes;  // column -> typed text
    };

    TableEditModel(TableView& table, QList<GridColumn> columns, QObject* parent = nullptr);

    TableView& table() { return m_table; }
    QString keyColumn() const;
    void setTableColumns(QList<TableColumn> columns) { m_tableColumns = std::move(columns); }
    const TableColumn* tableColumn(const QString& name) const;
    bool writable() const;

    State state() const { return m_pending.state; }
    const Pending& pending() const { return m_pending; }
    // Starts changing `row` (no-op when it is already the pending row); false when the table is
    // locked or another row is pending.
    bool startEdit(int row);
    // Adds an empty row at the end; false when the table is locked or a row is pending.
    bool startInsert();
    // Drops the pending change.
    void cancel();
    // Puts back a change taken before the table was reopened; the edited row is found by key.
    void restore(const Pending& pending);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // A cell was typed into while another row of the table waits to be posted.
    void otherRowPending();

private:
    bool cellEditable(int column) const;
    void rowChanged(int row);

    TableView& m_table;
    QList<TableColumn> m_tableColumns;
    Pending m_pending;
};
