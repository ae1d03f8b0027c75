#include "core/select_parts.h"

#include <vector>

namespace {

struct Token {
    enum class Kind { Word, Number, Symbol, Text };
    Kind kind;
    QString upper;  // words upper-cased; other tokens as written
    qsizetype start;
    qsizetype end;  // one past the last character
    int depth;      // parenthesis depth at the token
};

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if (c == '\'' || c == '"') {
            // A doubled quote inside stays inside.
            ++i;
            while (i < n) {
                if (sql.at(i) == c) {
                    if (i + 1 < n && sql.at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            const auto kind = c == '"' ? Token::Kind::Word : Token::Kind::Text;
            tokens.push_back({kind, sql.mid(start, i - start), start, i, depth});
            continue;
        }
        if (c.isLetter() || c == '_') {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == '_' || sql.at(i) == '$'))
                ++i;
            tokens.push_back(
                {Token::Kind::Word, sql.mid(start, i - start).toUpper(), start, i, depth});
            continue;
        }
        if (c.isDigit()) {
            while (i < n && (sql.at(i).isDigit() || sql.at(i) == '.')) ++i;
            tokens.push_back({Token::Kind::Number, sql.mid(start, i - start), start, i, depth});
            continue;
        }
        if (c == '(') ++depth;
        tokens.push_back({Token::Kind::Symbol, QString(c), start, i + 1, depth});
        if (c == ')') --depth;
        ++i;
    }
    return tokens;
}

bool isWord(const Token& t, const char* word) {
    return t.kind == Token::Kind::Word && t.upper == QLatin1String(word);
}

const char* const refused[] = {"DISTINCT", "FIRST", "SKIP", "GROUP", "HAVING", "UNION", "PLAN",
                               "ROWS",     "FOR",   "WITH", "INTO",  "RIGHT",  "FULL",  "CROSS",
                               "NATURAL",  "COUNT", "SUM",  "MIN",   "MAX",    "AVG",   "LIST"};

bool isJoinWord(const Token& t) {
    return isWord(t, "JOIN") || isWord(t, "LEFT") || isWord(t, "INNER");
}

// Tables of a FROM clause: "table [alias]" joined by [INNER | LEFT [OUTER]] JOIN ... ON ...
// Returns each table's qualifier (alias, else name) and name; empty when the shape differs.
std::vector<std::pair<QString, QString>> fromTables(const std::vector<Token>& t, size_t begin,
                                                    size_t end) {
    std::vector<std::pair<QString, QString>> tables;
    size_t i = begin;
    for (;;) {
        if (i >= end || t[i].kind != Token::Kind::Word || t[i].depth != 0) return {};
        const QString name = t[i].upper;
        QString qualifier = name;
        ++i;
        if (i < end && isWord(t[i], "AS")) ++i;
        if (i < end && t[i].kind == Token::Kind::Word && t[i].depth == 0 && !isJoinWord(t[i]) &&
            !isWord(t[i], "ON")) {
            qualifier = t[i].upper;
            ++i;
        }
        tables.emplace_back(qualifier, name);
        if (i >= end) return tables;
        if (!tables.empty() && tables.size() > 1) {
            // After a joined table comes its ON condition, up to the next join.
            if (!isWord(t[i], "ON")) return {};
            while (i < end && !(t[i].depth == 0 && isJoinWord(t[i]))) ++i;
            if (i >= end) return tables;
        }
        if (isWord(t[i], "INNER")) {
            ++i;
        } else if (isWord(t[i], "LEFT")) {
            ++i;
            if (i < end && isWord(t[i], "OUTER")) ++i;
        }
        if (i >= end || !isWord(t[i], "JOIN")) return {};
        ++i;
    }
}

// The joins of a FROM clause when each is "LEFT [OUTER] JOIN table [alias] ON a.x = b.y" with
// one side the first table and the other the joined one; empty otherwise.
std::vector<SelectParts::LeftJoin> simpleLeftJoins(
    const std::vector<Token>& t, size_t begin, size_t end,
    const std::vector<std::pair<QString, QString>>& tables) {
    std::vector<SelectParts::LeftJoin> joins;
    size_t i = begin;
    while (i < end && !(t[i].depth == 0 && isJoinWord(t[i]))) ++i;
    for (size_t table = 1; table < tables.size(); ++table) {
        if (i >= end || !isWord(t[i], "LEFT")) return {};
        ++i;
        if (i < end && isWord(t[i], "OUTER")) ++i;
        if (i >= end || !isWord(t[i], "JOIN")) return {};
        while (i < end && !isWord(t[i], "ON")) ++i;
        const size_t on = i + 1;
        size_t next = on;
        while (next < end && !(t[next].depth == 0 && isJoinWord(t[next]))) ++next;
        if (next - on != 7 || t[on + 1].upper != QLatin1String(".") ||
            t[on + 3].upper != QLatin1String("=") || t[on + 5].upper != QLatin1String("."))
            return {};
        for (size_t k : {on, on + 2, on + 4, on + 6}) {
            if (t[k].kind != Token::Kind::Word) return {};
        }
        const QString& first = tables.front().first;
        const QString& joined = tables[table].first;
        SelectParts::LeftJoin join{tables[table].second, joined, {}, {}};
        if (t[on].upper == first && t[on + 4].upper == joined) {
            join.firstColumn = t[on + 2].upper;
            join.joinedColumn = t[on + 6].upper;
        } else if (t[on].upper == joined && t[on + 4].upper == first) {
            join.firstColumn = t[on + 6].upper;
            join.joinedColumn = t[on + 2].upper;
        } else {
            return {};
        }
        joins.push_back(join);
        i = next;
    }
    return joins;
}

// Splits ORDER BY items at top-level commas.
QStringList orderItems(const QString& orderBy) {
    QStringList items;
    const std::vector<Token> t = tokenize(orderBy);
    qsizetype start = 0;
    for (const Token& token : t) {
        if (token.depth == 0 && token.upper == QLatin1String(",")) {
            items << orderBy.mid(start, token.start - start).trimmed();
            start = token.end;
        }
    }
    items << orderBy.mid(start).trimmed();
    return items;
}

// The result name of a plain ORDER BY item ("o_nev", "Ostermelo.o_nev DESC", "3"), else "".
QString itemColumn(const QString& item, const QStringList& fields) {
    const std::vector<Token> t = tokenize(item);
    if (t.empty()) return {};
    if (t[0].kind == Token::Kind::Number) {
        bool ok = false;
        const int position = t[0].upper.toInt(&ok);
        return ok && position >= 1 && position <= fields.size() ? fields.at(position - 1)
                                                                : QString();
    }
    if (t[0].kind != Token::Kind::Word) return {};
    size_t next = 1;
    QString name = t[0].upper;
    if (t.size() >= 3 && t[1].upper == QLatin1String(".") && t[2].kind == Token::Kind::Word) {
        name = t[2].upper;
        next = 3;
    }
    for (size_t i = next; i < t.size(); ++i) {
        if (!isWord(t[i], "ASC") && !isWord(t[i], "DESC") && !isWord(t[i], "ASCENDING") &&
            !isWord(t[i], "DESCENDING"))
            return {};
    }
    return name;
}

}  // namespace

std::optional<SelectParts> splitSelect(const QString& sql) {
    const std::vector<Token> t = tokenize(sql);
    if (t.empty() || !isWord(t[0], "SELECT")) return std::nullopt;
    size_t from = 0, where = 0, order = 0;
    for (size_t i = 1; i < t.size(); ++i) {
        const Token& token = t[i];
        if (token.upper == QLatin1String(";")) return std::nullopt;
        if (token.kind != Token::Kind::Word) continue;
        if (isWord(token, "SELECT") && token.depth == 0) return std::nullopt;
        for (const char* word : refused) {
            if (isWord(token, word) && (token.depth == 0 || !from)) return std::nullopt;
        }
        if (token.depth != 0) continue;
        if (!from && isWord(token, "FROM")) from = i;
        if (from && !where && !order && isWord(token, "WHERE")) where = i;
        if (from && !order && isWord(token, "ORDER") && i + 1 < t.size() && isWord(t[i + 1], "BY"))
            order = i;
    }
    if (!from) return std::nullopt;
    const size_t fromEnd = where ? where : order ? order : t.size();
    const auto tables = fromTables(t, from + 1, fromEnd);
    if (tables.empty()) return std::nullopt;

    SelectParts parts;
    const auto text = [&](qsizetype a, qsizetype b) { return sql.mid(a, b - a).trimmed(); };
    parts.selectList = text(t[0].end, t[from].start);
    parts.from = text(t[from].end, fromEnd < t.size() ? t[fromEnd].start : sql.size());
    if (where) parts.where = text(t[where].end, order ? t[order].start : sql.size());
    if (order) parts.orderBy = text(t[order + 1].end, sql.size());
    for (const auto& [qualifier, name] : tables) {
        parts.keyNames << QStringLiteral("ID_") + name;
        parts.keyColumns << qualifier + QStringLiteral(".ID_") + name;
    }
    if (tables.size() > 1) {
        parts.leftJoins = simpleLeftJoins(t, from + 1, fromEnd, tables);
        if (!parts.leftJoins.empty()) {
            size_t firstEnd = from + 1;
            while (firstEnd < fromEnd && !isJoinWord(t[firstEnd])) ++firstEnd;
            parts.firstTable = text(t[from + 1].start, t[firstEnd].start);
            parts.firstTableName = tables.front().second;
        }
    }
    return parts;
}

QString SelectParts::keysSql(const QStringList& extra, const QString& order) const {
    QString sql = QStringLiteral("SELECT ") + (keyColumns + extra).join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM ") + from;
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;
    return sql;
}

QString SelectParts::firstTableKeysSql(const QStringList& extra, const QString& order) const {
    if (leftJoins.empty()) return {};
    QStringList columns{keyColumns.first()};
    const QString qualifier = keyColumns.first().section('.', 0, 0);
    for (const LeftJoin& join : leftJoins) columns << qualifier + '.' + join.firstColumn;
    QString sql = QStringLiteral("SELECT ") + (columns + extra).join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM ") + firstTable;
    if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where;
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;
    return sql;
}

QString SelectParts::rowsByKeySql(int count) const {
    QStringList names;
    for (int i = 0; i < count; ++i) names << QStringLiteral(":keyed_%1").arg(i);
    QString sql = QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + from +
                  QStringLiteral(" WHERE ");
    // The statement's own filter stays, so that a row changed since its key was read no longer
    // shows, but as a value no index can be searched for: the keys find the rows, and an index
    // on a filter column of a joined table (a date range, a buyer code) would otherwise be read
    // whole again for every row joined.
    if (!where.isEmpty()) {
        sql += QStringLiteral("(CASE WHEN (") + where +
               QStringLiteral(") THEN 1 ELSE 0 END = 1) AND ");
    }
    return sql + keyColumns.first() + QStringLiteral(" IN (") + names.join(QStringLiteral(", ")) +
           QStringLiteral(")");
}

QString SelectParts::leadingOrderColumn(const QStringList& fields) const {
    if (orderBy.isEmpty()) return {};
    return itemColumn(orderItems(orderBy).first(), fields);
}

QString SelectParts::orderByNamed(const QStringList& fields) const {
    if (orderBy.isEmpty()) return {};
    QStringList items = orderItems(orderBy);
    for (QString& item : items) {
        const std::vector<Token> t = tokenize(item);
        if (t.empty() || t[0].kind != Token::Kind::Number) continue;
        const QString name = itemColumn(item, fields);
        if (name.isEmpty()) continue;
        item = name + item.mid(t[0].end);
    }
    return items.join(QStringLiteral(", "));
}

QString SelectParts::ascendingOrderColumn() const {
    if (orderBy.isEmpty()) return {};
    const QStringList items = orderItems(orderBy);
    if (items.size() != 1) return {};
    const std::vector<Token> t = tokenize(items.first());
    if (t.empty() || t[0].kind != Token::Kind::Word) return {};
    size_t end = 1;
    if (t.size() >= 3 && t[1].upper == QLatin1String(".") && t[2].kind == Token::Kind::Word)
        end = 3;
    if (t.size() > end + 1) return {};
    if (t.size() == end + 1 && !isWord(t[end], "ASC") && !isWord(t[end], "ASCENDING")) return {};
    return items.first().left(t[end - 1].end).trimmed();
}
