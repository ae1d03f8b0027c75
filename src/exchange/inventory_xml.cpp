#include "exchange/inventory_xml.h"

#include "core/query.h"
#include "exchange/xml_escape.h"

namespace inventory {

void openCollection(Query& q, QDate from, QDate to, const QString& buyerCode) {
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "SELECT F_FELVKELT, S_BSZAM, S_TERMEKKOD, S_MEGNEVEZES, S_BIZONYLAT, S_BRUTTO, S_MEGY, "
        "S_EAR, S_FELVAR, S_VTSZ, O_KOD, O_NEV, O_HELYSEGNEV, O_UTCA, O_IRSZAM"));
    q.addSql(QStringLiteral("FROM fjsor"));
    q.addSql(QStringLiteral("LEFT JOIN fjfej ON F_BSZAM = S_BSZAM"));
    q.addSql(QStringLiteral("LEFT JOIN ostermelo ON O_KOD = F_OSTERMKOD"));
    q.addSql(QStringLiteral("LEFT JOIN termek ON T_KOD = S_TERMEKKOD"));
    q.addSql(QStringLiteral("WHERE (F_FELVKELT >= :p1 AND F_FELVKELT <= :p2) AND (S_AKOD = :p3)"));
    // The same rows in the same order on every run.
    q.addSql(QStringLiteral("ORDER BY F_FELVKELT, S_BSZAM, ID_FJSOR"));
    q.bindDate("p1", from);
    q.bindDate("p2", to);
    q.bindText("p3", buyerCode);
    q.open();
}

QString valueText(const Value& value, FieldType type) {
    switch (type) {
        case FieldType::Text: {
            const QString text = value.asText();
            return text.isEmpty() ? QStringLiteral("null") : text;
        }
        case FieldType::Integer:
        case FieldType::Decimal:
        case FieldType::Double:
            // Negative amounts are "0" for the inventory program.
            return !value.isNull() && value.asDouble() > 0 ? value.asText() : QStringLiteral("0");
        case FieldType::Date:
            return value.isNull() ? QStringLiteral("01.01.1900")
                                  : value.asDate().toString(QStringLiteral("MM.dd.yyyy"));
        case FieldType::Time:
            return value.isNull() ? QStringLiteral("00:00:00")
                                  : value.toVariant().toTime().toString(QStringLiteral("HH:mm:ss"));
        case FieldType::Timestamp:
            return value.isNull() ? QStringLiteral("01.01.1900 00:00:00")
                                  : value.toVariant().toDateTime().toString(
                                        QStringLiteral("MM.dd.yyyy HH:mm:ss"));
        case FieldType::Boolean:
            return value.asInteger() != 0 ? QStringLiteral("True") : QStringLiteral("False");
        case FieldType::Other:
            break;
    }
    return value.asText();
}

QByteArray document(Query& q) {
    QString xml = QStringLiteral("<fjegy_keszlethez>");
    QStringList names;
    for (int c = 0; c < q.fieldCount(); ++c) names << q.fieldName(c).toUpper();
    for (q.first(); !q.eof(); q.next()) {
        xml += QLatin1String("<Records>");
        const int row = q.recNo();
        for (int c = 0; c < names.size(); ++c) {
            xml += QLatin1Char('<') + names.at(c) + QLatin1Char('>');
            xml += xmlEscape(valueText(q.valueAt(row, c), q.fieldType(c)));
            xml += QLatin1String("</") + names.at(c) + QLatin1Char('>');
        }
        xml += QLatin1String("</Records>");
    }
    xml += QLatin1String("</fjegy_keszlethez>");
    return xml.toUtf8();
}

}  // namespace inventory
