#include "large_data.h"

#include <gtest/gtest.h>

#include "registers_helpers.h"
#include "tickets/ticket_amounts.h"
#include "validation/identifiers.h"

namespace {

TEST(LargeData, MakesValidProducersAndConsistentTickets) {
    AppFixture f;
    LargeDataCounts counts;
    counts.producers = 40;
    counts.products = 35;
    counts.tickets = 60;
    counts.lines = 170;
    counts.firstProducerCode = 10001;
    fillLargeData(f.data(), counts);
    EXPECT_FALSE(f.data().inTransaction());

    Query& q = f.data().query("ZQ91");
    q.setSql("SELECT * FROM ostermelo ORDER BY id_ostermelo");
    q.open();
    q.fetchAll();
    ASSERT_EQ(q.rowCount(), 40);
    for (q.first(); !q.eof(); q.next()) {
        const QString code = q.text("O_KOD");
        EXPECT_EQ(code, QString::number(10001 + q.recNo()));
        EXPECT_TRUE(AdoazonEllenorzes(q.text("O_ADOAZON"))) << q.text("O_ADOAZON").toStdString();
        EXPECT_TRUE(ElteltNapEllenorzes(q.text("O_ADOAZON"), q.text("O_SZIDO")))
            << code.toStdString();
        EXPECT_EQ(q.text("O_ADOSZAM").size(), 11);
        EXPECT_TRUE(AdoszamEllenorzes(q.text("O_ADOSZAM"))) << q.text("O_ADOSZAM").toStdString();
        EXPECT_TRUE(TAJEllenorzes(q.text("O_TAJ"))) << q.text("O_TAJ").toStdString();
        EXPECT_EQ(felir(q.text("O_FELIR")), "0") << q.text("O_FELIR").toStdString();
        EXPECT_EQ(q.text("O_IRSZAM").size(), 4);
        EXPECT_FALSE(q.text("O_NEV").trimmed().isEmpty());
    }
    EXPECT_EQ(f.scalar("SELECT count(DISTINCT t_megnevezes) FROM termek"), "35");

    q.setSql(
        "SELECT f.*, o.o_szja, (SELECT count(*) FROM fjsor WHERE s_bszam = f.f_bszam) AS db, "
        "(SELECT sum(s_vetelar) FROM fjsor WHERE s_bszam = f.f_bszam) AS vetelar "
        "FROM fjfej f JOIN ostermelo o ON o.o_kod = f.f_ostermkod ORDER BY f.f_bszam");
    q.open();
    q.fetchAll();
    ASSERT_EQ(q.rowCount(), 60);
    int lines = 0;
    for (q.first(); !q.eof(); q.next()) {
        const QString number = q.text("F_BSZAM");
        EXPECT_EQ(number, QString::number(20260001 + q.recNo()));
        EXPECT_EQ(q.text("F_AKOD"), "1");
        EXPECT_EQ(q.number("F_SZJA"), q.number("O_SZJA")) << number.toStdString();
        const double total = q.number("F_SUMVAR");
        EXPECT_DOUBLE_EQ(total, q.number("VETELAR")) << number.toStdString();
        const bool transfer = q.text("F_UTAL") == "x";
        EXPECT_EQ(
            q.number("F_MUVKTG"),
            double(payableAmount(total, szjaWithheld(q.number("F_SZJA"), total), 0, 0, transfer)))
            << number.toStdString();
        lines += int(q.integer("DB"));
        EXPECT_GE(q.integer("DB"), 2);
    }
    EXPECT_EQ(lines, 170);
    EXPECT_EQ(f.scalar("SELECT a_fjbszam FROM sorszam WHERE a_akod = '1'"), "20260060");
    EXPECT_EQ(
        f.scalar("SELECT count(*) FROM fjsor WHERE s_termekkod NOT IN (SELECT t_kod FROM termek)"),
        "0");
}

}  // namespace
