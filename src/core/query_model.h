#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>

#include "core/query.h"

class QTableView;

// One grid column: the query field it shows and its title.
struct GridColumn {
    QString field;
    QString title;
    int width = 0;  // pixels; 0: default
};

// A table model over a pool query: rows arrive in chunks as the view scrolls.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // No columns: every field of the result, titled by its name.
    QueryModel(Query& query, QList<GridColumn> columns = {}, QObject* parent = nullptr);

    Query& query() { return m_query; }
    const QList<GridColumn>& columns() const { return m_columns; }
    // The query field behind a view column.
    QString fieldOf(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void resetFromQuery();
    void appendRows(int first, int last);
    int queryColumn(int column) const;

    Query& m_query;
    QList<GridColumn> m_columns;
    QList<int> m_queryColumns;  // view column -> query field index, refreshed on reset
    int m_rows = 0;
};

// Keeps a view's current row and its query's current row in step, both ways. The view takes a
// QueryModel over `query`; returns the model.
QueryModel* bindGrid(QTableView* view, Query& query, QList<GridColumn> columns = {});
// The same with a model of the caller's (a subclass of QueryModel); the view takes it.
void bindGrid(QTableView* view, QueryModel* model);

// While one lives, bound views do not follow their query's current row as it moves: a report
// walking a grid's rows would have the grid scroll to each of them (on X11 a round trip to the
// display server for every row). When the last one ends, each such view follows once.
class GridsFollowLater {
public:
    GridsFollowLater();
    ~GridsFollowLater();
    GridsFollowLater(const GridsFollowLater&) = delete;
    GridsFollowLater& operator=(const GridsFollowLater&) = delete;
};
