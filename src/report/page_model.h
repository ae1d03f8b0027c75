#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// The laid-out pages of a prepared report: what the preview paints, the printer prints and the
// PDF writer exports. Positions and sizes are in millimetres from the page's top left corner.
struct PageItem {
    enum class Kind { Text, Line, Rect };
    Kind kind = Kind::Text;
    QRectF rectMm;  // for a line: from topLeft to bottomRight
    QString text;
    QString fontFamily = "DejaVu Sans";
    double fontSizePt = 10;
    bool bold = false;
    bool italic = false;
    int alignment = 0;  // Qt::Alignment flags
    bool wordWrap = false;
    int frame = 0;  // FrameSide bits
    double lineWidthMm = 0.2;
    enum FrameSide { Left = 1, Top = 2, Right = 4, Bottom = 8 };
};

struct Page {
    QSizeF sizeMm{210, 297};
    QList<PageItem> items;
    // The page's text: text items top to bottom, left to right, one line per row of items.
    QString text() const;
};

struct PageModel {
    QList<Page> pages;
    bool landscape = false;
    QString title;  // the template's file name, for the preview caption and the PDF
};
