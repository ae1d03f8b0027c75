#include "core/app.h"

#include <QDir>

#include "core/errors.h"
#include "core/paths.h"
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
    app->m_data->connect(app->workPath(QString::fromLatin1(TData::databaseFile)));
    app->m_data->openTableViews();
    return app;
}

QString App::workPath(const QString& name) const {
    return resolveIn(m_workFolder, name);
}

void App::shutdown() {
    if (m_data->inTransaction()) m_data->commitRetaining();
    if (m_data->connected()) m_data->disconnect();
}
