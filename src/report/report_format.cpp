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

// "yyyy.mm.dd", the form of nearly every date a report prints, written directly: a year's list
// prints hundreds of thousands of them and Qt's general date formatting is a tenth of its layout.
// Years outside 1..9999 go through Qt.
QString dottedDate(const QDate& date) {
    const int year = date.year();
    if (year < 1 || year > 9999) return date.toString(QStringLiteral("yyyy.MM.dd"));
    const int month = date.month();
    const int day = date.day();
    const char16_t text[10] = {char16_t(u'0' + year / 1000),
                               char16_t(u'0' + year / 100 % 10),
                               char16_t(u'0' + year / 10 % 10),
                               char16_t(u'0' + year % 10),
                               u'.',
                               char16_t(u'0' + month / 10),
                               char16_t(u'0' + month % 10),
                               u'.',
                               char16_t(u'0' + day / 10),
                               char16_t(u'0' + day % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 10);
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

// Written into one string: a year's list formats hundreds of thousands of amounts.
QString formatNumber(double value, const NumberPattern& p) {
    const QString text = QString::number(std::fabs(value), 'f', p.maxDecimals);
    const qsizetype point = text.indexOf('.');
    const qsizetype integerEnd = point < 0 ? text.size() : point;
    qsizetype end = text.size();
    if (point >= 0 && p.maxDecimals > p.minDecimals) {
        // Optional places ('#') drop their trailing zeros.
        const qsizetype fixedEnd = point + 1 + p.minDecimals;
        while (end > fixedEnd && text.at(end - 1) == u'0') --end;
        if (end == point + 1) end = point;
    }
    const QChar* digits = text.constData();
    const bool zero =
        std::none_of(digits, digits + end, [](QChar c) { return c >= u'1' && c <= u'9'; });
    QString out;
    out.reserve(end + integerEnd / 3 + 1);
    if (value < 0 && !zero) out += u'-';
    for (qsizetype i = 0; i < integerEnd; ++i) {
        if (p.grouping && i > 0 && (integerEnd - i) % 3 == 0) out += u' ';
        out += digits[i];
    }
    if (end > integerEnd) {
        out += u',';
        out.append(digits + integerEnd + 1, end - integerEnd - 1);
    }
    return out;
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
            if (date.isValid()) {
                return parsed.qtDate == QLatin1String("yyyy.MM.dd") ? dottedDate(date)
                                                                    : date.toString(parsed.qtDate);
            }
        }
    }
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return reportNumberText(value.toDouble());
        case QMetaType::QDate:
            return dottedDate(value.toDate());
        case QMetaType::QDateTime:
            return value.toDateTime().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
        default:
            return value.toString();
    }
}
