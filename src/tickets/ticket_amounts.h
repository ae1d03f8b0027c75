#pragma once

#include <QString>
#include <cstdint>

// The money arithmetic of a purchase ticket, shared by the ticket entry and the ticket print.
// Pure functions: no widgets, no database. Intermediate amounts are not rounded; only the
// payable amount is, with R (nearest whole number, halves to the even neighbour) and, for cash,
// again to a multiple of 5.

// R: 2.5 → 2, 3.5 → 4, -2.5 → -2.
double roundHalfEven(double value);

// SZJA withheld: percent × ticket total / 100.
double szjaWithheld(double szjaPercent, double ticketTotal);
// Member contribution: percent × base / 100. The entry screen's base is ticket total − SZJA
// withheld; the print of some variants uses another base.
double memberContribution(double percent, double base);
// Transfer: R(total − SZJA − contribution − deduction); cash: R(R(that) / 5) × 5.
std::int64_t payableAmount(double ticketTotal, double szja, double contribution, double deduction,
                           bool transfer);

struct TicketAmounts {
    double ticketTotal = 0;
    double szjaWithheld = 0;
    double memberContribution = 0;
    double deduction = 0;
    std::int64_t payable = 0;
    // The payable amount as the decimal text of a whole number ("1235", "-40").
    QString payableText() const { return QString::number(payable); }
};

// The amounts of the entry screen's rule (member contribution on the total less SZJA).
TicketAmounts ticketAmounts(double ticketTotal, double szjaPercent, double contributionPercent,
                            double deduction, bool transfer);
