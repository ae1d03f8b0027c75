#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The clauses of a plain SELECT over tables joined by INNER or LEFT joins, with the identity
// column of each table: enough to read a large result's row keys in order and to fetch its rows
// back by key. Statements of any other shape (grouping, DISTINCT, UNION, derived tables, FIRST,
// locking, right or full joins) have no such form.
struct SelectParts {
    QString selectList;      // between SELECT and FROM
    QString from;            // tables and joins, without the keyword
    QString where;           // the condition without the keyword; empty without one
    QString orderBy;         // the items without the keywords; empty without them
    QStringList keyColumns;  // "alias.ID_TABLE" per table, the first table first
    QStringList keyNames;    // their result names, "ID_TABLE"

    // When every join is "LEFT JOIN table [alias] ON first.column = table.column" (either side
    // first), the rows are those of the first table, each repeated once per matching joined
    // row: the keys can then be read from the first table alone and joined in memory.
    struct LeftJoin {
        QString table;
        QString qualifier;
        QString firstColumn;   // the first table's column, unqualified
        QString joinedColumn;  // the joined table's column, unqualified
    };
    QString firstTable;  // the first table as written in FROM, with its alias
    QString firstTableName;
    std::vector<LeftJoin> leftJoins;

    // SELECT of the keys (and `extra` columns after them) with the same FROM, WHERE, ORDER BY.
    QString keysSql(const QStringList& extra, const QString& orderBy) const;
    // The same over the first table alone: its key, each join's first-table column, `extra`.
    // Empty when the joins are not all simple left joins.
    QString firstTableKeysSql(const QStringList& extra, const QString& orderBy) const;
    // SELECT of the same columns for the rows whose first key is one of `count` parameters
    // named ":keyed_0" ... within the same FROM and WHERE; no order.
    QString rowsByKeySql(int count) const;
    // The first ORDER BY item when it is a plain column or a position: its result name (a
    // position named through `fields`), else "".
    QString leadingOrderColumn(const QStringList& fields) const;
    // The ORDER BY items with positions replaced by result names from `fields`.
    QString orderByNamed(const QStringList& fields) const;
    // The ORDER BY as written when it is one plain column in ascending order, else "".
    QString ascendingOrderColumn() const;
};

std::optional<SelectParts> splitSelect(const QString& sql);
