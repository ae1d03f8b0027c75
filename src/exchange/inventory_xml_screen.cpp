#include "exchange/inventory_xml_screen.h"

#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/navigator.h"
#include "core/paths.h"
#include "core/query_model.h"
#include "core/safe_file.h"
#include "exchange/inventory_xml.h"

namespace {
QDateEdit* datePicker(const char* name, QWidget* parent) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    picker->setCalendarPopup(true);
    return picker;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// The same file, resolved through links, when both exist.
bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}
}  // namespace

TForm41::TForm41(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm41"), QStringLiteral("Adatátadás a készlethez"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    m_from = datePicker("DateTimePicker1", this);
    m_to = datePicker("DateTimePicker2", this);
    grid->addWidget(new QLabel(QStringLiteral("Teljesités dátuma:"), this), 0, 0);
    grid->addWidget(m_from, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("-tól"), this), 0, 2);
    grid->addWidget(m_to, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("-ig"), this), 0, 4);
    grid->addWidget(
        new QLabel(QStringLiteral("Kigyüjtés ismételhetö. Az előző felülírásra kerül."), this), 1,
        0, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("Adatátadás helye :"), this), 2, 0);
    m_target = new QLineEdit(
        windowsDefaultPath(QStringLiteral("C:\\dorvakel\\fjegy_keszlethez.xml")), this);
    m_target->setObjectName(QStringLiteral("Edit1"));
    m_target->setToolTip(QStringLiteral("A könyvelö programban ezt a  utvonalat kell beállítani."));
    grid->addWidget(m_target, 2, 1, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("( Könytárnak létezni kell )"), this), 3, 1, 1, 4);

    Query& collection = data().query("ZQ21");
    auto* navigator = new Navigator(collection, ui(), Navigator::Buttons::Moving, this);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    layout->addWidget(navigator);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bindGrid(m_grid, collection);
    layout->addWidget(m_grid, 1);

    auto* buttons = new QHBoxLayout;
    m_collect = button("Button4", QStringLiteral("Kigyüjtés"), this);
    m_transfer = button("Button2", QStringLiteral("Adatátadás"), this);
    m_transfer->setToolTip(QStringLiteral("Átmásolás az adatátadás helyére."));
    m_transfer->setEnabled(false);
    m_cancel = button("Button3", QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {m_collect, m_transfer, m_cancel}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);

    onClick(m_collect, [this] { collect(); });
    onClick(m_transfer, [this] { transfer(); });
    onClick(m_cancel, [this] { reject(); });
    resize(900, 560);
}

void TForm41::onShow() {
    const QDate today = clockNow().date();
    m_from->setDate(today);
    m_to->setDate(today);
}

void TForm41::collect() {
    // Until this collection has written its file whole, nothing may be handed over.
    m_written = false;
    m_transfer->setEnabled(false);
    Query& q = data().query("ZQ21");
    inventory::openCollection(q, m_from->date(), m_to->date(), run().buyerCode);
    const QByteArray bytes = inventory::document(q);
    q.first();
    const QString error = writeFileSafely(app().workPath(inventory::fileName), bytes);
    if (!error.isEmpty()) {
        ui().message(QStringLiteral("Hiba411: Az XML fájl mentése nem sikerült!\n") + error);
        return;
    }
    m_written = true;
    m_transfer->setEnabled(true);
}

void TForm41::transfer() {
    if (!m_written) {
        ui().message(QStringLiteral("Hiba412: Nincs átadható fájl, előbb a kigyüjtés kell!"));
        return;
    }
    const QString source = app().workPath(inventory::fileName);
    const QString target = m_target->text();
    if (target.trimmed().isEmpty()) {
        ui().message(QStringLiteral("Hiba413: Nincs megadva az adatátadás helye!"));
        return;
    }
    if (sameFile(target, source) || sameFile(target, app().workPath(TData::databaseFile))) {
        ui().message(QStringLiteral(
            "Hiba414: Az adatátadás helye nem lehet az adatbázis vagy a kigyüjtött fájl!"));
        return;
    }
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        ui().message(QStringLiteral("Hiba415: A kigyüjtött fájl nem olvasható!\n") +
                     file.errorString());
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    // Written beside the target and renamed over it: the old file stays until the new is whole.
    const QString error = writeFileSafely(target, bytes);
    if (!error.isEmpty()) {
        ui().message(QStringLiteral("Hiba416: Az átmásolás nem sikerült!\n") + error);
        return;
    }
    ui().message(QStringLiteral("Átmásolva. Adatátadás végrehajtva."));
    accept();
}
