#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "core/app.h"
#include "support/recording_ui.h"

// A working folder with a fresh database, made the current folder, and the program started on it
// with a recording Ui. The previous working folder comes back afterwards.
class AppFixture {
public:
    explicit AppFixture(bool withDemo = false);
    // `beforeStart` runs with the folder holding the fresh database, before the program starts
    // (a server test names that database through TERMARO_DATABASE).
    AppFixture(bool withDemo, const std::function<void(const QString& folder)>& beforeStart);
    ~AppFixture();

    QString folder() const { return m_dir.path(); }
    App& app() { return *m_app; }
    TData& data() { return m_app->data(); }
    RunValues& run() { return m_app->run(); }
    RecordingUi ui;

    // Makes `code` the current buyer as buyer selection does.
    void chooseBuyer(const QString& code = QStringLiteral("1"));
    // Runs a statement and commits.
    void exec(const QString& sql);
    // The first column of the first row of a SELECT, as text.
    QString scalar(const QString& sql);

private:
    QString m_previous;
    QTemporaryDir m_dir;
    std::unique_ptr<App> m_app;
};
