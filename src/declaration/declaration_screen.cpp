#include "declaration/declaration_screen.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "core/report_request.h"
#include "core/value.h"
#include "core/widgets.h"

namespace {
const QList<GridColumn> gridColumns = {};  // every field of the screen's last query

// The fixed texts of the screen, top to bottom.
const char* const helpTexts[] = {
    "NAV 2408M nyomtatványhoz  adatok kiexportálása. ",
    "Fizetési dátum szerint",
    "Kifizetett összeg  a bevallás 401. sorba kerül beirásra.",
    " Az adólevonás elmaradás oka (Bevallás 402.sor) = 1  (mert östermelö)",
    "Csak dátumot figyel. (Ha nem volt nyomtatva akkor is bevallásba kerül)",
    "Kigyüjtés ismételhetö.",
};

QPushButton* makeButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    return b;
}

QDateEdit* makeDate(const QString& name, QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    edit->setCalendarPopup(true);
    return edit;
}
}  // namespace

TForm11::TForm11(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm11"),
             QStringLiteral("NAV 2308M adat importnak a létrehozása"), parent) {
    m_column = declaration::amountColumnFromSettings(app);
    auto* layout = new QVBoxLayout(this);
    for (const char* text : helpTexts) layout->addWidget(new QLabel(QString::fromUtf8(text), this));

    auto* period = new QHBoxLayout;
    m_from = makeDate(QStringLiteral("fromDate"), this);
    m_to = makeDate(QStringLiteral("toDate"), this);
    auto* ok = makeButton(QStringLiteral("OK"), this);
    period->addWidget(new QLabel(QStringLiteral("Bevallási idöszak: "), this));
    period->addWidget(m_from);
    period->addWidget(new QLabel(QStringLiteral("-tól"), this));
    period->addWidget(m_to);
    period->addWidget(new QLabel(QStringLiteral("-ig"), this));
    period->addWidget(ok);
    period->addStretch();
    layout->addLayout(period);

    auto* names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("Csoportos importhoz a név:  "), this), 0, 0);
    names->addWidget(new QLabel(QStringLiteral("pl.: 2408M_20240101_0131.bat"), this), 0, 1);
    names->addWidget(new QLabel(QStringLiteral("Egyedi  importhoz a  név:"), this), 1, 0);
    names->addWidget(new QLabel(QStringLiteral("pl:  2408M_202408_8123456789.imp"), this), 1, 1);
    names->addWidget(new QLabel(QStringLiteral("Nyomtatvány"), this), 2, 1);
    names->addWidget(new QLabel(QStringLiteral("Hónap"), this), 2, 2);
    names->addWidget(new QLabel(QStringLiteral("Adóazonositója"), this), 2, 3);
    names->addWidget(
        new QLabel(QStringLiteral("Adatok könyvtára: C:\\TERMARO\\ + hónap + \\"), this), 3, 0);
    names->addWidget(new QLabel(QStringLiteral("pl:   C:\\TERMARO\\01\\"), this), 3, 1);
    names->addWidget(new QLabel(QStringLiteral("( Könytárnak létezni kell )"), this), 3, 2, 1, 2);
    layout->addLayout(names);

    auto* folderLine = new QHBoxLayout;
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("folder"));
    m_folder->setReadOnly(true);
    auto* folderLabel = new QLabel(QStringLiteral("Ide kerülnek az adatok:"), this);
    folderLabel->setBuddy(m_folder);
    folderLine->addWidget(folderLabel);
    folderLine->addWidget(m_folder, 1);
    layout->addLayout(folderLine);

    Query& rows = data().query("ZQ20");
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("gridZQ20"));
    bindGrid(m_grid, rows, gridColumns);
    layout->addWidget(m_grid, 1);
    layout->addWidget(new Navigator(rows, ui(), Navigator::Buttons::Moving, this));

    auto* buttons = new QHBoxLayout;
    m_collect = makeButton(QStringLiteral("Kigyüjtés"), this);
    m_print = makeButton(QStringLiteral("Nyomtatás"), this);
    auto* cancel = makeButton(QStringLiteral("Mégsem"), this);
    m_collect->setEnabled(false);
    m_print->setEnabled(false);
    for (QPushButton* b : {m_collect, m_print, cancel}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);
    resize(760, 620);

    connect(m_from, &QDateEdit::dateChanged, this, [this] { periodChanged(); });
    connect(m_to, &QDateEdit::dateChanged, this, [this] { periodChanged(); });
    m_to->installEventFilter(this);
    onClick(ok,
            [this] { checkPeriod(QStringLiteral("Hiba112! Csak egy hónap intervallum lehet.")); });
    onClick(m_collect, [this] { collect(); });
    onClick(m_print, [this] { print(); });
    onClick(cancel, [this] { reject(); });
    enableEnterNavigation({m_from, m_to, ok, m_collect, m_print, cancel});
}

void TForm11::onShow() {
    // The grid starts empty.
    Query& rows = data().query("ZQ20");
    rows.close();
    rows.setSql(QStringLiteral("SELECT * FROM fjsor WHERE s_bszam = :p1"));
    rows.bindText(QStringLiteral("p1"), QStringLiteral(" "));
    rows.open();
    const int year = clockNow().date().year();
    m_from->setDate(QDate(year, 1, 1));
    m_to->setDate(QDate(year, 12, 31));
    periodChanged();
}

bool TForm11::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_to && event->type() == QEvent::FocusOut) {
        // Leaving for another input of the screen; not a popup or another window.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            guard(ui(), [this] {
                checkPeriod(QStringLiteral("Hiba111! Csak egy hónap intervallum lehet."));
            });
    }
    return Screen::eventFilter(watched, event);
}

QString TForm11::fromText() const {
    return dateText(m_from->date());
}

QString TForm11::toText() const {
    return dateText(m_to->date());
}

void TForm11::periodChanged() {
    m_collect->setEnabled(false);
    m_print->setEnabled(false);
}

bool TForm11::checkPeriod(const QString& message) {
    m_periodFrom = fromText();
    m_periodTo = toText();
    const QDate from = m_from->date();
    const QDate to = m_to->date();
    // One calendar month: the same year and month, and the from-date not after the to-date.
    if (from.year() != to.year() || from.month() != to.month() || from > to) {
        ui().beep();
        ui().message(message);
        return false;
    }
    m_folder->setText(QDir::toNativeSeparators(declaration::monthFolder(m_periodFrom)));
    m_collect->setEnabled(true);
    return true;
}

void TForm11::collect() {
    m_print->setEnabled(false);
    const QString from = m_periodFrom;
    const QString to = m_periodTo;
    const declaration::Collection collection = declaration::collect(app(), from, to, m_column);
    m_total = collection.total;
    // A month of a large buyer is thousands of files: show how far the writing is.
    QProgressDialog progress(QStringLiteral("Import fájlok írása..."), QString(), 0,
                             int(collection.files.size()) + 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    declaration::writeCollection(collection, [&progress](int written, int) {
        progress.setValue(written);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    m_print->setEnabled(true);
    if (!collection.skippedCodes.isEmpty())
        ui().message(
            QStringLiteral("Nem készült import fájl az alábbi őstermelő kódokhoz, mert nincs "
                           "ilyen őstermelő, vagy az adóazonosítója nem 10 számjegy: %1\n"
                           "Kérem javítsa az őstermelő adatait, és ismételje meg a kigyűjtést!")
                .arg(collection.skippedCodes.join(QStringLiteral(", "))));
}

void TForm11::print() {
    Query& rows = data().query("ZQ20");
    rows.close();
    rows.clearSql();
    rows.addSql(QStringLiteral("SELECT f_ostermkod, ") + declaration::amountSum(m_column) +
                QStringLiteral(" AS m_vetelar, o_nev, o_felir, o_Adoazon"));
    rows.addSql(QStringLiteral("FROM fjfej LEFT JOIN ostermelo ON f_ostermkod = o_kod"));
    rows.addSql(QStringLiteral("WHERE (f_fizkelt >= :p1 AND f_fizkelt <= :p2) AND (f_akod = :p3)"));
    rows.addSql(QStringLiteral("GROUP BY f_ostermkod, o_nev, o_felir, o_Adoazon ORDER BY o_nev"));
    rows.bindDate(QStringLiteral("p1"), m_periodFrom);
    rows.bindDate(QStringLiteral("p2"), m_periodTo);
    rows.bindText(QStringLiteral("p3"), run().buyerCode);
    rows.open();
    openCurrentBuyer(app());
    QVariantMap& variables = data().reportVariables();
    variables[QStringLiteral("v_osszesen")] = m_total;
    variables[QStringLiteral("v_tol")] = m_periodFrom;
    variables[QStringLiteral("v_ig")] = m_periodTo;
    reportRequest(app(), ReportComponent::frNyomtat, QStringLiteral("FjLista3.frf"), false);
}
