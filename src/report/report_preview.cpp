#include "report/report_preview.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "report/report_data.h"
#include "report/report_painter.h"

namespace {
constexpr double zoomStep = 1.25;
constexpr double minZoom = 0.1;
constexpr double maxZoom = 8;
constexpr int pageGapPx = 12;  // grey border around the page
}  // namespace

// Paints one page of the model at the chosen zoom (1 = the page's real size on screen).
class ReportPageView : public QWidget {
public:
    explicit ReportPageView(QWidget* parent) : QWidget(parent) {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(p);
    }

    void setPage(const PageModel* model, const Page* page) {
        m_model = model;
        m_page = page;
        resizeToPage();
        update();
    }
    void setZoom(double zoom) {
        m_zoom = std::clamp(zoom, minZoom, maxZoom);
        resizeToPage();
        update();
    }
    double zoom() const { return m_zoom; }
    QSizeF pageSizeMm() const { return m_page ? m_page->sizeMm : QSizeF(210, 297); }
    double screenPixelsPerMm() const { return logicalDpiX() / 25.4; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_page) return;
        QPainter painter(this);
        const double perMm = screenPixelsPerMm() * m_zoom;
        const QRectF sheet(pageGapPx, pageGapPx, m_page->sizeMm.width() * perMm,
                           m_page->sizeMm.height() * perMm);
        painter.fillRect(sheet.translated(3, 3), QColor(80, 80, 80));
        painter.fillRect(sheet, Qt::white);
        paintPage(painter, *m_model, *m_page, perMm, sheet.topLeft());
    }

private:
    void resizeToPage() {
        const double perMm = screenPixelsPerMm() * m_zoom;
        const QSizeF size = pageSizeMm();
        setFixedSize(static_cast<int>(size.width() * perMm) + 2 * pageGapPx,
                     static_cast<int>(size.height() * perMm) + 2 * pageGapPx);
    }

    const PageModel* m_model = nullptr;
    const Page* m_page = nullptr;
    double m_zoom = 1;
};

ReportPreview::ReportPreview(const ReportJob& job, QWidget* parent, PreviewHooks hooks)
    : QDialog(parent), m_job(job), m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Nyomtatási kép - %1").arg(job.templateFile));
    setModal(true);

    m_buttonRow = new QHBoxLayout;
    connect(addButton(QStringLiteral("Nagyítás"), QStringLiteral("zoomIn")), &QPushButton::clicked,
            this, &ReportPreview::zoomIn);
    connect(addButton(QStringLiteral("Kicsinyítés"), QStringLiteral("zoomOut")),
            &QPushButton::clicked, this, &ReportPreview::zoomOut);
    connect(addButton(QStringLiteral("Teljes oldal"), QStringLiteral("fitPage")),
            &QPushButton::clicked, this, &ReportPreview::fitPage);
    m_first = addButton(QStringLiteral("Első oldal"), QStringLiteral("firstPage"));
    m_previous = addButton(QStringLiteral("Előző oldal"), QStringLiteral("previousPage"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_buttonRow->addWidget(m_pageLabel);
    m_next = addButton(QStringLiteral("Következő oldal"), QStringLiteral("nextPage"));
    m_last = addButton(QStringLiteral("Utolsó oldal"), QStringLiteral("lastPage"));
    connect(m_first, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(m_last, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    m_buttonRow->addStretch();
    if (job.printButton) {
        connect(addButton(QStringLiteral("Nyomtatás"), QStringLiteral("print")),
                &QPushButton::clicked, this, &ReportPreview::print);
    }
    connect(addButton(QStringLiteral("Mentés PDF-be"), QStringLiteral("savePdf")),
            &QPushButton::clicked, this, &ReportPreview::saveAsPdf);
    connect(addButton(QStringLiteral("Bezárás"), QStringLiteral("close")), &QPushButton::clicked,
            this, &QDialog::reject);

    m_view = new ReportPageView(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("pageArea"));
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_buttonRow);
    layout->addWidget(m_scroll, 1);

    // The whole page fits on screen at first.
    const QRect screen =
        this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(1000, screen.width() * 9 / 10), screen.height() * 9 / 10);
    const QSizeF pageMm = m_view->pageSizeMm();
    const double perMm = m_view->screenPixelsPerMm();
    const double fit = std::min((width() - 60.0) / (pageMm.width() * perMm + 2 * pageGapPx),
                                (height() - 90.0) / (pageMm.height() * perMm + 2 * pageGapPx));
    m_view->setZoom(fit);
    showPage(0);
}

QPushButton* ReportPreview::addButton(const QString& caption, const QString& name) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    m_buttonRow->addWidget(button);
    return button;
}

int ReportPreview::pageCount() const {
    return m_job.pageModel ? static_cast<int>(m_job.pageModel->pages.size()) : 0;
}

double ReportPreview::zoom() const {
    return m_view->zoom();
}

bool ReportPreview::fitsPage() const {
    return m_view->width() <= m_scroll->viewport()->width() &&
           m_view->height() <= m_scroll->viewport()->height();
}

void ReportPreview::showPage(int index) {
    if (pageCount() == 0) {
        m_page = 0;
        m_view->setPage(nullptr, nullptr);
    } else {
        m_page = std::clamp(index, 0, pageCount() - 1);
        m_view->setPage(m_job.pageModel.get(), &m_job.pageModel->pages.at(m_page));
        m_scroll->verticalScrollBar()->setValue(0);
    }
    updateControls();
}

void ReportPreview::zoomIn() {
    m_view->setZoom(m_view->zoom() * zoomStep);
}

void ReportPreview::zoomOut() {
    m_view->setZoom(m_view->zoom() / zoomStep);
}

void ReportPreview::fitPage() {
    const QSize room = m_scroll->viewport()->size();
    const QSizeF pageMm = m_view->pageSizeMm();
    const double perMm = m_view->screenPixelsPerMm();
    m_view->setZoom(std::min((room.width() - 2.0 * pageGapPx) / (pageMm.width() * perMm),
                             (room.height() - 2.0 * pageGapPx) / (pageMm.height() * perMm)));
}

void ReportPreview::print() {
    if (pageCount() == 0) return;
    QPrinter printer(QPrinter::HighResolution);
    // The request's orientation is set before the user sees the print dialog.
    applyPageLayout(printer, *m_job.pageModel);
    printer.setDocName(m_job.templateFile);
    printer.setFromTo(0, 0);
    bool accepted = false;
    if (m_hooks.setUpPrinter) {
        accepted = m_hooks.setUpPrinter(printer);
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, pageCount());
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) return;
    try {
        printPages(*m_job.pageModel, printer);
    } catch (const ReportError& e) {
        if (m_hooks.error) {
            m_hooks.error(e.text());
        } else {
            QMessageBox::warning(this, windowTitle(), e.text());
        }
    }
}

void ReportPreview::saveAsPdf() {
    if (!m_job.pageModel) return;
    // A bare name: the save dialog puts it in the program's working folder. A document's own
    // name (a ticket's carries its number) before the template's.
    const QString name = m_job.documentName.isEmpty()
                             ? QFileInfo(m_job.templateFile).completeBaseName()
                             : m_job.documentName;
    const QString proposed = name + ".pdf";
    QString fileName = m_hooks.pdfFileName ? m_hooks.pdfFileName(proposed)
                                           : QFileDialog::getSaveFileName(
                                                 this, QStringLiteral("Mentés PDF-be"), proposed,
                                                 QStringLiteral("PDF fájl (*.pdf)"));
    if (fileName.isEmpty()) return;
    if (QFileInfo(fileName).suffix().isEmpty()) fileName += QStringLiteral(".pdf");
    try {
        writePdf(*m_job.pageModel, fileName);
    } catch (const ReportError& e) {
        if (m_hooks.error) {
            m_hooks.error(e.text());
        } else {
            QMessageBox::warning(this, windowTitle(), e.text());
        }
    }
}

void ReportPreview::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageDown:
            showPage(m_page + 1);
            return;
        case Qt::Key_PageUp:
            showPage(m_page - 1);
            return;
        case Qt::Key_Home:
            showPage(0);
            return;
        case Qt::Key_End:
            showPage(pageCount() - 1);
            return;
        case Qt::Key_Plus:
            zoomIn();
            return;
        case Qt::Key_Minus:
            zoomOut();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void ReportPreview::updateControls() {
    const int count = pageCount();
    m_pageLabel->setText(QStringLiteral("%1 / %2 oldal").arg(count ? m_page + 1 : 0).arg(count));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < count);
    m_last->setEnabled(m_page + 1 < count);
}

int showReportPreview(const ReportJob& job, QWidget* parent, PreviewHooks hooks) {
    ReportPreview preview(job, parent, std::move(hooks));
    return preview.exec();
}
