#include "support/database_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
// Building a database with isql takes seconds, so the build makes the empty and the demo database
// once (scripts/make-test-databases) and every test copies one.
QString templateDatabase(bool withDemo) {
    const QString path = QStringLiteral(TERMARO_TEST_DATABASES) +
                         (withDemo ? QStringLiteral("/demo") : QStringLiteral("/empty")) +
                         QStringLiteral("/termaro.fdb");
    if (!QFile::exists(path)) {
        throw std::runtime_error("test database missing, build the test_databases target: " +
                                 path.toStdString());
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
