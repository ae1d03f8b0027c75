#pragma once

#include <QString>

// A Windows path from the program's defaults ("C:\TERMARO\08\") on this machine: the drive root
// becomes the folder in TERMARO_C_DRIVE (default: the user's home folder), backslashes become
// slashes, the rest of the path is kept. A path without a drive letter only gets its slashes.
QString windowsDefaultPath(const QString& windowsPath);

// `name` against `folder` when it is bare or relative; an absolute path stays as it is.
QString resolveIn(const QString& folder, const QString& name);
