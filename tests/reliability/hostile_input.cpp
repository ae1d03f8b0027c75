// Hostile input: the entry screens get a stream of hostile inputs through their real widgets —
// typed through the key filters, or set whole as a paste would — and their save is pressed. Every
// input must end either in a save that holds what the fields held, or in a message with nothing
// written; no crash, no exception past the screen's own messages.
//
//   hostile_input [inputs per screen] [seed]     the parent (default: 50 inputs, seed 19)
//   hostile_input --child folder screen count seed
//
// Each screen runs in a child process of its own, so a crash is counted and the other screens
// still run. Prints name=value figures; exits non-zero on a crash, a partial write or an input
// refused without a message.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>
#include <random>
#include <set>

#include "core/app.h"
#include "core/buyer_data.h"
#include "core/database.h"
#include "core/tdata.h"
#include "registers/producer_entry.h"
#include "registers/product_entry.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"
#include "tickets/line_entry.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"
#include "tickets/voiding.h"
#include "tickets/year_opening.h"

namespace {

QPushButton* button(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    throw std::runtime_error(("no button " + caption).toStdString());
}

// ---------------------------------------------------------------- inputs

class HostileTexts {
public:
    explicit HostileTexts(unsigned seed) : m_rng(seed) {}

    QString next() {
        static const char* const fixed[] = {
            "abc",
            "-",
            "+-1",
            "1e5",
            "12,34,56",
            ",",
            "--1",
            "1.000.000",
            "1 000",
            "0x1F",
            "99999999999999999999",
            "-99999999999999",
            "0,00001",
            "-0",
            "1,7976931348623157E308",
            "NaN",
            "inf",
            "2026.02.30",
            "0000.00.00",
            "9999.99.99",
            "2026.13.01",
            "2026.2.3",
            "20260230",
            "  .  .  ",
            "2026-02-28",
            "31.12.2026",
            "'",
            "''",
            "\"",
            "O'Brien",
            "'; DROP TABLE fjfej; --",
            "1' OR '1'='1",
            "%",
            "_",
            ":p1",
            "?",
            "\\",
            "",
            " ",
            "        ",
            "Árvíztűrő tükörfúrógép",
            "ŐŰőű",
            "€",
            "日本語",
            "😀",
            "ŵŷ",
            "\u200b",
            "\u00a0",
            "٣٤",
            "½",
        };
        switch (m_rng() % 6) {
            case 0:
            case 1:
                return QString::fromUtf8(fixed[m_rng() % std::size(fixed)]);
            case 2: {  // control characters among digits
                QString s = QString::number(m_rng() % 1000);
                const char16_t controls[] = {0, 1, 7, 8, 9, 10, 13, 27, 127};
                s.insert(qsizetype(m_rng() % (s.size() + 1)), QChar(controls[m_rng() % 9]));
                return s;
            }
            case 3:  // very long
                return QString(qsizetype(100 + m_rng() % 5000), QChar(u"x9,.'Ő"[m_rng() % 6]));
            case 4: {  // random characters from the whole plane
                QString s;
                const int n = 1 + int(m_rng() % 12);
                for (int i = 0; i < n; ++i) s += QChar(char16_t(1 + m_rng() % 0xD7FF));
                return s;
            }
            default: {  // a near-valid number or date
                const char* const near[] = {"12,5",       "1.5",       "10,",          ",5",
                                            "2026.06.31", "2026.06.1", "100000000000", "7,",
                                            "0",          "-5",        "2026.06.15 "};
                return QString::fromLatin1(near[m_rng() % std::size(near)]);
            }
        }
    }

    bool paste() { return m_rng() % 2 == 0; }
    unsigned pick(unsigned n) { return n == 0 ? 0 : m_rng() % n; }

private:
    std::mt19937 m_rng;
};

// The inputs a user can type into: visible, enabled, not read-only.
QList<QLineEdit*> inputsOf(QWidget& screen) {
    QList<QLineEdit*> inputs;
    for (QLineEdit* e : screen.findChildren<QLineEdit*>()) {
        if (e->isVisible() && e->isEnabled() && !e->isReadOnly() && !e->objectName().isEmpty())
            inputs << e;
    }
    return inputs;
}

// Types a text key by key through the input's key filter; characters without a key of their own
// come as a key event carrying the character, as an input method sends them.
void typeText(QLineEdit* e, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(e, char(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Puts hostile texts into one to three of the screen's inputs; returns what was put where.
QStringList spoil(QWidget& screen, HostileTexts& texts) {
    const QList<QLineEdit*> inputs = inputsOf(screen);
    QStringList done;
    const unsigned n = 1 + texts.pick(3);
    for (unsigned i = 0; i < n && !inputs.isEmpty(); ++i) {
        QLineEdit* e = inputs.at(qsizetype(texts.pick(unsigned(inputs.size()))));
        const QString text = texts.next();
        if (texts.paste()) {
            e->setText(text);
        } else {
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Delete);
            typeText(e, text.left(300));
        }
        done << e->objectName() + QLatin1Char('=') + text.left(40);
    }
    return done;
}

// ---------------------------------------------------------------- child

void say(QString line) {
    line.replace(QLatin1Char('\n'), QLatin1String(" / "));
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

class Child {
public:
    Child(App& app, RecordingUi& ui, unsigned seed) : m_app(app), m_ui(ui), m_texts(seed) {}

    QString scalar(const QString& sql, const std::vector<Value>& params = {}) {
        auto cursor = m_app.data().database().open(sql, params);
        QByteArray row;
        return cursor->fetch(row) ? Cursor::unpack(row, 0).asText().trimmed() : QString();
    }

    // One input's outcome: saved, refused with a message, or a fault.
    void outcome(bool saved, bool whole, const QStringList& inputs) {
        ++m_tried;
        const bool told = !m_ui.messages.isEmpty() || !m_ui.errors.isEmpty();
        QString fault;
        if (!whole)
            fault = QStringLiteral("partial");
        else if (!saved && !told)
            fault = QStringLiteral("silent");
        // The general error display shows what escaped a screen's own checks (a clear message
        // too, as for the year opening's number conversion, but listed for review).
        if (!m_ui.errors.isEmpty()) say(QStringLiteral("G|") + inputs.join(QLatin1String(" ; ")));
        for (const QString& e : m_ui.errors) {
            if (m_unexpected.insert(e.left(120)).second &&
                qEnvironmentVariableIsSet("HOSTILE_VERBOSE"))
                say(QStringLiteral("V|%1 <- %2").arg(e, inputs.join(QLatin1String(" ; "))));
        }
        if (!fault.isEmpty()) {
            say(QStringLiteral("F|%1|%2 | %3 | told: %4")
                    .arg(fault, inputs.join(QLatin1String(" ; ")),
                         saved ? QStringLiteral("saved") : QStringLiteral("not saved"),
                         m_ui.messages.join(QLatin1String(" / "))));
        }
        if (qEnvironmentVariableIsSet("HOSTILE_VERBOSE")) {
            say(QStringLiteral("M|%1 | %2")
                    .arg(inputs.join(QLatin1String(" ; ")),
                         m_ui.messages.join(QLatin1String(" / "))));
        }
        say(saved ? QStringLiteral("S") : QStringLiteral("R"));
        m_ui.messages.clear();
        m_ui.errors.clear();
        m_ui.onModal.clear();
    }

    void producer() {
        static const std::pair<const char*, const char*> base[] = {
            {"O_NEV", "Kiss Anna"}, {"O_IRSZAM", "6000"},         {"O_HELYSEGNEV", "Kecskemét"},
            {"O_UTCA", "Fő"},       {"O_ADOAZON", "8347708363"},  {"O_ADOSZAM", "71689766103"},
            {"O_SZJA", "15"},       {"O_SZULHELY", "Szeged"},     {"O_SZIDO", "1962.03.14"},
            {"O_NEME", "2"},        {"O_ANYJA", "Nagy Éva"},      {"O_SZULNEV", "Tóth Anna"},
            {"O_FHAT", "8"},        {"O_ERVKELT1", "2021.01.01"}, {"O_FELIR", "KJ7273177"},
        };
        m_app.run().producerEntryMode = QStringLiteral("Új őstermelő");
        const QString before = scalar(QStringLiteral("SELECT count(*) FROM ostermelo"));
        TForm5 entry(m_app);
        entry.show();
        for (const auto& [name, text] : base)
            entry.field(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
        const QStringList inputs = spoil(entry, m_texts);
        const QString code = entry.field(QStringLiteral("O_KOD"))->text();
        const QString name = entry.field(QStringLiteral("O_NEV"))->text();
        button(entry, QStringLiteral("OK"))->click();
        const bool saved = entry.result() == QDialog::Accepted;
        const QString after = scalar(QStringLiteral("SELECT count(*) FROM ostermelo"));
        bool whole = after.toInt() == before.toInt() + (saved ? 1 : 0);
        if (saved) {
            whole = whole && scalar(QStringLiteral("SELECT o_nev FROM ostermelo WHERE o_kod = ?"),
                                    {Value::text(code)}) == name.trimmed();
        }
        outcome(saved, whole, inputs);
    }

    void product() {
        m_app.run().productEntryMode = QStringLiteral("Új termék");
        const QString before = scalar(QStringLiteral("SELECT count(*) FROM termek"));
        TForm7 entry(m_app);
        entry.show();
        entry.field(QStringLiteral("T_MEGNEVEZES"))->setText(QStringLiteral("Zab"));
        entry.field(QStringLiteral("T_EAR"))->setText(QStringLiteral("55,5"));
        entry.field(QStringLiteral("T_MEGY"))->setText(QStringLiteral("kg"));
        const QStringList inputs = spoil(entry, m_texts);
        const QString code = entry.field(QStringLiteral("T_KOD"))->text();
        const QString name = entry.field(QStringLiteral("T_MEGNEVEZES"))->text();
        button(entry, QStringLiteral("OK"))->click();
        const bool saved = entry.result() == QDialog::Accepted;
        const QString after = scalar(QStringLiteral("SELECT count(*) FROM termek"));
        bool whole = after.toInt() == before.toInt() + (saved ? 1 : 0);
        QString stored;
        if (saved) {
            stored = scalar(QStringLiteral("SELECT t_megnevezes FROM termek WHERE t_kod = ?"),
                            {Value::text(code)});
            whole = whole && stored == name.trimmed();
            if (!whole) {
                stored += QStringLiteral(" / last row: ") +
                          scalar(QStringLiteral("SELECT FIRST 1 '[' || t_kod || '][' || "
                                                "coalesce(t_megnevezes, 'NULL') || ']' FROM termek "
                                                "ORDER BY id_termek DESC")) +
                          QStringLiteral(" / same code: ") +
                          scalar(QStringLiteral("SELECT list('[' || t_kod || '][' || "
                                                "coalesce(t_megnevezes, 'NULL') || ']' || "
                                                "char_length(t_kod)) FROM termek WHERE t_kod = ?"),
                                 {Value::text(code)});
            }
        }
        outcome(saved, whole,
                inputs + QStringList{QStringLiteral("rows %1 -> %2, stored name '%3', code '%4'")
                                         .arg(before, after, stored, code)});
    }

    // The data of a buyer without tickets: a refused save leaves its row as it was.
    void buyer() {
        const QString rowSql = QStringLiteral(
            "SELECT v_neve || '|' || coalesce(v_irszam, '') || '|' || coalesce(v_helyseg, '') || "
            "'|' "
            "|| coalesce(v_adoszam, '') || '|' || coalesce(v_kozadoszam, '') || '|' || "
            "coalesce(v_bankszla, '') || '|' || coalesce(v_utca, '') FROM atvevo WHERE "
            "v_akod = 'H1'");
        const QString before = scalar(rowSql);
        TForm17 entry(m_app);
        if (!entry.fill()) return outcome(false, true, {});
        bool saved = false;
        QStringList inputs;
        m_ui.onModal[QStringLiteral("TForm17")] = [&](QDialog& d) {
            inputs = spoil(d, m_texts);
            button(d, QStringLiteral("Letárol"))->click();
            saved = d.result() == QDialog::Accepted;
            if (!saved) d.reject();
            return d.result();
        };
        m_ui.showModal(entry);
        outcome(saved, saved || scalar(rowSql) == before, inputs);
    }

    // The producer and product lists close on producer 3 and product 1 of the demo data.
    void pickProducerAndProduct() {
        m_ui.onModal[QStringLiteral("TForm4")] = [this](QDialog&) {
            m_app.data().query("ZQ30").locate(QStringLiteral("O_KOD"), QStringLiteral("3"), false,
                                              false);
            return int(QDialog::Accepted);
        };
        m_ui.onModal[QStringLiteral("TForm6")] = [this](QDialog&) {
            m_app.data().query("ZQ40").locate(QStringLiteral("T_KOD"), QStringLiteral("1"), false,
                                              false);
            return int(QDialog::Accepted);
        };
    }

    // A new ticket with a line, hostile texts in the header's and the line's inputs.
    void ticket() {
        pickProducerAndProduct();
        QStringList inputs;
        int linesTaken = 0;
        m_ui.onModal[QStringLiteral("TForm10")] = [&](QDialog& line) {
            button(line, QStringLiteral("Termék"))->click();
            static_cast<TForm10&>(line).field(QStringLiteral("S_BRUTTO"))->setText("120,5");
            if (m_texts.pick(2) == 0) inputs << spoil(line, m_texts);
            button(line, QStringLiteral("OK"))->click();
            if (line.result() == QDialog::Accepted) {
                ++linesTaken;
            } else {
                line.reject();
            }
            return line.result();
        };
        bool saved = false;
        QString number;
        m_ui.onModal[QStringLiteral("TForm9")] = [&](QDialog& d) {
            auto& entry = static_cast<TForm9&>(d);
            number = entry.documentNumber();
            entry.producerButton()->click();
            button(d, QStringLiteral("Új"))->click();
            inputs << spoil(d, m_texts);
            button(d, QStringLiteral("OK"))->click();
            saved = d.result() == QDialog::Accepted;
            if (!saved) button(d, QStringLiteral("Mégsem"))->click();
            if (d.isVisible()) d.reject();
            return d.result();
        };
        {
            TForm8 list(m_app);
            list.show();
            button(list, QStringLiteral("Új"))->click();
        }
        const std::vector<Value> key{Value::text(number)};
        const int headers =
            scalar(QStringLiteral("SELECT count(*) FROM fjfej WHERE f_bszam = ?"), key).toInt();
        const int lines =
            scalar(QStringLiteral("SELECT count(*) FROM fjsor WHERE s_bszam = ?"), key).toInt();
        const bool whole = saved ? headers == 1 && lines == linesTaken && lines > 0 : headers == 0;
        outcome(
            saved, whole,
            inputs + QStringList{QStringLiteral("number %1: headers %2, lines %3, lines taken %4")
                                     .arg(number)
                                     .arg(headers)
                                     .arg(lines)
                                     .arg(linesTaken)});
    }

    // A ticket saved with one line through the real entry and marked printed; its number.
    QString newPrintedTicket() {
        pickProducerAndProduct();
        m_ui.onModal[QStringLiteral("TForm10")] = [](QDialog& line) {
            button(line, QStringLiteral("Termék"))->click();
            static_cast<TForm10&>(line).field(QStringLiteral("S_BRUTTO"))->setText("80");
            button(line, QStringLiteral("OK"))->click();
            return line.result();
        };
        QString number;
        m_ui.onModal[QStringLiteral("TForm9")] = [&](QDialog& d) {
            auto& entry = static_cast<TForm9&>(d);
            entry.producerButton()->click();
            button(d, QStringLiteral("Új"))->click();
            button(d, QStringLiteral("OK"))->click();
            if (d.result() == QDialog::Accepted) number = entry.documentNumber();
            return d.result();
        };
        {
            TForm8 list(m_app);
            list.show();
            button(list, QStringLiteral("Új"))->click();
        }
        m_ui.onModal.clear();
        m_ui.messages.clear();
        if (number.isEmpty()) return number;
        Database& db = m_app.data().database();
        if (!db.inTransaction()) db.startTransaction();
        db.execute(QStringLiteral("UPDATE fjfej SET f_prn = 'I' WHERE f_bszam = ?"),
                   {Value::text(number)});
        db.commit();
        return number;
    }

    // A printed ticket voided with hostile texts in the voiding's inputs: the voiding document is
    // whole (header and every line negated) or absent, and the ticket is marked only when it is.
    void voiding() {
        // A refused voiding leaves its ticket voidable: the next input tries the same one.
        if (m_voidable.isEmpty()) m_voidable = newPrintedTicket();
        const QString ticket = m_voidable;
        if (ticket.isEmpty()) return outcome(false, false, {QStringLiteral("no ticket to void")});
        const std::vector<Value> key{Value::text(ticket)};
        const int ticketLines =
            scalar(QStringLiteral("SELECT count(*) FROM fjsor WHERE s_bszam = ?"), key).toInt();
        QStringList inputs;
        QString created;
        bool saved = false;
        m_ui.answers = {true};
        m_ui.onModal[QStringLiteral("TForm39")] = [&](QDialog& d) {
            auto& entry = static_cast<TForm39&>(d);
            created = entry.newNumber();
            inputs = spoil(d, m_texts);
            button(d, QStringLiteral("OK"))->click();
            saved = d.result() == QDialog::Accepted;
            if (d.isVisible()) d.reject();
            return d.result();
        };
        {
            TForm8 list(m_app);
            list.show();
            m_app.data().query("ZQ10").locate(QStringLiteral("f_bszam"), ticket, false, false);
            button(list, QStringLiteral("Érvénytelenit"))->click();
        }
        const std::vector<Value> voidKey{Value::text(created)};
        const int headers =
            scalar(QStringLiteral("SELECT count(*) FROM fjfej WHERE f_bszam = ?"), voidKey).toInt();
        const int lines =
            scalar(QStringLiteral("SELECT count(*) FROM fjsor WHERE s_bszam = ?"), voidKey).toInt();
        const QString mark =
            scalar(QStringLiteral("SELECT f_ervenyt FROM fjfej WHERE f_bszam = ?"), key);
        const bool whole = saved ? headers == 1 && lines == ticketLines && mark == created
                                 : headers == 0 && lines == 0 && mark.isEmpty();
        if (saved) m_voidable.clear();
        outcome(saved, whole, inputs);
    }

    // A year opening for a buyer without tickets, with hostile texts in its inputs: the buyer's
    // numbering row is written with the number given, or stays absent.
    void yearOpening() {
        static int buyers = 0;
        // Buyer codes hold five characters: base 36 gives 1.6 million fresh buyers.
        const QString buyer = QStringLiteral("Y%1").arg(++buyers, 4, 36, QLatin1Char('0'));
        Database& db = m_app.data().database();
        db.startTransaction();
        db.execute(QStringLiteral("INSERT INTO atvevo (v_akod, v_neve) VALUES (?, 'Év')"),
                   {Value::text(buyer)});
        db.commit();
        chooseBuyer(buyer);
        const std::vector<Value> key{Value::text(buyer)};
        QStringList inputs;
        bool saved = false;
        {
            TForm38 screen(m_app);
            screen.show();
            screen.newNumberField()->setText(
                QStringLiteral("5%1000").arg(buyers % 10000, 4, 10, QLatin1Char('0')));
            inputs = spoil(screen, m_texts);
            screen.saveButton()->click();
            saved = screen.result() == QDialog::Accepted;
            // Read in the opening's own transaction: a refusal must not have written even there.
            const int rows =
                scalar(QStringLiteral("SELECT count(*) FROM sorszam WHERE a_akod = ?"), key)
                    .toInt();
            const bool whole = saved ? rows == 1 : rows == 0;
            // The opening becomes permanent with the buyer's first ticket; here it ends at once.
            if (db.inTransaction()) saved ? db.commit() : db.rollback();
            outcome(saved, whole, inputs);
        }
        chooseBuyer(QStringLiteral("1"));
    }

    void chooseBuyer(const QString& code) {
        Query& q = m_app.data().query("ZQ60");
        q.close();
        q.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p1"));
        q.bindText("p1", code);
        q.open();
        RunValues& r = m_app.run();
        r.buyerCode = code;
        r.typeTicket = QStringLiteral("1");
        r.typeVoiding = QStringLiteral("4");
    }

    QString m_voidable;  // a printed ticket not voided yet
    int m_tried = 0;
    std::set<QString> m_unexpected;

private:
    App& m_app;
    RecordingUi& m_ui;
    HostileTexts m_texts;
};

int runChild(const QString& folder, const QString& screen, int count, unsigned seed) {
    QDir::setCurrent(folder);
    RecordingUi ui;
    auto app = App::start(ui);
    Child child(*app, ui, seed);
    child.chooseBuyer(screen == QLatin1String("buyer") ? QStringLiteral("H1")
                                                       : QStringLiteral("1"));
    const std::map<QString, std::function<void()>> screens{
        {QStringLiteral("producer"), [&] { child.producer(); }},
        {QStringLiteral("product"), [&] { child.product(); }},
        {QStringLiteral("buyer"), [&] { child.buyer(); }},
        {QStringLiteral("ticket"), [&] { child.ticket(); }},
        {QStringLiteral("voiding"), [&] { child.voiding(); }},
        {QStringLiteral("year_opening"), [&] { child.yearOpening(); }},
    };
    const auto run = screens.at(screen);
    for (int i = 0; i < count; ++i) run();
    for (const QString& e : child.m_unexpected) say(QStringLiteral("U|") + e);
    app->shutdown();
    return 0;
}

// ---------------------------------------------------------------- parent

int runParent(int count, unsigned seed, const QString& only) {
    QTemporaryDir dir;
    createDatabase(dir.path(), true);
    {
        QDir::setCurrent(dir.path());
        RecordingUi ui;
        auto app = App::start(ui);
        Database& db = app->data().database();
        db.startTransaction();
        db.execute(QStringLiteral("INSERT INTO atvevo (v_akod, v_neve, v_adoszam) VALUES ('H1', "
                                  "'Próba Kft', '12345676213')"),
                   {});
        db.commit();
        app->shutdown();
    }
    int tried = 0, saved = 0, refused = 0, crashes = 0, partial = 0, silent = 0;
    int general = 0;
    std::set<QString> unexpected;
    for (const char* screen :
         {"producer", "product", "buyer", "ticket", "voiding", "year_opening"}) {
        if (!only.isEmpty() && only != QLatin1String(screen)) continue;
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), dir.path(), QString::fromLatin1(screen),
                     QString::number(count), QString::number(seed)});
        int screenTried = 0, screenSaved = 0;
        const auto take = [&](const QString& line) {
            if (line == QLatin1String("S")) ++screenSaved;
            if (line == QLatin1String("S") || line == QLatin1String("R")) ++screenTried;
            if (line == QLatin1String("S"))
                ++saved, ++tried;
            else if (line == QLatin1String("R"))
                ++refused, ++tried;
            else if (line.startsWith(QLatin1String("F|partial")))
                ++partial;
            else if (line.startsWith(QLatin1String("F|silent")))
                ++silent;
            else if (line.startsWith(QLatin1String("U|")))
                unexpected.insert(line.mid(2));
            else if (line.startsWith(QLatin1String("G|")))
                ++general;
            if (line.startsWith(QLatin1String("M|"))) std::printf("%s\n", qUtf8Printable(line));
            if (line.startsWith(QLatin1String("V|"))) std::printf("%s\n", qUtf8Printable(line));
            if (line.startsWith(QLatin1String("F|")))
                std::printf("fault %s: %s\n", screen, qUtf8Printable(line.mid(2)));
            // A long round shows where it is, and what it found so far, every thousand inputs.
            if ((line == QLatin1String("S") || line == QLatin1String("R")) &&
                screenTried % 1000 == 0 && screenTried < count) {
                std::printf(
                    "progress %s_tried=%d saved=%d partial_writes=%d "
                    "refused_without_message=%d\n",
                    screen, screenTried, screenSaved, partial, silent);
                std::fflush(stdout);
            }
        };
        const auto takeLines = [&] {
            while (child.canReadLine()) take(QString::fromUtf8(child.readLine()).chopped(1));
        };
        while (!child.waitForFinished(1000)) {
            if (child.state() == QProcess::NotRunning) break;
            takeLines();
        }
        takeLines();
        const QString rest = QString::fromUtf8(child.readAllStandardOutput());
        if (!rest.isEmpty()) take(rest);
        std::printf("%s_tried=%d\n%s_saved=%d\n", screen, screenTried, screen, screenSaved);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            ++crashes;
            std::printf(
                "crash %s: %s\n", screen,
                qUtf8Printable(QString::fromUtf8(child.readAllStandardError()).right(2000)));
        }
    }
    for (const QString& e : unexpected) std::printf("general_error=%s\n", qUtf8Printable(e));
    std::printf(
        "inputs_tried=%d\nsaved=%d\nrefused_with_message=%d\ncrashes=%d\n"
        "partial_writes=%d\nrefused_without_message=%d\ngeneral_error_display=%d\n",
        tried, saved, refused - silent, crashes, partial, silent, general);
    return crashes + partial + silent == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    const QStringList args = qtApp.arguments().mid(1);
    try {
        if (args.size() == 5 && args.at(0) == QLatin1String("--child"))
            return runChild(args.at(1), args.at(2), args.at(3).toInt(), args.at(4).toUInt());
        return runParent(args.value(0, QStringLiteral("50")).toInt(),
                         args.value(1, QStringLiteral("19")).toUInt(), args.value(2));
    } catch (const std::exception& e) {
        std::printf("error=%s\n", e.what());
        return 2;
    }
}
