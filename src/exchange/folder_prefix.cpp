#include "exchange/folder_prefix.h"

#include <QFileInfo>

#include "core/app.h"
#include "core/paths.h"

QString prefixedPath(App& app, const QString& prefix, const QString& fileName) {
    QString folder = prefix;
    if (!folder.isEmpty() && !folder.endsWith(u'\\') && !folder.endsWith(u'/') &&
        QFileInfo(app.workPath(windowsDefaultPath(folder))).isDir()) {
        folder += u'/';
    }
    return app.workPath(windowsDefaultPath(folder + fileName));
}
