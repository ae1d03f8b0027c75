#include "lists/statistics.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/query.h"
#include "core/report_request.h"

namespace {
const QList<GridColumn> gridColumns = {
    {"s_megnevezes", "Megnevezés", 220},  {"ho", "Hó", 40},
    {"v_menny", "Mennyiség", 100},        {"v_atlar", "Átlagár", 90},
    {"v_felvar", "Felvásárlási ár", 120}, {"v_kifiz", "Kifizetett", 120},
};
}  // namespace

TForm32::TForm32(App& app, QWidget* parent)
    : ListScreen(app, QStringLiteral("TForm32"), QStringLiteral("Statisztika"),
                 app.data().query("ZQ11"), gridColumns, parent) {
    m_yearTotals = new QCheckBox(QStringLiteral("Termékenkénti mindösszesen lista "), this);
    m_yearTotals->setObjectName(QStringLiteral("yearTotals"));
    choices()->addWidget(m_yearTotals);
    const char* const notes[] = {
        "Összesítés: Termékenkénti  havi bontásban vagy mindösszesen",
        "Csoporosítás: a felvásárlási dátum hónapja szerint .",
        "Nettó átlagár számítása : felvásárlási nettó ár osztva a mennyiséggel",
        "A kigyüjtés nem vizsgálja, hogy azonos mennyiségegység szerepel-e  azonos terméken belül",
        "Megnevezésbeni eltérés (Búza, búza) külön tételsorba kerül.",
    };
    for (const char* note : notes) choices()->addWidget(new QLabel(QString::fromUtf8(note), this));
    connect(m_yearTotals, &QCheckBox::clicked, this, [this] { invalidate(); });
}

void TForm32::onShow() {
    rows().close();
}

void TForm32::collect() {
    m_collectedYearTotals = m_yearTotals->isChecked();
    Query& q = rows();
    // The average of a group whose quantity adds up to nothing (a ticket and its voiding in one
    // month) is empty, not a division error that would stop the whole statistics.
    const QString groups = m_collectedYearTotals ? QStringLiteral("fjsor.s_megnevezes")
                                                 : QStringLiteral(
                                                       "fjsor.s_megnevezes, "
                                                       "extract( month from fjfej.f_felvkelt)");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("select fjsor.s_megnevezes, ") +
             (m_collectedYearTotals
                  ? QString()
                  : QStringLiteral("extract( month from fjfej.f_felvkelt) as ho, ")) +
             QStringLiteral("sum(fjsor.s_netto) as v_menny,"));
    q.addSql(
        QStringLiteral("       sum(fjsor.s_felvar)/NULLIF(sum(fjsor.s_netto), 0) as v_atlar,"));
    q.addSql(
        QStringLiteral("       sum(fjsor.s_felvar) as v_felvar, "
                       "sum(fjsor.s_vetelar) as v_kifiz"));
    if (!m_collectedYearTotals) {
        // The product's totals over its months, printed under the months.
        q.addSql(QStringLiteral(
            "     , sum(sum(fjsor.s_netto)) over (partition by fjsor.s_megnevezes) as t_menny,"));
        q.addSql(QStringLiteral(
            "       sum(sum(fjsor.s_felvar)) over (partition by fjsor.s_megnevezes) as t_felvar,"));
        q.addSql(QStringLiteral(
            "       sum(sum(fjsor.s_vetelar)) over (partition by fjsor.s_megnevezes) as t_kifiz"));
    }
    // The grand totals come from the same groups (one pass over the lines instead of two), so
    // the printed total is the sum of the printed groups.
    q.addSql(
        QStringLiteral("     , sum(sum(fjsor.s_felvar)) over () as o_felvar,"
                       " sum(sum(fjsor.s_vetelar)) over () as o_kifiz"));
    q.addSql(QStringLiteral("  from fjsor join fjfej on fjfej.f_bszam = fjsor.s_bszam"));
    q.addSql(QStringLiteral(" where fjfej.f_akod = :p1"));
    q.addSql(QStringLiteral(" group by ") + groups);
    q.addSql(QStringLiteral(" order by ") + groups);
    q.bindText(QStringLiteral("p1"), run().buyerCode);
    q.open();
    q.last();
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_far")] = ::totalText(q, QStringLiteral("o_felvar"));
    v[QStringLiteral("v_var")] = ::totalText(q, QStringLiteral("o_kifiz"));
}

void TForm32::print() {
    openCurrentBuyer(app());
    reportRequest(
        app(), ReportComponent::frNyomtat,
        m_collectedYearTotals ? QStringLiteral("FjLista13.frf") : QStringLiteral("FjLista12.frf"),
        false);
}
