#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "core/database.h"
#include "core/value.h"

// A statement's result read one row at a time straight from the server, for exports that must not
// hold a whole year of rows in memory. Values come from the fetch buffer: no row is copied.
// Parameters are named (":p1") as in the pool's queries.
class RowStream {
public:
    using Params = QList<std::pair<QString, Value>>;

    RowStream(Database& db, const QString& sql, const Params& params = {});
    ~RowStream();

    // The number of rows the statement gives, counted by the server.
    static int count(Database& db, const QString& sql, const Params& params = {});

    const QStringList& fieldNames() const { return m_names; }
    const std::vector<FieldType>& fieldTypes() const { return m_types; }
    int fieldCount() const { return static_cast<int>(m_names.size()); }

    // Moves to the next row; false past the last one.
    bool next();
    Value value(int column) const { return m_cursor->current(column); }
    // A text column's stored bytes, see Cursor::currentBytes.
    bool bytes(int column, QByteArrayView& out) const {
        return m_cursor->currentBytes(column, out);
    }

private:
    std::unique_ptr<Cursor> m_cursor;
    QStringList m_names;
    std::vector<FieldType> m_types;
};
