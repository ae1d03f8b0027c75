#pragma once

#include <QDate>
#include <QStringList>
#include <QVariantMap>
#include <optional>

#include "report/page_model.h"
#include "report/report_data.h"
#include "report/report_template.h"

struct PrepareOptions {
    // The printer's orientation set by the request; it overrides the template's own.
    std::optional<bool> landscape;
    QDate today = QDate::currentDate();  // [DATE]
};

// Lays the template out over the datasets and variables. Throws ReportError (unknown dataset,
// field or variable, a report that never ends); data sources may throw their own errors.
// Besides the variables, texts may use [PAGE] and [PAGES] (page number and page count within
// the copy), [COPY] and [COPYNAME] (the copy's number and name) and [DATE] (today).
PageModel prepareReport(const ReportTemplate& report, ReportDataResolver& data,
                        const QVariantMap& variables, const PrepareOptions& options = {});

// Each page's text, as ReportJob::pageTexts carries it.
QStringList pageTexts(const PageModel& model);
