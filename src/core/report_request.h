#pragma once

#include <QHash>
#include <QString>
#include <map>
#include <memory>

#include "report/report_data.h"

class App;
class Query;
class TData;

// The data module's report components: frNyomtat previews with zoom, print and close (every
// printed report), frMegtekint with zoom and close only (the ticket view).
enum class ReportComponent { frNyomtat, frMegtekint };

// A pool query as a report data source: bands walk its rows, texts read its current row.
// A closed query has no rows; reading a field of it is an error.
class QueryDataSource : public ReportDataSource {
public:
    QueryDataSource(Query& query, const QString& name);
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& field) const override;

private:
    Query& m_query;
    QString m_name;                         // as the template names it
    mutable QHash<QString, int> m_columns;  // field name -> column, as last found
};

// The datasets templates name: the pool queries (ZQ10, ZQ20, ...), the band sources
// frDBDataSet1..frDBDataSet6 over them and the program-driven frUserDataset1..4.
class TDataReportResolver : public ReportDataResolver {
public:
    explicit TDataReportResolver(TData& data) : m_data(data) {}
    ReportDataSource* source(const QString& name) override;

    // The pool query behind a band source, or the name itself.
    static QString queryName(const QString& dataset);

private:
    TData& m_data;
    std::map<QString, std::unique_ptr<ReportDataSource>> m_sources;  // by lower-case name
};

// The report request every printing screen makes, after filling the queries the template
// uses and setting its report variables:
//  - the template is loaded by bare name from the working folder; a missing, unreadable or
//    malformed one throws AppError with the file error's text, so the caller's later steps
//    do not run and its guard shows the text;
//  - the pages are prepared in the given orientation; a failure shows the engine's message
//    through Ui::error and returns false without a preview (the caller goes on, as after a
//    closed preview);
//  - otherwise Ui::preview gets the job and the request returns true when it is closed.
// `documentName` is what a saved PDF is proposed as (ReportJob::documentName).
bool reportRequest(App& app, ReportComponent component, const QString& templateFile, bool landscape,
                   const QString& documentName = {});

// Opens the current buyer's ATVEVO row in ZQ60, the first step of nearly every report request.
void openCurrentBuyer(App& app);
