#include "tickets/numbering.h"

#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <vector>

#include "core/database.h"
#include "core/errors.h"
#include "core/guard.h"
#include "core/tdata.h"

QString numberAfter(const QString& lastNumber) {
    const QString text = lastNumber.trimmed();
    bool ok = false;
    const qint64 last = text.toLongLong(&ok);
    if (!ok) throw ConversionError(QStringLiteral("'%1' nem érvényes egész szám.").arg(text));
    return QString::number(last + 1);
}

QString nextDocumentNumber(TData& data, const QString& buyerCode) {
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("SELECT * FROM Sorszam WHERE a_aKod = :p1"));
    q.bindText("p1", buyerCode);
    q.open();
    return numberAfter(q.text("A_FJBSZAM"));
}

namespace {

// A number as a whole number for comparing; -1 when it is not one.
qint64 numberValue(const QString& number) {
    bool ok = false;
    const qint64 value = number.trimmed().toLongLong(&ok);
    return ok ? value : -1;
}

// The buyer's last issued number, its row locked for this transaction (nowait: another desk's
// save or hold in progress fails at once with DbError).
QString lockedLastNumber(Database& db, const QString& buyerCode) {
    const auto cursor =
        db.open(QStringLiteral("SELECT a_fjbszam FROM Sorszam WHERE a_akod = ? WITH LOCK"),
                {Value::text(buyerCode)});
    QString last;
    if (cursor->next()) last = cursor->current(0).asText();
    while (cursor->next()) {
    }
    return last;
}

struct Hold {
    qint64 id = 0;
    QString number;
    QString buyer;
    QString desk;
    bool free = false;
    bool issuable = false;  // may be issued below the last issued number
    bool mine = false;      // held by this program's connection
};

// The hold of `number`, read through `db`; `mine` compares with the attachment `connection`.
std::optional<Hold> holdOf(Database& db, const QString& number, qint64 connection) {
    const auto cursor =
        db.open(QStringLiteral("SELECT ID_SORSZAMFOGLALAS, sf_bszam, sf_akod, sf_gep, sf_szabad, "
                               "sf_kiadhato, IIF(sf_kapcsolat = ?, 1, 0) "
                               "FROM SORSZAMFOGLALAS WHERE sf_bszam = ?"),
                {Value::integer(connection), Value::text(number)});
    if (!cursor->next()) return std::nullopt;
    return Hold{cursor->current(0).asInteger(),
                cursor->current(1).asText(),
                cursor->current(2).asText().trimmed(),
                cursor->current(3).asText().trimmed(),
                cursor->current(4).asText() == QLatin1String("I"),
                cursor->current(5).asText() == QLatin1String("I"),
                cursor->current(6).asInteger() == 1};
}

// Gives a hold back. A number above the last issued one is free again by itself; one below it
// that a later save passed over stays as a free row, to be handed out first; one below it that
// was not passed over was issued without a hold (an older copy of the program): it is dropped.
void giveBack(Database& db, qint64 id, const QString& number, bool issuable, const QString& last) {
    if (numberValue(number) > numberValue(last) || !issuable) {
        db.execute(QStringLiteral("DELETE FROM SORSZAMFOGLALAS WHERE ID_SORSZAMFOGLALAS = ?"),
                   {Value::integer(id)});
    } else {
        db.execute(QStringLiteral("UPDATE SORSZAMFOGLALAS SET sf_szabad = 'I', sf_kapcsolat = "
                                  "NULL WHERE ID_SORSZAMFOGLALAS = ?"),
                   {Value::integer(id)});
    }
}

QString deskName() {
    return QSysInfo::machineHostName().left(63);
}

// Runs `step` on the side attachment and commits it there, apart from the work in progress on
// the main one (lines waiting for the save, a deletion waiting for a commit). `step` gets the
// side database and the buyer's last issued number, its row locked; while another desk saves,
// it is tried again for a moment. When the row stays locked (this program's own uncommitted
// year opening, say) the number is read through the main attachment, unlocked: the unique
// index on the held numbers still keeps two entries from one number.
template <class Step>
auto heldNumberStep(TData& data, const QString& buyerCode, Step step)
    -> decltype(step(std::declval<Database&>(), QString())) {
    Database& side = data.sideDatabase();
    constexpr int attempts = 10;
    for (int attempt = 1;; ++attempt) {
        try {
            side.startTransaction();
            QString last;
            try {
                last = lockedLastNumber(side, buyerCode);
            } catch (const DbError&) {
                if (attempt < attempts) throw;
                side.rollback();
                side.startTransaction();
                Query& q = data.query("ZQ50");
                q.close();
                q.setSql(QStringLiteral("SELECT a_fjbszam FROM Sorszam WHERE a_akod = :p1"));
                q.bindText("p1", buyerCode);
                q.open();
                last = q.text("A_FJBSZAM");
                q.close();
            }
            auto result = step(side, last);
            side.commit();
            return result;
        } catch (const DbError&) {
            guardQuietly([&side] { side.rollback(); });
            if (attempt == attempts) throw;
            QThread::msleep(100);
        } catch (...) {
            guardQuietly([&side] { side.rollback(); });
            throw;
        }
    }
}

}  // namespace

QString reserveDocumentNumber(TData& data, const QString& buyerCode) {
    const qint64 mainConnection = data.connectionId();
    return heldNumberStep(data, buyerCode, [&](Database& db, const QString& last) -> QString {
        numberAfter(last);  // no numbering row, or not a number: ConversionError

        // What this program held before (an entry that ended without giving its number back),
        // and what desks of this user that are no longer connected held.
        struct Stale {
            qint64 id;
            QString number;
            bool issuable;
        };
        std::vector<Stale> stale;
        {
            const auto cursor =
                db.open(QStringLiteral(
                            "SELECT ID_SORSZAMFOGLALAS, sf_bszam, sf_kiadhato FROM SORSZAMFOGLALAS "
                            "WHERE sf_akod = ? AND sf_szabad <> 'I' AND (sf_kapcsolat = ? OR "
                            "(sf_felhasznalo = CURRENT_USER AND NOT EXISTS (SELECT 1 FROM "
                            "MON$ATTACHMENTS m WHERE m.MON$ATTACHMENT_ID = sf_kapcsolat)))"),
                        {Value::text(buyerCode), Value::integer(mainConnection)});
            while (cursor->next())
                stale.push_back({cursor->current(0).asInteger(), cursor->current(1).asText(),
                                 cursor->current(2).asText() == QLatin1String("I")});
        }
        for (const Stale& s : stale) giveBack(db, s.id, s.number, s.issuable, last);

        const Value desk = Value::text(deskName());
        const Value connection = Value::integer(mainConnection);
        // A number given back comes first, lowest first, unless a document took it meanwhile.
        std::vector<std::pair<qint64, QString>> freed;
        {
            const auto cursor = db.open(
                QStringLiteral("SELECT ID_SORSZAMFOGLALAS, sf_bszam FROM SORSZAMFOGLALAS WHERE "
                               "sf_akod = ? AND sf_szabad = 'I' ORDER BY CHAR_LENGTH(sf_bszam), "
                               "sf_bszam"),
                {Value::text(buyerCode)});
            while (cursor->next())
                freed.emplace_back(cursor->current(0).asInteger(), cursor->current(1).asText());
        }
        for (const auto& [id, number] : freed) {
            if (numberHolder(data, number)) {
                db.execute(
                    QStringLiteral("DELETE FROM SORSZAMFOGLALAS WHERE ID_SORSZAMFOGLALAS = ?"),
                    {Value::integer(id)});
                continue;
            }
            db.execute(QStringLiteral("UPDATE SORSZAMFOGLALAS SET sf_szabad = ' ', sf_gep = ?, "
                                      "sf_felhasznalo = CURRENT_USER, sf_kapcsolat = ?, sf_ido = "
                                      "CURRENT_TIMESTAMP WHERE ID_SORSZAMFOGLALAS = ?"),
                       {desk, connection, Value::integer(id)});
            return number;
        }

        QString number = numberAfter(last);
        while (const auto hold = holdOf(db, number, mainConnection)) {
            if (hold->buyer != buyerCode)
                throw NumberTakenError(
                    QStringLiteral("A(z) %1 bizonylatszámot a(z) %2 kódú átvevő egy nyitott "
                                   "bizonylata foglalja. A kezdő sorszámot az \"Évnyitás\" "
                                   "menüpontban kell megváltoztatni!")
                        .arg(number, hold->buyer));
            number = numberAfter(number);
        }
        requireNumberFree(data, number);
        db.execute(QStringLiteral("INSERT INTO SORSZAMFOGLALAS (sf_bszam, sf_akod, sf_gep, "
                                  "sf_felhasznalo, sf_kapcsolat, sf_ido) VALUES (?, ?, ?, "
                                  "CURRENT_USER, ?, CURRENT_TIMESTAMP)"),
                   {Value::text(number), Value::text(buyerCode), desk, connection});
        return number;
    });
}

void releaseDocumentNumber(TData& data, const QString& buyerCode, const QString& number) {
    const QString failed =
        QStringLiteral("A(z) %1 bizonylatszám visszaadása nem sikerült").arg(number);
    guardQuietly(failed, [&] {
        const qint64 mainConnection = data.connectionId();
        heldNumberStep(data, buyerCode, [&](Database& db, const QString& last) {
            const auto hold = holdOf(db, number, mainConnection);
            if (hold && hold->mine && !hold->free)
                giveBack(db, hold->id, number, hold->issuable, last);
            return 0;
        });
    });
}

void claimDocumentNumber(TData& data, const QString& buyerCode, const QString& number) {
    Database& db = data.database();
    // Another desk's save holds the row for milliseconds: wait that long, not longer.
    QString last;
    for (int attempt = 1;; ++attempt) {
        try {
            last = lockedLastNumber(db, buyerCode);
            break;
        } catch (const DbError&) {
            if (attempt == 10) throw;
            QThread::msleep(50);
        }
    }
    const QString next = numberAfter(last);  // no numbering row, or not a number: ConversionError
    const QString issued = QStringLiteral("A(z) %1 bizonylatszámot időközben kiadták.").arg(number);
    const auto hold = holdOf(db, number, data.connectionId());
    if (hold && !hold->mine && !hold->free)
        throw AppError(QStringLiteral("A(z) %1 bizonylatszámot egy másik gépen (%2) nyitott "
                                      "bizonylat foglalja.")
                           .arg(number, hold->desk));
    if (hold && hold->mine && !hold->free) {
        if (numberValue(number) <= numberValue(last) && !hold->issuable) throw AppError(issued);
    } else if (next != number) {
        throw AppError(issued);
    }
    requireNumberFree(data, number, buyerCode);
}

std::optional<NumberHolder> numberHolder(TData& data, const QString& number,
                                         const QString& exceptBuyer) {
    // The number columns hold eight characters: a longer number is on no document.
    if (number.size() > 8) return std::nullopt;
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(
        QStringLiteral("SELECT FIRST 1 f.f_akod, a.v_neve FROM FjFej f LEFT JOIN Atvevo a ON "
                       "a.v_akod = f.f_akod"));
    q.addSql(QStringLiteral("WHERE f.f_bszam = :p1"));
    if (!exceptBuyer.isEmpty()) q.addSql(QStringLiteral("AND f.f_akod IS DISTINCT FROM :p2"));
    q.addSql(QStringLiteral("ORDER BY f.f_akod"));
    q.bindText("p1", number);
    if (!exceptBuyer.isEmpty()) q.bindText("p2", exceptBuyer);
    q.open();
    if (q.isEmpty()) return std::nullopt;
    return NumberHolder{q.text("f_akod").trimmed(), q.text("v_neve").trimmed()};
}

QString numberTakenText(const QString& number, const NumberHolder& holder) {
    const QString name =
        holder.buyerName.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder.buyerName);
    return QStringLiteral("A(z) %1 bizonylatszámot már a(z) %2 kódú átvevő%3 kiadta.")
        .arg(number, holder.buyerCode, name);
}

void requireNumberFree(TData& data, const QString& number, const QString& exceptBuyer) {
    if (const auto holder = numberHolder(data, number, exceptBuyer)) {
        throw NumberTakenError(
            numberTakenText(number, *holder) +
            QStringLiteral(" A kezdő sorszámot az \"Évnyitás\" menüpontban kell megváltoztatni!"));
    }
}

void advanceNumbering(TData& data, const QString& buyerCode, const QString& number) {
    Database& db = data.database();
    db.execute(QStringLiteral("DELETE FROM SORSZAMFOGLALAS WHERE sf_bszam = ?"),
               {Value::text(number)});
    const QString last = lockedLastNumber(db, buyerCode);
    const qint64 issued = numberValue(number);
    const qint64 before = numberValue(last);
    if (before >= 0 && issued >= 0 && issued <= before) return;  // a number given back earlier
    if (before >= 0 && issued > before + 1) {
        // Entries holding numbers below this one may still issue them; numbers below it that no
        // entry holds (given back meanwhile) stay free for the next entries.
        constexpr qint64 longestGap = 1000;
        for (qint64 n = std::max(before + 1, issued - longestGap); n < issued; ++n) {
            const QString between = QString::number(n);
            if (const auto hold = holdOf(db, between, data.connectionId())) {
                if (hold->buyer == buyerCode)
                    db.execute(QStringLiteral("UPDATE SORSZAMFOGLALAS SET sf_kiadhato = 'I' "
                                              "WHERE ID_SORSZAMFOGLALAS = ?"),
                               {Value::integer(hold->id)});
                continue;
            }
            if (numberHolder(data, between)) continue;
            db.execute(QStringLiteral("INSERT INTO SORSZAMFOGLALAS (sf_bszam, sf_akod, sf_szabad, "
                                      "sf_kiadhato, sf_ido) VALUES (?, ?, 'I', 'I', "
                                      "CURRENT_TIMESTAMP)"),
                       {Value::text(between), Value::text(buyerCode)});
        }
    }
    Query& q = data.query("ZQ50");
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("UPDATE Sorszam SET a_FjBszam = :p1 WHERE a_akod = :p2"));
    q.bindText("p1", number);
    q.bindText("p2", buyerCode);
    q.execSql();
}

void dropFreedNumbers(TData& data, const QString& buyerCode) {
    data.database().execute(
        QStringLiteral("DELETE FROM SORSZAMFOGLALAS WHERE sf_akod = ? AND sf_szabad = 'I'"),
        {Value::text(buyerCode)});
}

int highestLineIdIssued(TData& data) {
    Database& db = data.database();
    QString generator;
    {
        auto cursor = db.open(QStringLiteral("SELECT RDB$GENERATOR_NAME FROM RDB$RELATION_FIELDS "
                                             "WHERE RDB$RELATION_NAME = 'FJSOR' AND "
                                             "RDB$FIELD_NAME = 'ID_FJSOR'"),
                              {});
        if (cursor->next()) generator = cursor->current(0).asText().trimmed();
    }
    // Without an identity generator (a column filled otherwise), the highest line there is.
    const QString sql =
        generator.isEmpty() || generator.contains(QLatin1Char('"'))
            ? QStringLiteral("SELECT MAX(ID_FJSOR) FROM FJSOR")
            : QStringLiteral("SELECT GEN_ID(\"%1\", 0) FROM RDB$DATABASE").arg(generator);
    auto cursor = db.open(sql, {});
    return cursor->next() ? static_cast<int>(cursor->current(0).asInteger()) : 0;
}

int deleteOrphanLines(TData& data, const QString& number, int upToLineId) {
    const QString orphans = QStringLiteral(
        " FROM Fjsor WHERE s_Bszam = :p1 AND NOT EXISTS (SELECT 1 FROM FjFej WHERE f_bszam = "
        ":p1)");
    const QString upTo = upToLineId > 0 ? QStringLiteral(" AND ID_fjsor <= :p2") : QString();
    Query& q = data.query("ZQ21");
    q.close();
    q.setSql(QStringLiteral("SELECT max(ID_fjsor) AS m") + orphans + upTo);
    q.bindText("p1", number);
    if (upToLineId > 0) q.bindInt("p2", upToLineId);
    q.open();
    const int highest = q.isEmpty() || q.value(QStringLiteral("m")).isNull()
                            ? 0
                            : int(q.integer(QStringLiteral("m")));
    q.close();
    if (highest == 0) return 0;
    q.clearSql();
    q.addSql(QStringLiteral("DELETE") + orphans + upTo);
    q.bindText("p1", number);
    if (upToLineId > 0) q.bindInt("p2", upToLineId);
    q.execSql();
    return highest;
}
