#include "maintenance/backup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "core/database.h"
#include "core/errors.h"
#include "core/tdata.h"

namespace {

BackupOutcome failure(const QString& message, const QString& detail = {}) {
    return {false, message, detail};
}

void attach(Database& db, const QString& path) {
    db.attach(path, QString::fromLatin1(TData::userName), QString::fromLatin1(TData::password),
              QString::fromLatin1(TData::charset));
}

// 0 normal, 1 stalled (backup lock held), 2 merge.
int backupState(Database& db) {
    std::unique_ptr<Cursor> cursor =
        db.open(QStringLiteral("SELECT MON$BACKUP_STATE FROM MON$DATABASE"), {});
    QByteArray row;
    const int state = cursor->fetch(row) ? static_cast<int>(Cursor::unpack(row, 0).asInteger()) : 0;
    cursor.reset();
    db.commit();
    return state;
}

void alterBackup(Database& db, bool begin) {
    db.execute(begin ? QStringLiteral("ALTER DATABASE BEGIN BACKUP")
                     : QStringLiteral("ALTER DATABASE END BACKUP"),
               {});
    db.commit();
}

// Clears the copy's backup flag; the copy is closed, so nbackup opens it alone.
QString fixUpCopy(const QString& copy) {
    const QString nbackup = QStandardPaths::findExecutable(QStringLiteral("nbackup"));
    if (nbackup.isEmpty()) return QStringLiteral("nbackup not found");
    QProcess process;
    process.start(nbackup, {QStringLiteral("-F"), copy});
    if (!process.waitForFinished(120000)) return QStringLiteral("nbackup did not finish");
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return QString::fromLocal8Bit(process.readAllStandardError() +
                                      process.readAllStandardOutput())
            .trimmed();
    }
    return {};
}

}  // namespace

QString backupFileName(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy_MM_dd_HH_mm")) + QStringLiteral(".FDB");
}

BackupOutcome backupDatabase(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile()) {
        return failure(QStringLiteral("Hiba! A \"Honnan\" -ban megadott fálj nem létezik."));
    }
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
    if (QFileInfo(source).canonicalFilePath() == targetInfo.absoluteFilePath()) {
        return failure(QStringLiteral("Hiba352: A mentés nem lehet maga az adatbázis."));
    }
    const QString part = targetInfo.absoluteFilePath() + QStringLiteral(".part");
    QFile::remove(part);  // a leftover of an interrupted backup of ours

    Database lock;
    try {
        attach(lock, source);
        if (backupState(lock) != 0) alterBackup(lock, false);  // left stalled by an earlier run
        alterBackup(lock, true);
    } catch (const std::exception& e) {
        return failure(QStringLiteral("Hiba353: Az adatbázis mentésre nem zárolható."),
                       errorText(e));
    }

    QFile in(source);
    const bool copied = QFile::copy(source, part);
    const QString copyError = copied ? QString() : in.errorString();
    QString endError;
    try {
        alterBackup(lock, false);
        lock.detach();
    } catch (const std::exception& e) {
        endError = errorText(e);
    }
    if (!copied) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba354: Az adatbázis másolása nem sikerült."), copyError);
    }
    if (!endError.isEmpty()) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba355: Az adatbázis mentési zárolása nem oldható fel."),
                       endError);
    }
    const QString fixError = fixUpCopy(part);
    if (!fixError.isEmpty()) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba356: A másolat nem tehetö használhatóvá (nbackup)."),
                       fixError);
    }
    try {
        Database check;
        attach(check, part);
        if (backupState(check) != 0) throw AppError(QStringLiteral("backup state is not 0"));
        check.detach();
    } catch (const std::exception& e) {
        QFile::remove(part);
        return failure(QStringLiteral("Hiba357: A másolat nem nyitható meg adatbázisként."),
                       errorText(e));
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
