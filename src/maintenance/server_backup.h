#pragma once

#include <QDateTime>
#include <QString>

#include "maintenance/backup.h"

// A backup of a database on a Firebird server, made by the server's backup service (gbak's
// format) and streamed over the connection into a file on this machine: the server's files
// need not be reachable from here. A gbak restore ("gbak -c") turns it back into a database.

// The backup's name for a moment: yyyy_MM_dd_HH_mm.FBK.
QString serverBackupFileName(const QDateTime& when);

// Streams the backup of `database` ("host/port:/path" or "host:alias") into `target` (a file
// that must not exist yet, in an existing folder), logged in as `user`.
BackupOutcome backupFromServer(const QString& database, const QString& user,
                               const QString& password, const QString& target);
