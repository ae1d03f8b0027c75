// The audit XML file: checks, writing and the schema check.
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <QFile>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/app.h"
#include "core/clock.h"
#include "core/database.h"
#include "core/errors.h"
#include "core/safe_file.h"
#include "exchange/audit_xml.h"
#include "exchange/xml_escape.h"

namespace audit {
namespace {

// A staged document that the schema would refuse; the message names it.
struct Refusal {
    QString message;
};

[[noreturn]] void refuse(const QString& message) {
    throw Refusal{message};
}

QString inDocument(const QString& before, const QString& number, const QString& after) {
    return QStringLiteral("Javitandó! ") + before + QStringLiteral(" a(z) ") + number + after;
}

// The current row of a cursor read by column name, straight from the fetch buffer: the export
// reads each column once or twice, so packing whole rows would be wasted work.
class Row {
public:
    explicit Row(const Cursor& cursor) : m_cursor(cursor) {
        const QStringList& names = cursor.fieldNames();
        m_names.reserve(static_cast<size_t>(names.size()));  // the keys view into these
        for (int i = 0; i < names.size(); ++i) {
            m_names.push_back(names.at(i).toUpper().toStdString());
            m_index.emplace(m_names.back(), i);
        }
    }
    Value value(const char* column) const { return m_cursor.current(indexOf(column)); }
    // The text without blanks at either end.
    QString text(const char* column) const { return value(column).asText().trimmed(); }

private:
    // Columns are named by literals: each literal's address is looked up by name once.
    int indexOf(const char* column) const {
        const auto known = m_byAddress.find(column);
        if (known != m_byAddress.end()) return known->second;
        const auto it = m_index.find(std::string_view(column));
        if (it == m_index.end())
            throw AppError(QStringLiteral("Hiányzó oszlop: %1").arg(QLatin1String(column)));
        m_byAddress.emplace(column, it->second);
        return it->second;
    }

    const Cursor& m_cursor;
    std::vector<std::string> m_names;
    std::map<std::string_view, int, std::less<>> m_index;
    mutable std::unordered_map<const char*, int> m_byAddress;
};

// The amount format of a database value; exact for scaled decimals, NULL as 0.00.
QString amount(const Value& v, const QString& number) {
    QString out;
    bool ok = true;
    if (v.kind() == Value::Kind::Decimal && v.scale() >= 2) {
        std::int64_t divisor = 1;
        for (int i = 2; i < v.scale(); ++i) divisor *= 10;
        const std::int64_t scaled = v.scaled();
        std::int64_t cents = scaled / divisor;
        const std::int64_t rest = scaled % divisor;
        if (rest != 0 && std::llabs(rest) * 2 >= divisor) cents += scaled < 0 ? -1 : 1;
        ok = formatAmount(static_cast<double>(cents) / 100.0, out);
    } else {
        ok = formatAmount(v.asDouble(), out);
    }
    if (!ok)
        refuse(inDocument(QStringLiteral("Túl nagy összeg (legfeljebb 10 egész jegy)"), number,
                          QStringLiteral("bizonylatban!")));
    return out;
}

QString isoDate(const Value& v) {
    return v.asDate().toString(QStringLiteral("yyyy-MM-dd"));
}

bool isBooleanWord(const QString& s) {
    return s == QLatin1String("true") || s == QLatin1String("false");
}

// The file's lines: indentation, the text, CR LF, gathered as UTF-8 bytes (a year holds
// millions of elements; building them as strings first doubled the export's time, and
// QByteArray's small appends cost more than std::string's).
class Lines {
public:
    void add(int indent, const QString& text) {
        Q_ASSERT(indent <= 8);
        m_bytes.append(spaces, static_cast<size_t>(indent));
        if (text.isEmpty() && indent == 0) {
            m_bytes += ' ';
        } else {
            const QByteArray utf8 = text.toUtf8();
            m_bytes.append(utf8.constData(), static_cast<size_t>(utf8.size()));
        }
        m_bytes += "\r\n";
    }
    void element(int indent, const char* tag, const QString& value) {
        Q_ASSERT(indent <= 8);
        const std::string_view name(tag);
        m_bytes.append(spaces, static_cast<size_t>(indent));
        m_bytes += '<';
        m_bytes += name;
        m_bytes += '>';
        appendXmlEscaped(m_bytes, value);
        m_bytes += "</";
        m_bytes += name;
        m_bytes += ">\r\n";
    }
    void optional(int indent, const char* tag, const QString& value) {
        if (!value.isEmpty()) element(indent, tag, value);
    }
    QByteArray take() {
        QByteArray bytes(m_bytes.data(), static_cast<qsizetype>(m_bytes.size()));
        m_bytes.clear();  // keeps its capacity for the next documents
        return bytes;
    }

private:
    static constexpr const char* spaces = "        ";  // the deepest indentation is 8
    std::string m_bytes;
};

struct RateGroup {
    double net = 0;
    double tax = 0;
    double gross = 0;
    Value rate;
};

// Checks the header of one staged document; the first failure refuses the export.
void checkHeader(const Row& r, bool optionalBlock) {
    const QString n = r.text("FE_SZLASORSZAM");
    const auto missing = [&](const char* what) {
        refuse(inDocument(QStringLiteral("Nincs megadva"), n,
                          QStringLiteral("bizonylatban ") + QString::fromUtf8(what) + '!'));
    };
    if (r.text("KI_IRANYITOSZAM").isEmpty())
        refuse(QStringLiteral("Javitandó! Nincs megadva az átvevő irányitószám!"));
    if (r.text("VE_IRANYITOSZAM").isEmpty()) missing("az őstermelő irányitószáma");
    if (r.text("VE_IRANYITOSZAM").size() < 4)
        refuse(inDocument(QStringLiteral("Négy karekternél kevesebb"), n,
                          QStringLiteral("bizonylatban az őstermelő irányitószáma!")));
    if (r.text("KI_TELEPULES").isEmpty())
        refuse(QStringLiteral("Javitandó! Nincs megadva az átvevő helységnév!"));
    if (r.text("VE_TELEPULES").isEmpty()) missing("az őstermelő helységnév");
    if (r.text("KI_KOZTERULET_NEVE").isEmpty())
        refuse(QStringLiteral("Javitandó! Nincs megadva az átvevő utcanév!"));
    if (r.text("VE_KOZTERULET_NEVE").isEmpty()) missing("az őstermelő utcanév");
    const auto shortTaxNumber = [](const QString& s) { return !s.isEmpty() && s.size() < 8; };
    if (shortTaxNumber(r.text("VE_KOZADOSZAM")))
        refuse(inDocument(QStringLiteral("Kevesebb mint 8 karakter"), n,
                          QStringLiteral("bizonylatban az őstermelő közösségi adószáma!")));

    // What the schema requires beyond the checks above.
    const QString type = r.text("FE_SZLATIPUS");
    if (type.size() != 1 || type < QLatin1String("1") || type > QLatin1String("6"))
        refuse(inDocument(QStringLiteral("Hibás (1-6 lehet)"), n,
                          QStringLiteral("bizonylatban a bizonylat tipusa!")));
    if (r.value("FE_SZLADATUM").isNull() || r.value("FE_TELJDATUM").isNull() ||
        (optionalBlock && r.value("NE_FIZ_HATARIDO").isNull()))
        missing("a kiállítás, a felvásárlás vagy a fizetés dátuma");
    const qsizetype buyerTaxNumber = r.text("KI_ADOSZAM").size();
    if (buyerTaxNumber < 8 || buyerTaxNumber > 20)
        refuse(inDocument(QStringLiteral("Nem 8-20 karakteres"), n,
                          QStringLiteral("bizonylatban az átvevő adószáma!")));
    if (r.text("KI_NEV").isEmpty()) missing("az átvevő neve");
    if (r.text("KI_IRANYITOSZAM").size() < 4)
        refuse(inDocument(QStringLiteral("Négy karekternél kevesebb"), n,
                          QStringLiteral("bizonylatban az átvevő irányitószáma!")));
    if (shortTaxNumber(r.text("VE_ADOSZAM")))
        refuse(inDocument(QStringLiteral("Kevesebb mint 8 karakter"), n,
                          QStringLiteral("bizonylatban az őstermelő adószáma!")));
    if (r.text("VE_NEV").isEmpty()) missing("az őstermelő neve");
    if (type == QLatin1String("4") && r.text("MO_EREDETI_SORSZAM").isEmpty())
        missing("az érvénytelenített bizonylat száma");
    const QString selfBilling = r.text("ZA_ONSZAMLA");
    if (!isBooleanWord(selfBilling) && selfBilling != QLatin1String("1") &&
        selfBilling != QLatin1String("0"))
        refuse(inDocument(QStringLiteral("Csak true, false, 1 vagy 0 lehet"), n,
                          QStringLiteral("bizonylatban az önszámla értéke!")));
    if (optionalBlock && r.text("NE_SZLA_FORMA").size() > 100)
        refuse(inDocument(QStringLiteral("100 karakternél hosszabb"), n,
                          QStringLiteral("bizonylatban a számla forma!")));
}

// One staged document with its lines as the <szamla> element.
class InvoiceWriter {
public:
    InvoiceWriter(Lines& out, bool optionalBlock) : m_out(out), m_optional(optionalBlock) {}

    void header(const Row& r) {
        m_number = r.text("FE_SZLASORSZAM");
        Lines& o = m_out;
        o.add(2, QStringLiteral("<szamla>"));
        o.add(4, QStringLiteral("<fejlec>"));
        o.element(8, "szlasorszam", m_number);
        o.element(8, "szlatipus", r.text("FE_SZLATIPUS"));
        o.element(8, "szladatum", isoDate(r.value("FE_SZLADATUM")));
        o.element(8, "teljdatum", isoDate(r.value("FE_TELJDATUM")));
        o.add(4, QStringLiteral("</fejlec>"));

        o.add(4, QStringLiteral("<szamlakibocsato>"));
        o.element(6, "adoszam", r.text("KI_ADOSZAM"));
        o.optional(6, "kozadoszam", r.text("KI_KOZADOSZAM"));
        if (isBooleanWord(r.text("KI_KISADOZO"))) o.element(6, "kisadozo", r.text("KI_KISADOZO"));
        o.element(6, "nev", r.text("KI_NEV"));
        o.add(6, QStringLiteral("<cim>"));
        o.element(8, "iranyitoszam", r.text("KI_IRANYITOSZAM"));
        o.element(8, "telepules", r.text("KI_TELEPULES"));
        o.optional(8, "kerulet", r.text("KI_KERULET"));
        o.element(8, "kozterulet_neve", r.text("KI_KOZTERULET_NEVE"));
        o.optional(8, "kozterulet_jellege", r.text("KI_KOZTERULET_JELLEGE"));
        o.optional(8, "hazszam", r.text("KI_HAZSZAM"));
        o.optional(8, "epulet", r.text("KI_EPULET"));
        o.optional(8, "lepcsohaz", r.text("KI_LEPCSOHAZ"));
        o.optional(8, "szint", r.text("KI_SZINT"));
        o.optional(8, "ajto", r.text("KI_AJTO"));
        o.add(6, QStringLiteral("</cim>"));
        if (isBooleanWord(r.text("KI_EGYENI_VALLALKOZO")))
            o.element(6, "egyeni_vallalkozo", r.text("KI_EGYENI_VALLALKOZO"));
        o.optional(6, "ev_nyilv_tart_szam", r.text("KI_EV_NYILV_TART_SZAM"));
        o.optional(6, "ev_neve", r.text("KI_EV_NEVE"));
        o.add(4, QStringLiteral("</szamlakibocsato>"));

        o.add(4, QStringLiteral("<vevo>"));
        o.optional(6, "adoszam", r.text("VE_ADOSZAM"));
        o.optional(6, "kozadoszam", r.text("VE_KOZADOSZAM"));
        o.optional(6, "nev", r.text("VE_NEV"));
        o.add(6, QStringLiteral("<cim>"));
        o.element(8, "iranyitoszam", r.text("VE_IRANYITOSZAM"));
        o.element(8, "telepules", r.text("VE_TELEPULES"));
        o.optional(8, "kerulet", r.text("VE_KERULET"));
        o.optional(8, "kozterulet_neve", r.text("VE_KOZTERULET_NEVE"));
        o.optional(8, "kozterulet_jellege", r.text("VE_KOZTERULET_JELLEGE"));
        o.optional(8, "hazszam", r.text("VE_HAZSZAM"));
        o.optional(8, "epulet", r.text("VE_EPULET"));
        o.optional(8, "lepcsohaz", r.text("VE_LEPCSOHAZ"));
        o.optional(8, "szint", r.text("VE_SZINT"));
        o.optional(8, "ajto", r.text("VE_AJTO"));
        o.add(6, QStringLiteral("</cim>"));
        o.add(4, QStringLiteral("</vevo>"));
    }

    void line(const Row& l) {
        const QString name = l.text("S_MEGNEVEZES");
        const QString unit = l.text("S_MEGY");
        if (name.isEmpty())
            refuse(inDocument(QStringLiteral("Nincs megadva"), m_number,
                              QStringLiteral("bizonylatban a termék neve!")));
        if (unit.isEmpty())
            refuse(inDocument(QStringLiteral("Nincs megadva"), m_number,
                              QStringLiteral("bizonylatban a termék mértékegysége!")));
        Lines& o = m_out;
        o.add(4, QStringLiteral("<termek_szolgaltatas_tetelek>"));
        o.element(6, "termeknev", name);
        o.optional(6, "besorszam", l.text("S_VTSZ"));
        o.element(6, "menny", amount(l.value("S_NETTO"), m_number));
        o.element(6, "mertekegys", unit);
        o.element(6, "nettoar", amount(l.value("S_FELVAR"), m_number));
        o.element(6, "nettoegysar", amount(l.value("S_EAR"), m_number));
        o.element(6, "adokulcs", amount(l.value("S_KOMPMERTEKE"), m_number));
        o.element(6, "adoertek", amount(l.value("S_KOMPFELAR"), m_number));
        o.add(4, QStringLiteral("</termek_szolgaltatas_tetelek>"));

        // The rate groups as GROUP BY S_KOMPMERTEKE gives them: NULL first, then ascending.
        const Value rate = l.value("S_KOMPMERTEKE");
        const double key = rate.isNull() ? -HUGE_VAL : rate.asDouble();
        RateGroup& g = m_groups[key];
        g.rate = rate;
        g.net += l.value("S_FELVAR").asDouble();
        g.tax += l.value("S_KOMPFELAR").asDouble();
        g.gross += l.value("S_VETELAR").asDouble();
        ++m_lines;
    }

    void finish(const Row& r) {
        if (m_lines == 0)
            refuse(inDocument(QStringLiteral("Nincs tétele"), m_number,
                              QStringLiteral(" bizonylatnak!")));
        Lines& o = m_out;
        deduction("Szja levonás", r.value("SZJA_BRUTTOAR"));
        deduction("Tagi hozzájárul levonás", r.value("TAGI_BRUTTOAR"));
        deduction("Levonás", r.value("LEV_BRUTTOAR"));
        if (r.text("FE_SZLATIPUS") == QLatin1String("4")) {
            o.add(4, QStringLiteral("<modosito_szla>"));
            o.element(6, "eredeti_sorszam", r.text("MO_EREDETI_SORSZAM"));
            o.add(4, QStringLiteral("</modosito_szla>"));
        }
        o.add(4, QStringLiteral("<zaradekok>"));
        // Written as stored, blanks included.
        o.element(6, "onszamla", r.value("ZA_ONSZAMLA").asText());
        o.add(4, QStringLiteral("</zaradekok>"));
        if (m_optional) {
            o.add(4, QStringLiteral("<nem_kotelezo>"));
            o.element(6, "fiz_hatarido", isoDate(r.value("NE_FIZ_HATARIDO")));
            o.element(6, "fiz_mod",
                      r.text("NE_FIZ_MOD") == QLatin1String("x") ? QStringLiteral("átutalás")
                                                                 : QStringLiteral("készpénz"));
            o.optional(6, "penznem", r.text("NE_PENZNEM"));
            o.optional(6, "szla_forma", r.text("NE_SZLA_FORMA"));
            o.optional(6, "kibocsato_bankszla", r.text("NE_KIBOCSATO_BANKSZLA"));
            o.optional(6, "befogado_bankszla", r.text("NE_BEFOGADO_BANKSZLA"));
            o.add(4, QStringLiteral("</nem_kotelezo>"));
        }
        o.add(4, QStringLiteral("<osszesites>"));
        double net = 0, tax = 0, gross = 0;
        for (const auto& [key, g] : m_groups) {
            o.add(6, QStringLiteral("<afarovat>"));
            o.element(8, "nettoar", amount(Value::real(g.net), m_number));
            o.element(8, "adokulcs", amount(g.rate, m_number));
            o.element(8, "adoertek", amount(Value::real(g.tax), m_number));
            o.element(8, "bruttoar", amount(Value::real(g.gross), m_number));
            o.add(6, QStringLiteral("</afarovat>"));
            net += g.net;
            tax += g.tax;
            gross += g.gross;
        }
        o.add(6, QStringLiteral("<vegosszeg>"));
        o.element(8, "nettoarossz", amount(Value::real(net), m_number));
        o.element(8, "afaertekossz", amount(Value::real(tax), m_number));
        o.element(8, "bruttoarossz", amount(Value::real(gross), m_number));
        o.add(6, QStringLiteral("</vegosszeg>"));
        o.add(4, QStringLiteral("</osszesites>"));
        o.add(2, QStringLiteral("</szamla>"));
    }

private:
    void deduction(const char* name, const Value& value) {
        if (value.asDouble() == 0) return;
        Lines& o = m_out;
        o.add(4, QStringLiteral("<termek_szolgaltatas_tetelek>"));
        o.element(6, "termeknev", QString::fromUtf8(name));
        o.element(6, "menny", QStringLiteral("1.00"));
        o.element(6, "mertekegys", QStringLiteral("db"));
        o.element(6, "nettoar", amount(value, m_number));
        o.add(4, QStringLiteral("</termek_szolgaltatas_tetelek>"));
    }

    Lines& m_out;
    bool m_optional;
    QString m_number;
    std::map<double, RateGroup> m_groups;
    int m_lines = 0;
};

const char* const rootLine =
    "<szamlak xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns=\"http://schemas.nav.gov.hu/2013/szamla\">";

}  // namespace

ExportResult exportFile(App& app, const ExportRequest& request) {
    ExportResult result;
    Database& db = app.data().database();
    QDate periodFrom = request.range.from;
    QDate periodTo = request.range.to;
    {
        auto figures =
            db.open(QStringLiteral("SELECT count(*) AS db, MIN(FE_SZLASORSZAM) AS minbiz, "
                                   "MAX(FE_SZLASORSZAM) AS maxbiz, MIN(FE_SZLADATUM) AS mindat, "
                                   "MAX(FE_SZLADATUM) AS maxdat FROM NAVFEJ"),
                    {});
        QByteArray bytes;
        figures->fetch(bytes);
        result.count = static_cast<int>(Cursor::unpack(bytes, 0).asInteger());
        result.minNumber = Cursor::unpack(bytes, 1).asText().trimmed();
        result.maxNumber = Cursor::unpack(bytes, 2).asText().trimmed();
        if (request.range.byNumber) {
            // The period of a number range is that of the documents found.
            periodFrom = Cursor::unpack(bytes, 3).asDate();
            periodTo = Cursor::unpack(bytes, 4).asDate();
        }
    }
    if (result.count == 0) {
        result.message = nothingFound;
        return result;
    }
    SafeFile file(request.path);
    if (!file.open()) {
        result.message = file.errorText();
        return result;
    }
    try {
        Lines out;
        file.write(QByteArray("\xEF\xBB\xBF"));
        out.add(0, QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
        out.add(0, QString::fromLatin1(rootLine));
        out.element(2, "export_datuma", clockNow().date().toString(QStringLiteral("yyyy-MM-dd")));
        out.element(2, "export_szla_db", QString::number(result.count));
        out.element(2, "kezdo_ido", periodFrom.toString(QStringLiteral("yyyy-MM-dd")));
        out.element(2, "zaro_ido", periodTo.toString(QStringLiteral("yyyy-MM-dd")));
        out.element(2, "kezdo_szla_szam", result.minNumber);
        out.element(2, "zaro_szla_szam", result.maxNumber);
        file.write(out.take());

        auto headers = db.open(QStringLiteral("SELECT * FROM NAVFEJ ORDER BY FE_SZLASORSZAM"), {});
        // Every staged document's lines in one pass, in the documents' order.
        auto lines = db.open(
            QStringLiteral(
                "SELECT FE_SZLASORSZAM, S_MEGNEVEZES, S_VTSZ, S_NETTO, S_MEGY, S_FELVAR, S_EAR, "
                "S_KOMPMERTEKE, S_KOMPFELAR, S_VETELAR FROM NAVFEJ JOIN FJSOR ON S_BSZAM = "
                "FE_SZLASORSZAM ORDER BY FE_SZLASORSZAM, ID_FJSOR"),
            {});
        Row header(*headers);
        Row line(*lines);
        bool haveLine = lines->next();
        int written = 0;
        while (headers->next()) {
            checkHeader(header, request.optionalBlock);
            InvoiceWriter invoice(out, request.optionalBlock);
            invoice.header(header);
            const QString number = header.value("FE_SZLASORSZAM").asText();
            while (haveLine && line.value("FE_SZLASORSZAM").asText() == number) {
                invoice.line(line);
                haveLine = lines->next();
            }
            invoice.finish(header);
            if (++written % 500 == 0) {
                file.write(out.take());
                if (request.progress) request.progress(written, result.count);
            }
        }
        out.add(0, QStringLiteral("</szamlak>"));
        file.write(out.take());
    } catch (const Refusal& refusal) {
        result.message = refusal.message;
        return result;
    }
    if (!file.commit()) {
        result.message = file.errorText();
        return result;
    }
    result.written = true;
    return result;
}

namespace {
struct ValidationErrors {
    QStringList lines;
};

#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

void collectError(void* context, ErrorPointer error) {
    auto* errors = static_cast<ValidationErrors*>(context);
    if (!error || errors->lines.size() >= 10) return;
    errors->lines << QStringLiteral("%1. sor: %2")
                         .arg(error->line)
                         .arg(QString::fromUtf8(error->message ? error->message : "").trimmed());
}
}  // namespace

QString validateAgainstSchema(const QString& xmlPath, const QString& schemaPath) {
    xmlInitParser();
    ValidationErrors errors;
    xmlSchemaParserCtxtPtr parser =
        xmlSchemaNewParserCtxt(QFile::encodeName(schemaPath).constData());
    if (!parser) return QStringLiteral("A séma nem olvasható: %1").arg(schemaPath);
    xmlSchemaSetParserStructuredErrors(parser, collectError, &errors);
    xmlSchemaPtr schema = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    if (!schema) {
        errors.lines.prepend(QStringLiteral("A séma nem olvasható: %1").arg(schemaPath));
        return errors.lines.join(QLatin1Char('\n'));
    }
    xmlSchemaValidCtxtPtr validation = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(validation, collectError, &errors);
    // Streaming: the file is never held whole in memory.
    const int rc = xmlSchemaValidateFile(validation, QFile::encodeName(xmlPath).constData(), 0);
    xmlSchemaFreeValidCtxt(validation);
    xmlSchemaFree(schema);
    if (rc == 0) return {};
    if (errors.lines.isEmpty())
        errors.lines << QStringLiteral("A fájl nem felel meg a sémának (%1).").arg(rc);
    return errors.lines.join(QLatin1Char('\n'));
}

}  // namespace audit
