#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <exception>
#include <utility>
#include <vector>

#include "core/value.h"

class Database;
class Query;

// The rows one page of the data checks collects into ZQ20: the statement line by line and the
// values of its named parameters.
struct Collection {
    QStringList lines;
    std::vector<std::pair<QString, Value>> params;
};

// Every ticket line of the buyer whose ticket's payment date lies in the period, with its ticket
// and producer columns beside it, in order of entry.
Collection ticketCollection(QDate from, QDate to, const QString& buyerCode);
// The whole producer table in order of entry.
Collection producerCollection();

// Runs the collection on `query` (ZQ20) for the grids.
void collect(Query& query, const Collection& collection);

// A findings report and what stopped its run, if anything: on a failure the text holds what was
// built up to that point.
struct Findings {
    QString text;
    std::exception_ptr failure;
};

// Both checks read the collection's statement again through a forward-only cursor: one pass over
// the rows, nothing kept but the findings, and the grids' current row untouched.
Findings ticketFindings(Database& db, const Collection& collection);
Findings producerFindings(Database& db, const Collection& collection);
