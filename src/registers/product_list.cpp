#include "registers/product_list.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/elided_label.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "core/report_request.h"
#include "registers/product_entry.h"

namespace {
const QString nameOrderLine = QStringLiteral("Termék lista, \"Megnevezés\" szerint");

const QList<GridColumn> gridColumns = {
    {"T_KOD", "Kód", 50},       {"T_MEGNEVEZES", "Megnevezés", 260},
    {"T_VTSZ", "VTSZ", 80},     {"T_EAR", "Eár", 80},
    {"T_MEGY", "M.egység", 70}, {"T_KOMPMERTEKE", "Komp.mértéke", 90},
    {"ID_TERMEK", "ID", 50},
};

// The titles that sort, with their statement's order and the order line they set.
struct TitleSort {
    const char* title;
    const char* orderBy;
    const char* orderLine;
};
const TitleSort titleSorts[] = {
    {"Kód", "ORDER BY t_kod", "Termék lista, \"Kód\" szerint"},
    {"Megnevezés", "ORDER BY t_megnevezes", "Termék lista, \"Megnevezés\" szerint"},
    {"ID", "ORDER BY ID_Termek", "Termék lista a beviteli sorrend szerint"},
};

// One line of the "Adatok" panel: a caption and the columns shown after it.
struct DetailLine {
    const char* caption;
    QList<const char*> columns;
};
const DetailLine detailLines[] = {
    {"ID:", {"ID_TERMEK"}},
    {"Kód:", {"T_KOD"}},
    {"Megnevezés:", {"T_MEGNEVEZES"}},
    {"VTSZ:", {"T_VTSZ"}},
    {"Egységár:", {"T_EAR", "T_MEGY"}},
    {"Komp.mértéke:", {"T_KOMPMERTEKE"}},
};

void openProductList(Query& q, const QString& table) {
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT * FROM %1           ").arg(table));
    q.addSql(QStringLiteral("         ORDER BY t_megnevezes "));
    q.open();
}

QPushButton* makeButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

TForm6::TForm6(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm6"), QStringLiteral("Termék"), parent) {
    Query& list = data().query("ZQ40");
    auto* layout = new QVBoxLayout(this);
    m_orderLine = new QLabel(QStringLiteral("Lista sorrend: "), this);
    m_orderLine->setObjectName(QStringLiteral("orderLine"));
    layout->addWidget(m_orderLine);

    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("gridZQ40"));
    m_grid->setToolTip(QStringLiteral(
        "Termék sorrend: klikk az \"kód\" , \"Megnevezés\" vagy \"ID\" oszlop fejlécre"));
    m_model = bindGrid(m_grid, list, gridColumns);
    left->addWidget(m_grid, 1);
    m_navigator = new Navigator(list, ui(), Navigator::Buttons::Moving, this);
    left->addWidget(m_navigator);
    middle->addLayout(left, 3);

    auto* details = new QGroupBox(QStringLiteral("Adatok"), this);
    details->setObjectName(QStringLiteral("Adatok"));
    auto* detailGrid = new QGridLayout(details);
    int row = 0;
    for (const DetailLine& line : detailLines) {
        detailGrid->addWidget(new QLabel(QString::fromUtf8(line.caption), details), row, 0);
        auto* values = new QHBoxLayout;
        for (const char* column : line.columns) {
            auto* value = new ElidedLabel(details);
            value->setObjectName(QString::fromLatin1(column));
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            values->addWidget(value);
            m_details << value;
        }
        values->addStretch();
        detailGrid->addLayout(values, row++, 1);
    }
    detailGrid->setRowStretch(row, 1);
    middle->addWidget(details, 1);
    layout->addLayout(middle, 1);

    auto* buttons = new QHBoxLayout;
    auto* choose = makeButton(QStringLiteral("Kiválaszt"), this);
    auto* add = makeButton(QStringLiteral("Új"), this);
    auto* change = makeButton(QStringLiteral("Módosít"), this);
    auto* remove = makeButton(QStringLiteral("Töröl"), this);
    auto* print = makeButton(QStringLiteral("Nyomtatás"), this);
    auto* cancel = makeButton(QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {choose, add, change, remove, print, cancel}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(1000, 560);

    onClick(choose, [this] { accept(); });
    onClick(cancel, [this] { reject(); });
    onClick(add, [this] { addProduct(); });
    onClick(change, [this] { changeProduct(); });
    onClick(remove, [this] { deleteProduct(); });
    onClick(print, [this] { this->print(); });
    QHeaderView* header = m_grid->horizontalHeader();
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int section) { guard(ui(), [this, section] { sortByTitle(section); }); });
    connect(&list, &Query::currentChanged, this, [this] { showDetails(); });
    connect(&list, &Query::reset, this, [this] { showDetails(); });

    guardQuietly([&list] { openProductList(list, QStringLiteral("Termek")); });
    showDetails();
}

void TForm6::reload(App& app, const QString& column) {
    Query& list = app.data().query("ZQ40");
    openProductList(list, QStringLiteral("termek"));
    list.locate(column, app.run().productNamePrefix, true, true);
}

QString TForm6::orderLine() const {
    return m_orderLine->text();
}
void TForm6::setOrderLine(const QString& text) {
    m_orderLine->setText(text);
}

void TForm6::onShow() {
    Query& list = data().query("ZQ40");
    openProductList(list, QStringLiteral("Termek"));
    list.locate(QStringLiteral("T_MEGNEVEZES"), run().productNamePrefix, true, true);
    setOrderLine(nameOrderLine);
}

void TForm6::sortByTitle(int section) {
    const QString title = m_model->headerData(section, Qt::Horizontal).toString();
    for (const TitleSort& sort : titleSorts) {
        if (title != QString::fromUtf8(sort.title)) continue;
        Query& list = data().query("ZQ40");
        list.close();
        list.clearSql();
        list.addSql(QStringLiteral("SELECT *"));
        list.addSql(QStringLiteral("FROM termek"));
        list.addSql(QString::fromLatin1(sort.orderBy));
        list.open();
        setOrderLine(QString::fromUtf8(sort.orderLine));
    }
}

void TForm6::addProduct() {
    run().productEntryMode = QStringLiteral("Új termék");
    TForm7 entry(app(), this);
    connect(&entry, &TForm7::orderLineChanged, this, &TForm6::setOrderLine);
    openModal(entry);
}

void TForm6::changeProduct() {
    run().productEntryMode = QStringLiteral("Termék módositás");
    TForm7 entry(app(), this);
    connect(&entry, &TForm7::orderLineChanged, this, &TForm6::setOrderLine);
    if (!entry.load()) return;
    openModal(entry);
}

void TForm6::deleteProduct() {
    const std::int64_t id = data().query("ZQ40").integer(QStringLiteral("ID_TERMEK"));
    Query& q = data().query("ZQ41");
    q.close();
    q.setSql(QStringLiteral("SELECT count(*) AS db FROM termek  "));
    q.open();
    if (q.integer(QStringLiteral("db")) < 2) {
        ui().message(QStringLiteral("Az utolsó terméksor nem törölhető ki."));
    } else {
        // No commit of its own: the deletion becomes permanent with the next commit.
        const QString failed = QStringLiteral("Hiba61: termék DELETE törlésekor");
        const bool deleted = guardQuietly(failed, [&q, id] {
            q.close();
            q.clearSql();
            q.addSql(QStringLiteral("DELETE FROM termek      "));
            q.addSql(QStringLiteral("  WHERE ID_termek = :p1 "));
            q.bindInt(QStringLiteral("p1"), id);
            q.execSql();
        });
        ui().message(deleted ? QStringLiteral("Az termék sor törlölve!") : failed);
    }
    Query& list = data().query("ZQ40");
    openProductList(list, QStringLiteral("Termek"));
    list.locate(QStringLiteral("T_MEGNEVEZES"), run().productNamePrefix, true, true);
    setOrderLine(nameOrderLine);
}

void TForm6::print() {
    openCurrentBuyer(app());
    Query& list = data().query("ZQ40");
    list.close();
    list.setSql(QStringLiteral("SELECT * FROM termek ORDER BY t_megnevezes"));
    list.open();
    reportRequest(app(), ReportComponent::frNyomtat, QStringLiteral("FjLista6.frf"), true);
}

void TForm6::showDetails() {
    const Query& list = data().query("ZQ40");
    for (QLabel* value : m_details) {
        const QString column = value->objectName();
        value->setText(list.hasField(column) ? list.text(column) : QString());
    }
}
