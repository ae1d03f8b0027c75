#pragma once

#include <QDialog>
#include <memory>

class App;
class Ui;

// The splash window "Betöltés..." that closes itself after a while; nothing else closes it.
class SplashDialog : public QDialog {
    Q_OBJECT
public:
    explicit SplashDialog(int milliseconds, QWidget* parent = nullptr);

protected:
    void reject() override {}  // Esc does not close it
};

// How long the splash stays: 3000 ms, or TERMARO_SPLASH_MS when set (tests use 0).
int splashMilliseconds();

// The engine's multi-line error text as one line: "I/O error ...: Permission denied".
QString engineReason(const QString& text);

// Shows the splash, then connects. On failure tells the user the database cannot be reached
// (with the engine's reason on a third line unless the file is simply missing) and returns
// nullptr: the program then ends.
std::unique_ptr<App> startProgram(Ui& ui);
