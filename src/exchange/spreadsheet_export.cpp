#include "exchange/spreadsheet_export.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "exchange/progress_pump.h"

namespace {

const QString ticketSelect = QStringLiteral(
    "SELECT f_fizkelt, f_felvkelt, f_kelt, f_ostermkod, o_nev,  s_Bszam, s_megnevezes, s_netto, "
    "s_megy, s_ear, s_kompmerteke, f_szja,");
const QString ticketSelect2 = QStringLiteral(
    "o_Adoazon, o_Adoszam,  o_TAJ, o_Igszam, o_Regszam, o_Csgazd, o_Helysegnev, o_Utca, "
    "o_Bankszla, f_muvktg, o_Igszam1, o_Csgazd1");
// The buyer's index is kept out of the plan ("|| ''"): every ticket is one buyer's, so the
// engine would read that index whole for each ticket it joins, which took minutes on a year.
const QString byPaymentDate =
    QStringLiteral("WHERE (f_fizkelt >= :p1 AND f_fizkelt <= :p2) AND (f_akod || '' = :p3)");
const QString byPurchaseDate =
    QStringLiteral("WHERE (f_felvkelt >= :p1 AND f_felvkelt <= :p2) AND (f_akod || '' = :p3)");

const QString producerSelect = QStringLiteral(
    "SELECT O_NEV, O_IRSZAM, o_Helysegnev, o_Utca, O_SZULNEV, O_SZULHELY, O_SZIDO, O_ANYJA, "
    "O_NEME, o_Adoazon, o_Adoszam, o_TAJ, o_Igszam, o_Regszam, o_Csgazd, o_Bankszla, o_Igszam1, "
    "o_Csgazd1, o_Felir, O_JELLEG, O_HAZSZAM");

constexpr bool alignLeft = false;
constexpr bool alignRight = true;

// Ticket workbook columns A..X: width and alignment.
const QList<SheetColumn> ticketColumns = {
    {12, alignLeft}, {12, alignLeft}, {12, alignLeft},  {10, alignLeft}, {45, alignLeft},
    {15, alignLeft}, {45, alignLeft}, {15, alignRight}, {15, alignLeft}, {15, alignRight},
    {5, alignRight}, {5, alignRight}, {15, alignLeft},  {17, alignLeft}, {15, alignLeft},
    {10, alignLeft}, {15, alignLeft}, {12, alignLeft},  {45, alignLeft}, {45, alignLeft},
    {30, alignLeft}, {15, alignLeft}, {15, alignLeft},  {13, alignLeft},
};

// Producer workbook columns A..U, all left aligned.
const QList<SheetColumn> producerColumns = {
    {45, alignLeft}, {4, alignLeft},  {45, alignLeft}, {45, alignLeft}, {45, alignLeft},
    {45, alignLeft}, {20, alignLeft}, {45, alignLeft}, {3, alignLeft},  {15, alignLeft},
    {15, alignLeft}, {15, alignLeft}, {10, alignLeft}, {15, alignLeft}, {12, alignLeft},
    {30, alignLeft}, {15, alignLeft}, {13, alignLeft}, {9, alignLeft},  {20, alignLeft},
    {20, alignLeft},
};

const char* const producerGridColumns[] = {
    "O_NEV",    "O_IRSZAM",  "O_HELYSEGNEV", "O_UTCA",     "O_SZULNEV", "O_SZULHELY",
    "O_SZIDO",  "O_ANYJA",   "O_NEME",       "O_ADOAZON",  "O_ADOSZAM", "O_TAJ",
    "O_IGSZAM", "O_REGSZAM", "O_CSGAZD",     "O_BANKSZLA",
};

QDateEdit* datePicker(const QString& name) {
    auto* picker = new QDateEdit;
    picker->setObjectName(name);
    picker->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    picker->setCalendarPopup(true);
    return picker;
}

QLabel* heading(const QString& text) {
    auto* label = new QLabel(text);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// Keeps a page's buttons disabled while its export runs.
class ButtonsOff {
public:
    explicit ButtonsOff(const QList<QPushButton*>& buttons) : m_buttons(buttons) {
        for (QPushButton* b : m_buttons) b->setEnabled(false);
    }
    ~ButtonsOff() {
        for (QPushButton* b : m_buttons) b->setEnabled(true);
    }
    ButtonsOff(const ButtonsOff&) = delete;
    ButtonsOff& operator=(const ButtonsOff&) = delete;

private:
    QList<QPushButton*> m_buttons;
};

}  // namespace

TForm20::TForm20(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm20"), QStringLiteral("Excel  táblába"), parent) {
    m_tickets.queryName = QStringLiteral("ZQ20");
    m_tickets.fileName = QString::fromLatin1(ticketFile);
    m_tickets.doneText = QStringLiteral("A fjegy konvertálás befejeződött!");
    m_tickets.columns = ticketColumns;
    m_producers.queryName = QStringLiteral("ZQ30");
    m_producers.fileName = QString::fromLatin1(producerFile);
    m_producers.doneText = QStringLiteral("AZ östermelö konvertálás befejeződött!");
    m_producers.columns = producerColumns;

    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->addTab(buildTicketPage(), QStringLiteral("Fjegy"));
    m_pages->addTab(buildProducerPage(), QStringLiteral("Östermelö"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    resize(760, 560);
}

QWidget* TForm20::buildTicketPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Felvásárlási jegy exportálása")));

    m_from = datePicker(QStringLiteral("DateTimePicker1"));
    m_to = datePicker(QStringLiteral("DateTimePicker2"));
    auto* period = new QHBoxLayout;
    period->addWidget(new QLabel(QStringLiteral("Dátum: ")));
    period->addWidget(m_from);
    period->addWidget(new QLabel(QStringLiteral("-tól")));
    period->addWidget(m_to);
    period->addWidget(new QLabel(QStringLiteral("-ig")));
    period->addStretch();
    layout->addLayout(period);

    auto* dateKind = new QGroupBox(QStringLiteral("Dátum ?"));
    m_byPayment = new QRadioButton(QStringLiteral("Fizetési dátum"));
    m_byPayment->setObjectName(QStringLiteral("RadioButton1"));
    m_byPayment->setChecked(true);
    m_byPurchase = new QRadioButton(QStringLiteral("Felvásárlási dátum"));
    m_byPurchase->setObjectName(QStringLiteral("RadioButton2"));
    auto* kinds = new QHBoxLayout(dateKind);
    kinds->addWidget(m_byPayment);
    kinds->addWidget(m_byPurchase);
    layout->addWidget(dateKind);

    addPageControls(page, m_tickets, 1);
    return page;
}

QWidget* TForm20::buildProducerPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Östermelö exportálása")));
    addPageControls(page, m_producers, 2);
    return page;
}

void TForm20::addPageControls(QWidget* page, Page& p, int number) {
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    const QString n = QString::number(number);

    p.show = new QCheckBox(QStringLiteral(" excel táblát megjelenít"));
    p.show->setObjectName(QStringLiteral("CheckBox") + n);
    p.show->setChecked(true);
    layout->addWidget(p.show);

    p.progress = new QProgressBar;
    p.progress->setObjectName(QStringLiteral("ProgressBar") + n);
    p.progress->setValue(0);
    layout->addWidget(p.progress);

    Query& query = data().query(p.queryName);
    QList<GridColumn> columns;
    if (number == 1) {
        columns << GridColumn{QStringLiteral("S_MEGNEVEZES"), QStringLiteral("Megnevezés")};
    } else {
        for (const char* column : producerGridColumns) {
            columns << GridColumn{QString::fromLatin1(column), QString::fromLatin1(column)};
        }
    }
    auto* grid = new QTableView;
    grid->setObjectName(QStringLiteral("DBGrid") + n);
    bindGrid(grid, query, columns);
    layout->addWidget(grid, 1);
    auto* navigator = new Navigator(query, ui(), Navigator::Buttons::Moving);
    navigator->setObjectName(QStringLiteral("DBNavigator") + n);
    layout->addWidget(navigator);

    auto* collectButton = new QPushButton(QStringLiteral("Kigyüjtés"));
    auto* exportButton = new QPushButton(QStringLiteral("Exportálás "));
    auto* closeButton = new QPushButton(QStringLiteral("Mégsem"));
    const char* const names[2][3] = {{"Button1", "Button4", "Button3"},
                                     {"Button5", "Button6", "Button7"}};
    collectButton->setObjectName(QString::fromLatin1(names[number - 1][0]));
    exportButton->setObjectName(QString::fromLatin1(names[number - 1][1]));
    closeButton->setObjectName(QString::fromLatin1(names[number - 1][2]));
    p.buttons = {collectButton, exportButton, closeButton};
    if (number == 1)
        onClick(collectButton, [this] { collectTickets(); });
    else
        onClick(collectButton, [this] { collectProducers(); });
    onClick(exportButton, [this, &p] { exportPage(p); });
    onClick(closeButton, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(collectButton);
    buttons->addWidget(exportButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
}

void TForm20::onShow() {
    const int year = clockNow().date().year();
    m_from->setDate(QDate(year, 1, 1));
    m_to->setDate(QDate(year, 12, 31));
}

void TForm20::collectTickets() {
    const QStringList lines = {
        ticketSelect,
        ticketSelect2,
        QStringLiteral("FROM fjsor"),
        // The period's conditions drop lines without a header anyway; an inner join lets the
        // engine start from the period's tickets in number order instead of every line.
        QStringLiteral("JOIN fjfej          ON s_bszam     = f_bszam"),
        QStringLiteral("LEFT JOIN ostermelo ON f_ostermkod = o_kod"),
        m_byPurchase->isChecked() ? byPurchaseDate : byPaymentDate,
        QStringLiteral("ORDER BY s_Bszam"),
    };
    // The period's lines without their producers: the outer join keeps every line, and gives a
    // line twice only where two producers share a code. Counting these takes a third of the time
    // of counting the whole statement.
    const QStringList least = {
        QStringLiteral("SELECT s_bszam FROM fjsor"),
        QStringLiteral("JOIN fjfej          ON s_bszam     = f_bszam"),
        m_byPurchase->isChecked() ? byPurchaseDate : byPaymentDate,
    };
    collect(m_tickets, lines.join(u'\n'),
            {{QStringLiteral("p1"), Value::date(m_from->date())},
             {QStringLiteral("p2"), Value::date(m_to->date())},
             {QStringLiteral("p3"), Value::text(run().buyerCode)}},
            least.join(u'\n'));
}

void TForm20::collectProducers() {
    const QStringList lines = {producerSelect, QStringLiteral("FROM ostermelo"),
                               QStringLiteral("ORDER BY o_Nev")};
    collect(m_producers, lines.join(u'\n'), {});
}

void TForm20::collect(Page& p, const QString& sql, const RowStream::Params& params,
                      const QString& leastSql) {
    Query& query = data().query(p.queryName);
    query.close();
    query.clearSql();
    for (const QString& line : sql.split(u'\n')) query.addSql(line);
    for (const auto& [name, value] : params) {
        if (value.kind() == Value::Kind::Date)
            query.bindDate(name, value.asDate());
        else
            query.bindText(name, value.asText());
    }
    p.sql.clear();
    p.params.clear();
    p.leastSql.clear();
    query.open();
    p.sql = sql;
    p.params = params;
    p.leastSql = leastSql;
}

bool TForm20::holdsCollection(const Page& p) {
    const Query& query = data().query(p.queryName);
    return !p.sql.isEmpty() && query.active() && query.sql() == p.sql;
}

void TForm20::exportPage(Page& p) {
    // Exporting whatever another screen left in the shared query would write the wrong rows.
    if (!holdsCollection(p)) {
        if (&p == &m_tickets)
            collectTickets();
        else
            collectProducers();
    }
    Database& db = data().database();
    // The progress bar's length; the whole statement is counted only when the rows would not
    // fit on the sheet, for the message.
    const int rowCount = RowStream::count(db, p.leastSql.isEmpty() ? p.sql : p.leastSql, p.params);
    if (rowCount > sheetDataRowLimit) {
        tooManyRows(p.leastSql.isEmpty() ? rowCount : RowStream::count(db, p.sql, p.params));
        return;
    }

    const ButtonsOff busy(p.buttons);
    ProgressPump pump(p.progress, rowCount);
    const QString path = app().workPath(p.fileName);
    QString failure;
    int written = 0;
    {
        RowStream rows(db, p.sql, p.params);
        failure = writeWorkbook(path, p.columns, rows, [&pump, &written] {
            ++written;
            pump.step();
        });
    }
    pump.finish();
    if (!failure.isEmpty()) {
        qWarning("%s", qUtf8Printable(failure));
        // Lines repeated for producers sharing a code went past the sheet's last row.
        if (written >= sheetDataRowLimit) {
            const int all = RowStream::count(db, p.sql, p.params);
            if (all > sheetDataRowLimit) {
                tooManyRows(all);
                return;
            }
        }
        ui().message(QStringLiteral("A fájl mentése nem történt meg!"));
        return;
    }
    if (p.show->isChecked()) ui().openExternal(path);
    ui().information(QStringLiteral("Kész!"), p.doneText);
}

void TForm20::tooManyRows(int rowCount) {
    ui().message(QStringLiteral("A kigyűjtött %1 sor nem fér el egy munkalapon, amely "
                                "legfeljebb %2 sort fogad! Válasszon rövidebb időszakot.")
                     .arg(rowCount)
                     .arg(sheetDataRowLimit));
}
