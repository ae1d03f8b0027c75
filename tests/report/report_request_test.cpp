#include <gtest/gtest.h>

#include <QFile>

#include "core/errors.h"
#include "core/guard.h"
#include "core/query.h"
#include "core/report_request.h"
#include "print_qstring.h"
#include "support/app_fixture.h"
#include "support/database_fixture.h"

namespace {

class ReportRequest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(repoDbFolder() + "/Demo.frf", f.folder() + "/Demo.frf"));
        f.chooseBuyer();
    }

    Query& open(const char* name, const QString& sql) {
        Query& q = f.data().query(name);
        q.close();
        q.setSql(sql);
        q.open();
        return q;
    }

    // Writes a template into the working folder: one summary band with the given texts.
    void writeTemplate(const QString& file, const QStringList& texts) {
        QString body;
        for (int i = 0; i < texts.size(); ++i) {
            body +=
                QStringLiteral("<text left=\"%1\" top=\"0\" width=\"20\" height=\"5\">%2</text>")
                    .arg(i * 20)
                    .arg(texts[i].toHtmlEscaped());
        }
        writeFile(file, "<report><band kind=\"summary\" height=\"5\">" + body + "</band></report>");
    }

    void writeFile(const QString& file, const QString& content) {
        QFile out(f.folder() + "/" + file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content.toUtf8());
    }

    AppFixture f{true};
};

}  // namespace

TEST_F(ReportRequest, PrintJobCarriesTheTemplateButtonsVariablesAndPages) {
    Query& producers = open("ZQ30", "SELECT * FROM ostermelo ORDER BY o_kod");
    QStringList expectedRows;
    for (producers.first(); !producers.eof(); producers.next()) {
        expectedRows << producers.text("o_kod") + " " + producers.text("o_nev");
    }
    ASSERT_GE(expectedRows.size(), 2);
    f.data().reportVariables() = {
        {"v_osszesen", 1500.5}, {"v_tol", "2024.01.01"}, {"v_ig", "2024.12.31"}};

    EXPECT_TRUE(reportRequest(f.app(), ReportComponent::frNyomtat, "Demo.frf", false));

    EXPECT_TRUE(f.ui.errors.isEmpty());
    ASSERT_EQ(f.ui.reports.size(), 1);
    const ReportJob& job = f.ui.reports[0];
    EXPECT_EQ(job.templateFile, "Demo.frf");
    EXPECT_FALSE(job.landscape);
    EXPECT_TRUE(job.printButton);
    EXPECT_EQ(job.variables, f.data().reportVariables());
    ASSERT_TRUE(job.pageModel);
    EXPECT_EQ(job.pageTexts.size(), job.pageModel->pages.size());
    const QString text = job.pageTexts.join('\n');
    EXPECT_TRUE(
        text.contains(f.data().query("ZQ60").text("v_neve") + " Időszak: 2024.01.01 - 2024.12.31"));
    qsizetype at = 0;
    for (const QString& row : expectedRows) {  // every producer, in the query's order
        const qsizetype found = text.indexOf(row, at);
        EXPECT_GE(found, at) << row.toStdString();
        at = found;
    }
    EXPECT_TRUE(job.pageTexts.last().contains("Összesen: 1 500,50 Ft"));
}

TEST_F(ReportRequest, ComponentDecidesThePrintButtonAndVariablesStaySet) {
    open("ZQ30", "SELECT * FROM ostermelo ORDER BY o_kod");
    f.data().reportVariables()["v_osszesen"] = 7.0;
    EXPECT_TRUE(reportRequest(f.app(), ReportComponent::frMegtekint, "Demo.frf", true));
    EXPECT_TRUE(reportRequest(f.app(), ReportComponent::frNyomtat, "Demo.frf", false));
    ASSERT_EQ(f.ui.reports.size(), 2);
    const ReportJob& view = f.ui.reports[0];
    const ReportJob& print = f.ui.reports[1];
    EXPECT_FALSE(view.printButton);
    EXPECT_TRUE(print.printButton);
    EXPECT_TRUE(view.landscape);
    EXPECT_TRUE(view.pageModel->landscape);
    EXPECT_EQ(view.pageModel->pages[0].sizeMm, QSizeF(297, 210));
    EXPECT_EQ(print.pageModel->pages[0].sizeMm, QSizeF(210, 297));
    EXPECT_TRUE(print.pageTexts.last().contains("Összesen: 7,00 Ft"));  // not set again
}

TEST_F(ReportRequest, UnloadableTemplateStopsTheCallersLaterSteps) {
    writeFile("Rossz.frf", "<report><band kind=\"fejlec\" height=\"5\"/></report>");
    struct Case {
        QString file;
        QString error;
    };
    const Case cases[] = {
        {"FjLista7L.frf",
         QStringLiteral("A(z) \"%1/FjLista7L.frf\" fájl nem nyitható meg. A rendszer nem "
                        "találja a megadott fájlt.")
             .arg(f.folder())},
        {"Rossz.frf",
         "A(z) \"Rossz.frf\" sablon hibás (1. sor): hibás érték: kind=\"fejlec\" (<band>)"},
    };
    for (const Case& c : cases) {
        f.ui.errors.clear();
        EXPECT_THROW(reportRequest(f.app(), ReportComponent::frNyomtat, c.file, false), AppError);
        bool laterSteps = false;
        guard(f.ui, [&] {
            reportRequest(f.app(), ReportComponent::frNyomtat, c.file, false);
            laterSteps = true;
        });
        EXPECT_FALSE(laterSteps);
        EXPECT_EQ(f.ui.errors, QStringList{c.error});
    }
    EXPECT_TRUE(f.ui.reports.isEmpty());
}

TEST_F(ReportRequest, PreparationErrorShowsTheEngineMessageAndNoPreview) {
    open("ZQ30", "SELECT * FROM ostermelo");
    f.data().query("ZQ11").close();
    struct Case {
        QString text;
        QString error;
    };
    const Case cases[] = {
        {R"([frDBDataSet2."o_nincs"])",
         "A(z) frDBDataSet2 adatforrásnak nincs \"o_nincs\" nevű mezője."},
        {R"([ZQ11."f_bszam"])", "A(z) ZQ11 adatforrás nincs megnyitva (\"f_bszam\" mező)."},
        {R"([ZQ99."x"])", "Ismeretlen adatforrás: ZQ99"},
        {R"([frUserDataset3."x"])", "Ismeretlen adatforrás: frUserDataset3"},
    };
    for (const Case& c : cases) {
        f.ui.errors.clear();
        writeTemplate("Hibas.frf", {c.text});
        EXPECT_FALSE(reportRequest(f.app(), ReportComponent::frNyomtat, "Hibas.frf", false));
        EXPECT_EQ(f.ui.errors, QStringList{c.error});
    }
    EXPECT_TRUE(f.ui.reports.isEmpty());
}

TEST_F(ReportRequest, DatasetNamesReachTheirQueries) {
    for (const char* name : {"ZQ10", "ZQ11", "ZQ20", "ZQ30", "ZQ40", "ZQ80"}) {
        open(name, QStringLiteral("SELECT '%1' AS n FROM rdb$database").arg(name));
    }
    writeTemplate("Nevek.frf",
                  {R"([frDBDataSet1."n"])", R"([frDBDataSet2."n"])", R"([frDBDataSet3."n"])",
                   R"([frDBDataSet4."n"])", R"([frDBDataSet5."n"])", R"([frDBDataSet6."n"])",
                   R"([ZQ10."N"])", R"([zq80."n"])"});
    ASSERT_TRUE(reportRequest(f.app(), ReportComponent::frNyomtat, "Nevek.frf", false));
    EXPECT_EQ(f.ui.reports[0].pageTexts, QStringList{"ZQ20 ZQ30 ZQ20 ZQ20 ZQ11 ZQ40 ZQ10 ZQ80"});
}

TEST_F(ReportRequest, UserDatasetsWalkGroupsThroughTheProgramsRoutines) {
    // frUserDataset1 walks the groups in ZQ20 and refills ZQ21 with the current group's lines;
    // frUserDataset2 walks ZQ21.
    Query& groups = open("ZQ20",
                         "SELECT CAST('Alma' AS VARCHAR(10)) AS nev FROM rdb$database UNION ALL "
                         "SELECT 'Körte' FROM rdb$database ORDER BY 1");
    Query& lines = f.data().query("ZQ21");
    auto refill = [&] {
        lines.close();
        if (groups.eof()) return;
        lines.setSql(
            "SELECT CAST(:p0 AS VARCHAR(20)) || ' 1' AS sor FROM rdb$database UNION ALL "
            "SELECT CAST(:p0 AS VARCHAR(20)) || ' 2' FROM rdb$database");
        lines.bindText("p0", groups.text("nev"));
        lines.open();
    };
    f.data().userDatasets()["frUserDataset1"] = {[&] {
                                                     groups.first();
                                                     refill();
                                                 },
                                                 [&] {
                                                     groups.next();
                                                     refill();
                                                 },
                                                 [&] { return groups.eof(); }};
    f.data().userDatasets()["frUserDataset2"] = {[&] { lines.first(); }, [&] { lines.next(); },
                                                 [&] { return lines.eof(); }};
    writeFile("Csoport.frf", R"(<report>
      <band kind="masterData" dataset="frUserDataset1" height="5"><text left="0" top="0" width="50" height="5">[ZQ20."nev"]:</text></band>
      <band kind="detailData" dataset="frUserDataset2" height="5"><text left="10" top="0" width="50" height="5">[ZQ21."sor"]</text></band>
    </report>)");
    ASSERT_TRUE(reportRequest(f.app(), ReportComponent::frNyomtat, "Csoport.frf", false));
    EXPECT_EQ(f.ui.reports[0].pageTexts,
              QStringList{"Alma:\nAlma 1\nAlma 2\nKörte:\nKörte 1\nKörte 2"});
}
