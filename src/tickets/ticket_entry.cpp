#include "tickets/ticket_entry.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/clock.h"
#include "core/elided_label.h"
#include "core/navigator.h"
#include "core/query_model.h"
#include "core/value.h"
#include "core/widgets.h"
#include "core/write.h"
#include "registers/producer_list.h"
#include "tickets/line_entry.h"
#include "tickets/numbering.h"
#include "tickets/settings_files.h"
#include "tickets/ticket_list.h"
#include "validation/identifiers.h"

namespace {
const QString newModeText = QStringLiteral("Új felvásárlási jegy");
const QString lineAddMode = QStringLiteral("Új tételsor");
const QString lineChangeMode = QStringLiteral("Felvásárlási jegy módositás");
const char* const percentKeys = "0123456789,";

const FieldSpec headerFields[] = {
    {"Sorszám", "F_BSZAM", 0, nullptr, nullptr, nullptr, true},
    {"Kiállítás ", "F_KELT", 0, "0123456789."},
    {"Felvásárlás", "F_FELVKELT", 0, "0123456789."},
    {"Összeg átvétel/átutalás ", "F_FIZKELT", 0, "0123456789.", nullptr,
     "Dupla klikkre (átutalás esetén) östermelönél megadott banki nappal növelve ha nincs megadva "
     "akkor 8 "
     "nappal."},
    {"Szja %", "F_SZJA", 0, "0123456789", "0"},
    {"Súlylevon.%", "S_LEVONSZAZ", 0, percentKeys, "0"},
    {"Tagi h.járul.%", "F_JARULSZAZ", 0, percentKeys, "0"},
    {"Levonás (Ft)", "F_LEVONAS", 0, percentKeys, "0"},
    {"Megjegyzés:", "F_MEGJ", 200},
};

// The optional fields and the settings that show them and give their start value.
struct OptionalField {
    const char* name;
    const char* visibleKey;
    const char* textKey;
};
const OptionalField optionalFields[] = {
    {"S_LEVONSZAZ", "Edit14Visible", "Edit14Text"},
    {"F_JARULSZAZ", "Edit15Visible", "Edit15Text"},
    {"F_LEVONAS", "Edit13Visible", "Edit13Text"},
};

// Read-only amount displays: name and label.
const std::pair<const char*, const char*> ticketDisplays[] = {{"far", "Felvásárlási ár"},
                                                              {"kfelar", "Komp.felár"},
                                                              {"var", "Vételár"},
                                                              {"fizetendo", "Fizetendö"}};
const std::pair<const char*, const char*> producerDisplays[] = {
    {"far1", "Felvásárlási ár"}, {"kfelar1", "Komp.felár"}, {"var1", "Vételár"}};

// The "őstermelő" tab: ZQ31 columns with their labels.
const std::pair<const char*, const char*> producerTab[] = {
    {"O_NEV", "Név:"},
    {"O_KOD", "Kód:"},
    {"ID_OSTERMELO", "ID:"},
    {"O_IRSZAM", "Irányítószám:"},
    {"O_HELYSEGNEV", "Helységnév:"},
    {"O_UTCA", "Utca:"},
    {"O_ADOAZON", "Adóazonosító jel:"},
    {"O_ADOSZAM", "Adószám:"},
    {"O_BANKSZLA", "Bankszámlaszám:"},
    {"O_FELIR", "FELIR azon.:"},
    {"O_CSGAZD1", "Családi gazd. nyilv. szám:"},
    {"O_IGSZAM1", "NÉBIH tev.azon.:"},
    {"O_ERVKELT", "Érvényesitve:"},
    {"O_ERVKELT1", "Érvényes:"},
    {"O_SZULNEV", "Születési név:"},
    {"O_SZIDO", "Születési idő:"},
    {"O_ANYJA", "Anyja neve:"},
};
// Beside the "Őstermelő" button.
const std::pair<const char*, const char*> producerSummary[] = {{"producerName", "O_NEV"},
                                                               {"producerPostcode", "O_IRSZAM"},
                                                               {"producerTown", "O_HELYSEGNEV"},
                                                               {"producerStreet", "O_UTCA"}};

QString trimmedRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    return s.left(n);
}

QString plainInteger(double v) {
    return QString::number(static_cast<qint64>(roundHalfEven(v)));
}
QString groupedInteger(double v) {
    return groupedIntegerText(static_cast<qint64>(roundHalfEven(v)));
}

bool parsesAsNumber(const QString& text, double& value) {
    return guardQuietly([&] { value = parseNumber(text); });
}

bool isDate(const QString& text) {
    return guardQuietly([&] { parseDate(text); });
}
}  // namespace

TForm9::TForm9(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm9"), QStringLiteral("Felvásárlási jegy bevitel"), parent) {
    settings::readForm9(run());

    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    layout->addWidget(tabs, 1);
    auto* page = new QWidget(tabs);
    auto* pageLayout = new QVBoxLayout(page);
    tabs->addTab(page, QStringLiteral("Felvásárlási jegy"));

    auto* grid = new QGridLayout;
    pageLayout->addLayout(grid);
    int row = 0;
    QList<QWidget*> order;
    for (const FieldSpec& spec : headerFields) {
        const QString name = QString::fromLatin1(spec.name);
        if (name == QLatin1String("F_KELT")) {
            m_producerButton = new QPushButton(QStringLiteral("Őstermelő"), page);
            m_producerButton->setAutoDefault(false);
            m_producerButton->installEventFilter(this);
            grid->addWidget(m_producerButton, row, 0);
            auto* summary = new QHBoxLayout;
            summary->addWidget(new QLabel(QStringLiteral("Őstermelő adatai:"), page));
            for (const auto& [display, column] : producerSummary) {
                auto* label = new ElidedLabel(page);
                label->setObjectName(QString::fromLatin1(display));
                label->setProperty("column", QString::fromLatin1(column));
                summary->addWidget(label);
                m_displays.insert(label->objectName(), label);
            }
            summary->addStretch();
            grid->addLayout(summary, row++, 1, 1, 3);
        }
        QLineEdit* edit = addField(grid, row, 0, spec);
        m_fields.insert(name, edit);
        if (!spec.readOnly) order << edit;
        if (auto* item = grid->itemAtPosition(row, 0))
            m_labels.insert(name, qobject_cast<QLabel*>(item->widget()));
        if (name == QLatin1String("F_FIZKELT")) {
            m_transfer = new QCheckBox(QStringLiteral("Átutalással"), page);
            m_transfer->setObjectName(QStringLiteral("F_UTAL"));
            m_transfer->setToolTip(
                QStringLiteral("Ha van bank szla száma akkor átutalással, de módosítható"));
            m_transfer->installEventFilter(this);
            grid->addWidget(m_transfer, row, 2);
            order << m_transfer;
            edit->installEventFilter(this);  // double click: the transfer payment date
        }
        ++row;
    }
    m_statementSwitch = new QCheckBox(QStringLiteral("Nyilatkozat:"), page);
    m_statementSwitch->setObjectName(QStringLiteral("statementSwitch"));
    m_statementSwitch->setChecked(true);
    grid->addWidget(m_statementSwitch, row, 0);
    QLineEdit* statement = new QLineEdit(page);
    statement->setObjectName(QStringLiteral("F_NYILATK"));
    statement->setAccessibleName(QStringLiteral("Nyilatkozat:"));
    statement->setMaxLength(250);
    statement->setToolTip(QStringLiteral("A nyilatkozat szövegén itt változtathat"));
    grid->addWidget(statement, row++, 1, 1, 3);
    m_fields.insert(statement->objectName(), statement);
    order << m_statementSwitch << statement;
    enableEnterNavigation(order);

    // Hidden: the header's ID (modify mode) and the chosen producer's code.
    for (const char* name : {"ID_FJFEJ", "F_OSTERMKOD"}) {
        auto* hidden = new QLineEdit(page);
        hidden->setObjectName(QString::fromLatin1(name));
        hidden->setReadOnly(true);
        hidden->setVisible(false);
        m_fields.insert(hidden->objectName(), hidden);
    }

    auto* amounts = new QGridLayout;
    pageLayout->addLayout(amounts);
    int column = 0;
    for (const auto& [name, label] : ticketDisplays) {
        amounts->addWidget(new QLabel(QString::fromUtf8(label), page), 0, column);
        auto* display = new QLineEdit(page);
        display->setObjectName(QString::fromLatin1(name));
        display->setReadOnly(true);
        display->setAlignment(Qt::AlignRight);
        amounts->addWidget(display, 1, column++);
        m_fields.insert(display->objectName(), display);
    }
    amounts->addWidget(new QLabel(QStringLiteral("Eddig mindösszesen: "), page), 2, 0);
    column = 0;
    for (const auto& [name, label] : producerDisplays) {
        amounts->addWidget(new QLabel(QString::fromUtf8(label), page), 3, column);
        auto* display = new QLineEdit(page);
        display->setObjectName(QString::fromLatin1(name));
        display->setReadOnly(true);
        display->setAlignment(Qt::AlignRight);
        amounts->addWidget(display, 4, column++);
        m_fields.insert(display->objectName(), display);
    }

    m_lineGrid = new QTableView(page);
    m_lineGrid->setObjectName(QStringLiteral("gridZQ20"));
    Query& lines = data().query("ZQ20");
    bindGrid(m_lineGrid, lines,
             {{"S_BSZAM", "Bszám", 70},
              {"S_TERMEKKOD", "Kód", 50},
              {"S_MEGNEVEZES", "Megnevezés", 160},
              {"S_BRUTTO", "Mennyiség", 70},
              {"S_MEGY", "M.egys.", 50},
              {"S_EAR", "Egységár", 70},
              {"S_FELVAR", "Felvásárl.ár", 80},
              {"S_KOMPMERTEKE", "Komp.%", 50},
              {"S_KOMPFELAR", "Komp.felár", 70},
              {"S_VETELAR", "Vételár", 80},
              {"S_SZJA", "szja %", 50},
              {"S_VTSZ", "VTSZ", 70},
              {"S_AKOD", "AKOD", 40},
              {"ID_FJSOR", "ID", 50}});
    pageLayout->addWidget(m_lineGrid, 1);
    auto* lineButtons = new QHBoxLayout;
    lineButtons->addWidget(new Navigator(lines, ui(), Navigator::Buttons::Moving, page));
    auto* addLineButton = new QPushButton(QStringLiteral("Új"), page);
    auto* changeLineButton = new QPushButton(QStringLiteral("Módosít"), page);
    auto* deleteLineButton = new QPushButton(QStringLiteral("Töröl"), page);
    for (QPushButton* b : {addLineButton, changeLineButton, deleteLineButton}) {
        b->setAutoDefault(false);
        lineButtons->addWidget(b);
    }
    lineButtons->addStretch();
    pageLayout->addLayout(lineButtons);

    auto* producerPage = new QWidget(tabs);
    auto* producerForm = new QFormLayout(producerPage);
    for (const auto& [columnName, label] : producerTab) {
        auto* value = new ElidedLabel(producerPage);
        value->setObjectName(QString::fromLatin1(columnName));
        value->setProperty("column", QString::fromLatin1(columnName));
        producerForm->addRow(QString::fromUtf8(label), value);
        m_displays.insert(value->objectName(), value);
    }
    tabs->addTab(producerPage, QStringLiteral("őstermelő"));

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {ok, cancel}) b->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    onClick(m_producerButton, [this] {
        const bool mouse = m_producerMouse;
        m_producerMouse = false;
        chooseProducer(mouse);
    });
    onClick(m_transfer, [this] { applyPaymentDateRule(false); });
    connect(m_transfer, &QCheckBox::toggled, this, [this] { showAmounts(); });
    onClick(m_statementSwitch, [this] { statementClicked(); });
    for (const char* name : {"F_SZJA", "F_JARULSZAZ", "F_LEVONAS"}) {
        connect(m_fields.value(QString::fromLatin1(name)), &QLineEdit::textChanged, this,
                [this] { showAmounts(); });
    }
    onClick(addLineButton, [this] { addLine(); });
    onClick(changeLineButton, [this] { changeLine(); });
    onClick(deleteLineButton, [this] { deleteLine(); });
    onClick(ok, [this] { save(); });
    onClick(cancel, [this] { reject(); });

    Query& producer = data().query("ZQ31");
    const auto showProducer = [this] {
        const Query& q = data().query("ZQ31");
        for (QLabel* label : std::as_const(m_displays)) {
            const QString column = label->property("column").toString();
            label->setText(q.hasField(column) ? q.text(column) : QString());
        }
    };
    connect(&producer, &Query::reset, this, showProducer);
    connect(&producer, &Query::currentChanged, this, showProducer);
    resize(900, 700);
}

bool TForm9::newMode() {
    return run().ticketEntryMode == newModeText;
}

QString TForm9::documentNumber() const {
    return m_fields.value("F_BSZAM")->text();
}
QString TForm9::producerCode() const {
    return m_fields.value("F_OSTERMKOD")->text();
}
QString TForm9::weightDeductionPercent() const {
    return m_fields.value("S_LEVONSZAZ")->text();
}

// The deletion of the leftover lines waits for a commit, so a failed write's rollback brings
// them back; they are deleted again (only they: this entry's own lines are newer) before the
// lines are shown or counted, or a save would take another entry's lines into this ticket.
bool TForm9::dropLeftoverLines() {
    if (!newMode() || m_leftoverLinesUpTo <= 0) return false;
    int deleted = 0;
    guardQuietly(
        [&] { deleted = deleteOrphanLines(data(), documentNumber(), m_leftoverLinesUpTo); });
    return deleted > 0;
}

void TForm9::openLines() {
    dropLeftoverLines();
    Query& q = data().query("ZQ20");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT * FROM FjSor WHERE s_Bszam= :p1 ORDER BY ID_fjsor"));
    q.bindText("p1", documentNumber());
    q.open();
}

void TForm9::openProducer() {
    Query& q = data().query("ZQ31");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT * FROM ostermelo WHERE o_kod = :p1"));
    q.bindText("p1", producerCode());
    q.open();
}

void TForm9::fill() {
    const Query& ticket = data().query("ZQ10");
    const QString number = ticket.text("f_bszam");
    m_fields.value("F_BSZAM")->setText(number);
    openLines();
    m_fields.value("ID_FJFEJ")->setText(ticket.text("ID_FjFej"));
    m_fields.value("F_OSTERMKOD")->setText(ticket.text("f_ostermkod"));
    for (const char* column :
         {"F_KELT", "F_FELVKELT", "F_FIZKELT", "F_SZJA", "F_LEVONAS", "F_JARULSZAZ", "F_MEGJ"}) {
        m_fields.value(QString::fromLatin1(column))
            ->setText(ticket.text(QString::fromLatin1(column)));
    }
    const QString statement = ticket.text("f_nyilatk");
    m_fields.value("F_NYILATK")->setText(statement);
    const Query& lines = data().query("ZQ20");
    m_fields.value("S_LEVONSZAZ")
        ->setText(lines.isEmpty() ? QStringLiteral("0") : lines.text("s_levonszaz"));
    m_transfer->setChecked(ticket.text("f_utal") == QLatin1String("x"));
    m_statementSwitch->setChecked(statement.size() >= 6);
    if (!m_statementSwitch->isChecked()) m_fields.value("F_NYILATK")->setText(QStringLiteral(" "));

    run().lastSavedTicketNumber = number;
    run().rememberedProducerCode = producerCode();
    openProducer();
    setWindowTitle(run().ticketEntryMode);
    recompute();
}

void TForm9::onShow() {
    applyOptionalFields();
    if (newMode()) {
        QString number;
        // No number, or one another document already carries: no ticket, nothing deleted or
        // written; the screen closes after telling why.
        const auto closeUnopened = [this] {
            QMetaObject::invokeMethod(
                this, [this] { reject(); }, Qt::QueuedConnection);
        };
        try {
            number = reserveDocumentNumber(data(), run().buyerCode);
            m_heldNumber = number;
        } catch (const NumberTakenError& e) {
            ui().message(e.text());
            closeUnopened();
            return;
        } catch (const std::exception& e) {
            ui().error(errorText(e));
            closeUnopened();
            return;
        }
        // A later failure (a number too long for the columns) is shown and the screen stays.
        startNewTicket(number);
    }
    recompute();
}

void TForm9::done(int result) {
    if (!m_heldNumber.isEmpty()) {
        releaseDocumentNumber(data(), run().buyerCode, m_heldNumber);
        m_heldNumber.clear();
    }
    Screen::done(result);
}

void TForm9::applyOptionalFields() {
    for (const OptionalField& optional : optionalFields) {
        QLineEdit* edit = m_fields.value(QString::fromLatin1(optional.name));
        QLabel* label = m_labels.value(edit->objectName());
        const bool visible =
            settings::value(run(), settings::form9, QString::fromLatin1(optional.visibleKey)) ==
            QLatin1String("1");
        edit->setVisible(visible);
        if (label) label->setVisible(visible);
        if (!visible) {
            edit->setText(QStringLiteral("0"));
        } else if (newMode()) {
            edit->setText(
                settings::value(run(), settings::form9, QString::fromLatin1(optional.textKey)));
        }
    }
}

void TForm9::startNewTicket(const QString& number) {
    m_fields.value("F_BSZAM")->setText(number);

    // Lines left under this number by an entry that was cancelled.
    const QString cleanupFailed =
        QStringLiteral("Hiba91: Fjsor DELETE törlése mert nem volt fejrésze ");
    // Every line under the number now is a leftover, also one whose deletion by an earlier
    // cancelled entry still waits for a commit and comes back with a rollback.
    if (!guardQuietly(cleanupFailed, [&] {
            m_leftoverLinesUpTo = highestLineIdIssued(data());
            deleteOrphanLines(data(), number, m_leftoverLinesUpTo);
        }))
        ui().message(cleanupFailed);

    openLines();
    const QString today = dateText(clockNow().date());
    for (const char* date : {"F_KELT", "F_FELVKELT", "F_FIZKELT"})
        m_fields.value(QString::fromLatin1(date))->setText(today);
    m_fields.value("F_OSTERMKOD")->clear();
    openProducer();
    run().rememberedProducerCode.clear();
    m_fields.value("F_NYILATK")->setText(run().defaultStatement);
}

void TForm9::reloadSums() {
    Query& sums = data().query("ZQ21");
    sums.close();
    sums.clearSql();
    sums.addSql(QStringLiteral(
        "SELECT s_bszam, SUM(s_felvar) AS far, SUM(s_kompfelar) AS kfelar, SUM(s_vetelar) AS var"));
    sums.addSql(QStringLiteral("FROM Fjsor WHERE s_Bszam= :p1 GROUP BY s_Bszam"));
    sums.bindText("p1", documentNumber());
    sums.open();
    m_far = sums.number("far");
    m_kfelar = sums.number("kfelar");
    m_var = sums.number("var");
    m_fields.value("far")->setText(plainInteger(m_far));
    m_fields.value("kfelar")->setText(plainInteger(m_kfelar));
    m_fields.value("var")->setText(groupedInteger(m_var));

    Query& producer = data().query("ZQ22");
    producer.close();
    producer.clearSql();
    producer.addSql(
        QStringLiteral("SELECT f_ostermkod, SUM(s_felvar) AS far1, SUM(s_kompfelar) AS kfelar1, "
                       "SUM(s_vetelar) AS var1"));
    producer.addSql(QStringLiteral("FROM Fjsor JOIN Fjfej ON Fjfej.f_Bszam = Fjsor.s_Bszam"));
    producer.addSql(QStringLiteral("JOIN Ostermelo ON Fjfej.f_ostermkod = Ostermelo.o_Kod"));
    producer.addSql(QStringLiteral("WHERE FjFej.f_ostermkod = :p1 GROUP BY f_ostermkod"));
    producer.bindText("p1", producerCode());
    producer.open();
    m_fields.value("far1")->setText(groupedInteger(producer.number("far1")));
    m_fields.value("kfelar1")->setText(groupedInteger(producer.number("kfelar1")));
    m_fields.value("var1")->setText(groupedInteger(producer.number("var1")));
}

void TForm9::showAmounts() {
    double szja = 0;
    double contribution = 0;
    double deduction = 0;
    // While a percentage is not a number the payable amount shows nothing; "OK" refuses it.
    m_amountsValid = parsesAsNumber(m_fields.value("F_SZJA")->text(), szja) &&
                     parsesAsNumber(m_fields.value("F_JARULSZAZ")->text(), contribution) &&
                     parsesAsNumber(m_fields.value("F_LEVONAS")->text(), deduction);
    RunValues& r = run();
    if (!m_amountsValid) {
        m_amounts = TicketAmounts{};
        m_amounts.ticketTotal = m_var;
        r.ticketTotal = m_var;
        r.payable.clear();
        m_fields.value("fizetendo")->clear();
        return;
    }
    m_amounts = ticketAmounts(m_var, szja, contribution, deduction, m_transfer->isChecked());
    r.ticketTotal = m_amounts.ticketTotal;
    r.szjaWithheld = m_amounts.szjaWithheld;
    r.memberContribution = m_amounts.memberContribution;
    r.deduction = m_amounts.deduction;
    r.payable = m_amounts.payableText();
    m_fields.value("fizetendo")->setText(r.payable);
}

void TForm9::recompute() {
    reloadSums();
    showAmounts();
}

bool TForm9::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_producerButton && event->type() == QEvent::MouseButtonRelease) {
        // A release on the button clicks it: that click came from the mouse.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_producerMouse = m_producerButton->rect().contains(mouse->position().toPoint());
    } else if (watched == m_transfer && event->type() == QEvent::FocusOut) {
        // Leaving the box for another input; not a message box or another window taking over.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guard(ui(), [this] { applyPaymentDateRule(false); });
    } else if (watched == m_fields.value("F_FIZKELT") &&
               event->type() == QEvent::MouseButtonDblClick) {
        guard(ui(), [this] { applyPaymentDateRule(true); });
    }
    return Screen::eventFilter(watched, event);
}

void TForm9::chooseProducer(bool withMouse) {
    TForm4 producers(app(), this);
    openModal(producers);
    const Query& chosen = data().query("ZQ30");
    m_fields.value("F_SZJA")->setText(chosen.text("o_szja"));
    m_fields.value("F_OSTERMKOD")->setText(chosen.text("o_kod"));
    m_transfer->setChecked(chosen.text("o_Bankszla").trimmed().size() >= 8);
    openProducer();
    if (!data().query("ZQ20").active()) openLines();
    recompute();
    if (withMouse) applyPaymentDateRule(true);
}

void TForm9::applyPaymentDateRule(bool transferHalfOnly) {
    QLineEdit* payment = m_fields.value("F_FIZKELT");
    const QString purchase = m_fields.value("F_FELVKELT")->text();
    if (m_transfer->isChecked()) {
        const Query& producer = data().query("ZQ31");
        const qint64 fhat = producer.fieldCount() > 0 ? producer.integer("O_FHAT") : 0;
        const qint64 days = fhat != 0 ? fhat : 8;
        payment->setText(dateText(parseDate(purchase).addDays(days)));
    } else if (!transferHalfOnly) {
        payment->setText(purchase);
    }
}

void TForm9::statementClicked() {
    m_fields.value("F_NYILATK")
        ->setText(m_statementSwitch->isChecked() ? run().defaultStatement : QStringLiteral(" "));
}

void TForm9::addLine() {
    run().lineEntryMode = lineAddMode;
    {
        TForm10 line(app(), this);
        openModal(line);
    }
    refreshViews();
    recompute();
}

void TForm9::changeLine() {
    run().lineEntryMode = lineChangeMode;
    {
        TForm10 line(app(), this);
        if (line.fill()) openModal(line);
    }
    refreshViews();
    recompute();
}

void TForm9::deleteLine() {
    Query& lines = data().query("ZQ20");
    const qint64 id = lines.integer("ID_fjsor");
    // Not committed here: the next commit, or a rollback, settles it with the rest.
    const QString failed = QStringLiteral("Hiba92: Felvásárlási jegy tételsor DELETE törlésekor");
    const bool deleted = guardQuietly(failed, [&] {
        Query& q = data().query("ZQ21");
        q.close();
        q.clearSql();
        q.addSql(QStringLiteral("DELETE FROM Fjsor WHERE ID_fjsor = :p1"));
        q.bindInt("p1", id);
        q.execSql();
    });
    ui().message(deleted ? QStringLiteral("Az tételsor törölve!") : failed);
    openLines();
    data().query("ZQ20").last();
    refreshViews();
    recompute();
}

// After a line change: the line commit closed the views; the list behind this screen follows too,
// back on the last saved ticket.
void TForm9::refreshViews() {
    if (dropLeftoverLines() || !data().query("ZQ20").active()) openLines();
    if (!data().query("ZQ31").active()) openProducer();
    TForm8::reload(app());
}

bool TForm9::refuse(const QString& message, QWidget* focus) {
    ui().message(message);
    ui().focus(focus);
    return false;
}

bool TForm9::refuseProducer(const QString& message) {
    run().rememberedProducerCode = producerCode();
    return refuse(message, m_producerButton);
}

bool TForm9::checksPass() {
    const auto empty = [this](const char* name) {
        return trimmedRight(m_fields.value(QString::fromLatin1(name))->text()).isEmpty();
    };
    const auto field = [this](const char* name) {
        return m_fields.value(QString::fromLatin1(name));
    };
    if (empty("F_KELT"))
        return refuse(QStringLiteral("Nincs megadva a kiállítás dátuma!"), field("F_KELT"));
    if (empty("F_FELVKELT"))
        return refuse(QStringLiteral("Nincs megadva a felvásárlás dátuma!"), field("F_FELVKELT"));
    if (empty("F_FIZKELT"))
        return refuse(QStringLiteral("Nincs megadva a átvétel dátum!"), field("F_FIZKELT"));
    if (empty("F_SZJA")) return refuse(QStringLiteral("Nincs megadva az szja!"), field("F_SZJA"));
    if (producerCode().isEmpty())
        return refuse(QStringLiteral("Nincs kiválasztva őstermelő!"), m_producerButton);
    if (empty("F_LEVONAS"))
        return refuse(QStringLiteral("Nincs megadva vagy nem nulla a levonás!"),
                      field("F_LEVONAS"));
    if (empty("S_LEVONSZAZ"))
        return refuse(QStringLiteral("Nincs megadva súlylevonás % -a vagy nem nulla!"),
                      field("S_LEVONSZAZ"));
    if (empty("F_JARULSZAZ"))
        return refuse(QStringLiteral("Nincs megadva tagok hozzájárulása % -a vagy nem nulla!"),
                      field("F_JARULSZAZ"));
    if (!isDate(field("F_KELT")->text()))
        return refuse(QStringLiteral("Hibás a kiállítás dátuma!"), field("F_KELT"));
    if (!isDate(field("F_FELVKELT")->text()))
        return refuse(QStringLiteral("Hibás a felvásárlás dátuma!"), field("F_FELVKELT"));
    if (!isDate(field("F_FIZKELT")->text()))
        return refuse(QStringLiteral("Hibás az átvétel/utalás dátuma!"), field("F_FIZKELT"));
    if (!m_transfer->isChecked() && field("F_FELVKELT")->text() != field("F_FIZKELT")->text()) {
        return refuse(
            QStringLiteral("Kp. fizetés: a felvásárlás és az összeg átvétel dátum nem azonos!"),
            field("F_FIZKELT"));
    }

    dropLeftoverLines();
    Query& count = data().query("ZQ21");
    count.close();
    count.clearSql();
    count.addSql(QStringLiteral(
        "SELECT s_bszam, count(s_bszam) AS sdb FROM Fjsor WHERE s_Bszam= :p1 GROUP BY s_Bszam"));
    count.bindText("p1", documentNumber());
    count.open();
    if (count.integer("sdb") == 0)
        return refuse(QStringLiteral("Nincs a felvásárlási jegynek tételsora!"), m_producerButton);

    if (!data().query("ZQ31").active()) openProducer();  // a commit elsewhere closes it
    const Query& producer = data().query("ZQ31");
    const QString felirText = producer.text("o_felir");
    const QString ocsgText = producer.text("o_csgazd1");
    if (felirText.trimmed().isEmpty() && ocsgText.trimmed().isEmpty() &&
        producer.text("o_igszam1").trimmed().isEmpty()) {
        return refuseProducer(QStringLiteral("FELIR, OCSG és NÉBIH egyik sem kitöltött!"));
    }
    if (!felirText.trimmed().isEmpty()) {
        if (felirText.size() != 9)
            return refuseProducer(QStringLiteral("Nem 9 hosszú FELIR szám!"));
        if (felir(felirText) != QLatin1String("0"))
            return refuseProducer(QStringLiteral("Hibás FELIR szám!"));
    }
    if (!ocsgText.trimmed().isEmpty()) {
        if (ocsgText.size() != 13)
            return refuseProducer(QStringLiteral("Nem 13 hosszú OCSG szám!"));
        if (ocsg(ocsgText) != QLatin1String("0"))
            return refuseProducer(QStringLiteral("Hibás OCSG szám!"));
    }
    return true;
}

void TForm9::save() {
    if (!textsStorable()) return;
    if (!checksPass()) return;
    if (!numbersValid(
            {field("F_SZJA"), field("S_LEVONSZAZ"), field("F_JARULSZAZ"), field("F_LEVONAS")}))
        return;
    const bool written = newMode() ? writeNew() : writeChange();
    TForm8::reload(app());
    if (written) {
        if (newMode()) m_heldNumber.clear();  // issued: nothing to give back
        accept();
        return;
    }
    // A failed write keeps the screen open with everything typed; the rollback closed what the
    // screen shows.
    openLines();
    openProducer();
    recompute();
}

void TForm9::bindHeader(Query& q, bool change) {
    const auto text = [this](const char* name) {
        return m_fields.value(QString::fromLatin1(name))->text();
    };
    q.bindText("p1", documentNumber());
    q.bindText("p2", run().buyerCode);
    q.bindText("p3", producerCode());
    q.bindDate("p4", text("F_KELT"));
    q.bindNumber("p5", text("F_SZJA"));
    q.bindText("p6", text("F_MEGJ"));
    const QString transfer = m_transfer->isChecked() ? QStringLiteral("x") : QStringLiteral(" ");
    const QString statement =
        m_statementSwitch->isChecked() ? text("F_NYILATK") : QStringLiteral(" ");
    if (!change) {
        q.bindDate("p7", text("F_FELVKELT"));
        q.bindDate("p8", text("F_FIZKELT"));
        q.bindText("p9", transfer);
        q.bindText("p10", statement);
        q.bindNumber("p11", text("F_LEVONAS"));
        q.bindNumber("p12", text("F_JARULSZAZ"));
        q.bindNumber("p13", text("fizetendo"));
        q.bindText("p14", QStringLiteral("1"));
        q.bindDouble("p15", m_amounts.ticketTotal);
        return;
    }
    q.bindText("p0", text("ID_FJFEJ"));
    q.bindText("p7", QStringLiteral(" "));  // a changed ticket counts as not printed again
    q.bindDate("p8", text("F_FELVKELT"));
    q.bindDate("p9", text("F_FIZKELT"));
    q.bindText("p10", transfer);
    q.bindText("p11", statement);
    q.bindNumber("p12", text("F_LEVONAS"));
    q.bindNumber("p13", text("F_JARULSZAZ"));
    q.bindNumber("p14", text("fizetendo"));
    q.bindDouble("p15", m_amounts.ticketTotal);
}

bool TForm9::writeNew() {
    const QString number = documentNumber();
    return runWrite(
        app(), QStringLiteral("Hiba96: az INSERT vagy UPDATE közben a fjegy fejben!"),
        QStringLiteral("Hiba94: Újban, INSERT a Fjfejben "), [&] {
            // The numbering row is read again, locked, inside this transaction.
            claimDocumentNumber(data(), run().buyerCode, number);
            Query& q = data().query("ZQ11");
            q.close();
            q.clearSql();
            q.addSql(
                QStringLiteral("INSERT INTO FjFej ( f_bszam, f_akod, f_ostermkod, f_kelt, f_szja, "
                               "f_megj, f_felvkelt,"));
            q.addSql(
                QStringLiteral("f_fizkelt, f_utal, f_nyilatk, f_levonas, f_jarulszaz, "
                               "f_muvktg, f_tipus, f_sumvar )"));
            q.addSql(
                QStringLiteral("VALUES ( :p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11, "
                               ":p12, :p13, :p14, :p15 )"));
            bindHeader(q, false);
            q.execSql();
            run().lastSavedTicketNumber = number;
            // The ticket stands even when the numbering row cannot follow it.
            const QString numberingFailed = QStringLiteral("Hiba93: Új UPDATE Sorszam -ba ");
            if (!guardQuietly(numberingFailed,
                              [&] { advanceNumbering(data(), run().buyerCode, number); }))
                ui().message(numberingFailed);
        });
}

bool TForm9::writeChange() {
    return runWrite(app(), QStringLiteral("Hiba96: az INSERT vagy UPDATE közben a fjegy fejben!"),
                    QStringLiteral("Hiba95: Módositás, UPDATE a Fjegy fejben "), [&] {
                        Query& q = data().query("ZQ11");
                        q.close();
                        q.clearSql();
                        q.addSql(
                            QStringLiteral("UPDATE FjFej SET ID_fjFej = :p0, f_bszam = :p1, "
                                           "f_akod = :p2, f_ostermkod = :p3,"));
                        q.addSql(QStringLiteral(
                            "f_kelt = :p4, f_szja = :p5, f_megj = :p6, f_prn = :p7, f_felvkelt = "
                            ":p8, f_fizkelt = :p9,"));
                        q.addSql(QStringLiteral(
                            "f_utal = :p10, f_nyilatk = :p11, f_levonas = :p12, f_jarulszaz = "
                            ":p13, f_muvktg = :p14,"));
                        q.addSql(QStringLiteral("f_sumvar = :p15 WHERE ID_fjFej = :p0"));
                        bindHeader(q, true);
                        q.execSql();
                        run().lastSavedTicketNumber = documentNumber();
                    });
}
