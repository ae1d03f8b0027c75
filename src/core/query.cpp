#include "core/query.h"

#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "core/database.h"
#include "core/errors.h"
#include "core/keyed_rows.h"

namespace {
constexpr int firstChunk = 64;
// Rows on each side of a row located by counting, kept without reading every key.
constexpr int windowRows = 48;
// Keys read in one step while the program idles: a few milliseconds.
constexpr int keysPerStep = 2000;
// The first step (the key statement's own sort) waits until the window has painted.
constexpr int firstKeysStepDelayMs = 50;

// A text the engine's STARTING WITH compares exactly as QString::startsWith does: printable
// ASCII without letters when the case does not count, no trailing blank.
bool plainPrefix(const QString& text, bool caseInsensitive) {
    if (text.isEmpty()) return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7e) return false;
        if (caseInsensitive && c.isLetter()) return false;
    }
    return true;
}

// The engine compares texts without their trailing blanks.
QString comparable(const Value& v) {
    QString text = v.asText();
    while (text.endsWith(u' ')) text.chop(1);
    return text;
}
}  // namespace

Query::Query(Database& db, const QString& name, QObject* parent)
    : QObject(parent), m_db(db), m_idleKeys(new QTimer(this)) {
    setObjectName(name);
    m_idleKeys->setSingleShot(true);
    connect(m_idleKeys, &QTimer::timeout, this, &Query::readKeysWhileIdle);
}

Query::~Query() = default;

void Query::close() {
    const bool wasActive = m_active;
    m_cursor.reset();
    m_keyed.reset();
    m_parts.reset();
    m_countedRows = -1;
    m_windowRows.clear();
    m_pendingKeys.reset();
    m_idleKeys->stop();
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
    return m_cursor != nullptr && m_countedRows < 0;
}

int Query::rowCount() const {
    if (m_countedRows >= 0) return m_countedRows;
    return m_keyed ? m_keyed->rowCount() : static_cast<int>(m_rows.size());
}

// Reads the row keys in place of fetching on; false (and fetching on as usual) when the key
// statement fails or disagrees with the rows the statement gave first.
bool Query::readKeys() {
    if (!m_parts) return false;
    try {
        return useKeys(std::make_unique<KeyedRows>(m_db, *m_parts, m_params, m_fields));
    } catch (const DbError&) {
        m_parts.reset();
        return false;
    }
}

bool Query::useKeys(std::unique_ptr<KeyedRows> keys) {
    m_parts.reset();
    if (!keys->startsWith(m_rows)) return false;
    m_keyed = std::move(keys);
    m_cursor.reset();
    return true;
}

// One step of reading a counted result's keys, then the next when the program idles again.
void Query::readKeysWhileIdle() {
    if (m_countedRows < 0 || !m_parts) return;
    try {
        if (!m_pendingKeys) {
            m_pendingKeys = std::make_unique<KeyedRows>(m_db, *m_parts, m_params, m_fields, true);
            m_idleKeys->start(0);
            return;
        }
        if (!m_pendingKeys->readSome(keysPerStep)) {
            m_idleKeys->start(0);
            return;
        }
    } catch (const DbError&) {
        m_pendingKeys.reset();  // read at once when a row needs them
        return;
    }
    readAllKeys();
}

int Query::fetchMore(int count) {
    if (!m_cursor || m_countedRows >= 0) return 0;
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
    if (m_countedRows >= 0) {
        const auto found = m_windowRows.find(row);
        if (found != m_windowRows.end()) return found->second;
        readAllKeys();
    }
    static const QByteArray none;
    if (!m_keyed)
        return row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<size_t>(row)] : none;
    return m_keyed->row(row);
}

// Leaves a counted result for every key read in order. Rows already shown stay where they are
// unless another desk's commit moved them meanwhile; then the views are told to read again.
void Query::readAllKeys() const {
    auto* self = const_cast<Query*>(this);
    const int counted = m_countedRows;
    std::map<int, QByteArray> window = std::move(self->m_windowRows);
    self->m_countedRows = -1;
    self->m_windowRows.clear();
    self->m_idleKeys->stop();
    bool same = false;
    if (m_pendingKeys) {
        try {
            std::unique_ptr<KeyedRows> keys = std::move(self->m_pendingKeys);
            keys->readSome(std::numeric_limits<int>::max());
            same = self->useKeys(std::move(keys));
        } catch (const DbError&) {
            self->m_parts.reset();
        }
    } else {
        same = self->readKeys();
    }
    if (!same) self->fetchAll();
    same = same && rowCount() == counted;
    for (auto it = window.begin(); same && it != window.end(); ++it)
        same = m_keyed->row(it->first) == it->second;
    if (!same)
        QMetaObject::invokeMethod(
            self, [self] { Q_EMIT self->reset(); }, Qt::QueuedConnection);
}

std::unique_ptr<Cursor> Query::openWithParams(const QString& sql,
                                              const std::map<QString, Value>& extra) const {
    std::map<QString, Value> params = m_params;
    for (const auto& [name, value] : extra) params[name] = value;
    const ParsedSql parsed = parseNamedParameters(sql);
    return m_db.open(parsed.sql, positionalValues(parsed, params));
}

// Locates a text in a large result ordered by that column without reading every key: the rows
// are counted on the first table (its left joins match at most one row each), the first match
// is found along the order's index and its position counted from the end. Only where the
// engine's comparison is exactly the screen's (a plain prefix, no ties around the row);
// anything else answers nothing and the keys are read as before.
std::optional<bool> Query::locateByCount(int column, const QString& text, bool caseInsensitive) {
    if (!m_parts || !m_cursor || m_keyed || m_countedRows >= 0) return std::nullopt;
    if (m_fieldTypes.at(column) != FieldType::Text || !plainPrefix(text, caseInsensitive))
        return std::nullopt;
    const SelectParts& parts = *m_parts;
    const QString order = parts.ascendingOrderColumn();
    if (order.isEmpty() || parts.leftJoins.empty() ||
        parts.leadingOrderColumn(m_fields).compare(m_fields.at(column), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString key = parts.keyColumns.first();
    const QString where = parts.where.isEmpty()
                              ? QString()
                              : QStringLiteral("(") + parts.where + QStringLiteral(") AND ");
    const auto keysWhere = [&](const QString& condition, const QString& direction, int rows) {
        return QStringLiteral("SELECT FIRST %1 %2, %3 FROM %4 WHERE %5%6 ORDER BY %3 %7")
            .arg(rows)
            .arg(key, order, parts.firstTable, where, condition, direction);
    };
    const auto count = [&](const QString& condition, const std::map<QString, Value>& extra) {
        QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + parts.firstTable;
        if (!where.isEmpty() || !condition.isEmpty())
            sql += QStringLiteral(" WHERE ") + where +
                   (condition.isEmpty() ? QStringLiteral("1 = 1") : condition);
        const auto cursor = openWithParams(sql, extra);
        return cursor->next() ? static_cast<int>(cursor->current(0).asInteger()) : -1;
    };
    struct KeyRow {
        std::int64_t id;
        QString value;
    };
    const auto keyRows = [&](const QString& sql, const std::map<QString, Value>& extra) {
        std::vector<KeyRow> rows;
        const auto cursor = openWithParams(sql, extra);
        while (cursor->next()) {
            if (cursor->current(0).isNull()) throw DbError(QStringLiteral("NULL key"));
            rows.push_back({cursor->current(0).asInteger(), comparable(cursor->current(1))});
        }
        return rows;
    };
    try {
        for (const SelectParts::LeftJoin& join : parts.leftJoins) {
            const auto twice = m_db.open(
                QStringLiteral("SELECT FIRST 1 1 FROM %1 WHERE %2 IS NOT NULL GROUP BY %2 "
                               "HAVING COUNT(*) > 1")
                    .arg(join.table, join.joinedColumn),
                {});
            if (twice->next()) return std::nullopt;
        }
        const int all = count({}, {});
        const std::vector<KeyRow> match =
            keyRows(keysWhere(order + QStringLiteral(" STARTING WITH :keyed_text"), {}, 2),
                    {{QStringLiteral("keyed_text"), Value::text(text)}});
        if (all < 0) return std::nullopt;
        const int before = static_cast<int>(m_rows.size());
        const auto readKeysLater = [this] { m_idleKeys->start(firstKeysStepDelayMs); };
        if (match.empty()) {
            m_countedRows = all;
            readKeysLater();
            if (all > before) Q_EMIT rowsFetched(before, all - 1);
            return false;
        }
        const std::map<QString, Value> at{
            {QStringLiteral("keyed_value"), Value::text(match[0].value)}};
        const int position = all - count(order + QStringLiteral(" >= :keyed_value"), at);
        std::vector<KeyRow> earlier = keyRows(keysWhere(order + QStringLiteral(" < :keyed_value"),
                                                        QStringLiteral("DESC"), windowRows),
                                              at);
        const std::vector<KeyRow> later =
            keyRows(keysWhere(order + QStringLiteral(" >= :keyed_value"), {}, windowRows), at);
        if (later.empty() || later[0].id != match[0].id || position < 0 ||
            position - static_cast<int>(earlier.size()) < 0 ||
            position + static_cast<int>(later.size()) > all)
            return std::nullopt;
        // Rows of equal value come in the engine's own order: only a window without ties is sure.
        std::reverse(earlier.begin(), earlier.end());
        std::vector<KeyRow> window = earlier;
        window.insert(window.end(), later.begin(), later.end());
        for (size_t i = 1; i < window.size(); ++i) {
            if (window[i].value == window[i - 1].value) return std::nullopt;
        }
        // The window's rows with their joins; each first-table row gives exactly one.
        std::map<QString, Value> ids;
        for (size_t i = 0; i < window.size(); ++i)
            ids[QStringLiteral("keyed_%1").arg(i)] = Value::integer(window[i].id);
        std::map<std::int64_t, QByteArray> byId;
        const int keyField = fieldIndex(parts.keyNames.first());
        if (keyField < 0) return std::nullopt;
        {
            const auto cursor =
                openWithParams(parts.rowsByKeySql(static_cast<int>(window.size())), ids);
            QByteArray packed;
            while (cursor->fetch(packed))
                byId[Cursor::unpack(packed, keyField).asInteger()] = packed;
        }
        const int first = position - static_cast<int>(earlier.size());
        std::map<int, QByteArray> rows;
        for (size_t i = 0; i < window.size(); ++i) {
            const auto found = byId.find(window[i].id);
            if (found == byId.end()) return std::nullopt;
            rows[first + static_cast<int>(i)] = found->second;
        }
        m_countedRows = all;
        m_windowRows = std::move(rows);
        readKeysLater();
        if (all > before) Q_EMIT rowsFetched(before, all - 1);
        m_eof = false;
        m_bof = position == 0;
        setCurrent(position);
        return true;
    } catch (const DbError&) {
        return std::nullopt;
    }
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
    // A large result not read yet: its first rows, then counting in place of reading every key.
    if (partial && m_parts && m_cursor && !m_keyed && m_countedRows < 0) {
        for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
            const QString value = valueAt(row, index).asText();
            if (value.startsWith(text, cs)) {
                m_eof = false;
                m_bof = row == 0;
                setCurrent(row);
                return true;
            }
        }
        if (const std::optional<bool> found = locateByCount(index, text, caseInsensitive))
            return *found;
    }
    if (m_countedRows >= 0) readAllKeys();
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
