#include "exchange/row_stream.h"

namespace {

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
}

RowStream::~RowStream() = default;

int RowStream::count(Database& db, const QString& sql, const Params& params) {
    const ParsedSql parsed = parseNamedParameters(QStringLiteral("SELECT COUNT(*) FROM (\n") + sql +
                                                  QStringLiteral("\n)"));
    std::unique_ptr<Cursor> cursor = db.open(parsed.sql, positional(parsed, params));
    QByteArray row;
    const int rows = cursor->fetch(row) ? static_cast<int>(Cursor::unpack(row, 0).asInteger()) : 0;
    cursor->close();
    return rows;
}

bool RowStream::next() {
    return m_cursor->next();
}
