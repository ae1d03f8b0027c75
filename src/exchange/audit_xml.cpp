#include "exchange/audit_xml.h"

#include <QFile>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

#include "core/app.h"
#include "core/clock.h"
#include "core/database.h"
#include "core/safe_file.h"
#include "core/write.h"
#include "exchange/xml_escape.h"

namespace audit {
namespace {

// The range filters, chosen by the program; every value is bound.
QString rangeClause(const AuditRange& range) {
    if (range.byNumber)
        return QStringLiteral("WHERE ( f_bszam >= :p4) AND (f_bszam <= :p5) AND (f_akod = :p3)");
    if (range.byPurchaseDate)
        return QStringLiteral(
            "WHERE ( f_felvkelt >= :p1) AND (f_felvkelt <= :p2) AND (f_akod = :p3)");
    return QStringLiteral("WHERE ( f_kelt >= :p1) AND (f_kelt <= :p2) AND (f_akod = :p3)");
}

void bindRange(Query& q, const AuditRange& range, const QString& buyer) {
    if (range.byNumber) {
        q.bindText("p4", range.fromNumber);
        q.bindText("p5", range.toNumber);
    } else {
        q.bindDate("p1", range.from);
        q.bindDate("p2", range.to);
    }
    q.bindText("p3", buyer);
}

// The first column of every row of a statement run on `q`, as trimmed text.
QStringList firstColumn(Query& q) {
    q.open();
    QStringList values;
    for (q.first(); !q.eof(); q.next()) values << q.valueAt(q.recNo(), 0).asText().trimmed();
    q.close();
    return values;
}

QString numberList(const QStringList& numbers) {
    constexpr int shown = 20;
    QString text = numbers.mid(0, shown).join(QStringLiteral(", "));
    if (numbers.size() > shown) text += QStringLiteral(", …");
    return text;
}

// Lists the tickets of the range that the staging would lose or double, or that cannot be
// staged; true when there is none.
bool rangeIsWhole(App& app, const AuditRange& range) {
    Query& q = app.data().query("ZQ22");
    const QString where = rangeClause(range);
    const QString buyer = app.run().buyerCode;
    const auto list = [&](const QString& sql) {
        q.close();
        q.setSql(sql);
        bindRange(q, range, buyer);
        return firstColumn(q);
    };
    const QStringList orphans = list(
        "SELECT f_bszam FROM fjfej LEFT JOIN ostermelo ON f_ostermkod = o_kod LEFT JOIN atvevo ON "
        "v_akod = f_akod " +
        where + " AND (o_kod IS NULL OR v_akod IS NULL) ORDER BY f_bszam");
    if (!orphans.isEmpty()) {
        app.ui().message(QStringLiteral("Javitandó! Nincs meg az őstermelő vagy az átvevő adata "
                                        "a(z) %1 bizonylatnál!")
                             .arg(numberList(orphans)));
        return false;
    }
    const QStringList doubled = list(
        "SELECT f_bszam FROM fjfej JOIN ostermelo ON f_ostermkod = o_kod JOIN atvevo ON v_akod = "
        "f_akod " +
        where + " GROUP BY f_bszam HAVING count(*) > 1 ORDER BY f_bszam");
    if (!doubled.isEmpty()) {
        app.ui().message(QStringLiteral("Javitandó! Többször szerepel a(z) %1 bizonylatszám "
                                        "(ismétlődő őstermelő vagy átvevő kód)!")
                             .arg(numberList(doubled)));
        return false;
    }
    const QStringList undated = list(
        "SELECT f_bszam FROM fjfej JOIN ostermelo ON f_ostermkod = o_kod JOIN atvevo ON v_akod = "
        "f_akod " +
        where +
        " AND (f_kelt IS NULL OR f_felvkelt IS NULL OR f_fizkelt IS NULL) ORDER BY f_bszam");
    if (!undated.isEmpty()) {
        app.ui().message(QStringLiteral("Hiba401: NAV INSERT -ben\nHiányzik a kiállítás, a "
                                        "felvásárlás vagy a fizetés dátuma: %1")
                             .arg(numberList(undated)));
        return false;
    }
    return true;
}

bool emptyTable(App& app, const QString& table) {
    const QString sql = QStringLiteral("DELETE FROM %1 ").arg(table);
    return runWrite(app, QStringLiteral("Hiba402: az delete közben a %1-ben!").arg(table),
                    QStringLiteral("Hiba401: %1 DELETE törlésekor").arg(table), [&] {
                        Query& q = app.data().query("ZQ21");
                        q.close();
                        q.setSql(sql);
                        q.execSql();
                    });
}

const char* const stagingInsert =
    "INSERT INTO NAVFEJ (FE_SZLASORSZAM, FE_SZLADATUM, FE_TELJDATUM, NE_FIZ_MOD, TE_ARENGEDM, "
    "FE_SZLATIPUS, MO_EREDETI_SORSZAM, NE_FIZ_HATARIDO, SZJA_BRUTTOAR, TAGI_BRUTTOAR, "
    "LEV_BRUTTOAR, KI_NEV, KI_IRANYITOSZAM, KI_TELEPULES, KI_KOZTERULET_NEVE, KI_ADOSZAM, "
    "NE_KIBOCSATO_BANKSZLA, KI_KERULET, KI_KOZTERULET_JELLEGE, KI_HAZSZAM, KI_EPULET, "
    "KI_LEPCSOHAZ, KI_SZINT, KI_AJTO, VE_NEV, VE_IRANYITOSZAM, VE_TELEPULES, VE_KOZTERULET_NEVE, "
    "VE_ADOSZAM, NE_BEFOGADO_BANKSZLA, VE_KERULET, VE_KOZTERULET_JELLEGE, VE_HAZSZAM, VE_EPULET, "
    "VE_LEPCSOHAZ, VE_SZINT, VE_AJTO, KI_EGYENI_VALLALKOZO, KI_EV_NYILV_TART_SZAM, KI_EV_NEVE, "
    "ZA_ONSZAMLA, NE_PENZNEM, NE_SZLA_FORMA, TE_ADOKULCS, TE_ADOERTEK, KI_KISADOZO, "
    "KI_KOZADOSZAM, VE_KOZADOSZAM)\n"
    "SELECT f_bszam, f_kelt, f_felvkelt, f_utal, 0, f_tipus, f_ervenyt, f_fizkelt, "
    "f_szjalevon * -1, f_tagilevon * -1, f_levonas * -1, v_neve, v_irszam, v_helyseg, v_utca, "
    "v_adoszam, v_bankszla, v_kerulet, v_jelleg, v_hazszam, v_epulet, v_lepcso, v_szint, v_ajto, "
    "o_nev, o_irszam, o_helysegnev, o_utca, o_adoszam, o_bankszla, o_kerulet, o_jelleg, "
    "o_hazszam, o_epulet, o_lepcso, o_szint, o_ajto, v_ev, v_evnyilv, v_ev_neve, "
    "CAST(:p6 AS VARCHAR(250)), 'Ft', CAST(:p7 AS VARCHAR(250)), 0, 0, v_kisado, v_kozadoszam, "
    "o_kozadoszam\n"
    "FROM fjfej JOIN ostermelo ON f_ostermkod = o_kod JOIN atvevo ON v_akod = f_akod";

void openCollection(App& app, const AuditRange& range) {
    Query& q = app.data().query("ZQ21");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral(
        "SELECT * FROM fjfej JOIN ostermelo ON f_ostermkod = o_kod JOIN atvevo ON v_akod = "
        "f_akod"));
    q.addSql(rangeClause(range));
    bindRange(q, range, app.run().buyerCode);
    q.open();
}

}  // namespace

bool collect(App& app, const AuditRange& range, const QString& selfBilling,
             const QString& invoiceForm) {
    Ui& ui = app.ui();
    if (range.from > range.to) {
        ui.message(QStringLiteral("Dátum tól-ig hiba."));
        return false;
    }
    // A staging that cannot be emptied would mix two collections.
    if (!emptyTable(app, QStringLiteral("NAVFEJ")) || !emptyTable(app, QStringLiteral("NAVSOR")))
        return false;

    Query& buyer = app.data().query("ZQ60");
    buyer.close();
    buyer.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p0"));
    buyer.bindText("p0", app.run().buyerCode);
    buyer.open();
    if (buyer.text("V_UTCA").trimmed().isEmpty()) {
        ui.message(QStringLiteral("Javitandó! Nincs megadva az átvevő utca!"));
        return false;
    }
    const qsizetype communityLength = buyer.text("V_KOZADOSZAM").trimmed().size();
    if (communityLength >= 1 && communityLength <= 7) {
        ui.message(QStringLiteral("Javitandó! Közösségi adószám legalább 8 karakter!"));
        return false;
    }

    openCollection(app, range);
    if (!rangeIsWhole(app, range)) return false;
    if (app.data().query("ZQ21").isEmpty()) {
        ui.message(nothingFound);
        return false;
    }
    const bool staged = runWrite(app, QStringLiteral("Hiba402: az INSERT közben a NAV-ban!"),
                                 QStringLiteral("Hiba401: NAV INSERT -ben"), [&] {
                                     Query& q = app.data().query("ZQ22");
                                     q.close();
                                     q.clearSql();
                                     q.addSql(QString::fromUtf8(stagingInsert));
                                     q.addSql(rangeClause(range));
                                     bindRange(q, range, app.run().buyerCode);
                                     q.bindText("p6", selfBilling);
                                     q.bindText("p7", invoiceForm);
                                     q.execSql();
                                 });
    openCollection(app, range);  // the commit closed it
    if (!staged) return false;
    ui.message(
        QStringLiteral("1.A FEJ adatok kigyűjtése vége.\n2. Folytatás az \"EXPORT\" gombra."));
    return true;
}

bool hasStagedDocuments(App& app) {
    Query& q = app.data().query("ZQ22");
    q.close();
    // Existence only, probed by document number: the buyer index would be read whole per row.
    q.setSql(QStringLiteral(
        "SELECT FIRST 1 fe_szlasorszam FROM navfej WHERE EXISTS (SELECT 1 FROM fjfej WHERE "
        "f_bszam = fe_szlasorszam AND f_akod || '' = :p0)"));
    q.bindText("p0", app.run().buyerCode);
    q.open();
    const bool found = !q.isEmpty();
    q.close();
    return found;
}

bool formatAmount(double value, QString& out) {
    const double cents = std::round(value * 100);  // halves away from zero
    if (!(std::fabs(cents) < 1e12)) return false;
    const auto whole = static_cast<long long>(cents);
    const unsigned long long magnitude = whole < 0 ? 0ULL - static_cast<unsigned long long>(whole)
                                                   : static_cast<unsigned long long>(whole);
    char text[32];
    const int size = std::snprintf(text, sizeof text, "%s%llu.%02llu", whole < 0 ? "-" : "",
                                   magnitude / 100, magnitude % 100);
    out = QString::fromLatin1(text, size);
    return true;
}

}  // namespace audit
