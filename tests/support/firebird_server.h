#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private Firebird server for the tests that need one: Debian's `firebird` binary
// (firebird3.0-server) run as the current user with a root folder of its own — firebird.conf
// with a free loopback port, its own security database with a known SYSDBA password, its own
// lock folder, the character set library copied in — and stopped by its process id at the end.
// The package's installed service and security database are never used.
class FirebirdServer {
public:
    static constexpr const char* user = "SYSDBA";
    static constexpr const char* password = "Tesztjelszo7";

    FirebirdServer();
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer&) = delete;
    FirebirdServer& operator=(const FirebirdServer&) = delete;

    bool running() const { return m_error.isEmpty(); }
    // Why the server could not start ("" when it runs).
    QString error() const { return m_error; }
    int port() const { return m_port; }
    // A database file of this machine as the server names it: "127.0.0.1/port:/path".
    QString databaseName(const QString& path) const;

private:
    QString start();
    QTemporaryDir m_root;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

// Skips the test, loudly, when the server is not there.
#define REQUIRE_SERVER(server) \
    if (!(server).running())   \
    GTEST_SKIP() << "No private Firebird server: " << (server).error().toStdString()
