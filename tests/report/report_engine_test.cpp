#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetricsF>
#include <QTemporaryDir>

#include "print_qstring.h"
#include "report/report_data.h"
#include "report/report_format.h"
#include "report/report_layout.h"
#include "report/report_painter.h"
#include "report/report_template.h"
#include "support/database_fixture.h"

namespace {

PrepareOptions onDay(QDate today) {
    PrepareOptions options;
    options.today = today;
    return options;
}

PrepareOptions oriented(bool landscape) {
    PrepareOptions options;
    options.landscape = landscape;
    return options;
}

ReportTemplate templateFrom(const QString& body,
                            const QString& report = QStringLiteral("<report>")) {
    return parseReportTemplate((report + body + "</report>").toUtf8(), QStringLiteral("test.frf"));
}

ReportTemplate demoTemplate() {
    return loadReportTemplate(repoDbFolder() + "/Demo.frf");
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The demo template's sources: the buyer (ZQ60) and `count` producers (frDBDataSet2).
struct DemoData {
    explicit DemoData(int count) {
        auto buyer = std::make_unique<MemoryDataSource>("ZQ60", QStringList{"v_neve"});
        buyer->addRow({QStringLiteral("Zöldség Kft.")});
        auto producers = std::make_unique<MemoryDataSource>(
            "frDBDataSet2", QStringList{"o_kod", "o_nev", "o_helysegnev", "o_adoszam"});
        for (int i = 1; i <= count; ++i) {
            producers->addRow({QStringLiteral("%1").arg(i, 5, 10, QChar('0')),
                               QStringLiteral("Termelő %1").arg(i), QStringLiteral("Győr"),
                               QStringLiteral("12345678213")});
        }
        resolver.add("ZQ60", std::move(buyer));
        resolver.add("frDBDataSet2", std::move(producers));
    }
    MapDataResolver resolver;
    QVariantMap variables{
        {"v_tol", "2024.01.01"}, {"v_ig", QDate(2024, 12, 31)}, {"v_osszesen", 1234567.891}};
};

}  // namespace

TEST(ReportLayout, DemoOverThreeRowsMatchesTheGoldenText) {
    DemoData data(3);
    const PageModel model =
        prepareReport(demoTemplate(), data.resolver, data.variables, oriented(false));
    ASSERT_EQ(model.pages.size(), 1);
    EXPECT_EQ(model.pages[0].text() + "\n",
              readText(QStringLiteral(TERMARO_SOURCE_DIR "/tests/report/golden/demo_3_rows.txt")));
}

TEST(ReportLayout, LongListRepeatsHeadersAndKeepsRowOrderAcrossPages) {
    DemoData data(120);
    const PageModel model = prepareReport(demoTemplate(), data.resolver, data.variables);
    const QStringList texts = pageTexts(model);
    ASSERT_EQ(texts.size(), 3);
    int expectedRow = 1;
    for (int p = 0; p < texts.size(); ++p) {
        const QStringList lines = texts[p].split('\n');
        SCOPED_TRACE(p);
        EXPECT_EQ(texts[p].contains("Őstermelők listája"), p == 0);  // title once
        EXPECT_EQ(lines.count("Kód Név Helység Adószám"), 1);        // header on every page
        EXPECT_EQ(texts[p].contains("Összesen:"), p == 2);           // summary last
        EXPECT_EQ(lines.last(), QStringLiteral("%1 / 3. oldal").arg(p + 1));
        for (const QString& line : lines) {
            if (!line.startsWith("0")) continue;
            EXPECT_TRUE(line.startsWith(QStringLiteral("%1 Termelő %2 ")
                                            .arg(expectedRow, 5, 10, QChar('0'))
                                            .arg(expectedRow)))
                << line.toStdString();
            ++expectedRow;
        }
    }
    EXPECT_EQ(expectedRow, 121);
    // No row is placed over the page footer.
    for (const Page& page : model.pages) {
        for (const PageItem& item : page.items) {
            if (item.text.startsWith("0")) {
                EXPECT_LE(item.rectMm.bottom(), 297 - 10 - 8 + 1e-6);
            }
        }
    }
}

TEST(ReportLayout, RequestedOrientationDecidesThePageShape) {
    DemoData data(200);
    const ReportTemplate demo = demoTemplate();
    const PageModel portrait = prepareReport(demo, data.resolver, data.variables, oriented(false));
    const PageModel landscape = prepareReport(demo, data.resolver, data.variables, oriented(true));
    EXPECT_FALSE(portrait.landscape);
    EXPECT_TRUE(landscape.landscape);
    EXPECT_EQ(portrait.pages[0].sizeMm, QSizeF(210, 297));
    EXPECT_EQ(landscape.pages[0].sizeMm, QSizeF(297, 210));
    EXPECT_GT(landscape.pages.size(), portrait.pages.size());
    for (const PageItem& item : landscape.pages[0].items) EXPECT_LE(item.rectMm.bottom(), 210);
    // Without a request the template's own orientation holds.
    EXPECT_FALSE(prepareReport(demo, data.resolver, data.variables).landscape);
}

TEST(ReportLayout, GroupWalkOverUserDatasets) {
    // The program's routines move a product list and refill the lines of the current product,
    // the way the per-product list walks its groups.
    MemoryDataSource products("ZQ20", {"s_megnevezes"});
    for (const char* name : {"Alma", "Körte", "Szilva"}) products.addRow({QString::fromUtf8(name)});
    const QMap<QString, QList<double>> linesOf{{"Alma", {10, 20}}, {"Körte", {}}, {"Szilva", {5}}};
    std::unique_ptr<MemoryDataSource> lines;
    auto refill = [&] {
        lines = std::make_unique<MemoryDataSource>("ZQ21", QStringList{"s_netto"});
        if (products.eof()) return;
        for (double v : linesOf.value(products.value("s_megnevezes").toString()))
            lines->addRow({v});
    };
    CallbackDataSource groups(
        "frUserDataset1",
        [&] {
            products.first();
            refill();
        },
        [&] {
            products.next();
            refill();
        },
        [&] { return products.eof(); });
    CallbackDataSource groupLines(
        "frUserDataset2", [&] { lines->first(); }, [&] { lines->next(); },
        [&] { return lines->eof(); });
    struct LinesProxy : ReportDataResolver {
        std::function<ReportDataSource*(const QString&)> find;
        ReportDataSource* source(const QString& name) override { return find(name); }
    } resolver;
    resolver.find = [&](const QString& name) -> ReportDataSource* {
        if (name == "ZQ20") return &products;
        if (name == "ZQ21") return lines.get();
        if (name == "frUserDataset1") return &groups;
        if (name == "frUserDataset2") return &groupLines;
        return nullptr;
    };
    const ReportTemplate t = templateFrom(R"(
      <band kind="groupHeader" height="5"><text left="0" top="0" width="50" height="5">== [ZQ20."s_megnevezes"]</text></band>
      <band kind="masterData" dataset="frUserDataset1" height="5"><text left="0" top="0" width="50" height="5">termék [ZQ20."s_megnevezes"]</text></band>
      <band kind="detailData" dataset="frUserDataset2" height="5"><text left="10" top="0" width="50" height="5">[ZQ21."s_netto"|0.0] kg</text></band>
      <band kind="groupFooter" height="5"><text left="0" top="0" width="50" height="5">vége [ZQ20."s_megnevezes"]</text></band>
      <band kind="summary" height="5"><text left="0" top="0" width="50" height="5">kész</text></band>)");
    const PageModel model = prepareReport(t, resolver, {});
    EXPECT_EQ(model.pages[0].text(),
              "== Alma\ntermék Alma\n10,0 kg\n20,0 kg\nvége Alma\n"
              "== Körte\ntermék Körte\nvége Körte\n"
              "== Szilva\ntermék Szilva\n5,0 kg\nvége Szilva\nkész");
}

TEST(ReportLayout, KeyedGroupsFollowTheConditionAndFootersShowTheGroupsLastRow) {
    MemoryDataSource rows("ZQ20", {"o_nev", "s_vetelar"});
    rows.addRow({"Kiss", 100.0});
    rows.addRow({"Kiss", 250.5});
    rows.addRow({"Nagy", 40.0});
    MapDataResolver resolver;
    resolver.add("frDBDataSet1", &rows);
    const ReportTemplate t = templateFrom(R"(
      <band kind="groupHeader" height="5" condition='[frDBDataSet1."o_nev"]'><text left="0" top="0" width="50" height="5">[frDBDataSet1."o_nev"]:</text></band>
      <band kind="masterData" dataset="frDBDataSet1" height="5"><text left="10" top="0" width="50" height="5">[frDBDataSet1."s_vetelar"|#,##0.00]</text></band>
      <band kind="groupFooter" height="5"><text left="0" top="0" width="50" height="5">eddig [frDBDataSet1."o_nev"]</text></band>)");
    EXPECT_EQ(prepareReport(t, resolver, {}).pages[0].text(),
              "Kiss:\n100,00\n250,50\neddig Kiss\nNagy:\n40,00\neddig Nagy");
    // An empty source prints neither groups nor rows.
    MemoryDataSource empty("ZQ20", {"o_nev", "s_vetelar"});
    MapDataResolver none;
    none.add("frDBDataSet1", &empty);
    EXPECT_EQ(prepareReport(t, none, {}).pages[0].text(), "");
}

TEST(ReportLayout, CopiesRepeatTheContentOnNewPagesWithTheirNames) {
    const ReportTemplate t = templateFrom(R"(
      <copy name="1. példány: Az átvevöé"/><copy name="2. példány: Az östermelőé"/><copy name="3. példány: A töpéldány"/>
      <band kind="reportTitle" height="10"><text left="0" top="0" width="100" height="5">FELVÁSÁRLÁSI JEGY </text><text left="100" top="0" width="80" height="5">[COPYNAME]</text></band>
      <band kind="pageFooter" height="5"><text left="0" top="0" width="100" height="5">[COPY]. példány [PAGE]/[PAGES]</text></band>)");
    MapDataResolver none;
    const QStringList texts = pageTexts(prepareReport(t, none, {}));
    EXPECT_EQ(texts, (QStringList{"FELVÁSÁRLÁSI JEGY  1. példány: Az átvevöé\n1. példány 1/1",
                                  "FELVÁSÁRLÁSI JEGY  2. példány: Az östermelőé\n2. példány 1/1",
                                  "FELVÁSÁRLÁSI JEGY  3. példány: A töpéldány\n3. példány 1/1"}));
}

TEST(ReportLayout, StretchedBandGrowsWithWrappedText) {
    MemoryDataSource rows("ZQ30", {"o_nev"});
    rows.addRow(
        {QString("Hosszú nevű mezőgazdasági őstermelő és családi gazdaság tagja").repeated(3)});
    rows.addRow({"Rövid"});
    MapDataResolver resolver;
    resolver.add("ZQ30", &rows);
    const ReportTemplate t = templateFrom(R"(
      <band kind="masterData" dataset="ZQ30" height="5" stretch="true"><text left="0" top="0" width="40" height="5" wrap="true" frame="all">[ZQ30."o_nev"]</text></band>)");
    const PageModel model = prepareReport(t, resolver, {});
    const QList<PageItem>& items = model.pages[0].items;
    ASSERT_EQ(items.size(), 2);
    EXPECT_GT(items[0].rectMm.height(), 15);
    EXPECT_DOUBLE_EQ(items[1].rectMm.top(), items[0].rectMm.bottom());  // the next row follows
    EXPECT_DOUBLE_EQ(items[1].rectMm.height(), 5);
}

// A fixed band keeps its height: a wrapped text that would overflow its box (a ticket's
// 200-character remark) prints whole in a smaller font, and a short one keeps its size.
TEST(ReportLayout, WrappedTextInAFixedBandStepsItsFontDownToFitWhole) {
    const ReportTemplate t = templateFrom(R"(
      <band kind="reportTitle" height="20"><text left="0" top="0" width="60" height="13" size="8" italic="true" wrap="true">[v_megj]</text></band>)");
    MapDataResolver none;
    for (const QString& remark :
         {QString(QStringLiteral("Hosszú megjegyzés ")).repeated(12).left(200),
          QStringLiteral("MMMMMMMMM ").repeated(20), QStringLiteral("Rövid")}) {
        const PageModel model = prepareReport(t, none, {{"v_megj", remark}});
        const PageItem item = model.pages[0].items.at(0);
        const PageStyle& style = model.style(item);
        EXPECT_EQ(item.text, remark);
        const QRectF bounds =
            QFontMetricsF(reportFont(style))
                .boundingRect(QRectF(0, 0, (60 - 2 * textPaddingMm) * paintUnitsPerMm, 1e9),
                              Qt::TextWordWrap, remark);
        EXPECT_LE(bounds.height() / paintUnitsPerMm, item.rectMm.height())
            << remark.left(10).toStdString();
        if (remark.size() < 10) {
            EXPECT_EQ(style.fontSizePt, 8);
        } else {
            EXPECT_LT(style.fontSizePt, 8);
            EXPECT_EQ(item.rectMm.height(), 13) << "the box keeps its place";
        }
    }
}

TEST(ReportLayout, VariablesAndFieldsWithFormats) {
    MemoryDataSource head("ZQ10", {"f_bszam", "f_kelt", "f_megj"});
    head.addRow({"20240017", QDate(2024, 2, 5), QVariant()});
    MapDataResolver resolver;
    resolver.add("ZQ10", &head);
    const ReportTemplate t = templateFrom(R"(
      <band kind="reportTitle" height="50">
        <text left="0" top="0" width="100" height="5">Sorszám: [ZQ10."f_bszam"] kelt [ZQ10 . "F_KELT"|yyyy.mm.dd] [[másolat]</text>
        <text left="0" top="5" width="100" height="5" format="#,##0">Kifizetendö: [v_kif] Ft, szja [v_szja2|0.00] ([v_szja]%)</text>
        <text left="0" top="10" width="100" height="5">[v_azaz]|[v_ervenyteleniti]|[ZQ10."f_megj"]|</text>
        <text left="0" top="15" width="100" height="5">[V_FAR|#,##0.##] [v_far] [DATE]</text>
      </band>)");
    const QVariantMap vars{{"v_kif", "1235000"},
                           {"v_szja2", 1500.0},
                           {"v_szja", 15.0},
                           {"v_azaz", "egyezer-kettöszázharmincöt  00/100 Forint"},
                           {"v_far", 12345.5}};
    EXPECT_EQ(prepareReport(t, resolver, vars, onDay(QDate(2024, 3, 1))).pages[0].text(),
              "Sorszám: 20240017 kelt 2024.02.05 [másolat]\n"
              "Kifizetendö: 1 235 000 Ft, szja 1500,00 (15%)\n"
              "egyezer-kettöszázharmincöt  00/100 Forint|||\n"
              "12 345,5 12345,5 2024.03.01");
}

TEST(ReportFormat, ValuesAndFormats) {
    struct Case {
        QVariant value;
        QString format;
        QString expected;
    };
    const Case cases[] = {
        {QVariant(), "", ""},
        {QVariant(), "#,##0", ""},
        {12.5, "", "12,5"},
        {100.0, "", "100"},
        {0.1 + 0.2, "", "0,3"},
        {qlonglong(-42), "", "-42"},
        {1234567.891, "#,##0.00", "1 234 567,89"},
        {-1234.4, "#,##0", "-1 234"},
        {-0.001, "0.00", "0,00"},
        {999.999, "#,##0.00", "1 000,00"},
        {12.5, "0.0#", "12,5"},
        {12.0, "#,##0.##", "12"},
        {12.346, "0.0#", "12,35"},
        {QString("1235"), "#,##0", "1 235"},
        {QString("12,5"), "0.00", "12,50"},
        {QString(" "), "#,##0", " "},
        {QString("Átutalás"), "0.00", "Átutalás"},
        {QDate(2024, 3, 5), "", "2024.03.05"},
        {QDate(987, 11, 25), "", "0987.11.25"},
        {QDate(2024, 12, 31), "yyyy.mm.dd", "2024.12.31"},
        {QDate(2024, 3, 5), "yyyy.mm.dd", "2024.03.05"},
        {QDate(2024, 3, 5), "dd/mm/yy", "05/03/24"},
        {QString("2024.12.31"), "yyyy.mm.dd", "2024.12.31"},
        {QDateTime(QDate(2024, 3, 5), QTime(8, 30)), "yyyy.mm.dd", "2024.03.05"},
        // Tax numbers in the 8-1-2 form; a value of another length prints as stored.
        {QString("61588138206"), "@@@@@@@@-@-@@", "61588138-2-06"},
        {QString(" 61588138206 "), "@@@@@@@@-@-@@", "61588138-2-06"},
        {QString("61588138-2-06"), "@@@@@@@@-@-@@", "61588138-2-06"},
        {QString("6158813"), "@@@@@@@@-@-@@", "6158813"},
        {QString(""), "@@@@@@@@-@-@@", ""},
        {QVariant(), "@@@@@@@@-@-@@", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatReportValue(c.value, c.format), c.expected)
            << c.value.toString().toStdString() << " / " << c.format.toStdString();
    }
    for (const char* bad : {"abc", "#,##0.0#0", "0.00 Ft", "hh:nn", "@@@ Ft"})
        EXPECT_FALSE(isValidReportFormat(bad)) << bad;
}

TEST(ReportLayout, MistakesInDataGiveClearErrors) {
    MemoryDataSource rows("ZQ20", {"s_netto"});
    rows.addRow({1.0});
    MapDataResolver resolver;
    resolver.add("frDBDataSet1", &rows);
    resolver.add("frUserDataset1",
                 std::make_unique<CallbackDataSource>("frUserDataset1", nullptr, nullptr, nullptr));
    struct Case {
        QString text;
        QString message;
    };
    const Case cases[] = {
        {R"([frDBDataSet1."s_brutto"])", "A(z) ZQ20 adatforrásnak nincs \"s_brutto\" nevű mezője."},
        {R"([ZQ99."s_netto"])", "Ismeretlen adatforrás: ZQ99"},
        {R"([frUserDataset1."x"])", "A(z) frUserDataset1 adatforrásnak nincs \"x\" nevű mezője."},
        {"[osszeg]", "Ismeretlen változó: [osszeg]"},
    };
    for (const Case& c : cases) {
        const ReportTemplate t = templateFrom(
            "<band kind=\"masterData\" dataset=\"frDBDataSet1\" height=\"5\"><text left=\"0\" "
            "top=\"0\" "
            "width=\"50\" height=\"5\">" +
            c.text.toHtmlEscaped() + "</text></band>");
        try {
            prepareReport(t, resolver, {});
            ADD_FAILURE() << c.text.toStdString();
        } catch (const ReportError& e) {
            EXPECT_EQ(e.text(), c.message);
        }
    }
    // A band over an unknown source fails too; a source without an end-of-data routine is empty.
    EXPECT_THROW(prepareReport(
                     templateFrom(R"(<band kind="masterData" dataset="frDBDataSet9" height="5"/>)"),
                     resolver, {}),
                 ReportError);
    EXPECT_NO_THROW(prepareReport(
        templateFrom(R"(<band kind="masterData" dataset="frUserDataset1" height="5"/>)"), resolver,
        {}));
}

TEST(ReportLayout, EndlessSourceIsStopped) {
    CallbackDataSource endless(
        "frUserDataset1", [] {}, [] {}, [] { return false; });
    MapDataResolver resolver;
    resolver.add("frUserDataset1", &endless);
    const ReportTemplate t = templateFrom(
        R"(<band kind="masterData" dataset="frUserDataset1" height="50"><text left="0" top="0" width="10" height="5">x</text></band>)");
    EXPECT_THROW(prepareReport(t, resolver, {}), ReportError);
}

TEST(ReportTemplateLoad, MalformedTemplatesAreRefusedWithTheirLine) {
    struct Case {
        const char* xml;
        const char* message;
    };
    const Case cases[] = {
        {"<report><band kind=\"masterData\" height=\"5\">", "Premature end of document"},
        {"<report>\n<table/></report>", "(2. sor): ismeretlen elem: <table>"},
        {"<report><band kind=\"body\" height=\"5\"/></report>", "hibás érték: kind=\"body\""},
        {"<report><band kind=\"summary\"/></report>", "hiányzó jellemző: height (<band>)"},
        {"<report><band kind=\"summary\" height=\"5\" dataset=\"ZQ20\"/></report>",
         "hibás érték: dataset"},
        {"<report><band kind=\"detailData\" height=\"5\" dataset=\"ZQ21\"/></report>",
         "csak masterData mellett"},
        {"<report><band kind=\"summary\" height=\"5\"/><band kind=\"summary\" "
         "height=\"5\"/></report>",
         "csak egyszer"},
        {"<report><page size=\"B7\"/></report>", "hibás érték: size=\"B7\""},
        {"<report copies=\"0\"/>", "hibás érték: copies"},
        {"<report><band kind=\"summary\" height=\"5\"><text left=\"0\" top=\"0\" width=\"5\" "
         "height=\"5\" colour=\"red\">x</text></band></report>",
         "ismeretlen jellemző: colour (<text>)"},
        {"<report><band kind=\"summary\" height=\"5\"><text left=\"0\" top=\"0\" width=\"5\" "
         "height=\"5\" frame=\"lx\">x</text></band></report>",
         "hibás érték: frame"},
        {"<report><band kind=\"summary\" height=\"5\"><text left=\"0\" top=\"0\" width=\"5\" "
         "height=\"5\">[v_kif</text></band></report>",
         "lezáratlan ["},
        {"<report><band kind=\"summary\" height=\"5\"><text left=\"0\" top=\"0\" width=\"5\" "
         "height=\"5\">[v_kif|0.00 Ft]</text></band></report>",
         "ismeretlen formátum: [v_kif|0.00 Ft]"},
        {"<report><band kind=\"summary\" height=\"5\"><text left=\"0\" top=\"0\" width=\"5\" "
         "height=\"5\">[ZQ10.f_bszam]</text></band></report>",
         "érthetetlen hivatkozás: [ZQ10.f_bszam]"},
        {"<sablon/>", "a gyökérelem nem <report>"},
    };
    for (const Case& c : cases) {
        try {
            parseReportTemplate(c.xml, "Hibas.frf");
            ADD_FAILURE() << c.xml;
        } catch (const ReportError& e) {
            EXPECT_TRUE(e.text().startsWith("A(z) \"Hibas.frf\" sablon hibás ("))
                << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.message))) << e.text().toStdString();
        }
    }
}

TEST(ReportTemplateLoad, MissingOrUnreadableFileGivesTheFileError) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("FjLista7L.frf");
    try {
        loadReportTemplate(missing);
        ADD_FAILURE();
    } catch (const ReportError& e) {
        EXPECT_EQ(e.text(),
                  QStringLiteral(
                      "A(z) \"%1\" fájl nem nyitható meg. A rendszer nem találja a megadott fájlt.")
                      .arg(missing));
    }
    EXPECT_THROW(loadReportTemplate(dir.path()), ReportError);  // a folder
    const QString locked = dir.filePath("Zart.frf");
    QFile::copy(repoDbFolder() + "/Demo.frf", locked);
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (!QFileInfo(locked).isReadable()) {  // root reads everything
        try {
            loadReportTemplate(locked);
            ADD_FAILURE();
        } catch (const ReportError& e) {
            EXPECT_TRUE(e.text().endsWith("A hozzáférés megtagadva.")) << e.text().toStdString();
        }
    }
}
