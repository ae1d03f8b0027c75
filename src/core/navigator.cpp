#include "core/navigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "core/guard.h"
#include "core/query.h"

Navigator::Navigator(Query& query, Ui& ui, Buttons buttons, QWidget* parent)
    : QWidget(parent), m_query(query), m_ui(ui) {
    setObjectName(QStringLiteral("navigator"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const auto move = [this](const QString& name, const QString& text, const QString& hint,
                             void (Query::*step)()) {
        QToolButton* b = addButton(name, text, hint);
        connect(b, &QToolButton::clicked, this, [this, step] {
            guard(m_ui, [&] {
                if (m_query.active()) (m_query.*step)();
                Q_EMIT moved();
            });
        });
    };
    move(QStringLiteral("first"), QStringLiteral("|◀"), QStringLiteral("Első"), &Query::first);
    move(QStringLiteral("prior"), QStringLiteral("◀"), QStringLiteral("Előző"), &Query::prior);
    move(QStringLiteral("next"), QStringLiteral("▶"), QStringLiteral("Következő"), &Query::next);
    move(QStringLiteral("last"), QStringLiteral("▶|"), QStringLiteral("Utolsó"), &Query::last);
    if (buttons == Buttons::Editing) {
        connect(addButton(QStringLiteral("insert"), QStringLiteral("+"), QStringLiteral("Új sor")),
                &QToolButton::clicked, this, &Navigator::insertClicked);
        connect(addButton(QStringLiteral("delete"), QStringLiteral("−"), QStringLiteral("Törlés")),
                &QToolButton::clicked, this, &Navigator::deleteClicked);
        connect(
            addButton(QStringLiteral("edit"), QStringLiteral("▲"), QStringLiteral("Szerkesztés")),
            &QToolButton::clicked, this, &Navigator::editClicked);
        connect(addButton(QStringLiteral("post"), QStringLiteral("✓"), QStringLiteral("Rögzítés")),
                &QToolButton::clicked, this, &Navigator::postClicked);
        connect(addButton(QStringLiteral("cancel"), QStringLiteral("✗"), QStringLiteral("Elvetés")),
                &QToolButton::clicked, this, &Navigator::cancelClicked);
        connect(
            addButton(QStringLiteral("refresh"), QStringLiteral("↻"), QStringLiteral("Frissítés")),
            &QToolButton::clicked, this, &Navigator::refreshClicked);
    }
    layout->addStretch();
}

QToolButton* Navigator::addButton(const QString& name, const QString& text, const QString& hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    layout()->addWidget(b);
    return b;
}
