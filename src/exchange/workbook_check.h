#pragma once

#include <QString>

// The spreadsheet library keeps a sheet's rows in temporary files and does not check its writes
// to them: on a full disk it zips what it could write and reports success. This reads a written
// workbook back: every part must inflate to its recorded size, and every XML part must end with
// the closing tag of its root element. Returns "" for a whole workbook, else what is wrong.
QString unfinishedWorkbookPart(const QString& path);
