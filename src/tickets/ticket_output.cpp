#include "tickets/ticket_output.h"

#include "core/app.h"
#include "core/guard.h"
#include "core/report_request.h"
#include "tickets/amount_in_words.h"
#include "tickets/ticket_amounts.h"

namespace {
const QString signatureDots(77, QLatin1Char('.'));
const QString producerSignature = QStringLiteral(" a mezögazd. tevék. folytató adóalany aláirása");
const QString printedMark = QStringLiteral("I");

// Closes a pool query and gives it a one-line statement.
Query& statement(App& app, const char* name, const QString& sql) {
    Query& q = app.data().query(QString::fromLatin1(name));
    q.close();
    q.clearSql();
    q.addSql(sql);
    return q;
}

// Marks the ticket printed and brings the list back onto it; a failure is told and the
// output goes on without the mark.
void markPrinted(App& app, const QString& number) {
    const QString failed = QStringLiteral("Hiba81: prn UPDATE Fjfej-be ");
    const bool marked = guardQuietly(failed, [&] {
        Query& q = statement(app, "ZQ11",
                             QStringLiteral("UPDATE Fjfej SET f_prn = :p2 WHERE f_Bszam = :p1"));
        q.bindText("p1", number);
        q.bindText("p2", printedMark);
        q.execSql();
        Query& list = app.data().query("ZQ10");
        list.close();
        list.open();  // the statement and parameters it had
        list.locate(QStringLiteral("f_bszam"), number, true, false);
    });
    if (!marked) app.ui().message(failed);
}
}  // namespace

PrintedAmounts printedAmounts(double far, double kar, double ticketTotal, double szjaPercent,
                              double contributionPercent, double deduction, bool transfer,
                              const QString& printVariant) {
    PrintedAmounts a;
    a.far = far;
    a.kar = kar;
    a.ticketTotal = ticketTotal;
    a.szjaPercent = szjaPercent;
    a.szjaWithheld = szjaWithheld(szjaPercent, ticketTotal);
    a.contributionPercent = contributionPercent;
    double base = ticketTotal - a.szjaWithheld;
    if (printVariant == QLatin1String("L")) base = far;
    if (printVariant == QLatin1String("O")) base = ticketTotal;
    a.memberContribution = memberContribution(contributionPercent, base);
    a.deduction = deduction;
    a.payable =
        payableAmount(ticketTotal, a.szjaWithheld, a.memberContribution, deduction, transfer);
    return a;
}

void setTicketVariables(QVariantMap& v, const PrintedAmounts& a, const TicketTexts& t) {
    v["v_far"] = a.far;
    v["v_kar"] = a.kar;
    v["v_var"] = a.ticketTotal;
    v["v_szja"] = a.szjaPercent;
    v["v_szja2"] = a.szjaWithheld;
    v["v_jszaz"] = a.contributionPercent;
    v["v_jarul"] = a.memberContribution;
    v["v_levon"] = a.deduction;

    const QString payable = QString::number(a.payable);
    const QString inWords = amountInWords(static_cast<int>(a.payable));
    v["v_kif"] = payable;
    v["v_azaz"] = inWords + QStringLiteral(" 00/100 Forint");

    if (t.transfer) {
        v["v_fizmod"] = QStringLiteral("Fizetés módja: Átutalás");
        v["v_utal"] = QStringLiteral("Átutalás határideje:  ") + t.paymentDate;
        for (const char* name : {"v_kp1", "v_kp2", "v_kp3", "v_kp4", "v_kp5"})
            v[QString::fromLatin1(name)] = QString();
    } else {
        v["v_fizmod"] = QStringLiteral("Fizetés módja: Kp.");
        v["v_utal"] = QStringLiteral(" ");
        v["v_kp1"] =
            (a.szjaWithheld > 0 ? QStringLiteral("Az adóelöleggel csökkentett vételár összegét ")
                                : QStringLiteral("A vételár összegét ")) +
            payable + QStringLiteral(" Ft -ot, azaz");
        v["v_kp2"] = inWords + QStringLiteral(" 00/100 Forint -ot a mai napon átvettem.");
        v["v_kp3"] = QStringLiteral("Az összeg átvételének idöpontja:") + t.paymentDate;
        v["v_kp4"] = signatureDots;
        v["v_kp5"] = producerSignature;
    }

    // A statement shorter than six characters is a leftover blank, not a statement.
    const bool statement = t.statement.size() >= 6;
    v["v_nyilatk1"] =
        statement ? QStringLiteral("Nyilatkozat: ") + t.statement.trimmed() : QStringLiteral(" ");
    v["v_nyilatk2"] = statement ? signatureDots : QStringLiteral(" ");
    v["v_nyilatk3"] = statement ? producerSignature : QStringLiteral("  ");
}

QString ticketTemplateFile(const QString& printVariant) {
    return QStringLiteral("FjLista7") + printVariant + QStringLiteral(".frf");
}

bool outputTicket(App& app) {
    TData& data = app.data();
    RunValues& run = app.run();
    Query& list = data.query("ZQ10");
    if (!list.active() || list.isEmpty()) return false;
    const QString number = list.text("f_bszam");

    Query& lines =
        statement(app, "ZQ20", QStringLiteral("SELECT * FROM fjsor WHERE s_bszam = :p0"));
    lines.bindText("p0", number);
    lines.open();

    Query& producer =
        statement(app, "ZQ30", QStringLiteral("SELECT * FROM ostermelo WHERE o_kod = :p0"));
    producer.bindText("p0", list.text("f_ostermkod"));
    producer.open();
    QVariantMap& variables = data.reportVariables();
    variables["v_ostermeloutca"] = data.ost_utca();

    openCurrentBuyer(app);
    variables["v_atvevoutca"] = data.atv_utca();

    Query& sums = data.query("ZQ21");
    sums.close();
    sums.clearSql();
    sums.addSql(QStringLiteral(
        "SELECT s_bszam, SUM(s_Felvar) AS far, SUM(s_Kompfelar) AS kar, SUM(s_Vetelar) AS var"));
    sums.addSql(QStringLiteral("FROM Fjsor LEFT JOIN Fjfej ON FjFej.f_bszam = Fjsor.s_bszam"));
    sums.addSql(QStringLiteral("WHERE s_Bszam= :p1 GROUP BY s_Bszam"));
    sums.bindText("p1", number);
    sums.open();
    Query& header =
        statement(app, "ZQ11", QStringLiteral("SELECT * FROM Fjfej WHERE f_Bszam= :p1"));
    header.bindText("p1", number);
    header.open();

    const bool transfer = list.text("f_utal") == QLatin1String("x");
    const PrintedAmounts amounts = printedAmounts(
        sums.number("far"), sums.number("kar"), sums.number("var"), header.number("f_szja"),
        header.number("f_jarulszaz"), header.number("f_levonas"), transfer, run.printVariant);
    setTicketVariables(variables, amounts,
                       {transfer, header.text("f_fizkelt"), list.text("f_nyilatk")});

    const bool view = run.printMode == QLatin1String("Megtekint");
    if (list.text("f_prn") == printedMark) {
        variables["v_masolat"] = QStringLiteral("MÁSOLATI PÉLDÁNY");
    } else {
        variables["v_masolat"] = QStringLiteral(" ");
        if (run.printMode == QLatin1String("Nyomtat")) markPrinted(app, number);
    }

    variables["v_ervenyteleniti"] = list.text("f_tipus") != QLatin1String("1")
                                        ? QStringLiteral("Érvényteleníti a ") +
                                              list.text("f_ervenyt") +
                                              QStringLiteral(" számú bizonylatot.")
                                        : QString();

    const QString documentName =
        (list.text("f_tipus") != QLatin1String("1") ? QStringLiteral("ervenytelenito_")
                                                    : QStringLiteral("felvasarlasi_jegy_")) +
        number;
    reportRequest(app, view ? ReportComponent::frMegtekint : ReportComponent::frNyomtat,
                  ticketTemplateFile(run.printVariant), false, documentName);
    return true;
}
