#pragma once

#include <QString>

// The embedded Firebird engine keeps its lock files in /tmp/firebird, which Debian makes
// writable only by the firebird group, so an ordinary user's attach fails there. When that
// folder cannot be used and FIREBIRD_LOCK is not set, the engine is pointed at a folder the user
// owns: $TMPDIR/firebird-<uid> (or, when someone else holds that name, a folder under the home).
// scripts/firebird-lock makes the same choice, so the program, isql-fb and the tests share it.
// Returns the lock folder set, or "" when the engine's own choice stands.
QString useWritableFirebirdLockFolder(
    const QString& defaultFolder = QStringLiteral("/tmp/firebird"));
