#include "core/application.h"

#include "core/guard.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Termaro"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    if (!m_ui) return QApplication::notify(receiver, event);
    guard(*m_ui, [&] { result = QApplication::notify(receiver, event); });
    return result;
}
