#include "exchange/audit_xml_screen.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/navigator.h"
#include "core/paths.h"
#include "core/query_model.h"
#include "core/safe_file.h"
#include "core/widgets.h"
#include "core/win1250.h"
#include "exchange/audit_xml.h"
#include "tickets/settings_files.h"

namespace {
const QString iniName = QStringLiteral("XML.ini");

const char* const descriptionText =
    "Adóhatósági ellenőrzési adatszolgáltatás\n"
    "\n"
    "Az adóhatóság ellenőrzéskor a felvásárlási jegyeket (önszámlákat) az általa közzétett "
    "számla XML séma (23_2014_szamlasema.xsd) szerinti fájlban kérheti.\n"
    "\n"
    "1. Az \"Adatszolgáltatás\" lapon adja meg a dátum vagy a bizonylat sorszám tól-ig "
    "értékeit (a \"Beállítás\" lapon választható, melyik), majd nyomja meg a \"Kigyűjtés\" "
    "gombot. A sorszámot nyolc jeggyel, vezető nullákkal együtt kell beírni.\n"
    "2. Az \"Export\" gomb elkészíti az XML fájlt a megadott helyre. Írás előtt a program "
    "ellenőrzi a séma által megkövetelt adatokat; hiány esetén \"Javitandó!\" üzenettel "
    "megnevezi a bizonylatot, és nem ír fájlt (a korábbi fájl megmarad).\n"
    "3. A megírt fájlt a program maga ellenőrzi a programmal együtt telepített sémával, és "
    "kiírja, hogy valid-e, illetve az első hibákat. Az ellenőrzés a gépen történik: a fájlt "
    "(neveket, adószámokat, bankszámlaszámokat) nem kell és nem szabad nyilvános weboldalra "
    "feltölteni vagy bemásolni.\n"
    "\n"
    "Az \"XML\" és az \"XSD\" lapon a megírt fájl és a séma megtekinthető.";

QDateEdit* dateField(const char* name, QWidget* parent) {
    auto* field = new QDateEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    field->setCalendarPopup(true);
    return field;
}

QPushButton* button(const QString& caption, QWidget* parent, const QString& hint = {}) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    if (!hint.isEmpty()) b->setToolTip(hint);
    return b;
}
}  // namespace

TForm40::TForm40(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm40"),
             QStringLiteral("Adóhatósági ellenőrzési adatszolgáltatás"), parent) {
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    m_tabs->addTab(buildExportPage(), QStringLiteral("Adatszolgáltatás"));
    m_tabs->addTab(buildSettingsPage(), QStringLiteral("Beállítás"));
    m_tabs->addTab(buildDescriptionPage(), QStringLiteral("Leírás"));
    m_tabs->addTab(
        buildViewPage(
            m_xmlView, QStringLiteral("xmlText"),
            QStringLiteral("Az \"Adatszolgáltatás\" lapon megadott helyről."),
            [this] { return exportPath(); }, QStringLiteral("Nincs \"szamlak.XML\" fálj!")),
        QStringLiteral("XML"));
    m_tabs->addTab(buildViewPage(
                       m_xsdView, QStringLiteral("xsdText"), {},
                       [this] { return this->app().workPath(audit::schemaFile); },
                       QStringLiteral("Nincs \"23_2014_szamlasema.xsd\" fálj!")),
                   QStringLiteral("XSD"));
    resize(900, 600);
}

QWidget* TForm40::buildExportPage() {
    auto* page = new QWidget(m_tabs);
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);

    grid->addWidget(new QLabel(QStringLiteral("Dátum:"), page), 0, 0);
    m_fromDate = dateField("fromDate", page);
    m_toDate = dateField("toDate", page);
    grid->addWidget(m_fromDate, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("-tól"), page), 0, 2);
    grid->addWidget(m_toDate, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("-ig"), page), 0, 4);

    grid->addWidget(new QLabel(QStringLiteral("Bizonylat sorszám:"), page), 1, 0);
    m_fromNumber = new QLineEdit(page);
    m_fromNumber->setObjectName(QStringLiteral("fromNumber"));
    m_toNumber = new QLineEdit(page);
    m_toNumber->setObjectName(QStringLiteral("toNumber"));
    for (QLineEdit* field : {m_fromNumber, m_toNumber}) {
        field->setMaxLength(8);
        acceptOnly(field, digitKeys);
        enableEnterNavigation({field});  // nowhere to go: Enter is swallowed
    }
    grid->addWidget(m_fromNumber, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("-tól"), page), 1, 2);
    grid->addWidget(m_toNumber, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("-ig"), page), 1, 4);

    auto* which = new QGroupBox(QStringLiteral("Melyik?"), page);
    which->setObjectName(QStringLiteral("dateChoice"));
    auto* whichLayout = new QHBoxLayout(which);
    m_issueDate = new QRadioButton(QStringLiteral("Kiállítás kelte"), which);
    m_purchaseDate = new QRadioButton(QStringLiteral("Felvásárlás dátuma"), which);
    m_issueDate->setChecked(true);
    whichLayout->addWidget(m_issueDate);
    whichLayout->addWidget(m_purchaseDate);
    grid->addWidget(which, 0, 5, 2, 1);

    layout->addWidget(new QLabel(
        QStringLiteral("Adatszolgáltatási export mentés helye : C:\\TERMARO16\\szamlak.xml"),
        page));
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit(page);
    m_path->setObjectName(QStringLiteral("exportPath"));
    m_browse =
        button(QStringLiteral("Tallóz"), page, QStringLiteral("Ahová az XML lementésre kerüljön"));
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    layout->addLayout(pathRow);

    auto* buttons = new QHBoxLayout;
    m_collect = button(
        QStringLiteral("Kigyűjtés"), page,
        QStringLiteral("A dátum vagy biz.szám tól-ig megadott értékek közötti adat leválogatása."));
    m_export = button(QStringLiteral("Export"), page,
                      QStringLiteral("Adóhatóságnak küldendő XML formátomú fálj elkészítése. "));
    m_cancel = button(QStringLiteral("Mégsem"), page);
    m_export->setEnabled(false);
    for (QPushButton* b : {m_collect, m_export, m_cancel}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(
        new QLabel(QStringLiteral("Kigyűjtéskor az előző kigyűjtés törlésre kerül."), page));
    m_progress = new QProgressBar(page);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setVisible(false);
    layout->addWidget(m_progress);

    Query& collection = data().query("ZQ21");
    m_grid = new QTableView(page);
    m_grid->setObjectName(QStringLiteral("gridZQ21"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bindGrid(m_grid, collection);
    layout->addWidget(new Navigator(collection, ui(), Navigator::Buttons::Moving, page));
    layout->addWidget(m_grid, 1);

    connect(m_path, &QLineEdit::textChanged, this,
            [this](const QString& text) { keepSetting("hova", text); });
    onClick(m_browse, [this] { browse(); });
    onClick(m_collect, [this] { collect(); });
    onClick(m_export, [this] { exportXml(); });
    onClick(m_cancel, [this] { reject(); });
    return page;
}

QWidget* TForm40::buildSettingsPage() {
    auto* page = new QWidget(m_tabs);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Minden bizonylatra vonatkozó beállítsok"), page));

    auto* which = new QGroupBox(QStringLiteral("Melyik tól-ig?"), page);
    which->setObjectName(QStringLiteral("rangeChoice"));
    auto* whichLayout = new QHBoxLayout(which);
    m_dateMode = new QRadioButton(QStringLiteral("Dátum (alapbeállítás)"), which);
    m_numberMode = new QRadioButton(QStringLiteral("Sorszám"), which);
    m_dateMode->setChecked(true);
    whichLayout->addWidget(m_dateMode);
    whichLayout->addWidget(m_numberMode);
    layout->addWidget(which);

    auto* selfBillingRow = new QHBoxLayout;
    m_selfBillingBox = new QCheckBox(
        QStringLiteral("Önszámla (Az átvevő állítja ki. Az alapbeállítás=true)"), page);
    m_selfBillingBox->setChecked(true);
    m_selfBilling = new QLineEdit(page);
    m_selfBilling->setObjectName(QStringLiteral("selfBilling"));
    selfBillingRow->addWidget(m_selfBillingBox);
    selfBillingRow->addWidget(m_selfBilling);
    layout->addLayout(selfBillingRow);

    auto* formRow = new QHBoxLayout;
    auto* formLabel = new QLabel(QStringLiteral("Számla forma:"), page);
    m_invoiceForm = new QLineEdit(page);
    m_invoiceForm->setObjectName(QStringLiteral("invoiceForm"));
    formLabel->setBuddy(m_invoiceForm);
    formRow->addWidget(formLabel);
    formRow->addWidget(m_invoiceForm, 1);
    layout->addLayout(formRow);

    m_optional = new QCheckBox(QStringLiteral("Nem kötetező tipusok is kitöltve"), page);
    m_optional->setChecked(true);
    layout->addWidget(m_optional);
    m_save = button(QStringLiteral("Mentés"), page);
    layout->addWidget(m_save, 0, Qt::AlignLeft);
    layout->addStretch();

    connect(m_selfBillingBox, &QCheckBox::clicked, this, [this](bool ticked) {
        m_selfBilling->setText(ticked ? QStringLiteral("true") : QStringLiteral("false"));
    });
    connect(m_selfBilling, &QLineEdit::textChanged, this,
            [this](const QString& text) { keepSetting("onszla", text); });
    connect(m_invoiceForm, &QLineEdit::textChanged, this,
            [this](const QString& text) { keepSetting("papir", text); });
    onClick(m_save, [this] { saveSettings(); });
    return page;
}

QWidget* TForm40::buildDescriptionPage() {
    auto* view = new QPlainTextEdit(QString::fromUtf8(descriptionText), m_tabs);
    view->setObjectName(QStringLiteral("descriptionText"));
    view->setReadOnly(true);
    return view;
}

QWidget* TForm40::buildViewPage(QPlainTextEdit*& view, const QString& objectName,
                                const QString& hint, std::function<QString()> path,
                                const QString& missingMessage) {
    auto* page = new QWidget(m_tabs);
    auto* layout = new QVBoxLayout(page);
    auto* buttons = new QHBoxLayout;
    QPushButton* load = button(QStringLiteral("Betöltés"), page, hint);
    QPushButton* copy = button(QStringLiteral("Vágólapra másol"), page);
    buttons->addWidget(load);
    buttons->addWidget(copy);
    buttons->addStretch();
    layout->addLayout(buttons);
    view = new QPlainTextEdit(page);
    view->setObjectName(objectName);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(view, 1);
    QPlainTextEdit* shown = view;
    onClick(load, [this, shown, path, missingMessage] {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly)) {
            ui().message(missingMessage);
            return;
        }
        QString text = QString::fromUtf8(file.readAll());
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        shown->setPlainText(text);
    });
    onClick(copy, [this, shown] { ui().setClipboardText(shown->toPlainText()); });
    return page;
}

QString TForm40::setting(const char* key) const {
    const auto& values = const_cast<TForm40*>(this)->run().entryDefaults;
    const auto it = values.find(iniName + QLatin1Char('/') + QString::fromLatin1(key));
    return it == values.end() ? QString() : it->second;
}

void TForm40::keepSetting(const char* key, const QString& value) {
    run().entryDefaults[iniName + QLatin1Char('/') + QString::fromLatin1(key)] = value;
}

void TForm40::onShow() {
    // A key missing from the file keeps the value of the previous opening; the self-billing
    // value starts as "true", as its box does.
    const auto values = settings::readSection(
        settings::filePath(settings::programPath(run()), iniName), QStringLiteral("XML"));
    for (const char* key : {"hova", "onszla", "papir"}) {
        const auto it = values.find(QString::fromLatin1(key));
        const QString runKey = iniName + QLatin1Char('/') + QString::fromLatin1(key);
        if (it != values.end())
            keepSetting(key, it->second);
        else if (run().entryDefaults.find(runKey) == run().entryDefaults.end())
            keepSetting(key, qstrcmp(key, "onszla") == 0 ? QStringLiteral("true") : QString());
    }
    const QString path = setting("hova");
    const QString selfBilling = setting("onszla");
    const QString form = setting("papir");
    m_path->setText(path);
    m_selfBilling->setText(selfBilling);
    m_invoiceForm->setText(form);
    const QDate today = clockNow().date();
    m_fromDate->setDate(today);
    m_toDate->setDate(today);
    m_export->setEnabled(false);
}

QString TForm40::exportPath() {
    const QString path = m_path->text().trimmed();
    return app().workPath(path.isEmpty() ? audit::defaultFile : path);
}

void TForm40::browse() {
    FileDialogRequest request;
    request.caption = QStringLiteral("Felvásárlási jegy adatok mentése ide");
    request.folder = windowsDefaultPath(QStringLiteral("C:\\TERMARO16\\"));
    request.fileName = m_path->text();
    request.filter = QStringLiteral("*.xml (szamlak%1.xml)").arg(run().buyerCode);
    // The old file stays: only a successful export replaces a file.
    const QString chosen = ui().saveFileName(request);
    if (!chosen.isEmpty()) m_path->setText(chosen);
}

void TForm40::collect() {
    m_export->setEnabled(false);
    if (!textsStorable()) return;
    AuditRange range;
    range.byNumber = m_numberMode->isChecked();
    range.byPurchaseDate = m_purchaseDate->isChecked();
    range.from = m_fromDate->date();
    range.to = m_toDate->date();
    range.fromNumber = m_fromNumber->text();
    range.toNumber = m_toNumber->text();
    if (audit::collect(app(), range, m_selfBilling->text(), m_invoiceForm->text()))
        m_export->setEnabled(true);
}

void TForm40::exportXml() {
    // Whatever led here, a file without documents fails the schema.
    if (!audit::hasStagedDocuments(app())) {
        m_export->setEnabled(false);
        ui().message(audit::nothingFound);
        return;
    }
    audit::ExportRequest request;
    request.path = exportPath();
    request.range.byNumber = m_numberMode->isChecked();
    request.range.from = m_fromDate->date();
    request.range.to = m_toDate->date();
    request.optionalBlock = m_optional->isChecked();
    // A large year takes seconds: the bar moves and the window keeps painting.
    request.progress = [this](int done, int total) {
        m_progress->setRange(0, total);
        m_progress->setValue(done);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    m_progress->setVisible(true);
    audit::ExportResult result;
    {
        const auto hideProgress = qScopeGuard([this] { m_progress->setVisible(false); });
        result = audit::exportFile(app(), request);
    }
    if (!result.written) {
        ui().message(result.message);
        return;
    }
    if (!request.range.byNumber) {
        m_fromNumber->setText(result.minNumber);
        m_toNumber->setText(result.maxNumber);
    }
    ui().message(QStringLiteral("3.Az \"EXPORT\" vége.\nAdatok a \"%1\" fáljban.")
                     .arg(QDir::toNativeSeparators(request.path)));

    const QString schema = app().workPath(audit::schemaFile);
    if (!QFile::exists(schema)) {
        ui().message(QStringLiteral(
            "Nincs \"23_2014_szamlasema.xsd\" fálj! Az XML séma szerinti ellenőrzése elmaradt."));
        return;
    }
    const QString errors = audit::validateAgainstSchema(request.path, schema);
    ui().message(errors.isEmpty() ? QStringLiteral("Séma szerinti ellenőrzés: valid")
                                  : QStringLiteral("Séma szerinti ellenőrzés: HIBÁS!\n") + errors);
}

void TForm40::saveSettings() {
    if (!textsStorable()) return;
    const QString text = QStringLiteral("[XML]\r\nhova=%1\r\nonszla=%2\r\npapir=%3\r\n")
                             .arg(m_path->text(), m_selfBilling->text(), m_invoiceForm->text());
    const QString error = writeFileSafely(settings::filePath(settings::programPath(run()), iniName),
                                          win1250::encode(text));
    if (!error.isEmpty()) ui().message(QStringLiteral("Hiba403: XML.ini mentésekor\n") + error);
}
