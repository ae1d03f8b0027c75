#include "lists/cash_daily_list.h"

#include <QCheckBox>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "core/query.h"
#include "core/report_request.h"

namespace {
const QList<GridColumn> gridColumns = {
    {"f_fizkelt", "Fizetés kelte", 100},
    {"s_megnevezes", "Megnevezés", 220},
    {"v_kifiz1", "Kifizetett", 120},
    {"v_kifiz2", "Kifizetett", 120},
};

// Both lists sum their amount column over the rows collected, for the printed grand total.
// Read in place: moving the current row would have the grid follow every row.
double columnSum(Query& q, const QString& field) {
    q.fetchAll();
    const int column = q.fieldIndex(field);
    if (column < 0) q.value(field);  // says which column is missing
    double sum = 0;
    for (int row = 0; row < q.rowCount(); ++row) sum += q.valueAt(row, column).asDouble();
    return sum;
}
}  // namespace

TForm31::TForm31(App& app, QWidget* parent)
    : ListScreen(app, QStringLiteral("TForm31"), QStringLiteral("Kp. napilista"),
                 app.data().query("ZQ11"), gridColumns, parent) {
    m_perProduct = new QCheckBox(QStringLiteral("Részletezö lista termékenként"), this);
    m_perProduct->setObjectName(QStringLiteral("perProduct"));
    m_perProduct->setToolTip(QStringLiteral("Napi kp. bevétel termékenkénti  részletezése"));
    choices()->addWidget(m_perProduct);
    const char* const notes[] = {
        "Ha a felvásárlási jegyen  nincs pipa az \"átutalás\"-nál.",
        "Csoportosítva: a fizetés kelte alapján. ",
        "Megnevezésbeni eltérés (Búza, búza) külön tételsorba kerül.",
    };
    for (const char* note : notes) choices()->addWidget(new QLabel(QString::fromUtf8(note), this));
    grid()->setToolTip(QStringLiteral("Ezeken a napokon történt kp. kifizetés"));
    connect(m_perProduct, &QCheckBox::clicked, this, [this] { invalidate(); });
}

void TForm31::onShow() {
    rows().close();
}

// Only cash payments count: F_UTAL other than "x"; a ticket whose F_UTAL is NULL is left out.
void TForm31::collect() {
    m_collectedPerProduct = m_perProduct->isChecked();
    Query& q = rows();
    q.close();
    q.clearSql();
    if (m_collectedPerProduct) {
        // napi_osszesen: the day's total, printed under the day's products.
        q.addSql(
            QStringLiteral("select fjfej.f_fizkelt, fjsor.s_megnevezes, "
                           "sum(fjsor.s_vetelar) as v_kifiz2,"));
        q.addSql(
            QStringLiteral("       sum(sum(fjsor.s_vetelar)) over (partition by "
                           "fjfej.f_fizkelt) as napi_osszesen"));
        q.addSql(QStringLiteral("  from fjfej left join fjsor on fjfej.f_bszam = fjsor.s_bszam"));
        q.addSql(QStringLiteral(" where (fjfej.f_utal <> :p2) AND (f_akod = :p1)"));
        q.addSql(QStringLiteral(" group by fjfej.f_fizkelt, fjsor.s_megnevezes"));
        q.addSql(QStringLiteral(" order by fjfej.f_fizkelt, fjsor.s_megnevezes"));
    } else {
        q.addSql(QStringLiteral("select fjfej.f_fizkelt, sum(fjfej.f_muvktg) as v_kifiz1"));
        q.addSql(QStringLiteral("  from fjfej"));
        q.addSql(QStringLiteral(" where (fjfej.f_utal <> :p2) AND (f_akod = :p1)"));
        q.addSql(QStringLiteral(" group by fjfej.f_fizkelt"));
        q.addSql(QStringLiteral(" order by fjfej.f_fizkelt"));
    }
    q.bindText(QStringLiteral("p1"), run().buyerCode);
    q.bindText(QStringLiteral("p2"), QStringLiteral("x"));
    q.open();
    q.last();
}

void TForm31::print() {
    openCurrentBuyer(app());
    Query& q = rows();
    const int current = q.recNo();
    const QString field =
        m_collectedPerProduct ? QStringLiteral("v_kifiz2") : QStringLiteral("v_kifiz1");
    data().reportVariables()[QStringLiteral("v_osszesen")] = numberText(columnSum(q, field));
    if (current >= 0) q.moveTo(current);
    reportRequest(
        app(), ReportComponent::frNyomtat,
        m_collectedPerProduct ? QStringLiteral("FjLista11.frf") : QStringLiteral("FjLista10.frf"),
        false);
}
