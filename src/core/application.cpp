#include "core/application.h"

#include <firebird/Interface.h>

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/guard.h"

namespace {
// The Firebird client takes over SIGINT and SIGTERM: it closes every attachment and leaves the
// process running. The program ends as well, as the signal asked.
int onFirebirdShutdown(const int reason, const int, void*) {
    if (reason == fb_shutrsn_signal) {
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }
    return 0;
}
}  // namespace

QTranslator* installQtHungarian(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Hungarian, QLocale::Hungary), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Termaro"));
    installQtHungarian(*this);
    ISC_STATUS_ARRAY status;
    fb_shutdown_callback(status, onFirebirdShutdown, fb_shut_postproviders, nullptr);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    if (!m_ui) return QApplication::notify(receiver, event);
    guard(*m_ui, [&] { result = QApplication::notify(receiver, event); });
    return result;
}
