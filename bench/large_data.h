#pragma once

#include <QString>

class TData;

// How big a year the generator makes.
struct LargeDataCounts {
    int producers = 5000;
    int products = 300;
    int tickets = 50000;
    int lines = 150000;  // spread evenly over the tickets
    // Producers and products are coded from these on. Codes from 1 have mixed lengths, so the
    // registers' "last code in text order plus one" proposes an existing code (1000 after 999)
    // and a new entry is refused; start at 10001 and 1001 to be able to add to the registers.
    int firstProducerCode = 1;
    int firstProductCode = 1;
    QString buyer = QStringLiteral("1");
    int firstNumber = 20260001;  // tickets are numbered from here on, one by one
};

// Fills a database made by db/create.sql (registers and tickets still empty) with a large year
// and commits: producers with valid tax identification numbers, tax numbers and TAJ numbers,
// products, and printed tickets of the buyer with their lines, each header's F_SUMVAR the sum of
// its lines' S_VETELAR and F_MUVKTG its payable amount; the buyer's SORSZAM row holds the last
// number. Runs server-side, a few statements in all.
void fillLargeData(TData& data, const LargeDataCounts& counts = {});
