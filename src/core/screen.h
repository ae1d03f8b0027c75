#pragma once

#include <QDialog>
#include <QString>

#include "core/app.h"
#include "core/guard.h"

class QAbstractButton;
class QLineEdit;
class QShowEvent;

// Base of every modal screen: objectName is the class name, on-show logic runs guarded from
// showEvent (the same under exec() and under a test that shows the dialog offscreen).
class Screen : public QDialog {
    Q_OBJECT
public:
    Screen(App& app, const QString& className, const QString& caption, QWidget* parent = nullptr);

    App& app() { return m_app; }
    Ui& ui() { return m_app.ui(); }
    TData& data() { return m_app.data(); }
    RunValues& run() { return m_app.run(); }

    // Opens a nested screen modally through the Ui port.
    int openModal(QDialog& screen) { return ui().showModal(screen); }

    // Refuses, with a message naming the field, any input holding a character that Windows-1250
    // cannot store; call before writing.
    bool textsStorable();

    // Refuses, with a plain message naming the field and the focus on it, the first of `fields`
    // whose text is not a number ("," or "." as decimal separator); with `whole`, not a whole
    // number that fits an INTEGER column. Call after the screen's own checks, before any write.
    bool numbersValid(const QList<QLineEdit*>& fields, bool whole = false);

protected:
    // Runs each time the screen is shown; exceptions reach the general error display.
    virtual void onShow() {}
    void showEvent(QShowEvent* event) override;
    // After on-show: the focus on the first input that takes typing, unless on-show placed it.
    void focusFirstInput();

    // Connects a button's click to an action run inside the guard.
    template <class Fn>
    void onClick(QAbstractButton* button, Fn fn);

private:
    App& m_app;
    QObject* m_enterKeys = nullptr;
};

#include <QAbstractButton>

template <class Fn>
void Screen::onClick(QAbstractButton* button, Fn fn) {
    connectGuarded(button, &QAbstractButton::clicked, this, ui(), std::move(fn));
}
