#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

#include "core/clock.h"
#include "exchange/spreadsheet_export.h"
#include "exchange_test_support.h"
#include "support/app_fixture.h"

namespace {

// One part of a workbook, as `unzip -p` gives it.
QString workbookPart(const QString& path, const QString& part) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, part});
    unzip.waitForFinished(30000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

struct Cell {
    QString style;
    QString type;   // "inlineStr", "s", or "" for a number
    QString value;  // the text or the number as written
};

// The cells of a worksheet by reference ("A1"); inline and shared strings both resolved.
std::map<QString, Cell> sheetCells(const QString& path) {
    const QString sheet = workbookPart(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QStringList shared;
    const QString strings = workbookPart(path, QStringLiteral("xl/sharedStrings.xml"));
    static const QRegularExpression sharedItem(QStringLiteral("<si><t[^>]*>(.*?)</t></si>"));
    for (auto it = sharedItem.globalMatch(strings); it.hasNext();) shared << it.next().captured(1);
    std::map<QString, Cell> cells;
    static const QRegularExpression cell(QStringLiteral(
        R"re(<c r="([A-Z]+[0-9]+)"(?: s="(\d+)")?(?: t="(\w+)")?(?:/>|>(.*?)</c>))re"));
    static const QRegularExpression inner(QStringLiteral("<(?:t|v)[^>]*>(.*?)</(?:t|v)>"));
    for (auto it = cell.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        Cell c{m.captured(2), m.captured(3), inner.match(m.captured(4)).captured(1)};
        if (c.type == QStringLiteral("s")) c.value = shared.value(c.value.toInt());
        cells[m.captured(1)] = c;
    }
    return cells;
}

int lastRow(const std::map<QString, Cell>& cells) {
    int last = 0;
    static const QRegularExpression digits(QStringLiteral("\\d+$"));
    for (const auto& [ref, cell] : cells) last = qMax(last, digits.match(ref).captured().toInt());
    return last;
}

// The number format of a cell style index, from the workbook's styles part.
QString numberFormat(const QString& path, const QString& style) {
    const QString styles = workbookPart(path, QStringLiteral("xl/styles.xml"));
    const int cellXfs = styles.indexOf(QStringLiteral("<cellXfs"));
    static const QRegularExpression xf(QStringLiteral("<xf [^>]*numFmtId=\"(\\d+)\""));
    QStringList ids;
    for (auto it = xf.globalMatch(styles, cellXfs); it.hasNext();) ids << it.next().captured(1);
    const QString id = ids.value(style.toInt());
    const QRegularExpression fmt(
        QStringLiteral("<numFmt numFmtId=\"%1\" formatCode=\"([^\"]*)\"").arg(id));
    return fmt.match(styles).captured(1);
}

class Spreadsheet : public ::testing::Test {
protected:
    Spreadsheet() : f(true) {
        setClockForTests(QDateTime(QDate(2026, 3, 1), QTime(10, 0)));
        f.chooseBuyer();
        screen = std::make_unique<TForm20>(f.app());
        screen->show();
    }
    ~Spreadsheet() override { setClockForTests({}); }
    QWidget* page(int index) {
        return screen->findChild<QTabWidget*>(QStringLiteral("pages"))->widget(index);
    }
    void click(int pageIndex, const QString& caption) {
        buttonOf(page(pageIndex), caption)->click();
    }
    QString ticketBook() { return f.folder() + QStringLiteral("/FJFEJ.xlsx"); }
    QString producerBook() { return f.folder() + QStringLiteral("/OSTERMELO.xlsx"); }

    AppFixture f;
    std::unique_ptr<TForm20> screen;
};

TEST_F(Spreadsheet, TicketWorkbookHoldsHeaderAndTypedCells) {
    // A TAJ with a leading zero must stay text.
    f.exec("UPDATE ostermelo SET o_taj = '012345678' WHERE o_kod = '1'");
    EXPECT_EQ(screen->findChild<QDateEdit*>("DateTimePicker1")->date(), QDate(2026, 1, 1));
    EXPECT_EQ(screen->findChild<QDateEdit*>("DateTimePicker2")->date(), QDate(2026, 12, 31));
    click(0, "Kigyüjtés");
    click(0, "Exportálás ");
    EXPECT_EQ(f.ui.messages, QStringList{"A fjegy konvertálás befejeződött!"});
    EXPECT_EQ(f.ui.opened, QStringList{ticketBook()});

    const auto cells = sheetCells(ticketBook());
    const int expectedRows =
        f.scalar(
             "SELECT COUNT(*) FROM fjsor JOIN fjfej ON s_bszam = f_bszam WHERE f_akod = '1' "
             "AND EXTRACT(YEAR FROM f_fizkelt) = 2026")
            .toInt();
    ASSERT_GT(expectedRows, 0);
    EXPECT_EQ(lastRow(cells), expectedRows + 1);
    EXPECT_EQ(cells.at("A1").value, "F_FIZKELT");
    EXPECT_EQ(cells.at("M1").value, "O_ADOAZON");
    EXPECT_EQ(cells.at("X1").value, "O_CSGAZD1");
    EXPECT_EQ(cells.count("Y1"), 0u);

    // Row 2 is the first line of 20260001 (producer 1): S_NETTO 12.35, F_FIZKELT 2026.01.12.
    EXPECT_EQ(cells.at("F2").value, "20260001");
    EXPECT_NE(cells.at("F2").type, "");  // a document number is text
    EXPECT_EQ(cells.at("O2").value, "012345678");
    EXPECT_NE(cells.at("O2").type, "");
    EXPECT_EQ(cells.at("H2").type, "");
    EXPECT_DOUBLE_EQ(cells.at("H2").value.toDouble(), 12.35);
    EXPECT_EQ(cells.at("A2").type, "");
    EXPECT_EQ(cells.at("A2").value, "46034");  // 2026-01-12 as a spreadsheet day number
    EXPECT_EQ(numberFormat(ticketBook(), cells.at("A2").style), "yyyy.mm.dd");
}

TEST_F(Spreadsheet, EmptyPeriodGivesTheHeaderOnlyAndPurchaseDateFilters) {
    screen->findChild<QDateEdit*>("DateTimePicker1")->setDate(QDate(2001, 1, 1));
    screen->findChild<QDateEdit*>("DateTimePicker2")->setDate(QDate(2001, 12, 31));
    screen->findChild<QCheckBox*>("CheckBox1")->setChecked(false);
    click(0, "Kigyüjtés");
    click(0, "Exportálás ");
    EXPECT_EQ(lastRow(sheetCells(ticketBook())), 1);
    EXPECT_TRUE(f.ui.opened.isEmpty());

    // 20260002 was bought in January and paid in February.
    screen->findChild<QDateEdit*>("DateTimePicker1")->setDate(QDate(2026, 2, 1));
    screen->findChild<QDateEdit*>("DateTimePicker2")->setDate(QDate(2026, 2, 28));
    screen->findChild<QRadioButton*>("RadioButton2")->setChecked(true);
    click(0, "Kigyüjtés");
    click(0, "Exportálás ");
    for (const auto& [ref, cell] : sheetCells(ticketBook())) {
        if (ref.startsWith('F') && ref != "F1") {
            EXPECT_NE(cell.value, "20260002");
        }
    }
}

TEST_F(Spreadsheet, ExportWithoutCollectionCollectsTheTabFirst) {
    // Another screen left its own statement in the shared query.
    f.data().query("ZQ30").setSql("SELECT o_kod FROM ostermelo WHERE o_kod = '1'");
    f.data().query("ZQ30").open();
    click(1, "Exportálás ");
    EXPECT_EQ(f.ui.messages, QStringList{"AZ östermelö konvertálás befejeződött!"});
    const auto cells = sheetCells(producerBook());
    EXPECT_EQ(lastRow(cells), f.scalar("SELECT COUNT(*) FROM ostermelo").toInt() + 1);
    EXPECT_EQ(cells.at("A1").value, "O_NEV");
    EXPECT_EQ(cells.at("U1").value, "O_HAZSZAM");
    EXPECT_EQ(cells.at("A2").value, f.scalar("SELECT FIRST 1 o_nev FROM ostermelo ORDER BY o_nev"));
}

TEST_F(Spreadsheet, TextCellsKeepEveryLetterAndBlankOutControlCharacters) {
    struct Case {
        const char* column;  // of the producer and its letter in the producer workbook
        const char* letter;
        const char* sql;  // the stored value
        QString text;     // the cell
    };
    const std::vector<Case> cases = {
        {"o_nev", "A", "'Tűzőr Ödön ŐŰ'", QStringLiteral("Tűzőr Ödön ŐŰ")},
        {"o_helysegnev", "C", "'a' || ASCII_CHAR(1) || 'b' || ASCII_CHAR(31)",
         QStringLiteral("a b ")},
        {"o_utca", "D", "'x' || ASCII_CHAR(9) || 'y & <z>'",
         QStringLiteral("x\ty &amp; &lt;z&gt;")},
        {"o_anyja", "H", "''", QString()},
    };
    QStringList sets;
    for (const Case& c : cases)
        sets << QString::fromLatin1(c.column) + u'=' + QString::fromUtf8(c.sql);
    f.exec("UPDATE ostermelo SET " + sets.join(u',') + " WHERE o_kod = '1'");
    screen->findChild<QCheckBox*>("CheckBox2")->setChecked(false);
    click(1, "Kigyüjtés");
    click(1, "Exportálás ");
    const auto cells = sheetCells(producerBook());
    QString row;
    for (const auto& [ref, cell] : cells)
        if (ref.startsWith(u'A') && cell.value == cases.front().text) row = ref.mid(1);
    ASSERT_FALSE(row.isEmpty());
    for (const Case& c : cases) {
        const QString ref = QLatin1String(c.letter) + row;
        EXPECT_EQ(cells.count(ref) ? cells.at(ref).value : QString(), c.text) << c.column;
    }
}

TEST_F(Spreadsheet, FailedSaveSaysSoAndNotDone) {
    writeBytes(ticketBook(), "");
    QFile::remove(ticketBook());
    QDir(f.folder()).mkdir("FJFEJ.xlsx");  // a folder cannot be replaced by the workbook
    click(0, "Kigyüjtés");
    click(0, "Exportálás ");
    EXPECT_EQ(f.ui.messages, QStringList{"A fájl mentése nem történt meg!"});
    EXPECT_TRUE(f.ui.opened.isEmpty());
    // No temporary workbook is left behind.
    EXPECT_EQ(QDir(f.folder()).entryList({"*.xlsx*", ".*xlsx*"}, QDir::AllEntries | QDir::Hidden),
              QStringList{"FJFEJ.xlsx"});
}

}  // namespace
