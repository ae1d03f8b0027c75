#include "core/application.h"

#include <firebird/Interface.h>

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

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Termaro"));
    ISC_STATUS_ARRAY status;
    fb_shutdown_callback(status, onFirebirdShutdown, fb_shut_postproviders, nullptr);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    if (!m_ui) return QApplication::notify(receiver, event);
    guard(*m_ui, [&] { result = QApplication::notify(receiver, event); });
    return result;
}
