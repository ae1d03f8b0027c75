#include "lists/per_producer_list.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/query.h"
#include "core/report_request.h"
#include "lists/list_support.h"

namespace {
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

// Lines and headers are joined inner where the filter needs the header anyway (the same rows as
// an outer join), so the database may start from the headers of the period. Producers are
// grouped by the ticket's producer code and joined to the register with a LEFT JOIN, so the lines
// of a producer deleted after an unprinted ticket still print inside a group and every group adds
// up to its printed sum.
void TForm19::collect() {
    const QString date = m_dateChoice->column();
    const auto bindPeriod = [this](Query& q) {
        q.bindDate(QStringLiteral("p1"), m_period->from());
        q.bindDate(QStringLiteral("p2"), m_period->to());
        q.bindText(QStringLiteral("p3"), run().buyerCode);
    };

    Query& total = data().query("ZQ80");
    total.close();
    total.clearSql();
    total.addSql(QStringLiteral("SELECT s_akod, SUM(s_vetelar) AS m_osszesen"));
    total.addSql(QStringLiteral("  FROM fjsor JOIN fjfej ON s_bszam = f_bszam"));
    total.addSql(QStringLiteral(" WHERE (%1 >= :p1) AND (%1 <= :p2) AND (s_akod = :p3)").arg(date));
    total.addSql(QStringLiteral(" GROUP BY s_akod"));
    bindPeriod(total);
    total.open();
    m_total = ::totalText(total, QStringLiteral("m_osszesen"));

    Query& producers = rows();
    producers.close();
    producers.clearSql();
    producers.addSql(
        QStringLiteral("SELECT f_ostermkod AS o_kod, o_nev, SUM(s_vetelar) AS nevosszesen"));
    producers.addSql(QStringLiteral("  FROM fjsor JOIN fjfej ON s_bszam = f_bszam"));
    producers.addSql(QStringLiteral("  LEFT JOIN ostermelo ON f_ostermkod = o_kod"));
    producers.addSql(
        QStringLiteral(" WHERE (%1 >= :p1) AND (%1 <= :p2) AND (s_akod = :p3)").arg(date));
    producers.addSql(QStringLiteral(" GROUP BY f_ostermkod, o_nev ORDER BY f_ostermkod, o_nev"));
    bindPeriod(producers);
    producers.open();
}

void TForm19::openProducerGroup() {
    const QString date = m_dateChoice->column();
    const Value code = rows().value(QStringLiteral("o_kod"));
    const auto bind = [this, &code](Query& q) {
        bindKey(q, QStringLiteral("p0"), code);
        q.bindDate(QStringLiteral("p1"), m_period->from());
        q.bindDate(QStringLiteral("p2"), m_period->to());
        q.bindText(QStringLiteral("p3"), run().buyerCode);
    };
    // The producer's tickets are found by the producer code alone: the other filters are written
    // as expressions, since an index on the buyer or the date would be read whole again for
    // every producer.
    const QString filter = QStringLiteral(
                               " WHERE (f_ostermkod IS NOT DISTINCT FROM :p0)"
                               "   AND (%1 + 0 >= :p1 AND %1 + 0 <= :p2) AND (f_akod || '' = :p3)")
                               .arg(date);

    Query& total = data().query("ZQ80");
    total.close();
    total.clearSql();
    total.addSql(QStringLiteral("SELECT f_ostermkod AS o_kod, SUM(s_vetelar) AS nevosszesen"));
    total.addSql(QStringLiteral("  FROM fjsor JOIN fjfej ON s_bszam = f_bszam"));
    total.addSql(filter);
    total.addSql(QStringLiteral(" GROUP BY f_ostermkod"));
    bind(total);
    total.open();

    Query& lines = data().query("ZQ21");
    lines.close();
    lines.clearSql();
    lines.addSql(QStringLiteral("SELECT * FROM fjsor JOIN fjfej ON s_bszam = f_bszam"));
    lines.addSql(QStringLiteral("  LEFT JOIN ostermelo ON f_ostermkod = o_kod"));
    lines.addSql(filter);
    lines.addSql(QStringLiteral(" ORDER BY s_megnevezes, %1, s_bszam, id_fjsor").arg(date));
    bind(lines);
    lines.open();
}

void TForm19::print() {
    openCurrentBuyer(app());
    Query& producers = rows();
    if (producers.active() && !producers.isEmpty()) {
        producers.first();
        openProducerGroup();
    } else {
        data().query("ZQ80").close();
        data().query("ZQ21").close();
    }
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_osszesen")] = m_total;
    v[QStringLiteral("v_tol")] = m_period->fromText();
    v[QStringLiteral("v_ig")] = m_period->toText();
    v[QStringLiteral("v_sorrend")] = QStringLiteral(" Östermelönként ");

    const auto producerChanged = [this, &producers] {
        if (producers.active() && !producers.eof()) openProducerGroup();
    };
    ScopedUserDatasets datasets(data());
    datasets.set(QStringLiteral("frUserDataset3"),
                 {[&producers, producerChanged] {
                      if (producers.active()) producers.first();
                      producerChanged();
                  },
                  [&producers, producerChanged] {
                      if (producers.active()) producers.next();
                      producerChanged();
                  },
                  [&producers] { return !producers.active() || producers.eof(); }});
    datasets.set(QStringLiteral("frUserDataset4"), queryRoutines(data().query("ZQ21")));
    reportRequest(app(), ReportComponent::frNyomtat, QStringLiteral("FjLista8.frf"), false);
}
