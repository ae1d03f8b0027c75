#include "core/app.h"

#include "core/errors.h"
#include "core/version.h"

App::App(Ui& ui) : m_ui(ui), m_data(std::make_unique<TData>(m_run)) {
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
    app->m_data->connect();
    app->m_data->openTableViews();
    return app;
}

void App::shutdown() {
    if (m_data->inTransaction()) m_data->commitRetaining();
    if (m_data->connected()) m_data->disconnect();
}
