// Crash harness: a child process drives the real screens through their saves in a loop and
// reports each confirmed save on its standard output; the parent kills it with SIGKILL at random
// moments and after each kill checks the database file: gfix finds no error, every confirmed
// ticket is whole, a voiding is all or nothing and the numbering rows follow the issued numbers.
//
//   crash_harness [kills] [seed]        the parent (default: 5 kills, seed 19)
//   crash_harness --child folder seed   the child, started by the parent
//   crash_harness --study file.fdb      judges a kept file: damage, or only pending cleanup
//
// Prints name=value figures; exits non-zero when a ticket was lost or a check failed.

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "core/app.h"
#include "core/database.h"
#include "core/firebird_lock.h"
#include "core/tdata.h"
#include "registers/producer_entry.h"
#include "support/database_fixture.h"
#include "support/recording_ui.h"
#include "tickets/ticket_entry.h"
#include "tickets/ticket_list.h"
#include "tickets/year_opening.h"

namespace {

// Buyers added for year openings: each takes its own number range, 3kkkk000 upwards.
constexpr int extraBuyers = 1500;
QString extraBuyerCode(int k) {
    return QStringLiteral("E%1").arg(k, 4, 10, QLatin1Char('0'));
}
QString extraStart(int k) {
    return QStringLiteral("3%1").arg(k, 4, 10, QLatin1Char('0')) + QStringLiteral("000");
}

// ---------------------------------------------------------------- child

QPushButton* button(QWidget& screen, const QString& caption) {
    for (QPushButton* b : screen.findChildren<QPushButton*>())
        if (b->text() == caption) return b;
    throw std::runtime_error(("no button " + caption).toStdString());
}

QLineEdit* edit(QWidget& screen, const QString& name) {
    auto* e = screen.findChild<QLineEdit*>(name);
    if (!e) throw std::runtime_error(("no input " + name).toStdString());
    return e;
}

// One line to the parent, written whole before the next step starts.
void report(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) < 0) std::_Exit(3);
}

class Driver {
public:
    Driver(App& app, RecordingUi& ui, unsigned seed) : m_app(app), m_ui(ui), m_rng(seed) {}

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
        r.defaultStatement = q.text("V_NYILATK");
        r.printVariant =
            q.text("V_VERZIO").trimmed().isEmpty() ? QString() : q.text("V_VERZIO").left(1);
    }

    // The committed state of a ticket as this connection reads it after its save.
    void reportTicket(const QString& number) {
        Query& q = m_app.data().query("ZQ91");
        q.close();
        q.setSql(QStringLiteral(
            "SELECT f.f_sumvar, f.f_muvktg, f.f_ervenyt, (SELECT count(*) FROM fjsor s WHERE "
            "s.s_bszam = f.f_bszam), (SELECT sum(s_vetelar) FROM fjsor s WHERE s.s_bszam = "
            "f.f_bszam) FROM fjfej f WHERE f.f_bszam = :p1"));
        q.bindText("p1", number);
        q.open();
        QStringList fields{QStringLiteral("T"), number};
        for (int c = 0; c < 5; ++c) fields << q.valueAt(0, c).asText().trimmed();
        q.close();
        report(fields.join(QLatin1Char('|')));
    }

    void pickModal(const char* screen, const char* query, const char* column, QString code) {
        m_ui.onModal[QString::fromLatin1(screen)] = [this, query, column, code](QDialog&) {
            m_app.data().query(query).locate(QString::fromLatin1(column), code, false, false);
            return int(QDialog::Accepted);
        };
    }

    // The line entry takes a product with a quantity and writes the line.
    void lineWith(const QString& product, const QString& quantity) {
        pickModal("TForm6", "ZQ40", "T_KOD", product);
        m_ui.onModal["TForm10"] = [quantity](QDialog& d) {
            button(d, QStringLiteral("Termék"))->click();
            edit(d, QStringLiteral("S_BRUTTO"))->setText(quantity);
            button(d, QStringLiteral("OK"))->click();
            return d.result();
        };
    }

    QString quantity() { return QString::number(1 + m_rng() % 400) + QStringLiteral(",5"); }

    // A new ticket with one to three lines through the list's "Új".
    void newTicket() {
        const QStringList products{"1", "6", "2", "7"};
        bool saved = false;
        QString number;
        m_ui.onModal["TForm9"] = [&](QDialog& d) {
            auto& entry = static_cast<TForm9&>(d);
            number = entry.documentNumber();
            pickModal("TForm4", "ZQ30", "O_KOD", QStringLiteral("3"));
            entry.producerButton()->click();
            const int lines = 1 + int(m_rng() % 3);
            for (int i = 0; i < lines; ++i) {
                lineWith(products[int(m_rng() % products.size())], quantity());
                button(d, QStringLiteral("Új"))->click();
            }
            button(d, QStringLiteral("OK"))->click();
            saved = d.result() == QDialog::Accepted;
            return d.result();
        };
        TForm8 list(m_app);
        list.show();
        button(list, QStringLiteral("Új"))->click();
        if (saved) {
            reportTicket(number);
            m_tickets.push_back(number);
        }
    }

    // A confirmed ticket of this run, opened for change: its first line takes a new quantity.
    void changeLine() {
        if (m_tickets.empty()) return newTicket();
        const QString number = m_tickets[m_rng() % m_tickets.size()];
        TForm8 list(m_app);
        list.show();
        if (!m_app.data().query("ZQ10").locate(QStringLiteral("f_bszam"), number, false, false))
            return;
        bool saved = false;
        report(QStringLiteral("C|") + number);  // may be committed without its confirmation
        m_ui.onModal["TForm9"] = [&](QDialog& d) {
            m_ui.onModal["TForm10"] = [this](QDialog& line) {
                edit(line, QStringLiteral("S_BRUTTO"))->setText(quantity());
                button(line, QStringLiteral("OK"))->click();
                return line.result();
            };
            button(d, QStringLiteral("Módosít"))->click();
            button(d, QStringLiteral("OK"))->click();
            saved = d.result() == QDialog::Accepted;
            return d.result();
        };
        button(list, QStringLiteral("Módosít"))->click();
        if (saved) reportTicket(number);
    }

    // A confirmed ticket of this run voided from the list.
    void voidTicket() {
        if (m_tickets.empty()) return newTicket();
        const auto at = m_tickets.begin() + long(m_rng() % m_tickets.size());
        const QString number = *at;
        TForm8 list(m_app);
        list.show();
        if (!m_app.data().query("ZQ10").locate(QStringLiteral("f_bszam"), number, false, false)) {
            if (qEnvironmentVariableIsSet("CRASH_HARNESS_VERBOSE"))
                std::fprintf(stderr, "voiding: %s not in the list\n", qUtf8Printable(number));
            return;
        }
        QString created;
        report(QStringLiteral("C|") + number);
        m_ui.answers = {true};
        m_ui.onModal["TForm39"] = [&](QDialog& d) {
            created = edit(d, QStringLiteral("F_BSZAM"))->text();
            edit(d, QStringLiteral("F_KELT"))->setText(QStringLiteral("2026.06.10"));
            button(d, QStringLiteral("OK"))->click();
            return d.result();
        };
        button(list, QStringLiteral("Érvénytelenit"))->click();
        m_tickets.erase(at);  // voided, or refused: not taken again
        if (m_ui.messages.contains(QStringLiteral("Az érvénytelenítő bizonylat ") + created +
                                   QStringLiteral(" sorszámmal elkészült!"))) {
            report(QStringLiteral("V|%1|%2").arg(number, created));
            reportTicket(number);
            reportTicket(created);
        }
    }

    // A new producer through the producer entry.
    void newProducer() {
        static const std::pair<const char*, const char*> inputs[] = {
            {"O_NEV", "Kiss Anna"}, {"O_IRSZAM", "6000"},         {"O_HELYSEGNEV", "Kecskemét"},
            {"O_UTCA", "Fő"},       {"O_ADOAZON", "8347708363"},  {"O_ADOSZAM", "71689766103"},
            {"O_SZJA", "15"},       {"O_SZULHELY", "Szeged"},     {"O_SZIDO", "1962.03.14"},
            {"O_NEME", "2"},        {"O_ANYJA", "Nagy Éva"},      {"O_SZULNEV", "Tóth Anna"},
            {"O_FHAT", "8"},        {"O_ERVKELT1", "2021.01.01"}, {"O_FELIR", "KJ7273177"},
        };
        m_app.run().producerEntryMode = QStringLiteral("Új őstermelő");
        TForm5 entry(m_app);
        entry.show();
        for (const auto& [name, text] : inputs)
            entry.field(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
        const QString name = QStringLiteral("Kiss Anna %1").arg(m_rng() % 100000);
        entry.field(QStringLiteral("O_NEV"))->setText(name);
        const QString code = entry.field(QStringLiteral("O_KOD"))->text();
        button(entry, QStringLiteral("OK"))->click();
        if (entry.result() == QDialog::Accepted) report(QStringLiteral("P|%1|%2").arg(code, name));
    }

    // A year opening for a buyer without tickets, then that buyer's first ticket, whose commit
    // makes the opening permanent; buyer 1 is chosen again afterwards.
    void openYear() {
        Query& q = m_app.data().query("ZQ91");
        q.close();
        q.setSql(
            QStringLiteral("SELECT FIRST 1 v_akod FROM atvevo a WHERE v_akod STARTING WITH 'E' "
                           "AND NOT EXISTS (SELECT 1 FROM sorszam s WHERE s.a_akod = a.v_akod) "
                           "ORDER BY v_akod"));
        q.open();
        const QString buyer = q.isEmpty() ? QString() : q.text("v_akod");
        q.close();
        if (buyer.isEmpty()) return newTicket();
        chooseBuyer(buyer);
        TForm38 screen(m_app);
        screen.show();
        screen.newNumberField()->setText(extraStart(buyer.mid(1).toInt()));
        screen.saveButton()->click();
        if (qEnvironmentVariableIsSet("CRASH_HARNESS_VERBOSE"))
            std::fprintf(stderr, "year opening for %s: %d %s\n", qUtf8Printable(buyer),
                         screen.result(), qUtf8Printable(m_ui.messages.join('/')));
        if (screen.result() == QDialog::Accepted) newTicket();
        chooseBuyer(QStringLiteral("1"));
    }

    // Tickets of earlier runs that may still be changed or voided.
    void takeOpenTickets() {
        Query& q = m_app.data().query("ZQ91");
        q.close();
        q.setSql(QStringLiteral(
            "SELECT f_bszam FROM fjfej WHERE f_akod = '1' AND COALESCE(f_tipus, '1') = '1' AND "
            "TRIM(COALESCE(f_ervenyt, '')) = '' ORDER BY f_bszam"));
        q.open();
        q.fetchAll();
        for (int r = 0; r < q.rowCount(); ++r) m_tickets.push_back(q.valueAt(r, 0).asText());
        q.close();
    }

    void step() {
        m_ui.messages.clear();
        switch (m_rng() % 10) {
            case 0:
            case 1:
            case 2:
            case 3:
                newTicket();
                break;
            case 4:
            case 5:
                changeLine();
                break;
            case 6:
            case 7:
                voidTicket();
                break;
            case 8:
                newProducer();
                break;
            default:
                openYear();
                break;
        }
    }

private:
    App& m_app;
    RecordingUi& m_ui;
    std::mt19937 m_rng;
    std::vector<QString> m_tickets;
};

int runChild(const QString& folder, unsigned seed) {
    QDir::setCurrent(folder);
    RecordingUi ui;
    auto app = App::start(ui);
    app->run().programFile = folder + QStringLiteral("/termaro");
    Driver driver(*app, ui, seed);
    driver.chooseBuyer(QStringLiteral("1"));
    driver.takeOpenTickets();
    report(QStringLiteral("R"));
    for (;;) driver.step();
}

// ---------------------------------------------------------------- parent

struct Figures {
    int kills = 0;
    int confirmedTickets = 0;
    int confirmedVoidings = 0;
    int confirmedProducers = 0;
    int confirmedLineChanges = 0;
    int confirmedYearOpenings = 0;
    int lost = 0;
    int validationErrors = 0;
    int validationWarnings = 0;
    int validationPendingCleanup = 0;  // errors that a sweep of a copy cleared
    int halfVoidings = 0;
    int numberingFaults = 0;
};

struct Expected {
    std::map<QString, QStringList> tickets;  // number → T fields after the number
    std::map<QString, QString> producers;    // code → name
    std::set<QString> changing;              // a change started, its confirmation not seen
    std::set<QString> lost;
};

QList<QStringList> rowsOf(Database& db, const QString& sql, const std::vector<Value>& params = {}) {
    QList<QStringList> rows;
    auto cursor = db.open(sql, params);
    QByteArray row;
    while (cursor->fetch(row)) {
        QStringList fields;
        for (int c = 0; c < int(cursor->fieldNames().size()); ++c)
            fields << Cursor::unpack(row, c).asText().trimmed();
        rows << fields;
    }
    return rows;
}

// Runs a Firebird tool; its merged output, with the reason when it did not run to a zero exit.
bool runTool(const QString& program, const QStringList& arguments, QString& output) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    const bool finished = tool.waitForFinished(120000);
    output = QString::fromLocal8Bit(tool.readAll()).trimmed();
    if (!finished)
        output += QStringLiteral(" (%1 did not run: %2)").arg(program, tool.errorString());
    return finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

// gfix's full validation; any output or a non-zero exit is a finding. With `noUpdate` the file is
// left as it is (no orphan page freed).
bool validates(const QString& file, QString& output, bool noUpdate = false) {
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("-full")};
    if (noUpdate) arguments << QStringLiteral("-n");
    arguments << QStringLiteral("-user") << TData::userName << file;
    return runTool(QStringLiteral("gfix"), arguments, output) && output.isEmpty();
}

// After a kill gfix may find a row deleted by a committed transaction whose index entries the
// garbage collector had already removed on disk while the row itself, a delete stub with its back
// version, still sat on its data page: the engine removes the entries first so that no index ever
// points at a slot a new row may take. No transaction can see such a row and the engine expunges
// it on its next read of the table or sweep, but gfix counts the stub as a live row and reports
// "Index N is corrupt {missing entries for record M}". Rows inserted and deleted at a fast pace
// (number holds, replaced lines) make it likely. Such a finding is told apart from damage on a
// copy: every error the engine's validation details must be a missing entry, and a sweep of the
// copy must leave it validating clean. `copy` is changed (swept); `detail` gets the engine's
// validation lines, the sweep's output and the validation after it.
bool onlyPendingCleanup(const QString& copy, QString& detail) {
    runTool(QStringLiteral("fbsvcmgr"),
            {QStringLiteral("service_mgr"), QStringLiteral("-user"), TData::userName,
             QStringLiteral("action_validate"), QStringLiteral("dbname"), copy},
            detail);
    static const QRegularExpression errorLine(QStringLiteral("Error: (.*)$"),
                                              QRegularExpression::MultilineOption);
    static const QRegularExpression missingEntries(
        QStringLiteral("^Index \\d+ is corrupt \\{missing entries for record \\d+\\}"));
    bool onlyMissingEntries = true;
    for (auto it = errorLine.globalMatch(detail); it.hasNext();)
        onlyMissingEntries =
            onlyMissingEntries && missingEntries.match(it.next().captured(1).trimmed()).hasMatch();
    QString sweepOutput;
    QString afterSweep;
    const bool sweptClean =
        runTool(QStringLiteral("gfix"),
                {QStringLiteral("-sweep"), QStringLiteral("-user"), TData::userName, copy},
                sweepOutput) &&
        validates(copy, afterSweep, true);
    detail += QStringLiteral("\n-- sweep: %1\n-- validation after the sweep: %2\n")
                  .arg(sweepOutput, afterSweep.isEmpty() ? QStringLiteral("clean") : afterSweep);
    return onlyMissingEntries && sweptClean;
}

// The file gfix complained about is kept in crash_harness_kept/kill-N under the working folder
// (termaro.fdb as it was, gfix's summary, the child's last reports, the engine's detail); a second
// copy is swept. Returns whether the finding is only cleanup the killed engine left pending.
bool keepForStudy(const QString& file, int kill, const QString& gfixOutput,
                  const QByteArray& received) {
    const QString kept =
        QDir::current().absoluteFilePath(QStringLiteral("crash_harness_kept/kill-%1").arg(kill));
    QDir().mkpath(kept);
    const QString copy = kept + QStringLiteral("/termaro.fdb");
    const QString swept = kept + QStringLiteral("/termaro-swept.fdb");
    const auto write = [&kept](const char* name, const QByteArray& bytes) {
        QFile f(kept + QLatin1Char('/') + QLatin1String(name));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    };
    write("gfix.txt", gfixOutput.toUtf8() + '\n');
    write("child_reports.txt", received);
    if (!QFile::copy(file, copy) || !QFile::copy(file, swept)) {
        std::fprintf(stderr, "kept %s without the database file: it could not be copied\n",
                     qUtf8Printable(kept));
        return false;
    }
    QString detail;
    const bool pending = onlyPendingCleanup(swept, detail);
    write("validation_detail.txt", detail.toUtf8());
    std::fprintf(stderr, "kept %s: %s\n", qUtf8Printable(kept),
                 pending ? "only deleted rows awaiting garbage collection, clean after a sweep"
                         : "damage: see validation_detail.txt");
    return pending;
}

// For a kept file: the same judgement on a copy beside it, printed whole.
int study(const QString& file) {
    const QString copy = file + QStringLiteral(".study");
    QFile::remove(copy);
    if (!QFile::copy(file, copy)) {
        std::fprintf(stderr, "%s could not be copied to %s\n", qUtf8Printable(file),
                     qUtf8Printable(copy));
        return 2;
    }
    QString gfixOutput;
    const bool clean = validates(file + QStringLiteral(".study"), gfixOutput, true);
    QString detail;
    const bool pending = !clean && onlyPendingCleanup(copy, detail);
    QFile::remove(copy);
    std::printf("gfix: %s\n%s\nverdict=%s\n",
                qUtf8Printable(clean ? QStringLiteral("clean") : gfixOutput),
                qUtf8Printable(detail),
                clean     ? "clean"
                : pending ? "pending_cleanup"
                          : "damage");
    return clean || pending ? 0 : 1;
}

void check(const QString& folder, const QByteArray& received, Expected& expected,
           Figures& figures) {
    const QString file = folder + QStringLiteral("/termaro.fdb");
    QString gfixOutput;
    // Warnings (a page left allocated by the killed process) are repaired by the engine itself;
    // errors, or a failure without a summary, count unless a sweep clears them.
    if (!validates(file, gfixOutput)) {
        const auto has = [&gfixOutput](const char* kind) {
            return QRegularExpression(
                       QStringLiteral("^\\s*Number of [a-z ]+ %1\\s*:").arg(QLatin1String(kind)),
                       QRegularExpression::MultilineOption)
                .match(gfixOutput)
                .hasMatch();
        };
        std::fprintf(stderr, "gfix after kill %d: %s\n", figures.kills, qUtf8Printable(gfixOutput));
        if (!has("errors") && has("warnings")) {
            ++figures.validationWarnings;
        } else if (keepForStudy(file, figures.kills, gfixOutput, received)) {
            ++figures.validationPendingCleanup;
        } else {
            ++figures.validationErrors;
        }
    }
    Database db;
    db.attach(file, TData::userName, TData::password, TData::charset);
    const QString ticketSql = QStringLiteral(
        "SELECT f.f_sumvar, f.f_muvktg, f.f_ervenyt, (SELECT count(*) FROM fjsor s WHERE "
        "s.s_bszam = f.f_bszam), (SELECT sum(s_vetelar) FROM fjsor s WHERE s.s_bszam = "
        "f.f_bszam) FROM fjfej f WHERE f.f_bszam = ?");
    for (const auto& [number, fields] : std::map(expected.tickets)) {
        const auto rows = rowsOf(db, ticketSql, {Value::text(number)});
        if (rows.size() == 1 && rows.first() != fields && expected.changing.count(number) &&
            rows.first()[0] == rows.first()[4]) {
            // A change committed just before the kill, before it was confirmed: whole, taken.
            expected.tickets[number] = rows.first();
            continue;
        }
        if ((rows.size() != 1 || rows.first() != fields) && !expected.lost.count(number)) {
            expected.lost.insert(number);
            ++figures.lost;
            std::fprintf(
                stderr, "ticket %s: expected %s, found %s\n", qUtf8Printable(number),
                qUtf8Printable(fields.join('|')),
                qUtf8Printable(rows.isEmpty() ? QString("nothing") : rows.first().join('|')));
        }
    }
    for (const auto& [code, name] : expected.producers) {
        const auto rows = rowsOf(db, QStringLiteral("SELECT o_nev FROM ostermelo WHERE o_kod = ?"),
                                 {Value::text(code)});
        if ((rows.size() != 1 || rows.first().first() != name) && !expected.lost.count(code)) {
            expected.lost.insert(code);
            ++figures.lost;
            std::fprintf(stderr, "producer %s lost\n", qUtf8Printable(code));
        }
    }
    // Every voiding document and its voided ticket point at each other, with negated lines.
    const auto halves = rowsOf(
        db, QStringLiteral(
                "SELECT v.f_bszam FROM fjfej v LEFT JOIN fjfej o ON o.f_bszam = v.f_ervenyt "
                "WHERE v.f_tipus = '4' AND (o.f_bszam IS NULL OR o.f_ervenyt IS DISTINCT FROM "
                "v.f_bszam OR (SELECT count(*) FROM fjsor s WHERE s.s_bszam = v.f_bszam) <> "
                "(SELECT count(*) FROM fjsor s WHERE s.s_bszam = o.f_bszam) OR "
                "(SELECT sum(s_vetelar) FROM fjsor s WHERE s.s_bszam = v.f_bszam) <> "
                "-(SELECT sum(s_vetelar) FROM fjsor s WHERE s.s_bszam = o.f_bszam)) "
                "UNION ALL SELECT o.f_bszam FROM fjfej o WHERE COALESCE(o.f_tipus, '1') <> '4' "
                "AND TRIM(COALESCE(o.f_ervenyt, '')) <> '' AND NOT EXISTS (SELECT 1 FROM fjfej "
                "v WHERE v.f_bszam = o.f_ervenyt AND v.f_tipus = '4')"));
    figures.halfVoidings += int(halves.size());
    for (const auto& row : halves)
        std::fprintf(stderr, "half voiding %s\n", qUtf8Printable(row[0]));
    // The numbering row of a buyer with tickets is its highest issued number.
    const auto numbering = rowsOf(
        db, QStringLiteral("SELECT s.a_akod, s.a_fjbszam, (SELECT max(f_bszam) FROM fjfej f WHERE "
                           "f.f_akod = s.a_akod) FROM sorszam s"));
    for (const auto& row : numbering) {
        if (row[2].isEmpty() || row[1] == row[2]) continue;
        ++figures.numberingFaults;
        std::fprintf(stderr, "numbering of %s: %s, highest issued %s\n", qUtf8Printable(row[0]),
                     qUtf8Printable(row[1]), qUtf8Printable(row[2]));
    }
    db.rollback();
    db.detach();
}

// Takes the complete lines the child wrote; the last unfinished one was not confirmed.
void takeReports(const QByteArray& bytes, Expected& expected, Figures& figures) {
    for (const QByteArray& raw : bytes.split('\n')) {
        const QStringList f = QString::fromUtf8(raw).split(QLatin1Char('|'));
        if (f[0] == QLatin1String("C") && f.size() == 2) {
            expected.changing.insert(f[1]);
        } else if (f[0] == QLatin1String("T") && f.size() == 7) {
            expected.changing.erase(f[1]);
            if (expected.tickets.count(f[1])) {
                ++figures.confirmedLineChanges;
            } else {
                ++figures.confirmedTickets;
                if (f[1].startsWith(QLatin1Char('3'))) ++figures.confirmedYearOpenings;
            }
            expected.tickets[f[1]] = f.mid(2);
        } else if (f[0] == QLatin1String("V")) {
            ++figures.confirmedVoidings;
        } else if (f[0] == QLatin1String("P") && f.size() == 3) {
            ++figures.confirmedProducers;
            expected.producers[f[1]] = f[2];
        }
    }
}

void addBuyers(const QString& folder) {
    Database db;
    db.attach(folder + QStringLiteral("/termaro.fdb"), TData::userName, TData::password,
              TData::charset);
    for (int k = 1; k <= extraBuyers; ++k)
        db.execute(
            QStringLiteral("INSERT INTO atvevo (v_neve, v_akod, v_nyilatk) VALUES (?, ?, ?)"),
            {Value::text(QStringLiteral("Átvevő %1").arg(k)), Value::text(extraBuyerCode(k)),
             Value::text(QStringLiteral("Nyilatkozom."))});
    db.commit();
    db.detach();
}

void printFigures(const Figures& figures, qint64 elapsedMs);

int runParent(int kills, unsigned seed) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    createDatabase(folder, true);
    addBuyers(folder);
    QFile settings(folder + QStringLiteral("/termaroform9.ini"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write(
            "[Form9]\r\nEdit14Visible=1\r\nEdit14Text=0\r\nEdit15Visible=1\r\n"
            "Edit15Text=0\r\nEdit13Visible=1\r\nEdit13Text=0\r\n");
    settings.close();

    // Forced writes: every page written reaches the disk before the save is confirmed.
    QProcess header;
    header.start(QStringLiteral("fbstat"),
                 {QStringLiteral("-h"), folder + QStringLiteral("/termaro.fdb")});
    header.waitForFinished(60000);
    const bool forcedWrites = header.readAllStandardOutput().contains("force write");
    std::printf("forced_writes=%d\n", forcedWrites ? 1 : 0);

    std::mt19937 rng(seed);
    Expected expected;
    Figures figures;
    const QByteArray self = QCoreApplication::applicationFilePath().toLocal8Bit();
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < kills; ++round) {
        int out[2];
        if (::pipe(out) != 0) return 2;
        const QByteArray folderBytes = folder.toLocal8Bit();
        const QByteArray seedBytes = QByteArray::number(seed * 7919u + unsigned(round));
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a parent that was stopped
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(self.constData(), self.constData(), "--child", folderBytes.constData(),
                    seedBytes.constData(), static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        ::close(out[1]);
        // Killed at a random moment after the child is ready; now and then during its start.
        const bool duringStart = rng() % 10 == 0;
        const int delayMs = duringStart ? int(rng() % 300) : int(rng() % 4000);
        QByteArray received;
        QElapsedTimer wait;
        wait.start();
        bool ready = duringStart;
        int exitedEarly = 0;
        for (;;) {
            const int left = ready ? delayMs - int(wait.elapsed()) : 30000 - int(wait.elapsed());
            if (left <= 0) break;
            pollfd p{out[0], POLLIN, 0};
            if (::poll(&p, 1, left) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n <= 0) {
                exitedEarly = 1;
                break;
            }
            received.append(buffer, n);
            if (!ready && received.startsWith("R\n")) {
                ready = true;
                wait.restart();
            }
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) received.append(buffer, n);
        ::close(out[0]);
        if (exitedEarly) {
            std::fprintf(stderr, "child ended by itself (status %d)\n", status);
            ++figures.validationErrors;
        }
        ++figures.kills;
        expected.changing.clear();
        takeReports(received, expected, figures);
        check(folder, received, expected, figures);
        if (figures.kills % 100 == 0 && figures.kills < kills)
            printFigures(figures, clock.elapsed());
    }
    printFigures(figures, clock.elapsed());
    return !forcedWrites || figures.lost + figures.validationErrors + figures.halfVoidings +
                                    figures.numberingFaults ==
                                0
               ? 0
               : 1;
}

void printFigures(const Figures& figures, qint64 elapsedMs) {
    std::printf("kills=%d\n", figures.kills);
    std::printf("tickets_confirmed=%d\n", figures.confirmedTickets);
    std::printf("voidings_confirmed=%d\n", figures.confirmedVoidings);
    std::printf("producers_confirmed=%d\n", figures.confirmedProducers);
    std::printf("tickets_lost=%d\n", figures.lost);
    std::printf("validation_errors=%d\n", figures.validationErrors);
    std::printf("validation_warnings=%d\n", figures.validationWarnings);
    std::printf("validation_errors_cleared_by_sweep=%d\n", figures.validationPendingCleanup);
    std::printf("half_voidings=%d\n", figures.halfVoidings);
    std::printf("numbering_faults=%d\n", figures.numberingFaults);
    std::printf("line_changes_confirmed=%d\n", figures.confirmedLineChanges);
    std::printf("year_openings_confirmed=%d\n", figures.confirmedYearOpenings);
    std::printf("run_s=%lld\n", elapsedMs / 1000);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TERMARO_SPLASH_MS", "0");
    useWritableFirebirdLockFolder();
    QApplication qt(argc, argv);
    try {
        if (argc == 3 && QByteArray(argv[1]) == "--study")
            return study(QString::fromLocal8Bit(argv[2]));
        if (argc >= 4 && QByteArray(argv[1]) == "--child")
            return runChild(QString::fromLocal8Bit(argv[2]), unsigned(std::atoi(argv[3])));
        const int kills = argc >= 2 ? std::atoi(argv[1]) : 5;
        const unsigned seed = argc >= 3 ? unsigned(std::atoi(argv[2])) : 19u;
        return runParent(kills, seed);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
}
