#include "maintenance/table_columns.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "core/database.h"
#include "core/guard.h"
#include "core/win1250.h"

namespace {
// Firebird's codes for the declared types (RDB$FIELDS.RDB$FIELD_TYPE).
enum FieldTypeCode {
    smallintType = 7,
    integerType = 8,
    floatType = 10,
    dateType = 12,
    charType = 14,
    bigintType = 16,
    doubleType = 27,
    varcharType = 37,
    blobType = 261,
};

TableColumn describe(const Cursor& row) {
    TableColumn c;
    c.name = row.current(0).asText().trimmed();
    const int type = static_cast<int>(row.current(1).asInteger());
    const int subType = static_cast<int>(row.current(2).asInteger());
    const int scale = -static_cast<int>(row.current(3).asInteger());
    c.computed = row.current(6).asInteger() != 0;
    c.identity = row.current(7).asInteger() != 0;
    switch (type) {
        case charType:
        case varcharType:
            c.kind = TableColumn::Kind::Text;
            c.length = static_cast<int>(row.current(5).asInteger());
            break;
        case blobType:
            if (subType == 1) c.kind = TableColumn::Kind::Text;  // text blob: no width of its own
            break;
        case smallintType:
        case integerType:
        case bigintType:
            if (scale > 0) {
                c.kind = TableColumn::Kind::Decimal;
                c.scale = scale;
                const int declared = static_cast<int>(row.current(4).asInteger());
                c.precision = declared > 0 ? declared
                                           : (type == bigintType    ? 18
                                              : type == integerType ? 9
                                                                    : 4);
            } else {
                c.kind = TableColumn::Kind::Integer;
                c.minimum = type == smallintType  ? std::numeric_limits<qint16>::min()
                            : type == integerType ? std::numeric_limits<qint32>::min()
                                                  : std::numeric_limits<qint64>::min();
                c.maximum = type == smallintType  ? std::numeric_limits<qint16>::max()
                            : type == integerType ? std::numeric_limits<qint32>::max()
                                                  : std::numeric_limits<qint64>::max();
            }
            break;
        case floatType:
        case doubleType:
            c.kind = TableColumn::Kind::Real;
            break;
        case dateType:
            c.kind = TableColumn::Kind::Date;
            break;
        default:
            break;  // time, timestamp, boolean, binary blobs: shown, never written here
    }
    return c;
}

QString refusal(const TableColumn& c, const QString& what, const QString& text) {
    return QStringLiteral("A(z) \"%1\" mező %2: \"%3\". Kérem javítsa!").arg(c.name, what, text);
}

// A number with at most `scale` decimals and `precision` digits in all, as its scaled whole
// value; "," or "." separates the decimals.
QString toDecimal(const TableColumn& c, const QString& text, Value* value) {
    static const QRegularExpression form(QStringLiteral("^([+-]?)(\\d*)(?:[.,](\\d*))?$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch m = form.match(trimmed);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return refusal(c, QStringLiteral("tartalma nem szám"), text);
    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.startsWith('0')) whole.remove(0, 1);
    QString decimals = m.captured(3);
    while (decimals.endsWith('0')) decimals.chop(1);
    if (decimals.size() > c.scale)
        return refusal(c, QStringLiteral("legfeljebb %1 tizedesjegyet fogad el").arg(c.scale),
                       text);
    if (whole.size() > c.precision - c.scale && whole != QStringLiteral("0"))
        return refusal(c, QStringLiteral("ekkora számot nem fogad el"), text);
    const QString digits = (whole.isEmpty() ? QStringLiteral("0") : whole) +
                           decimals.leftJustified(c.scale, QLatin1Char('0'));
    bool ok = false;
    qint64 scaled = digits.toLongLong(&ok);
    if (!ok) return refusal(c, QStringLiteral("ekkora számot nem fogad el"), text);
    if (m.captured(1) == QStringLiteral("-")) scaled = -scaled;
    *value = Value::decimal(scaled, c.scale);
    return {};
}
}  // namespace

QList<TableColumn> readTableColumns(Database& db, const QString& table) {
    std::unique_ptr<Cursor> rows = db.open(
        QStringLiteral(
            "SELECT rf.RDB$FIELD_NAME, f.RDB$FIELD_TYPE, f.RDB$FIELD_SUB_TYPE, f.RDB$FIELD_SCALE, "
            "f.RDB$FIELD_PRECISION, f.RDB$CHARACTER_LENGTH, "
            "CASE WHEN f.RDB$COMPUTED_BLR IS NULL THEN 0 ELSE 1 END, "
            "CASE WHEN rf.RDB$IDENTITY_TYPE IS NULL THEN 0 ELSE 1 END "
            "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = "
            "rf.RDB$FIELD_SOURCE "
            "WHERE rf.RDB$RELATION_NAME = ? ORDER BY rf.RDB$FIELD_POSITION"),
        {Value::text(table)});
    QList<TableColumn> columns;
    while (rows->next()) columns << describe(*rows);
    rows->close();
    return columns;
}

QString toColumnValue(const TableColumn& c, const QString& text, Value* value) {
    if (!c.editable()) return QStringLiteral("A(z) \"%1\" mező nem módosítható.").arg(c.name);
    if (c.kind == TableColumn::Kind::Text) {
        if (c.length > 0 && text.size() > c.length)
            return QStringLiteral(
                       "A(z) \"%1\" mező legfeljebb %2 karakteres, a beírt szöveg %3 karakter. "
                       "Kérem javítsa!")
                .arg(c.name)
                .arg(c.length)
                .arg(text.size());
        if (!win1250::canEncode(text))
            return QStringLiteral(
                       "A(z) \"%1\" mező olyan karaktert tartalmaz (%2), amely nem tárolható az "
                       "adatbázisban. Kérem javítsa!")
                .arg(c.name, QString(win1250::firstUnencodable(text)));
        *value = Value::text(text);
        return {};
    }
    if (text.trimmed().isEmpty()) {
        *value = Value();
        return {};
    }
    switch (c.kind) {
        case TableColumn::Kind::Integer: {
            static const QRegularExpression wholeForm(QStringLiteral("^[+-]?\\d+$"));
            if (!wholeForm.match(text.trimmed()).hasMatch())
                return refusal(c, QStringLiteral("tartalma nem egész szám"), text);
            bool ok = false;
            const qint64 n = text.trimmed().toLongLong(&ok);
            if (!ok || n < c.minimum || n > c.maximum)
                return refusal(c, QStringLiteral("ekkora egész számot nem fogad el"), text);
            *value = Value::integer(n);
            return {};
        }
        case TableColumn::Kind::Decimal:
            return toDecimal(c, text, value);
        case TableColumn::Kind::Real: {
            double n = 0;
            if (!guardQuietly([&] { n = parseNumber(text); }) || !std::isfinite(n))
                return refusal(c, QStringLiteral("tartalma nem szám"), text);
            *value = Value::real(n);
            return {};
        }
        case TableColumn::Kind::Date: {
            QDate d;
            if (!guardQuietly([&] { d = parseDate(text.trimmed()); }) || !d.isValid())
                return refusal(c, QStringLiteral("tartalma nem dátum (éééé.hh.nn)"), text);
            *value = Value::date(d);
            return {};
        }
        default:
            return QStringLiteral("A(z) \"%1\" mező nem módosítható.").arg(c.name);
    }
}

AccessLevel accessLevelOf(const QString& code) {
    // The codes are kept as salted digests so they do not stand in the program file as plain
    // text. This only hides them from a casual look; anyone who can run the program can edit
    // the database file directly, so it is no security.
    static const QByteArray salt = QByteArrayLiteral("termaro/karbantartas/2006");
    static const QByteArray fiveTables =
        QByteArrayLiteral("aa60758a4353f915597d4cbf5891f80123f3e12441ef541757aa392627b3d4e3");
    static const QByteArray allTables =
        QByteArrayLiteral("d60e34284e8322c72455341082596d52a31d19f46c3ead2c5119909cde470657");
    const QByteArray digest =
        QCryptographicHash::hash(salt + code.toUtf8(), QCryptographicHash::Sha256).toHex();
    if (digest == fiveTables) return AccessLevel::FiveTables;
    if (digest == allTables) return AccessLevel::AllTables;
    return AccessLevel::None;
}
