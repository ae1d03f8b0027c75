#pragma once

#include <QString>
#include <QVariant>

// How template values become text. Without a format: NULL is "", a number its general form
// with "," decimal separator and no trailing zeros (12,5 and 100), a date "yyyy.mm.dd", a text
// itself. Formats: a number pattern of '#', '0', ',' (thousands separator, printed as a
// space) and '.' (decimal comma) such as "#,##0.00"; a date pattern of yyyy, mm, dd; a text
// mask of '@' places and literal characters such as "@@@@@@@@-@-@@" (tax number 8-1-2).

bool isValidReportFormat(const QString& format);
QString formatReportValue(const QVariant& value, const QString& format = {});
// The general form of a number: up to 15 significant digits, "," decimal separator.
QString reportNumberText(double value);
