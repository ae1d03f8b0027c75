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
    requireNumberFree(data, number, buyerCode);
}

std::optional<NumberHolder> numberHolder(TData& data, const QString& number,
                                         const QString& exceptBuyer) {
    // The number columns hold eight characters: a longer number is on no document.
    if (number.size() > 8) return std::nullopt;
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(
        QStringLiteral("SELECT FIRST 1 f.f_akod, a.v_neve FROM FjFej f LEFT JOIN Atvevo a ON "
                       "a.v_akod = f.f_akod"));
    q.addSql(QStringLiteral("WHERE f.f_bszam = :p1"));
    if (!exceptBuyer.isEmpty()) q.addSql(QStringLiteral("AND f.f_akod IS DISTINCT FROM :p2"));
    q.addSql(QStringLiteral("ORDER BY f.f_akod"));
    q.bindText("p1", number);
    if (!exceptBuyer.isEmpty()) q.bindText("p2", exceptBuyer);
    q.open();
    if (q.isEmpty()) return std::nullopt;
    return NumberHolder{q.text("f_akod").trimmed(), q.text("v_neve").trimmed()};
}

QString numberTakenText(const QString& number, const NumberHolder& holder) {
    const QString name =
        holder.buyerName.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder.buyerName);
    return QStringLiteral("A(z) %1 bizonylatszámot már a(z) %2 kódú átvevő%3 kiadta.")
        .arg(number, holder.buyerCode, name);
}

void requireNumberFree(TData& data, const QString& number, const QString& exceptBuyer) {
    if (const auto holder = numberHolder(data, number, exceptBuyer)) {
        throw NumberTakenError(
            numberTakenText(number, *holder) +
            QStringLiteral(" A kezdő sorszámot az \"Évnyitás\" menüpontban kell megváltoztatni!"));
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

void deleteOrphanLines(TData& data, const QString& number) {
    Query& q = data.query("ZQ21");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("DELETE FROM Fjsor WHERE s_Bszam = :p1"));
    q.addSql(QStringLiteral("AND NOT EXISTS (SELECT 1 FROM FjFej WHERE f_bszam = :p1)"));
    q.bindText("p1", number);
    q.execSql();
}
