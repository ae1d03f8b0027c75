#include "core/win1250.h"

#include <QHash>
#include <QStringDecoder>
#include <array>

namespace {
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, unsigned char> fromUnicode;
    Tables() {
        QStringDecoder decoder("windows-1250");
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            QString s = decoder.decode(QByteArrayView(&byte, 1));
            char16_t u = s.isEmpty() ? u'\uFFFD' : s.at(0).unicode();
            if (b < 128) u = static_cast<char16_t>(b);  // ASCII whatever the decoder says
            toUnicode[b] = u;
            if (u != u'\uFFFD') fromUnicode.insert(u, static_cast<unsigned char>(b));
        }
    }
};
const Tables& tables() {
    static const Tables t;
    return t;
}
}  // namespace

namespace win1250 {
QString decode(const char* data, qsizetype size) {
    const auto& map = tables().toUnicode;
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) dst[i] = QChar(map[static_cast<unsigned char>(data[i])]);
    return out;
}

QByteArray encode(const QString& text, bool* ok) {
    const auto& map = tables().fromUnicode;
    QByteArray out(text.size(), Qt::Uninitialized);
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 128) {
            out[i] = static_cast<char>(u);
            continue;
        }
        const auto it = map.constFind(u);
        if (it == map.constEnd()) {
            out[i] = '?';
            all = false;
        } else {
            out[i] = static_cast<char>(it.value());
        }
    }
    if (ok) *ok = all;
    return out;
}

QChar firstUnencodable(const QString& text) {
    const auto& map = tables().fromUnicode;
    for (const QChar c : text) {
        if (c.unicode() >= 128 && !map.contains(c.unicode())) return c;
    }
    return {};
}

bool canEncode(const QString& text) {
    return firstUnencodable(text).isNull();
}
}  // namespace win1250
