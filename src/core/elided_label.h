#pragma once

#include <QLabel>

// A label showing a stored value of any length (a 200-character remark, a 75-character product
// name): it never widens its window. A text longer than the label ends in "…" and shows whole
// as the label's tool tip; text() is always the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Whether the text is cut on the screen now.
    bool elided() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};
