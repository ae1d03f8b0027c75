#pragma once

#include <QString>
#include <QStringList>
#include <map>

#include "core/settings_file.h"

struct RunValues;

// The settings files "form9.ini" and "form10.ini" beside the program file: entry-field defaults
// maintained outside the program, which only reads them (Windows-1250 text).
namespace settings {
inline const QString form9 = QStringLiteral("form9.ini");
inline const QString form10 = QStringLiteral("form10.ini");

// The keys each file carries.
QStringList
form9Keys();  // Edit14Visible, Edit14Text, Edit15Visible, Edit15Text, Edit13Visible, Edit13Text
QStringList form10Keys();  // Edit10Visible, Edit8Text

// Reads the keys of "form9.ini" (section "Form9") or "form10.ini" (section "Form10") into the
// run values' entry defaults; a missing file or key leaves the value as it was.
void readForm9(RunValues& run);
void readForm10(RunValues& run);

// An entry default by file and key ("" when never read).
QString value(const RunValues& run, const QString& fileName, const QString& key);
}  // namespace settings
