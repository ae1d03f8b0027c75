#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTableView>
#include <algorithm>

#include "core/query_model.h"
#include "core/select_parts.h"
#include "support/app_fixture.h"

TEST(SelectParts, KeysOfJoinedTablesOnlyForPlainSelects) {
    const auto parts = splitSelect(
        "SELECT * FROM FjFej LEFT JOIN ostermelo o ON FjFej.f_ostermkod = o.o_kod\n"
        "WHERE f_akod = :p1 AND f_megj <> 'ORDER BY x'\nORDER BY o_nev DESC, f_Bszam");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->keyColumns, (QStringList{"FJFEJ.ID_FJFEJ", "O.ID_OSTERMELO"}));
    EXPECT_EQ(parts->where, "f_akod = :p1 AND f_megj <> 'ORDER BY x'");
    EXPECT_EQ(parts->leadingOrderColumn({}), "O_NEV");
    EXPECT_EQ(parts->rowsByKeySql(2),
              "SELECT * FROM FjFej LEFT JOIN ostermelo o ON FjFej.f_ostermkod = o.o_kod WHERE "
              "(CASE WHEN (f_akod = :p1 AND f_megj <> 'ORDER BY x') THEN 1 ELSE 0 END = 1) AND "
              "FJFEJ.ID_FJFEJ IN (:keyed_0, :keyed_1)");
    // A simple left join lets the keys come from the first table alone, joined in memory.
    EXPECT_EQ(parts->firstTableKeysSql({"F_BSZAM"}, "f_Bszam"),
              "SELECT FJFEJ.ID_FJFEJ, FJFEJ.F_OSTERMKOD, F_BSZAM FROM FjFej WHERE f_akod = :p1 AND "
              "f_megj <> 'ORDER BY x' ORDER BY f_Bszam");
    for (const char* sql : {"SELECT * FROM FjFej f JOIN ostermelo o ON f.f_ostermkod = o.o_kod",
                            "SELECT * FROM FjFej f LEFT JOIN ostermelo o ON f.f_ostermkod = "
                            "o.o_kod AND o.o_nev > ''",
                            "SELECT * FROM FjFej f LEFT JOIN ostermelo o ON o.o_kod = o.o_nev"}) {
        const auto other = splitSelect(sql);
        ASSERT_TRUE(other) << sql;
        EXPECT_EQ(other->firstTableKeysSql({}, {}), "") << sql;
    }
    const auto positional = splitSelect("SELECT * FROM termek ORDER BY 2 DESC, 1");
    ASSERT_TRUE(positional);
    EXPECT_EQ(positional->orderByNamed({"ID_TERMEK", "T_KOD"}), "T_KOD DESC, ID_TERMEK");

    for (const char* sql :
         {"SELECT s_bszam, SUM(s_vetelar) AS v FROM fjsor GROUP BY s_bszam",
          "SELECT count(*) FROM fjsor", "SELECT DISTINCT f_kelt FROM fjfej",
          "SELECT FIRST 5 * FROM fjfej", "SELECT * FROM fjfej UNION SELECT * FROM fjfej",
          "SELECT * FROM (SELECT * FROM fjfej) x", "SELECT * FROM a RIGHT JOIN b ON a.x = b.x",
          "SELECT * FROM sorszam WHERE a_akod = '1' WITH LOCK", "SELECT * FROM a, b",
          "UPDATE fjfej SET f_prn = 'I'"}) {
        EXPECT_FALSE(splitSelect(sql)) << sql;
    }
}

// 300 headers in shuffled number order over 22 producer codes, one of them held by two
// producers (each of its tickets is listed twice) and one code with no producer; ties in every
// sort column but the number; six headers of another buyer. Two more: one without a producer
// code, one whose code has a trailing blank (the engine's comparison ignores it).
class KeyedResult : public ::testing::Test {
protected:
    AppFixture f;
    Query& keyed = f.data().query("ZQ10");
    Query& plain = f.data().query("ZQ12");

    KeyedResult() {
        const QString numbers = QStringLiteral(
            "WITH RECURSIVE n AS (SELECT 0 AS i FROM rdb$database UNION ALL "
            "SELECT i + 1 FROM n WHERE i < %1) SELECT ");
        f.exec("INSERT INTO ostermelo (o_kod, o_nev) " + numbers.arg(21) +
               "LPAD(i + 1, 5, '0'), 'Név ' || MOD(i + 1, 5) FROM n");
        f.exec("INSERT INTO ostermelo (o_kod, o_nev) VALUES ('00007', 'Másik')");
        f.exec("INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_kelt, f_prn, f_tipus) " +
               numbers.arg(299) +
               "20240001 + MOD(i * 7, 300), IIF(MOD(i, 50) = 49, '2', '1'), "
               "IIF(MOD(i, 23) = 0, '99999', LPAD(MOD(i, 23), 5, '0')), "
               "DATEADD(MOD(i, 9) DAY TO DATE '2024-01-01'), IIF(MOD(i, 3) = 0, 'I', ' '), '1' "
               "FROM n");
        f.exec("INSERT INTO ostermelo (o_kod, o_nev) VALUES ('AB', 'Blank')");
        f.exec(
            "INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_kelt, f_prn, f_tipus) VALUES "
            "('20240301', '1', NULL, DATE '2024-01-02', ' ', '1')");
        f.exec(
            "INSERT INTO fjfej (f_bszam, f_akod, f_ostermkod, f_kelt, f_prn, f_tipus) VALUES "
            "('20240302', '1', 'AB ', DATE '2024-01-03', 'I', '1')");
    }

    void open(Query& q, const QString& orderBy) {
        q.setSql(
            "SELECT * FROM FjFej LEFT JOIN ostermelo ON FjFej.f_ostermkod = Ostermelo.o_kod\n"
            "WHERE f_akod = :p1\nORDER BY " +
            orderBy);
        q.bindText("p1", "1");
        q.open();
    }

    // Every row read through the current row, first to eof.
    static QStringList rows(Query& q) {
        QStringList out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList values;
            for (int c = 0; c < q.fieldCount(); ++c) values << q.text(q.fieldName(c));
            out << values.join('|');
        }
        return out;
    }
};

TEST_F(KeyedResult, SameRowsOrderAndValuesAsTheStatementInEverySortOrder) {
    for (const QString orderBy :
         {"f_Bszam", "f_ostermkod", "o_nev", "f_kelt", "f_prn", "f_kelt DESC, o_nev", "4 DESC"}) {
        SCOPED_TRACE(orderBy.toStdString());
        open(plain, orderBy);
        plain.fetchAll();
        const QStringList expected = rows(plain);
        open(keyed, orderBy);
        // Along the number's index the first block comes first; a sorting statement sorts keys.
        if (orderBy == "f_Bszam") {
            EXPECT_EQ(keyed.rowCount(), 64);
            EXPECT_FALSE(keyed.keyed());
        }
        keyed.last();
        EXPECT_TRUE(keyed.keyed());
        ASSERT_EQ(keyed.rowCount(), 296 + 12);  // 13 tickets of code 00007 listed twice
        const QStringList got = rows(keyed);
        ASSERT_EQ(got.size(), expected.size());
        // Rows of equal sort keys may come in either order; the sort column may not.
        const int sortColumn = plain.fieldIndex(orderBy.section(' ', 0, 0).section(',', 0, 0));
        for (int r = 0; sortColumn >= 0 && r < got.size(); ++r) {
            ASSERT_EQ(got[r].section('|', sortColumn, sortColumn),
                      expected[r].section('|', sortColumn, sortColumn))
                << r;
        }
        QStringList a = got, b = expected;
        a.sort();
        b.sort();
        EXPECT_EQ(a, b);
    }
}

TEST_F(KeyedResult, LocateAndMovesWorkOverTheKeys) {
    open(keyed, "f_Bszam");
    // A number among the first rows needs no keys.
    ASSERT_TRUE(keyed.locate("F_BSZAM", "2024001", true, true));
    EXPECT_EQ(keyed.text("f_bszam"), "20240010");
    EXPECT_FALSE(keyed.keyed());
    ASSERT_TRUE(keyed.locate("f_bszam", "2024029", true, true));
    EXPECT_TRUE(keyed.keyed());
    EXPECT_EQ(keyed.text("F_BSZAM"), "20240290");
    const int row = keyed.recNo();
    EXPECT_GT(row, 250);
    keyed.next();
    EXPECT_EQ(keyed.text("F_BSZAM"), "20240291");
    keyed.prior();
    keyed.prior();
    EXPECT_EQ(keyed.recNo(), row - 1);
    // Another column than the order's is searched row by row.
    ASSERT_TRUE(keyed.locate("o_nev", "másik", false, true));
    EXPECT_EQ(keyed.text("o_kod"), "00007");
    const int before = keyed.recNo();
    EXPECT_FALSE(keyed.locate("f_bszam", "2025", true, true));
    EXPECT_EQ(keyed.recNo(), before);
    keyed.moveTo(keyed.rowCount() - 1);
    EXPECT_EQ(keyed.text("F_BSZAM"), "20240302");
    keyed.next();
    EXPECT_TRUE(keyed.eof());
    EXPECT_EQ(keyed.text("F_BSZAM"), "20240302");
    // A commit closes it like any result.
    f.data().commit();
    EXPECT_FALSE(keyed.active());
    EXPECT_EQ(keyed.rowCount(), 0);
}

TEST_F(KeyedResult, GridOverAKeyedResultPassesTheModelTester) {
    open(keyed, "o_nev");
    QTableView view;
    QueryModel* model = bindGrid(&view, keyed, {{"F_BSZAM", "Bszám"}, {"o_nev", "Név"}});
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    while (model->canFetchMore({})) model->fetchMore({});
    ASSERT_EQ(model->rowCount(), 308);
    open(plain, "o_nev");
    plain.fetchAll();
    for (int r = 0; r < 306; r += 37) {
        plain.moveTo(r);
        EXPECT_EQ(model->data(model->index(r, 1)).toString(), plain.text("o_nev")) << r;
    }
    view.setCurrentIndex(model->index(200, 0));
    EXPECT_EQ(keyed.recNo(), 200);
    keyed.locate("f_bszam", "20240001", false, false);
    EXPECT_EQ(view.currentIndex().row(), keyed.recNo());
    keyed.close();
    EXPECT_EQ(model->rowCount(), 0);
}

// Without a producer code held twice, a number is located by counting: no key is read until a
// row outside the first rows and the window around the located one is needed.
TEST_F(KeyedResult, LocatingByCountGivesTheRowsTheKeysGive) {
    f.exec("DELETE FROM ostermelo WHERE o_nev = 'Másik'");
    open(plain, "f_Bszam");
    plain.fetchAll();
    const QStringList expected = rows(plain);

    open(keyed, "f_Bszam");
    {
        QTableView view;
        QueryModel* model = bindGrid(&view, keyed, {{"F_BSZAM", "Bszám"}, {"o_nev", "Név"}});
        ASSERT_TRUE(keyed.locate("f_bszam", "2024029", true, true));
        EXPECT_FALSE(keyed.keyed());
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(keyed.rowCount(), expected.size());
        EXPECT_EQ(model->rowCount(), expected.size());
        const int row = keyed.recNo();
        int expectedRow = -1;
        for (plain.first(); !plain.eof() && expectedRow < 0; plain.next()) {
            if (plain.text("F_BSZAM") == "20240290") expectedRow = plain.recNo();
        }
        ASSERT_EQ(row, expectedRow);
        const auto rowText = [&](int r) {
            QStringList values;
            for (int c = 0; c < keyed.fieldCount(); ++c) values << keyed.valueAt(r, c).asText();
            return values.join('|');
        };
        for (int r = row - 40; r < expected.size(); ++r) EXPECT_EQ(rowText(r), expected[r]) << r;
        keyed.last();
        EXPECT_EQ(keyed.text("F_BSZAM"), "20240302");
        EXPECT_FALSE(keyed.keyed());
        // A row in the middle reads every key; nothing moves.
        EXPECT_EQ(rowText(150), expected[150]);
        EXPECT_TRUE(keyed.keyed());
        EXPECT_EQ(rows(keyed), expected);
        EXPECT_EQ(model->rowCount(), expected.size());
    }

    // While the program idles, the keys are read behind the counted rows.
    open(keyed, "f_Bszam");
    ASSERT_TRUE(keyed.locate("f_bszam", "20240299", true, false));
    EXPECT_FALSE(keyed.keyed());
    // The first step waits for the window to paint: processEvents alone does not start it.
    QCoreApplication::processEvents();
    EXPECT_FALSE(keyed.keyed());
    for (QDeadlineTimer deadline(10000); !keyed.keyed() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(keyed.keyed());
    EXPECT_EQ(keyed.text("F_BSZAM"), "20240299");
    EXPECT_EQ(rows(keyed), expected);

    // Nothing matches: counted, and the current row stays.
    open(keyed, "f_Bszam");
    EXPECT_FALSE(keyed.locate("f_bszam", "2025", true, true));
    EXPECT_EQ(keyed.recNo(), 0);
    EXPECT_EQ(keyed.rowCount(), expected.size());
    EXPECT_EQ(rows(keyed), expected);

    // Where the engine might compare otherwise or the order is not sure, the keys are read.
    f.exec("UPDATE fjfej SET f_bszam = '20240290' WHERE f_bszam = '20240289'");
    for (const char* text : {"2024029", "a"}) {
        SCOPED_TRACE(text);
        open(keyed, "f_Bszam");
        keyed.locate("f_bszam", text, true, true);
        EXPECT_TRUE(keyed.keyed());
    }
}
