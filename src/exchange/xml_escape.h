#pragma once

#include <QByteArray>
#include <QString>

// A value as XML text: "&", "<" and ">" become the predefined entities, everything else stays
// as it is (quotes and control characters included), so the written bytes follow the value.
QString xmlEscape(const QString& text);

// Appends `text` as UTF-8 with the same escaping as xmlEscape().
void appendXmlEscaped(QByteArray& out, const QString& text);
