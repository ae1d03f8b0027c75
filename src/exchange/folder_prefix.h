#pragma once

#include <QString>

class App;

// The path of `fileName` under a folder prefix typed by the user ("c:\", "c:\Termaro18\"): the
// prefix followed directly by the name, as a Windows path mapped to this machine and resolved
// against the working folder. A prefix naming an existing folder without its closing separator
// gets one, so the file lands inside that folder and not beside it.
QString prefixedPath(App& app, const QString& prefix, const QString& fileName);
