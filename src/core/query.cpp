#include "core/query.h"

#include <QRegularExpression>

#include "core/database.h"
#include "core/errors.h"
#include "core/keyed_rows.h"

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
    m_keyed.reset();
    m_parts.reset();
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

void Query::open() {
    close();
    const ParsedSql parsed = parseNamedParameters(sql());
    if (m_keyedWhenLarge) m_parts = splitSelect(sql());
    // A statement that sorts reads every row before its first one anyway: the keys are sorted
    // in place of the whole rows, and the first rows come by key.
    if (m_parts) {
        const Database::Description statement = m_db.describe(parsed.sql);
        static const QRegularExpression sort(QStringLiteral("\\bSORT\\b"));
        if (statement.plan.contains(sort)) {
            m_fields = statement.fieldNames;
            m_fieldTypes = statement.fieldTypes;
            m_active = readKeys();
            if (!m_active) {
                m_fields.clear();
                m_fieldTypes.clear();
            }
        }
    }
    if (!m_active) {
        m_cursor = m_db.open(parsed.sql, positionalValues(parsed, m_params));
        m_fields = m_cursor->fieldNames();
        m_fieldTypes = m_cursor->fieldTypes();
        m_active = true;
        fetchMore(firstChunk);
    }
    m_current = isEmpty() ? -1 : 0;
    m_eof = isEmpty();
    m_bof = true;
    Q_EMIT reset();
    Q_EMIT currentChanged(m_current);
}

void Query::openRows(const QStringList& fields, const std::vector<FieldType>& types,
                     std::vector<QByteArray> rows) {
    close();
    m_fields = fields;
    m_fieldTypes = types;
    m_rows = std::move(rows);
    m_active = true;
    m_current = isEmpty() ? -1 : 0;
    m_eof = isEmpty();
    m_bof = true;
    Q_EMIT reset();
    Q_EMIT currentChanged(m_current);
}

int Query::execSql() {
    close();
    const ParsedSql parsed = parseNamedParameters(sql());
    return m_db.execute(parsed.sql, positionalValues(parsed, m_params));
}

bool Query::canFetchMore() const {
    return m_cursor != nullptr;
}

int Query::rowCount() const {
    return m_keyed ? m_keyed->rowCount() : static_cast<int>(m_rows.size());
}

// Reads the row keys in place of fetching on; false (and fetching on as usual) when the key
// statement fails or disagrees with the rows the statement gave first.
bool Query::readKeys() {
    try {
        auto keyed = std::make_unique<KeyedRows>(m_db, *m_parts, m_params, m_fields);
        m_parts.reset();
        if (!keyed->startsWith(m_rows)) return false;
        m_keyed = std::move(keyed);
        m_cursor.reset();
        return true;
    } catch (const DbError&) {
        m_parts.reset();
        return false;
    }
}

int Query::fetchMore(int count) {
    if (!m_cursor) return 0;
    const int before = rowCount();
    // The first block stays as the statement gave it; beyond it a keyed result reads its keys.
    if (m_parts && before >= firstChunk && readKeys()) {
        if (rowCount() > before) Q_EMIT rowsFetched(before, rowCount() - 1);
        return rowCount() - before;
    }
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
    return rowCount() == 0;
}

void Query::setCurrent(int row) {
    if (row == m_current) return;
    m_current = row;
    Q_EMIT currentChanged(row);
}

void Query::first() {
    m_bof = true;
    m_eof = isEmpty();
    setCurrent(isEmpty() ? -1 : 0);
}

void Query::prior() {
    m_eof = isEmpty();
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    m_bof = false;
    setCurrent(m_current - 1);
}

void Query::next() {
    m_bof = isEmpty() && !canFetchMore();
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
    m_bof = isEmpty();
    m_eof = isEmpty();
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

const QByteArray& Query::packedRow(int row) const {
    if (row < static_cast<int>(m_rows.size())) return m_rows[static_cast<size_t>(row)];
    return m_keyed->row(row);
}

Value Query::value(const QString& name) const {
    const int column = fieldIndex(name);
    requireColumn(column, name);
    return valueAt(m_current, column);
}

Value Query::valueAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= fieldCount()) return {};
    const QByteArray& packed = packedRow(row);
    return packed.isEmpty() ? Value() : Cursor::unpack(packed, column);
}

bool Query::locate(const QString& column, const QString& text, bool partial, bool caseInsensitive) {
    const int index = fieldIndex(column);
    requireColumn(index, column);
    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    // A keyed result holds its leading order column's texts: no row is fetched for those.
    const auto inMemory = [&] {
        return m_keyed && m_keyed->lookupColumn().compare(column, Qt::CaseInsensitive) == 0;
    };
    for (int row = 0;; ++row) {
        if (row >= rowCount() && fetchMore(1024) == 0) break;
        const QString value =
            inMemory() ? m_keyed->lookupTexts().at(row) : valueAt(row, index).asText();
        if (partial ? value.startsWith(text, cs) : value.compare(text, cs) == 0) {
            m_eof = false;
            m_bof = row == 0;
            setCurrent(row);
            return true;
        }
    }
    return false;
}
