#include "validation/identifiers.h"

#include <QDate>
#include <cstddef>

#include "core/errors.h"

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isLatinLetter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

QString notAnInteger(const QString& text) {
    return QStringLiteral("'%1' nem érvényes egész szám.").arg(text);
}

// The digit at 1-based `position`, converted on its own; a missing or non-digit character is a
// conversion error.
int digitAt(const QString& text, int position) {
    const QString character = text.mid(position - 1, 1);
    if (character.isEmpty() || !isDigit(character[0]))
        throw ConversionError(notAnInteger(character));
    return character[0].unicode() - u'0';
}

// Weighted sum of the digits at positions 1 .. weights.size().
template <std::size_t N>
int weightedSum(const QString& text, const int (&weights)[N]) {
    int sum = 0;
    for (std::size_t i = 0; i < N; ++i) sum += digitAt(text, int(i) + 1) * weights[i];
    return sum;
}

bool allDigits(const QString& text, int from, int to) {
    for (int i = from; i <= to; ++i)
        if (!isDigit(text[i - 1])) return false;
    return true;
}

// The common shape of the OCSG and NÉBIH numbers: a fixed 5-character prefix in upper or lower
// case, then digits up to `length`.
QString prefixedNumber(const QString& text, int length, const QString& upper) {
    if (text.size() != length) return QStringLiteral("1");
    const QString prefix = text.left(5);
    bool valid = prefix == upper || prefix == upper.toLower();
    if (!allDigits(text, 6, length)) valid = false;
    return valid ? QStringLiteral("0") : QStringLiteral("1");
}

}  // namespace

bool AdoazonEllenorzes(const QString& adoazon) {
    static const int weights[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const int remainder = weightedSum(adoazon, weights) % 11;
    // A remainder of 10 can never equal one digit, so such a number is always invalid.
    return digitAt(adoazon, 10) == remainder;
}

bool AdoszamEllenorzes(const QString& adoszam) {
    static const int weights[] = {9, 7, 3, 1, 9, 7, 3};
    const int lastDigit = weightedSum(adoszam, weights) % 10;
    return (10 - lastDigit) % 10 == digitAt(adoszam, 8);
}

bool TAJEllenorzes(const QString& taj) {
    static const int weights[] = {3, 7, 3, 7, 3, 7, 3, 7};
    return weightedSum(taj, weights) % 10 == digitAt(taj, 9);
}

QString felir(const QString& text) {
    if (text.size() != 9) return QStringLiteral("1");
    const bool valid = isLatinLetter(text[0]) && isLatinLetter(text[1]) && allDigits(text, 3, 9);
    return valid ? QStringLiteral("0") : QStringLiteral("1");
}

QString ocsg(const QString& text) {
    return prefixedNumber(text, 13, QStringLiteral("OCSG-"));
}

QString nebih(const QString& text) {
    return prefixedNumber(text, 15, QStringLiteral("NEBIH"));
}

int daysSince1867(const QString& date) {
    const QDate day = QDate::fromString(date, QStringLiteral("yyyy.MM.dd"));
    if (!day.isValid()) throw ConversionError(QStringLiteral("'%1' nem érvényes dátum.").arg(date));
    return int(qAbs(QDate(1867, 1, 1).daysTo(day)));
}

bool ElteltNapEllenorzes(const QString& adoazon, const QString& birthDate) {
    // Five characters read as one whole number: a leading sign is part of it, so "-1234" is a
    // number that simply never matches a day count.
    const QString encoded = adoazon.mid(1, 5);
    const int digitsFrom = encoded.startsWith(u'-') || encoded.startsWith(u'+') ? 2 : 1;
    if (encoded.size() < digitsFrom || !allDigits(encoded, digitsFrom, int(encoded.size())))
        throw ConversionError(notAnInteger(encoded));
    return daysSince1867(birthDate) - encoded.toInt() == 0;
}

NameParts ujnev(const QString& name) {
    NameParts parts;
    const qsizetype blank = name.lastIndexOf(u' ');
    if (blank < 0) {
        parts.given = name;
        return parts;
    }
    parts.family = name.left(blank + 1);
    parts.given = name.mid(blank + 1);
    return parts;
}

QString XMLdatum(const QString& date) {
    return date.mid(0, 4) + u'-' + date.mid(5, 2) + u'-' + date.mid(8, 2);
}
