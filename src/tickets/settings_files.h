#pragma once

#include <QString>
#include <QStringList>
#include <map>

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

// `programPath` with the last dot of its file name and what follows replaced by `fileName`;
// a file name without a dot gets `fileName` appended: C:/dir/prog.exe → C:/dir/progform9.ini.
QString filePath(const QString& programPath, const QString& fileName);

// The program file the settings lie beside: the run value when set (tests point it at their
// own folder), else the running executable.
QString programPath(const RunValues& run);

// The key/value pairs of one section of an INI file; section and key names match without
// regard to case, values are trimmed and lose one pair of surrounding quotes. A missing file or
// section gives an empty map.
std::map<QString, QString> readSection(const QString& path, const QString& section);

// Reads the keys of "form9.ini" (section "Form9") or "form10.ini" (section "Form10") into the
// run values' entry defaults; a missing file or key leaves the value as it was.
void readForm9(RunValues& run);
void readForm10(RunValues& run);

// An entry default by file and key ("" when never read).
QString value(const RunValues& run, const QString& fileName, const QString& key);
}  // namespace settings
