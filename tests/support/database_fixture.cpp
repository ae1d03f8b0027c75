#include "support/database_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <stdexcept>

QString repoDbFolder() { return QStringLiteral(TERMARO_SOURCE_DIR "/db"); }

namespace {
void runIsql(const QString& folder, const QStringList& args) {
    QProcess isql;
    isql.setWorkingDirectory(folder);
    isql.start(QStringLiteral("isql-fb"), args);
    if (!isql.waitForFinished(120000) || isql.exitCode() != 0) {
        throw std::runtime_error(("isql-fb failed: " + isql.readAllStandardError() +
                                  isql.readAllStandardOutput())
                                     .toStdString());
    }
    const QByteArray err = isql.readAllStandardError();
    if (!err.trimmed().isEmpty()) throw std::runtime_error("isql-fb: " + err.toStdString());
}
}  // namespace

void runSqlScript(const QString& folder, const QString& script) {
    runIsql(folder, {"-q", "-bail", "-ch", "UTF8", "termaro.fdb", "-i", script});
}

void createDatabase(const QString& folder, bool withDemo) {
    QDir().mkpath(folder);
    QFile::remove(folder + "/termaro.fdb");
    runIsql(folder, {"-q", "-bail", "-i", repoDbFolder() + "/create.sql"});
    if (withDemo) runSqlScript(folder, repoDbFolder() + "/demo.sql");
}
