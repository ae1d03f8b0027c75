#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// How an item is drawn. A report has a few of these and many thousands of items, so the items
// share them through the model's style table.
struct PageStyle {
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSizePt = 10;
    bool bold = false;
    bool italic = false;
    int alignment = 0;  // Qt::Alignment flags
    bool wordWrap = false;
    int frame = 0;  // PageItem::FrameSide bits
    double lineWidthMm = 0.2;
    bool operator==(const PageStyle&) const = default;
};

// The laid-out pages of a prepared report: what the preview paints, the printer prints and the
// PDF writer exports. Positions and sizes are in millimetres from the page's top left corner.
struct PageItem {
    enum class Kind : quint8 { Text, Line, Rect };
    Kind kind = Kind::Text;
    int style = 0;  // index into PageModel::styles
    QRectF rectMm;  // for a line: from topLeft to bottomRight
    QString text;
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
    QList<PageStyle> styles{PageStyle()};  // style 0 is the default one
    bool landscape = false;
    QString title;  // the template's file name, for the preview caption and the PDF

    const PageStyle& style(const PageItem& item) const { return styles.at(item.style); }
    // The index of a style equal to `style`, added to the table when there is none.
    int addStyle(const PageStyle& style);
};
