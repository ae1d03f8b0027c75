#include "core/report_request.h"

#include "core/clock.h"

#include <QDir>
#include <vector>

#include "core/app.h"
#include "core/errors.h"
#include "core/query.h"
#include "core/query_model.h"
#include "core/tdata.h"
#include "report/report_job.h"
#include "report/report_layout.h"
#include "report/report_template.h"

QueryDataSource::QueryDataSource(Query& query, const QString& name)
    : m_query(query), m_name(name) {}

void QueryDataSource::first() {
    if (m_query.active()) m_query.first();
}

void QueryDataSource::next() {
    if (m_query.active()) m_query.next();
}

bool QueryDataSource::eof() const {
    return !m_query.active() || m_query.eof();
}

QVariant QueryDataSource::value(const QString& field) const {
    if (!m_query.active()) {
        throw ReportError(
            QStringLiteral("A(z) %1 adatforrás nincs megnyitva (\"%2\" mező).").arg(m_name, field));
    }
    // A band reads the same few fields on every row: their columns are kept, and checked
    // against the names, since the query may have been opened again on other columns.
    int column = m_columns.value(field, -1);
    if (column < 0 || column >= m_query.fieldCount() ||
        m_query.fieldName(column).compare(field, Qt::CaseInsensitive) != 0) {
        column = m_query.fieldIndex(field);
        if (column < 0) throw ReportError(missingFieldText(m_name, field));
        m_columns.insert(field, column);
    }
    return m_query.valueAt(m_query.recNo(), column).toVariant();
}

QString TDataReportResolver::queryName(const QString& dataset) {
    static const std::map<QString, QString> bandSources{
        {"frdbdataset1", "ZQ20"}, {"frdbdataset2", "ZQ30"}, {"frdbdataset3", "ZQ20"},
        {"frdbdataset4", "ZQ20"}, {"frdbdataset5", "ZQ11"}, {"frdbdataset6", "ZQ40"}};
    const auto it = bandSources.find(dataset.toLower());
    return it == bandSources.end() ? dataset : it->second;
}

ReportDataSource* TDataReportResolver::source(const QString& name) {
    const QString key = name.toLower();
    if (const auto it = m_sources.find(key); it != m_sources.end()) return it->second.get();
    std::unique_ptr<ReportDataSource> source;
    if (Query* query = m_data.findQuery(queryName(name))) {
        source = std::make_unique<QueryDataSource>(*query, name);
    } else {
        for (const auto& [datasetName, routines] : m_data.userDatasets()) {
            if (datasetName.compare(name, Qt::CaseInsensitive) != 0) continue;
            source = std::make_unique<CallbackDataSource>(name, routines.first, routines.next,
                                                          routines.eof);
            break;
        }
    }
    if (!source) return nullptr;
    return m_sources.emplace(key, std::move(source)).first->second.get();
}

namespace {

// frCompositeReport1: the container a request puts the component it shows into and empties
// before and after; it prints nothing of its own.
class CompositeReport {
public:
    explicit CompositeReport(ReportComponent shown) { m_reports.push_back(shown); }
    ~CompositeReport() { m_reports.clear(); }

private:
    std::vector<ReportComponent> m_reports;
};

}  // namespace

bool reportRequest(App& app, ReportComponent component, const QString& templateFile, bool landscape,
                   const QString& documentName) {
    const CompositeReport composite(component);
    ReportTemplate report;
    try {
        report = loadReportTemplate(app.workPath(templateFile));
    } catch (const ReportError& e) {
        throw AppError(e.text());
    }

    ReportJob job;
    job.templateFile = templateFile;
    job.landscape = landscape;
    job.printButton = component == ReportComponent::frNyomtat;
    job.documentName = documentName;
    job.variables = app.data().reportVariables();
    try {
        TDataReportResolver datasets(app.data());
        const GridsFollowLater gridsFollowLater;
        PrepareOptions options;
        options.today = clockNow().date();
        options.landscape = landscape;
        auto model =
            std::make_shared<PageModel>(prepareReport(report, datasets, job.variables, options));
        job.pageTexts = pageTexts(*model);
        job.pageModel = std::move(model);
    } catch (const ReportError& e) {
        app.ui().error(e.text());
        return false;
    } catch (const std::exception& e) {  // a data source's own failure, such as a lost connection
        app.ui().error(errorText(e));
        return false;
    }
    app.ui().preview(job);
    return true;
}

void openCurrentBuyer(App& app) {
    Query& buyer = app.data().query("ZQ60");
    buyer.close();
    buyer.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p0"));
    buyer.bindText(QStringLiteral("p0"), app.run().buyerCode);
    buyer.open();
}
