#pragma once

#include <QApplication>

class Ui;

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
