#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// The declaration import files the tax authority's form program reads: "code=value" lines, CR LF
// after every line, no byte-order mark, ISO-8859-2 text (every Hungarian letter has the byte it
// has in Windows-1250). The export writes them and the merge reads, sums and rewrites them, so
// both agree here on the names, the amount lines and the number form.
namespace declaration {

// Amount lines: the 2408M form's paid amount (line 401) and the older form's line 455.
inline const QByteArray paidAmountKey = "24804";
inline const QByteArray animalAmountKey = "12456";
inline const QByteArray plantAmountKey = "23790";
inline const QList<QByteArray> amountKeys = {paidAmountKey, animalAmountKey, plantAmountKey};

// "2408M" + yyyy + mm + "_" + tax id + ".imp".
QString importFileName(const QString& yearMonth, const QString& taxId);
// "2108M_" + yyyymmdd of the first day + "_" + mmdd of the last day + ".txt".
QString groupListName(const QString& fromCompact, const QString& toCompact);
// Whether a file in a month folder is one the export writes (and so may clear).
bool isExportFile(const QString& fileName);

// The lines of one file, as bytes.
class LineFile {
public:
    QList<QByteArray> lines;

    // Splits at LF, dropping a CR before it; a last line without a line end counts.
    static LineFile parse(const QByteArray& bytes);
    // Every line followed by CR LF.
    QByteArray bytes() const;

    void add(const QByteArray& key, const QByteArray& value) { lines << key + '=' + value; }
    // The index of the last line "key=..." or -1.
    int lastIndexOf(const QByteArray& key) const;
    // The amount of the last "key=" line: nullopt when there is none or it holds nothing after
    // the "=" (such a line counts as 0); throws AppError when the value is not a whole number of
    // at most 11 digits.
    std::optional<std::int64_t> amount(const QByteArray& key) const;
};

// Reads a file; throws AppError with the reason when it cannot be read.
LineFile readLineFile(const QString& path);

// The nearest whole number, halves away from zero, as the form's amount lines carry it; throws
// AppError when it has more than 11 digits.
QString amountText(double value);
QString amountText(std::int64_t scaled, int scale);  // an exact decimal: scaled / 10^scale

// A value made fit for one line of an import file: control characters (line breaks included)
// become a blank, typographic quotes and dashes their ASCII forms. Returns the ISO-8859-2 bytes,
// or nullopt with *bad set to the first character the encoding cannot hold.
std::optional<QByteArray> importText(const QString& value, QChar* bad = nullptr);

}  // namespace declaration
