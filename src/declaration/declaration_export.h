#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class App;

// The monthly 2408M declaration files of the current buyer: one import file per producer (per
// tax identification number) with the amounts paid in the month, and the group import list.
namespace declaration {

// Which ticket amount is declared: the payable amount, or the purchase-price total when the
// ticket entry shows the member contribution field ("form9.ini", Form9/Edit15Visible = 1).
enum class AmountColumn { Payable, PurchaseTotal };
AmountColumn amountColumnFromSettings(App& app);

// The month folder under "C:\TERMARO\" (mapped to this machine) for a period text "yyyy.mm.dd".
QString monthFolder(const QString& periodFrom);
// "yyyy.mm.dd" → "yyyymmdd"; "" stays "".
QString compactDate(const QString& date);

struct OutputFile {
    QString path;
    QByteArray bytes;
};

// Everything one collection writes, built from the database before any file is touched.
struct Collection {
    QString folder;
    QString total;             // the total text of all payments of the period
    QList<OutputFile> files;   // the import files in producer-code order
    OutputFile groupList;      // names the import files
    QStringList skippedCodes;  // codes without a producer row or a 10-digit tax id
};

// Reads the period's sums into ZQ20 (one row per producer code, for the screen's grid), the
// buyer into ZQ60 and the producers into ZQ21, and builds the files. Throws AppError naming the
// producer and field when a value cannot be written in the importer's encoding.
Collection collect(App& app, const QString& from, const QString& to, AmountColumn column);

// Replaces the export's own files in the folder ("2408M*", "2108M_*") by the collection's; the
// user's other files stay. On any failure the files written so far are removed and AppError
// tells why; a file that cannot be cleared stops the run before anything is written.
// `progress` hears the number of files written so far, for a progress bar.
void writeCollection(const Collection& collection,
                     const std::function<void(int written, int total)>& progress = {});

// The SUM expression of the chosen amount column.
QString amountSum(AmountColumn column);

}  // namespace declaration
