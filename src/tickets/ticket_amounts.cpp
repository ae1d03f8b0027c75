#include "tickets/ticket_amounts.h"

#include <cmath>

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

double szjaWithheld(double szjaPercent, double ticketTotal) {
    return szjaPercent * ticketTotal / 100;
}

double memberContribution(double percent, double base) {
    return percent * base / 100;
}

std::int64_t payableAmount(double ticketTotal, double szja, double contribution, double deduction,
                           bool transfer) {
    const double net = roundHalfEven(ticketTotal - szja - contribution - deduction);
    if (transfer) return static_cast<std::int64_t>(net);
    return static_cast<std::int64_t>(roundHalfEven(net / 5)) * 5;
}

TicketAmounts ticketAmounts(double ticketTotal, double szjaPercent, double contributionPercent,
                            double deduction, bool transfer) {
    TicketAmounts a;
    a.ticketTotal = ticketTotal;
    a.szjaWithheld = szjaWithheld(szjaPercent, ticketTotal);
    a.memberContribution = memberContribution(contributionPercent, ticketTotal - a.szjaWithheld);
    a.deduction = deduction;
    a.payable =
        payableAmount(ticketTotal, a.szjaWithheld, a.memberContribution, deduction, transfer);
    return a;
}
