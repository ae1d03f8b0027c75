#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "report/report_job.h"

class QHBoxLayout;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

// What the preview asks of its surroundings; each has a plain Qt default.
struct PreviewHooks {
    // The PDF file to write, proposed name given; "" cancels. Default: a save dialog.
    std::function<QString(const QString& proposed)> pdfFileName;
    // Lets the user choose the printer and pages; false cancels. Default: the print dialog.
    std::function<bool(QPrinter& printer)> setUpPrinter;
    // Shows a failure. Default: a warning box.
    std::function<void(const QString& text)> error;
};

class ReportPageView;

// The modal print preview of a prepared report: zoom, page navigation, print (when the job
// allows it), save as PDF and close. It paints only the page on show.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(const ReportJob& job, QWidget* parent = nullptr,
                           PreviewHooks hooks = {});

    int pageCount() const;
    int currentPage() const { return m_page; }  // 0-based
    double zoom() const;
    bool fitsPage() const;

    void showPage(int index);
    void zoomIn();
    void zoomOut();
    void fitPage();
    void print();
    void saveAsPdf();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* addButton(const QString& caption, const QString& name);
    void updateControls();

    ReportJob m_job;
    PreviewHooks m_hooks;
    int m_page = 0;
    ReportPageView* m_view = nullptr;
    QScrollArea* m_scroll = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;
    QLabel* m_pageLabel = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_last = nullptr;
};

// Shows the preview modally and returns when it is closed.
int showReportPreview(const ReportJob& job, QWidget* parent, PreviewHooks hooks = {});
