#include "tickets/amount_in_words.h"

#include <gtest/gtest.h>

#include <limits>

TEST(AmountInWords, WritesTheAmountWithGroupSuffixesAndTrailingSpace) {
    struct Case {
        int amount;
        const char* words;
    };
    const Case cases[] = {
        {0, "nulla"},
        {5, "öt "},
        {10, "tíz "},
        {11, "tizenegy "},
        {12, "tizenkettö "},
        {20, "húsz "},
        {21, "huszonegy "},
        {30, "harminc "},
        {100, "száz "},
        {110, "száztíz "},
        {120, "százhúsz "},
        {200, "kettöszáz "},
        {999, "kilencszázkilencvenkilenc "},
        {1000, "egyezer-"},
        {1005, "egyezer-öt "},
        {1235, "egyezer-kettöszázharmincöt "},
        {8330, "nyolcezer-háromszázharminc "},
        {25300, "huszonötezer-háromszáz "},
        {100000, "százezer-"},
        {1000000, "egymillió-"},
        {1001000, "egymillió-egyezer-"},
        {2000010, "kettömillió-tíz "},
        {1000000000, "egymilliárd-"},
        {-15, "mínusz tizenöt "},
        {-1000, "mínusz egyezer-"},
        {std::numeric_limits<int>::max(),
         "kettömilliárd-száznegyvenhétmillió-négyszáznyolcvanháromezer-hatszáznegyvenhét "},
        // never a payable amount, but its absolute value must not overflow
        {std::numeric_limits<int>::min(),
         "mínusz "
         "kettömilliárd-száznegyvenhétmillió-négyszáznyolcvanháromezer-hatszáznegyvennyolc "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(amountInWords(c.amount), QString::fromUtf8(c.words));
    }
}
