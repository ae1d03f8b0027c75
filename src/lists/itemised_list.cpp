#include "lists/itemised_list.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include "core/query.h"
#include "core/report_request.h"
#include "core/widgets.h"
#include "lists/list_support.h"

namespace {
const QString reportFile = QStringLiteral("FjLista4.frf");

struct ListOrder {
    const char* caption;
    const char* orderBy;
    const char* printed;  // v_sorrend
};
const ListOrder listOrders[] = {
    {"Östermelö", "ORDER BY o_nev, f_fizkelt", "östermelö"},
    {"Fiz.dátum", "ORDER BY f_fizkelt, o_nev", "fizetés dátum"},
    {"Fjegy", "ORDER BY s_Bszam, s_megnevezes", "fjegy szám"},
    {"Termék", "ORDER BY s_megnevezes, o_nev", "termék megnevezés"},
    {"Felv.dátum", "ORDER BY f_felvkelt, o_nev", "felvásárlás dátum"},
};

// "Mennyiség" shows the quantity as the line entry calls it, S_BRUTTO.
const QList<GridColumn> gridColumns = {
    {"s_megnevezes", "Megnevezés", 200},
    {"s_ear", "E.ár", 70},
    {"s_brutto", "Mennyiség", 80},
    {"s_megy", "M.egys.", 50},
    {"s_bszam", "Bszám", 80},
    {"s_VTSZ", "VTSZ", 70},
    {"s_kompmerteke", "Komp.%", 60},
    {"s_termekkod", "Termékkód", 70},
    {"ID_fjsor", "ID", 50},
};
}  // namespace

TForm12::TForm12(App& app, QWidget* parent)
    : ListScreen(app, QStringLiteral("TForm12"), QStringLiteral("Tételes lista"),
                 app.data().query("ZQ20"), gridColumns, parent) {
    auto* periodRow = new QHBoxLayout;
    m_period = new PeriodFields(this, periodRow, QStringLiteral("Bevallási idöszak: "));
    periodRow->addWidget(new QLabel(QStringLiteral("Fizetési dátum szerint"), this));
    periodRow->addStretch();
    choices()->addLayout(periodRow);

    auto* orderBox = new QGroupBox(QStringLiteral("Sorrend:"), this);
    auto* orderRow = new QHBoxLayout(orderBox);
    auto* group = new QButtonGroup(orderBox);
    for (const ListOrder& order : listOrders) {
        auto* choice = new QRadioButton(QString::fromUtf8(order.caption), orderBox);
        group->addButton(choice);
        orderRow->addWidget(choice);
        m_orders << choice;
        connect(choice, &QRadioButton::clicked, this, [this] { invalidate(); });
    }
    m_orders.first()->setChecked(true);
    orderRow->addStretch();
    choices()->addWidget(orderBox);

    m_period->onChange(this, [this] { invalidate(); });
    enableEnterNavigation(QList<QWidget*>{m_period->fromEdit(), m_period->toEdit(),
                                          m_orders.first(), collectButton(), printButton()});
}

QString TForm12::linesFrom() {
    return QStringLiteral(
        " FROM fjsor JOIN fjfej ON s_bszam = f_bszam LEFT JOIN ostermelo ON f_ostermkod = o_kod"
        " WHERE (f_fizkelt >= :p1 AND f_fizkelt <= :p2) AND (f_akod = :p3)");
}

void TForm12::openLines(const QString& columns) {
    Query& q = rows();
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT ") + columns + linesFrom());
    q.addSql(QString::fromUtf8(listOrders[chosenOrder()].orderBy));
    q.bindDate(QStringLiteral("p1"), m_period->from());
    q.bindDate(QStringLiteral("p2"), m_period->to());
    q.bindText(QStringLiteral("p3"), run().buyerCode);
    q.open();
}

int TForm12::chosenOrder() const {
    for (int i = 0; i < m_orders.size(); ++i) {
        if (m_orders.at(i)->isChecked()) return i;
    }
    return 0;
}

// The total filters on the line's buyer code, so it starts from the headers of the period
// (headersFirst); the lines are joined inner where the filter needs the header anyway (the same
// rows as an outer join), so the database may start from the headers there too.
void TForm12::collect() {
    Query& q = rows();
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT s_akod, SUM(s_vetelar) AS m_osszesen"));
    q.addSql(QString::fromLatin1(headersFirst));
    q.addSql(QStringLiteral(" WHERE (f_fizkelt >= :p1 AND f_fizkelt <= :p2) AND (s_akod = :p3)"));
    q.addSql(QStringLiteral(" GROUP BY s_akod"));
    q.bindDate(QStringLiteral("p1"), m_period->from());
    q.bindDate(QStringLiteral("p2"), m_period->to());
    q.bindText(QStringLiteral("p3"), run().buyerCode);
    q.open();
    m_total = ::totalText(q, QStringLiteral("m_osszesen"));

    openLines(QStringLiteral("*"));
}

void TForm12::print() {
    // The report walks every row. A large result is keyed and would hand its rows out by key, a
    // statement for every 64 of them (minutes for a year): it is read again in one pass, with
    // the columns the grid shows and the report prints (a year's lines in seconds).
    Query& q = rows();
    if (q.active() && (q.keyed() || q.canFetchMore())) {
        q.setKeyedWhenLarge(false);
        const auto keyedAgain = qScopeGuard([&q] { q.setKeyedWhenLarge(true); });
        QStringList gridFields;
        for (const GridColumn& c : gridColumns) gridFields << c.field;
        const QString columns =
            printedColumns(data().database(), app().workPath(reportFile),
                           QStringLiteral("frDBDataSet1"), linesFrom(), gridFields);
        openLines(columns);
        q.fetchAll();
    }
    openCurrentBuyer(app());
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_osszesen")] = m_total;
    v[QStringLiteral("v_tol")] = m_period->fromText();
    v[QStringLiteral("v_ig")] = m_period->toText();
    v[QStringLiteral("v_sorrend")] = QString::fromUtf8(listOrders[chosenOrder()].printed);
    reportRequest(app(), ReportComponent::frNyomtat, reportFile, true);
}
