#include "report/report_layout.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "report/report_format.h"
#include "report/report_painter.h"

namespace {

// Page numbers are known only when a copy is complete; texts carry these until then.
constexpr QChar pageMarker(0xE000);
constexpr QChar pageCountMarker(0xE001);
// A data source that never ends would otherwise fill memory.
constexpr int maxPages = 10000;
constexpr long long maxRows = 5000000;

// The measured heights kept at most; beyond it they are measured afresh.
constexpr size_t maxKeptHeights = 100000;
// The distinct texts shared at most; beyond it sharing starts afresh.
constexpr qsizetype maxSharedTexts = 500000;

// What a wrapped text's height depends on.
struct TextBox {
    QString fontFamily;
    double fontSizePt;
    bool bold;
    bool italic;
    double widthMm;
    int alignment;
    QString text;
    bool operator==(const TextBox& o) const = default;
};

struct TextBoxHash {
    size_t operator()(const TextBox& b) const {
        return qHashMulti(0, b.text, b.widthMm, b.fontSizePt, b.fontFamily, b.bold, b.italic,
                          b.alignment);
    }
};

// What a template object printed last: its text, that text's wrapped height (negative: not
// measured) and the object's style. Its texts are shared with other items while that finds
// copies: a column of amounts seldom does, and would only fill the table of shared texts.
struct ObjectMemo {
    QString text;
    double heightMm = -1;
    int style = -1;
    int lookups = 0;
    int found = 0;

    bool shares() const { return lookups < 256 || found * 4 >= lookups; }
    void count(bool wasFound) {
        ++lookups;
        if (wasFound) ++found;
    }
};

struct PreparedBand {
    double heightMm = 0;
    QList<PageItem> items;  // positions from the band's top left corner
    QList<int> numbered;    // items that carry page number markers
};

class Layout {
public:
    Layout(const ReportTemplate& report, ReportDataResolver& data, const QVariantMap& variables,
           const PrepareOptions& options)
        : m_report(report), m_data(data), m_options(options) {
        for (auto it = variables.begin(); it != variables.end(); ++it) {
            m_variables.insert(it.key().toLower(), it.value());
        }
        m_model.landscape = options.landscape.value_or(report.landscape);
        m_model.title = report.name;
        const QSizeF size = report.pageSizeMm;
        m_pageSize = m_model.landscape ? QSizeF(size.height(), size.width()) : size;
        const TemplateBand* footer = report.band(BandKind::PageFooter);
        m_bodyBottom =
            m_pageSize.height() - report.marginsMm.bottom() - (footer ? footer->heightMm : 0);
    }

    PageModel run() {
        for (int copy = 1; copy <= m_report.copies; ++copy) {
            m_copy = copy;
            m_copyFirstPage = static_cast<int>(m_model.pages.size());
            newPage(false);
            place(m_report.band(BandKind::ReportTitle));
            place(m_report.band(BandKind::PageHeader), false);
            if (const TemplateBand* master = m_report.band(BandKind::MasterData)) walk(*master);
            place(m_report.band(BandKind::Summary));
            finishPage();
            numberPages();
        }
        return std::move(m_model);
    }

private:
    void newPage(bool withHeader = true) {
        if (m_pageOpen) finishPage();
        if (m_model.pages.size() >= maxPages) {
            throw ReportError(
                QStringLiteral("A jelentés túl hosszú: több mint %1 oldal.").arg(maxPages));
        }
        Page page;
        page.sizeMm = m_pageSize;
        // Pages of a list hold about as many items as the one before.
        if (!m_model.pages.isEmpty()) page.items.reserve(m_model.pages.last().items.size());
        m_model.pages.append(std::move(page));
        m_pageOpen = true;
        m_y = m_report.marginsMm.top();
        m_bodyOnPage = false;
        if (withHeader) place(m_report.band(BandKind::PageHeader), false);
    }

    void finishPage() {
        m_pageOpen = false;
        if (const TemplateBand* footer = m_report.band(BandKind::PageFooter)) {
            m_y = m_bodyBottom;
            put(prepare(*footer));
        }
        // A long report keeps thousands of pages: none keeps room for items it will not get.
        m_model.pages.last().items.squeeze();
    }

    // The master band once per row of its source, with its groups and detail rows.
    void walk(const TemplateBand& master) {
        const TemplateBand* header = m_report.band(BandKind::GroupHeader);
        const TemplateBand* footer = m_report.band(BandKind::GroupFooter);
        if (master.dataset.isEmpty()) {  // no source: printed once
            place(header);
            row(master);
            place(footer);
            return;
        }
        ReportDataSource& rows = source(master.dataset);
        const bool keyed = header && !header->condition.isEmpty();
        bool inGroup = false;
        QString key;
        long long count = 0;
        for (rows.first(); !rows.eof(); ++count) {
            if (count >= maxRows) {
                throw ReportError(
                    QStringLiteral("A(z) %1 adatforrás nem ér véget.").arg(master.dataset));
            }
            if (!inGroup) {
                if (keyed) key = evaluate(header->condition);
                place(header);
                inGroup = true;
            }
            row(master);
            // The footer shows the group's last row, so it is filled before moving on.
            PreparedBand closing;
            if (footer) closing = prepare(*footer);
            rows.next();
            if (!keyed || rows.eof() || evaluate(header->condition) != key) {
                if (footer) place(closing);
                inGroup = false;
            }
        }
    }

    void row(const TemplateBand& master) {
        place(&master);
        const TemplateBand* detail = m_report.band(BandKind::DetailData);
        if (!detail) return;
        ReportDataSource& rows = source(detail->dataset);
        long long count = 0;
        for (rows.first(); !rows.eof(); rows.next()) {
            if (++count > maxRows) {
                throw ReportError(
                    QStringLiteral("A(z) %1 adatforrás nem ér véget.").arg(detail->dataset));
            }
            place(detail);
        }
    }

    void place(const TemplateBand* band, bool body = true) {
        if (band) place(prepare(*band), body);
    }

    // A band that does not fit moves to a new page, unless the page holds only its header.
    void place(const PreparedBand& band, bool body = true) {
        if (body && m_bodyOnPage && m_y + band.heightMm > m_bodyBottom + 1e-6) newPage();
        put(band);
        if (body) m_bodyOnPage = true;
    }

    void put(const PreparedBand& band) {
        Page& page = m_model.pages.last();
        const QPointF offset(m_report.marginsMm.left(), m_y);
        const int pageIndex = static_cast<int>(m_model.pages.size()) - 1;
        for (int i : band.numbered) {
            m_numbered.append({pageIndex, static_cast<int>(page.items.size()) + i});
        }
        for (const PageItem& item : band.items) {
            PageItem placed = item;
            placed.rectMm.translate(offset);
            page.items.append(std::move(placed));
        }
        m_y += band.heightMm;
    }

    // A year's list prints the same texts over and over (units, dates, names, prices): the
    // items share one copy of each. Page numbers are put in later and then get their own.
    QString sharedText(const QString& text) {
        if (text.isEmpty()) return text;
        if (const auto known = m_texts.constFind(text); known != m_texts.constEnd()) return *known;
        if (m_texts.size() >= maxSharedTexts) m_texts.clear();
        m_texts.insert(text);
        return text;
    }

    PreparedBand prepare(const TemplateBand& band) {
        PreparedBand out;
        out.heightMm = band.heightMm;
        out.items.reserve(band.objects.size());
        for (const TemplateObject& o : band.objects) {
            PageItem item;
            item.rectMm = o.rectMm;
            ObjectMemo& memo = m_memo[&o];
            if (o.kind == TemplateObject::Kind::Line) {
                item.kind = PageItem::Kind::Line;
            } else if (o.kind == TemplateObject::Kind::Rect) {
                item.kind = PageItem::Kind::Rect;
            } else {
                m_numberedText = false;
                item.text = evaluate(o.parts);
                if (item.text.isEmpty() && o.frame == 0) continue;
                // A column repeats its text from row to row more often than not (a unit, a
                // date, a ticket's number): the repeat takes the same copy without a look-up.
                if (item.text != memo.text) {
                    if (memo.shares()) {
                        const QString shared = sharedText(item.text);
                        memo.count(shared.constData() != item.text.constData());
                        memo.text = shared;
                    } else {
                        memo.text = item.text;
                    }
                    memo.heightMm = -1;
                }
                item.text = memo.text;
            }
            if (memo.style < 0) memo.style = styleOf(o);
            item.style = memo.style;
            if (item.kind == PageItem::Kind::Text) {
                if (band.stretch && o.wordWrap) {
                    if (memo.heightMm < 0) memo.heightMm = textHeightMm(m_model.style(item), item);
                    item.rectMm.setHeight(std::max(o.rectMm.height(), memo.heightMm));
                    out.heightMm = std::max(out.heightMm, item.rectMm.bottom());
                } else if (o.wordWrap) {
                    fitIntoBox(item);
                }
                if (m_numberedText) out.numbered.append(static_cast<int>(out.items.size()));
            }
            out.items.append(item);
        }
        return out;
    }

    // A wrapped text in a band of fixed height (a ticket's remark) must never lose a line: its
    // font steps down until the whole text fits its box, and only below the smallest readable
    // size does the box grow.
    void fitIntoBox(PageItem& item) {
        constexpr double smallestPt = 4;
        constexpr double stepPt = 0.5;
        PageStyle style = m_model.style(item);
        const double templateSizePt = style.fontSizePt;
        while (style.fontSizePt - stepPt >= smallestPt &&
               textHeightMm(style, item) > item.rectMm.height())
            style.fontSizePt -= stepPt;
        item.rectMm.setHeight(std::max(item.rectMm.height(), textHeightMm(style, item)));
        if (style.fontSizePt != templateSizePt) item.style = m_model.addStyle(style);
    }

    // The style of a template object's items, from the model's table (added when new).
    int styleOf(const TemplateObject& o) {
        PageStyle style;
        style.lineWidthMm = o.lineWidthMm;
        if (o.kind == TemplateObject::Kind::Text) {
            style.fontFamily = o.fontFamily;
            style.fontSizePt = o.fontSizePt;
            style.bold = o.bold;
            style.italic = o.italic;
            style.alignment = o.alignment;
            style.wordWrap = o.wordWrap;
            style.frame = o.frame;
        }
        return m_model.addStyle(style);
    }

    double textHeightMm(const PageStyle& style, const PageItem& item) {
        const double widthMm = item.rectMm.width() - 2 * textPaddingMm;
        if (!QGuiApplication::instance()) {  // no font database: a rough estimate
            const double perLine = std::max(1.0, widthMm / (style.fontSizePt * 0.2));
            const double lines = std::ceil(item.text.size() / perLine);
            return lines * style.fontSizePt * 0.42;
        }
        // A long list measures the same names again and again: each measured text is kept.
        const TextBox box{style.fontFamily, style.fontSizePt, style.bold, style.italic,
                          widthMm,          style.alignment,  item.text};
        if (const auto known = m_heights.find(box); known != m_heights.end()) return known->second;
        const QString key = QStringLiteral("%1|%2|%3|%4")
                                .arg(style.fontFamily)
                                .arg(style.fontSizePt)
                                .arg(style.bold)
                                .arg(style.italic);
        auto it = m_metrics.find(key);
        if (it == m_metrics.end())
            it = m_metrics.emplace(key, QFontMetricsF(reportFont(style))).first;
        const QRectF bounds = it->second.boundingRect(
            QRectF(0, 0, widthMm * paintUnitsPerMm, 1e9),
            Qt::TextWordWrap | (style.alignment & Qt::AlignHorizontal_Mask), item.text);
        const double height = bounds.height() / paintUnitsPerMm + 0.5;
        if (m_heights.size() >= maxKeptHeights) m_heights.clear();
        m_heights.emplace(box, height);
        return height;
    }

    QString evaluate(const TextParts& parts) {
        QString out;
        for (const TextPart& part : parts) {
            switch (part.kind) {
                case TextPart::Kind::Literal:
                    out += part.name;
                    break;
                case TextPart::Kind::Field:
                    out += formatReportValue(source(part.name).value(part.field), part.format);
                    break;
                case TextPart::Kind::Variable:
                    out += variable(part);
                    break;
            }
        }
        return out;
    }

    QString variable(const TextPart& part) {
        const QString name = part.name.toLower();
        if (const auto it = m_variables.constFind(name); it != m_variables.constEnd()) {
            return formatReportValue(*it, part.format);
        }
        if (name == QLatin1String("page") || name == QLatin1String("pages")) {
            m_numberedText = true;
            return name == QLatin1String("page") ? pageMarker : pageCountMarker;
        }
        if (name == QLatin1String("copy")) return QString::number(m_copy);
        if (name == QLatin1String("copyname")) return m_report.copyNames.value(m_copy - 1);
        if (name == QLatin1String("date")) return formatReportValue(m_options.today, part.format);
        // Program variables not set yet print as nothing; other names are template mistakes.
        if (name.startsWith(QLatin1String("v_"))) return {};
        throw ReportError(QStringLiteral("Ismeretlen változó: [%1]").arg(part.name));
    }

    ReportDataSource& source(const QString& name) {
        ReportDataSource*& cached = m_sources[name];
        if (!cached) cached = m_data.source(name);
        if (!cached) throw ReportError(QStringLiteral("Ismeretlen adatforrás: %1").arg(name));
        return *cached;
    }

    void numberPages() {
        const int first = m_copyFirstPage;
        const QString count = QString::number(m_model.pages.size() - first);
        for (const auto& [pageIndex, itemIndex] : m_numbered) {
            QString& text = m_model.pages[pageIndex].items[itemIndex].text;
            text.replace(pageMarker, QString::number(pageIndex - first + 1));
            text.replace(pageCountMarker, count);
        }
        m_numbered.clear();
    }

    const ReportTemplate& m_report;
    ReportDataResolver& m_data;
    PrepareOptions m_options;
    QHash<QString, QVariant> m_variables;
    QHash<QString, ReportDataSource*> m_sources;
    std::map<QString, QFontMetricsF> m_metrics;
    std::unordered_map<const TemplateObject*, ObjectMemo> m_memo;
    QSet<QString> m_texts;
    std::unordered_map<TextBox, double, TextBoxHash> m_heights;
    PageModel m_model;
    QSizeF m_pageSize;
    double m_bodyBottom = 0;
    double m_y = 0;
    bool m_pageOpen = false;
    bool m_bodyOnPage = false;
    bool m_numberedText = false;
    int m_copy = 1;
    int m_copyFirstPage = 0;
    QList<QPair<int, int>> m_numbered;  // (page, item) holding page number markers
};

}  // namespace

PageModel prepareReport(const ReportTemplate& report, ReportDataResolver& data,
                        const QVariantMap& variables, const PrepareOptions& options) {
    return Layout(report, data, variables, options).run();
}

// The pages are independent: a long report's texts are made on every core, each thread filling
// its own share of the list. A helper's failure (out of memory) reaches the caller as it would
// on one thread; a helper that cannot start leaves its share to this thread.
QStringList pageTexts(const PageModel& model) {
    constexpr qsizetype pagesPerThread = 200;
    const qsizetype count = model.pages.size();
    QStringList texts(count);
    QString* out = texts.data();  // detached once here, before any thread writes
    const auto fill = [&model, out](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) out[i] = model.pages.at(i).text();
    };
    const qsizetype shares = std::clamp<qsizetype>(std::thread::hardware_concurrency(), 1, 8);
    const qsizetype threads = std::clamp<qsizetype>(count / pagesPerThread, 1, shares);
    struct Helper {
        std::thread thread;
        std::exception_ptr failure;
    };
    std::vector<Helper> helpers(static_cast<size_t>(threads - 1));
    for (qsizetype t = 1; t < threads; ++t) {
        Helper& helper = helpers[static_cast<size_t>(t - 1)];
        const qsizetype from = count * t / threads;
        const qsizetype to = count * (t + 1) / threads;
        try {
            helper.thread = std::thread([&fill, &helper, from, to] {
                try {
                    fill(from, to);
                } catch (...) {
                    helper.failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            fill(from, to);
        }
    }
    std::exception_ptr failure;
    try {
        fill(0, count / threads);
    } catch (...) {
        failure = std::current_exception();
    }
    for (Helper& helper : helpers) {
        if (helper.thread.joinable()) helper.thread.join();
        if (!failure) failure = helper.failure;
    }
    if (failure) std::rethrow_exception(failure);
    return texts;
}
