#include "report/report_painter.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <cmath>

#include "report/report_data.h"

namespace {

QRectF units(const QRectF& mm) {
    return {mm.x() * paintUnitsPerMm, mm.y() * paintUnitsPerMm, mm.width() * paintUnitsPerMm,
            mm.height() * paintUnitsPerMm};
}

QPen linePen(double widthMm) {
    QPen pen(Qt::black, widthMm * paintUnitsPerMm);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void paintText(QPainter& painter, const PageItem& item, const PageStyle& style) {
    const QRectF box = units(item.rectMm);
    if (!item.text.isEmpty()) {
        painter.setFont(reportFont(style));
        painter.setPen(Qt::black);
        const double pad = textPaddingMm * paintUnitsPerMm;
        int flags = style.alignment;
        if (style.wordWrap) flags |= Qt::TextWordWrap;
        painter.drawText(box.adjusted(pad, 0, -pad, 0), flags, item.text);
    }
    if (style.frame == 0) return;
    painter.setPen(linePen(style.lineWidthMm));
    if (style.frame & PageItem::Left) painter.drawLine(box.topLeft(), box.bottomLeft());
    if (style.frame & PageItem::Top) painter.drawLine(box.topLeft(), box.topRight());
    if (style.frame & PageItem::Right) painter.drawLine(box.topRight(), box.bottomRight());
    if (style.frame & PageItem::Bottom) painter.drawLine(box.bottomLeft(), box.bottomRight());
}

QPageLayout pageLayoutOf(const PageModel& model) {
    const QSizeF size = model.pages.isEmpty() ? QSizeF(210, 297) : model.pages.first().sizeMm;
    const QSizeF portrait(std::min(size.width(), size.height()),
                          std::max(size.width(), size.height()));
    return QPageLayout(
        QPageSize(portrait, QPageSize::Millimeter),
        size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

}  // namespace

QFont reportFont(const PageStyle& style) {
    QFont font(style.fontFamily);
    // Points to hundredths of a millimetre: 1 pt = 25.4 / 72 mm.
    font.setPixelSize(
        std::max(1, static_cast<int>(std::lround(style.fontSizePt * 25.4 / 72 * paintUnitsPerMm))));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void paintPage(QPainter& painter, const PageModel& model, const Page& page,
               double devicePixelsPerMm, QPointF origin) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(origin);
    painter.scale(devicePixelsPerMm / paintUnitsPerMm, devicePixelsPerMm / paintUnitsPerMm);
    painter.setBrush(Qt::NoBrush);
    for (const PageItem& item : page.items) {
        const PageStyle& style = model.style(item);
        switch (item.kind) {
            case PageItem::Kind::Text:
                paintText(painter, item, style);
                break;
            case PageItem::Kind::Line:
                painter.setPen(linePen(style.lineWidthMm));
                painter.drawLine(units(item.rectMm).topLeft(), units(item.rectMm).bottomRight());
                break;
            case PageItem::Kind::Rect:
                painter.setPen(linePen(style.lineWidthMm));
                painter.drawRect(units(item.rectMm));
                break;
        }
    }
    painter.restore();
}

void applyPageLayout(QPagedPaintDevice& device, const PageModel& model) {
    device.setPageLayout(pageLayoutOf(model));
}

void writePdf(const PageModel& model, const QString& fileName) {
    const QString shown = QDir::toNativeSeparators(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        throw ReportError(
            QStringLiteral("A(z) \"%1\" fájl nem írható. %2").arg(shown, file.errorString()));
    }
    {
        QPdfWriter pdf(&file);
        pdf.setCreator(QStringLiteral("Termaro"));
        pdf.setTitle(model.title);
        applyPageLayout(pdf, model);
        QPainter painter;
        if (!painter.begin(&pdf)) {
            throw ReportError(QStringLiteral("A(z) \"%1\" PDF fájl nem készíthető el.").arg(shown));
        }
        const double pixelsPerMm = pdf.resolution() / 25.4;
        for (qsizetype i = 0; i < model.pages.size(); ++i) {
            if (i > 0) pdf.newPage();
            paintPage(painter, model, model.pages.at(i), pixelsPerMm);
        }
        painter.end();
    }
    if (!file.commit()) {
        throw ReportError(
            QStringLiteral("A(z) \"%1\" fájl nem írható. %2").arg(shown, file.errorString()));
    }
}

void printPages(const PageModel& model, QPrinter& printer) {
    printer.setFullPage(true);
    int from = 1;
    int to = static_cast<int>(model.pages.size());
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(from, printer.fromPage());
        to = std::min(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    if (from > to) return;
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("A nyomtatás nem indítható el."));
    const double pixelsPerMm = printer.resolution() / 25.4;
    for (int page = from; page <= to; ++page) {
        if (page > from) printer.newPage();
        paintPage(painter, model, model.pages.at(page - 1), pixelsPerMm);
    }
    painter.end();
}
