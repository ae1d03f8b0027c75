#include "exchange/inventory_xml_screen.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "core/clock.h"
#include "exchange/inventory_xml.h"
#include "support/app_fixture.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct InventoryFixture {
    InventoryFixture() {
        f.chooseBuyer("1");
        screen = std::make_unique<TForm41>(f.app());
        screen->show();
    }
    QPushButton* button(const char* name) { return screen->findChild<QPushButton*>(name); }
    void collect(QDate from, QDate to) {
        screen->findChild<QDateEdit*>("DateTimePicker1")->setDate(from);
        screen->findChild<QDateEdit*>("DateTimePicker2")->setDate(to);
        button("Button4")->click();
    }
    QString source() const { return f.folder() + "/" + inventory::fileName; }
    void setTarget(const QString& path) { screen->findChild<QLineEdit*>("Edit1")->setText(path); }

    AppFixture f{true};
    std::unique_ptr<TForm41> screen;
};

}  // namespace

TEST(InventoryXml, AugustIsWrittenAsTheInventoryProgramReadsIt) {
    InventoryFixture t;
    t.f.exec("UPDATE ostermelo SET o_nev = 'Kovács & Fia <Bt>', o_utca = '' WHERE o_kod = '8'");
    EXPECT_FALSE(t.button("Button2")->isEnabled());
    t.collect(QDate(2026, 8, 1), QDate(2026, 8, 31));
    EXPECT_TRUE(t.f.ui.messages.isEmpty()) << t.f.ui.messages.join("|").toStdString();
    EXPECT_TRUE(t.button("Button2")->isEnabled());
    const QByteArray bytes = readAll(t.source());
    EXPECT_TRUE(bytes.startsWith(
        "<fjegy_keszlethez><Records><F_FELVKELT>08.03.2026</F_FELVKELT><S_BSZAM>20260010</S_BSZAM>"
        "<S_TERMEKKOD>4</S_TERMEKKOD><S_MEGNEVEZES>\xC5\x90szi \xC3\xA1rpa</S_MEGNEVEZES>"
        "<S_BIZONYLAT>5</S_BIZONYLAT><S_BRUTTO>18,6</S_BRUTTO><S_MEGY>t</S_MEGY>"
        "<S_EAR>68000</S_EAR><S_FELVAR>1245828</S_FELVAR><S_VTSZ>10039000</S_VTSZ>"
        "<O_KOD>8</O_KOD><O_NEV>Kov\xC3\xA1"
        "cs &amp; Fia &lt;Bt&gt;</O_NEV>"))
        << bytes.left(600).toStdString();
    EXPECT_TRUE(bytes.contains("<O_UTCA>null</O_UTCA>"));
    EXPECT_TRUE(bytes.endsWith("</Records></fjegy_keszlethez>"));
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_EQ(bytes.count("<Records>"), 10);
    // The voiding document's negative lines carry "0"; one day comes in number order.
    const qsizetype voiding = bytes.indexOf("<S_BSZAM>20260013</S_BSZAM>");
    EXPECT_GT(voiding, bytes.lastIndexOf("<S_BSZAM>20260011</S_BSZAM>"));
    EXPECT_TRUE(bytes.mid(voiding).contains("<S_BRUTTO>0</S_BRUTTO>"));
    EXPECT_TRUE(bytes.mid(voiding).contains("<S_FELVAR>0</S_FELVAR>"));
    EXPECT_EQ(t.f.data().query("ZQ21").rowCount(), 10);  // the grid shows the rows

    // A second collection replaces the file; an empty period is an empty root.
    t.collect(QDate(2026, 9, 1), QDate(2026, 8, 1));
    EXPECT_EQ(readAll(t.source()), "<fjegy_keszlethez></fjegy_keszlethez>");
    EXPECT_TRUE(t.button("Button2")->isEnabled());
}

TEST(InventoryXml, ValueTextsFollowTheColumnType) {
    const struct {
        Value value;
        FieldType type;
        const char* text;
    } cases[] = {
        {Value::text(""), FieldType::Text, "null"},
        {Value(), FieldType::Text, "null"},
        {Value::text(" a \""), FieldType::Text, " a \""},
        {Value::decimal(5000, 4), FieldType::Decimal, "0,5"},
        {Value::decimal(-5000, 4), FieldType::Decimal, "0"},
        {Value::real(1000000.25), FieldType::Double, "1000000,25"},
        {Value::real(0), FieldType::Double, "0"},
        {Value(), FieldType::Double, "0"},
        {Value::integer(-3), FieldType::Integer, "0"},
        {Value::integer(12), FieldType::Integer, "12"},
        {Value::date(QDate(2024, 2, 1)), FieldType::Date, "02.01.2024"},
        {Value(), FieldType::Date, "01.01.1900"},
        {Value(), FieldType::Timestamp, "01.01.1900 00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inventory::valueText(c.value, c.type), QString::fromUtf8(c.text)) << c.text;
}

TEST(InventoryXml, TransferCopiesOnlyAWholeFileAndReportsFailures) {
    InventoryFixture t;
    t.collect(QDate(2026, 1, 1), QDate(2026, 12, 31));
    ASSERT_TRUE(t.button("Button2")->isEnabled());

    const struct {
        QString target;
        const char* message;
    } refused[] = {
        {t.f.folder() + "/nincs/fjegy_keszlethez.xml", "Hiba416: Az átmásolás nem sikerült!"},
        {t.source(), "Hiba414: Az adatátadás helye nem lehet az adatbázis vagy a kigyüjtött fájl!"},
        {t.f.folder() + "/./termaro.fdb",
         "Hiba414: Az adatátadás helye nem lehet az adatbázis vagy a kigyüjtött fájl!"},
        {"", "Hiba413: Nincs megadva az adatátadás helye!"},
    };
    const QByteArray database = readAll(t.f.folder() + "/termaro.fdb").left(4096);
    for (const auto& c : refused) {
        t.f.ui.messages.clear();
        t.setTarget(c.target);
        t.button("Button2")->click();
        ASSERT_EQ(t.f.ui.messages.size(), 1) << c.message;
        EXPECT_TRUE(t.f.ui.messages.first().startsWith(QString::fromUtf8(c.message)))
            << t.f.ui.messages.first().toStdString();
        EXPECT_TRUE(t.screen->isVisible());
    }
    EXPECT_FALSE(QDir(t.f.folder() + "/nincs").exists());
    EXPECT_EQ(readAll(t.f.folder() + "/termaro.fdb").left(4096), database);

    // A collection whose file cannot be written disables the transfer again.
    QFile::remove(t.source());
    QDir().mkdir(t.source());
    t.f.ui.messages.clear();
    t.collect(QDate(2026, 1, 1), QDate(2026, 12, 31));
    ASSERT_EQ(t.f.ui.messages.size(), 1);
    EXPECT_TRUE(t.f.ui.messages.first().startsWith("Hiba411: Az XML fájl mentése nem sikerült!"));
    EXPECT_FALSE(t.button("Button2")->isEnabled());
    QDir().rmdir(t.source());

    t.collect(QDate(2026, 6, 1), QDate(2026, 6, 30));
    const QString target = t.f.folder() + "/keszlet.xml";
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    t.f.ui.messages.clear();
    t.setTarget(target);
    t.button("Button2")->click();
    EXPECT_EQ(t.f.ui.messages, QStringList{"Átmásolva. Adatátadás végrehajtva."});
    EXPECT_EQ(readAll(target), readAll(t.source()));
    EXPECT_FALSE(t.screen->isVisible());
}
