#include "lists/per_producer_list.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "core/query.h"
#include "core/report_request.h"
#include "lists/list_support.h"

namespace {
const QString reportFile = QStringLiteral("FjLista8.frf");
const QList<GridColumn> gridColumns = {
    {"o_kod", "Kód", 60},
    {"o_nev", "Név", 280},
    {"nevosszesen", "Összesen", 120},
};
}  // namespace

TForm19::TForm19(App& app, QWidget* parent)
    : ListScreen(app, QStringLiteral("TForm19"), QStringLiteral("Östermelönkénti lista"),
                 app.data().query("ZQ20"), gridColumns, parent) {
    auto* periodRow = new QHBoxLayout;
    m_period = new PeriodFields(this, periodRow, QStringLiteral("Dátum: "));
    periodRow->addStretch();
    choices()->addLayout(periodRow);
    m_dateChoice = new DateChoice(this, choices());

    m_period->onChange(this, [this] { periodChanged(); });
    connect(m_dateChoice, &DateChoice::changed, this, [this] { periodChanged(); });
}

void TForm19::onShow() {
    rows().close();
}

void TForm19::periodChanged() {
    invalidate();
    rows().close();
}

// The statements start from the headers of the period and join each header's producer once, not
// once per line (producerPerHeader). Producers are grouped by the ticket's producer code and
// joined to the register with a LEFT JOIN, so the lines of a producer deleted after an unprinted
// ticket still print inside a group and every group adds up to its printed sum.
void TForm19::collect() {
    const QString date = m_dateChoice->column();
    const auto bindPeriod = [this](Query& q) {
        q.bindDate(QStringLiteral("p1"), m_period->from());
        q.bindDate(QStringLiteral("p2"), m_period->to());
        q.bindText(QStringLiteral("p3"), run().buyerCode);
    };

    Query& producers = rows();
    producers.close();
    producers.clearSql();
    producers.addSql(
        QStringLiteral("SELECT f_ostermkod AS o_kod, o_nev, SUM(s_vetelar) AS nevosszesen,"
                       " SUM(SUM(s_vetelar)) OVER () AS m_osszesen"));
    producers.addSql(QString::fromLatin1(producerPerHeader));
    producers.addSql(QStringLiteral("  LEFT JOIN fjsor ON s_bszam = f_bszam"));
    producers.addSql(
        QStringLiteral(" WHERE (%1 >= :p1) AND (%1 <= :p2) AND (s_akod = :p3)").arg(date));
    producers.addSql(QStringLiteral(" GROUP BY f_ostermkod, o_nev ORDER BY f_ostermkod, o_nev"));
    bindPeriod(producers);
    producers.open();
    // The grand total comes with the groups (one pass over the period's lines instead of two),
    // so the printed total is the sum of the printed groups.
    m_total = ::totalText(producers, QStringLiteral("m_osszesen"));
}

// Every producer's lines come from one statement sorted by producer code, read forward alongside
// the producers, and the producer's total is added up from the lines as they are handed out;
// statements per producer would run thousands.
void TForm19::print() {
    openCurrentBuyer(app());
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_osszesen")] = m_total;
    v[QStringLiteral("v_tol")] = m_period->fromText();
    v[QStringLiteral("v_ig")] = m_period->toText();
    v[QStringLiteral("v_sorrend")] = QStringLiteral(" Östermelönként ");

    const QString date = m_dateChoice->column();
    const QString filter =
        QStringLiteral(" WHERE (%1 >= :p1 AND %1 <= :p2) AND (f_akod = :p3)").arg(date);
    const std::map<QString, Value> params{{QStringLiteral("p1"), Value::date(m_period->from())},
                                          {QStringLiteral("p2"), Value::date(m_period->to())},
                                          {QStringLiteral("p3"), Value::text(run().buyerCode)}};
    const QString linesFrom = QString::fromLatin1(producerPerHeader) +
                              QStringLiteral("  JOIN fjsor ON s_bszam = f_bszam") + filter;
    const QString linesSql =
        QStringLiteral("SELECT %1 %2 ORDER BY f_ostermkod, s_megnevezes, %3, s_bszam, id_fjsor")
            .arg(printedColumns(data().database(), app().workPath(reportFile),
                                QStringLiteral("ZQ21"), linesFrom,
                                {QStringLiteral("f_ostermkod"), QStringLiteral("s_vetelar")}),
                 linesFrom, date);

    Query& producers = rows();
    Query& total = data().query("ZQ80");
    Query& lines = data().query("ZQ21");
    std::unique_ptr<SortedGroups> groups;
    int codeColumn = -1;
    int paidColumn = -1;
    FieldType codeType = FieldType::Text;
    // ZQ80: the producer's code and the sum of its lines' purchase prices, one row when the
    // producer has lines, as a statement grouped by producer code would give it.
    const auto producerChanged = [&] {
        if (!producers.active() || producers.eof()) return;
        Value groupCode;
        ColumnSum paid;
        bool any = false;
        groups->take(producers.value(QStringLiteral("o_kod")), lines, [&](const QByteArray& row) {
            if (!any) groupCode = Cursor::unpack(row, codeColumn);
            any = true;
            paid.add(Cursor::unpack(row, paidColumn));
        });
        std::vector<QByteArray> totalRows;
        if (any) {
            QByteArray row;
            Cursor::pack(row, groupCode);
            Cursor::pack(row, paid.value());
            totalRows.push_back(row);
        }
        total.openRows({QStringLiteral("O_KOD"), QStringLiteral("NEVOSSZESEN")},
                       {codeType, FieldType::Double}, std::move(totalRows));
    };
    const auto firstProducer = [&] {
        if (producers.active()) producers.first();
        groups = std::make_unique<SortedGroups>(data().database(), linesSql, params,
                                                QStringLiteral("f_ostermkod"));
        codeColumn = fieldIndex(groups->fields(), QStringLiteral("f_ostermkod"));
        paidColumn = fieldIndex(groups->fields(), QStringLiteral("s_vetelar"));
        codeType = groups->types().at(static_cast<size_t>(codeColumn));
        producerChanged();
    };
    if (!producers.active() || producers.isEmpty()) {
        total.close();
        lines.close();
    }
    ScopedUserDatasets datasets(data());
    datasets.set(QStringLiteral("frUserDataset3"),
                 {firstProducer,
                  [&producers, producerChanged] {
                      if (producers.active()) producers.next();
                      producerChanged();
                  },
                  [&producers] { return !producers.active() || producers.eof(); }});
    datasets.set(QStringLiteral("frUserDataset4"), queryRoutines(lines));
    reportRequest(app(), ReportComponent::frNyomtat, reportFile, false);
}
