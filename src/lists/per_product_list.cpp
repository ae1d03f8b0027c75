#include "lists/per_product_list.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/query.h"
#include "core/report_request.h"
#include "core/widgets.h"
#include "lists/list_support.h"

namespace {
const QString reportFile = QStringLiteral("FjLista5.frf");
const QList<GridColumn> gridColumns = {
    {"s_megnevezes", "Megnevezés", 260},
    {"mennyiseg", "Mennyiség", 110},
    {"kifizetett", "Kifizetett", 120},
};
}  // namespace

TForm13::TForm13(App& app, QWidget* parent)
    : ListScreen(app, QStringLiteral("TForm13"), QStringLiteral("Termékenkénti lista"),
                 app.data().query("ZQ20"), gridColumns, parent) {
    auto* periodRow = new QHBoxLayout;
    m_period = new PeriodFields(this, periodRow, QStringLiteral("Dátum: "));
    periodRow->addStretch();
    choices()->addLayout(periodRow);
    m_dateChoice = new DateChoice(this, choices());

    m_period->onChange(this, [this] { periodChanged(); });
    connect(m_dateChoice, &DateChoice::changed, this, [this] { periodChanged(); });
    enableEnterNavigation(
        QList<QWidget*>{m_period->fromEdit(), m_period->toEdit(), collectButton(), printButton()});
}

void TForm13::onShow() {
    rows().close();
    m_lines.reset();
}

void TForm13::periodChanged() {
    invalidate();
    rows().close();
    m_lines.reset();
}

// The period's lines are read once, sorted by product as the print lays them out: the products'
// sums come from them and the print hands the same rows out, so every printed group adds up to
// the sum the grid shows, and the year's lines are joined, computed and sorted once, not twice.
void TForm13::collect() {
    Query& products = rows();
    products.close();
    m_lines.reset();
    auto lines = std::make_shared<ReadRows>(
        readRows(data().database(), periodLinesSql(), periodParams(*m_period, run().buyerCode)));
    const int name = fieldIndex(lines->fields, QStringLiteral("s_megnevezes"));
    const int quantity = fieldIndex(lines->fields, QStringLiteral("s_netto"));
    const int paid = fieldIndex(lines->fields, QStringLiteral("s_vetelar"));

    std::vector<QByteArray> groups;
    ColumnSum total;
    size_t i = 0;
    while (i < lines->rows.size()) {
        const Value key = Cursor::unpack(lines->rows[i], name);
        ColumnSum groupQuantity;
        ColumnSum groupPaid;
        for (; i < lines->rows.size(); ++i) {
            const QByteArray& row = lines->rows[i];
            if (!sameGroup(Cursor::unpack(row, name), key)) break;
            groupQuantity.add(Cursor::unpack(row, quantity));
            groupPaid.add(Cursor::unpack(row, paid));
        }
        total.add(groupPaid.value());
        QByteArray group;
        Cursor::pack(group, key);
        Cursor::pack(group, groupQuantity.value());
        Cursor::pack(group, groupPaid.value());
        groups.push_back(group);
    }
    // The grand total on every row, as the grid's total column has always carried it.
    const Value grandTotal = total.value();
    for (QByteArray& group : groups) Cursor::pack(group, grandTotal);
    products.openRows({lines->fields.at(name), QStringLiteral("MENNYISEG"),
                       QStringLiteral("KIFIZETETT"), QStringLiteral("M_OSSZESEN")},
                      {lines->types.at(static_cast<size_t>(name)), FieldType::Decimal,
                       FieldType::Double, FieldType::Double},
                      std::move(groups));
    m_lines = std::move(lines);
    m_total = ::totalText(products, QStringLiteral("m_osszesen"));
    openProductLines();
}

void TForm13::openProductLines() {
    const QString date = m_dateChoice->column();
    Query& lines = data().query("ZQ21");
    lines.close();
    lines.clearSql();
    lines.addSql(QStringLiteral("SELECT * FROM fjsor LEFT JOIN fjfej ON s_bszam = f_bszam"));
    lines.addSql(QStringLiteral("  LEFT JOIN ostermelo ON f_ostermkod = o_kod"));
    // A NULL name is a group of its own too, so its lines print under it. The lines are found by
    // name and each header by its number alone: the header's filters are written as expressions,
    // since an index on the buyer or the date would be read whole again for every line.
    lines.addSql(QStringLiteral(" WHERE (s_megnevezes IS NOT DISTINCT FROM :p0)"));
    lines.addSql(
        QStringLiteral("   AND (%1 + 0 >= :p1) AND (%1 + 0 <= :p2) AND (f_akod || '' = :p3)")
            .arg(date));
    lines.addSql(QStringLiteral(" ORDER BY %1, s_bszam, id_fjsor").arg(date));
    bindKey(lines, QStringLiteral("p0"), rows().value(QStringLiteral("s_megnevezes")));
    lines.bindDate(QStringLiteral("p1"), m_period->from());
    lines.bindDate(QStringLiteral("p2"), m_period->to());
    lines.bindText(QStringLiteral("p3"), run().buyerCode);
    lines.open();
}

QString TForm13::periodLinesSql() {
    const QString date = m_dateChoice->column();
    const QString from = QString::fromLatin1(producerPerHeader) +
                         QStringLiteral(
                             "  JOIN fjsor ON s_bszam = f_bszam"
                             " WHERE (%1 >= :p1) AND (%1 <= :p2) AND (f_akod = :p3)")
                             .arg(date);
    const QString columns = printedColumns(
        data().database(), app().workPath(reportFile), QStringLiteral("ZQ21"), from,
        {QStringLiteral("s_megnevezes"), QStringLiteral("s_netto"), QStringLiteral("s_vetelar")});
    return QStringLiteral("SELECT %1 %2 ORDER BY s_megnevezes, %3, s_bszam, id_fjsor")
        .arg(columns, from, date);
}

void TForm13::print() {
    openCurrentBuyer(app());
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_osszesen")] = m_total;
    v[QStringLiteral("v_tol")] = m_period->fromText();
    v[QStringLiteral("v_ig")] = m_period->toText();
    v[QStringLiteral("v_sorrend")] = QStringLiteral("Termékenként");
    v[QStringLiteral("v_datum")] = m_dateChoice->printed();

    // The lines of every product are the collected ones, sorted by product and handed out
    // alongside the products; a statement per product would run hundreds.
    Query& products = rows();
    Query& lines = data().query("ZQ21");
    std::unique_ptr<SortedGroups> groups;
    const auto productChanged = [&products, &lines, &groups] {
        if (!products.eof()) groups->take(products.value(QStringLiteral("s_megnevezes")), lines);
    };
    const auto firstProduct = [this, &products, &groups, productChanged] {
        if (products.active()) products.first();
        groups = m_lines ? std::make_unique<SortedGroups>(m_lines, QStringLiteral("s_megnevezes"))
                         : std::make_unique<SortedGroups>(data().database(), periodLinesSql(),
                                                          periodParams(*m_period, run().buyerCode),
                                                          QStringLiteral("s_megnevezes"));
        productChanged();
    };
    ScopedUserDatasets datasets(data());
    datasets.set(QStringLiteral("frUserDataset1"),
                 {firstProduct,
                  [&products, productChanged] {
                      if (products.active()) products.next();
                      productChanged();
                  },
                  [&products] { return !products.active() || products.eof(); }});
    datasets.set(QStringLiteral("frUserDataset2"), queryRoutines(lines));
    reportRequest(app(), ReportComponent::frNyomtat, reportFile, false);
}
