// The database made by db/create.sql, db/create_old.sql and db/demo.sql, read through the data
// module the way the program reads it.
#include <gtest/gtest.h>

#include <QDate>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/query.h"
#include "core/run_values.h"
#include "core/tdata.h"
#include "support/database_fixture.h"

namespace {

struct TableColumns {
    const char* table;
    std::vector<std::string> columns;  // "NAME kind", in table order
};

// The tables as the rest of the program expects them. "pk" marks the primary key, "identity" a
// key the database fills in itself.
// clang-format off
const std::vector<TableColumns> kSchema = {
    {"FJFEJ",
     {"ID_FJFEJ int identity pk", "F_BSZAM text(8)", "F_OSTERMKOD text(5)", "F_KELT date",
      "F_FELVKELT date", "F_FIZKELT date", "F_UTAL text(1)", "F_PRN text(1)", "F_SZJA int64",
      "F_JARULSZAZ dec(18,4)", "F_LEVONAS dec(18,4)", "F_MEGJ text(200)", "F_NYILATK text(250)",
      "F_AKOD text(5)", "F_MUVKTG dec(18,4)", "F_TIPUS text(1)", "F_ERVENYT text(8)",
      "F_PIPA text(1)", "F_SUMVAR double", "F_SZJALEVON computed double",
      "F_TAGILEVON computed double"}},
    {"FJSOR",
     {"ID_FJSOR int identity pk", "S_BSZAM text(8)", "S_TERMEKKOD text(5)",
      "S_MEGNEVEZES text(75)", "S_VTSZ text(10)", "S_LEVONSZAZ dec(18,4)", "S_BRUTTO dec(18,4)",
      "S_MEGY text(10)", "S_EAR dec(18,4)", "S_KOMPMERTEKE dec(18,4)", "S_AKOD text(5)",
      "S_SZJA dec(18,4)", "S_BIZONYLAT text(10)", "S_LEVONAS computed dec(18,4)",
      "S_NETTO computed dec(18,4)", "S_FELVAR computed double", "S_KOMPFELAR computed double",
      "S_VETELAR computed double"}},
    {"OSTERMELO",
     {"ID_OSTERMELO int identity pk", "O_KOD text(5)", "O_NEV text(45)", "O_IRSZAM text(4)",
      "O_HELYSEGNEV text(45)", "O_UTCA text(45)", "O_ADOAZON text(10)", "O_IGSZAM text(8)",
      "O_REGSZAM text(10)", "O_SZJA int64", "O_SZULHELY text(45)", "O_SZIDO date",
      "O_ANYJA text(45)", "O_CSGAZD text(8)", "O_NEME text(1)", "O_SZULNEV text(45)",
      "O_TAJ text(9)", "O_ADOSZAM text(11)", "O_BANKSZLA text(26)", "O_ERVKELT date",
      "O_AKOD text(5)", "O_MUVKTG dec(18,4)", "O_MNYPTAG text(1)", "O_BETETLAP text(12)",
      "O_KAMARA text(20)", "O_FELIR text(12)", "O_KERULET text(20)", "O_JELLEG text(20)",
      "O_HAZSZAM text(20)", "O_EPULET text(20)", "O_LEPCSO text(20)", "O_SZINT text(20)",
      "O_AJTO text(20)", "O_FHAT int", "O_KOZADOSZAM text(20)", "O_FELJEGYZ text(1000)",
      "O_IGSZAM1 text(20)", "O_ERVKELT1 date", "O_CSGAZD1 text(20)"}},
    {"TERMEK",
     {"ID_TERMEK int identity pk", "T_KOD text(5)", "T_MEGNEVEZES text(75)", "T_VTSZ text(10)",
      "T_EAR dec(18,4)", "T_MEGY text(10)", "T_KOMPMERTEKE int64", "T_AKOD text(5)",
      "T_BIZONYLAT text(10)"}},
    {"SORSZAM",
     {"ID_SORSZAM int identity pk", "A_FJBSZAM text(8)", "A_AKOD text(5)", "A_SZERIA text(45)",
      "A_VERZIO text(45)"}},
    {"ATVEVO",
     {"ID_ATVEVO int identity pk", "V_NEVE text(75)", "V_HELYSEG text(45)", "V_UTCA text(45)",
      "V_IRSZAM text(8)", "V_ADOSZAM text(11)", "V_BANKSZLA text(26)", "V_ADOAZON text(10)",
      "V_NYILATK text(250)", "V_AKOD text(5)", "V_SZERIA text(45)", "V_VERZIO text(45)",
      "V_KISADO text(5)", "V_EV text(5)", "V_EVNYILV text(20)", "V_KERULET text(20)",
      "V_JELLEG text(20)", "V_HAZSZAM text(20)", "V_EPULET text(20)", "V_LEPCSO text(20)",
      "V_SZINT text(20)", "V_AJTO text(20)", "V_KOZADOSZAM text(20)", "V_EV_NEVE text(45)"}},
    {"NAVFEJ",
     {"FE_SZLASORSZAM text(8)", "FE_SZLADATUM date", "FE_TELJDATUM date", "NE_FIZ_MOD text(1)",
      "TE_ARENGEDM dec(18,4)", "FE_SZLATIPUS text(1)", "MO_EREDETI_SORSZAM text(8)",
      "NE_FIZ_HATARIDO date", "SZJA_BRUTTOAR double", "TAGI_BRUTTOAR double",
      "LEV_BRUTTOAR dec(18,4)", "KI_NEV text(75)", "KI_IRANYITOSZAM text(8)",
      "KI_TELEPULES text(45)", "KI_KOZTERULET_NEVE text(45)", "KI_ADOSZAM text(11)",
      "NE_KIBOCSATO_BANKSZLA text(26)", "KI_KERULET text(20)", "KI_KOZTERULET_JELLEGE text(20)",
      "KI_HAZSZAM text(20)", "KI_EPULET text(20)", "KI_LEPCSOHAZ text(20)", "KI_SZINT text(20)",
      "KI_AJTO text(20)", "VE_NEV text(45)", "VE_IRANYITOSZAM text(4)", "VE_TELEPULES text(45)",
      "VE_KOZTERULET_NEVE text(45)", "VE_ADOSZAM text(11)", "NE_BEFOGADO_BANKSZLA text(26)",
      "VE_KERULET text(20)", "VE_KOZTERULET_JELLEGE text(20)", "VE_HAZSZAM text(20)",
      "VE_EPULET text(20)", "VE_LEPCSOHAZ text(20)", "VE_SZINT text(20)", "VE_AJTO text(20)",
      "KI_EGYENI_VALLALKOZO text(5)", "KI_EV_NYILV_TART_SZAM text(20)", "KI_EV_NEVE text(45)",
      "ZA_ONSZAMLA text(250)", "NE_PENZNEM text(10)", "NE_SZLA_FORMA text(250)",
      "TE_ADOKULCS dec(18,4)", "TE_ADOERTEK dec(18,4)", "KI_KISADOZO text(5)",
      "KI_KOZADOSZAM text(20)", "VE_KOZADOSZAM text(20)"}},
    {"NAVSOR",
     {"TE_SZLASORSZAM text(8)", "TE_SORSZAM int", "TE_TERMEKNEV text(75)",
      "TE_MENNY dec(18,4)", "TE_MERTEKEGYS text(10)", "TE_NETTOEGYSAR dec(18,4)",
      "TE_NETTOAR double", "TE_ADOKULCS dec(18,4)", "TE_ADOERTEK double", "TE_BRUTTOAR double"}},
};
// clang-format on

const std::vector<std::string>& columnsFor(const std::string& table) {
    return std::find_if(kSchema.begin(), kSchema.end(),
                        [&](const TableColumns& t) { return t.table == table; })
        ->columns;
}

// The producer columns that only the in-place upgrades bring to an older database.
const std::set<std::string> kUpgradeColumns = {"O_MNYPTAG text(1)", "O_FELIR text(12)",
                                               "O_IGSZAM1 text(20)", "O_ERVKELT1 date",
                                               "O_CSGAZD1 text(20)"};

// A column kind in the words of the schema description, from RDB$FIELDS.
QString kindOf(qint64 type, qint64 scale, qint64 precision, qint64 length) {
    if (type == 8) return "int";
    if (type == 16) return scale == 0 ? "int64" : QString("dec(%1,%2)").arg(precision).arg(-scale);
    if (type == 27) return "double";
    if (type == 12) return "date";
    if (type == 37) return QString("text(%1)").arg(length);
    if (type == 14) return QString("char(%1)").arg(length);  // pads, so " " would not read back
    return QString("type %1").arg(type);
}

// Builds termaro.fdb in `folder` with db/create_old.sql.
void createOldDatabase(const QString& folder) {
    QProcess isql;
    isql.setWorkingDirectory(folder);
    isql.start("isql-fb", {"-q", "-bail", "-i", repoDbFolder() + "/create_old.sql"});
    ASSERT_TRUE(isql.waitForFinished(120000));
    EXPECT_EQ(isql.exitCode(), 0);
    EXPECT_EQ(isql.readAllStandardError(), QByteArray());
}

// A fresh database in a temporary folder, attached through the data module.
class Schema : public ::testing::Test {
protected:
    enum class Script { Current, Demo, Old };

    void open(Script script = Script::Current) {
        ASSERT_TRUE(m_dir.isValid());
        if (script == Script::Old)
            createOldDatabase(m_dir.path());
        else
            createDatabase(m_dir.path(), script == Script::Demo);
        m_data.connect(m_dir.path() + "/termaro.fdb");
    }

    Query& q(const char* sql, const char* name = "ZQ11") {
        Query& query = m_data.query(name);
        query.close();
        query.setSql(sql);
        return query;
    }

    QString scalar(const char* sql) {
        Query& query = q(sql);
        query.open();
        return query.valueAt(0, 0).asText();
    }

    // Each column of `table` as "NAME kind", read from the system tables.
    std::vector<std::string> columnsOf(const char* table) {
        std::set<QString> keys;
        Query& pk =
            q("SELECT TRIM(s.RDB$FIELD_NAME) AS col FROM RDB$RELATION_CONSTRAINTS c "
              "JOIN RDB$INDEX_SEGMENTS s ON s.RDB$INDEX_NAME = c.RDB$INDEX_NAME "
              "WHERE c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' AND c.RDB$RELATION_NAME = :p1");
        pk.bindText("p1", table);
        for (pk.open(); !pk.eof(); pk.next()) keys.insert(pk.text("col"));

        Query& c =
            q("SELECT TRIM(rf.RDB$FIELD_NAME) AS col, f.RDB$FIELD_TYPE AS ftype, "
              "f.RDB$FIELD_SCALE AS fscale, f.RDB$FIELD_PRECISION AS fprecision, "
              "f.RDB$CHARACTER_LENGTH AS clength, rf.RDB$IDENTITY_TYPE AS identity_type, "
              "IIF(f.RDB$COMPUTED_BLR IS NULL, 0, 1) AS computed "
              "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = "
              "rf.RDB$FIELD_SOURCE "
              "WHERE rf.RDB$RELATION_NAME = :p1 ORDER BY rf.RDB$FIELD_POSITION");
        c.bindText("p1", table);
        std::vector<std::string> result;
        for (c.open(); !c.eof(); c.next()) {
            const QString name = c.text("col");
            QString kind = kindOf(c.integer("ftype"), c.integer("fscale"), c.integer("fprecision"),
                                  c.integer("clength"));
            if (c.integer("computed")) kind = "computed " + kind;
            if (!c.value("identity_type").isNull()) kind += " identity";
            if (keys.count(name)) kind += " pk";
            result.push_back((name + " " + kind).toStdString());
        }
        return result;
    }

    // The collation and the domain of one column.
    std::pair<QString, QString> collationAndDomain(const char* table, const char* column) {
        Query& c =
            q("SELECT TRIM(cl.RDB$COLLATION_NAME) AS coll, TRIM(rf.RDB$FIELD_SOURCE) AS dom "
              "FROM RDB$RELATION_FIELDS rf JOIN RDB$FIELDS f ON f.RDB$FIELD_NAME = "
              "rf.RDB$FIELD_SOURCE "
              "LEFT JOIN RDB$COLLATIONS cl ON cl.RDB$CHARACTER_SET_ID = f.RDB$CHARACTER_SET_ID "
              "AND cl.RDB$COLLATION_ID = COALESCE(rf.RDB$COLLATION_ID, f.RDB$COLLATION_ID) "
              "WHERE rf.RDB$RELATION_NAME = :p1 AND rf.RDB$FIELD_NAME = :p2");
        c.bindText("p1", table);
        c.bindText("p2", column);
        c.open();
        return {c.text("coll"), c.text("dom")};
    }

    QTemporaryDir m_dir;
    RunValues m_run;
    TData m_data{m_run};
};

// Binds p1, p2, ... to amounts typed with a decimal comma; nullptr binds NULL.
void bindNumbers(Query& query, std::initializer_list<const char*> amounts) {
    int n = 0;
    for (const char* amount : amounts) {
        const QString name = QString("p%1").arg(++n);
        if (amount) {
            query.bindNumber(name, amount);
        } else {
            query.bindNull(name);
        }
    }
}

// Rounds to the nearest whole number, halves to the even neighbour.
double roundEven(double v) {
    return std::nearbyint(v);
}

bool validTaxId(const QString& t) {  // adóazonosító jel
    if (t.size() != 10) return false;
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += t[i].digitValue() * (i + 1);
    return sum % 11 == t[9].digitValue();
}

bool validTaxNumber(const QString& t) {  // adószám
    if (t.size() != 11) return false;
    const int weights[] = {9, 7, 3, 1, 9, 7, 3};
    int sum = 0;
    for (int i = 0; i < 7; ++i) sum += t[i].digitValue() * weights[i];
    return (10 - sum % 10) % 10 == t[7].digitValue();
}

bool validSocialSecurity(const QString& t) {  // TAJ
    if (t.size() != 9) return false;
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum += t[i].digitValue() * (i % 2 == 0 ? 3 : 7);
    return sum % 10 == t[8].digitValue();
}

}  // namespace

TEST_F(Schema, TablesHaveEveryColumnWithItsKindAndWidth) {
    open();
    for (const TableColumns& t : kSchema) EXPECT_EQ(columnsOf(t.table), t.columns) << t.table;
}

TEST_F(Schema, DatabaseAssignsKeysAndBlankDocumentNumbers) {
    open();
    for (const char* sql :
         {"INSERT INTO FJFEJ (F_AKOD, F_MEGJ, F_NYILATK) VALUES ('1', '', ' ')",
          "INSERT INTO FJFEJ (F_AKOD) VALUES ('1')", "INSERT INTO FJSOR (S_AKOD) VALUES ('1')"})
        q(sql).execSql();

    // The voiding procedure finds its fresh copies by the number " ".
    Query& h =
        q("SELECT ID_FJFEJ, F_BSZAM, F_MEGJ, F_NYILATK FROM FJFEJ WHERE F_BSZAM = :p0 ORDER BY "
          "ID_FJFEJ");
    h.bindText("p0", " ");
    h.open();
    h.fetchAll();
    ASSERT_EQ(h.rowCount(), 2);
    EXPECT_EQ(h.text("F_BSZAM"), " ");
    EXPECT_EQ(h.text("F_MEGJ"), "");      // texts read back as stored: no padding,
    EXPECT_EQ(h.text("F_NYILATK"), " ");  // no trimming
    const auto firstId = h.integer("ID_FJFEJ");
    h.next();
    EXPECT_NE(h.integer("ID_FJFEJ"), firstId);
    EXPECT_EQ(scalar("SELECT '[' || S_BSZAM || ']' FROM FJSOR"), "[ ]");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM FJSOR WHERE ID_FJSOR IS NOT NULL"), "1");
}

TEST_F(Schema, LineValuesAreComputedFromQuantityDeductionPriceAndRate) {
    struct Case {
        const char *brutto, *levonszaz, *ear, *komp;  // bound as typed, NULL when null
        const char *levonas, *netto;
        double felvar, kompfelar, vetelar;
    };
    const Case cases[] = {
        {"100", "0", "50", "7", "0", "100", 5000, 350, 5350},       // no deduction
        {"-10", "0", "100", "12", "0", "-10", -1000, -120, -1120},  // voiding line
        {"12,345", "2", "78000", "7", "0,2469", "12,0981", 943651.8, 66055.626, 1009707.426},
        {"0,0025", "2", "1000", "12", "0,0001", "0,0024", 2.4, 0.288, 2.688},  // half rounds up
        {"-0,0025", "2", "1000", "12", "-0,0001", "-0,0024", -2.4, -0.288, -2.688},
        {nullptr, nullptr, nullptr, nullptr, "0", "0", 0, 0, 0},  // nothing entered
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.brutto ? c.brutto : "NULL");
        Query& w =
            q("INSERT INTO FJSOR (S_BSZAM, S_BRUTTO, S_LEVONSZAZ, S_EAR, S_KOMPMERTEKE) "
              "VALUES ('1', :p1, :p2, :p3, :p4)");
        bindNumbers(w, {c.brutto, c.levonszaz, c.ear, c.komp});
        w.execSql();
        Query& r = q("SELECT * FROM FJSOR WHERE S_BSZAM = '1'");
        r.open();
        EXPECT_EQ(r.text("S_LEVONAS"), c.levonas);
        EXPECT_EQ(r.text("S_NETTO"), c.netto);
        EXPECT_NEAR(r.number("S_FELVAR"), c.felvar, 1e-9);
        EXPECT_NEAR(r.number("S_KOMPFELAR"), c.kompfelar, 1e-9);
        EXPECT_NEAR(r.number("S_VETELAR"), c.vetelar, 1e-9);
        EXPECT_EQ(r.value("S_NETTO").kind(), Value::Kind::Decimal);
        EXPECT_EQ(r.value("S_VETELAR").kind(), Value::Kind::Double);
        q("DELETE FROM FJSOR").execSql();
    }
}

TEST_F(Schema, HeaderComputesTaxAndContributionWithheld) {
    struct Case {
        const char *sumvar, *szja, *jarul;
        double szjalevon, tagilevon;
    };
    const Case cases[] = {
        {"10000", "15", "2", 1500, 170},
        {"-10000", "15", "2", -1500, -170},  // voiding document
        {"1234,5", "0", "0", 0, 0},
        {nullptr, nullptr, nullptr, 0, 0},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sumvar ? c.sumvar : "NULL");
        Query& w =
            q("INSERT INTO FJFEJ (F_BSZAM, F_SUMVAR, F_SZJA, F_JARULSZAZ) VALUES ('1', :p1, :p2, "
              ":p3)");
        bindNumbers(w, {c.sumvar, c.szja, c.jarul});
        w.execSql();
        Query& r = q("SELECT F_SZJALEVON, F_TAGILEVON FROM FJFEJ WHERE F_BSZAM = '1'");
        r.open();
        EXPECT_NEAR(r.number("F_SZJALEVON"), c.szjalevon, 1e-9);
        EXPECT_NEAR(r.number("F_TAGILEVON"), c.tagilevon, 1e-9);
        EXPECT_FALSE(r.value("F_TAGILEVON").isNull());
        q("DELETE FROM FJFEJ").execSql();
    }
}

TEST_F(Schema, NamesSortInHungarianOrderAndDomainsAreInPlace) {
    open();
    const struct {
        const char *table, *column, *collation, *domain;
    } cases[] = {
        {"OSTERMELO", "O_FELIR", "PXW_HUNDC", "D_BLAP"},
        {"OSTERMELO", "O_NEV", "PXW_HUNDC", nullptr},
        {"TERMEK", "T_MEGNEVEZES", "PXW_HUNDC", nullptr},
        {"ATVEVO", "V_NEVE", "PXW_HUNDC", nullptr},
        {"OSTERMELO", "O_KOD", "WIN1250", nullptr},
        {"FJFEJ", "F_BSZAM", "WIN1250", nullptr},
        {"OSTERMELO", "O_KAMARA", "WIN1250", "D_KAMARA"},
        {"OSTERMELO", "O_IGSZAM1", "WIN1250", "SZOVEG20"},
        {"OSTERMELO", "O_CSGAZD1", "WIN1250", "SZOVEG20"},
        {"OSTERMELO", "O_ERVKELT1", "", "D_ERVKELT"},
    };
    for (const auto& c : cases) {
        const auto [collation, domain] = collationAndDomain(c.table, c.column);
        EXPECT_EQ(collation, c.collation) << c.column;
        if (c.domain) {
            EXPECT_EQ(domain, c.domain) << c.column;
        }
    }

    // Accented initials sort beside their plain letter, not after Z.
    for (const char* name : {"Zala Ödön", "Ábrahám Éva", "Abonyi Gábor", "Dávid Ilona"}) {
        Query& w = q("INSERT INTO OSTERMELO (O_KOD, O_NEV) VALUES ('1', :p1)");
        w.bindText("p1", name);
        w.execSql();
    }
    QStringList order;
    Query& r = q("SELECT O_NEV FROM OSTERMELO ORDER BY O_NEV");
    for (r.open(); !r.eof(); r.next()) order << r.text("O_NEV");
    EXPECT_EQ(order.join("|"), "Abonyi Gábor|Ábrahám Éva|Dávid Ilona|Zala Ödön");
}

TEST_F(Schema, NewDatabaseHoldsOneBuyerAndNoNumbering) {
    open();
    Query& b = q("SELECT * FROM ATVEVO");
    b.open();
    b.fetchAll();
    ASSERT_EQ(b.rowCount(), 1);
    EXPECT_EQ(b.text("V_AKOD"), "1");
    EXPECT_EQ(b.text("V_VERZIO"), "");  // no print variant: the plain ticket template
    EXPECT_EQ(b.text("V_EV"), " ");
    EXPECT_EQ(b.text("V_KISADO"), " ");
    EXPECT_TRUE(validTaxNumber(b.text("V_ADOSZAM"))) << b.text("V_ADOSZAM").toStdString();
    EXPECT_GE(b.text("V_NYILATK").size(), 6);
    EXPECT_TRUE(b.text("V_NEVE").contains("Kft."));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM SORSZAM"), "0");
}

TEST_F(Schema, OldDatabaseLacksTheUpgradedColumnsAndTheUpgradesBringThem) {
    open(Script::Old);
    std::vector<std::string> expected;
    for (const std::string& c : columnsFor("OSTERMELO")) {
        if (c == "O_KAMARA text(20)") {
            expected.push_back("O_KAMARA text(10)");  // D_KAMARA before it was widened
        } else if (!kUpgradeColumns.count(c)) {
            expected.push_back(c);
        }
    }
    EXPECT_EQ(columnsOf("OSTERMELO"), expected);
    for (const TableColumns& t : kSchema) {
        if (std::string(t.table) == "OSTERMELO") continue;
        EXPECT_EQ(columnsOf(t.table), t.columns) << t.table;
    }

    // The statements of the in-place upgrades need the domains to be there already.
    for (const char* sql : {"ALTER TABLE OSTERMELO ADD O_IGSZAM1 SZOVEG20  ",
                            "ALTER TABLE OSTERMELO ADD O_ERVKELT1 D_ERVKELT  ",
                            "ALTER  TABLE OSTERMELO ADD O_CSGAZD1 SZOVEG20   ",
                            "ALTER TABLE OSTERMELO ADD O_FELIR D_BLAP COLLATE PXW_HUNDC ",
                            "ALTER TABLE ostermelo ADD o_mnyptag VARCHAR(1) ",
                            "ALTER DOMAIN D_KAMARA TYPE VARCHAR(20) CHARACTER SET WIN1250 "}) {
        q(sql).execSql();
        m_data.commit();
    }
    std::vector<std::string> upgraded = columnsOf("OSTERMELO");
    std::vector<std::string> current = columnsFor("OSTERMELO");
    std::sort(upgraded.begin(), upgraded.end());
    std::sort(current.begin(), current.end());
    EXPECT_EQ(upgraded, current);
    EXPECT_EQ(collationAndDomain("OSTERMELO", "O_FELIR").first, "PXW_HUNDC");
}

TEST_F(Schema, DemoTicketsAreConsistent) {
    open(Script::Demo);
    QStringList buyers;
    Query& b = q("SELECT V_AKOD, V_VERZIO FROM ATVEVO ORDER BY V_AKOD");
    for (b.open(); !b.eof(); b.next()) buyers << b.text("V_AKOD") + "/" + b.text("V_VERZIO");
    EXPECT_EQ(buyers, (QStringList{"1/", "2/L"}));
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT O_KOD) FROM OSTERMELO WHERE CAST(O_KOD AS INTEGER) "
                     "BETWEEN 1 AND 20"),
              "20");
    EXPECT_EQ(scalar("SELECT COUNT(DISTINCT T_KOD) FROM TERMEK WHERE CAST(T_KOD AS INTEGER) "
                     "BETWEEN 1 AND 15"),
              "15");
    // Numbers are eight digits, unique across buyers, and each buyer's numbering row holds its last
    // one.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM FJFEJ WHERE F_BSZAM NOT SIMILAR TO '[1-9][0-9]{7}'"),
              "0");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM (SELECT F_BSZAM FROM FJFEJ GROUP BY F_BSZAM HAVING "
                     "COUNT(*) > 1)"),
              "0");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM ATVEVO v WHERE (SELECT A_FJBSZAM FROM SORSZAM WHERE "
                     "A_AKOD = v.V_AKOD) "
                     "IS DISTINCT FROM (SELECT MAX(F_BSZAM) FROM FJFEJ WHERE F_AKOD = v.V_AKOD)"),
              "0");
    // Every line belongs to a ticket of its buyer, every ticket has lines and a known producer.
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM FJSOR s LEFT JOIN FJFEJ f ON f.F_BSZAM = s.S_BSZAM "
                     "WHERE f.F_AKOD IS DISTINCT FROM s.S_AKOD"),
              "0");
    EXPECT_EQ(
        scalar(
            "SELECT COUNT(*) FROM FJFEJ f LEFT JOIN OSTERMELO o ON o.O_KOD = f.F_OSTERMKOD "
            "WHERE o.O_KOD IS NULL OR NOT EXISTS (SELECT 1 FROM FJSOR WHERE S_BSZAM = f.F_BSZAM)"),
        "0");

    // Totals and payable amounts as ticket entry computes them.
    Query& t =
        q("SELECT f.*, (SELECT SUM(S_VETELAR) FROM FJSOR WHERE S_BSZAM = f.F_BSZAM) AS lines_total "
          "FROM FJFEJ f ORDER BY F_BSZAM");
    int tickets = 0, printed = 0;
    for (t.open(); !t.eof(); t.next()) {
        SCOPED_TRACE(t.text("F_BSZAM").toStdString());
        const double total = t.number("F_SUMVAR");
        EXPECT_NEAR(total, t.number("lines_total"), 1e-6);
        const double rest =
            total - t.number("F_SZJALEVON") - t.number("F_TAGILEVON") - t.number("F_LEVONAS");
        const bool transfer = t.text("F_UTAL") == "x";
        EXPECT_TRUE(transfer || t.text("F_UTAL") == " ");
        const double payable = transfer ? roundEven(rest) : roundEven(roundEven(rest) / 5) * 5;
        EXPECT_EQ(t.number("F_MUVKTG"), payable);
        if (!transfer) {
            EXPECT_EQ(t.value("F_FIZKELT").asDate(), t.value("F_FELVKELT").asDate());
        }
        if (t.text("F_TIPUS") == "1" && t.text("F_AKOD") == "1") ++tickets;
        if (t.text("F_PRN") == "I") ++printed;
    }
    EXPECT_EQ(tickets, 12);
    EXPECT_GT(printed, 0);

    // One voiding document and its ticket point at each other; its lines are the negated lines.
    Query& v =
        q("SELECT d.F_BSZAM AS doc, d.F_SUMVAR AS doc_sum, d.F_MUVKTG AS doc_pay, "
          "o.F_BSZAM AS orig, o.F_SUMVAR AS orig_sum, o.F_MUVKTG AS orig_pay, "
          "o.F_PRN AS orig_prn, o.F_TIPUS AS orig_tipus, o.F_ERVENYT AS back "
          "FROM FJFEJ d JOIN FJFEJ o ON o.F_BSZAM = d.F_ERVENYT WHERE d.F_TIPUS = '4'");
    v.open();
    v.fetchAll();
    ASSERT_EQ(v.rowCount(), 1);
    EXPECT_EQ(v.text("back"), v.text("doc"));
    EXPECT_EQ(v.text("orig_tipus"), "1");
    EXPECT_EQ(v.text("orig_prn"), "I");
    EXPECT_EQ(v.number("doc_sum"), -v.number("orig_sum"));
    EXPECT_EQ(v.number("doc_pay"), -v.number("orig_pay"));

    Query& l = q("SELECT * FROM FJSOR WHERE S_BSZAM = :p1 ORDER BY ID_FJSOR", "ZQ21");
    auto linesOf = [&](const QString& number, int sign) {
        l.close();
        l.bindText("p1", number);
        QStringList result;
        for (l.open(); !l.eof(); l.next()) {
            result << QStringList{l.text("S_TERMEKKOD"), numberText(sign * l.number("S_BRUTTO")),
                                  l.text("S_EAR"), l.text("S_KOMPMERTEKE"), l.text("S_AKOD")}
                          .join("|");
        }
        return result;
    };
    const QStringList voided = linesOf(v.text("orig"), -1);
    EXPECT_FALSE(voided.isEmpty());
    EXPECT_EQ(linesOf(v.text("doc"), 1), voided);
}

TEST_F(Schema, DemoIdentifiersCarryValidCheckDigits) {
    open(Script::Demo);
    Query& p = q("SELECT * FROM OSTERMELO");
    int transfers = 0;
    for (p.open(); !p.eof(); p.next()) {
        SCOPED_TRACE(p.text("O_NEV").toStdString());
        EXPECT_TRUE(validTaxId(p.text("O_ADOAZON")));
        EXPECT_TRUE(validTaxNumber(p.text("O_ADOSZAM")));
        EXPECT_TRUE(validSocialSecurity(p.text("O_TAJ")));
        EXPECT_TRUE(
            QRegularExpression("^[A-Za-z]{2}[0-9]{7}$").match(p.text("O_FELIR")).hasMatch());
        // The tax identification number carries the birth date as days since 1867.01.01.
        EXPECT_EQ(p.text("O_ADOAZON").mid(1, 5).toLongLong(),
                  QDate(1867, 1, 1).daysTo(p.value("O_SZIDO").asDate()));
        if (p.text("O_BANKSZLA").trimmed().size() >= 8) ++transfers;
    }
    EXPECT_EQ(p.rowCount(), 20);
    EXPECT_GT(transfers, 0);
    EXPECT_LT(transfers, 10);
    Query& b = q("SELECT * FROM ATVEVO WHERE V_AKOD = '2'");
    b.open();
    EXPECT_TRUE(validTaxNumber(b.text("V_ADOSZAM")));
    EXPECT_TRUE(validTaxId(b.text("V_ADOAZON")));
}
