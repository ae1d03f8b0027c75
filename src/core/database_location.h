#pragma once

#include <QString>

// Where the program's database lies. By default "termaro.fdb" in the working folder, opened by
// the embedded engine with the program's fixed login. The settings file beside the program
// ("…termaro.ini", section "Adatbazis", key "Hely") or the environment variable
// TERMARO_DATABASE (which wins) may name another one in Firebird's own form: a local file, or a
// database on a server ("host:/path/termaro.fdb", "host/3050:/path/termaro.fdb", "host:alias").
struct DatabaseLocation {
    QString name;         // as handed to the Firebird client
    bool server = false;  // reached through a Firebird server: a login of its own
    QString user;         // the login name on the server (key "Felhasznalo", default SYSDBA)
};

inline const QString databaseSettingsFile = QStringLiteral("termaro.ini");
inline const QString databaseSettingsSection = QStringLiteral("Adatbazis");

// Whether a Firebird database name names a server: "host:…", "host/port:…", "inet://…".
// A drive letter ("C:\…") and a plain path are local files.
bool namesServer(const QString& name);

// The location from a settings file and the environment's value (either may be missing or
// empty); a local name is resolved against `workFolder`.
DatabaseLocation resolveDatabaseLocation(const QString& workFolder, const QString& settingsPath,
                                         const QString& environmentValue);

// The location for a program run: TERMARO_DATABASE, the settings beside `programPath`, the
// default.
DatabaseLocation databaseLocation(const QString& workFolder, const QString& programPath);

// A server name split into the server part ("host/port", "inet://host:port") and the
// database's path or alias on it; for a local name the server part is empty.
struct ServerName {
    QString server;
    QString database;
    QString serviceManager;  // the server's service manager: "host/port:service_mgr"
};
ServerName splitServerName(const QString& name);
