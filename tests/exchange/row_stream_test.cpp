#include <gtest/gtest.h>

#include <QStringList>

#include "core/errors.h"
#include "core/tdata.h"
#include "core/win1250.h"
#include "exchange/row_stream.h"
#include "support/app_fixture.h"

namespace {

// Numbers 1..`last` (at most 10 000) from the system tables, without a table of our own.
QString numbers(int last) {
    return QStringLiteral(
               "WITH RECURSIVE d(i) AS (SELECT 0 FROM rdb$database UNION ALL "
               "SELECT i + 1 FROM d WHERE i < 99), "
               "n(i) AS (SELECT a.i * 100 + b.i + 1 FROM d a CROSS JOIN d b) "
               "SELECT * FROM n WHERE i <= %1")
        .arg(last);
}

// Kinds a sheet writes differently: keys, NULLs, texts with accented letters (stored as
// Windows-1250), blank-padded CHARs, dates, decimals, doubles and timestamps.
QString mixedRows(int last) {
    return QStringLiteral(
               "SELECT i, "
               "CASE WHEN MOD(i, 3) = 0 THEN NULL ELSE 'Őrült tűzgép ' || i END AS t, "
               "DATEADD(i DAY TO DATE '2025-12-31') AS d, "
               "CAST(i AS NUMERIC(15, 3)) / 8 AS m, "
               "CASE WHEN MOD(i, 5) = 0 THEN NULL ELSE CAST('ű' AS CHAR(3)) END AS c, "
               "CAST(i AS DOUBLE PRECISION) / 3 AS r, "
               "CASE WHEN MOD(i, 7) = 0 THEN '' ELSE 'x' END AS e, "
               "DATEADD(i MINUTE TO TIMESTAMP '2026-03-01 10:00:00') AS s "
               "FROM (%1) ORDER BY i")
        .arg(numbers(last));
}

// One row as text, kind by kind, with each text column's stored bytes.
QString rowText(int columns, const std::function<Value(int)>& value,
                const std::function<bool(int, QByteArrayView&)>& bytes) {
    QStringList parts;
    for (int c = 0; c < columns; ++c) {
        const Value v = value(c);
        QByteArrayView stored;
        const QString storedText =
            bytes(c, stored) ? QString::fromLatin1(stored.toByteArray().toHex()) : "-";
        parts << QStringLiteral("%1:%2:%3").arg(int(v.kind())).arg(v.asText(), storedText);
    }
    return parts.join(u'|');
}

// The rows as the cursor read on the caller's thread gives them.
QStringList plainRows(Database& db, const QString& sql) {
    std::unique_ptr<Cursor> cursor = db.open(sql, {});
    const int columns = static_cast<int>(cursor->fieldNames().size());
    QStringList rows;
    while (cursor->next()) {
        rows << rowText(
            columns, [&](int c) { return cursor->current(c); },
            [&](int c, QByteArrayView& out) { return cursor->currentBytes(c, out); });
    }
    return rows;
}

// The DbError text of reading every row of `sql` through a plain cursor, or "".
QString plainFailure(Database& db, const QString& sql) {
    try {
        plainRows(db, sql);
    } catch (const DbError& e) {
        return e.text();
    }
    return {};
}

class RowStreamTest : public ::testing::Test {
protected:
    Database& db() { return f.data().database(); }
    AppFixture f;
};

TEST_F(RowStreamTest, GivesTheRowsAndValuesOfThePlainCursor) {
    // Sizes around the batches fetched ahead: none, one row, a batch, several with a part left.
    for (const int last : {0, 1, 64, 1000}) {
        SCOPED_TRACE(last);
        const QString sql = mixedRows(last);
        const QStringList expected = plainRows(db(), sql);
        ASSERT_EQ(expected.size(), last);

        RowStream rows(db(), sql);
        EXPECT_EQ(rows.fieldNames(), (QStringList{"I", "T", "D", "M", "C", "R", "E", "S"}));
        QStringList streamed;
        while (rows.next()) {
            streamed << rowText(
                rows.fieldCount(), [&](int c) { return rows.value(c); },
                [&](int c, QByteArrayView& out) { return rows.bytes(c, out); });
            // The window's own reading goes on while the rows are fetched ahead.
            if (streamed.size() % 100 == 0) {
                EXPECT_EQ(f.scalar("SELECT 7 FROM rdb$database"), "7");
            }
        }
        EXPECT_FALSE(rows.next());
        EXPECT_EQ(streamed, expected);
    }
    // The values themselves, not only their agreement: the first row.
    RowStream rows(db(), mixedRows(1));
    ASSERT_TRUE(rows.next());
    QByteArrayView stored;
    ASSERT_TRUE(rows.bytes(1, stored));
    EXPECT_EQ(stored.toByteArray(), QByteArray("\xD5r\xFClt t\xFBzg\xE9p 1"));
    EXPECT_EQ(rows.value(1).asText(), QStringLiteral("Őrült tűzgép 1"));
    ASSERT_TRUE(rows.bytes(4, stored));
    EXPECT_EQ(stored.toByteArray(), QByteArray("\xFB  "));
    EXPECT_EQ(rows.value(2).asDate(), QDate(2026, 1, 1));
    EXPECT_DOUBLE_EQ(rows.value(3).asDouble(), 0.125);
    EXPECT_DOUBLE_EQ(rows.value(5).asDouble(), 1.0 / 3);
    EXPECT_EQ(rows.value(6).asText(), "x");
}

TEST_F(RowStreamTest, FailuresReachTheReaderAsTheCursorGivesThem) {
    struct Case {
        const char* what;
        QString sql;
        int rowsBefore;  // rows read before the failure
    };
    const QList<Case> cases = {
        {"unknown column", "SELECT no_such_column FROM rdb$database", 0},
        {"error at the first row", "SELECT 1 / (i - 1) FROM (" + numbers(10) + ") ORDER BY i", 0},
        {"error after several batches",
         "SELECT 1 / (i - 300) FROM (" + numbers(900) + ") ORDER BY i", 299},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString expected = plainFailure(db(), c.sql);
        ASSERT_FALSE(expected.isEmpty());
        int read = 0;
        try {
            RowStream rows(db(), c.sql);
            while (rows.next()) ++read;
            ADD_FAILURE() << "no error";
        } catch (const DbError& e) {
            EXPECT_EQ(e.text(), expected);
        }
        EXPECT_EQ(read, c.rowsBefore);
        // The transaction ends and the database reads on.
        db().rollback();
        EXPECT_EQ(f.scalar("SELECT COUNT(*) FROM (" + numbers(500) + ")"), "500");
    }
}

TEST_F(RowStreamTest, AReaderStoppingAtAnyRowEndsTheFetchingCleanly) {
    // The writer's failure leaves the stream midway: before the first row, inside a batch, at a
    // batch's end, with the batches ahead full.
    for (const int stopAfter : {0, 5, 64, 300}) {
        SCOPED_TRACE(stopAfter);
        EXPECT_THROW(
            {
                RowStream rows(db(), mixedRows(5000));
                for (int i = 0; i < stopAfter; ++i) ASSERT_TRUE(rows.next());
                throw AppError(QStringLiteral("A munkafüzet írása nem sikerült"));
            },
            AppError);
        // The cursor is closed: the transaction commits and a new stream reads every row.
        db().commit();
        RowStream again(db(), numbers(200));
        int read = 0;
        while (again.next()) ++read;
        EXPECT_EQ(read, 200);
    }
}

}  // namespace
