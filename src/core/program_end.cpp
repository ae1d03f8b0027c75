#include "core/program_end.h"

#include <firebird/Interface.h>
#include <ibase.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "core/app.h"
#include "core/errors.h"

namespace {
// How long the detach and the engine's shutdown may take before the process ends regardless.
constexpr int lastResortSeconds = 10;
// How long the engine's own shutdown may wait for its threads.
constexpr unsigned engineShutdownMs = 5000;

App* g_app = nullptr;
std::atomic<bool> g_ending{false};
// Set when the engine's client already shut itself down (it caught a signal before we did).
std::atomic<bool> g_engineDown{false};
int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe calls here: the signal number goes to the event loop through the pipe.
// The alarm ends the process (SIGALRM's default) if the event loop never gets to it.
void onSignal(const int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &number, 1);
    ::alarm(2 * lastResortSeconds);
}

int onEngineShutdown(const int reason, const int, void*) {
    if (reason == fb_shutrsn_signal) {
        g_engineDown = true;
        onSignal(SIGTERM);
    }
    return 0;
}

// exit() from anywhere (Qt calls it when the X connection breaks) comes here before the engine
// client's own exit handlers, which were registered earlier.
void onExit() {
    endProgram(EXIT_FAILURE);
}

void takeSignals() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void armLastResort(const int code) {
    std::thread([code] {
        std::this_thread::sleep_for(std::chrono::seconds(lastResortSeconds));
        static const char text[] = "termaro: the database did not close in time; ending.\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, sizeof text - 1);
        ::_exit(code == 0 ? EXIT_FAILURE : code);
    }).detach();
}

// Commits the open work as closing the main window does; the engine's shutdown then detaches
// every attachment itself. A detach of its own after a signal can spin inside the engine.
void finishWork() {
    if (!g_app || g_engineDown) return;
    try {
        if (g_app->data().inTransaction()) g_app->data().commitRetaining();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "termaro: %s\n", errorText(e).toLocal8Bit().constData());
    }
}
}  // namespace

void installProgramEnd() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        if (::pipe(g_signalPipe) != 0) std::perror("termaro: pipe");
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
            unsigned char number = 0;
            [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &number, 1);
            endProgram(128 + number);
        });
        ISC_STATUS_ARRAY status;
        fb_shutdown_callback(status, onEngineShutdown, fb_shut_postproviders, nullptr);
    }
    takeSignals();
}

void setProgramEndApp(App* app) {
    g_app = app;
    // Registered once the engine is loaded (the first attach loads it), so it runs before the
    // engine's own exit handlers.
    static bool exitHandled = false;
    if (app && !exitHandled) {
        exitHandled = true;
        std::atexit(onExit);
    }
}

void endProgram(const int code) {
    // A second call (exit() reached from inside the first, a signal during it) touches nothing:
    // the first is already finishing, or the last-resort timer ends it.
    if (!g_ending.exchange(true)) {
        armLastResort(code);
        finishWork();
        if (!g_engineDown) fb_shutdown(engineShutdownMs, fb_shutrsn_app_stopped);
    }
    std::fflush(nullptr);
    ::_exit(code);
}
