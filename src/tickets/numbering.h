#pragma once

#include <QString>
#include <optional>

#include "core/errors.h"

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
// with a row lock and checks that `number` is still the next one and that no other buyer's
// document carries it. Another copy's uncommitted numbering change fails at once (nowait,
// DbError); a number issued meanwhile throws AppError, one held by another buyer
// NumberTakenError. So two saves can never issue one number twice.
void claimDocumentNumber(TData& data, const QString& buyerCode, const QString& number);

// A document number is unique across the whole database, because ticket lines join their header
// by the number alone: a number another buyer has issued must never be issued again.
struct NumberHolder {
    QString buyerCode;
    QString buyerName;
};

// The buyer whose document already carries `number`, leaving out `exceptBuyer` (when given);
// nullopt when none does. In ZQ50.
std::optional<NumberHolder> numberHolder(TData& data, const QString& number,
                                         const QString& exceptBuyer = {});

// "A(z) N bizonylatszámot már a(z) K kódú átvevő (név) kiadta."
QString numberTakenText(const QString& number, const NumberHolder& holder);

// A document number already issued by a buyer: no document may take it.
class NumberTakenError : public AppError {
public:
    using AppError::AppError;
};

// Throws NumberTakenError, whose text names the number and the buyer holding it and sends the
// user to "Évnyitás", when a document of a buyer other than `exceptBuyer` carries `number`.
void requireNumberFree(TData& data, const QString& number, const QString& exceptBuyer = {});

// Deletes, in ZQ21, the lines left under `number` by an entry that was cancelled before its
// header was written. Lines under a header, whoever's, are never touched. Not committed here.
void deleteOrphanLines(TData& data, const QString& number);

// Writes `number` as the buyer's last issued number, in ZQ50.
void advanceNumbering(TData& data, const QString& buyerCode, const QString& number);
