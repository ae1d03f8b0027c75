#pragma once

#include <QList>
#include <QString>
#include <functional>

class RowStream;

// One worksheet column: width in the spreadsheet's character units and alignment.
struct SheetColumn {
    double width = 10;
    bool rightAligned = false;
};

// The rows one worksheet holds below its header row.
constexpr int sheetDataRowLimit = 1048576 - 1;

// Writes the rows of `rows` as a one-sheet .xlsx workbook at `path`: a bold header row of the
// column names in upper case, then one row per result row with typed cells (texts as strings, so
// leading zeros stay; numbers as numbers; dates as dates shown "yyyy.mm.dd"; NULL left empty).
// Widths and alignments come from `columns` by position. The workbook is written row by row
// (constant memory) to a temporary file beside the target, which replaces the target only when
// complete. `onRow` runs after each data row. Returns "" on success, else the reason.
QString writeWorkbook(const QString& path, const QList<SheetColumn>& columns, RowStream& rows,
                      const std::function<void()>& onRow);
