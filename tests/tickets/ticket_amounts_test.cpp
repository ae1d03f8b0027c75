#include "tickets/ticket_amounts.h"

#include <gtest/gtest.h>

#include "core/errors.h"
#include "tickets/numbering.h"

TEST(TicketAmounts, RoundsHalvesToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {
        {2.5, 2},       {3.5, 4},    {-2.5, -2},  {-3.5, -4}, {1232.5, 1232},
        {1233.5, 1234}, {2.4999, 2}, {2.5001, 3}, {-0.4, 0},  {0, 0}};
    for (const auto& [value, rounded] : cases) EXPECT_EQ(roundHalfEven(value), rounded) << value;
}

TEST(TicketAmounts, PayableByTheEntryRule) {
    struct Case {
        double total, szjaPercent, contributionPercent, deduction;
        bool transfer;
        double szja, contribution;
        std::int64_t payable;
    };
    const Case cases[] = {
        {10000, 15, 0, 0, true, 1500, 0, 8500},
        {10000, 15, 0, 0, false, 1500, 0, 8500},
        {1234, 0, 0, 0, false, 0, 0, 1235},  // 1234 / 5 = 246.8 → 247 × 5
        {1234, 0, 0, 0, true, 0, 0, 1234},
        {1232.5, 0, 0, 0, true, 0, 0, 1232},  // half to even
        {1233.5, 0, 0, 0, true, 0, 0, 1234},
        {1232, 0, 0, 0, false, 0, 0, 1230},    // 246.4 → 246
        {1237.5, 0, 0, 0, false, 0, 0, 1240},  // R(1237.5) = 1238, 247.6 → 248
        {10000, 15, 2, 0, true, 1500, 170, 8330},
        {10000, 15, 2, 0, false, 1500, 170, 8330},
        {1000, 0, 0, 1500, true, 0, 0, -500},    // deduction beyond the total
        {1000, 0, 0, 1512.5, true, 0, 0, -512},  // -512.5 → -512
        {1000, 0, 0, 1512, false, 0, 0, -510},   // -102.4 → -102
    };
    for (const Case& c : cases) {
        const TicketAmounts a =
            ticketAmounts(c.total, c.szjaPercent, c.contributionPercent, c.deduction, c.transfer);
        SCOPED_TRACE(testing::Message() << c.total << (c.transfer ? " transfer" : " cash"));
        EXPECT_DOUBLE_EQ(a.ticketTotal, c.total);
        EXPECT_DOUBLE_EQ(a.szjaWithheld, c.szja);
        EXPECT_DOUBLE_EQ(a.memberContribution, c.contribution);
        EXPECT_DOUBLE_EQ(a.deduction, c.deduction);
        EXPECT_EQ(a.payable, c.payable);
        EXPECT_EQ(a.payableText(), QString::number(c.payable));
    }
}

TEST(TicketAmounts, IntermediateAmountsStayUnrounded) {
    // 7 % of 1 234,5 is 86,415: nothing is rounded before the payable amount.
    const TicketAmounts a = ticketAmounts(1234.5, 7, 3, 0.5, true);
    EXPECT_DOUBLE_EQ(a.szjaWithheld, 86.415);
    EXPECT_DOUBLE_EQ(a.memberContribution, 3 * (1234.5 - 86.415) / 100);
    EXPECT_EQ(a.payable, 1113);  // R(1 113,14245)
    // The print's other contribution bases go through the same building blocks.
    EXPECT_DOUBLE_EQ(memberContribution(2, 10000), 200);
    EXPECT_EQ(payableAmount(11200, 0, 200, 0, true), 11000);
}

TEST(Numbering, NextNumberIsTheTrimmedLastPlusOne) {
    EXPECT_EQ(numberAfter(QStringLiteral("20240000")), QStringLiteral("20240001"));
    EXPECT_EQ(numberAfter(QStringLiteral(" 24000009 ")), QStringLiteral("24000010"));
    EXPECT_EQ(numberAfter(QStringLiteral("99999999")), QStringLiteral("100000000"));
    EXPECT_EQ(numberAfter(QStringLiteral("00000041")), QStringLiteral("42"));  // no leading zeros
    EXPECT_THROW(numberAfter(QString()), ConversionError);
    EXPECT_THROW(numberAfter(QStringLiteral("2024A000")), ConversionError);
}
