#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "core/value.h"

namespace Firebird {
class IMaster;
class IUtil;
class IProvider;
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
}  // namespace Firebird

// Named parameters (":p1") mapped to Firebird's positional "?" outside quoted texts.
struct ParsedSql {
    QString sql;         // with "?" in place of each name
    QStringList params;  // lower-case names in order of appearance
};
ParsedSql parseNamedParameters(const QString& sql);
// The values of named parameters (keyed by lower-case name) in the order of the statement's
// placeholders; a name without a value binds NULL.
std::vector<Value> positionalValues(const ParsedSql& parsed, const std::map<QString, Value>& named);

// The kind of a result column, from the statement's metadata (exports write NULLs by it).
enum class FieldType { Text, Integer, Decimal, Double, Date, Timestamp, Time, Boolean, Other };

// An open result of a SELECT: fetches rows and packs each into a compact byte row.
class Cursor {
public:
    ~Cursor();
    const QStringList& fieldNames() const { return m_names; }
    std::vector<FieldType> fieldTypes() const;
    // Fetches the next row into `row`; false at the end.
    bool fetch(QByteArray& row);
    // Fetches the next row without packing it, for reading a few of its columns by current().
    bool next();
    Value current(int column) const;
    // Whether column `column` of the row fetched by next() reads as an empty text (NULL or a
    // text of no characters), without converting it.
    bool currentIsEmpty(int column) const;
    // The stored bytes (Windows-1250) of a VARCHAR or CHAR column of the row fetched by next(),
    // valid until the next fetch; false for NULL and for columns of other kinds.
    bool currentBytes(int column, QByteArrayView& bytes) const;

    // Rows fetched into the caller's buffers, so one thread can fetch while another reads the
    // rows fetched before: a buffer holds rowSize() bytes at an 8-byte aligned address.
    size_t rowSize() const { return m_buffer.size(); }
    // Fetches the next row into `row`; false at the end.
    bool fetchInto(unsigned char* row);
    // Column `column` of a row fetched by fetchInto(), read as current(), currentBytes() and
    // currentIsEmpty() read the row fetched by next().
    Value valueIn(const unsigned char* row, int column) const;
    bool bytesIn(const unsigned char* row, int column, QByteArrayView& bytes) const;
    bool isEmptyIn(const unsigned char* row, int column) const;

    void close();
    // Reads column `column` of a packed row.
    static Value unpack(const QByteArray& row, int column);
    // Appends `value` to a packed row as the next column, as fetch() packs a column of its kind.
    static void pack(QByteArray& row, const Value& value);

private:
    friend class Database;
    Cursor() = default;
    struct Column;
    void packColumn(QByteArray& row, const unsigned char* buf, const Column& c) const;
    std::recursive_mutex* m_inUse = nullptr;  // the attachment's, see Database
    Firebird::IStatement* m_statement = nullptr;
    Firebird::IResultSet* m_resultSet = nullptr;
    Firebird::IMessageMetadata* m_meta = nullptr;
    std::vector<unsigned char> m_buffer;
    std::vector<Column> m_columns;
    QStringList m_names;
};

// One attachment to an embedded (or server) Firebird database with its one transaction:
// read committed, record version, no wait. The attachment serves one call at a time: an export
// fetches its rows on a worker thread while the window repaints, and every call here and in the
// cursors waits for the one under way.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void attach(const QString& path, const QString& user, const QString& password,
                const QString& charset);
    void detach();
    bool attached() const { return m_attachment != nullptr; }

    void startTransaction();
    bool inTransaction() const { return m_transaction != nullptr; }
    void commit();
    void commitRetaining();
    void rollback();

    // Runs a statement with bound values in the order of the "?" placeholders; starts the
    // transaction when inactive. Returns the number of rows touched.
    int execute(const QString& sql, const std::vector<Value>& params);
    // Opens a SELECT.
    std::unique_ptr<Cursor> open(const QString& sql, const std::vector<Value>& params);
    // Prepares a SELECT without running it: its result names and the engine's plan.
    struct Description {
        QStringList fieldNames;
        std::vector<FieldType> fieldTypes;
        QString plan;
    };
    Description describe(const QString& sql);

    // Called before the transaction ends (commit, rollback) so open cursors can let go.
    void setTransactionEndHandler(std::function<void()> handler) {
        m_onTransactionEnd = std::move(handler);
    }

private:
    Firebird::IStatement* prepare(const QString& sql);
    struct Bound;
    Bound bind(Firebird::IStatement* statement, const std::vector<Value>& params);
    void endTransaction(bool commit);

    Firebird::IMaster* m_master = nullptr;
    Firebird::IProvider* m_provider = nullptr;
    Firebird::IAttachment* m_attachment = nullptr;
    Firebird::ITransaction* m_transaction = nullptr;
    std::function<void()> m_onTransactionEnd;
    // Recursive: ending the transaction closes the cursors through the handler above.
    std::recursive_mutex m_inUse;
};
