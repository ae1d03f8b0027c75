#include "registers/register_codes.h"

#include "core/query.h"

QString proposedCode(Query& q, const QString& table, const QString& column) {
    q.close();
    q.clearSql();
    // Codes hold at most a few digits; 18 keeps the cast inside BIGINT.
    q.addSql(QStringLiteral("SELECT MAX(CAST(TRIM(%1) AS BIGINT)) AS largest FROM %2")
                 .arg(column, table));
    q.addSql(QStringLiteral("WHERE TRIM(%1) SIMILAR TO '[0-9]{1,18}'").arg(column));
    q.open();
    return QString::number(q.integer(QStringLiteral("largest")) + 1);
}
