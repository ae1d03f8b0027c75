#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "core/database.h"
#include "core/select_parts.h"
#include "core/value.h"

class QTimer;
class Database;
class Cursor;
class KeyedRows;

// One named query of the data module's pool (ZQ10 ... ZQ91): SQL text, named parameters,
// the rows fetched so far and a current row. Rows are fetched from the cursor on demand.
//
// A query that may hold a large result can be keyed: opening fetches the first rows only; the
// first time a row beyond them is needed (locate, last, moveTo, a grid scrolling on) the
// statement's row keys are read once, in its order, and every further row is fetched by key in
// blocks. A plain SELECT over joined tables qualifies; any other statement is fetched as usual.
class Query : public QObject {
    Q_OBJECT
public:
    Query(Database& db, const QString& name, QObject* parent = nullptr);
    ~Query() override;

    QString name() const { return objectName(); }

    // Statement building: close, clear, add lines, bind, open or execute.
    void close();
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QString& text);  // clear + add
    QString sql() const { return m_lines.join('\n'); }

    void bindText(const QString& name, const QString& value);
    void bindDate(const QString& name, QDate value);
    void bindDate(const QString& name, const QString& yyyyMmDd);  // ConversionError if not a date
    void bindDouble(const QString& name, double value);
    void bindNumber(const QString& name, const QString& text);  // "," decimal; ConversionError
    void bindInt(const QString& name, std::int64_t value);
    void bindNull(const QString& name);

    void open();
    // Shows rows read elsewhere (packed as Cursor packs them) as an open result of these
    // columns: a report walking one long statement group by group hands each group's rows here.
    void openRows(const QStringList& fields, const std::vector<FieldType>& types,
                  std::vector<QByteArray> rows);
    // Runs an INSERT, UPDATE, DELETE or DDL statement; returns the rows it touched.
    int execSql();

    bool active() const { return m_active; }
    // Whether statements of a fitting shape get a keyed result (see above).
    void setKeyedWhenLarge(bool keyed) { m_keyedWhenLarge = keyed; }
    bool keyed() const { return m_keyed != nullptr; }

    // Navigation over the result. eof() is true past the last row and on an empty result.
    void first();
    void prior();
    void next();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const;
    int recNo() const { return m_current; }  // 0-based; -1 when empty
    void moveTo(int row);

    // Rows fetched so far (every row once a keyed result has read its keys); more may be waiting.
    int rowCount() const;
    bool canFetchMore() const;
    int fetchMore(int count);
    void fetchAll();

    // Fields, by name case-insensitively. A missing column throws; an empty result reads NULL.
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    QString fieldName(int column) const { return m_fields.at(column); }
    // The column's type from the open result's metadata.
    FieldType fieldType(int column) const { return m_fieldTypes.at(column); }
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    Value value(const QString& name) const;
    Value valueAt(int row, int column) const;
    QString text(const QString& name) const { return value(name).asText(); }
    double number(const QString& name) const { return value(name).asDouble(); }
    std::int64_t integer(const QString& name) const { return value(name).asInteger(); }

    // Moves to the first row whose column starts with (partial) or equals the text; stays put
    // (on the first row) and returns false when nothing matches.
    bool locate(const QString& column, const QString& text, bool partial, bool caseInsensitive);

    // Called by the data module when the transaction ends: drops the cursor and the rows.
    void closeForTransactionEnd();

Q_SIGNALS:
    void reset();                           // opened, closed or re-fetched
    void rowsFetched(int first, int last);  // appended rows
    void currentChanged(int row);

private:
    void requireColumn(int index, const QString& name) const;
    void setCurrent(int row);
    const QByteArray& packedRow(int row) const;
    bool readKeys();
    std::optional<bool> locateByCount(int column, const QString& text, bool caseInsensitive);
    std::unique_ptr<Cursor> openWithParams(const QString& sql,
                                           const std::map<QString, Value>& extra) const;
    void readAllKeys() const;
    void readKeysWhileIdle();
    bool useKeys(std::unique_ptr<KeyedRows> keys);

    Database& m_db;
    QStringList m_lines;
    std::map<QString, Value> m_params;  // keyed by lower-case name
    std::unique_ptr<Cursor> m_cursor;
    QStringList m_fields;
    std::vector<FieldType> m_fieldTypes;
    std::vector<QByteArray> m_rows;  // each row packed by Cursor; a keyed result's first rows
    bool m_keyedWhenLarge = false;
    std::optional<SelectParts> m_parts;  // the open statement's clauses, while it may be keyed
    std::unique_ptr<KeyedRows> m_keyed;
    // A counted result: its rows are the first rows and a window around the located row until
    // any other row is needed; then every key is read (readAllKeys).
    int m_countedRows = -1;
    std::map<int, QByteArray> m_windowRows;
    std::unique_ptr<KeyedRows> m_pendingKeys;  // read a part at a time while the program idles
    QTimer* m_idleKeys;  // the next step of that reading: one pending step, however often reopened
    bool m_active = false;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
};
