#pragma once

#include <QString>
#include <map>

// The process-wide values screens hand each other for the whole run.
struct RunValues {
    QString buyerCode;         // current buyer code (V_AKOD)
    QString defaultStatement;  // the buyer's V_NYILATK for new tickets
    QString printVariant;      // first character of V_VERZIO, or empty
    QString versionText;       // "Verzió: 24.00 2006-2024"
    QString captionPrefix = "Termaro - ";
    QString typeTicket;   // "1" once a buyer is chosen
    QString typeVoiding;  // "4" once a buyer is chosen

    QString ticketEntryMode;  // "Új felvásárlási jegy" / "Felvásárlási jegy módositás"
    QString lineEntryMode;
    QString lastSavedTicketNumber;
    QString printMode;  // "Megtekint" or "Nyomtat"
    QString lastPrintedNumber;
    QString voidNumber;  // number of the ticket to void
    QString rememberedProducerCode;
    QString productNamePrefix;
    QString producerEntryMode;  // "Új őstermelő" / "Őstermelő módositás"
    QString productEntryMode;   // "Új termék" / "Termék módositás"

    // Amounts of the open ticket.
    double ticketTotal = 0;
    double szjaWithheld = 0;
    double memberContribution = 0;
    double deduction = 0;
    QString payable;

    QString buyerStreetLine;
    QString producerStreetLine;

    // Entry-field defaults read from the settings files, keyed by "file/key".
    std::map<QString, QString> entryDefaults;
    // The program file the settings files lie beside; empty: the running executable.
    QString programFile;
};
