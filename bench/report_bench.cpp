// Report engine figures: a 10 000-row itemised list (about 250 pages) prepared from a query,
// the preview's first page, and the PDF of all pages. Prints name=value lines.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "core/query.h"
#include "core/report_request.h"
#include "report/report_layout.h"
#include "report/report_painter.h"
#include "report/report_preview.h"
#include "support/app_fixture.h"

namespace {

// An itemised list laid out like the landscape period lists: eight columns per row.
const char* const listTemplate = R"(<report>
  <page size="A4" orientation="landscape" left="10" top="10" right="10" bottom="10"/>
  <band kind="reportTitle" height="12">
    <text left="0" top="0" width="277" height="8" size="14" bold="true" align="center">Tételes lista</text>
  </band>
  <band kind="pageHeader" height="8">
    <text left="0" top="1" width="25" height="6" bold="true" frame="tb">Dátum</text>
    <text left="25" top="1" width="25" height="6" bold="true" frame="tb">Bszám</text>
    <text left="50" top="1" width="70" height="6" bold="true" frame="tb">Östermelö</text>
    <text left="120" top="1" width="60" height="6" bold="true" frame="tb">Termék</text>
    <text left="180" top="1" width="25" height="6" bold="true" frame="tb" align="right">Mennyiség</text>
    <text left="205" top="1" width="12" height="6" bold="true" frame="tb">Me.</text>
    <text left="217" top="1" width="25" height="6" bold="true" frame="tb" align="right">E.ár</text>
    <text left="242" top="1" width="35" height="6" bold="true" frame="tb" align="right">Vételár</text>
  </band>
  <band kind="masterData" dataset="frDBDataSet1" height="4.3">
    <text left="0" top="0" width="25" height="4.3" size="8">[frDBDataSet1."f_fizkelt"]</text>
    <text left="25" top="0" width="25" height="4.3" size="8">[frDBDataSet1."s_bszam"]</text>
    <text left="50" top="0" width="70" height="4.3" size="8">[frDBDataSet1."o_nev"]</text>
    <text left="120" top="0" width="60" height="4.3" size="8">[frDBDataSet1."s_megnevezes"]</text>
    <text left="180" top="0" width="25" height="4.3" size="8" align="right" format="#,##0.00">[frDBDataSet1."s_netto"]</text>
    <text left="205" top="0" width="12" height="4.3" size="8">[frDBDataSet1."s_megy"]</text>
    <text left="217" top="0" width="25" height="4.3" size="8" align="right" format="#,##0.00">[frDBDataSet1."s_ear"]</text>
    <text left="242" top="0" width="35" height="4.3" size="8" align="right" format="#,##0">[frDBDataSet1."s_vetelar"]</text>
  </band>
  <band kind="summary" height="8">
    <text left="180" top="1" width="97" height="6" bold="true" align="right">Összesen: [v_osszesen|#,##0] Ft</text>
  </band>
  <band kind="pageFooter" height="6">
    <text left="0" top="1" width="277" height="5" size="8" align="center">[PAGE] / [PAGES]. oldal</text>
  </band>
</report>)";

// 10 000 generated rows, fetched through the pool query like any list.
const char* const rowsSql =
    "WITH d(n) AS (SELECT 0 FROM rdb$database UNION ALL SELECT 1 FROM rdb$database UNION ALL "
    "SELECT 2 FROM rdb$database UNION ALL SELECT 3 FROM rdb$database UNION ALL SELECT 4 FROM "
    "rdb$database UNION ALL SELECT 5 FROM rdb$database UNION ALL SELECT 6 FROM rdb$database "
    "UNION ALL SELECT 7 FROM rdb$database UNION ALL SELECT 8 FROM rdb$database UNION ALL SELECT 9 "
    "FROM rdb$database), r(n) AS (SELECT a.n * 1000 + b.n * 100 + c.n * 10 + e.n FROM d a, d b, d "
    "c, d e) "
    "SELECT DATEADD(MOD(n, 365) DAY TO DATE '2024-01-01') AS f_fizkelt, "
    "CAST(20240000 + n / 3 AS VARCHAR(8)) AS s_bszam, "
    "CAST('Östermelö ' || MOD(n, 400) AS VARCHAR(45)) AS o_nev, "
    "CAST('Öszibarack ' || MOD(n, 37) AS VARCHAR(40)) AS s_megnevezes, "
    "CAST(MOD(n, 97) * 12.5 AS DECIMAL(18, 4)) AS s_netto, CAST('kg' AS VARCHAR(5)) AS s_megy, "
    "CAST(150 + MOD(n, 13) AS DECIMAL(18, 4)) AS s_ear, "
    "CAST(MOD(n, 97) * 12.5 * (150 + MOD(n, 13)) AS DOUBLE PRECISION) AS s_vetelar FROM r ORDER BY "
    "n";

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void figure(const char* name, qint64 value) {
    std::printf("%s=%lld\n", name, static_cast<long long>(value));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppFixture f;
    {
        QFile out(f.folder() + "/Tetelesbench.frf");
        if (!out.open(QIODevice::WriteOnly)) return 1;
        out.write(listTemplate);
    }
    Query& rows = f.data().query("ZQ20");
    rows.setSql(rowsSql);
    rows.open();
    f.data().reportVariables()["v_osszesen"] = 123456789.0;
    figure("report_rss_before_mb", peakRssMb());

    QElapsedTimer timer;
    timer.start();
    const bool shown = reportRequest(f.app(), ReportComponent::frNyomtat, "Tetelesbench.frf", true);
    figure("report_10000_rows_prepare_ms", timer.elapsed());
    if (!shown || f.ui.reports.isEmpty()) {
        std::printf("error=%s\n", qPrintable(f.ui.errors.join(" | ")));
        return 1;
    }
    const ReportJob& job = f.ui.reports.first();
    figure("report_10000_rows", rows.rowCount());
    figure("report_10000_rows_pages", job.pageModel->pages.size());
    figure("report_10000_rows_peak_rss_mb", peakRssMb());

    // The layout alone, over rows already fetched.
    timer.restart();
    TDataReportResolver datasets(f.data());
    PrepareOptions options;
    options.landscape = true;
    const PageModel again = prepareReport(loadReportTemplate(f.folder() + "/Tetelesbench.frf"),
                                          datasets, f.data().reportVariables(), options);
    figure("report_10000_rows_layout_only_ms", timer.elapsed());
    timer.restart();
    figure("report_page_texts_chars", pageTexts(again).join('\n').size());
    figure("report_page_texts_ms", timer.elapsed());

    timer.restart();
    {
        ReportPreview preview(job);
        preview.show();
        QPixmap first = preview.grab();  // paints the first page
        figure("report_preview_first_page_ms", timer.elapsed());
    }
    QTemporaryDir dir;
    timer.restart();
    writePdf(*job.pageModel, dir.filePath("lista.pdf"));
    figure("report_pdf_all_pages_ms", timer.elapsed());
    figure("report_pdf_kb", QFileInfo(dir.filePath("lista.pdf")).size() / 1024);
    figure("report_peak_rss_mb", peakRssMb());
    return 0;
}
