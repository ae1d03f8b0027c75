#include "support/database_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

QString repoDbFolder() {
    return QStringLiteral(TERMARO_SOURCE_DIR "/db");
}

namespace {
void runIsql(const QString& folder, const QStringList& args) {
    QProcess isql;
    isql.setWorkingDirectory(folder);
    isql.start(QStringLiteral("isql-fb"), args);
    if (!isql.waitForFinished(120000) || isql.exitCode() != 0) {
        throw std::runtime_error(
            ("isql-fb failed: " + isql.readAllStandardError() + isql.readAllStandardOutput())
                .toStdString());
    }
    const QByteArray err = isql.readAllStandardError();
    if (!err.trimmed().isEmpty()) throw std::runtime_error("isql-fb: " + err.toStdString());
}
}  // namespace

void runSqlScript(const QString& folder, const QString& script) {
    runIsql(folder, {"-q", "-bail", "-ch", "UTF8", "termaro.fdb", "-i", script});
}

namespace {
// Building a database with isql takes seconds; each test program builds each kind once and
// copies the file for every test.
const QString& templateDatabase(bool withDemo) {
    static QTemporaryDir folders[2];
    static QString built[2];
    QString& path = built[withDemo ? 1 : 0];
    if (path.isEmpty()) {
        const QString folder = folders[withDemo ? 1 : 0].path();
        runIsql(folder, {"-q", "-bail", "-i", repoDbFolder() + "/create.sql"});
        if (withDemo) runSqlScript(folder, repoDbFolder() + "/demo.sql");
        path = folder + "/termaro.fdb";
    }
    return path;
}
}  // namespace

void createDatabase(const QString& folder, bool withDemo) {
    QDir().mkpath(folder);
    const QString target = folder + "/termaro.fdb";
    QFile::remove(target);
    if (!QFile::copy(templateDatabase(withDemo), target)) {
        throw std::runtime_error("cannot copy the test database to " + target.toStdString());
    }
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                 QFile::WriteGroup);
}
