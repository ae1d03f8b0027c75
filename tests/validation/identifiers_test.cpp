#include "validation/identifiers.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace {

struct CheckCase {
    const char* text;
    bool valid;
};

template <class Check>
void expectVerdicts(Check check, std::initializer_list<CheckCase> cases) {
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(check(QString::fromUtf8(c.text)), c.valid);
    }
}

// The conversion error names the character that is not a digit.
template <class Check>
void expectConversionError(Check check, const char* text, const QString& expected) {
    SCOPED_TRACE(text);
    try {
        check(QString::fromUtf8(text));
        ADD_FAILURE() << "no conversion error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.text(), expected);
    }
}

}  // namespace

TEST(AdoazonEllenorzes, ChecksTheTenthDigitAgainstTheWeightedSumModulo11) {
    expectVerdicts(AdoazonEllenorzes, {
                                          {"8414071236", true},
                                          {"8414071235", false},
                                          {"8414071237", false},
                                          {"8414071230", false},
                                          {"8414071239", false},
                                          {"8414071226", false},  // a body digit changed
                                          {"0000000000", true},
                                          {"8414071236xyz", true},  // beyond position 10 ignored
                                      });
}

TEST(AdoazonEllenorzes, RemainderTenIsRejectedWhateverTheTenthDigit) {
    // 8·1 + 4·2 + 1·3 + 4·4 + 0·5 + 7·6 + 1·7 + 2·8 + 1·9 = 109 = 9·11 + 10
    for (int check = 0; check <= 9; ++check) {
        const QString number = QStringLiteral("841407121") + QString::number(check);
        EXPECT_FALSE(AdoazonEllenorzes(number)) << number.toStdString();
    }
}

TEST(AdoszamEllenorzes, ChecksTheEighthDigitAgainstTheWeightedSum) {
    expectVerdicts(AdoszamEllenorzes, {
                                          {"12345676142", true},
                                          {"12345675142", false},
                                          {"12345677142", false},
                                          {"22345676142", false},
                                          {"12345676-1-42", true},  // only 8 positions are read
                                          {"12345676", true},
                                          // sum 10 ends in 0: only check digit 0 passes
                                          {"10010000", true},
                                          {"10010001", false},
                                          // sum 9: check digit 1, so 0 fails
                                          {"10000001", true},
                                          {"10000000", false},
                                      });
}

TEST(TAJEllenorzes, ChecksTheNinthDigitAgainstTheWeightedSumModulo10) {
    expectVerdicts(TAJEllenorzes, {
                                      {"123456788", true},
                                      {"123456787", false},
                                      {"123456789", false},
                                      {"123456780", false},
                                      {"223456788", false},
                                      {"000000000", true},
                                  });
}

TEST(CheckDigits, ANonDigitIsAConversionErrorNamingTheCharacter) {
    expectConversionError(AdoazonEllenorzes, "84140x1236",
                          QStringLiteral("'x' nem érvényes egész szám."));
    expectConversionError(AdoazonEllenorzes, "841407123 ",
                          QStringLiteral("' ' nem érvényes egész szám."));
    expectConversionError(AdoszamEllenorzes, "1234567-",
                          QStringLiteral("'-' nem érvényes egész szám."));
    expectConversionError(AdoszamEllenorzes, "É2345676142",
                          QStringLiteral("'É' nem érvényes egész szám."));
    expectConversionError(TAJEllenorzes, "123 456 788",
                          QStringLiteral("' ' nem érvényes egész szám."));
    // A caller that skipped the length test gets the error for the missing position, not a crash.
    expectConversionError(TAJEllenorzes, "12345678", QStringLiteral("'' nem érvényes egész szám."));
}

TEST(FormatVerdicts, FelirOcsgNebihGiveZeroForValidAndOneForInvalid) {
    struct VerdictCase {
        QString (*check)(const QString&);
        const char* text;
        const char* verdict;
    };
    const VerdictCase cases[] = {
        {felir, "AB1234567", "0"},
        {felir, "ab1234567", "0"},
        {felir, "aZ0000000", "0"},
        {felir, "A11234567", "1"},
        {felir, "ÁB1234567", "1"},
        {felir, "AB123456", "1"},
        {felir, "AB12345678", "1"},  // length decides without looking at the characters
        {felir, "AB123 567", "1"},
        {felir, "AB12345x7", "1"},
        {felir, "", "1"},
        {ocsg, "OCSG-12345678", "0"},
        {ocsg, "ocsg-12345678", "0"},
        {ocsg, "Ocsg-12345678", "1"},
        {ocsg, "OCSG 12345678", "1"},
        {ocsg, "OCSG-1234567 ", "1"},
        {ocsg, "OCSG-1234567", "1"},
        {ocsg, "OCSG-123456789", "1"},
        {nebih, "NEBIH1234567890", "0"},
        {nebih, "nebih1234567890", "0"},
        {nebih, "Nebih1234567890", "1"},
        {nebih, "NÉBIH1234567890", "1"},
        {nebih, "NEBIH123456789", "1"},
        {nebih, "NEBIH123456789x", "1"},
    };
    for (const VerdictCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.check(QString::fromUtf8(c.text)), QString::fromUtf8(c.verdict));
    }
}

TEST(ElteltNapEllenorzes, ComparesPositionsTwoToSixWithTheDaysSince1867) {
    EXPECT_EQ(daysSince1867(QStringLiteral("1980.05.15")), 41407);
    EXPECT_EQ(daysSince1867(QStringLiteral("1866.12.31")), 1);  // taken without sign

    struct DayCase {
        const char* adoazon;
        const char* birthDate;
        bool valid;
    };
    const DayCase cases[] = {
        {"8414071236", "1980.05.15", true},
        {"8414071236", "1980.05.16", false},
        {"8414081236", "1980.05.15", false},
        {"1000001234", "1867.01.01", true},
        {"1000011234", "1866.12.31", true},
        // a signed number converts and just does not match
        {"8-00011236", "1866.12.31", false},
        {"8+00011236", "1866.12.31", true},
    };
    for (const DayCase& c : cases) {
        SCOPED_TRACE(c.adoazon);
        EXPECT_EQ(ElteltNapEllenorzes(QString::fromUtf8(c.adoazon), QString::fromUtf8(c.birthDate)),
                  c.valid);
    }
}

TEST(ElteltNapEllenorzes, AFaultyNumberOrDateIsAConversionError) {
    EXPECT_THROW(ElteltNapEllenorzes(QStringLiteral("84a4071236"), QStringLiteral("1980.05.15")),
                 ConversionError);
    EXPECT_THROW(ElteltNapEllenorzes(QStringLiteral("8"), QStringLiteral("1980.05.15")),
                 ConversionError);
    EXPECT_THROW(ElteltNapEllenorzes(QStringLiteral("8-"), QStringLiteral("1980.05.15")),
                 ConversionError);
    EXPECT_THROW(ElteltNapEllenorzes(QStringLiteral("8414071236"), QStringLiteral("1980.02.30")),
                 ConversionError);
    EXPECT_THROW(ElteltNapEllenorzes(QStringLiteral("8414071236"), QString()), ConversionError);
}

TEST(Ujnev, SplitsAtTheLastBlankKeepingItInTheFamilyPart) {
    struct NameCase {
        const char* name;
        const char* family;
        const char* given;
    };
    const NameCase cases[] = {
        {"Kovács János", "Kovács ", "János"},
        {"Nagy Kovács Anna", "Nagy Kovács ", "Anna"},
        {"Kovács  János", "Kovács  ", "János"},
        {"Kovács ", "Kovács ", ""},
        {"Kovács", " ", "Kovács"},
        {"", " ", ""},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const NameParts parts = ujnev(QString::fromUtf8(c.name));
        EXPECT_EQ(parts.family, QString::fromUtf8(c.family));
        EXPECT_EQ(parts.given, QString::fromUtf8(c.given));
    }
}

TEST(XMLdatum, PutsHyphensInPlaceOfThePoints) {
    EXPECT_EQ(XMLdatum(QStringLiteral("2024.03.05")), QStringLiteral("2024-03-05"));
}

TEST(IdentifierSlots, EachSlotKeepsTheLastVerdictOfItsOwnCheck) {
    IdentifierSlots slots;
    EXPECT_EQ(slots.felir(QStringLiteral("AB1234567")), QStringLiteral("0"));
    EXPECT_EQ(slots.ocsg(QStringLiteral("Ocsg-12345678")), QStringLiteral("1"));
    EXPECT_EQ(slots.felirVerdict(), QStringLiteral("0"));
    EXPECT_EQ(slots.felir(QStringLiteral("AB123")), QStringLiteral("1"));
    EXPECT_EQ(slots.felirVerdict(), QStringLiteral("1"));
    EXPECT_EQ(slots.ocsgVerdict(), QStringLiteral("1"));
    EXPECT_EQ(slots.nebih(QStringLiteral("nebih1234567890")), QStringLiteral("0"));

    slots.ujnev(QStringLiteral("Nagy Anna"));
    EXPECT_EQ(slots.familyName(), QStringLiteral("Nagy "));
    EXPECT_EQ(slots.givenName(), QStringLiteral("Anna"));
}
