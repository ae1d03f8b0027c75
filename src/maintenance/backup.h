#pragma once

#include <QDateTime>
#include <QString>

// A consistent copy of the open database file. Firebird's backup lock (ALTER DATABASE BEGIN
// BACKUP, on a second connection of this process) freezes the main file while it is copied;
// the copy's backup flag is then cleared with nbackup -F and the copy is opened once to prove it
// is a database before it gets its final name.
struct BackupOutcome {
    bool ok = false;
    QString message;  // the success text or the numbered "Hiba…" message
    QString detail;   // the engine's or the system's reason, for the log
};

// The copy's name for a moment: yyyy_MM_dd_HH_mm.FDB.
QString backupFileName(const QDateTime& when);

// Copies `source` to `target` (a file that must not exist yet, in an existing folder).
BackupOutcome backupDatabase(const QString& source, const QString& target);
