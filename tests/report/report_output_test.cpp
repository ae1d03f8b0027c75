#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "print_qstring.h"
#include "report/report_data.h"
#include "report/report_layout.h"
#include "report/report_painter.h"
#include "report/report_preview.h"
#include "report/report_template.h"

namespace {

PrepareOptions oriented(bool landscape) {
    PrepareOptions options;
    options.landscape = landscape;
    return options;
}

// Runs a poppler tool and returns what it printed.
QString poppler(const QString& tool, const QStringList& args) {
    QProcess process;
    process.start(tool, args);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

const QString hungarian = QStringLiteral("Árvíztűrő tükörfúrógép ŐSZIBARACK őszibarack");

// Three pages; the second one carries the Hungarian letters.
PageModel sampleModel(bool landscape) {
    const ReportTemplate t = parseReportTemplate(QStringLiteral(R"(<report>
      <band kind="masterData" dataset="ZQ20" height="150">
        <text left="0" top="0" width="150" height="8" size="12" frame="all">[ZQ20."s_megnevezes"]</text>
        <line x1="0" y1="20" x2="150" y2="20"/><rect left="0" top="30" width="50" height="20"/>
      </band></report>)")
                                                     .toUtf8(),
                                                 "Minta.frf");
    MemoryDataSource rows("ZQ20", {"s_megnevezes"});
    rows.addRow({"Első oldal"});
    rows.addRow({hungarian});
    rows.addRow({"Harmadik"});
    MapDataResolver resolver;
    resolver.add("ZQ20", &rows);
    return prepareReport(t, resolver, {}, oriented(landscape));
}

ReportJob jobOf(const PageModel& model, bool printButton) {
    ReportJob job;
    job.templateFile = "Minta.frf";
    job.landscape = model.landscape;
    job.printButton = printButton;
    job.pageTexts = pageTexts(model);
    job.pageModel = std::make_shared<const PageModel>(model);
    return job;
}

}  // namespace

TEST(ReportPdf, HungarianLettersSurviveInThePdfText) {
    QTemporaryDir dir;
    const QString file = dir.filePath("minta.pdf");
    writePdf(sampleModel(false), file);
    EXPECT_EQ(poppler("pdftotext", {"-f", "2", "-l", "2", file, "-"}).trimmed(), hungarian);
    const QString info = poppler("pdfinfo", {file});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+3"))) << info.toStdString();
    EXPECT_TRUE(info.contains("595 x 842 pts (A4)")) << info.toStdString();  // A4 portrait
}

TEST(ReportPdf, LandscapePagesAndFailedWritesLeaveNothingBehind) {
    QTemporaryDir dir;
    const QString file = dir.filePath("fekvo.pdf");
    writePdf(sampleModel(true), file);
    EXPECT_TRUE(poppler("pdfinfo", {file}).contains("842 x 595 pts (A4)"));

    const QString noFolder = dir.filePath("nincs/ilyen.pdf");
    try {
        writePdf(sampleModel(false), noFolder);
        ADD_FAILURE();
    } catch (const ReportError& e) {
        EXPECT_TRUE(
            e.text().startsWith(QStringLiteral("A(z) \"%1\" fájl nem írható.").arg(noFolder)));
    }
    EXPECT_FALSE(QFile::exists(noFolder));
}

TEST(ReportPreviewDialog, PrintButtonOnlyWhenTheJobAllowsIt) {
    const PageModel model = sampleModel(false);
    for (bool printButton : {true, false}) {
        ReportPreview preview(jobOf(model, printButton));
        EXPECT_EQ(preview.objectName(), "ReportPreview");
        QStringList captions;
        for (QPushButton* b : preview.findChildren<QPushButton*>()) captions << b->text();
        EXPECT_EQ(captions.contains("Nyomtatás"), printButton);
        for (const char* always :
             {"Nagyítás", "Kicsinyítés", "Teljes oldal", "Mentés PDF-be", "Bezárás"}) {
            EXPECT_TRUE(captions.contains(always)) << always;
        }
    }
}

TEST(ReportPreviewDialog, NavigatesZoomsAndCloses) {
    ReportPreview preview(jobOf(sampleModel(false), true));
    preview.show();
    auto button = [&](const char* name) { return preview.findChild<QPushButton*>(name); };
    auto label = [&] { return preview.findChild<QLabel*>("pageLabel")->text(); };
    EXPECT_TRUE(preview.fitsPage());  // the whole first page shows at once
    EXPECT_EQ(label(), "1 / 3 oldal");
    EXPECT_FALSE(button("previousPage")->isEnabled());
    button("nextPage")->click();
    EXPECT_EQ(preview.currentPage(), 1);
    button("lastPage")->click();
    EXPECT_EQ(label(), "3 / 3 oldal");
    EXPECT_FALSE(button("nextPage")->isEnabled());
    button("firstPage")->click();
    EXPECT_EQ(preview.currentPage(), 0);

    const double start = preview.zoom();
    button("zoomIn")->click();
    EXPECT_GT(preview.zoom(), start);
    EXPECT_FALSE(preview.fitsPage());
    button("zoomOut")->click();
    button("zoomOut")->click();
    EXPECT_LT(preview.zoom(), start);
    button("fitPage")->click();
    EXPECT_TRUE(preview.fitsPage());

    button("close")->click();
    EXPECT_FALSE(preview.isVisible());
    EXPECT_EQ(preview.result(), QDialog::Rejected);
}

TEST(ReportPreviewDialog, SavesAsPdfAndPrintsTheSamePages) {
    QTemporaryDir dir;
    QString proposed;
    QStringList errors;
    bool landscapePrinter = false;
    PreviewHooks hooks;
    hooks.pdfFileName = [&](const QString& name) {
        proposed = name;
        return dir.filePath("mentett");  // the suffix is added
    };
    hooks.setUpPrinter = [&](QPrinter& printer) {
        landscapePrinter = printer.pageLayout().orientation() == QPageLayout::Landscape;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("nyomtatott.pdf"));
        return true;
    };
    hooks.error = [&](const QString& text) { errors << text; };
    ReportPreview preview(jobOf(sampleModel(true), true), nullptr, hooks);

    preview.findChild<QPushButton*>("savePdf")->click();
    EXPECT_EQ(proposed, "Minta.pdf");  // a bare name: the dialog starts in the working folder
    ReportJob ticket = jobOf(sampleModel(true), true);
    ticket.documentName = "felvasarlasi_jegy_20260014";
    ReportPreview named(ticket, nullptr, hooks);
    named.findChild<QPushButton*>("savePdf")->click();
    EXPECT_EQ(proposed, "felvasarlasi_jegy_20260014.pdf");
    preview.findChild<QPushButton*>("print")->click();
    EXPECT_TRUE(landscapePrinter);  // the request's orientation is set before the dialog
    EXPECT_TRUE(errors.isEmpty());
    for (const char* name : {"mentett.pdf", "nyomtatott.pdf"}) {
        const QString text = poppler("pdftotext", {dir.filePath(name), "-"});
        EXPECT_TRUE(text.contains(hungarian)) << name;
        EXPECT_TRUE(text.contains("Harmadik")) << name;
    }

    // A cancelled dialog writes nothing; a failed write is reported, not thrown.
    hooks.pdfFileName = [](const QString&) { return QString(); };
    ReportPreview cancelled(jobOf(sampleModel(false), false), nullptr, hooks);
    cancelled.saveAsPdf();
    hooks.pdfFileName = [&](const QString&) { return dir.filePath("nincs/x.pdf"); };
    ReportPreview failing(jobOf(sampleModel(false), false), nullptr, hooks);
    failing.saveAsPdf();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("nem írható"));
}
