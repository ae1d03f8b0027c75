#pragma once

#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// A report template (.frf): page setup, copies and bands of positioned objects. The format is
// described in db/templates.md. Sizes and positions are in millimetres.

// One piece of a text object's content: literal text, [dataset."field"] or [variable], each
// reference with an optional format ("#,##0.00", "yyyy.mm.dd").
struct TextPart {
    enum class Kind : unsigned char { Literal, Field, Variable };
    Kind kind = Kind::Literal;
    QString name;   // the literal text, the dataset name or the variable name
    QString field;  // field name of a field reference
    QString format;
};
using TextParts = QList<TextPart>;

struct TemplateObject {
    enum class Kind : unsigned char { Text, Line, Rect };
    Kind kind = Kind::Text;
    QRectF rectMm;  // from the band's top left corner; a line runs from topLeft to bottomRight
    TextParts parts;
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSizePt = 10;
    bool bold = false;
    bool italic = false;
    int alignment = 0;  // Qt::Alignment flags
    bool wordWrap = false;
    int frame = 0;  // PageItem::FrameSide bits
    double lineWidthMm = 0.2;
};

enum class BandKind {
    ReportTitle,
    PageHeader,
    GroupHeader,
    MasterData,
    DetailData,
    GroupFooter,
    Summary,
    PageFooter,
};
constexpr int bandKindCount = 8;

struct TemplateBand {
    BandKind kind = BandKind::MasterData;
    double heightMm = 0;
    QString dataset;       // master and detail data: the source the band walks
    TextParts condition;   // group header: a group lasts while this text stays the same
    bool stretch = false;  // word-wrapped texts grow the band to fit
    QList<TemplateObject> objects;
};

struct ReportTemplate {
    QString name;
    QSizeF pageSizeMm{210, 297};  // portrait; landscape swaps the sides
    bool landscape = false;
    QMarginsF marginsMm{10, 10, 10, 10};
    int copies = 1;
    QStringList copyNames;  // [COPYNAME] of each copy
    std::array<std::optional<TemplateBand>, bandKindCount> bands;

    const TemplateBand* band(BandKind kind) const {
        const auto& b = bands[static_cast<size_t>(kind)];
        return b ? &*b : nullptr;
    }
};

// Reads a template file. A file that is missing or cannot be read throws ReportError with
// the file error's text; a malformed template throws ReportError naming the line.
ReportTemplate loadReportTemplate(const QString& path);
ReportTemplate parseReportTemplate(const QByteArray& xml, const QString& name);

// The fields of `dataset` the template's texts and group conditions refer to, each once, in the
// order they first appear; the dataset name is compared without case.
QStringList referencedFields(const ReportTemplate& report, const QString& dataset);

// Splits a text object's content into literals and references; throws ReportError.
TextParts parseTextParts(const QString& text);
