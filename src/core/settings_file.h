#pragma once

#include <QString>
#include <map>

struct RunValues;

// Settings files beside the program file, read only (Windows-1250 text).
namespace settings {

// `programPath` with the last dot of its file name and what follows replaced by `fileName`;
// a file name without a dot gets `fileName` appended: C:/dir/prog.exe → C:/dir/progform9.ini.
QString filePath(const QString& programPath, const QString& fileName);

// The program file the settings lie beside: the run value when set (tests point it at their
// own folder), else the running executable.
QString programPath(const RunValues& run);

// The key/value pairs of one section of an INI file, keyed by lower-case name; section and key
// names match without regard to case, values are trimmed and lose one pair of surrounding
// quotes. A missing file or section gives an empty map.
std::map<QString, QString> readSection(const QString& path, const QString& section);

}  // namespace settings
