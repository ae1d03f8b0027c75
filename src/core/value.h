#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <cstdint>

// One value read from or bound to the database.
class Value {
public:
    enum class Kind : std::uint8_t { Null, Text, Integer, Decimal, Double, Date, Timestamp };

    Value() = default;
    static Value text(const QString& s);
    static Value integer(std::int64_t v);
    // An exact fixed-point number: scaled / 10^scale.
    static Value decimal(std::int64_t scaled, int scale);
    static Value real(double v);
    static Value date(QDate d);
    static Value timestamp(const QDateTime& t);

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }

    // "" for NULL, "yyyy.mm.dd" for dates, numbers in general form with "," (12,5 and 100).
    QString asText() const;
    // 0 for NULL; texts are parsed with "," or "." as decimal separator (ConversionError if not a
    // number).
    double asDouble() const;
    std::int64_t asInteger() const;
    QDate asDate() const;
    QVariant toVariant() const;

    std::int64_t scaled() const { return m_int; }
    int scale() const { return m_scale; }

private:
    // The day of a date or timestamp.
    QDate day() const { return m_kind == Kind::Date ? QDate::fromJulianDay(m_int) : m_time.date(); }

    Kind m_kind = Kind::Null;
    std::int8_t m_scale = 0;
    std::int64_t m_int = 0;  // also a date's Julian day
    double m_double = 0;
    QString m_text;
    QDateTime m_time;
};

// The text form of a number: general form, "," decimal separator, no trailing zeros.
QString numberText(double v);
// A whole number with its thousands separated by a blank, the Hungarian form, whatever the
// system's locale says ("1 234 567", "-1 234").
QString groupedIntegerText(std::int64_t v);
// Parses an amount typed with "," (or ".") as decimal separator; throws ConversionError.
double parseNumber(const QString& text);
// Parses "yyyy.mm.dd" (also "yyyy.m.d"); throws ConversionError.
QDate parseDate(const QString& text);
QString dateText(QDate d);
