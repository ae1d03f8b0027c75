#include "tickets/ticket_list.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <utility>

#include "core/elided_label.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_hooks.h"

namespace {
const QString newMode = QStringLiteral("Új felvásárlási jegy");
const QString modifyMode = QStringLiteral("Felvásárlási jegy módositás");
const QString numberOrderLabel =
    QStringLiteral("Felvásárlási jegy lista, \"Bizonylatszám\" szerint");
const QString reloadLabel = QStringLiteral("A lista, \"Bszám\" szerint");

struct Labelled {
    const char* label;
    const char* column;
};

const Labelled headerFields[] = {
    {"ID:", "ID_FJFEJ"},
    {"Bszám:", "F_BSZAM"},
    {"Átvevőkód:", "F_AKOD"},
    {"Őstermelőkód:", "F_OSTERMKOD"},
    {"Dátum:", "F_KELT"},
    {"Szja:", "F_SZJA"},
    {"Print:", "F_PRN"},
    {"Megjegyzés:", "F_MEGJ"},
    {"Érvényesitve:", "O_ERVKELT"},
    {"Betétlap:", "O_BETETLAP"},
    {"Érvényt. bszám:", "F_ERVENYT"},
};

const Labelled producerFields[] = {
    {"Név:", "O_NEV"},
    {"ID:", "ID_OSTERMELO"},
    {"Kód:", "O_KOD"},
    {"Irányítószám:", "O_IRSZAM"},
    {"Helységnév:", "O_HELYSEGNEV"},
    {"Utca:", "O_UTCA"},
    {"Adóazonosító jel:", "O_ADOAZON"},
    {"Őstermelői igazolvány szám:", "O_IGSZAM"},
    {"Regisztrációs szám:", "O_REGSZAM"},
    {"Családi gazdaság szám:", "O_CSGAZD"},
    {"TAJ szám:", "O_TAJ"},
    {"Adószám:", "O_ADOSZAM"},
    {"Bankszámlaszám:", "O_BANKSZLA"},
    {"Szja %:", "O_SZJA"},
    {"Születési név:", "O_SZULNEV"},
    {"Születési hely:", "O_SZULHELY"},
    {"Születési idő:", "O_SZIDO"},
    {"Anyja neve:", "O_ANYJA"},
    {"Neme:", "O_NEME"},
    {"Családi gazd. nyilv. szám:", "O_CSGAZD1"},
    {"Érvényes:", "O_ERVKELT1"},
    {"NÉBIH tev.azon.:", "O_IGSZAM1"},
    {"FELIR azon.:", "O_FELIR"},
};

// Column title → ORDER BY clause and order label; other titles do not sort.
struct SortOrder {
    const char* field;
    const char* orderBy;
    const char* label;
};
const SortOrder sortOrders[] = {
    {"F_BSZAM", "f_Bszam", "Felvásárlási jegy lista, \"Bizonylatszám\" szerint"},
    {"F_OSTERMKOD", "f_ostermkod", "Felvásárlási jegy lista, \"Őstermelőkód\" szerint"},
    {"o_nev", "o_nev", "Felvásárlási jegy lista, név szerint"},
    {"F_KELT", "f_kelt", "Felvásárlási jegy lista, dátum szerint"},
    {"F_PRN", "f_prn", "Felvásárlási jegy lista, volt-e nyomtatva szerint"},
};

QList<QLabel*> addValueLabels(QWidget* parent, QFormLayout* form, const Labelled* fields,
                              size_t count) {
    QList<QLabel*> values;
    for (size_t i = 0; i < count; ++i) {
        auto* value = new ElidedLabel(parent);
        value->setObjectName(QString::fromLatin1(fields[i].column));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromUtf8(fields[i].label), value);
        values << value;
    }
    return values;
}

// Another screen may leave a different statement in the query: missing columns show empty.
void fillValueLabels(const QList<QLabel*>& labels, const Query& q) {
    for (QLabel* label : labels) {
        label->setText(q.hasField(label->objectName()) ? q.text(label->objectName()) : QString());
    }
}

QTableView* makeGrid(QWidget* parent, const QString& name) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSortingEnabled(false);
    return grid;
}
}  // namespace

void TForm8::openList(App& app, const QString& orderBy) {
    Query& q = app.data().query("ZQ10");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "SELECT * FROM FjFej LEFT JOIN ostermelo ON FjFej.f_ostermkod = Ostermelo.o_kod"));
    q.addSql(QStringLiteral("WHERE f_akod = :p1"));
    q.addSql(QStringLiteral("ORDER BY ") + orderBy);  // one of the fixed clauses, never user text
    q.bindText("p1", app.run().buyerCode);
    q.open();
}

void TForm8::reload(App& app) {
    openList(app);
    locateLastSaved(app);
}

void TForm8::locateLastSaved(App& app) {
    app.data().query("ZQ10").locate(QStringLiteral("f_bszam"), app.run().lastSavedTicketNumber,
                                    true, true);
}

TForm8::TForm8(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm8"), QStringLiteral("Felvásárlási jegy"), parent) {
    auto* layout = new QVBoxLayout(this);

    auto* header = new QGroupBox(QStringLiteral("Felvásárlási jegy fejsor adata"), this);
    auto* headerColumns = new QHBoxLayout(header);
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    headerColumns->addLayout(left);
    headerColumns->addLayout(right);
    m_headerValues = addValueLabels(header, left, headerFields, 6);
    m_headerValues += addValueLabels(header, right, headerFields + 6, std::size(headerFields) - 6);
    layout->addWidget(header);

    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs, 1);

    auto* listPage = new QWidget(m_tabs);
    auto* listLayout = new QVBoxLayout(listPage);
    m_order = new QLabel(QStringLiteral("Fejsor rendezettsége:"), listPage);
    m_order->setObjectName(QStringLiteral("orderLabel"));
    listLayout->addWidget(m_order);
    m_grid = makeGrid(listPage, QStringLiteral("gridZQ10"));
    Query& list = data().query("ZQ10");
    m_model = bindGrid(m_grid, list,
                       {{"F_BSZAM", "Bszám", 80},
                        {"F_OSTERMKOD", "Österm.kód", 70},
                        {"o_nev", "Név", 180},
                        {"F_KELT", "Dátum", 80},
                        {"F_PRN", "Print", 40},
                        {"F_MEGJ", "Megjegyzés", 150},
                        {"o_Irszam", "Irszám", 50},
                        {"o_Helysegnev", "Helységnév", 120},
                        {"o_Utca", "Utca", 120},
                        {"o_Adoszam", "Adószám", 100},
                        {"o_Adoazon", "Adóazonositó", 100},
                        {"F_SZJA", "Szja", 40},
                        {"ID_FJFEJ", "ID", 50}});
    listLayout->addWidget(m_grid, 1);
    listLayout->addWidget(new Navigator(list, ui(), Navigator::Buttons::Moving, listPage));
    m_tabs->addTab(listPage, QStringLiteral("Fejsor"));

    auto* linesPage = new QWidget(m_tabs);
    auto* linesLayout = new QVBoxLayout(linesPage);
    auto* lineGrid = makeGrid(linesPage, QStringLiteral("gridZQ20"));
    Query& lines = data().query("ZQ20");
    bindGrid(lineGrid, lines,
             {{"S_BSZAM", "Bizonylatszám", 80},
              {"S_MEGNEVEZES", "Megnevezés", 160},
              {"S_BRUTTO", "Mennyiség", 70},
              {"S_MEGY", "M.egys.", 50},
              {"S_EAR", "Egységár", 70},
              {"S_KOMPMERTEKE", "Komp. %", 50},
              {"S_FELVAR", "Felvásár. ár", 80},
              {"S_KOMPFELAR", "Komp.felár", 70},
              {"S_VETELAR", "Vételár", 80},
              {"S_SZJA", "Szja %", 50},
              {"S_VTSZ", "VTSZ", 70},
              {"ID_FJSOR", "ID", 50},
              {"S_TERMEKKOD", "Termékkód", 60},
              {"S_AKOD", "Átvevő", 50}});
    linesLayout->addWidget(lineGrid, 1);
    linesLayout->addWidget(new Navigator(lines, ui(), Navigator::Buttons::Moving, linesPage));
    m_tabs->addTab(linesPage, QStringLiteral("Tételsor"));

    auto* producerPage = new QWidget(m_tabs);
    auto* producerColumns = new QHBoxLayout(producerPage);
    auto* producerLeft = new QFormLayout;
    auto* producerRight = new QFormLayout;
    producerColumns->addLayout(producerLeft);
    producerColumns->addLayout(producerRight);
    const size_t half = std::size(producerFields) / 2 + 1;
    m_producerValues = addValueLabels(producerPage, producerLeft, producerFields, half);
    m_producerValues += addValueLabels(producerPage, producerRight, producerFields + half,
                                       std::size(producerFields) - half);
    m_tabs->addTab(producerPage, QStringLiteral("Östermelő"));

    auto* searchRow = new QHBoxLayout;
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setToolTip(QStringLiteral("Kezdö betükre rákeres"));
    m_search->installEventFilter(this);
    auto* find = new QPushButton(QStringLiteral("Keres"), this);
    searchRow->addWidget(m_search);
    searchRow->addWidget(find);
    layout->addLayout(searchRow);

    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Új"), this);
    m_modify = new QPushButton(QStringLiteral("Módosít"), this);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    auto* view = new QPushButton(QStringLiteral("Megtekint"), this);
    auto* print = new QPushButton(QStringLiteral("Nyomtat"), this);
    m_void = new QPushButton(QStringLiteral("Érvénytelenit"), this);
    m_void->setToolTip(
        QStringLiteral("Stornó. A kiválasztott bizonylat mennyiség minusz eggyel szorzása és új "
                       "bizonylatszámon létrehozva."));
    for (QPushButton* b : {add, m_modify, cancel, view, print, m_void}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    m_modify->installEventFilter(this);

    onClick(find, [this] { search(); });
    onClick(add, [this] { newTicket(); });
    onClick(m_modify, [this] { modifyTicket(); });
    onClick(cancel, [this] { reject(); });
    onClick(view, [this] { output(QStringLiteral("Megtekint")); });
    onClick(print, [this] { output(QStringLiteral("Nyomtat")); });
    onClick(m_void, [this] { voidTicket(); });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { guard(ui(), [&] { sortByColumn(section); }); });
    connectGuarded(m_tabs, &QTabWidget::currentChanged, this, ui(), [this] { tabChanged(); });
    connect(&list, &Query::currentChanged, this, [this] { showHeader(); });
    connect(&list, &Query::reset, this, [this] { showHeader(); });
    Query& producer = data().query("ZQ31");
    connect(&producer, &Query::currentChanged, this, [this] { showProducer(); });
    connect(&producer, &Query::reset, this, [this] { showProducer(); });

    resize(900, 650);
    openList(app);
    m_listJustOpened = true;
}

QString TForm8::orderLabel() const {
    return m_order->text();
}
void TForm8::setOrderLabel(const QString& text) {
    m_order->setText(text);
}

void TForm8::onShow() {
    // Opened by the constructor a moment ago: positioning it is enough.
    if (std::exchange(m_listJustOpened, false))
        locateLastSaved(app());
    else
        reload(app());
    setOrderLabel(reloadLabel);
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_search && event->type() == QEvent::KeyRelease) {
        guard(ui(), [this] { search(); });
    } else if (watched == m_modify && event->type() == QEvent::KeyPress) {
        // F on "Módosít" opens the ticket for change without the print and type checks.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            guard(ui(), [this] { openForModify(); });
            return true;
        }
    }
    return Screen::eventFilter(watched, event);
}

void TForm8::showHeader() {
    fillValueLabels(m_headerValues, data().query("ZQ10"));
}
void TForm8::showProducer() {
    fillValueLabels(m_producerValues, data().query("ZQ31"));
}

void TForm8::sortByColumn(int column) {
    const QString field = m_model->fieldOf(column);
    for (const SortOrder& order : sortOrders) {
        if (field.compare(QLatin1String(order.field), Qt::CaseInsensitive) != 0) continue;
        openList(app(), QString::fromLatin1(order.orderBy));
        data().query("ZQ10").first();
        setOrderLabel(QString::fromUtf8(order.label));
        return;
    }
}

void TForm8::search() {
    openList(app());
    data().query("ZQ10").locate(QStringLiteral("f_Bszam"), m_search->text(), true, true);
    setOrderLabel(numberOrderLabel);
}

void TForm8::tabChanged() {
    const Query& list = data().query("ZQ10");
    const QString number = list.fieldCount() > 0 ? list.text("f_bszam") : QString();
    const QString producer = list.fieldCount() > 0 ? list.text("f_ostermkod") : QString();
    Query& lines = data().query("ZQ20");
    lines.close();
    lines.clearSql();
    lines.addSql(QStringLiteral("SELECT * FROM FjSor WHERE s_Bszam = :p0"));
    lines.bindText("p0", number);
    lines.open();
    Query& q = data().query("ZQ31");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT * FROM ostermelo WHERE o_kod = :p0"));
    q.bindText("p0", producer);
    q.open();
}

void TForm8::newTicket() {
    run().ticketEntryMode = newMode;
    {
        TForm9 entry(app(), this);
        openModal(entry);
    }
    // Lines written by an abandoned entry were committed, which closed the list.
    if (!data().query("ZQ10").active()) reload(app());
}

void TForm8::modifyTicket() {
    Query& marks = data().query("ZQ11");
    marks.close();
    marks.clearSql();
    marks.addSql(QStringLiteral("SELECT f_bszam, f_prn, F_TIPUS FROM FjFej WHERE f_bszam = :p1"));
    marks.bindText("p1", data().query("ZQ10").text("f_bszam"));
    marks.open();
    if (marks.text("f_prn") == QLatin1String("I")) {
        ui().notice(QStringLiteral("A felvásárlási jegy már nyomtatva volt!"));
        return;
    }
    if (marks.text("F_TIPUS") != QLatin1String("1")) {
        ui().notice(QStringLiteral("Az érvénytelenített felvásárlási jegy nem módosítható!"));
        return;
    }
    openForModify();
}

void TForm8::openForModify() {
    run().ticketEntryMode = modifyMode;
    {
        TForm9 entry(app(), this);
        entry.fill();
        openModal(entry);
    }
    if (!data().query("ZQ10").active()) reload(app());
}

void TForm8::output(const QString& mode) {
    run().printMode = mode;
    if (runTicketOutput(app(), this)) {
        reload(app());
        setOrderLabel(reloadLabel);
    }
}

void TForm8::voidTicket() {
    const Query& list = data().query("ZQ10");
    if (list.text("f_prn") != QLatin1String("I")) {
        ui().message(QStringLiteral("Nem volt nyomtatva. Nem érvényteleníthető!"));
        ui().focus(m_void);
        return;
    }
    if (list.text("F_ERVENYT").trimmed().isEmpty()) {
        const QString number = list.text("f_bszam");
        if (ui().ask(QStringLiteral("Érvényteleniteni szeretné a ") + number +
                     QStringLiteral(" bizonylatot? "))) {
            run().voidNumber = number;
            openVoidingScreen(app(), this);
        }
        return;
    }
    ui().message(list.text("f_tipus") != QLatin1String("1")
                     ? QStringLiteral("Érvénytelent (storno) nem lehet érvényteleníteni!")
                     : QStringLiteral("Már érvénytelenítve van!"));
    ui().focus(m_void);
}
