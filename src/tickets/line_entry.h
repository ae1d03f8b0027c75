#pragma once

#include <QMap>
#include <QString>
#include <functional>

#include "core/screen.h"

class QLabel;
class QLineEdit;

// What the line entry takes from the ticket open on the ticket entry screen, read when needed.
struct TicketContext {
    std::function<QString()> documentNumber;
    std::function<QString()> producerCode;
    std::function<QString()>
        weightDeductionPercent;  // "Súlylevon.%", read when the line is written
};

// Line entry "Felvásárlási jegy tételsor": adds a line to the open ticket or changes its current
// line (ZQ20), writing and committing it at once.
class TForm10 : public Screen {
    Q_OBJECT
public:
    // Opened from the ticket entry screen as parent, it takes that ticket; else see setTicket().
    explicit TForm10(App& app, QWidget* parent = nullptr);

    void setTicket(TicketContext ticket) { m_ticket = std::move(ticket); }

    // Change mode: copies the current line of ZQ20 into the fields before the screen is shown;
    // false (after "Hiba101") when that fails and the screen is not to be shown.
    bool fill();

    QLineEdit* field(const QString& name) const { return m_fields.value(name); }

protected:
    void onShow() override;

private:
    bool addMode();
    void chooseProduct();
    void save();
    bool refuse(const QString& message, QLineEdit* field);
    void reloadLines(const QString& lineId);

    TicketContext m_ticket;
    QMap<QString, QLineEdit*> m_fields;
    QLabel* m_itemLabel = nullptr;
};
