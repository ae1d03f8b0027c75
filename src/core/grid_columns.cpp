#include "core/grid_columns.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

void fitColumnsToContent(QTableView* view) {
    const int cap = view->fontMetrics().averageCharWidth() * 40;
    QHeaderView* header = view->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        if (view->isColumnHidden(column)) continue;
        const int wanted =
            std::max(header->sectionSizeHint(column),
                     static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(column));
        const int width = std::max(view->columnWidth(column), std::min(wanted, cap));
        if (width != view->columnWidth(column)) view->setColumnWidth(column, width);
    }
}
