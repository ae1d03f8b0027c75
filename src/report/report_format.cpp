#include "report/report_format.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

struct NumberPattern {
    bool grouping = false;
    int minDecimals = 0;
    int maxDecimals = 0;
};

bool parseNumberPattern(const QString& format, NumberPattern* out) {
    static const QRegularExpression pattern(QStringLiteral(R"(^[#0,]*[#0](\.[0#]+)?$)"));
    if (!pattern.match(format).hasMatch()) return false;
    const int point = format.indexOf('.');
    const QString integer = point < 0 ? format : format.left(point);
    const QString decimals = point < 0 ? QString() : format.mid(point + 1);
    out->grouping = integer.contains(',');
    out->minDecimals = static_cast<int>(decimals.count('0'));
    out->maxDecimals = static_cast<int>(decimals.size());
    // "0.#0" makes no sense: optional places must follow the fixed ones.
    return !decimals.contains(QStringLiteral("#0"));
}

bool isDatePattern(const QString& format) {
    static const QRegularExpression pattern(QStringLiteral(R"(^(yyyy|yy|mm|m|dd|d|[^A-Za-z])+$)"));
    const bool dateLetter = format.contains('y') || format.contains('m') || format.contains('d');
    return dateLetter && pattern.match(format).hasMatch();
}

// The template's date letters (m is the month) in Qt's terms.
QString qtDatePattern(const QString& format) {
    QString out;
    for (QChar c : format) out += c == 'm' ? QChar('M') : c;
    return out;
}

bool numberOf(const QVariant& value, double* out) {
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            *out = value.toDouble();
            return true;
        case QMetaType::QString: {
            QString text = value.toString().trimmed();
            text.replace(',', '.');
            bool ok = false;
            *out = text.toDouble(&ok);
            return ok;
        }
        default:
            return false;
    }
}

QDate dateOf(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QDate:
            return value.toDate();
        case QMetaType::QDateTime:
            return value.toDateTime().date();
        case QMetaType::QString:
            return QDate::fromString(value.toString().trimmed(), QStringLiteral("yyyy.MM.dd"));
        default:
            return {};
    }
}

// A text mask such as "@@@@@@@@-@-@@": each '@' takes the next character of the value, other
// characters print as written. It has no letters, so it never reads as a date pattern.
bool isTextMask(const QString& format) {
    static const QRegularExpression letter(QStringLiteral("[A-Za-z]"));
    return format.contains('@') && !format.contains(letter);
}

// A value whose text (blanks at either end removed) has not exactly one character per '@'
// prints unmasked, so a number stored already formatted or cut short stays readable.
QString applyTextMask(const QString& text, const QString& mask) {
    const QString value = text.trimmed();
    if (value.size() != mask.count('@')) return text;
    QString out;
    qsizetype next = 0;
    for (QChar c : mask) out += c == '@' ? value.at(next++) : c;
    return out;
}

QString groupThousands(const QString& digits) {
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ' ';
        out += digits.at(i);
    }
    return out;
}

QString formatNumber(double value, const NumberPattern& p) {
    QString text = QString::number(std::fabs(value), 'f', p.maxDecimals);
    if (p.maxDecimals > p.minDecimals) {
        // Optional places ('#') drop their trailing zeros.
        int keep = static_cast<int>(text.size());
        const int fixedEnd = static_cast<int>(text.indexOf('.')) + 1 + p.minDecimals;
        while (keep > fixedEnd && text.at(keep - 1) == '0') --keep;
        if (keep > 0 && text.at(keep - 1) == '.') --keep;
        text.truncate(keep);
    }
    const qsizetype point = text.indexOf('.');
    QString integer = point < 0 ? text : text.left(point);
    const QString decimals = point < 0 ? QString() : text.mid(point + 1);
    if (p.grouping) integer = groupThousands(integer);
    QString out = integer;
    if (!decimals.isEmpty()) out += ',' + decimals;
    const bool zero =
        std::none_of(out.cbegin(), out.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    return value < 0 && !zero ? '-' + out : out;
}

// What a format asks for, worked out once per format: a long report formats the same few
// formats hundreds of thousands of times.
struct ParsedFormat {
    enum class Kind { Plain, Mask, Number, Date };
    Kind kind = Kind::Plain;
    NumberPattern number;
    QString qtDate;
};

const ParsedFormat& parsedFormat(const QString& format) {
    // The layout runs on the program's main thread; thread_local keeps any other caller apart.
    thread_local QHash<QString, ParsedFormat> known;
    constexpr qsizetype maxKnown = 1000;  // templates hold a few dozen
    if (const auto it = known.constFind(format); it != known.constEnd()) return *it;
    ParsedFormat parsed;
    if (isTextMask(format)) {
        parsed.kind = ParsedFormat::Kind::Mask;
    } else if (!format.isEmpty() && parseNumberPattern(format, &parsed.number)) {
        parsed.kind = ParsedFormat::Kind::Number;
    } else if (!format.isEmpty() && isDatePattern(format)) {
        parsed.kind = ParsedFormat::Kind::Date;
        parsed.qtDate = qtDatePattern(format);
    }
    if (known.size() >= maxKnown) known.clear();
    return *known.insert(format, parsed);
}

}  // namespace

bool isValidReportFormat(const QString& format) {
    NumberPattern p;
    return format.isEmpty() || parseNumberPattern(format, &p) || isDatePattern(format) ||
           isTextMask(format);
}

QString reportNumberText(double value) {
    if (value == 0) return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    text.replace('.', ',');
    return text;
}

QString formatReportValue(const QVariant& value, const QString& format) {
    if (!value.isValid() || value.isNull()) return {};
    if (!format.isEmpty()) {
        const ParsedFormat& parsed = parsedFormat(format);
        if (parsed.kind == ParsedFormat::Kind::Mask) {
            return applyTextMask(formatReportValue(value), format);
        }
        if (parsed.kind == ParsedFormat::Kind::Number) {
            double number = 0;
            if (numberOf(value, &number)) return formatNumber(number, parsed.number);
        } else if (parsed.kind == ParsedFormat::Kind::Date) {
            const QDate date = dateOf(value);
            if (date.isValid()) return date.toString(parsed.qtDate);
        }
    }
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return reportNumberText(value.toDouble());
        case QMetaType::QDate:
            return value.toDate().toString(QStringLiteral("yyyy.MM.dd"));
        case QMetaType::QDateTime:
            return value.toDateTime().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
        default:
            return value.toString();
    }
}
