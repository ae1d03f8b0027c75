#include "core/value.h"

#include <QRegularExpression>
#include <cmath>

#include "core/errors.h"

namespace {
std::int64_t pow10(int n) {
    std::int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}
}  // namespace

Value Value::text(const QString& s) {
    Value v;
    v.m_kind = Kind::Text;
    v.m_text = s;
    return v;
}

Value Value::integer(std::int64_t i) {
    Value v;
    v.m_kind = Kind::Integer;
    v.m_int = i;
    return v;
}

Value Value::decimal(std::int64_t scaled, int scale) {
    Value v;
    v.m_kind = Kind::Decimal;
    v.m_int = scaled;
    v.m_scale = static_cast<std::int8_t>(scale);
    return v;
}

Value Value::real(double d) {
    Value v;
    v.m_kind = Kind::Double;
    v.m_double = d;
    return v;
}

Value Value::date(QDate d) {
    if (!d.isValid()) return {};
    Value v;
    v.m_kind = Kind::Date;
    v.m_int = d.toJulianDay();  // a date-time in local time costs a time zone look-up per value
    return v;
}

Value Value::timestamp(const QDateTime& t) {
    if (!t.isValid()) return {};
    Value v;
    v.m_kind = Kind::Timestamp;
    v.m_time = t;
    return v;
}

QString Value::asText() const {
    switch (m_kind) {
        case Kind::Null:
            return {};
        case Kind::Text:
            return m_text;
        case Kind::Integer:
            return QString::number(m_int);
        case Kind::Decimal: {
            if (m_scale == 0) return QString::number(m_int);
            const std::int64_t p = pow10(m_scale);
            const bool negative = m_int < 0;
            const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(m_int)
                                                     : static_cast<std::uint64_t>(m_int);
            QString whole = QString::number(magnitude / static_cast<std::uint64_t>(p));
            QString frac = QString::number(magnitude % static_cast<std::uint64_t>(p))
                               .rightJustified(m_scale, '0');
            while (frac.endsWith('0')) frac.chop(1);
            QString s = negative ? "-" + whole : whole;
            if (!frac.isEmpty()) s += ',' + frac;
            return s;
        }
        case Kind::Double:
            return numberText(m_double);
        case Kind::Date:
            return dateText(day());
        case Kind::Timestamp:
            return dateText(m_time.date()) + m_time.toString(QStringLiteral(" hh:mm:ss"));
    }
    return {};
}

double Value::asDouble() const {
    switch (m_kind) {
        case Kind::Null:
            return 0;
        case Kind::Text:
            return m_text.trimmed().isEmpty() ? 0 : parseNumber(m_text);
        case Kind::Integer:
            return static_cast<double>(m_int);
        case Kind::Decimal:
            return static_cast<double>(m_int) / static_cast<double>(pow10(m_scale));
        case Kind::Double:
            return m_double;
        case Kind::Date:
        case Kind::Timestamp:
            // Days since 1899.12.30, as the date's numeric value.
            return static_cast<double>(QDate(1899, 12, 30).daysTo(day()));
    }
    return 0;
}

std::int64_t Value::asInteger() const {
    switch (m_kind) {
        case Kind::Integer:
            return m_int;
        case Kind::Decimal:
            return m_int / pow10(m_scale);
        default:
            return static_cast<std::int64_t>(std::llround(asDouble()));
    }
}

QDate Value::asDate() const {
    switch (m_kind) {
        case Kind::Null:
            return {};
        case Kind::Date:
        case Kind::Timestamp:
            return day();
        case Kind::Text:
            return m_text.trimmed().isEmpty() ? QDate() : parseDate(m_text);
        default:
            throw ConversionError(QStringLiteral("A(z) '%1' érték nem dátum.").arg(asText()));
    }
}

QVariant Value::toVariant() const {
    switch (m_kind) {
        case Kind::Null:
            return {};
        case Kind::Text:
            return m_text;
        case Kind::Integer:
            return QVariant::fromValue<qlonglong>(m_int);
        case Kind::Decimal:
        case Kind::Double:
            return asDouble();
        case Kind::Date:
            return day();
        case Kind::Timestamp:
            return m_time;
    }
    return {};
}

QString numberText(double v) {
    if (v == 0) return QStringLiteral("0");
    QString s = QString::number(v, 'g', 15);
    s.replace('.', ',');
    return s;
}

QString groupedIntegerText(std::int64_t v) {
    const QString digits = QString::number(v).remove('-');
    QString out = v < 0 ? QStringLiteral("-") : QString();
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ' ';
        out += digits.at(i);
    }
    return out;
}

double parseNumber(const QString& text) {
    QString t = text.trimmed();
    t.replace(',', '.');
    static const QRegularExpression number(
        QStringLiteral(R"(^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$)"));
    if (!number.match(t).hasMatch()) {
        throw ConversionError(QStringLiteral("'%1' nem érvényes szám.").arg(text));
    }
    return t.toDouble();
}

QDate parseDate(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*(\d{4})\.(\d{1,2})\.(\d{1,2})\.?\s*$)"));
    const auto m = form.match(text);
    QDate d;
    if (m.hasMatch())
        d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid()) throw ConversionError(QStringLiteral("'%1' nem érvényes dátum.").arg(text));
    return d;
}

QString dateText(QDate d) {
    return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
}
