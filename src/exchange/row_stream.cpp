#include "exchange/row_stream.h"

namespace {

// Rows per batch and batches in flight: a few hundred rows at most, so the reader rarely waits
// and a year's export holds no more than a few hundred kilobytes of fetched rows.
constexpr int batchRows = 64;
constexpr int batchCount = 4;

std::vector<Value> positional(const ParsedSql& parsed, const RowStream::Params& params) {
    std::vector<Value> values;
    values.reserve(static_cast<size_t>(parsed.params.size()));
    for (const QString& name : parsed.params) {
        Value bound;
        for (const auto& [paramName, value] : params) {
            if (paramName.compare(name, Qt::CaseInsensitive) == 0) bound = value;
        }
        values.push_back(bound);
    }
    return values;
}

}  // namespace

RowStream::RowStream(Database& db, const QString& sql, const Params& params) {
    const ParsedSql parsed = parseNamedParameters(sql);
    m_cursor = db.open(parsed.sql, positional(parsed, params));
    m_names = m_cursor->fieldNames();
    m_types = m_cursor->fieldTypes();
    // Each row of a batch starts 8-byte aligned, as the engine lays out a row's numbers.
    m_stride = (m_cursor->rowSize() + 7) / 8 * 8;
    m_batches.resize(batchCount);
    for (Batch& batch : m_batches) {
        batch.rows.resize(m_stride * batchRows);
        m_free.push_back(&batch);
    }
    try {
        m_worker = std::thread([this] { fetchAhead(); });
    } catch (...) {
        m_cursor->close();
        throw;
    }
}

RowStream::~RowStream() {
    stop();
}

void RowStream::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable()) m_worker.join();
    // Closed here, on the caller's thread, before the caller can end the transaction.
    m_cursor->close();
}

void RowStream::fetchAhead() {
    for (;;) {
        Batch* batch = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || !m_free.empty(); });
            if (m_stopping) return;
            batch = m_free.front();
            m_free.pop_front();
        }
        batch->count = 0;
        bool more = true;
        std::exception_ptr failure;
        try {
            while (batch->count < batchRows &&
                   (more = m_cursor->fetchInto(batch->rows.data() +
                                               static_cast<size_t>(batch->count) * m_stride))) {
                ++batch->count;
            }
        } catch (...) {
            failure = std::current_exception();
            more = false;
        }
        {
            const std::lock_guard lock(m_mutex);
            // The rows fetched before an error are read before it.
            if (batch->count > 0)
                m_filled.push_back(batch);
            else
                m_free.push_back(batch);
            m_failure = failure;
            m_fetchedAll = !more;
        }
        m_changed.notify_all();
        if (!more) return;
    }
}

bool RowStream::next() {
    if (m_reading && ++m_readIndex < m_reading->count) {
        m_row = m_reading->rows.data() + static_cast<size_t>(m_readIndex) * m_stride;
        return true;
    }
    std::unique_lock lock(m_mutex);
    if (m_reading) {
        m_free.push_back(m_reading);
        m_reading = nullptr;
        m_changed.notify_all();
    }
    m_row = nullptr;
    m_changed.wait(lock, [this] { return !m_filled.empty() || m_fetchedAll; });
    if (m_filled.empty()) {
        if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
        return false;
    }
    m_reading = m_filled.front();
    m_filled.pop_front();
    m_readIndex = 0;
    m_row = m_reading->rows.data();
    return true;
}

int RowStream::count(Database& db, const QString& sql, const Params& params) {
    const ParsedSql parsed = parseNamedParameters(QStringLiteral("SELECT COUNT(*) FROM (\n") + sql +
                                                  QStringLiteral("\n)"));
    std::unique_ptr<Cursor> cursor = db.open(parsed.sql, positional(parsed, params));
    QByteArray row;
    const int rows = cursor->fetch(row) ? static_cast<int>(Cursor::unpack(row, 0).asInteger()) : 0;
    cursor->close();
    return rows;
}
