#include "exchange/xml_escape.h"

QString xmlEscape(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '&':
                out += QLatin1String("&amp;");
                break;
            case '<':
                out += QLatin1String("&lt;");
                break;
            case '>':
                out += QLatin1String("&gt;");
                break;
            default:
                out += c;
        }
    }
    return out;
}

void appendXmlEscaped(std::string& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    // The three are ASCII, never part of a multi-byte sequence; text between them goes in runs.
    const char* run = utf8.constData();
    const char* const end = run + utf8.size();
    for (const char* p = run; p < end; ++p) {
        const char* entity = nullptr;
        switch (*p) {
            case '&':
                entity = "&amp;";
                break;
            case '<':
                entity = "&lt;";
                break;
            case '>':
                entity = "&gt;";
                break;
            default:
                continue;
        }
        out.append(run, static_cast<size_t>(p - run));
        out += entity;
        run = p + 1;
    }
    out.append(run, static_cast<size_t>(end - run));
}
