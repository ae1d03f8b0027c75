#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

class Query;
class Value;
enum class FieldType;

// The inventory transfer XML "fjegy_keszlethez.xml" that a separate inventory program reads.
namespace inventory {

inline const QString fileName = QStringLiteral("fjegy_keszlethez.xml");

// Rewrites `q` as the collection of the buyer's ticket lines purchased in the period and opens
// it; rows of one day come by document number and line.
void openCollection(Query& q, QDate from, QDate to, const QString& buyerCode);

// A value as the inventory program expects it, decided by the column's type: texts unchanged
// ("null" when empty), numbers above 0 in general form with "," ("0" otherwise), dates
// month first ("01.01.1900" for NULL).
QString valueText(const Value& value, FieldType type);

// The document of every row of `q` from its first: no declaration, no whitespace, UTF-8.
QByteArray document(Query& q);

}  // namespace inventory
