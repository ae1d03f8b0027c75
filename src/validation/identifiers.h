#pragma once

#include <QString>

// Formal checks of the Hungarian identifiers a producer carries, and two text helpers of the
// exports. Pure functions: they show nothing and keep no state. The check-digit functions do not
// test the length of their argument (callers do); a non-digit where a digit is read throws
// ConversionError naming the offending character.

// Tax identification number of a private person: check digit at position 10.
bool AdoazonEllenorzes(const QString& adoazon);
// Tax number: the check digit at position 8 of the 8-digit base number.
bool AdoszamEllenorzes(const QString& adoszam);
// Social security number: check digit at position 9.
bool TAJEllenorzes(const QString& taj);

// Verdicts as the one-character slot texts: "0" valid, "1" invalid. They never throw.
QString felir(const QString& text);  // 2 letters A-Z/a-z, then 7 digits
QString ocsg(const QString& text);   // "OCSG-" or "ocsg-", then 8 digits
QString nebih(const QString& text);  // "NEBIH" or "nebih", then 10 digits

// Positions 2 to 6 of the tax identification number against the days from 1867.01.01 to the
// birth date "yyyy.mm.dd"; throws ConversionError when either does not convert.
bool ElteltNapEllenorzes(const QString& adoazon, const QString& birthDate);
// Days between 1867.01.01 and `date` ("yyyy.mm.dd"), without sign; throws ConversionError.
int daysSince1867(const QString& date);

// A person's name split at its last blank.
struct NameParts {
    QString family = QStringLiteral(" ");  // up to and including the last blank
    QString given = QStringLiteral(" ");   // after the last blank
};
// A name without a blank keeps the family part a single blank and gives the whole name as the
// given part.
NameParts ujnev(const QString& name);

// "yyyy.mm.dd" → "yyyy-mm-dd".
QString XMLdatum(const QString& date);

// The verdict slots for callers that test a verdict after the call, the way the checks were
// first used: each slot keeps the last verdict of its own check until the next call of it.
class IdentifierSlots {
public:
    const QString& felir(const QString& text) { return m_felir = ::felir(text); }
    const QString& ocsg(const QString& text) { return m_ocsg = ::ocsg(text); }
    const QString& nebih(const QString& text) { return m_nebih = ::nebih(text); }
    void ujnev(const QString& name) { m_name = ::ujnev(name); }

    const QString& felirVerdict() const { return m_felir; }
    const QString& ocsgVerdict() const { return m_ocsg; }
    const QString& nebihVerdict() const { return m_nebih; }
    const QString& familyName() const { return m_name.family; }
    const QString& givenName() const { return m_name.given; }

private:
    QString m_felir;  // empty until the first call
    QString m_ocsg;
    QString m_nebih;
    NameParts m_name;
};
