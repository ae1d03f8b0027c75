#pragma once

#include <QString>
#include <string>

// A value as XML text: "&", "<" and ">" become the predefined entities, everything else stays
// as it is (quotes and control characters included), so the written bytes follow the value.
QString xmlEscape(const QString& text);

// Appends `text` as UTF-8 with the same escaping as xmlEscape().
void appendXmlEscaped(std::string& out, const QString& text);
