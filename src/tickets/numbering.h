#pragma once

#include <QString>

class TData;

// Document numbering: the buyer's SORSZAM row holds the last number issued; the next one is
// that number plus one. A number is not reserved when shown: it is written back only when the
// document that takes it is saved.

// The rule alone: the trimmed last number plus one, in decimal without leading zeros
// ("20240000" → "20240001"). An empty or non-numeric text throws ConversionError.
QString numberAfter(const QString& lastNumber);

// Reads the buyer's numbering row into ZQ50 and returns the next document number. Throws
// ConversionError when the buyer has no row or its number is not a number.
QString nextDocumentNumber(TData& data, const QString& buyerCode);

// Inside a save's transaction, before the document is written: reads the numbering row again
// with a row lock and checks that `number` is still the next one. Another copy's uncommitted
// numbering change fails at once (nowait, DbError); a number issued meanwhile throws AppError.
// So two saves can never issue one number twice.
void claimDocumentNumber(TData& data, const QString& buyerCode, const QString& number);

// Writes `number` as the buyer's last issued number, in ZQ50.
void advanceNumbering(TData& data, const QString& buyerCode, const QString& number);
