#include "lists/per_producer_list.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
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
    m_lines.reset();
    m_groups.clear();
}

void TForm19::periodChanged() {
    invalidate();
    rows().close();
    m_lines.reset();
    m_groups.clear();
}

// The statement starts from the headers of the period and joins each header's producer once,
// not once per line (producerPerHeader). Its lines are sorted by producer code and then by the
// producer's row, so that a code held by two producers still gives each its own group, and within
// a producer as the print lays them out. (The row's ID sorts at a fraction of the cost of the
// name in its Hungarian collation.)
QString TForm19::periodLinesSql() {
    const QString date = m_dateChoice->column();
    const QString from =
        QString::fromLatin1(producerPerHeader) +
        QStringLiteral(
            "  JOIN fjsor ON s_bszam = f_bszam"
            " WHERE (%1 >= :p1) AND (%1 <= :p2) AND (f_akod = :p3 OR s_akod = :p3)")
            .arg(date);
    const QString columns = printedColumns(
        data().database(), app().workPath(reportFile), QStringLiteral("ZQ21"), from,
        {QStringLiteral("f_ostermkod"), QStringLiteral("id_ostermelo"), QStringLiteral("o_nev"),
         QStringLiteral("s_vetelar"), QStringLiteral("f_akod"), QStringLiteral("s_akod")});
    return QStringLiteral(
               "SELECT %1 %2 ORDER BY f_ostermkod, id_ostermelo, s_megnevezes, %3, s_bszam, "
               "id_fjsor")
        .arg(columns, from, date);
}

// The period's lines are read once: the producers and their sums come from them and the print
// hands the same lines out, so the year's lines are joined and sorted once, not twice.
// Producers are grouped by the ticket's producer code and joined to the register with a LEFT
// JOIN, so the lines of a producer deleted after an unprinted ticket still print inside a group.
// A group's sum counts the lines written for the buyer (s_akod) and the print shows the lines of
// the buyer's tickets (f_akod): with consistent data the same lines.
void TForm19::collect() {
    Query& producers = rows();
    producers.close();
    m_lines.reset();
    m_groups.clear();
    const ReadRows read =
        readRows(data().database(), periodLinesSql(), periodParams(*m_period, run().buyerCode));
    const int code = fieldIndex(read.fields, QStringLiteral("f_ostermkod"));
    const int producer = fieldIndex(read.fields, QStringLiteral("id_ostermelo"));
    const int name = fieldIndex(read.fields, QStringLiteral("o_nev"));
    const int paid = fieldIndex(read.fields, QStringLiteral("s_vetelar"));
    const int ticketBuyer = fieldIndex(read.fields, QStringLiteral("f_akod"));
    const int lineBuyer = fieldIndex(read.fields, QStringLiteral("s_akod"));
    const Value buyer = Value::text(run().buyerCode);

    auto printed = std::make_shared<ReadRows>();
    printed->fields = read.fields;
    printed->types = read.types;
    std::vector<QByteArray> groups;
    ColumnSum total;
    size_t i = 0;
    while (i < read.rows.size()) {
        const QByteArray& first = read.rows[i];
        const Value groupCode = Cursor::unpack(first, code);
        const Value groupProducer = Cursor::unpack(first, producer);
        const size_t firstPrinted = printed->rows.size();
        ColumnSum groupPaid;
        bool counted = false;
        for (; i < read.rows.size(); ++i) {
            const QByteArray& row = read.rows[i];
            if (!sameGroup(Cursor::unpack(row, code), groupCode) ||
                !sameGroup(Cursor::unpack(row, producer), groupProducer))
                break;
            if (sameGroup(Cursor::unpack(row, lineBuyer), buyer)) {
                counted = true;
                groupPaid.add(Cursor::unpack(row, paid));
            }
            if (sameGroup(Cursor::unpack(row, ticketBuyer), buyer)) printed->rows.push_back(row);
        }
        if (!counted) {  // only another buyer's lines on the buyer's tickets: no group
            printed->rows.resize(firstPrinted);
            continue;
        }
        total.add(groupPaid.value());
        QByteArray group;
        Cursor::pack(group, groupCode);
        Cursor::pack(group, Cursor::unpack(first, name));
        Cursor::pack(group, groupPaid.value());
        groups.push_back(group);
        m_groups.emplace_back(firstPrinted, printed->rows.size());
    }
    // The grand total on every row, as the grid's total column has always carried it, so the
    // printed total is the sum of the printed groups.
    const Value grandTotal = total.value();
    for (QByteArray& group : groups) Cursor::pack(group, grandTotal);
    producers.openRows(
        {QStringLiteral("O_KOD"), QStringLiteral("O_NEV"), QStringLiteral("NEVOSSZESEN"),
         QStringLiteral("M_OSSZESEN")},
        {read.types.at(static_cast<size_t>(code)), read.types.at(static_cast<size_t>(name)),
         FieldType::Double, FieldType::Double},
        std::move(groups));
    m_lines = std::move(printed);
    m_total = ::totalText(producers, QStringLiteral("m_osszesen"));
}

// Each producer's lines are the collected ones, handed out alongside the producers; statements
// per producer would run thousands.
void TForm19::print() {
    if (!m_lines) collect();
    openCurrentBuyer(app());
    QVariantMap& v = data().reportVariables();
    v[QStringLiteral("v_osszesen")] = m_total;
    v[QStringLiteral("v_tol")] = m_period->fromText();
    v[QStringLiteral("v_ig")] = m_period->toText();
    v[QStringLiteral("v_sorrend")] = QStringLiteral(" Östermelönként ");

    Query& producers = rows();
    Query& total = data().query("ZQ80");
    Query& lines = data().query("ZQ21");
    const ReadRows& read = *m_lines;
    const int codeColumn = fieldIndex(read.fields, QStringLiteral("f_ostermkod"));
    const int paidColumn = fieldIndex(read.fields, QStringLiteral("s_vetelar"));
    size_t group = 0;
    // ZQ21 the producer's lines; ZQ80 its code and the sum of its lines' purchase prices, one row
    // when the producer has lines, as a statement grouped by producer code would give it.
    const auto producerChanged = [&] {
        if (!producers.active() || producers.eof() || group >= m_groups.size()) return;
        const auto [begin, end] = m_groups[group];
        std::vector<QByteArray> groupLines(read.rows.begin() + static_cast<std::ptrdiff_t>(begin),
                                           read.rows.begin() + static_cast<std::ptrdiff_t>(end));
        std::vector<QByteArray> totalRows;
        if (!groupLines.empty()) {
            ColumnSum paid;
            for (const QByteArray& row : groupLines) paid.add(Cursor::unpack(row, paidColumn));
            QByteArray row;
            Cursor::pack(row, Cursor::unpack(groupLines.front(), codeColumn));
            Cursor::pack(row, paid.value());
            totalRows.push_back(row);
        }
        total.openRows({QStringLiteral("O_KOD"), QStringLiteral("NEVOSSZESEN")},
                       {read.types.at(static_cast<size_t>(codeColumn)), FieldType::Double},
                       std::move(totalRows));
        lines.openRows(read.fields, read.types, std::move(groupLines));
    };
    if (!producers.active() || producers.isEmpty()) {
        total.close();
        lines.close();
    }
    ScopedUserDatasets datasets(data());
    datasets.set(QStringLiteral("frUserDataset3"),
                 {[&] {
                      if (producers.active()) producers.first();
                      group = 0;
                      producerChanged();
                  },
                  [&] {
                      if (producers.active()) producers.next();
                      ++group;
                      producerChanged();
                  },
                  [&producers] { return !producers.active() || producers.eof(); }});
    datasets.set(QStringLiteral("frUserDataset4"), queryRoutines(lines));
    reportRequest(app(), ReportComponent::frNyomtat, reportFile, false);
}
