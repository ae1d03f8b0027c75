#include "registers/producer_list.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/elided_label.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "core/report_request.h"
#include "registers/producer_entry.h"

namespace {
const QString instructionLine =
    QStringLiteral("Sorrend: Oszlop megjelölés és klikk az oszlop fejlécre");
const QString nameOrder = QStringLiteral("         ORDER BY o_Nev ");

// The producer list statement's columns; a sort names a column by its position here.
const char* const listColumns[] = {
    "o_kod",      "o_Nev",     "o_Irszam",  "o_Helysegnev", "o_Utca",       "o_Adoazon",
    "o_Igszam",   "o_Regszam", "o_Adoszam", "o_Szulhely",   "o_Szido",      "o_Anyja",
    "o_Csgazd",   "o_Szulnev", "o_Neme",    "o_Bankszla",   "O_ERVKELT",    "O_BETETLAP",
    "O_MUVKTG",   "O_MNYPTAG", "o_Szja",    "o_TAJ",        "O_AKOD",       "ID_ostermelo",
    "o_kamara",   "o_felir",   "O_KERULET", "O_JELLEG",     "O_HAZSZAM",    "O_EPULET",
    "O_LEPCSO",   "O_SZINT",   "O_AJTO",    "O_FHAT",       "O_KOZADOSZAM", "O_FELJEGYZ",
    "O_ERVKELT1", "o_Csgazd1", "o_Igszam1",
};

const QList<GridColumn> gridColumns = {
    {"O_KOD", "Kód", 50},
    {"O_NEV", "Név", 200},
    {"O_IRSZAM", "Irszám", 50},
    {"O_HELYSEGNEV", "Helységnév", 120},
    {"O_UTCA", "Utca", 140},
    {"O_ADOAZON", "Adóazonositó", 90},
    {"O_IGSZAM", "Östermelöi", 80},
    {"O_REGSZAM", "Reg.szám", 80},
    {"O_ADOSZAM", "Adószám", 90},
    {"O_SZULHELY", "Szül.hely", 100},
    {"O_SZIDO", "Szül.idö", 80},
    {"O_ANYJA", "Anyja", 140},
    {"O_CSGAZD", "Családigazd.", 80},
    {"O_SZULNEV", "Szül.név", 140},
    {"O_NEME", "Neme", 40},
    {"O_BANKSZLA", "Bank szla", 180},
    {"O_ERVKELT", "Érv.kelte", 80},
    {"O_BETETLAP", "Betétlap", 80},
    {"O_MUVKTG", "Müv.ktg.", 60},
    {"O_MNYPTAG", "Magánny.", 60},
    {"O_SZJA", "szja", 40},
    {"O_TAJ", "TAJ", 80},
    {"O_AKOD", "Átvevö", 50},
    {"ID_OSTERMELO", "ID", 50},
    {"O_KAMARA", "kamarai reg.", 120},
    {"O_IGSZAM1", "Nébih azonosító", 120},
    {"O_ERVKELT1", "Érv.kezdete", 80},
    {"O_CSGAZD1", "Nébih családi gazd.szám", 140},
};

// One line of the "Adata" panel: a caption and the columns shown side by side after it.
struct DetailLine {
    const char* caption;
    QList<const char*> columns;
};
const DetailLine personLines[] = {
    {"Neve:", {"O_NEV"}},
    {"ID:", {"ID_OSTERMELO"}},
    {"Kód:", {"O_KOD"}},
    {"Cim:", {"O_IRSZAM", "O_HELYSEGNEV", "O_UTCA", "O_JELLEG", "O_HAZSZAM"}},
    {"Adóazonositó:", {"O_ADOAZON"}},
    {"Adószám:", {"O_ADOSZAM"}},
    {"Bank szla:", {"O_BANKSZLA"}},
    {"Nap:", {"O_FHAT"}},
};
const DetailLine birthLines[] = {
    {"Szül. hely:", {"O_SZULHELY"}},   {"Születési idő:", {"O_SZIDO"}}, {"Neme:", {"O_NEME"}},
    {"Születési név:", {"O_SZULNEV"}}, {"Anyja neve:", {"O_ANYJA"}},
};
const DetailLine registryLines[] = {
    {"FELIR:", {"O_FELIR"}},
    {"Kamarai reg.:", {"O_KAMARA"}},
    {"Nébih tevékenységazonosító: ", {"O_IGSZAM1"}},
    {"érvényesség kezdete:", {"O_ERVKELT1"}},
    {"családi gazd.nyilv.száma:", {"O_CSGAZD1"}},
};
const DetailLine formerLines[] = {
    {"Reg.szám:", {"O_REGSZAM"}},         {"Ősterm.Ig.szám:", {"O_IGSZAM"}},
    {"Érvényesitve:", {"O_ERVKELT"}},     {"TAJ:", {"O_TAJ"}},
    {"Családi gazd.szám:", {"O_CSGAZD"}},
};

void openProducerList(Query& q, const QString& orderBy) {
    QStringList columns;
    for (const char* c : listColumns) columns << QString::fromLatin1(c);
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT ") + columns.mid(0, 13).join(QStringLiteral(", ")) + ',');
    q.addSql(QStringLiteral("       ") + columns.mid(13, 13).join(QStringLiteral(", ")) + ',');
    q.addSql(QStringLiteral("       ") + columns.mid(26).join(QStringLiteral(", ")));
    q.addSql(QStringLiteral("  FROM ostermelo     "));
    q.addSql(orderBy);
    q.open();
}

QPushButton* makeButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

TForm4::TForm4(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm4"), QStringLiteral("Őstermelő"), parent) {
    Query& list = data().query("ZQ30");
    auto* layout = new QVBoxLayout(this);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("gridZQ30"));
    m_model = bindGrid(m_grid, list, gridColumns);
    m_grid->installEventFilter(this);
    layout->addWidget(m_grid, 1);

    auto* tools = new QHBoxLayout;
    m_navigator = new Navigator(list, ui(), Navigator::Buttons::Moving, this);
    for (QToolButton* b : m_navigator->findChildren<QToolButton*>()) b->installEventFilter(this);
    tools->addWidget(m_navigator);
    auto* searchLabel = new QLabel(QStringLiteral("Név:"), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("searchName"));
    m_search->setToolTip(QStringLiteral("Kezdö betükre rákeres"));
    m_search->installEventFilter(this);
    searchLabel->setBuddy(m_search);
    auto* find = makeButton(QStringLiteral("Keres"), this);
    tools->addSpacing(20);
    tools->addWidget(searchLabel);
    tools->addWidget(m_search);
    tools->addWidget(find);
    tools->addStretch();
    layout->addLayout(tools);

    m_orderLine = new QLabel(instructionLine, this);
    m_orderLine->setObjectName(QStringLiteral("orderLine"));
    layout->addWidget(m_orderLine);
    layout->addWidget(
        new QLabel(QStringLiteral("FELIR másolás vágólapra (Ctrl C) : Klikk a név sorra"), this));

    auto* details = new QGroupBox(QStringLiteral("Adata"), this);
    details->setObjectName(QStringLiteral("Adata"));
    auto* panels = new QHBoxLayout(details);
    const auto addLines = [this](QWidget* box, QGridLayout* grid, const auto& lines) {
        int row = grid->count() == 0 ? 0 : grid->rowCount();
        for (const DetailLine& line : lines) {
            grid->addWidget(new QLabel(QString::fromUtf8(line.caption), box), row, 0);
            auto* values = new QHBoxLayout;
            for (const char* column : line.columns) {
                auto* value = new ElidedLabel(box);
                value->setObjectName(QString::fromLatin1(column));
                value->setTextInteractionFlags(Qt::TextSelectableByMouse);
                values->addWidget(value);
                m_details << value;
            }
            values->addStretch();
            grid->addLayout(values, row++, 1);
        }
    };
    auto* personGrid = new QGridLayout;
    addLines(details, personGrid, personLines);
    auto* birthGrid = new QGridLayout;
    addLines(details, birthGrid, birthLines);
    addLines(details, birthGrid, registryLines);
    auto* former = new QGroupBox(QStringLiteral("2020.12.31 -ig:"), details);
    auto* formerGrid = new QGridLayout(former);
    addLines(former, formerGrid, formerLines);
    panels->addLayout(personGrid, 3);
    panels->addLayout(birthGrid, 2);
    panels->addWidget(former, 1, Qt::AlignTop);
    layout->addWidget(details);

    auto* buttons = new QHBoxLayout;
    auto* choose = makeButton(QStringLiteral("Kiválaszt"), this);
    auto* add = makeButton(QStringLiteral("Új"), this);
    m_change = makeButton(QStringLiteral("Módosít"), this);
    m_change->installEventFilter(this);
    auto* remove = makeButton(QStringLiteral("Töröl"), this);
    auto* print = makeButton(QStringLiteral("Nyomtat"), this);
    auto* cancel = makeButton(QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {choose, add, m_change, remove, print, cancel}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(1000, 680);

    onClick(find, [this] { searchByName(); });
    onClick(choose, [this] { accept(); });
    onClick(cancel, [this] { reject(); });
    onClick(add, [this] { addProducer(); });
    onClick(m_change, [this] { changeProducer(); });
    onClick(remove, [this] { deleteProducer(); });
    onClick(print, [this] { this->print(); });
    connectGuarded(m_grid, &QTableView::clicked, this, ui(), [this] { copyFelir(); });
    connectGuarded(m_grid, &QTableView::doubleClicked, this, ui(), [this] { copyFelir(); });
    connectGuarded(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, ui(),
                   [this] { sortByMarkedColumn(); });
    connect(&list, &Query::currentChanged, this, [this] { showDetails(); });
    connect(&list, &Query::reset, this, [this] { showDetails(); });

    // An old database fails here; the schema test on show tells the user what to run.
    guardQuietly([&list] { openProducerList(list, nameOrder); });
    showDetails();
}

void TForm4::reload(App& app) {
    Query& list = app.data().query("ZQ30");
    openProducerList(list, nameOrder);
    list.locate(QStringLiteral("O_KOD"), app.run().rememberedProducerCode, true, true);
}

QString TForm4::orderLine() const {
    return m_orderLine->text();
}
void TForm4::setOrderLine(const QString& text) {
    m_orderLine->setText(text);
}

void TForm4::onShow() {
    Query& probe = data().query("ZQ32");
    probe.close();
    probe.setSql(QStringLiteral("SELECT * FROM ostermelo   "));
    probe.open();
    const bool upgraded = probe.hasField(QStringLiteral("O_IGSZAM1"));
    probe.close();
    if (!upgraded) {
        ui().notice(QStringLiteral(
            "Frissítés. Menü->Segédlet->Nébih azon. felvétele menüpont végrehajtása!"));
        return;
    }
    reload(app());
    setOrderLine(instructionLine);
    ui().setClipboardText(QString());
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_search && type == QEvent::KeyRelease) {
        guard(ui(), [this] { searchByName(); });
    } else if (watched == m_change && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_J || key == Qt::Key_M) {
            guard(ui(), [this] { changeProducer(); });
            return true;
        }
    } else if (type == QEvent::FocusOut) {
        const bool leftGrid = watched == m_grid;
        const bool leftNavigator = watched->parent() == m_navigator &&
                                   !m_navigator->isAncestorOf(QApplication::focusWidget());
        if (leftGrid || leftNavigator) guard(ui(), [this] { copyFelir(); });
    }
    return Screen::eventFilter(watched, event);
}

void TForm4::openList(const QString& orderBy) {
    // The marked column stays marked through the reopening, so a second title click repeats.
    const int marked = m_grid->currentIndex().isValid() ? m_grid->currentIndex().column() : 0;
    openProducerList(data().query("ZQ30"), orderBy);
    if (m_model->rowCount() > 0) m_grid->setCurrentIndex(m_model->index(0, marked));
}

void TForm4::searchByName() {
    openList(nameOrder);
    data().query("ZQ30").locate(QStringLiteral("O_NEV"), m_search->text(), true, true);
    setOrderLine(instructionLine);
}

void TForm4::sortByMarkedColumn() {
    const QModelIndex marked = m_grid->currentIndex();
    const QString field = m_model->fieldOf(marked.isValid() ? marked.column() : 0);
    int position = 1;
    for (const char* column : listColumns) {
        if (field.compare(QLatin1String(column), Qt::CaseInsensitive) == 0) break;
        ++position;
    }
    openList(QStringLiteral("  ORDER BY ") + QString::number(position));
}

int TForm4::printedTicketCount() {
    const QString code = data().query("ZQ30").text(QStringLiteral("O_KOD"));
    Query& q = data().query("ZQ31");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT f_ostermkod, count(f_ostermkod) as db  "));
    q.addSql(QStringLiteral("  FROM  FjFej                                 "));
    q.addSql(QStringLiteral("  WHERE (f_ostermkod = :p1) AND (f_prn = :p2) "));
    q.addSql(QStringLiteral("  GROUP BY f_ostermkod                        "));
    q.bindText(QStringLiteral("p1"), code);
    q.bindText(QStringLiteral("p2"), QStringLiteral("I"));
    q.open();
    return static_cast<int>(q.integer(QStringLiteral("db")));
}

void TForm4::addProducer() {
    run().producerEntryMode = QStringLiteral("Új őstermelő");
    TForm5 entry(app(), this);
    connect(&entry, &TForm5::orderLineChanged, this, &TForm4::setOrderLine);
    openModal(entry);
}

void TForm4::changeProducer() {
    run().producerEntryMode = QStringLiteral("Őstermelő módositás");
    // Counted as before a change; a producer on printed tickets may still be changed.
    printedTicketCount();
    TForm5 entry(app(), this);
    connect(&entry, &TForm5::orderLineChanged, this, &TForm4::setOrderLine);
    if (!entry.load()) return;
    openModal(entry);
}

void TForm4::deleteProducer() {
    Query& list = data().query("ZQ30");
    const std::int64_t id = list.integer(QStringLiteral("ID_OSTERMELO"));
    if (printedTicketCount() != 0) {
        ui().notice(QStringLiteral("Az őstermelő már szerepel a nyomtatott felvásárlási jegyen !"));
    } else {
        Query& q = data().query("ZQ31");
        q.close();
        q.setSql(QStringLiteral("SELECT count(*) AS db FROM ostermelo      "));
        q.open();
        if (q.integer(QStringLiteral("db")) < 2) {
            ui().message(QStringLiteral("Az utolsó őstermelősor nem törölhető ki."));
        } else {
            // No commit of its own: the deletion becomes permanent with the next commit.
            const QString failed = QStringLiteral("Hiba41: östermelö DELETE törlésekor");
            const bool deleted = guardQuietly(failed, [&q, id] {
                q.close();
                q.clearSql();
                q.addSql(QStringLiteral("DELETE FROM ostermelo      "));
                q.addSql(QStringLiteral("  WHERE ID_ostermelo = :p1 "));
                q.bindInt(QStringLiteral("p1"), id);
                q.execSql();
            });
            ui().message(deleted ? QStringLiteral("Az őstermelő sor törlölve!") : failed);
        }
    }
    reload(app());
    setOrderLine(instructionLine);
}

void TForm4::print() {
    openCurrentBuyer(app());
    Query& list = data().query("ZQ30");
    list.close();
    list.setSql(QStringLiteral("SELECT * FROM ostermelo ORDER BY o_Nev, o_Szido"));
    list.open();
    reportRequest(app(), ReportComponent::frNyomtat, QStringLiteral("FjLista2.frf"), true);
}

void TForm4::copyFelir() {
    const Query& list = data().query("ZQ30");
    ui().setClipboardText(list.hasField(QStringLiteral("O_FELIR"))
                              ? list.text(QStringLiteral("O_FELIR"))
                              : QString());
}

void TForm4::showDetails() {
    const Query& list = data().query("ZQ30");
    for (QLabel* value : m_details) {
        const QString column = value->objectName();
        value->setText(list.hasField(column) ? list.text(column) : QString());
    }
}
