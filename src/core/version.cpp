#include "core/version.h"

QString versionText() {
    return QStringLiteral("Verzió: %1.0%2 2006-2024")
        .arg(TERMARO_VERSION_MAJOR)
        .arg(TERMARO_VERSION_MINOR);
}

QString buyerTitle(const QString& captionPrefix, const QString& buyerName, const QString& version) {
    return captionPrefix + buyerName.left(25) + ' ' + version;
}
