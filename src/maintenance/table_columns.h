#pragma once

#include <QList>
#include <QString>

#include "core/value.h"

class Database;

// What the raw table editor needs to know of one column of a working table.
struct TableColumn {
    enum class Kind { Text, Integer, Decimal, Real, Date, Other };
    QString name;
    Kind kind = Kind::Other;
    int length = 0;      // characters of a text column; 0: no limit (text blob)
    int scale = 0;       // decimals of a decimal column
    int precision = 0;   // digits of a decimal column
    qint64 minimum = 0;  // range of an integer column
    qint64 maximum = 0;
    bool computed = false;
    bool identity = false;
    // Identity and computed columns, and kinds the editor does not convert, are never written.
    bool editable() const { return !computed && !identity && kind != Kind::Other; }
};

// The columns of `table` as the database declares them, in their order.
QList<TableColumn> readTableColumns(Database& db, const QString& table);

// Converts a text typed into a grid cell to the value `column` stores. Returns "" when it fits,
// else the plain message that says why not. An empty text stores NULL, except in a text column.
QString toColumnValue(const TableColumn& column, const QString& text, Value* value);

// What an access code of the table editor unlocks.
enum class AccessLevel { None, FiveTables, AllTables };
AccessLevel accessLevelOf(const QString& code);
