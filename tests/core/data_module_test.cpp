#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <limits>

#include "core/database.h"
#include "core/errors.h"
#include "core/tdata.h"
#include "support/app_fixture.h"

TEST(NamedParameters, MapsNamesToPositionsOutsideQuotedTexts) {
    const ParsedSql parsed = parseNamedParameters(
        QStringLiteral("SELECT ':p9', \"a:b\" FROM t WHERE a = :p1 AND b=:P2 AND c = :p1"));
    EXPECT_EQ(parsed.sql,
              QStringLiteral("SELECT ':p9', \"a:b\" FROM t WHERE a = ? AND b=? AND c = ?"));
    EXPECT_EQ(parsed.params, (QStringList{"p1", "p2", "p1"}));
}

TEST(ValueText, FormsOfEachKind) {
    EXPECT_EQ(Value().asText(), "");
    EXPECT_EQ(Value().asDouble(), 0);
    EXPECT_EQ(Value::date(QDate(2024, 3, 4)).asText(), "2024.03.04");
    EXPECT_EQ(Value::real(12.5).asText(), "12,5");
    EXPECT_EQ(Value::real(100).asText(), "100");
    EXPECT_EQ(Value::decimal(125000, 4).asText(), "12,5");
    EXPECT_EQ(Value::decimal(1000000, 4).asText(), "100");
    EXPECT_EQ(Value::decimal(-5, 4).asText(), "-0,0005");
    EXPECT_EQ(Value::integer(-42).asText(), "-42");
    EXPECT_THROW(parseNumber("12a"), ConversionError);
    EXPECT_THROW(parseDate("2024.02.30"), ConversionError);
    EXPECT_EQ(parseDate("2024.2.5"), QDate(2024, 2, 5));
    EXPECT_DOUBLE_EQ(parseNumber("-1,25"), -1.25);
}

TEST(ValueText, GroupedIntegersUseABlankWhateverTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));  // groups with ","
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1 000"},
        {-1234, "-1 234"},
        {297378, "297 378"},
        {-100000, "-100 000"},
        {1234567, "1 234 567"},
        {std::numeric_limits<std::int64_t>::min(), "-9 223 372 036 854 775 808"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(groupedIntegerText(value), text) << value;
    QLocale::setDefault(previous);
}

class DataModule : public ::testing::Test {
protected:
    AppFixture f;
    Query& q(const char* name) { return f.data().query(name); }
};

TEST_F(DataModule, BindsEachKindAndReadsFieldsCaseInsensitively) {
    f.exec(
        "INSERT INTO termek (t_kod, t_megnevezes, t_ear, t_kompmerteke) VALUES ('7', 'Őszibarack "
        "ű', 12.5, 12)");
    Query& w = q("ZQ41");
    w.setSql(
        "INSERT INTO fjfej (f_bszam, f_kelt, f_levonas, f_szja, f_akod, f_tipus) VALUES (:p1, :p2, "
        ":p3, :p4, :p5, '1')");
    w.bindText("p1", "20240001");
    w.bindDate("p2", "2024.02.25");
    w.bindNumber("p3", "1234,5");
    w.bindInt("p4", 15);
    w.bindText("p5", "1");
    EXPECT_EQ(w.execSql(), 1);
    f.data().commit();

    Query& r = q("ZQ11");
    r.setSql("SELECT * FROM fjfej WHERE f_bszam = :p1 AND f_kelt = :p2");
    r.bindText("p1", "20240001");
    r.bindDate("p2", QDate(2024, 2, 25));
    r.open();
    ASSERT_FALSE(r.eof());
    EXPECT_EQ(r.text("F_KELT"), "2024.02.25");
    EXPECT_EQ(r.text("f_levonas"), "1234,5");
    EXPECT_EQ(r.integer("F_Szja"), 15);
    EXPECT_EQ(r.text("f_megj"), "");  // NULL
    EXPECT_EQ(r.number("f_muvktg"), 0);
    EXPECT_THROW(r.text("nincs_ilyen"), AppError);

    r.setSql("SELECT t_megnevezes, t_ear FROM termek WHERE t_kod = :p1");
    r.bindText("p1", "7");
    r.open();
    EXPECT_EQ(r.text("T_MEGNEVEZES"), QStringLiteral("Őszibarack ű"));
    EXPECT_EQ(r.text("t_ear"), "12,5");
}

TEST_F(DataModule, LocateByPrefixAndCase) {
    int code = 0;
    for (const char* name : {"Kovács Béla", "kozma Ádám", "Nagy Péter", "KOLLÁR Éva"}) {
        Query& w = q("ZQ41");
        w.setSql("INSERT INTO ostermelo (o_kod, o_nev) VALUES (:p1, :p2)");
        w.bindText("p1", QString::number(++code));
        w.bindText("p2", QString::fromUtf8(name));
        w.execSql();
    }
    Query& r = q("ZQ30");
    r.setSql("SELECT * FROM ostermelo ORDER BY o_nev");
    r.open();
    EXPECT_TRUE(r.locate("O_NEV", "nagy", true, true));
    EXPECT_EQ(r.text("O_NEV"), QStringLiteral("Nagy Péter"));
    EXPECT_FALSE(r.locate("O_NEV", "nagy", true, false));
    EXPECT_EQ(r.text("O_NEV"), QStringLiteral("Nagy Péter"));  // stays put
    EXPECT_FALSE(r.locate("O_NEV", "Nagy", false, false));
    EXPECT_TRUE(r.locate("O_NEV", "Nagy Péter", false, false));
    r.first();
    int seen = 0;
    while (!r.eof()) {
        ++seen;
        r.next();
    }
    EXPECT_EQ(seen, 4);
}

TEST_F(DataModule, AnEmptyResultStaysAtBothEndsWhateverTheMove) {
    Query& r = q("ZQ30");
    r.setSql("SELECT * FROM ostermelo");
    r.open();
    for (void (Query::*move)() : {&Query::first, &Query::prior, &Query::next, &Query::last}) {
        (r.*move)();
        EXPECT_TRUE(r.eof());
        EXPECT_TRUE(r.bof());
        EXPECT_EQ(r.recNo(), -1);
        EXPECT_EQ(r.text("O_NEV"), "");
        EXPECT_EQ(r.number("O_SZJA"), 0);
    }
}

TEST_F(DataModule, RollbackUndoesEarlierUncommittedDeleteAndCommitClosesResults) {
    f.exec("INSERT INTO fjsor (s_bszam, s_brutto) VALUES ('20240001', 5)");
    Query& d = q("ZQ21");
    d.setSql("DELETE FROM fjsor WHERE s_bszam = :p1");
    d.bindText("p1", "20240001");
    EXPECT_EQ(d.execSql(), 1);
    Query& list = q("ZQ20");
    list.setSql("SELECT * FROM fjsor");
    list.open();
    EXPECT_TRUE(list.active());
    f.data().rollback();
    EXPECT_FALSE(list.active());
    EXPECT_EQ(f.scalar("SELECT count(*) FROM fjsor"), "1");

    list.open();
    f.data().commit();
    EXPECT_FALSE(list.active());
    EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(DataModule, FetchesOnDemandAndLastReachesTheEnd) {
    Query& w = q("ZQ21");
    w.setSql("INSERT INTO fjsor (s_bszam, s_brutto) VALUES (:p1, :p2)");
    for (int i = 0; i < 500; ++i) {
        w.bindText("p1", QString::number(i).rightJustified(8, '0'));
        w.bindInt("p2", i);
        w.execSql();
    }
    f.data().commit();
    Query& r = q("ZQ20");
    r.setSql("SELECT * FROM fjsor ORDER BY id_fjsor");
    r.open();
    EXPECT_LT(r.rowCount(), 500);
    EXPECT_TRUE(r.canFetchMore());
    r.last();
    EXPECT_EQ(r.rowCount(), 500);
    EXPECT_EQ(r.text("s_brutto"), "499");
    EXPECT_TRUE(r.locate("S_BSZAM", "00000250", false, false));
    EXPECT_EQ(r.recNo(), 250);
}

TEST_F(DataModule, CursorEmptinessAgreesWithTheTextOfEveryKind) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"NULL", true},
        {"CAST(NULL AS INTEGER)", true},
        {"''", true},
        {"CAST('' AS VARCHAR(5))", true},
        {"CAST('' AS BLOB SUB_TYPE TEXT)", true},
        {"' '", false},
        {"CAST('' AS CHAR(3))", false},  // padded with blanks
        {"CAST('x' AS VARCHAR(5))", false},
        {"0", false},
        {"CAST(0 AS NUMERIC(18,4))", false},
        {"DATE '2026-01-01'", false},
    };
    QStringList select;
    for (const auto& [expression, empty] : cases) select << QString::fromLatin1(expression);
    const auto cursor = f.data().database().open(
        QStringLiteral("SELECT ") + select.join(u',') + QStringLiteral(" FROM rdb$database"), {});
    ASSERT_TRUE(cursor->next());
    for (int c = 0; c < int(cases.size()); ++c) {
        EXPECT_EQ(cursor->currentIsEmpty(c), cases[size_t(c)].second) << cases[size_t(c)].first;
        EXPECT_EQ(cursor->current(c).asText().isEmpty(), cases[size_t(c)].second)
            << cases[size_t(c)].first;
    }
}

TEST_F(DataModule, StreetLinesJoinTrimmedPartsWithSingleBlanks) {
    f.chooseBuyer("1");
    f.exec(
        "UPDATE atvevo SET v_kerulet = '', v_utca = ' Fő ', v_jelleg = 'utca', v_hazszam = '12', "
        "v_epulet = NULL, v_lepcso = '', v_szint = '  ', v_ajto = ''");
    EXPECT_EQ(f.data().atv_utca(), QStringLiteral(" Fő utca 12    "));
    EXPECT_EQ(f.run().buyerStreetLine, QStringLiteral(" Fő utca 12    "));

    // The selected ticket's producer does not exist: seven blanks.
    f.exec("INSERT INTO fjfej (f_bszam, f_ostermkod, f_akod) VALUES ('20240001', '999', '1')");
    Query& list = q("ZQ10");
    list.setSql("SELECT * FROM fjfej");
    list.open();
    EXPECT_EQ(f.data().ost_utca(), QStringLiteral("       "));
}

TEST_F(DataModule, NowaitConflictWithSecondAttachmentFailsAtOnce) {
    f.exec("INSERT INTO sorszam (a_fjbszam, a_akod) VALUES ('20240000', '1')");
    Query& w = q("ZQ50");
    w.setSql("UPDATE sorszam SET a_fjbszam = '20240001' WHERE a_akod = '1'");
    w.execSql();  // uncommitted

    RunValues otherRun;
    TData other(otherRun);
    other.connect(f.folder() + "/termaro.fdb");
    Query& o = other.query("ZQ50");
    o.setSql("UPDATE sorszam SET a_fjbszam = '20240009' WHERE a_akod = '1'");
    EXPECT_THROW(o.execSql(), DbError);
    other.rollback();
    f.data().commit();
    EXPECT_EQ(f.scalar("SELECT a_fjbszam FROM sorszam"), "20240001");
}

TEST(AppStart, ClosingCommitsPendingWork) {
    AppFixture f;
    Query& w = f.data().query("ZQ50");
    w.setSql("INSERT INTO sorszam (a_fjbszam, a_akod) VALUES ('20240000', '1')");
    w.execSql();
    f.app().shutdown();
    EXPECT_FALSE(f.data().connected());
    RunValues run;
    TData again(run);
    again.connect(f.folder() + "/termaro.fdb");
    Query& r = again.query("ZQ50");
    r.setSql("SELECT a_fjbszam FROM sorszam");
    r.open();
    EXPECT_EQ(r.text("a_fjbszam"), "20240000");
}
