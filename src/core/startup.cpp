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

QString engineReason(const QString& text) {
    QStringList parts;
    for (QString part : text.split('\n', Qt::SkipEmptyParts)) {
        if (part.startsWith('-')) part.remove(0, 1);
        part = part.trimmed();
        if (!part.isEmpty()) parts << part;
    }
    return parts.join(QStringLiteral(": "));
}

std::unique_ptr<App> startProgram(Ui& ui) {
    {
        SplashDialog splash(splashMilliseconds());
        splash.exec();
    }
    const QString cannotStart =
        QStringLiteral("Az adatbáziskezelöt nem találja.\rA program müködéséhez szükséges.");
    try {
        return App::start(ui);
    } catch (const LoginCancelled&) {
        // The user quit at the login: nothing more to say.
    } catch (const DatabaseMissing&) {
        ui.notice(cannotStart);
    } catch (const std::exception& e) {
        // Found but refused (in use by another copy, no permission, damaged): the engine's
        // reason on a third line, so the user knows what to mend.
        ui.notice(cannotStart + '\r' + engineReason(errorText(e)));
    }
    return nullptr;
}
