#pragma once

#include <QString>

// "Verzió: 24.00 2006-2024" for version 24.0: major, ".0", minor, the years.
QString versionText();
// "Termaro - " + the first 25 characters of the buyer's name + " " + the version text.
QString buyerTitle(const QString& captionPrefix, const QString& buyerName, const QString& version);
