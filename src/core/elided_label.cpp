#include "core/elided_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace {
constexpr int widestHintInCharacters = 40;
}

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
}

QSize ElidedLabel::sizeHint() const {
    const QSize whole = QLabel::sizeHint();
    const int cap = fontMetrics().averageCharWidth() * widestHintInCharacters;
    return {std::min(whole.width(), cap), whole.height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height()};
}

bool ElidedLabel::elided() const {
    return fontMetrics().horizontalAdvance(text()) > contentsRect().width();
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, box.width());
    painter.drawText(box, static_cast<int>(alignment()) | Qt::TextSingleLine, shown);
}

bool ElidedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (elided()) {
            QToolTip::showText(help->globalPos(), text(), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QLabel::event(event);
}
