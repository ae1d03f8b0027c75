#include "tickets/ticket_hooks.h"

#include "core/app.h"
#include "core/guard.h"
#include "tickets/ticket_output.h"
#include "tickets/voiding.h"

bool runTicketOutput(App& app, QWidget*) {
    bool shown = false;
    guard(app.ui(), [&] { shown = outputTicket(app); });
    return shown;
}

void openVoidingScreen(App& app, QWidget* parent) {
    TForm39 screen(app, parent);
    app.ui().showModal(screen);
}
