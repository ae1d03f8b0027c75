#pragma once

#include <QMap>
#include <QString>

#include "core/screen.h"

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

// Producer entry: a new producer, or the change of the current producer of ZQ30, in the mode the
// producer list sets ("Új őstermelő" or "Őstermelő módositás"). Checks every input and identifier,
// writes the row, reloads the producer list and closes.
class TForm5 : public Screen {
    Q_OBJECT
public:
    explicit TForm5(App& app, QWidget* parent = nullptr);

    // Change mode, before showing: copies the current ZQ30 row into the inputs. False (after
    // "Hiba51") when that fails; the screen is then not to be shown.
    bool load();

    QLineEdit* field(const QString& column) const { return m_fields.value(column); }

Q_SIGNALS:
    // The producer list was reloaded after a save attempt and takes this order line.
    void orderLineChanged(const QString& text);

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool newMode();
    void proposeCode();
    bool validate();
    bool codeTaken();
    void writeRow(bool insert);
    void save();
    bool refuse(const QString& message, QWidget* input);

    QMap<QString, QLineEdit*> m_fields;  // by column in upper case
    QPlainTextEdit* m_notes = nullptr;
    QTabWidget* m_pages = nullptr;
};
