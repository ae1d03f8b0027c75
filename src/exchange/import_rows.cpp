#include "exchange/import_rows.h"

#include <QDir>
#include <QFile>

#include "core/app.h"
#include "core/errors.h"
#include "core/win1250.h"
#include "core/write.h"
#include "exchange/row_stream.h"

namespace {
// Codes named in the message about skipped rows; the rest are counted only.
constexpr int listedCodes = 20;

// The database compares texts without their trailing blanks, and so do the imports.
QString codeKey(const QString& code) {
    qsizetype end = code.size();
    while (end > 0 && code.at(end - 1) == u' ') --end;
    return code.left(end);
}
}  // namespace

QStringList textLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QByteArray readInputFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(QStringLiteral("A fájl nem nyitható meg: %1 (%2)")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw AppError(QStringLiteral("A fájl nem olvasható: %1 (%2)")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return bytes;
}

QStringList readImportLines(const QString& path,
                            const std::function<QString(const QByteArray&)>& decode) {
    const QStringList lines = textLines(decode(readInputFile(path)));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).size() > longestImportLine) {
            throw AppError(
                QStringLiteral("A fájl nem import fájl: %1 (a %2. sora hosszabb %3 karakternél)")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(i + 1)
                    .arg(longestImportLine));
        }
    }
    return lines;
}

QSet<QString> storedCodes(Database& db, const QString& sql) {
    QSet<QString> codes;
    RowStream rows(db, sql);
    while (rows.next()) codes.insert(codeKey(rows.value(0).asText()));
    return codes;
}

void requireStorable(const QString& text) {
    const QChar bad = win1250::firstUnencodable(text);
    if (!bad.isNull()) {
        throw ConversionError(
            QStringLiteral("A(z) \"%1\" karakter nem tárolható: %2").arg(bad, text));
    }
}

ImportOutcome importKeyedRows(App& app, const QStringList& rows, QSet<QString> codes,
                              const std::function<QString(const QString&)>& codeOf,
                              const std::function<void(const QString&)>& insert,
                              const QString& startFailure, const QString& rowFailure,
                              const std::function<void()>& afterRow) {
    ImportOutcome outcome;
    outcome.finished = runWrite(app, startFailure, rowFailure, [&] {
        for (const QString& row : rows) {
            const QString code = codeKey(codeOf(row));
            if (!code.isEmpty() && codes.contains(code)) {
                outcome.skippedCodes << code;
            } else {
                const bool done = runRowStep(
                    app, [&] { insert(row); },
                    [&](const QString& reason) {
                        qWarning("%s: %s", qUtf8Printable(rowFailure), qUtf8Printable(reason));
                        app.ui().message(rowFailure);
                    });
                if (done) {
                    codes.insert(code);
                    ++outcome.inserted;
                } else {
                    ++outcome.failed;
                }
            }
            if (afterRow) afterRow();
        }
    });
    return outcome;
}

void reportSkippedCodes(App& app, const QStringList& codes) {
    if (codes.isEmpty()) return;
    QString listed = codes.mid(0, listedCodes).join(QStringLiteral(", "));
    if (codes.size() > listedCodes) listed += QStringLiteral(", …");
    app.ui().message(
        QStringLiteral("%1 sor kimaradt, mert a kódja már szerepel az adatbázisban: %2")
            .arg(codes.size())
            .arg(listed));
}
