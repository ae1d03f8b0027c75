#pragma once

#include <QFont>
#include <QString>

#include "report/page_model.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

// One painter routine draws the page model for the preview, the printer and the PDF file.
// It paints in hundredths of a millimetre, so fonts keep their size on every device.
constexpr double paintUnitsPerMm = 100;
// Space between a text and the sides of its box.
constexpr double textPaddingMm = 0.5;

// The font of a text style, sized in paint units.
QFont reportFont(const PageStyle& style);

// Paints one page of `model` with its top left corner at `origin` (device pixels) at the given
// scale.
void paintPage(QPainter& painter, const PageModel& model, const Page& page,
               double devicePixelsPerMm, QPointF origin = {});

// Sets the device's paper size and orientation to the model's, without margins.
void applyPageLayout(QPagedPaintDevice& device, const PageModel& model);

// Writes every page to a PDF file; the file is replaced only when all went well.
// Throws ReportError.
void writePdf(const PageModel& model, const QString& fileName);

// Prints the pages the printer's range asks for. Throws ReportError.
void printPages(const PageModel& model, QPrinter& printer);
