#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/database.h"
#include "core/value.h"

// A statement's result read one row at a time, for exports that must not hold a whole year of
// rows in memory. A worker thread fetches the rows from the server a few batches ahead while the
// caller writes the rows before them; the batches' buffers are reused, so memory stays flat.
// A fetch error reaches the caller from next() as the same DbError the cursor gave. The worker
// is stopped and the cursor closed when the stream is destroyed, at any row.
// Parameters are named (":p1") as in the pool's queries.
class RowStream {
public:
    using Params = QList<std::pair<QString, Value>>;

    RowStream(Database& db, const QString& sql, const Params& params = {});
    ~RowStream();
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    // The number of rows the statement gives, counted by the server.
    static int count(Database& db, const QString& sql, const Params& params = {});

    const QStringList& fieldNames() const { return m_names; }
    const std::vector<FieldType>& fieldTypes() const { return m_types; }
    int fieldCount() const { return static_cast<int>(m_names.size()); }

    // Moves to the next row; false past the last one.
    bool next();
    Value value(int column) const { return m_cursor->valueIn(m_row, column); }
    // A text column's stored bytes, valid until the next call of next(); see
    // Cursor::currentBytes.
    bool bytes(int column, QByteArrayView& out) const {
        return m_cursor->bytesIn(m_row, column, out);
    }

private:
    // Rows fetched one after the other into one buffer.
    struct Batch {
        std::vector<unsigned char> rows;
        int count = 0;
    };
    void fetchAhead();
    void stop();

    std::unique_ptr<Cursor> m_cursor;
    QStringList m_names;
    std::vector<FieldType> m_types;
    size_t m_stride = 0;  // bytes from one row of a batch to the next

    std::vector<Batch> m_batches;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch*> m_free;    // for the worker to fill
    std::deque<Batch*> m_filled;  // for the reader, in fetch order
    bool m_fetchedAll = false;    // the worker is done: at the end or at an error
    bool m_stopping = false;
    std::exception_ptr m_failure;
    std::thread m_worker;

    Batch* m_reading = nullptr;  // the batch next() reads, owned by the reader
    int m_readIndex = 0;
    const unsigned char* m_row = nullptr;
};
