#include "tickets/numbering.h"

#include "core/errors.h"
#include "core/tdata.h"

QString numberAfter(const QString& lastNumber) {
    const QString text = lastNumber.trimmed();
    bool ok = false;
    const qint64 last = text.toLongLong(&ok);
    if (!ok) throw ConversionError(QStringLiteral("'%1' nem érvényes egész szám.").arg(text));
    return QString::number(last + 1);
}

QString nextDocumentNumber(TData& data, const QString& buyerCode) {
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT * FROM Sorszam WHERE a_aKod = :p1"));
    q.bindText("p1", buyerCode);
    q.open();
    return numberAfter(q.text("A_FJBSZAM"));
}

void claimDocumentNumber(TData& data, const QString& buyerCode, const QString& number) {
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT a_fjbszam FROM Sorszam WHERE a_akod = :p1 WITH LOCK"));
    q.bindText("p1", buyerCode);
    q.open();
    q.fetchAll();  // the lock is taken as the row is fetched
    if (numberAfter(q.text("A_FJBSZAM")) != number) {
        throw AppError(QStringLiteral("A(z) %1 bizonylatszámot időközben kiadták.").arg(number));
    }
}

void advanceNumbering(TData& data, const QString& buyerCode, const QString& number) {
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("UPDATE Sorszam SET a_FjBszam = :p1 WHERE a_akod = :p2"));
    q.bindText("p1", number);
    q.bindText("p2", buyerCode);
    q.execSql();
}
