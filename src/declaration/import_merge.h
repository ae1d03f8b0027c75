#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Merging two sets of declaration import files (folder "A" and folder "B"): for every file name
// present in both, the B file's amounts are added into the A file and the B file is set aside
// as ".old", so both folders can be imported together without a producer appearing twice.
namespace declaration {

// The sums of a folder's amount lines.
struct AmountFigures {
    std::int64_t paid = 0;    // "24804="
    std::int64_t animal = 0;  // "12456="
    std::int64_t plant = 0;   // "23790="
    std::int64_t all() const { return paid + animal + plant; }
};

// The "*.imp" file names of a folder, sorted.
QStringList importFiles(const QString& folder);
// Whether the folder holds ".old" or ".im_" files of an earlier merge.
bool holdsMergeLeftovers(const QString& folder);
// Whether two folder texts name the same folder.
bool sameFolder(const QString& a, const QString& b);
// The sums over the folder's import files; throws AppError naming a file that cannot be read or
// an amount that is not a whole number.
AmountFigures folderFigures(const QString& folder);
// The B names that A also holds, in B's order.
QStringList pairedFiles(const QStringList& filesA, const QStringList& filesB);

// Moves a file unless the target exists; 0 or the system's error code.
int moveWithoutReplacing(const QString& from, const QString& to);

// Merges the pairs. Every file of every pair is read first (AppError on a bad one, nothing
// changed). A pair whose B file has an amount line its A file lacks is left as it is. Per pair:
// the merged file is written as ".im_", the A file becomes ".old", the ".im_" becomes ".imp", and
// only then the B file becomes ".old"; a failed step undoes that pair's earlier steps and the
// merge goes on with the next pair. Returns the messages for the user, in order.
QStringList mergePairs(const QString& folderA, const QString& folderB, const QStringList& pairs);

}  // namespace declaration
