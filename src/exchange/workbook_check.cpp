#include "exchange/workbook_check.h"

#include <zlib.h>

#include <QFile>
#include <QRegularExpression>

namespace {

quint32 read16(const QByteArray& bytes, qsizetype at) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8;
}

quint32 read32(const QByteArray& bytes, qsizetype at) {
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

// The start and the end of a part's contents, and how many bytes it holds.
struct PartEnds {
    QByteArray head;
    QByteArray tail;
    qint64 size = 0;
    bool ok = false;
};

constexpr qsizetype endLength = 512;

void keepEnds(PartEnds& ends, const char* data, qsizetype length) {
    if (ends.head.size() < endLength)
        ends.head.append(data, qMin(length, endLength - ends.head.size()));
    ends.tail.append(data, length);
    if (ends.tail.size() > endLength) ends.tail.remove(0, ends.tail.size() - endLength);
    ends.size += length;
}

PartEnds inflatePart(const QByteArray& compressed, quint32 method) {
    PartEnds ends;
    if (method == 0) {
        keepEnds(ends, compressed.constData(), compressed.size());
        ends.ok = true;
        return ends;
    }
    if (method != Z_DEFLATED) return ends;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return ends;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    char buffer[1 << 16];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        keepEnds(ends, buffer, qsizetype(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    ends.ok = result == Z_STREAM_END;
    return ends;
}

// An XML part ends with the closing tag of the element it starts with, or that element closes
// itself.
bool xmlPartEnds(const PartEnds& ends) {
    static const QRegularExpression root(QStringLiteral("^\\s*(<\\?[^>]*\\?>\\s*)?<([\\w:]+)"));
    const QString head = QString::fromUtf8(ends.head);
    const QRegularExpressionMatch match = root.match(head);
    if (!match.hasMatch()) return false;
    const QByteArray tail = ends.tail.trimmed();
    if (tail.endsWith("</" + match.captured(2).toUtf8() + '>')) return true;
    // A root element closed by itself is the whole part.
    return ends.size <= endLength && tail.endsWith("/>") && !tail.contains("</");
}

}  // namespace

QString unfinishedWorkbookPart(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return file.errorString();
    const QByteArray zip = file.readAll();
    // The end of the central directory: 22 bytes and a comment of up to 64 KiB.
    qsizetype end = zip.size() - 22;
    while (end >= 0 && end >= zip.size() - 22 - 0xFFFF && read32(zip, end) != 0x06054b50) --end;
    if (end < 0 || end < zip.size() - 22 - 0xFFFF) return QStringLiteral("no zip directory");
    const quint32 count = read16(zip, end + 10);
    qsizetype entry = read32(zip, end + 16);
    for (quint32 i = 0; i < count; ++i) {
        if (entry + 46 > zip.size() || read32(zip, entry) != 0x02014b50)
            return QStringLiteral("damaged zip directory");
        const quint32 method = read16(zip, entry + 10);
        const quint32 compressedSize = read32(zip, entry + 20);
        const quint32 size = read32(zip, entry + 24);
        const quint32 nameLength = read16(zip, entry + 28);
        const qsizetype local = read32(zip, entry + 42);
        const QString name = QString::fromUtf8(zip.mid(entry + 46, nameLength));
        entry += 46 + nameLength + read16(zip, entry + 30) + read16(zip, entry + 32);
        if (local + 30 > zip.size() || read32(zip, local) != 0x04034b50) return name;
        const qsizetype data = local + 30 + read16(zip, local + 26) + read16(zip, local + 28);
        if (data + compressedSize > zip.size()) return name;
        const PartEnds ends = inflatePart(zip.mid(data, compressedSize), method);
        if (!ends.ok || ends.size != qint64(size)) return name;
        if ((name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".rels"))) &&
            !xmlPartEnds(ends))
            return name;
    }
    return {};
}
