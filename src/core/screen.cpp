#include "core/screen.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>
#include <limits>

#include "core/value.h"
#include "core/win1250.h"

Screen::Screen(App& app, const QString& className, const QString& caption, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setObjectName(className);
    setWindowTitle(caption);
    setModal(true);
}

namespace {
bool isEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// An input the user can type into.
bool takesTyping(const QWidget* w) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return !edit->isReadOnly();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(w)) return !text->isReadOnly();
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

bool canTakeFocus(const QWidget* w, const QWidget* window) {
    return w->window() == window && w->isVisibleTo(window) && w->isEnabled() &&
           (w->focusPolicy() & Qt::TabFocus);
}

// The next (or previous) widget of the window's focus chain that can take the focus.
QWidget* nextFocusable(QWidget* from, bool forward) {
    QWidget* window = from->window();
    for (QWidget* w = forward ? from->nextInFocusChain() : from->previousInFocusChain(); w != from;
         w = forward ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (w != window && canTakeFocus(w, window)) return w;
    }
    return nullptr;
}

// Enter on a read-only input moves on like on any other input (inputs with their own Enter
// order are left to it); Enter in a list chooses the row as the screen's "Kiválaszt" does.
class EnterKeys : public QObject {
public:
    explicit EnterKeys(QDialog* screen) : QObject(screen), m_screen(screen) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isEnter(event)) return QObject::eventFilter(watched, event);
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            const bool back = static_cast<QKeyEvent*>(event)->modifiers() & Qt::ShiftModifier;
            if (QWidget* next = nextFocusable(edit, !back)) next->setFocus(Qt::TabFocusReason);
            return true;
        }
        for (QPushButton* b : m_screen->findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("Kiválaszt") && b->isVisible() && b->isEnabled()) {
                b->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QDialog* m_screen;
};
}  // namespace

void Screen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // re-shown after minimising: not a new opening
    if (!m_enterKeys) {
        m_enterKeys = new EnterKeys(this);
        for (QLineEdit* edit : findChildren<QLineEdit*>()) {
            if (edit->isReadOnly() && !edit->property("enterNavigation").toBool())
                edit->installEventFilter(m_enterKeys);
        }
        for (QAbstractItemView* list : findChildren<QAbstractItemView*>()) {
            if (!qobject_cast<QComboBox*>(list->parentWidget()))
                list->installEventFilter(m_enterKeys);
        }
    }
    guard(ui(), [this] { onShow(); });
    if (!isVisible()) return;
    focusFirstInput();
    // Never larger than the screen: the buttons stay reachable.
    if (const QScreen* display = screen()) {
        const QSize room = display->availableGeometry().size();
        if (width() > room.width() || height() > room.height())
            resize(std::min(width(), room.width()), std::min(height(), room.height()));
    }
}

void Screen::focusFirstInput() {
    // A screen that put the focus on an input or a list itself keeps it; otherwise typing goes
    // into the first input that takes it, never into a tab bar or a read-only field.
    const QWidget* current = focusWidget();
    if (current && current != this && canTakeFocus(current, this) &&
        (takesTyping(current) || qobject_cast<const QAbstractItemView*>(current)))
        return;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if (canTakeFocus(w, this) && takesTyping(w)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
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

bool Screen::numbersValid(const QList<QLineEdit*>& fields, bool whole) {
    for (QLineEdit* e : fields) {
        bool ok = false;
        if (whole) {
            const qint64 n = e->text().trimmed().toLongLong(&ok);
            ok = ok && n >= std::numeric_limits<qint32>::min() &&
                 n <= std::numeric_limits<qint32>::max();
        } else {
            ok = guardQuietly([e] { parseNumber(e->text()); });
        }
        if (ok) continue;
        ui().message(QStringLiteral("A(z) \"%1\" mező tartalma nem %2: \"%3\". Kérem javítsa!")
                         .arg(fieldLabel(e).trimmed(),
                              whole ? QStringLiteral("egész szám") : QStringLiteral("szám"),
                              e->text()));
        ui().focus(e);
        return false;
    }
    return true;
}
