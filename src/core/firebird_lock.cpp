#include "core/firebird_lock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

namespace {
bool writableFolder(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    return ::stat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(p.constData(), W_OK | X_OK) == 0;
}

// The engine makes the default folder itself when it is missing and its parent allows it.
bool usableDefault(const QString& folder) {
    if (QFileInfo::exists(folder)) return writableFolder(folder);
    return writableFolder(QFileInfo(folder).absolutePath());
}

// A folder of ours only: another user's folder of the same name could share or spoil our locks.
bool ownFolder(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    ::mkdir(p.constData(), 0700);
    struct stat st {};
    return ::lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           writableFolder(path);
}
}  // namespace

QString useWritableFirebirdLockFolder(const QString& defaultFolder) {
    if (!qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) return qEnvironmentVariable("FIREBIRD_LOCK");
    if (usableDefault(defaultFolder)) return {};
    QString folder = QDir::tempPath() + QStringLiteral("/firebird-") + QString::number(::getuid());
    if (!ownFolder(folder)) {
        QDir().mkpath(QDir::homePath() + QStringLiteral("/.cache"));
        folder = QDir::homePath() + QStringLiteral("/.cache/termaro-firebird-lock");
        if (!ownFolder(folder)) return {};  // the attach then says why it fails
    }
    qputenv("FIREBIRD_LOCK", QFile::encodeName(folder));
    return folder;
}
