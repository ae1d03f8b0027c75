#include "core/database_location.h"

#include <QRegularExpression>

#include "core/paths.h"
#include "core/settings_file.h"
#include "core/tdata.h"

namespace {
// "inet://host…", "inet4://", "inet6://", "xnet://" and "wnet://": the protocol named.
const QRegularExpression protocolForm(QStringLiteral("^(inet[46]?|xnet|wnet)://"),
                                      QRegularExpression::CaseInsensitiveOption);
// "host:" or "host/port:" (also "host/service:"); a one-letter host is a Windows drive.
const QRegularExpression hostForm(QStringLiteral("^([^:/\\\\]{2,}|\\[[^\\]]+\\])(/[^:/\\\\]+)?:"));
}  // namespace

bool namesServer(const QString& name) {
    return protocolForm.match(name).hasMatch() || hostForm.match(name).hasMatch();
}

ServerName splitServerName(const QString& name) {
    if (!namesServer(name)) return {{}, name, {}};
    const QRegularExpressionMatch protocol = protocolForm.match(name);
    if (protocol.hasMatch()) {
        // inet://host[:port]/path: what follows the slash after the host is the database.
        const qsizetype slash = name.indexOf(QLatin1Char('/'), protocol.capturedEnd());
        const QString server = slash < 0 ? name : name.left(slash);
        return {server, slash < 0 ? QString() : name.mid(slash + 1),
                server + QStringLiteral("/service_mgr")};
    }
    const QString server = name.left(hostForm.match(name).capturedEnd() - 1);
    return {server, name.mid(server.size() + 1), server + QStringLiteral(":service_mgr")};
}

DatabaseLocation resolveDatabaseLocation(const QString& workFolder, const QString& settingsPath,
                                         const QString& environmentValue) {
    const auto values = settings::readSection(settingsPath, databaseSettingsSection);
    const auto setting = [&](const char* key) {
        const auto it = values.find(QString::fromLatin1(key));
        return it == values.end() ? QString() : it->second;
    };
    DatabaseLocation location;
    location.name = environmentValue.trimmed();
    if (location.name.isEmpty()) location.name = setting("hely");
    if (location.name.isEmpty()) location.name = QString::fromLatin1(TData::databaseFile);
    location.server = namesServer(location.name);
    if (!location.server) location.name = resolveIn(workFolder, location.name);
    location.user = setting("felhasznalo");
    if (location.user.isEmpty()) location.user = QString::fromLatin1(TData::userName);
    return location;
}

DatabaseLocation databaseLocation(const QString& workFolder, const QString& programPath) {
    return resolveDatabaseLocation(workFolder,
                                   settings::filePath(programPath, databaseSettingsFile),
                                   qEnvironmentVariable("TERMARO_DATABASE"));
}
