#include "core/paths.h"

#include <QDir>
#include <QRegularExpression>

QString windowsDefaultPath(const QString& windowsPath) {
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:(/|$)"));
    const QRegularExpressionMatch m = drive.match(path);
    if (!m.hasMatch()) return path;
    QString root = qEnvironmentVariable("TERMARO_C_DRIVE");
    if (root.isEmpty()) root = QDir::homePath();
    while (root.size() > 1 && root.endsWith(QLatin1Char('/'))) root.chop(1);
    const QString rest = path.mid(2);  // "/TERMARO/08/" or ""
    return rest.isEmpty() ? root + QLatin1Char('/') : root + rest;
}

QString resolveIn(const QString& folder, const QString& name) {
    if (name.isEmpty() || QDir::isAbsolutePath(name)) return name;
    return QDir(folder).filePath(name);
}
