#include "core/keyed_rows.h"

#include <QHash>
#include <algorithm>
#include <limits>

#include "core/database.h"
#include "core/errors.h"

namespace {
constexpr std::int64_t nullKey = std::numeric_limits<std::int64_t>::min();

std::int64_t keyValue(const Value& v) {
    return v.isNull() ? nullKey : v.asInteger();
}
}  // namespace

KeyedRows::KeyedRows(Database& db, SelectParts parts, std::map<QString, Value> params,
                     const QStringList& fields, bool inSteps)
    : m_db(db), m_parts(std::move(parts)), m_params(std::move(params)) {
    for (const QString& name : m_parts.keyNames) {
        const auto found = std::find_if(fields.begin(), fields.end(), [&](const QString& field) {
            return field.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == fields.end()) throw DbError(QStringLiteral("Nincs kulcsoszlop: ") + name);
        m_keyFields.push_back(static_cast<int>(found - fields.begin()));
    }
    m_width = static_cast<int>(m_keyFields.size());
    m_lookupColumn = m_parts.leadingOrderColumn(fields);
    QStringList extra;
    if (!m_lookupColumn.isEmpty()) extra << m_lookupColumn;

    const QString order = m_parts.orderByNamed(fields);
    if (!startJoinedInMemory(extra, order)) {
        const ParsedSql parsed = parseNamedParameters(m_parts.keysSql(extra, order));
        m_cursor = m_db.open(parsed.sql, positionalValues(parsed, m_params));
    }
    if (!inSteps) readSome(std::numeric_limits<int>::max());
}

KeyedRows::~KeyedRows() = default;

bool KeyedRows::readSome(int rows) {
    if (!m_cursor) return true;
    for (int read = 0; read < rows; ++read) {
        if (!m_cursor->next()) {
            m_cursor.reset();
            m_joined.clear();
            m_rowCount =
                static_cast<int>(m_keys.size() / static_cast<size_t>(std::max(m_width, 1)));
            return true;
        }
        if (m_inMemory)
            addJoinedRows();
        else {
            for (int k = 0; k < m_width; ++k) m_keys.push_back(keyValue(m_cursor->current(k)));
            if (!m_lookupColumn.isEmpty()) m_lookupTexts << m_cursor->current(m_width).asText();
        }
    }
    return false;
}

namespace {
// How the engine compares a join column: as whole numbers, or as texts of the charset's binary
// collation (trailing blanks do not count). Anything else is left to the engine.
enum class JoinMatch { Unsupported, Integer, Text };

struct ColumnKind {
    int type = -1;
    int scale = 0;
    int charset = -1;
    int collation = -1;
};

ColumnKind columnKind(Database& db, const QString& table, const QString& column) {
    const auto cursor = db.open(
        QStringLiteral("SELECT f.RDB$FIELD_TYPE, f.RDB$FIELD_SCALE, f.RDB$CHARACTER_SET_ID, "
                       "COALESCE(rf.RDB$COLLATION_ID, f.RDB$COLLATION_ID, 0) "
                       "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f "
                       "ON f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE "
                       "WHERE rf.RDB$RELATION_NAME = ? AND rf.RDB$FIELD_NAME = ?"),
        {Value::text(table), Value::text(column)});
    ColumnKind kind;
    if (cursor->next()) {
        kind.type = static_cast<int>(cursor->current(0).asInteger());
        kind.scale = static_cast<int>(cursor->current(1).asInteger());
        kind.charset =
            cursor->current(2).isNull() ? -1 : static_cast<int>(cursor->current(2).asInteger());
        kind.collation = static_cast<int>(cursor->current(3).asInteger());
    }
    return kind;
}

JoinMatch joinMatch(const ColumnKind& a, const ColumnKind& b) {
    const auto integer = [](const ColumnKind& k) {
        return (k.type == 7 || k.type == 8 || k.type == 16) && k.scale == 0;
    };
    const auto text = [](const ColumnKind& k) {
        return (k.type == 14 || k.type == 37) && k.collation == 0;
    };
    if (integer(a) && integer(b)) return JoinMatch::Integer;
    if (text(a) && text(b) && a.charset == b.charset) return JoinMatch::Text;
    return JoinMatch::Unsupported;
}

QString joinText(const Value& v, JoinMatch match) {
    if (v.isNull()) return {};
    if (match == JoinMatch::Integer) return QString::number(v.asInteger());
    QString text = v.asText();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' ')) --end;
    text.truncate(end);
    return text;
}
}  // namespace

// The keys of a statement whose joins are all simple left joins: the first table's rows from
// the engine, each joined table read once and matched here. Reading the keys through the
// engine's join costs an index probe per row; this reads the same keys in a fraction of it.
// False (nothing read) when the statement or its columns do not allow it.
bool KeyedRows::startJoinedInMemory(const QStringList& extra, const QString& order) {
    const QString sql = m_parts.firstTableKeysSql(extra, order);
    if (sql.isEmpty()) return false;
    std::vector<Matches> joined;
    std::vector<int> matches;
    std::unique_ptr<Cursor> cursor;
    try {
        for (const SelectParts::LeftJoin& join : m_parts.leftJoins) {
            const JoinMatch match =
                joinMatch(columnKind(m_db, m_parts.firstTableName, join.firstColumn),
                          columnKind(m_db, join.table, join.joinedColumn));
            if (match == JoinMatch::Unsupported) return false;
            matches.push_back(static_cast<int>(match));
        }
        // Where, order or extra columns that name a joined table fail here: the engine joins.
        const ParsedSql parsed = parseNamedParameters(sql);
        cursor = m_db.open(parsed.sql, positionalValues(parsed, m_params));
        for (size_t j = 0; j < m_parts.leftJoins.size(); ++j) {
            const SelectParts::LeftJoin& join = m_parts.leftJoins[j];
            const auto rows = m_db.open(
                QStringLiteral("SELECT ID_%1, %2 FROM %1").arg(join.table, join.joinedColumn), {});
            Matches byValue;
            while (rows->next()) {
                const Value value = rows->current(1);
                if (!value.isNull()) {
                    byValue[joinText(value, static_cast<JoinMatch>(matches[j]))].push_back(
                        rows->current(0).asInteger());
                }
            }
            for (auto& ids : byValue) std::sort(ids.begin(), ids.end());
            joined.push_back(std::move(byValue));
        }
    } catch (const DbError&) {
        return false;
    }
    m_cursor = std::move(cursor);
    m_joined = std::move(joined);
    m_joinMatches = std::move(matches);
    m_inMemory = true;
    return true;
}

void KeyedRows::addJoinedRows() {
    static const std::vector<std::int64_t> none{nullKey};
    const size_t joins = m_joined.size();
    std::vector<const std::vector<std::int64_t>*> found(joins);
    std::vector<size_t> at(joins, 0);
    const std::int64_t id = keyValue(m_cursor->current(0));
    for (size_t j = 0; j < joins; ++j) {
        const Value value = m_cursor->current(1 + static_cast<int>(j));
        const auto hit =
            value.isNull()
                ? m_joined[j].cend()
                : m_joined[j].constFind(joinText(value, static_cast<JoinMatch>(m_joinMatches[j])));
        found[j] = hit == m_joined[j].cend() ? &none : &hit.value();
    }
    const QString lookup = m_lookupColumn.isEmpty()
                               ? QString()
                               : m_cursor->current(1 + static_cast<int>(joins)).asText();
    // One row per combination of matches, the first join varying slowest, as the engine's
    // nested loops give them.
    for (;;) {
        m_keys.push_back(id);
        for (size_t j = 0; j < joins; ++j) m_keys.push_back((*found[j])[at[j]]);
        if (!m_lookupColumn.isEmpty()) m_lookupTexts << lookup;
        size_t j = joins;
        while (j > 0 && ++at[j - 1] == found[j - 1]->size()) at[--j] = 0;
        if (j == 0) break;
    }
}

std::vector<std::int64_t> KeyedRows::keysOf(const QByteArray& packed) const {
    std::vector<std::int64_t> keys;
    for (int field : m_keyFields) keys.push_back(keyValue(Cursor::unpack(packed, field)));
    return keys;
}

bool KeyedRows::startsWith(const std::vector<QByteArray>& rows) const {
    if (static_cast<int>(rows.size()) > m_rowCount) return false;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const std::vector<std::int64_t> keys = keysOf(rows[static_cast<size_t>(r)]);
        for (int k = 0; k < m_width; ++k) {
            if (keys[static_cast<size_t>(k)] != key(r, k)) return false;
        }
    }
    return true;
}

const QByteArray& KeyedRows::row(int row) {
    static const QByteArray none;
    if (row < 0 || row >= m_rowCount) return none;
    return block(row / blockRows)[static_cast<size_t>(row % blockRows)];
}

std::vector<QByteArray>& KeyedRows::block(int index) {
    const auto found = m_blocks.find(index);
    if (found != m_blocks.end()) {
        m_recent.remove(index);
        m_recent.push_front(index);
        return found->second;
    }
    const int first = index * blockRows;
    const int count = std::min(blockRows, m_rowCount - first);
    // The distinct first keys of the block; rows of one key (a join's duplicates) come together.
    std::vector<std::int64_t> ids;
    for (int r = first; r < first + count; ++r) {
        const std::int64_t id = key(r, 0);
        if (id != nullKey && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    std::vector<QByteArray> rows(static_cast<size_t>(count));
    if (!ids.empty()) {
        std::map<QString, Value> params = m_params;
        for (size_t i = 0; i < ids.size(); ++i)
            params[QStringLiteral("keyed_%1").arg(i)] = Value::integer(ids[i]);
        const ParsedSql parsed =
            parseNamedParameters(m_parts.rowsByKeySql(static_cast<int>(ids.size())));
        const auto cursor = m_db.open(parsed.sql, positionalValues(parsed, params));
        QByteArray packed;
        while (cursor->fetch(packed)) {
            const std::vector<std::int64_t> keys = keysOf(packed);
            for (int r = 0; r < count; ++r) {
                bool same = true;
                for (int k = 0; k < m_width && same; ++k)
                    same = keys[static_cast<size_t>(k)] == key(first + r, k);
                if (same) {
                    rows[static_cast<size_t>(r)] = packed;
                    break;
                }
            }
        }
    }
    if (m_blocks.size() >= cachedBlocks) {
        m_blocks.erase(m_recent.back());
        m_recent.pop_back();
    }
    m_recent.push_front(index);
    return m_blocks.emplace(index, std::move(rows)).first->second;
}
