#include "maintenance/remote_support.h"

#include <QHBoxLayout>
#include <QPushButton>

TForm26::TForm26(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm26"), QStringLiteral("Távsegítség"), parent) {
    auto* layout = new QHBoxLayout(this);
    auto* start = new QPushButton(QStringLiteral("Távsegítség indítása"), this);
    auto* close = new QPushButton(QStringLiteral("Mégsem"), this);
    layout->addWidget(start);
    layout->addWidget(close);
    onClick(start, [this] {
        // Only the search path: a program of that name in the working folder is never run.
        if (ui().launch(QStringLiteral("anydesk"), {})) return;
        if (ui().launch(QStringLiteral("AnyDesk"), {})) return;
        ui().message(QStringLiteral("A távsegítség programja (AnyDesk) nincs telepítve."));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}
