#include "tickets/voiding.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>
#include <vector>

#include "core/clock.h"
#include "core/value.h"
#include "core/widgets.h"
#include "tickets/numbering.h"
#include "tickets/ticket_list.h"

namespace {
const QString savepoint = QStringLiteral("SAVEPOINT voiding");
const QString blank = QStringLiteral(" ");

QString trimmedRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    return s.left(n);
}

// −x without a negative zero for an empty amount.
double negated(double value) {
    return value == 0 ? 0.0 : -value;
}

Query& statement(TData& data, const char* name, const QStringList& lines) {
    Query& q = data.query(QString::fromLatin1(name));
    q.close();
    q.clearSql();
    for (const QString& line : lines) q.addSql(line);
    return q;
}

// A step that should have touched exactly `expected` rows and did not is a failed step: the
// voiding must not go on with a stray or missing row.
void requireRows(int touched, int expected = 1) {
    if (touched != expected) {
        throw AppError(QStringLiteral("%1 sor változott %2 helyett.").arg(touched).arg(expected));
    }
}

// The buyer's line rows with the blank number, as (ID_FJSOR, S_BRUTTO).
std::vector<std::pair<std::int64_t, double>> blankLines(TData& data, const QString& buyerCode) {
    Query& q = statement(
        data, "ZQ22",
        {QStringLiteral("SELECT * FROM Fjsor WHERE ( s_bszam = :p0 ) AND (s_akod = :p1 )")});
    q.bindText("p0", blank);
    q.bindText("p1", buyerCode);
    q.open();
    q.fetchAll();
    std::vector<std::pair<std::int64_t, double>> rows;
    for (q.first(); !q.eof(); q.next())
        rows.emplace_back(q.integer("ID_FJSOR"), q.number("S_BRUTTO"));
    return rows;
}
}  // namespace

TForm39::TForm39(App& app, QWidget* parent)
    : Screen(app, QStringLiteral("TForm39"), QStringLiteral("Érvénytelenitő bizonylat létrehozása"),
             parent) {
    auto* layout = new QVBoxLayout(this);
    auto* warning = new QLabel(
        QStringLiteral(
            "A kiválasztott felvásárlási jegy bizonylat érvénytelenítése új bizonylat sorszámon."),
        this);
    warning->setStyleSheet(QStringLiteral("color: red;"));
    layout->addWidget(warning);
    layout->addWidget(new QLabel(
        QStringLiteral(
            "Az érvénytelenítendő  bizonylat tételsor(ok) mennyisége mínusz eggyel beszorozva."),
        this));

    auto* fields = new QWidget(this);
    auto* grid = new QGridLayout(fields);
    m_number = addField(grid, 0, 0,
                        {"Érvénytelenítő \"ÚJ\" bizonylat sorszáma: ", "F_BSZAM", 0, nullptr,
                         nullptr, nullptr, true});
    m_date = addField(grid, 1, 0,
                      {"Érvénytelenitö bizonylat kelte", "F_KELT", 10, "0123456789.", nullptr,
                       "Számla kiállítás kelte"});
    grid->addWidget(new QLabel(QStringLiteral("(Kiállítás kelte)"), fields), 1, 2);
    layout->addWidget(fields);

    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Mégsem"), this);
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    m_date->installEventFilter(this);  // Enter moves on to "OK"

    onClick(m_ok, [this] { save(); });
    onClick(m_cancel, [this] { reject(); });
}

bool TForm39::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_date && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_ok->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return Screen::eventFilter(watched, event);
}

QString TForm39::newNumber() const {
    return m_number->text();
}

void TForm39::onShow() {
    m_date->setText(dateText(clockNow().date()));

    // The selected row of the list is the ticket to void; the list has named it.
    Query& list = data().query("ZQ10");
    m_voided = run().voidNumber.isEmpty() ? list.text("f_bszam") : run().voidNumber;
    if (list.text("f_bszam") != m_voided)
        list.locate(QStringLiteral("f_bszam"), m_voided, false, false);
    m_voidedDate = list.text("f_kelt");
    m_deduction = list.number("f_levonas");
    m_payable = list.number("f_muvktg");
    m_total = list.number("f_sumvar");

    QString number;
    try {
        number = reserveDocumentNumber(data(), run().buyerCode);
        m_heldNumber = number;
    } catch (const NumberTakenError& e) {
        // Nothing is deleted or written: the voiding stops before its first step.
        ui().message(e.text());
        QMetaObject::invokeMethod(
            this, [this] { reject(); }, Qt::QueuedConnection);
        return;
    }
    m_number->setText(number);

    // Lines left under this number by a ticket entry that was cancelled; not committed here.
    const QString cleanupFailed =
        QStringLiteral("Hiba391: Fjsor DELETE törlése mert nem volt fejrésze ");
    if (!guardQuietly(cleanupFailed, [&] { deleteOrphanLines(data(), number); }))
        ui().message(cleanupFailed);
    ui().focus(m_date);
}

void TForm39::done(int result) {
    if (!m_heldNumber.isEmpty()) {
        releaseDocumentNumber(data(), run().buyerCode, m_heldNumber);
        m_heldNumber.clear();
    }
    Screen::done(result);
}

bool TForm39::refuse(const QString& message) {
    ui().message(message);
    ui().focus(m_date);
    return false;
}

void TForm39::save() {
    if (!textsStorable()) return;
    const QString text = trimmedRight(m_date->text());
    if (text.isEmpty()) {
        refuse(QStringLiteral("Nincs megadva a kiállítás dátuma!"));
        return;
    }
    QDate date;
    if (!guardQuietly([&] { date = parseDate(text); })) {
        refuse(QStringLiteral("Hibás a kiállítás dátuma!"));
        return;
    }
    // Compared as "yyyy.mm.dd" texts, so "2026.1.5" counts as the 5th of January.
    if (dateText(date) < m_voidedDate) {
        refuse(QStringLiteral("Érvénytelenítendő bizonylaton szereplő dátumtól korábbi!"));
        return;
    }
    // Without a number on show (no numbering row), the same conversion error tells why.
    if (m_number->text().isEmpty()) {
        const QString next = nextDocumentNumber(data(), run().buyerCode);
        requireNumberFree(data(), next);
        m_number->setText(next);
    }
    const QString number = m_number->text();
    if (!create(number, dateText(date))) return;

    m_heldNumber.clear();  // issued: nothing to give back
    run().lastSavedTicketNumber = number;
    TForm8::reload(app());
    ui().message(QStringLiteral("Az érvénytelenítő bizonylat ") + number +
                 QStringLiteral(" sorszámmal elkészült!"));
    accept();
}

// Steps 2 to 7 of a voiding run as one unit under a savepoint: a failed step shows its message
// and undoes the voiding alone, so writes that were already waiting for the next commit (an
// orphan line deletion, a print mark) stay as they were.
bool TForm39::create(const QString& number, const QString& date) {
    TData& d = data();
    const QString& buyer = run().buyerCode;
    const bool startedHere = !d.inTransaction();
    const QString startFailed = QStringLiteral("Hiba399: az INSERT közben a fjegy fejben!");
    if (!guardQuietly(startFailed, [&] {
            if (startedHere) d.startTransaction();
            statement(d, "ZQ11", {savepoint}).execSql();
        })) {
        ui().message(startFailed);
        if (startedHere) guardQuietly([&] { d.rollback(); });
        return false;
    }

    QString failure;
    try {
        failure = QStringLiteral("Hiba392: Újban, INSERT a Fjfejben ");
        Query& copy = statement(
            d, "ZQ11",
            {QStringLiteral("INSERT INTO FjFej ( F_AKOD, F_OSTERMKOD, F_KELT, F_SZJA, F_MEGJ, "
                            "F_FELVKELT, F_FIZKELT, F_UTAL,"),
             QStringLiteral("F_NYILATK, F_LEVONAS, F_JARULSZAZ, F_MUVKTG, F_PIPA, f_sumvar ) "
                            "SELECT F_AKOD, F_OSTERMKOD,"),
             QStringLiteral("F_KELT, F_SZJA, F_MEGJ, F_FELVKELT, F_FIZKELT, F_UTAL, F_NYILATK, "
                            "F_LEVONAS, F_JARULSZAZ,"),
             QStringLiteral("F_MUVKTG, F_PIPA, f_sumvar FROM FjFej WHERE f_bszam = :p1")});
        copy.bindText("p1", m_voided);
        requireRows(copy.execSql());

        failure = QStringLiteral("Hiba93: Új UPDATE FjFej -ben ");
        Query& complete = statement(
            d, "ZQ11",
            {QStringLiteral("UPDATE FjFej SET f_bszam = :p1, F_TIPUS = :p2, F_ERVENYT = :p3, "
                            "F_LEVONAS = :p5,"),
             QStringLiteral("F_MUVKTG = :p6, F_SUMVAR = :p8, F_KELT = :p9 WHERE f_bszam = :p0")});
        complete.bindText("p0", blank);
        complete.bindText("p1", number);
        complete.bindText("p2", QStringLiteral("4"));
        complete.bindText("p3", m_voided);
        complete.bindDouble("p5", negated(m_deduction));
        complete.bindDouble("p6", negated(m_payable));
        complete.bindDouble("p8", negated(m_total));
        complete.bindDate("p9", date);
        requireRows(complete.execSql());  // a blank header left by anything else is not taken

        failure = QStringLiteral("Hiba394: Új UPDATE FjFej -ben ");
        Query& mark = statement(
            d, "ZQ11", {QStringLiteral("UPDATE FjFej SET F_ERVENYT = :p1 WHERE f_bszam = :p0")});
        mark.bindText("p1", number);
        mark.bindText("p0", m_voided);
        requireRows(mark.execSql());

        failure = QStringLiteral("Hiba399: az INSERT közben a fjegy fejben!");
        std::set<std::int64_t> blankBefore;  // rows left blank by anything else stay as they are
        for (const auto& row : blankLines(d, buyer)) blankBefore.insert(row.first);

        failure = QStringLiteral("Hiba395: Újban, INSERT a Fjsorban ");
        Query& lines =
            statement(d, "ZQ21",
                      {QStringLiteral("INSERT INTO FjSor (S_TERMEKKOD, S_MEGNEVEZES, S_VTSZ, "
                                      "S_LEVONSZAZ, S_BRUTTO, S_MEGY, S_EAR,"),
                       QStringLiteral("S_KOMPMERTEKE, S_AKOD, S_SZJA, S_BIZONYLAT ) SELECT "
                                      "S_TERMEKKOD, S_MEGNEVEZES, S_VTSZ,"),
                       QStringLiteral("S_LEVONSZAZ, S_BRUTTO, S_MEGY, S_EAR, S_KOMPMERTEKE, "
                                      "S_AKOD, S_SZJA, S_BIZONYLAT FROM FjSor"),
                       QStringLiteral("WHERE s_bszam = :p1")});
        lines.bindText("p1", m_voided);
        const int copied = lines.execSql();

        failure = QStringLiteral("Hiba399: az INSERT közben a fjegy fejben!");
        const auto fresh = blankLines(d, buyer);
        failure = QStringLiteral("Hiba397: Új UPDATE FjFej -ben ");
        int renumbered = 0;
        for (const auto& [id, quantity] : fresh) {
            if (blankBefore.count(id)) continue;
            Query& line = statement(
                d, "ZQ21",
                {QStringLiteral(
                    "UPDATE FjSor SET s_bszam = :p1, S_BRUTTO = :p2 WHERE ID_FJSOR = :p0")});
            line.bindText("p1", number);
            line.bindDouble("p2", negated(quantity));
            line.bindInt("p0", id);
            requireRows(line.execSql());
            ++renumbered;
        }
        // A copied line of another buyer code would stay blank: the voiding is then incomplete.
        requireRows(renumbered, copied);

        failure = QStringLiteral("Hiba398: Új UPDATE Sorszam -ba ");
        claimDocumentNumber(d, buyer, number);  // still the next number, and locked
        advanceNumbering(d, buyer, number);
        d.commit();
    } catch (const NumberTakenError& e) {
        // Another buyer issued the number meanwhile: its own plain message, not a write failure.
        ui().message(e.text());
        undo(startedHere);
        return false;
    } catch (const std::exception& e) {
        qWarning("%s: %s", qUtf8Printable(failure), qUtf8Printable(errorText(e)));
        ui().message(failure);
        undo(startedHere);
        return false;
    }
    return true;
}

void TForm39::undo(bool startedHere) {
    TData& d = data();
    const bool undone = !startedHere && guardQuietly([&] {
        statement(d, "ZQ11", {QStringLiteral("ROLLBACK TO SAVEPOINT voiding")}).execSql();
    });
    if (!undone) guardQuietly([&] { d.rollback(); });
    // A rollback closes the list behind this screen: bring it back on the ticket to void.
    if (!d.query("ZQ10").active()) {
        guardQuietly([&] {
            TForm8::openList(app());
            d.query("ZQ10").locate(QStringLiteral("f_bszam"), m_voided, true, true);
        });
    }
}
