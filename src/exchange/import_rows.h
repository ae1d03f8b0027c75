#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class App;
class Database;

// The lines of a text file: CR LF or LF ends, no empty last line for the closing line end.
QStringList textLines(const QString& text);
// Reads a whole file; throws AppError naming the file when it cannot be read.
QByteArray readInputFile(const QString& path);
// The longest line an import file may hold, far beyond any real row: a longer one means the
// file is not one of these (and the text area showing it would take minutes to draw).
constexpr qsizetype longestImportLine = 10000;
// The lines of an import file as `decode` reads its bytes; throws AppError naming the file when
// it cannot be read or holds a line longer than longestImportLine.
QStringList readImportLines(const QString& path,
                            const std::function<QString(const QByteArray&)>& decode);

// The values of one column of a table (codes already stored), read straight from the server.
QSet<QString> storedCodes(Database& db, const QString& sql);

// Throws ConversionError when a text read from a file cannot be stored in Windows-1250.
void requireStorable(const QString& text);

// What an import of keyed rows did.
struct ImportOutcome {
    bool finished = false;  // false: the transaction could not start or the commit failed
    int inserted = 0;
    int failed = 0;
    QStringList skippedCodes;  // rows left out because their code is already stored
};

// Inserts the rows of one file in one transaction: each row under the row step, so a failed row
// shows `rowFailure` and the rest go on; a row whose code (from `codeOf`; "" never counts as
// stored) is in `codes` is skipped, and each inserted code joins `codes`. The transaction commits
// at the end; `startFailure` is shown when it cannot start.
ImportOutcome importKeyedRows(App& app, const QStringList& rows, QSet<QString> codes,
                              const std::function<QString(const QString&)>& codeOf,
                              const std::function<void(const QString&)>& insert,
                              const QString& startFailure, const QString& rowFailure,
                              const std::function<void()>& afterRow = {});

// Tells the user which rows were left out because their code was already stored; nothing when
// none were.
void reportSkippedCodes(App& app, const QStringList& codes);
