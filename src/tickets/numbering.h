#pragma once

#include <QString>
#include <optional>

#include "core/errors.h"

class TData;

// Document numbering: the buyer's SORSZAM row holds the last number issued; the next one is
// that number plus one. The row is written only when the document that takes the number is
// saved. Several desks may enter documents at once, so an entry holds its number from the moment
// it shows it (a committed row of SORSZAMFOGLALAS naming the desk and connection): a second desk
// is shown the number after it, and a number given back below the last issued one is handed out
// again first, so the series stays unique and without gaps.

// The rule alone: the trimmed last number plus one, in decimal without leading zeros
// ("20240000" → "20240001"). An empty or non-numeric text throws ConversionError.
QString numberAfter(const QString& lastNumber);

// Reads the buyer's numbering row into ZQ50 and returns the next document number. Throws
// ConversionError when the buyer has no row or its number is not a number.
QString nextDocumentNumber(TData& data, const QString& buyerCode);

// For an entry that opens: gives back what this connection held before and what desks that
// ended without closing their entries held, then takes the lowest number given back, else the
// next number not held by another entry; commits. Waits a moment when another desk is saving.
// Throws ConversionError when the buyer has no numbering row, NumberTakenError when the number
// is on another buyer's document or held by another buyer's entry.
QString reserveDocumentNumber(TData& data, const QString& buyerCode);

// For an entry closed without saving: gives its number back (a number below the last issued one
// stays free for the next entry); commits. Errors are logged: the number is then given back
// when this desk next opens an entry.
void releaseDocumentNumber(TData& data, const QString& buyerCode, const QString& number);

// Inside a save's transaction, before the document is written: reads the numbering row again
// with a row lock and checks that `number` may be issued: held by this connection's entry and
// above the last issued number (or passed over by a save of another desk, or given back), or,
// without a hold, still the next one; and that no document carries it. Another copy's
// uncommitted numbering change fails at once (nowait, DbError); a number issued meanwhile or
// held by another desk throws AppError, one held by another buyer NumberTakenError. So two saves
// can never issue one number twice.
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
class NumberTakenError : public WriteRefused {
public:
    using WriteRefused::WriteRefused;
};

// Throws NumberTakenError, whose text names the number and the buyer holding it and sends the
// user to "Évnyitás", when a document of a buyer other than `exceptBuyer` carries `number`.
void requireNumberFree(TData& data, const QString& number, const QString& exceptBuyer = {});

// Deletes, in ZQ21, the lines left under `number` by an entry that was cancelled before its
// header was written. Lines under a header, whoever's, are never touched. Not committed here.
// With `upToLineId`, only lines whose ID is not above it (the leftovers found earlier, not the
// lines written since). Returns the highest ID of the lines it deleted, 0 when none.
int deleteOrphanLines(TData& data, const QString& number, int upToLineId = 0);

// The highest line ID handed out so far, by any desk, committed or not: every line already under
// a number, even one whose deletion is waiting for a commit, is at or below it.
int highestLineIdIssued(TData& data);

// After the document taking `number` is written, in the same transaction: ends the number's
// hold and, when the number is above the last issued one, writes it as the buyer's last issued
// number; entries holding numbers below it may still issue theirs, and numbers below it that
// nobody holds are kept free for the next entries. In ZQ50.
void advanceNumbering(TData& data, const QString& buyerCode, const QString& number);

// Drops the numbers given back by the buyer's entries (the year opening starts a new series).
void dropFreedNumbers(TData& data, const QString& buyerCode);
