#pragma once

#include <QMap>
#include <QString>

#include "core/screen.h"

class QLineEdit;

// Product entry "Termék": a new product, or the change of the current product of ZQ40, in the
// mode the product list sets ("Új termék" or "Termék módositás").
class TForm7 : public Screen {
    Q_OBJECT
public:
    explicit TForm7(App& app, QWidget* parent = nullptr);

    // Change mode, before showing: copies the current ZQ40 row into the inputs. False (after
    // "Hiba71") when that fails; the screen is then not to be shown.
    bool load();

    QLineEdit* field(const QString& column) const { return m_fields.value(column); }

Q_SIGNALS:
    // The product list was reloaded after a save attempt and takes this order line.
    void orderLineChanged(const QString& text);

protected:
    void onShow() override;

private:
    bool newMode();
    void proposeCode();
    bool validate();
    bool codeTaken();
    void writeRow(bool insert);
    void save();
    bool refuse(const QString& message, QWidget* input);

    QMap<QString, QLineEdit*> m_fields;  // by column in upper case
};
