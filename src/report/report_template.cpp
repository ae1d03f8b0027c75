#include "report/report_template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "report/page_model.h"
#include "report/report_data.h"
#include "report/report_format.h"

namespace {

const QHash<QString, BandKind>& bandKinds() {
    static const QHash<QString, BandKind> kinds{
        {QStringLiteral("reportTitle"), BandKind::ReportTitle},
        {QStringLiteral("pageHeader"), BandKind::PageHeader},
        {QStringLiteral("groupHeader"), BandKind::GroupHeader},
        {QStringLiteral("masterData"), BandKind::MasterData},
        {QStringLiteral("detailData"), BandKind::DetailData},
        {QStringLiteral("groupFooter"), BandKind::GroupFooter},
        {QStringLiteral("summary"), BandKind::Summary},
        {QStringLiteral("pageFooter"), BandKind::PageFooter},
    };
    return kinds;
}

// Page sizes by name, portrait, in millimetres.
const QHash<QString, QSizeF>& pageSizes() {
    static const QHash<QString, QSizeF> sizes{
        {QStringLiteral("A3"), {297, 420}},
        {QStringLiteral("A4"), {210, 297}},
        {QStringLiteral("A5"), {148, 210}},
        {QStringLiteral("Letter"), {215.9, 279.4}},
    };
    return sizes;
}

// Reads one element's attributes, complaining about any it was not asked for.
class Attributes {
public:
    Attributes(const QXmlStreamReader& xml, QStringList allowed)
        : m_element(xml.name().toString()) {
        for (const QXmlStreamAttribute& a : xml.attributes()) {
            const QString name = a.name().toString();
            if (!allowed.contains(name)) {
                throw ReportError(
                    QStringLiteral("ismeretlen jellemző: %1 (<%2>)").arg(name, m_element));
            }
            m_values.insert(name, a.value().toString());
        }
    }

    bool has(const QString& name) const { return m_values.contains(name); }
    QString text(const QString& name, const QString& fallback = {}) const {
        return m_values.value(name, fallback);
    }

    double number(const QString& name, double fallback) const {
        if (!has(name)) return fallback;
        bool ok = false;
        const double v = m_values.value(name).trimmed().toDouble(&ok);
        if (!ok || v < 0) throw invalid(name);
        return v;
    }

    double required(const QString& name) const {
        if (!has(name)) {
            throw ReportError(QStringLiteral("hiányzó jellemző: %1 (<%2>)").arg(name, m_element));
        }
        return number(name, 0);
    }

    bool flag(const QString& name) const {
        const QString v = m_values.value(name, QStringLiteral("false"));
        if (v == QLatin1String("true")) return true;
        if (v == QLatin1String("false")) return false;
        throw invalid(name);
    }

    ReportError invalid(const QString& name) const {
        return ReportError(QStringLiteral("hibás érték: %1=\"%2\" (<%3>)")
                               .arg(name, m_values.value(name), m_element));
    }

private:
    QString m_element;
    QHash<QString, QString> m_values;
};

int alignmentOf(const Attributes& a) {
    static const QHash<QString, int> horizontal{{QStringLiteral("left"), Qt::AlignLeft},
                                                {QStringLiteral("center"), Qt::AlignHCenter},
                                                {QStringLiteral("right"), Qt::AlignRight}};
    static const QHash<QString, int> vertical{{QStringLiteral("top"), Qt::AlignTop},
                                              {QStringLiteral("middle"), Qt::AlignVCenter},
                                              {QStringLiteral("bottom"), Qt::AlignBottom}};
    const QString h = a.text(QStringLiteral("align"), QStringLiteral("left"));
    const QString v = a.text(QStringLiteral("valign"), QStringLiteral("middle"));
    if (!horizontal.contains(h)) throw a.invalid(QStringLiteral("align"));
    if (!vertical.contains(v)) throw a.invalid(QStringLiteral("valign"));
    return horizontal.value(h) | vertical.value(v);
}

int frameOf(const Attributes& a) {
    const QString f = a.text(QStringLiteral("frame"));
    if (f == QLatin1String("all")) {
        return PageItem::Left | PageItem::Top | PageItem::Right | PageItem::Bottom;
    }
    int bits = 0;
    for (QChar c : f) {
        const int bit = c == 'l'   ? PageItem::Left
                        : c == 't' ? PageItem::Top
                        : c == 'r' ? PageItem::Right
                        : c == 'b' ? PageItem::Bottom
                                   : 0;
        if (bit == 0) throw a.invalid(QStringLiteral("frame"));
        bits |= bit;
    }
    return bits;
}

TemplateObject readText(QXmlStreamReader& xml) {
    const Attributes a(xml, {"left", "top", "width", "height", "font", "size", "bold", "italic",
                             "align", "valign", "wrap", "frame", "lineWidth", "format"});
    TemplateObject o;
    o.kind = TemplateObject::Kind::Text;
    o.rectMm =
        QRectF(a.required("left"), a.required("top"), a.required("width"), a.required("height"));
    o.fontFamily = a.text("font", o.fontFamily);
    o.fontSizePt = a.number("size", o.fontSizePt);
    if (o.fontSizePt <= 0) throw a.invalid("size");
    o.bold = a.flag("bold");
    o.italic = a.flag("italic");
    o.alignment = alignmentOf(a);
    o.wordWrap = a.flag("wrap");
    o.frame = frameOf(a);
    o.lineWidthMm = a.number("lineWidth", o.lineWidthMm);
    const QString format = a.text("format");
    if (!isValidReportFormat(format)) throw a.invalid("format");
    // The content is taken exactly as written: blanks at either end are part of the text.
    o.parts = parseTextParts(xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement));
    for (TextPart& p : o.parts) {
        if (p.kind != TextPart::Kind::Literal && p.format.isEmpty()) p.format = format;
    }
    return o;
}

TemplateObject readLine(QXmlStreamReader& xml) {
    const Attributes a(xml, {"x1", "y1", "x2", "y2", "lineWidth"});
    TemplateObject o;
    o.kind = TemplateObject::Kind::Line;
    o.rectMm = QRectF(QPointF(a.required("x1"), a.required("y1")),
                      QPointF(a.required("x2"), a.required("y2")));
    o.lineWidthMm = a.number("lineWidth", o.lineWidthMm);
    xml.skipCurrentElement();
    return o;
}

TemplateObject readRect(QXmlStreamReader& xml) {
    const Attributes a(xml, {"left", "top", "width", "height", "lineWidth"});
    TemplateObject o;
    o.kind = TemplateObject::Kind::Rect;
    o.rectMm =
        QRectF(a.required("left"), a.required("top"), a.required("width"), a.required("height"));
    o.lineWidthMm = a.number("lineWidth", o.lineWidthMm);
    xml.skipCurrentElement();
    return o;
}

TemplateBand readBand(QXmlStreamReader& xml) {
    const Attributes a(xml, {"kind", "height", "dataset", "condition", "stretch"});
    TemplateBand band;
    const QString kind = a.text("kind");
    if (!bandKinds().contains(kind)) throw a.invalid("kind");
    band.kind = bandKinds().value(kind);
    band.heightMm = a.required("height");
    band.dataset = a.text("dataset").trimmed();
    band.stretch = a.flag("stretch");
    const bool walks = band.kind == BandKind::MasterData || band.kind == BandKind::DetailData;
    if (!band.dataset.isEmpty() && !walks) throw a.invalid("dataset");
    if (band.kind == BandKind::DetailData && band.dataset.isEmpty()) {
        throw ReportError(QStringLiteral("a detailData sávnak meg kell adni a dataset jellemzőt"));
    }
    if (a.has("condition")) {
        if (band.kind != BandKind::GroupHeader) throw a.invalid("condition");
        band.condition = parseTextParts(a.text("condition"));
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("text")) {
            band.objects.append(readText(xml));
        } else if (xml.name() == QLatin1String("line")) {
            band.objects.append(readLine(xml));
        } else if (xml.name() == QLatin1String("rect")) {
            band.objects.append(readRect(xml));
        } else {
            throw ReportError(QStringLiteral("ismeretlen elem: <%1>").arg(xml.name()));
        }
    }
    return band;
}

void readPage(QXmlStreamReader& xml, ReportTemplate& t) {
    const Attributes a(
        xml, {"size", "width", "height", "orientation", "left", "top", "right", "bottom"});
    const QString size = a.text("size", QStringLiteral("A4"));
    if (!pageSizes().contains(size)) throw a.invalid("size");
    t.pageSizeMm = pageSizes().value(size);
    t.pageSizeMm.setWidth(a.number("width", t.pageSizeMm.width()));
    t.pageSizeMm.setHeight(a.number("height", t.pageSizeMm.height()));
    const QString orientation = a.text("orientation", QStringLiteral("portrait"));
    if (orientation != QLatin1String("portrait") && orientation != QLatin1String("landscape")) {
        throw a.invalid("orientation");
    }
    t.landscape = orientation == QLatin1String("landscape");
    t.marginsMm = QMarginsF(a.number("left", 10), a.number("top", 10), a.number("right", 10),
                            a.number("bottom", 10));
    xml.skipCurrentElement();
}

void readReport(QXmlStreamReader& xml, ReportTemplate& t) {
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("report")) {
        throw ReportError(QStringLiteral("a gyökérelem nem <report>"));
    }
    const Attributes a(xml, {"copies"});
    int copies = 0;
    if (a.has("copies")) {
        copies = static_cast<int>(a.number("copies", 1));
        if (copies < 1 || copies > 99 || copies != a.number("copies", 1)) throw a.invalid("copies");
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("page")) {
            readPage(xml, t);
        } else if (xml.name() == QLatin1String("copy")) {
            const Attributes c(xml, {"name"});
            t.copyNames.append(c.text("name"));
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("band")) {
            TemplateBand band = readBand(xml);
            auto& slot = t.bands[static_cast<size_t>(band.kind)];
            if (slot) throw ReportError(QStringLiteral("egy sávfajta csak egyszer szerepelhet"));
            slot = std::move(band);
        } else {
            throw ReportError(QStringLiteral("ismeretlen elem: <%1>").arg(xml.name()));
        }
    }
    t.copies = copies > 0 ? copies : std::max(1, static_cast<int>(t.copyNames.size()));
    const bool master = t.band(BandKind::MasterData) != nullptr;
    if (!master && (t.band(BandKind::DetailData) || t.band(BandKind::GroupHeader) ||
                    t.band(BandKind::GroupFooter))) {
        throw ReportError(QStringLiteral(
            "detailData, groupHeader és groupFooter csak masterData mellett állhat"));
    }
}

QString fileErrorText(const QString& path, const QFile& file) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    QString reason;
    if (!info.exists()) {
        reason = QStringLiteral("A rendszer nem találja a megadott fájlt.");
    } else if (info.isDir()) {
        reason = QStringLiteral("Ez egy mappa, nem fájl.");
    } else if (file.error() == QFileDevice::OpenError && !info.isReadable()) {
        reason = QStringLiteral("A hozzáférés megtagadva.");
    } else {
        reason = file.errorString();
    }
    return QStringLiteral("A(z) \"%1\" fájl nem nyitható meg. %2").arg(shown, reason);
}

}  // namespace

TextParts parseTextParts(const QString& text) {
    static const QRegularExpression fieldRef(QStringLiteral(R"re(^(\w+)\s*\.\s*"([^"]+)"$)re"));
    static const QRegularExpression variableRef(QStringLiteral(R"(^\w+$)"));
    TextParts parts;
    QString literal;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c != '[') {
            literal += c;
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text.at(i + 1) == '[') {  // "[[" writes one "["
            literal += c;
            i += 2;
            continue;
        }
        const qsizetype close = text.indexOf(']', i);
        if (close < 0) throw ReportError(QStringLiteral("lezáratlan [ a szövegben: %1").arg(text));
        const QString inside = text.mid(i + 1, close - i - 1);
        const qsizetype bar = inside.lastIndexOf('|');
        const QString expr = (bar < 0 ? inside : inside.left(bar)).trimmed();
        TextPart part;
        part.format = bar < 0 ? QString() : inside.mid(bar + 1).trimmed();
        if (!isValidReportFormat(part.format)) {
            throw ReportError(QStringLiteral("ismeretlen formátum: [%1]").arg(inside));
        }
        if (const auto m = fieldRef.match(expr); m.hasMatch()) {
            part.kind = TextPart::Kind::Field;
            part.name = m.captured(1);
            part.field = m.captured(2);
        } else if (variableRef.match(expr).hasMatch()) {
            part.kind = TextPart::Kind::Variable;
            part.name = expr;
        } else {
            throw ReportError(QStringLiteral("érthetetlen hivatkozás: [%1]").arg(inside));
        }
        if (!literal.isEmpty()) parts.append({TextPart::Kind::Literal, literal, {}, {}});
        literal.clear();
        parts.append(part);
        i = close + 1;
    }
    if (!literal.isEmpty()) parts.append({TextPart::Kind::Literal, literal, {}, {}});
    return parts;
}

ReportTemplate parseReportTemplate(const QByteArray& content, const QString& name) {
    ReportTemplate t;
    t.name = name;
    QXmlStreamReader xml(content);
    try {
        readReport(xml, t);
        if (xml.hasError()) throw ReportError(xml.errorString());
    } catch (const ReportError& e) {
        const QString what = xml.hasError() ? xml.errorString() : e.text();
        throw ReportError(QStringLiteral("A(z) \"%1\" sablon hibás (%2. sor): %3")
                              .arg(name)
                              .arg(xml.lineNumber())
                              .arg(what));
    }
    return t;
}

ReportTemplate loadReportTemplate(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        throw ReportError(fileErrorText(path, file));
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw ReportError(QStringLiteral("A(z) \"%1\" fájl nem olvasható. %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return parseReportTemplate(content, QFileInfo(path).fileName());
}

QStringList referencedFields(const ReportTemplate& report, const QString& dataset) {
    QStringList fields;
    const auto collect = [&](const TextParts& parts) {
        for (const TextPart& part : parts) {
            if (part.kind == TextPart::Kind::Field &&
                part.name.compare(dataset, Qt::CaseInsensitive) == 0 &&
                !fields.contains(part.field, Qt::CaseInsensitive)) {
                fields << part.field;
            }
        }
    };
    for (const auto& band : report.bands) {
        if (!band) continue;
        collect(band->condition);
        for (const TemplateObject& object : band->objects) collect(object.parts);
    }
    return fields;
}
