#pragma once

class App;
class QWidget;

// What the ticket list hands over to the ticket output and the voiding screen. Both work on the
// selected row of ZQ10 and the run values the list has just set (print mode, number to void).

// Ticket output ("Megtekint" / "Nyomtat", by the print mode run value). Returns true when the
// output got as far as the preview (a report that failed to prepare has been reported by then),
// so that the list reopens and repositions itself; false when it stopped before (nothing
// selected, a missing template and the like, already reported).
bool runTicketOutput(App& app, QWidget* parent);

// Opens the voiding screen for the selected ticket modally.
void openVoidingScreen(App& app, QWidget* parent);
