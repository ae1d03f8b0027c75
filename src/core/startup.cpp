#include "core/startup.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "core/app.h"
#include "core/errors.h"

SplashDialog::SplashDialog(int milliseconds, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SplashDialog"));
    setWindowTitle(QStringLiteral("Betöltés..."));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Termaro\nFelvásárlási jegy nyilvántartó"), this);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("font-size: 18pt; font-weight: bold;"));
    layout->addWidget(title);
    auto* year = new QLabel(QStringLiteral("2024."), this);
    year->setAlignment(Qt::AlignCenter);
    layout->addWidget(year);
    auto* contact = new QLabel(QStringLiteral("Termaro fejlesztők\nhelpdesk@termaro.hu"), this);
    contact->setAlignment(Qt::AlignCenter);
    layout->addWidget(contact);
    QTimer::singleShot(milliseconds, this, &QDialog::accept);
}

int splashMilliseconds() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("TERMARO_SPLASH_MS", &ok);
    return ok && ms >= 0 ? ms : 3000;
}

std::unique_ptr<App> startProgram(Ui& ui) {
    {
        SplashDialog splash(splashMilliseconds());
        splash.exec();
    }
    try {
        return App::start(ui);
    } catch (const std::exception&) {
        ui.notice(
            QStringLiteral("Az adatbáziskezelöt nem találja.\rA program müködéséhez szükséges."));
        return nullptr;
    }
}
