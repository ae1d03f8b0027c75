#pragma once

#include <functional>
#include <memory>

#include "core/run_values.h"
#include "core/tdata.h"
#include "core/ui.h"

struct DatabaseLocation;

// The running program: data module, run values and the user interface port.
class App {
public:
    // Records the current folder as the working folder, attaches to "termaro.fdb" in it (or to
    // the database TERMARO_DATABASE or the settings name, see database_location.h) and opens the
    // table views; throws DbError, or LoginCancelled when the user quits the server's login.
    static std::unique_ptr<App> start(Ui& ui);
    ~App();

    TData& data() { return *m_data; }
    RunValues& run() { return m_run; }
    Ui& ui() { return m_ui; }
    // The working folder recorded at start (the folder of termaro.fdb): templates, settings'
    // neighbours and every bare file name resolve against it; nothing moves it.
    QString workFolder() const { return m_workFolder; }
    // `name` resolved against the working folder (an absolute path stays as it is).
    QString workPath(const QString& name) const;

    // What closing the main window does: commit retaining when active, then disconnect.
    void shutdown();

    // Buyer selection tells the main window (menu state and title) through this hook.
    void setBuyerChosenHandler(std::function<void()> handler) {
        m_buyerChosen = std::move(handler);
    }
    void buyerChosen() {
        if (m_buyerChosen) m_buyerChosen();
    }

private:
    explicit App(Ui& ui);
    // Attaches to the server with ISC_PASSWORD or the login dialog's answer, asking again with
    // the server's reason after each refusal.
    void logIn(const DatabaseLocation& location);
    Ui& m_ui;
    QString m_workFolder;
    RunValues m_run;
    std::unique_ptr<TData> m_data;
    std::function<void()> m_buyerChosen;
};
