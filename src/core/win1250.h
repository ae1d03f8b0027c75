#pragma once

#include <QByteArray>
#include <QString>

// Windows-1250, the code page of the database and of the text files the program writes.
namespace win1250 {
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}
// Encodes; characters outside the code page become '?' and set *ok to false.
QByteArray encode(const QString& text, bool* ok = nullptr);
bool canEncode(const QString& text);
// The first character of `text` that Windows-1250 cannot hold, or a null QChar.
QChar firstUnencodable(const QString& text);
}  // namespace win1250
