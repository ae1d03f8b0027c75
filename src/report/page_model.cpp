#include "report/page_model.h"

#include <algorithm>
#include <vector>

namespace {
// Items whose tops are this close stand on one row of the page text.
constexpr double rowToleranceMm = 1.0;

bool hasInk(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !c.isSpace(); });
}
}  // namespace

QString Page::text() const {
    std::vector<const PageItem*> texts;
    texts.reserve(static_cast<size_t>(items.size()));
    qsizetype length = 0;
    for (const PageItem& item : items) {
        if (item.kind == PageItem::Kind::Text && hasInk(item.text)) {
            texts.push_back(&item);
            length += item.text.size() + 1;
        }
    }
    std::stable_sort(texts.begin(), texts.end(), [](const PageItem* a, const PageItem* b) {
        return a->rectMm.top() < b->rectMm.top();
    });
    QString out;
    out.reserve(length);
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
        if (i > 0) out += u'\n';
        for (size_t k = i; k < end; ++k) {
            if (k > i) out += u' ';
            const qsizetype start = out.size();
            out += texts[k]->text;
            QChar* written = out.data();
            std::replace(written + start, written + out.size(), QChar(u'\n'), QChar(u' '));
        }
        i = end;
    }
    return out;
}

int PageModel::addStyle(const PageStyle& style) {
    const qsizetype known = styles.indexOf(style);
    if (known >= 0) return static_cast<int>(known);
    styles.append(style);
    return static_cast<int>(styles.size() - 1);
}
