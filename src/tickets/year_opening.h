#pragma once

#include "core/screen.h"

class QLineEdit;
class QPushButton;
class QTabWidget;

// Year opening "Évnyitás": sets the buyer's start number while the buyer has no ticket yet, and
// shows the entry-field defaults of the settings files.
class TForm38 : public Screen {
    Q_OBJECT
public:
    explicit TForm38(App& app, QWidget* parent = nullptr);

    QLineEdit* newNumberField() const { return m_newNumber; }
    QPushButton* saveButton() const { return m_save; }

protected:
    void onShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save();
    bool refuse(const QString& message);

    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_newNumber = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    QList<QLineEdit*> m_settingFields;  // named by their settings key
};
