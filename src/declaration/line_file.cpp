#include "declaration/line_file.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <cmath>

#include "core/errors.h"

namespace declaration {

QString importFileName(const QString& yearMonth, const QString& taxId) {
    return QStringLiteral("2408M") + yearMonth + QLatin1Char('_') + taxId + QStringLiteral(".imp");
}

QString groupListName(const QString& fromCompact, const QString& toCompact) {
    return QStringLiteral("2108M_") + fromCompact + QLatin1Char('_') + toCompact.mid(4, 4) +
           QStringLiteral(".txt");
}

bool isExportFile(const QString& fileName) {
    return fileName.startsWith(QStringLiteral("2408M"), Qt::CaseInsensitive) ||
           fileName.startsWith(QStringLiteral("2108M_"), Qt::CaseInsensitive);
}

LineFile LineFile::parse(const QByteArray& bytes) {
    LineFile file;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool last = end < 0;
        if (last) end = bytes.size();
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r')) line.chop(1);
        file.lines << line;
        start = end + 1;
    }
    return file;
}

QByteArray LineFile::bytes() const {
    QByteArray out;
    for (const QByteArray& line : lines) out += line + "\r\n";
    return out;
}

int LineFile::lastIndexOf(const QByteArray& key) const {
    const QByteArray prefix = key + '=';
    for (int i = int(lines.size()) - 1; i >= 0; --i) {
        if (lines.at(i).startsWith(prefix)) return i;
    }
    return -1;
}

namespace {
constexpr std::int64_t maxAmount = 99'999'999'999;  // 11 digits, the most an amount line holds
}  // namespace

std::optional<std::int64_t> LineFile::amount(const QByteArray& key) const {
    const int index = lastIndexOf(key);
    if (index < 0) return std::nullopt;
    const QByteArray value = lines.at(index).mid(key.size() + 1).trimmed();
    if (value.isEmpty()) return std::nullopt;
    bool ok = false;
    const std::int64_t number = value.toLongLong(&ok);
    if (!ok)
        throw AppError(QStringLiteral("'%1' nem érvényes egész szám (%2= sor)")
                           .arg(QString::fromLatin1(value), QString::fromLatin1(key)));
    // Sums of such amounts stay far inside the number that holds them.
    if (number > maxAmount || number < -maxAmount)
        throw AppError(QStringLiteral("Az összeg több mint 11 jegyű: %1 (%2= sor)")
                           .arg(QString::fromLatin1(value), QString::fromLatin1(key)));
    return number;
}

LineFile readLineFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("A fájl nem olvasható: %1 (%2)")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("A fájl nem olvasható: %1 (%2)")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    return LineFile::parse(bytes);
}

namespace {

QString checkedAmount(std::int64_t whole) {
    if (whole > maxAmount || whole < -maxAmount)
        throw AppError(QStringLiteral("Az összeg több mint 11 jegyű: %1").arg(whole));
    return QString::number(whole);
}
}  // namespace

QString amountText(double value) {
    const double rounded = std::round(value);  // halves away from zero
    if (!std::isfinite(rounded) || std::fabs(rounded) > double(maxAmount))
        throw AppError(QStringLiteral("Az összeg több mint 11 jegyű: %1").arg(value, 0, 'f', 0));
    return checkedAmount(static_cast<std::int64_t>(rounded));
}

QString amountText(std::int64_t scaled, int scale) {
    std::int64_t unit = 1;
    for (int i = 0; i < scale; ++i) unit *= 10;
    std::int64_t whole = scaled / unit;
    const std::int64_t rest = scaled % unit;  // same sign as scaled
    if (rest * 2 >= unit) ++whole;
    if (rest * 2 <= -unit) --whole;
    return checkedAmount(whole);
}

namespace {
// ISO-8859-2: ASCII and the upper half from 0xA0; the C1 controls are never written.
const QHash<char16_t, char>& latin2Bytes() {
    static const QHash<char16_t, char> map = [] {
        QHash<char16_t, char> m;
        QStringDecoder decoder("ISO-8859-2");
        for (int b = 0xA0; b < 0x100; ++b) {
            const char byte = static_cast<char>(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            if (s.size() == 1 && s.at(0) != QChar(0xFFFD)) m.insert(s.at(0).unicode(), byte);
        }
        return m;
    }();
    return map;
}

// The ASCII form of typographic quotes and dashes; 0 when there is none.
char asciiForm(char16_t c) {
    switch (c) {
        case u'\u201C':
        case u'\u201D':
        case u'\u201E':
        case u'\u201F':
        case u'\u00AB':
        case u'\u00BB':
        case u'\u2033':
            return '"';
        case u'\u2018':
        case u'\u2019':
        case u'\u201A':
        case u'\u201B':
        case u'\u2039':
        case u'\u203A':
        case u'\u2032':
            return '\'';
        case u'\u2010':
        case u'\u2011':
        case u'\u2012':
        case u'\u2013':
        case u'\u2014':
        case u'\u2015':
        case u'\u2212':
            return '-';
        default:
            return 0;
    }
}
}  // namespace

std::optional<QByteArray> importText(const QString& value, QChar* bad) {
    const auto& map = latin2Bytes();
    QByteArray out;
    out.reserve(value.size());
    for (QChar ch : value) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0x2028 || c == 0x2029) {
            out += ' ';
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const char ascii = asciiForm(c)) {
            out += ascii;
        } else if (const auto it = map.constFind(c); it != map.constEnd()) {
            out += it.value();
        } else {
            if (bad) *bad = ch;
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace declaration
