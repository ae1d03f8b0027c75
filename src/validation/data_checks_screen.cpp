#include "validation/data_checks_screen.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "core/widgets.h"
#include "validation/identifiers.h"

namespace {

QLabel* namedLabel(const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

QDateEdit* periodPicker(const QString& name) {
    auto* picker = new QDateEdit;
    picker->setObjectName(name);
    picker->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    picker->setCalendarPopup(true);
    return picker;
}

// The hourglass for the length of a check over a large year.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

TForm14::TForm14(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm14"), QStringLiteral("Ellenörzés"), parent) {
    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->addTab(buildTicketPage(), QStringLiteral("Felvásárlási jegy"));
    m_pages->addTab(buildDataPage(), QStringLiteral("Adatok"));
    m_pages->addTab(buildProducerPage(), QStringLiteral("Östermelö"));
    setPeriodToThisYear();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
}

void TForm14::onShow() {
    setPeriodToThisYear();
}

void TForm14::setPeriodToThisYear() {
    const QString year = dateText(clockNow().date()).left(4);
    m_fromDate->setDate(parseDate(year + QStringLiteral(".01.01")));
    m_toDate->setDate(parseDate(year + QStringLiteral(".12.31")));
}

QWidget* TForm14::buildTicketPage() {
    auto* top = new QWidget;
    auto* rows = new QVBoxLayout(top);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(new QLabel(QStringLiteral("Adat ellenörzés az felvásárlási jegyen adatain:")));
    rows->addWidget(new QLabel(QStringLiteral("Fizetési határidő:")));
    m_fromDate = periodPicker(QStringLiteral("fromDate"));
    m_toDate = periodPicker(QStringLiteral("toDate"));
    auto* period = new QHBoxLayout;
    period->addWidget(m_fromDate);
    period->addWidget(new QLabel(QStringLiteral("-tól")));
    period->addWidget(m_toDate);
    period->addWidget(new QLabel(QStringLiteral("-ig")));
    period->addStretch();
    rows->addLayout(period);
    enableEnterNavigation({m_fromDate, m_toDate});
    return buildAuditPage(top, m_tickets, QStringLiteral("ticketFindings"), QString(),
                          &TForm14::collectTickets, ticketFindings);
}

QWidget* TForm14::buildProducerPage() {
    return buildAuditPage(nullptr, m_producers, QStringLiteral("producerFindings"),
                          QStringLiteral("Hiba üzenet\n"), &TForm14::collectProducers,
                          producerFindings);
}

QWidget* TForm14::buildAuditPage(QWidget* top, AuditPage& page, const QString& reportName,
                                 const QString& initialReport, void (TForm14::*collectRows)(),
                                 Findings (*findings)(Database&, const Collection&)) {
    auto* widget = new QWidget;
    auto* layout = new QVBoxLayout(widget);
    if (top) layout->addWidget(top);

    Query& rows = data().query("ZQ20");
    auto* grid = new QTableView;
    grid->setObjectName(QStringLiteral("gridZQ20"));
    bindGrid(grid, rows);
    layout->addWidget(grid, 1);
    layout->addWidget(new Navigator(rows, ui(), Navigator::Buttons::Moving));

    page.report = new QPlainTextEdit(initialReport);
    page.report->setObjectName(reportName);
    page.report->setReadOnly(true);
    page.report->setLineWrapMode(QPlainTextEdit::NoWrap);
    page.report->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    page.report->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(page.report, 1);

    auto* collectButton = new QPushButton(QStringLiteral("Kigyüjtés"));
    page.check = new QPushButton(QStringLiteral("Ellenörzés"));
    page.check->setEnabled(false);  // until the page has collected its rows
    auto* cancelButton = new QPushButton(QStringLiteral("Mégsem"));
    onClick(collectButton, [this, collectRows] { (this->*collectRows)(); });
    onClick(page.check, [this, &page, findings] { runCheck(page, findings); });
    onClick(cancelButton, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(collectButton);
    buttons->addWidget(page.check);
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    return widget;
}

void TForm14::collectTickets() {
    collectFor(m_tickets, ticketCollection(m_fromDate->date(), m_toDate->date(), run().buyerCode));
}

void TForm14::collectProducers() {
    collectFor(m_producers, producerCollection());
}

void TForm14::collectFor(AuditPage& page, const Collection& collection) {
    // ZQ20 is shared: once it holds this page's rows, the other page has nothing of its own to
    // check until it collects again.
    m_tickets.check->setEnabled(false);
    m_producers.check->setEnabled(false);
    collect(data().query("ZQ20"), collection);
    page.collection = collection;
    page.check->setEnabled(true);
}

void TForm14::runCheck(AuditPage& page, Findings (*findings)(Database&, const Collection&)) {
    Findings result;
    {
        WaitCursor wait;
        result = findings(data().database(), page.collection);
    }
    page.report->setPlainText(result.text);
    if (result.failure) std::rethrow_exception(result.failure);
}

QWidget* TForm14::buildDataPage() {
    auto* checks = new QTabWidget;
    checks->setObjectName(QStringLiteral("dataChecks"));

    checks->addTab(
        buildCheckPage(QStringLiteral("Adószám: "), QStringLiteral("taxNumber"), m_taxNumber,
                       QStringLiteral("taxNumberResult"), QStringLiteral("Üzenet:"),
                       m_taxNumberResult, &TForm14::checkTaxNumber),
        QStringLiteral("Adószám"));
    checks->addTab(buildCheckPage(QStringLiteral("Adóazonositó: "), QStringLiteral("taxId"),
                                  m_taxId, QStringLiteral("taxIdResult"),
                                  QStringLiteral("Üzenet: "), m_taxIdResult, &TForm14::checkTaxId),
                   QStringLiteral("Adóazonositó"));
    checks->addTab(buildCheckPage(QStringLiteral("TAJ: "), QStringLiteral("taj"), m_taj,
                                  QStringLiteral("tajResult"), QStringLiteral("Üzenet: "),
                                  m_tajResult, &TForm14::checkTaj),
                   QStringLiteral("TAJ"));

    QGridLayout* grid = nullptr;
    QWidget* days =
        buildCheckPage(QStringLiteral("Adóazonositója:"), QStringLiteral("daysTaxId"), m_daysTaxId,
                       QStringLiteral("daysResult"), QStringLiteral("Üzenet:"), m_daysResult,
                       &TForm14::checkDays, &grid);
    m_birthDate = new QDateEdit(QDate(1900, 1, 1));
    m_birthDate->setObjectName(QStringLiteral("birthDate"));
    m_birthDate->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    m_birthDate->setCalendarPopup(true);
    m_dayCount = namedLabel(QStringLiteral("dayCount"), QStringLiteral("-"));
    m_taxIdDays = namedLabel(QStringLiteral("taxIdDays"), QStringLiteral("-"));
    auto* birthDateCaption = new QLabel(QStringLiteral("Születési ideje: "));
    birthDateCaption->setBuddy(m_birthDate);
    grid->addWidget(birthDateCaption, 1, 0);
    grid->addWidget(m_birthDate, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Eltelt napok száma 1867.01.01-től: ")), 2, 0);
    grid->addWidget(m_dayCount, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Adóazonositó alapján: ")), 3, 0);
    grid->addWidget(m_taxIdDays, 3, 1);
    enableEnterNavigation({m_daysTaxId, m_birthDate});
    checks->addTab(days, QStringLiteral("Napok"));

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(checks);
    return page;
}

QWidget* TForm14::buildCheckPage(const QString& label, const QString& inputName, QLineEdit*& input,
                                 const QString& resultName, const QString& initialResult,
                                 QLabel*& result, void (TForm14::*check)(), QGridLayout** grid) {
    auto* page = new QWidget;
    auto* fields = new QGridLayout;
    input = new QLineEdit;  // no key filter, no length limit: the check reports what is wrong
    input->setObjectName(inputName);
    auto* caption = new QLabel(label);
    caption->setBuddy(input);
    fields->addWidget(caption, 0, 0);
    fields->addWidget(input, 0, 1);
    if (grid)
        *grid = fields;
    else
        enableEnterNavigation({input});

    result = namedLabel(resultName, initialResult);
    QFont bold = result->font();
    bold.setBold(true);
    result->setFont(bold);

    auto* checkButton = new QPushButton(QStringLiteral("Ellenörzés"));
    auto* closeButton = new QPushButton(QStringLiteral("Bezárás"));
    onClick(checkButton, [this, check] { (this->*check)(); });
    onClick(closeButton, [this] { reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(checkButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(fields);
    layout->addWidget(result);
    layout->addStretch();
    layout->addLayout(buttons);
    return page;
}

void TForm14::fail(QLabel* result, const QString& text) {
    ui().beep();
    result->setText(text);
}

void TForm14::checkTaxNumber() {
    const QString text = m_taxNumber->text();
    if (text.size() != 11 && text.size() != 13) {
        fail(m_taxNumberResult, QStringLiteral("Hibaüzenet: Nem 11 vagy 13 hosszú számsor"));
        return;
    }
    // The hyphenated form 12345678-1-42 shares its first eight characters with the plain one,
    // and only those take part in the check.
    if (AdoszamEllenorzes(text))
        m_taxNumberResult->setText(QStringLiteral("Az adószám rendben"));
    else
        fail(m_taxNumberResult, QStringLiteral("Hibaüzenet: Hibás adószám"));
}

void TForm14::checkTaxId() {
    const QString text = m_taxId->text();
    if (text.size() != 10) {
        fail(m_taxIdResult, QStringLiteral("Hibaüzenet: Nem 10 hosszú számsor"));
        return;
    }
    if (AdoazonEllenorzes(text))
        m_taxIdResult->setText(QStringLiteral("Az azóazonositó rendben"));
    else
        fail(m_taxIdResult, QStringLiteral("Hibaüzenet: Hibás adóazonositó"));
}

void TForm14::checkTaj() {
    QString text = m_taj->text();
    if (text.size() != 9 && text.size() != 11) {
        fail(m_tajResult, QStringLiteral("Hibaüzenet: Nem 9 vagy 11 hosszú számsor"));
        return;
    }
    // The grouped form "123 456 788": three groups of three with one separator between them.
    if (text.size() == 11) text = text.mid(0, 3) + text.mid(4, 3) + text.mid(8, 3);
    if (TAJEllenorzes(text))
        m_tajResult->setText(QStringLiteral("A TAJ rendben"));
    else
        fail(m_tajResult, QStringLiteral("Hibaüzenet: Hibás TAJ"));
}

void TForm14::checkDays() {
    const QString text = m_daysTaxId->text();
    const QString birthDate = m_birthDate->date().toString(QStringLiteral("yyyy.MM.dd"));
    // Both display lines follow every press, whatever the length of the input.
    m_taxIdDays->setText(text.mid(1, 5));
    m_dayCount->setText(QString::number(daysSince1867(birthDate)));
    if (text.size() != 10) {
        fail(m_daysResult, QStringLiteral("Hibaüzenet: Nem 10 hosszú számsor !"));
        return;
    }
    if (ElteltNapEllenorzes(text, birthDate))
        m_daysResult->setText(
            QStringLiteral("Az adóazonositó és születési dátum összevetése rendben"));
    else
        fail(m_daysResult, QStringLiteral("Hibaüzenet: Az adóazonositó és/vagy szül.dátum hiba !"));
}
