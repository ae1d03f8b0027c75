#include "maintenance/server_backup.h"

#include <firebird/Interface.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <vector>

#include "core/database_location.h"
#include "core/win1250.h"

using namespace Firebird;

namespace {

BackupOutcome failure(const QString& message, const QString& detail = {}) {
    return {false, message, detail};
}

QString statusText(IMaster* master, IStatus* status) {
    char buffer[2048];
    master->getUtilInterface()->formatStatus(buffer, sizeof buffer, status);
    return win1250::decode(buffer, static_cast<qsizetype>(std::strlen(buffer)));
}

unsigned readLength(const unsigned char* p) {
    return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
}

// Runs the backup service with "stdout" as its file and hands each piece of the stream to
// `out`; throws FbException for the server's refusals and failures, AppError-free.
void streamBackup(IMaster* master, ThrowStatusWrapper* s, const ServerName& where,
                  const QString& user, const QString& password, QFile& out, QString& writeError) {
    IUtil* util = master->getUtilInterface();
    IXpbBuilder* attach = util->getXpbBuilder(s, IXpbBuilder::SPB_ATTACH, nullptr, 0);
    IXpbBuilder* start = nullptr;
    IProvider* provider = master->getDispatcher();
    IService* service = nullptr;
    const auto cleanUp = [&] {
        if (start) start->dispose();
        attach->dispose();
        if (service) service->release();
        provider->release();
    };
    try {
        attach->insertTag(s, isc_spb_utf8_filename);  // the strings are UTF-8, as at attach
        attach->insertString(s, isc_spb_user_name, user.toUtf8().constData());
        attach->insertString(s, isc_spb_password, password.toUtf8().constData());
        const QByteArray manager = where.serviceManager.toUtf8();
        service = provider->attachServiceManager(s, manager.constData(), attach->getBufferLength(s),
                                                 attach->getBuffer(s));
        start = util->getXpbBuilder(s, IXpbBuilder::SPB_START, nullptr, 0);
        start->insertTag(s, isc_action_svc_backup);
        start->insertString(s, isc_spb_dbname, where.database.toUtf8().constData());
        start->insertString(s, isc_spb_bkp_file, "stdout");
        service->start(s, start->getBufferLength(s), start->getBuffer(s));

        const unsigned char receive[] = {isc_info_svc_to_eof};
        std::vector<unsigned char> buffer(32768);
        for (bool more = true; more;) {
            service->query(s, 0, nullptr, sizeof receive, receive,
                           static_cast<unsigned>(buffer.size()), buffer.data());
            const unsigned char* p = buffer.data();
            const unsigned char* const end = p + buffer.size();
            if (*p == isc_info_end) break;  // nothing more to say: the service has ended
            while (p < end && *p != isc_info_end) {
                const unsigned char item = *p++;
                if (item == isc_info_svc_to_eof) {
                    const unsigned length = readLength(p);
                    p += 2;
                    if (length == 0) {
                        more = false;  // the stream is whole
                        break;
                    }
                    if (writeError.isEmpty() &&
                        out.write(reinterpret_cast<const char*>(p), length) != length) {
                        writeError = out.errorString();
                    }
                    p += length;
                } else if (item == isc_info_truncated || item == isc_info_data_not_ready ||
                           item == isc_info_svc_timeout) {
                    continue;  // more comes with the next query
                } else {
                    more = false;
                    break;
                }
            }
        }
        service->detach(s);
        service = nullptr;
        cleanUp();
    } catch (...) {
        cleanUp();
        throw;
    }
}

}  // namespace

QString serverBackupFileName(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy_MM_dd_HH_mm")) + QStringLiteral(".FBK");
}

BackupOutcome backupFromServer(const QString& database, const QString& user,
                               const QString& password, const QString& target) {
    const QFileInfo targetInfo(target);
    if (!targetInfo.absoluteDir().exists()) {
        return failure(QStringLiteral("Hiba351: A \"Hová\" könyvtár nem létezik: %1")
                           .arg(QDir::toNativeSeparators(targetInfo.absolutePath())));
    }
    if (targetInfo.exists()) {
        return failure(
            QStringLiteral("Hiba352: Ilyen nevü mentés már van (ebben a percben már készült "
                           "egy): %1")
                .arg(QDir::toNativeSeparators(targetInfo.absoluteFilePath())));
    }
    const ServerName where = splitServerName(database);
    if (where.server.isEmpty() || where.database.isEmpty()) {
        return failure(QStringLiteral("Hiba359: Az adatbázis mentése a szerveren nem sikerült."),
                       QStringLiteral("not a server database: %1").arg(database));
    }
    const QString part = targetInfo.absoluteFilePath() + QStringLiteral(".part");
    QFile out(part);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failure(QStringLiteral("Hiba354: Az adatbázis másolása nem sikerült."),
                       out.errorString());
    }
    IMaster* master = fb_get_master_interface();
    IStatus* status = master->getStatus();
    ThrowStatusWrapper wrapper(status);
    QString serverError;
    QString writeError;
    try {
        streamBackup(master, &wrapper, where, user, password, out, writeError);
    } catch (const FbException& e) {
        serverError = statusText(master, e.getStatus());
    }
    status->dispose();
    if (writeError.isEmpty() && !out.flush()) writeError = out.errorString();
    out.close();
    if (!serverError.isEmpty()) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba359: Az adatbázis mentése a szerveren nem sikerült."),
                       serverError);
    }
    if (!writeError.isEmpty() || QFileInfo(part).size() == 0) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba354: Az adatbázis másolása nem sikerült."),
                       writeError.isEmpty() ? QStringLiteral("empty backup") : writeError);
    }
    if (!QFile::rename(part, targetInfo.absoluteFilePath())) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba358: A másolat nem nevezhetö át: %1")
                           .arg(QDir::toNativeSeparators(targetInfo.absoluteFilePath())));
    }
    return {true,
            QStringLiteral("Az adatbázis átmásolva a \"Hová\" könyvtárba. Kérem ellenőrizze le."),
            {}};
}
