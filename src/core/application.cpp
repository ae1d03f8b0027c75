#include "core/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/guard.h"

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
}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    if (!m_ui) return QApplication::notify(receiver, event);
    guard(*m_ui, [&] { result = QApplication::notify(receiver, event); });
    return result;
}
