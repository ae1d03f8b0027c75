#include "core/widgets.h"

#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {
// Lets through only the listed characters; control keys (Backspace, arrows, Tab) pass.
class KeyFilter : public QObject {
public:
    KeyFilter(QObject* parent, const QString& allowed) : QObject(parent), m_allowed(allowed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() &&
                !(key->modifiers() & Qt::ControlModifier)) {
                // In a number field "." is the decimal separator typed the other way: the
                // program's is ",", and a swallowed "." would turn 250.5 into 2505.
                if (text == QLatin1String(".") && decimalComma()) {
                    if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && !edit->isReadOnly())
                        edit->insert(QStringLiteral(","));
                    return true;
                }
                for (const QChar c : text) {
                    if (!m_allowed.contains(c)) return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool decimalComma() const {
        return m_allowed.contains(QLatin1Char(',')) && !m_allowed.contains(QLatin1Char('.'));
    }
    QString m_allowed;
};

class EnterNavigation : public QObject {
public:
    EnterNavigation(QObject* parent, const QList<QWidget*>& order) : QObject(parent) {
        for (QWidget* w : order) m_order << w;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return QObject::eventFilter(watched, event);
        const int at = indexOf(watched);
        if (at < 0) return false;
        const int step = (key->modifiers() & Qt::ShiftModifier) ? -1 : 1;
        for (int i = at + step; i >= 0 && i < m_order.size(); i += step) {
            QWidget* w = m_order.at(i);
            if (w && w->isEnabled() && w->isVisibleTo(w->window())) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
        return true;
    }

private:
    int indexOf(QObject* o) const {
        for (int i = 0; i < m_order.size(); ++i) {
            if (m_order.at(i) == o) return i;
        }
        return -1;
    }
    QList<QPointer<QWidget>> m_order;
};

QLineEdit* makeField(QWidget* parent, const FieldSpec& spec) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(spec.name));
    edit->setAccessibleName(QString::fromUtf8(spec.label));
    if (spec.maxLength > 0) edit->setMaxLength(spec.maxLength);
    if (spec.keys) acceptOnly(edit, QString::fromUtf8(spec.keys));
    if (spec.defaultText) edit->setText(QString::fromUtf8(spec.defaultText));
    if (spec.hint) edit->setToolTip(QString::fromUtf8(spec.hint));
    edit->setReadOnly(spec.readOnly);
    return edit;
}
}  // namespace

void acceptOnly(QWidget* input, const QString& characters) {
    input->installEventFilter(new KeyFilter(input, characters));
}

void enableEnterNavigation(const QList<QWidget*>& order) {
    if (order.isEmpty()) return;
    auto* nav = new EnterNavigation(order.first(), order);
    for (QWidget* w : order) {
        w->installEventFilter(nav);
        w->setProperty("enterNavigation", true);
    }
}

QLineEdit* addField(QFormLayout* form, const FieldSpec& spec) {
    QLineEdit* edit = makeField(form->parentWidget(), spec);
    form->addRow(QString::fromUtf8(spec.label), edit);
    return edit;
}

QLineEdit* addField(QGridLayout* grid, int row, int column, const FieldSpec& spec) {
    QLineEdit* edit = makeField(grid->parentWidget(), spec);
    auto* label = new QLabel(QString::fromUtf8(spec.label), grid->parentWidget());
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    return edit;
}
