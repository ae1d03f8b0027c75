// Termaro: register of purchase tickets. main() only starts the program and wires the menu.

#include "app/screens.h"
#include "core/app.h"
#include "core/application.h"
#include "core/main_window.h"
#include "core/qt_ui.h"
#include "core/startup.h"

int main(int argc, char** argv) {
    Application application(argc, argv);
    QtUi ui;
    application.setUi(&ui);
    std::unique_ptr<App> app = startProgram(ui);
    if (!app) return 1;
    MainWindow window(*app);
    wireScreens(window, *app);
    window.show();
    const int result = application.exec();
    application.setUi(nullptr);
    return result;
}
