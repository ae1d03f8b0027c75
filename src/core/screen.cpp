#include "core/screen.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>

#include "core/win1250.h"

Screen::Screen(App& app, const QString& className, const QString& caption, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setObjectName(className);
    setWindowTitle(caption);
    setModal(true);
}

void Screen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // re-shown after minimising: not a new opening
    guard(ui(), [this] { onShow(); });
}

namespace {
QString fieldLabel(QWidget* w) {
    return w->accessibleName().isEmpty() ? w->objectName() : w->accessibleName();
}
}  // namespace

bool Screen::textsStorable() {
    const auto refuse = [this](QWidget* w, const QString& text) {
        ui().message(
            QStringLiteral("A(z) \"%1\" mező olyan karaktert tartalmaz (%2), amely nem tárolható "
                           "az adatbázisban. Kérem javítsa!")
                .arg(fieldLabel(w), QString(win1250::firstUnencodable(text))));
        ui().focus(w);
        return false;
    };
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        if (!win1250::canEncode(e->text())) return refuse(e, e->text());
    }
    for (QPlainTextEdit* e : findChildren<QPlainTextEdit*>()) {
        if (!win1250::canEncode(e->toPlainText())) return refuse(e, e->toPlainText());
    }
    return true;
}
