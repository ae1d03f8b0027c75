#include "maintenance/table_edit_model.h"

#include <QFont>

#include "core/tdata.h"

TableEditModel::TableEditModel(TableView& table, QList<GridColumn> columns, QObject* parent)
    : QueryModel(*table.query, std::move(columns), parent), m_table(table) {
    // Reopening the table (a commit, a refresh, locking or unlocking) drops the change; the
    // screen settles or takes it first.
    connect(this, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_pending = Pending(); });
}

QString TableEditModel::keyColumn() const {
    return QStringLiteral("ID_") + m_table.table;
}

const TableColumn* TableEditModel::tableColumn(const QString& name) const {
    for (const TableColumn& c : m_tableColumns) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0) return &c;
    }
    return nullptr;
}

bool TableEditModel::writable() const {
    return !m_table.readOnly && m_table.query->active();
}

bool TableEditModel::cellEditable(int column) const {
    const TableColumn* c = tableColumn(fieldOf(column));
    return c && c->editable();
}

bool TableEditModel::startEdit(int row) {
    if (!writable() || row < 0 || row >= rowCount()) return false;
    if (m_pending.state != State::Browse) return m_pending.row == row;
    Query& q = query();
    const int key = q.fieldIndex(keyColumn());
    if (key < 0 || row >= q.rowCount()) return false;
    m_pending.state = State::Edit;
    m_pending.row = row;
    m_pending.key = q.valueAt(row, key);
    rowChanged(row);
    return true;
}

bool TableEditModel::startInsert() {
    if (!writable() || m_pending.state != State::Browse) return false;
    // The new row goes after every row of the table, so no later fetch lands behind it.
    query().fetchAll();
    const int row = QueryModel::rowCount();
    beginInsertRows({}, row, row);
    m_pending.state = State::Insert;
    m_pending.row = row;
    endInsertRows();
    return true;
}

void TableEditModel::cancel() {
    const Pending was = m_pending;
    if (was.state == State::Insert) {
        beginRemoveRows({}, was.row, was.row);
        m_pending = Pending();
        endRemoveRows();
    } else if (was.state == State::Edit) {
        m_pending = Pending();
        rowChanged(was.row);
    }
}

void TableEditModel::restore(const Pending& pending) {
    if (pending.state == State::Insert) {
        if (!startInsert()) return;
    } else if (pending.state == State::Edit) {
        Query& q = query();
        if (!q.locate(keyColumn(), pending.key.asText(), false, false)) return;
        if (!startEdit(q.recNo())) return;
    } else {
        return;
    }
    m_pending.changes = pending.changes;
    rowChanged(m_pending.row);
}

void TableEditModel::rowChanged(int row) {
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

int TableEditModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return QueryModel::rowCount() + (m_pending.state == State::Insert ? 1 : 0);
}

QVariant TableEditModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool pendingRow = m_pending.state != State::Browse && index.row() == m_pending.row;
    if (pendingRow && role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return m_pending.state == State::Insert && index.row() == m_pending.row
                   ? QVariant()
                   : QueryModel::data(index, role);
    if (pendingRow) {
        const auto typed = m_pending.changes.constFind(fieldOf(index.column()));
        if (typed != m_pending.changes.constEnd()) return typed.value();
        if (m_pending.state == State::Insert) return QString();
    }
    return QueryModel::data(index, Qt::DisplayRole);
}

bool TableEditModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString text = value.toString();
    if (m_pending.state == State::Browse && text == data(index, Qt::EditRole).toString())
        return false;  // opened and left as it was
    if (!startEdit(index.row())) {
        Q_EMIT otherRowPending();
        return false;
    }
    m_pending.changes.insert(fieldOf(index.column()), text);
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags TableEditModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QueryModel::flags(index);
    if (index.isValid() && writable() && cellEditable(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

QVariant TableEditModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // The row marker of the grid: "*" on a new row, "I" on a row being changed.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole &&
        m_pending.state != State::Browse && section == m_pending.row)
        return m_pending.state == State::Insert ? QStringLiteral("*") : QStringLiteral("I");
    return QueryModel::headerData(section, orientation, role);
}
