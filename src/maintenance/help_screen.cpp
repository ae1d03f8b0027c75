#include "maintenance/help_screen.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>

TForm21::TForm21(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm21"), QStringLiteral("Sugó"), parent) {
    auto* layout = new QHBoxLayout(this);
    auto* open = new QPushButton(QStringLiteral("Leírás (pdf)"), this);
    auto* close = new QPushButton(QStringLiteral("Mégsem"), this);
    layout->addWidget(open);
    layout->addWidget(close);
    onClick(open, [this] {
        const QString guide = this->app().workPath(QStringLiteral("sugo.pdf"));
        if (!QFileInfo(guide).isFile()) {
            ui().message(
                QStringLiteral("A leírás nem található: %1").arg(QDir::toNativeSeparators(guide)));
            return;
        }
        ui().openExternal(guide);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}
