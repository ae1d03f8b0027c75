#include "core/query.h"

#include "core/database.h"
#include "core/errors.h"

namespace {
constexpr int firstChunk = 64;
}

Query::Query(Database& db, const QString& name, QObject* parent) : QObject(parent), m_db(db) {
    setObjectName(name);
}

Query::~Query() = default;

void Query::close() {
    const bool wasActive = m_active;
    m_cursor.reset();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_fields.clear();
    m_fieldTypes.clear();
    m_active = false;
    m_current = -1;
    m_eof = m_bof = true;
    if (wasActive) Q_EMIT reset();
}

void Query::closeForTransactionEnd() {
    if (m_active) close();
}

void Query::clearSql() {
    m_lines.clear();
    m_params.clear();
}

void Query::addSql(const QString& line) {
    m_lines << line;
}

void Query::setSql(const QString& text) {
    clearSql();
    m_lines << text;
}

void Query::bindText(const QString& name, const QString& value) {
    m_params[name.toLower()] = Value::text(value);
}
void Query::bindDate(const QString& name, QDate value) {
    m_params[name.toLower()] = Value::date(value);
}
void Query::bindDate(const QString& name, const QString& yyyyMmDd) {
    bindDate(name, parseDate(yyyyMmDd));
}
void Query::bindDouble(const QString& name, double value) {
    m_params[name.toLower()] = Value::real(value);
}
void Query::bindNumber(const QString& name, const QString& text) {
    bindDouble(name, parseNumber(text));
}
void Query::bindInt(const QString& name, std::int64_t value) {
    m_params[name.toLower()] = Value::integer(value);
}
void Query::bindNull(const QString& name) {
    m_params[name.toLower()] = Value();
}

namespace {
std::vector<Value> positional(const ParsedSql& parsed, const std::map<QString, Value>& params) {
    std::vector<Value> values;
    values.reserve(static_cast<size_t>(parsed.params.size()));
    for (const QString& name : parsed.params) {
        const auto it = params.find(name);
        values.push_back(it == params.end() ? Value() : it->second);
    }
    return values;
}
}  // namespace

void Query::open() {
    close();
    const ParsedSql parsed = parseNamedParameters(sql());
    m_cursor = m_db.open(parsed.sql, positional(parsed, m_params));
    m_fields = m_cursor->fieldNames();
    m_fieldTypes = m_cursor->fieldTypes();
    m_active = true;
    fetchMore(firstChunk);
    m_current = m_rows.empty() ? -1 : 0;
    m_eof = m_rows.empty();
    m_bof = true;
    Q_EMIT reset();
    Q_EMIT currentChanged(m_current);
}

int Query::execSql() {
    close();
    const ParsedSql parsed = parseNamedParameters(sql());
    return m_db.execute(parsed.sql, positional(parsed, m_params));
}

bool Query::canFetchMore() const {
    return m_cursor != nullptr;
}

int Query::fetchMore(int count) {
    if (!m_cursor) return 0;
    const int before = rowCount();
    QByteArray row;
    for (int i = 0; i < count; ++i) {
        if (!m_cursor->fetch(row)) {
            m_cursor.reset();  // the whole result is here
            break;
        }
        m_rows.push_back(row);
    }
    const int fetched = rowCount() - before;
    if (fetched > 0 && before > 0) Q_EMIT rowsFetched(before, rowCount() - 1);
    return fetched;
}

void Query::fetchAll() {
    while (canFetchMore()) fetchMore(1024);
}

bool Query::isEmpty() const {
    return m_rows.empty();
}

void Query::setCurrent(int row) {
    if (row == m_current) return;
    m_current = row;
    Q_EMIT currentChanged(row);
}

void Query::first() {
    m_bof = true;
    m_eof = m_rows.empty();
    setCurrent(m_rows.empty() ? -1 : 0);
}

void Query::prior() {
    m_eof = m_rows.empty();
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    m_bof = false;
    setCurrent(m_current - 1);
}

void Query::next() {
    m_bof = m_rows.empty() && !canFetchMore();
    if (m_current + 1 >= rowCount()) fetchMore(256);
    if (m_current + 1 >= rowCount()) {
        m_eof = true;
        return;
    }
    setCurrent(m_current + 1);
}

void Query::last() {
    fetchAll();
    m_eof = true;
    m_bof = m_rows.empty();
    m_eof = m_rows.empty();
    setCurrent(rowCount() - 1);
}

void Query::moveTo(int row) {
    while (row >= rowCount() && canFetchMore()) fetchMore(1024);
    if (row < 0 || row >= rowCount()) return;
    m_bof = row == 0;
    m_eof = false;
    setCurrent(row);
}

int Query::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

void Query::requireColumn(int index, const QString& name) const {
    if (index < 0) {
        throw AppError(QStringLiteral("%1: A(z) '%2' mező nem található.").arg(objectName(), name));
    }
}

Value Query::value(const QString& name) const {
    const int column = fieldIndex(name);
    requireColumn(column, name);
    if (m_current < 0 || m_current >= rowCount()) return {};
    return Cursor::unpack(m_rows[static_cast<size_t>(m_current)], column);
}

Value Query::valueAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= fieldCount()) return {};
    return Cursor::unpack(m_rows[static_cast<size_t>(row)], column);
}

bool Query::locate(const QString& column, const QString& text, bool partial, bool caseInsensitive) {
    const int index = fieldIndex(column);
    requireColumn(index, column);
    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int row = 0;; ++row) {
        if (row >= rowCount() && fetchMore(1024) == 0) break;
        const QString value = Cursor::unpack(m_rows[static_cast<size_t>(row)], index).asText();
        if (partial ? value.startsWith(text, cs) : value.compare(text, cs) == 0) {
            m_eof = false;
            m_bof = row == 0;
            setCurrent(row);
            return true;
        }
    }
    return false;
}
