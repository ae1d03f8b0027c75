#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>

class App;

// The amounts a printed ticket states, recomputed from its stored header and line sums.
struct PrintedAmounts {
    double far = 0;          // sum of the lines' S_FELVAR
    double kar = 0;          // sum of the lines' S_KOMPFELAR
    double ticketTotal = 0;  // sum of the lines' S_VETELAR
    double szjaPercent = 0;
    double szjaWithheld = 0;
    double contributionPercent = 0;
    double memberContribution = 0;
    double deduction = 0;
    std::int64_t payable = 0;
};

// The entry screen's arithmetic, except for the base of the member contribution, which the
// print variant chooses: "L" the purchase price without surcharge (far), "O" the ticket total,
// any other the ticket total less the SZJA withheld.
PrintedAmounts printedAmounts(double far, double kar, double ticketTotal, double szjaPercent,
                              double contributionPercent, double deduction, bool transfer,
                              const QString& printVariant);

// What the ticket document says besides the stored fields, as report variables: the amounts
// (numbers), the payable amount in figures and in words, the payment block (cash receipt or
// transfer deadline) and the producer's statement block.
struct TicketTexts {
    bool transfer = false;
    QString paymentDate;  // F_FIZKELT as "yyyy.mm.dd"
    QString statement;    // F_NYILATK as stored
};
void setTicketVariables(QVariantMap& variables, const PrintedAmounts& amounts,
                        const TicketTexts& texts);

// "FjLista7.frf", or "FjLista7L.frf" for the print variant "L".
QString ticketTemplateFile(const QString& printVariant);

// The ticket output for the selected row of ZQ10, by the print mode run value: "Megtekint"
// shows the ticket in a preview without a print button; "Nyomtat" first marks the ticket
// printed (not committed here) and shows it with one. A ticket printed before carries the copy
// mark. Returns whether the request got past loading the template (a preparation failure has
// been reported by then, and the list reloads as after a closed preview); false with nothing
// selected. A missing template throws AppError.
bool outputTicket(App& app);
