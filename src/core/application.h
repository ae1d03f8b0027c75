#pragma once

#include <QApplication>

class QCoreApplication;
class QTranslator;
class Ui;

// Loads Qt's own Hungarian translation (qtbase_hu.qm, Debian's qt6-translations-l10n), so the
// standard buttons and dialogs read "Igen", "Nem", "Mégse". Returns the installed translator
// (owned by the application), or nullptr when the file is missing: the program then goes on with
// Qt's English texts.
QTranslator* installQtHungarian(QCoreApplication& application);

// The application object: an exception that reaches the event loop goes to the general error
// display instead of ending the program.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    void setUi(Ui* ui) { m_ui = ui; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Ui* m_ui = nullptr;
};
