#include "core/keyed_rows.h"

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
                     const QStringList& fields)
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

    const ParsedSql parsed =
        parseNamedParameters(m_parts.keysSql(extra, m_parts.orderByNamed(fields)));
    const auto cursor = m_db.open(parsed.sql, positionalValues(parsed, m_params));
    while (cursor->next()) {
        for (int k = 0; k < m_width; ++k) m_keys.push_back(keyValue(cursor->current(k)));
        if (!m_lookupColumn.isEmpty()) m_lookupTexts << cursor->current(m_width).asText();
    }
    m_rowCount = static_cast<int>(m_keys.size() / static_cast<size_t>(std::max(m_width, 1)));
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
