#include "report/page_model.h"

#include <algorithm>
#include <vector>

namespace {
// Items whose tops are this close stand on one row of the page text.
constexpr double rowToleranceMm = 1.0;
}  // namespace

QString Page::text() const {
    std::vector<const PageItem*> texts;
    for (const PageItem& item : items) {
        if (item.kind == PageItem::Kind::Text && !item.text.trimmed().isEmpty()) {
            texts.push_back(&item);
        }
    }
    std::stable_sort(texts.begin(), texts.end(), [](const PageItem* a, const PageItem* b) {
        return a->rectMm.top() < b->rectMm.top();
    });
    QStringList lines;
    size_t i = 0;
    while (i < texts.size()) {
        const double rowTop = texts[i]->rectMm.top();
        size_t end = i;
        while (end < texts.size() && texts[end]->rectMm.top() - rowTop < rowToleranceMm) ++end;
        std::stable_sort(texts.begin() + static_cast<std::ptrdiff_t>(i),
                         texts.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const PageItem* a, const PageItem* b) {
                             return a->rectMm.left() < b->rectMm.left();
                         });
        QStringList row;
        for (size_t k = i; k < end; ++k) {
            QString t = texts[k]->text;
            t.replace('\n', ' ');
            row << t;
        }
        lines << row.join(' ');
        i = end;
    }
    return lines.join('\n');
}

int PageModel::addStyle(const PageStyle& style) {
    const qsizetype known = styles.indexOf(style);
    if (known >= 0) return static_cast<int>(known);
    styles.append(style);
    return static_cast<int>(styles.size() - 1);
}
