#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>

#include "core/win1250.h"
#include "exchange/producer_import.h"
#include "exchange_test_support.h"
#include "support/app_fixture.h"

namespace {

const QStringList producerLines = {
    "Kód;Név;Irsz;Helység;Utca;Adóazonosító;Igszám;Regszám;Szja;Szülhely;Szülidő;Anyja;Csgazd;"
    "Neme;Szülnév;TAJ;Adószám;Bankszámla",
    "",
    " 20001 ; Szőke Ödön ;6000;Kecskemét;Fő utca 1.;8347708363;1707536;1004556815;15;Szeged;"
    "1962.03.14.;Nagy Éva;18844729;1;Szőke Ödön;123-456-789;71689766103;11735005-99869878",
    "20002;Öt Mező;6600;Szentes;Kossuth",
    "20003;Tíz Számjegy;6000;Kecskemét;Rózsa;;;;;;;;;;;1234567890",
    ";Nincs Kód;6000",
    "20004;Rossz Dátum;6000;Szeged;Tisza;;;;;;tegnapelőtt",
};

class ProducerImport : public ::testing::Test {
protected:
    ProducerImport() { f.chooseBuyer(); }

    void runImport(const QByteArray& bytes) {
        const QString path = f.folder() + QStringLiteral("/termelok.csv");
        writeBytes(path, bytes);
        TForm34 screen(f.app());
        screen.show();
        f.ui.files.push_back(path);
        buttonOf(&screen, "Megnyitás")->click();
        EXPECT_EQ(screen.findChild<QListWidget*>("CheckListBox1")->count(), producerLines.size());
        buttonOf(&screen, "Feldolgozás")->click();
        // The grid ends on the newest producer.
        EXPECT_EQ(f.data().query("ZQ30").sql(), "SELECT *\nFROM ostermelo");
        EXPECT_EQ(f.data().query("ZQ30").text("O_KOD"), "20003");
    }

    // The imported producers, one line each, in code order.
    QStringList producers() {
        QStringList rows;
        const int n = f.scalar("SELECT COUNT(*) FROM ostermelo").toInt();
        for (int i = 0; i < n; ++i) {
            rows << f.scalar(
                QStringLiteral("SELECT FIRST 1 SKIP %1 o_kod || '|' || o_nev || '|' || o_irszam "
                               "|| '|' || o_helysegnev || '|' || o_utca || '|' || "
                               "COALESCE(o_adoazon, '-') || '|' || COALESCE(o_szulhely, '-') || "
                               "'|' || o_szido || '|' || COALESCE(o_anyja, '-') || '|' || "
                               "COALESCE(o_taj, '-') || '|' || COALESCE(o_bankszla, '-') || '|' "
                               "|| o_szja || '|' || COALESCE(o_akod, '-') FROM ostermelo "
                               "ORDER BY o_kod")
                    .arg(i));
        }
        return rows;
    }

    AppFixture f;
};

TEST_F(ProducerImport, Utf8AndWindows1250FilesGiveTheSameProducers) {
    const QStringList expected = {
        "20001|Szőke Ödön|6000|Kecskemét|Fő utca 1.|8347708363|Szeged|1962-03-14|Nagy Éva|"
        "123456789|11735005-99869878|0|-",
        "20002|Öt Mező|6600|Szentes|Kossuth|||1900-01-01||||0|-",
        "20003|Tíz Számjegy|6000|Kecskemét|Rózsa|||1900-01-01||123456789||0|-",
    };
    const QString text = producerLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    runImport(QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    EXPECT_EQ(producers(), expected);
    EXPECT_EQ(f.ui.messages,
              (QStringList{"Hiba301: Újban, INSERT az östermelöben ",
                           "Hiba301: Újban, INSERT az östermelöben ", "A lista feldolgozva"}));

    f.exec("DELETE FROM ostermelo");
    runImport(win1250::encode(text));
    EXPECT_EQ(producers(), expected);
    f.exec("DELETE FROM ostermelo");
    runImport(text.toUtf8());  // UTF-8 without a byte-order mark
    EXPECT_EQ(producers(), expected);

    // The same file again adds nothing and says which rows were left out.
    f.ui.messages.clear();
    runImport(win1250::encode(text));
    EXPECT_EQ(producers(), expected);
    ASSERT_EQ(f.ui.messages.size(), 4);
    EXPECT_TRUE(f.ui.messages.at(2).startsWith("3 sor kimaradt"))
        << f.ui.messages.at(2).toStdString();
}

TEST(ProducerFile, DecodingAndFields) {
    EXPECT_EQ(decodeProducerFile("\xEF\xBB\xBF"
                                 "abc"),
              "abc");
    EXPECT_EQ(decodeProducerFile("Sz\xC5\x91ke"), "Szőke");
    EXPECT_EQ(decodeProducerFile("Sz\xF5ke"), "Szőke");
    EXPECT_EQ(decodeProducerFile("plain"), "plain");
    EXPECT_EQ(semicolonFields(" a ; ;b"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(semicolonFields(QString(30, u';')).size(), 25);
}

}  // namespace
