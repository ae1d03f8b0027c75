#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <vector>

#include "core/select_parts.h"
#include "core/value.h"

class Cursor;
class Database;

// The rows of a large result by position: the row keys of the statement read once, in its
// order, and the rows themselves fetched by key in blocks kept in a small cache. Rows come back
// packed as Cursor packs them, with the statement's own columns.
class KeyedRows {
public:
    static constexpr int blockRows = 64;
    static constexpr size_t cachedBlocks = 32;

    // Reads the keys (and the leading ORDER BY column, for locating in memory). `fields` are the
    // statement's result names; throws DbError when the key statement fails. `inSteps` only
    // opens the key statement: readSome() then reads it a part at a time.
    KeyedRows(Database& db, SelectParts parts, std::map<QString, Value> params,
              const QStringList& fields, bool inSteps = false);
    ~KeyedRows();

    // Reads up to `rows` more keys; true once every key is read. Throws DbError.
    bool readSome(int rows);

    int rowCount() const { return m_rowCount; }
    // True when the packed rows (the statement's first rows) carry the first keys in order.
    bool startsWith(const std::vector<QByteArray>& rows) const;
    // Row `row` packed; an empty array when the row has gone since the keys were read.
    const QByteArray& row(int row);

    // The column whose texts are held for every row ("" when none) and those texts.
    const QString& lookupColumn() const { return m_lookupColumn; }
    const QStringList& lookupTexts() const { return m_lookupTexts; }

private:
    using Matches = QHash<QString, std::vector<std::int64_t>>;
    bool startJoinedInMemory(const QStringList& extra, const QString& order);
    void addJoinedRows();
    std::vector<std::int64_t> keysOf(const QByteArray& packed) const;
    std::int64_t key(int row, int k) const {
        return m_keys[static_cast<size_t>(row * m_width + k)];
    }
    std::vector<QByteArray>& block(int index);

    Database& m_db;
    SelectParts m_parts;
    std::map<QString, Value> m_params;
    std::vector<int> m_keyFields;  // result column of each key
    int m_width = 0;               // keys per row
    int m_rowCount = 0;
    std::vector<std::int64_t> m_keys;  // row-major; a NULL key is nullKey
    QString m_lookupColumn;
    QStringList m_lookupTexts;
    std::map<int, std::vector<QByteArray>> m_blocks;
    std::list<int> m_recent;  // block numbers, most recently used first
    // While reading: the key statement, and for keys joined in memory each joined table's ids
    // by join value and how its values compare.
    std::unique_ptr<Cursor> m_cursor;
    bool m_inMemory = false;
    std::vector<Matches> m_joined;
    std::vector<int> m_joinMatches;
};
