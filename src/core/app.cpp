#include "core/app.h"

#include <QDir>

#include "core/database_location.h"
#include "core/errors.h"
#include "core/login_dialog.h"
#include "core/paths.h"
#include "core/settings_file.h"
#include "core/startup.h"
#include "core/version.h"

App::App(Ui& ui)
    : m_ui(ui), m_workFolder(QDir::currentPath()), m_data(std::make_unique<TData>(m_run)) {
    // Known from the start, so a buyer title is whole even before the main window shows.
    m_run.versionText = versionText();
}

App::~App() {
    try {
        shutdown();
    } catch (const std::exception&) {
        // The connection goes with the process.
    }
}

std::unique_ptr<App> App::start(Ui& ui) {
    std::unique_ptr<App> app(new App(ui));
    const DatabaseLocation location =
        databaseLocation(app->m_workFolder, settings::programPath(app->m_run));
    if (location.server) {
        app->logIn(location);
    } else {
        app->m_data->connect(location.name);
    }
    app->m_data->addMissingTables();
    app->m_data->openTableViews();
    return app;
}

void App::logIn(const DatabaseLocation& location) {
    QString user = location.user;
    QString password = qEnvironmentVariable("ISC_PASSWORD");
    QString refusal;
    bool ask = password.isEmpty();
    for (;;) {
        if (ask) {
            LoginDialog dialog(location.name, user, refusal);
            if (m_ui.showModal(dialog) != QDialog::Accepted) throw LoginCancelled();
            user = dialog.user();
            password = dialog.password();
        }
        try {
            m_data->connectToServer(location.name, user, password);
            return;
        } catch (const LoginRefused& e) {
            refusal = engineReason(e.text());
            ask = true;
        } catch (const DatabaseMissing& e) {
            // On a server the missing file is the server's news: its message goes to the user.
            throw DbError(e.text());
        }
    }
}

QString App::workPath(const QString& name) const {
    return resolveIn(m_workFolder, name);
}

void App::shutdown() {
    if (m_data->inTransaction()) m_data->commitRetaining();
    if (m_data->connected()) m_data->disconnect();
}
