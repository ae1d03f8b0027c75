#include "core/query_model.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTimer>
#include <exception>
#include <functional>
#include <map>
#include <utility>

#include "core/grid_columns.h"

namespace {
constexpr int contentRowsMeasured = 50;

// GridsFollowLater: how many live, and the views to bring into step when the last ends.
int followLater = 0;
std::map<QTableView*, std::pair<QPointer<QTableView>, std::function<void()>>> lateFollowers;

// Set on a view whose scrolling waits for the event loop.
constexpr const char* scrollQueued = "termaroScrollQueued";

// A walk through the rows (a total, an export) moves the query many times before the event loop
// runs again. The first move scrolls the view as always; the others only move its current row,
// and the view scrolls to where the walk ended once the loop runs: every scroll asks the display
// server where the mouse is, a round trip on X11 for each row.
void followRow(QTableView* view, QueryModel* model, int row) {
    if (row < 0 || row >= model->rowCount()) return;
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && current.row() == row) return;
    const int column = current.isValid() ? current.column() : 0;
    if (!view->property(scrollQueued).toBool()) {
        view->setProperty(scrollQueued, true);
        QTimer::singleShot(0, view, [view] {
            view->setProperty(scrollQueued, false);
            if (view->currentIndex().isValid()) view->scrollTo(view->currentIndex());
        });
        view->setCurrentIndex(model->index(row, column));
        return;
    }
    const bool autoScroll = view->hasAutoScroll();
    view->setAutoScroll(false);
    view->setCurrentIndex(model->index(row, column));
    view->setAutoScroll(autoScroll);
}
}  // namespace

QueryModel::QueryModel(Query& query, QList<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(std::move(columns)) {
    connect(&m_query, &Query::reset, this, &QueryModel::resetFromQuery);
    connect(&m_query, &Query::rowsFetched, this, &QueryModel::appendRows);
    resetFromQuery();
}

void QueryModel::resetFromQuery() {
    beginResetModel();
    m_rows = m_query.rowCount();
    m_queryColumns.clear();
    if (m_columns.isEmpty()) {
        for (int i = 0; i < m_query.fieldCount(); ++i) m_queryColumns << i;
    } else {
        for (const GridColumn& c : m_columns) m_queryColumns << m_query.fieldIndex(c.field);
    }
    endResetModel();
}

void QueryModel::appendRows(int first, int last) {
    if (last < m_rows) return;
    beginInsertRows({}, m_rows, last);
    m_rows = last + 1;
    endInsertRows();
}

QString QueryModel::fieldOf(int column) const {
    if (!m_columns.isEmpty())
        return column >= 0 && column < m_columns.size() ? m_columns.at(column).field : QString();
    return column >= 0 && column < m_query.fieldCount() ? m_query.fieldName(column) : QString();
}

int QueryModel::queryColumn(int column) const {
    return column >= 0 && column < m_queryColumns.size() ? m_queryColumns.at(column) : -1;
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return m_columns.isEmpty() ? static_cast<int>(m_queryColumns.size())
                               : static_cast<int>(m_columns.size());
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows) return {};
    const int column = queryColumn(index.column());
    if (column < 0 || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole)) return {};
    // A keyed result fetches rows by key while painting: a failure shows an empty cell.
    Value value;
    try {
        value = m_query.valueAt(index.row(), column);
    } catch (const std::exception&) {
        return {};
    }
    if (role == Qt::DisplayRole) return value.asText();
    if (role == Qt::TextAlignmentRole) {
        const Value::Kind k = value.kind();
        const bool number =
            k == Value::Kind::Integer || k == Value::Kind::Decimal || k == Value::Kind::Double;
        return QVariant::fromValue<int>(Qt::AlignVCenter |
                                        (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (!m_columns.isEmpty())
        return section < m_columns.size() ? m_columns.at(section).title : QVariant();
    return section < m_query.fieldCount() ? m_query.fieldName(section) : QVariant();
}

bool QueryModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_query.canFetchMore();
}

void QueryModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    const int before = m_query.rowCount();
    m_query.fetchMore(256);
    // The first chunk after open arrives without a signal of its own.
    if (before == 0 && m_query.rowCount() > 0) appendRows(0, m_query.rowCount() - 1);
}

QueryModel* bindGrid(QTableView* view, Query& query, QList<GridColumn> columns) {
    auto* model = new QueryModel(query, columns, view);
    bindGrid(view, model);
    return model;
}

void bindGrid(QTableView* view, QueryModel* model) {
    model->setParent(view);
    view->setModel(model);
    const QList<GridColumn>& columns = model->columns();
    Query& query = model->query();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    // Column widths follow the rows in view: measuring Qt's default 1 000 rows fetches a large
    // result's rows by key for nothing while the grid is still hidden.
    view->verticalHeader()->setResizeContentsPrecision(contentRowsMeasured);
    view->horizontalHeader()->setResizeContentsPrecision(contentRowsMeasured);
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).width > 0) view->setColumnWidth(i, columns.at(i).width);
    }
    Query* q = &query;
    const auto followQuery = [view, model, q](int row) {
        if (followLater > 0) {
            lateFollowers.insert_or_assign(
                view, std::make_pair(QPointer<QTableView>(view),
                                     [view, model, q] { followRow(view, model, q->recNo()); }));
            return;
        }
        followRow(view, model, row);
    };
    QObject::connect(q, &Query::currentChanged, view, followQuery);
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, q, followQuery] {
        followQuery(q->recNo());
        fitColumnsToContent(view);
    });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                     [q](const QModelIndex& current) {
                         if (current.isValid() && current.row() != q->recNo())
                             q->moveTo(current.row());
                     });
    followQuery(query.recNo());
    fitColumnsToContent(view);
}

GridsFollowLater::GridsFollowLater() {
    ++followLater;
}

GridsFollowLater::~GridsFollowLater() {
    if (--followLater > 0) return;
    auto followers = std::move(lateFollowers);
    lateFollowers.clear();
    for (auto& [view, follower] : followers) {
        if (!follower.first) continue;  // a view closed meanwhile
        try {
            follower.second();
        } catch (const std::exception&) {
            // A row that cannot be read now leaves the view where it was, as a scroll would.
        }
    }
}
