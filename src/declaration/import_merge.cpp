#include "declaration/import_merge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <vector>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "core/errors.h"
#include "core/safe_file.h"
#include "declaration/line_file.h"

namespace declaration {

QStringList importFiles(const QString& folder) {
    if (folder.isEmpty()) return {};
    return QDir(folder).entryList({QStringLiteral("*.imp")}, QDir::Files, QDir::Name);
}

bool holdsMergeLeftovers(const QString& folder) {
    return !QDir(folder)
                .entryList({QStringLiteral("*.old"), QStringLiteral("*.im_")}, QDir::Files)
                .isEmpty();
}

bool sameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (ca.isEmpty() || cb.isEmpty()) return QDir::cleanPath(a) == QDir::cleanPath(b);
    return ca == cb;
}

namespace {
LineFile readImport(const QString& path) {
    LineFile file = readLineFile(path);
    try {
        for (const QByteArray& key : amountKeys) file.amount(key);
    } catch (const AppError& e) {
        throw AppError(e.text() + QStringLiteral(": ") + QDir::toNativeSeparators(path));
    }
    return file;
}

void addInto(AmountFigures& figures, const LineFile& file) {
    figures.paid += file.amount(paidAmountKey).value_or(0);
    figures.animal += file.amount(animalAmountKey).value_or(0);
    figures.plant += file.amount(plantAmountKey).value_or(0);
}

QString renameMessage(const char* target, const char* step, int code) {
    return QStringLiteral(" \"%1\" %2 átnevezési hiba kódja = %3")
        .arg(QLatin1String(target), QLatin1String(step))
        .arg(code);
}

QString withExtension(const QString& path, const QString& extension) {
    return path.left(path.size() - 4) + extension;
}
}  // namespace

AmountFigures folderFigures(const QString& folder) {
    AmountFigures figures;
    for (const QString& name : importFiles(folder))
        addInto(figures, readImport(QDir(folder).filePath(name)));
    return figures;
}

QStringList pairedFiles(const QStringList& filesA, const QStringList& filesB) {
    QStringList pairs;
    for (const QString& name : filesB) {
        if (filesA.contains(name)) pairs << name;
    }
    return pairs;
}

int moveWithoutReplacing(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    if (QFileInfo::exists(to)) return 183;  // ERROR_ALREADY_EXISTS
    return QFile::rename(from, to) ? 0 : 5;
#else
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the no-replace move (some pen drives): test, then move.
    struct stat info;
    if (::lstat(target.constData(), &info) == 0) return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
#endif
}

QStringList mergePairs(const QString& folderA, const QString& folderB, const QStringList& pairs) {
    struct Pair {
        QString a, b;
        LineFile fileA, fileB;
    };
    std::vector<Pair> work;
    QStringList messages;
    for (const QString& name : pairs) {
        Pair p{QDir(folderA).filePath(name), QDir(folderB).filePath(name), {}, {}};
        p.fileA = readImport(p.a);
        p.fileB = readImport(p.b);
        work.push_back(std::move(p));
    }
    for (Pair& p : work) {
        // The merged A file: every amount line B carries gets the sum of both.
        bool refused = false;
        LineFile merged = p.fileA;
        for (const QByteArray& key : amountKeys) {
            const auto b = p.fileB.amount(key);
            if (!b) continue;
            const int index = merged.lastIndexOf(key);
            if (index < 0) {
                refused = true;
                break;
            }
            const std::int64_t a = p.fileA.amount(key).value_or(0);
            merged.lines[index] = key + '=' + QByteArray::number(qint64(a + *b));
        }
        if (refused) {
            messages << QStringLiteral(
                            "Nem vonható össze, mert a \"B\" fájlban olyan összeg sor "
                            "van, ami az \"A\" fájlban nincs: %1")
                            .arg(QFileInfo(p.b).fileName());
            continue;
        }
        const QString temporary = withExtension(p.a, QStringLiteral(".im_"));
        const QString oldA = withExtension(p.a, QStringLiteral(".old"));
        const QString error = writeFileSafely(temporary, merged.bytes());
        if (!error.isEmpty()) {
            messages << error;
            continue;
        }
        if (const int code = moveWithoutReplacing(p.a, oldA)) {
            messages << renameMessage("old", "Rename1", code);
            QFile::remove(temporary);
            continue;
        }
        if (const int code = moveWithoutReplacing(temporary, p.a)) {
            messages << renameMessage("imp", "Rename11", code);
            if (moveWithoutReplacing(oldA, p.a) == 0) QFile::remove(temporary);
            continue;
        }
        if (const int code =
                moveWithoutReplacing(p.b, withExtension(p.b, QStringLiteral(".old")))) {
            messages << renameMessage("old", "Rename2", code);
            // B stays in the declaration, so A goes back to its own amounts.
            if (QFile::remove(p.a)) moveWithoutReplacing(oldA, p.a);
        }
    }
    return messages;
}

}  // namespace declaration
