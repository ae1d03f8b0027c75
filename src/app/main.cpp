// Termaro: register of purchase tickets. main() only starts the program and wires the menu.
#include <cstdio>

#include "app/screens.h"
#include "core/app.h"
#include "core/application.h"
#include "core/firebird_lock.h"
#include "core/main_window.h"
#include "core/program_end.h"
#include "core/qt_ui.h"
#include "core/startup.h"

int main(int argc, char** argv) {
    // Before the Firebird client starts: its lock folder must be one this user can write.
    useWritableFirebirdLockFolder();
    // Without a display Qt would stop with an abort; a platform asked for by name (offscreen for
    // tests) is taken as asked.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs(
            "termaro: no display found (DISPLAY is not set); start it in a desktop session.\n",
            stderr);
        return 1;
    }
    Application application(argc, argv);
    installProgramEnd();
    QtUi ui;
    application.setUi(&ui);
    std::unique_ptr<App> app = startProgram(ui);
    if (!app) endProgram(1);
    setProgramEndApp(app.get());
    installProgramEnd();
    MainWindow window(*app);
    wireScreens(window, *app);
    window.show();
    const int result = application.exec();
    application.setUi(nullptr);
    endProgram(result);
}
