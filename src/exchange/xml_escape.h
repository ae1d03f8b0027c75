#pragma once

#include <QString>

// A value as XML text: "&", "<" and ">" become the predefined entities, everything else stays
// as it is (quotes and control characters included), so the written bytes follow the value.
QString xmlEscape(const QString& text);
