#include "validation/data_checks.h"

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>

#include "core/database.h"
#include "core/errors.h"
#include "core/query.h"
#include "validation/identifiers.h"

namespace {

// The columns the checks read.
enum Column {
    S_BSZAM,
    S_TERMEKKOD,
    S_NETTO,
    S_EAR,
    S_KOMPMERTEKE,
    F_OSTERMKOD,
    F_SZJA,
    F_PRN,
    O_KOD,
    O_NEV,
    O_IRSZAM,
    O_HELYSEGNEV,
    O_UTCA,
    O_ADOAZON,
    O_ADOSZAM,
    O_TAJ,
    O_IGSZAM,
    O_SZULHELY,
    O_SZIDO,
    O_ANYJA,
    O_NEME,
    O_SZULNEV,
    columnCount
};
constexpr std::array<const char*, columnCount> columnNames = {
    "S_BSZAM", "S_TERMEKKOD", "S_NETTO",   "S_EAR",    "S_KOMPMERTEKE", "F_OSTERMKOD",
    "F_SZJA",  "F_PRN",       "O_KOD",     "O_NEV",    "O_IRSZAM",      "O_HELYSEGNEV",
    "O_UTCA",  "O_ADOAZON",   "O_ADOSZAM", "O_TAJ",    "O_IGSZAM",      "O_SZULHELY",
    "O_SZIDO", "O_ANYJA",     "O_NEME",    "O_SZULNEV"};

// The row the cursor stands on; columns are read by the checks' own names, resolved once per
// run. Every section reads the same few columns: each is converted once per row, when first read,
// and a column only tested for emptiness is not converted at all.
class Row {
public:
    explicit Row(const Cursor& cursor) : m_cursor(cursor) {
        const QStringList& fields = cursor.fieldNames();
        m_index.fill(-1);
        for (int c = 0; c < columnCount; ++c) {
            for (int f = 0; f < fields.size() && m_index[c] < 0; ++f)
                if (fields[f].compare(QLatin1String(columnNames[c]), Qt::CaseInsensitive) == 0)
                    m_index[c] = f;
        }
    }
    // The cursor has moved on to the next row.
    void moved() { m_read.fill(false); }

    const Value& value(Column c) const {
        if (!m_read[c]) {
            m_values[c] = m_cursor.current(index(c));
            m_texts[c] = m_values[c].asText();
            m_read[c] = true;
        }
        return m_values[c];
    }
    const QString& text(Column c) const {
        value(c);
        return m_texts[c];
    }
    bool isEmpty(Column c) const {
        return m_read[c] ? m_texts[c].isEmpty() : m_cursor.currentIsEmpty(index(c));
    }

private:
    int index(Column c) const {
        if (m_index[c] < 0)
            throw AppError(QStringLiteral("ZQ20: A(z) '%1' mező nem található.")
                               .arg(QLatin1String(columnNames[c])));
        return m_index[c];
    }

    const Cursor& m_cursor;
    std::array<int, columnCount> m_index{};
    mutable std::array<bool, columnCount> m_read{};
    mutable std::array<Value, columnCount> m_values;
    mutable std::array<QString, columnCount> m_texts;
};

// A section's findings: one line per failing row (two for the producer's birth date), each
// ended by a line break.
using Lines = QString;

// Appends one finding line made of `parts`.
void addLine(Lines& out, std::initializer_list<QStringView> parts) {
    for (QStringView part : parts) out.append(part);
    out.append(u'\n');
}

struct Section {
    const char* name;
    std::function<void(const Row&, Lines&)> test;
};

// A value the check-digit function cannot convert (a letter, a blank) fails the check like a
// wrong check digit does, so one malformed row does not hide the findings of every later one.
bool checkDigitPasses(bool (*check)(const QString&), const QString& value) {
    try {
        return check(value);
    } catch (const ConversionError&) {
        return false;
    }
}

bool isDate(const QString& text) {
    try {
        parseDate(text);
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

// "Komp.felár" holds 12 or 7; a percent with decimals is not a whole number and fails.
bool isSevenOrTwelve(const QString& text) {
    bool whole = false;
    const qlonglong percent = text.toLongLong(&whole);
    return whole && (percent == 12 || percent == 7);
}

// --- ticket lines ---------------------------------------------------------------------------

// A finding naming the tested value, the producer's name and the ticket's producer code.
void ticketWho(Lines& out, QStringView finding, const Row& r, const QString& value) {
    addLine(out, {finding, value, u" ", r.text(O_NEV), u" Kódja: ", r.text(F_OSTERMKOD)});
}

// A finding naming the document number.
void onTicket(Lines& out, QStringView finding, const Row& r) {
    addLine(out, {finding, r.text(S_BSZAM)});
}

// A section whose finding is that the column is empty; the finding names the document number.
Section emptyOnTicket(const char* name, Column column, const char* prefix) {
    const QString finding = QString::fromUtf8(prefix);
    return {name, [column, finding](const Row& r, Lines& out) {
                if (r.isEmpty(column)) onTicket(out, finding, r);
            }};
}

std::vector<Section> ticketSections() {
    return {
        {"Adószám",
         [](const Row& r, Lines& out) {
             const QString& v = r.text(O_ADOSZAM);
             if (v.size() < 8)
                 ticketWho(out, u"Hiba (kevesebb nyolc számnál): ", r, v);
             else if (!checkDigitPasses(AdoszamEllenorzes, v))
                 ticketWho(out, u"Hiba (hibás adószám): ", r, v);
         }},
        {"Adóazonositó",
         [](const Row& r, Lines& out) {
             const QString& v = r.text(O_ADOAZON);
             if (v.size() != 10)
                 ticketWho(out, u"Hiba (kevesebb tiz számnál): ", r, v);
             else if (!checkDigitPasses(AdoazonEllenorzes, v))
                 ticketWho(out, u"Hiba (hibás adóazonositó): ", r, v);
         }},
        {"TAJ",
         [](const Row& r, Lines& out) {
             const QString& v = r.text(O_TAJ);
             if (v.size() != 9)
                 ticketWho(out, u"Hiba (kevesebb 9 számnál): ", r, v);
             else if (!checkDigitPasses(TAJEllenorzes, v))
                 ticketWho(out, u"Hiba (hibás TAJ): ", r, v);
         }},
        emptyOnTicket("Östermelökód", F_OSTERMKOD, "Hiba (nincs östermelö megadva): "),
        emptyOnTicket("Östermelö név", O_NEV, "Hiba (nincs östermelö név megadva): "),
        emptyOnTicket("Östermelö irányitószám", O_IRSZAM,
                      "Hiba (nincs östermelö irányitószám megadva): "),
        emptyOnTicket("Östermelö Helységnév", O_HELYSEGNEV,
                      "Hiba (nincs östermelö Helységnév megadva): "),
        emptyOnTicket("Östermelö Utca", O_UTCA, "Hiba (nincs östermelö Utca megadva): "),
        emptyOnTicket("Östermelö ig.szám", O_IGSZAM, "Hiba (nincs östermelö ig.szám megadva): "),
        emptyOnTicket("Östermelö születési hely", O_SZULHELY,
                      "Hiba (nincs östermelö születési hely megadva): "),
        emptyOnTicket("Östermelö születési idö", O_SZIDO,
                      "Hiba (nincs östermelö születési idö megadva): "),
        emptyOnTicket("Östermelö anyja neve", O_ANYJA,
                      "Hiba (nincs östermelö anyja neve megadva): "),
        emptyOnTicket("Östermelö neme", O_NEME, "Hiba (nincs östermelö neme megadva): "),
        emptyOnTicket("Östermelö születési neve", O_SZULNEV,
                      "Hiba (nincs östermelö születési neve megadva): "),
        emptyOnTicket("Szja", F_SZJA, "Hiba (nincs szja (minimum 0) megadva): "),
        {"Volt-e nyomtatva?",
         [](const Row& r, Lines& out) {
             if (r.text(F_PRN) != u'I')
                 onTicket(out, u"Figyelmeztetés (még nincs kinyomtatva): ", r);
         }},
        {"Termékkód",
         [](const Row& r, Lines& out) {
             if (r.isEmpty(S_TERMEKKOD))
                 onTicket(out, u"Figyelmeztetés (nincs termékkód megadva): ", r);
         }},
        {"Mennyiség",
         [](const Row& r, Lines& out) {
             if (r.isEmpty(S_NETTO))
                 onTicket(out, u"Hiba (nincs mennyiség megadva): ", r);
             else if (r.value(S_NETTO).asDouble() == 0)
                 onTicket(out, u"Hiba (nullás mennyiség van megadva): ", r);
         }},
        {"Egységár",
         [](const Row& r, Lines& out) {
             const QString& text = r.text(S_EAR);
             if (text.isEmpty())
                 onTicket(out, u"Hiba (nincs egységár megadva): ", r);
             else if (text == u'0')
                 onTicket(out, u"Hiba (nullás egységár van megadva): ", r);
             else if (!(r.value(S_EAR).asDouble() > 0))
                 onTicket(out, u"Hiba (nulla vagy minuszos egységár van megadva): ", r);
         }},
        {"Komp.felár",
         [](const Row& r, Lines& out) {
             const QString& text = r.text(S_KOMPMERTEKE);
             if (text.isEmpty())
                 onTicket(out, u"Hiba (nincs Komp.felár megadva): ", r);
             else if (!isSevenOrTwelve(text))
                 onTicket(out, u"Hiba (nem 7, 12 % van megadva): ", r);
         }},
    };
}

// --- producers ------------------------------------------------------------------------------

// A finding naming the producer's name and code.
void onProducer(Lines& out, QStringView finding, const Row& r) {
    addLine(out, {finding, r.text(O_NEV), u" Kódja: ", r.text(O_KOD)});
}
// A finding naming the tested value, the producer's name and code.
void producerWho(Lines& out, QStringView finding, const Row& r, const QString& value) {
    addLine(out, {finding, value, u" ", r.text(O_NEV), u" Kódja: ", r.text(O_KOD)});
}

// A section whose finding is that the column is empty; the finding names the producer.
Section emptyOnProducer(const char* name, Column column, const char* prefix) {
    const QString finding = QString::fromUtf8(prefix);
    return {name, [column, finding](const Row& r, Lines& out) {
                if (r.isEmpty(column)) onProducer(out, finding, r);
            }};
}

std::vector<Section> producerSections() {
    return {
        {"Adószám",
         [](const Row& r, Lines& out) {
             const QString& v = r.text(O_ADOSZAM);
             if (v.trimmed().size() < 8)
                 producerWho(out, u"Hiba (kevesebb nyolc számnál): ", r, v);
             else if (!checkDigitPasses(AdoszamEllenorzes, v))
                 producerWho(out, u"Hiba (hibás adószám): ", r, v);
         }},
        {"Adóazonositó",
         [](const Row& r, Lines& out) {
             const QString& v = r.text(O_ADOAZON);
             if (v.trimmed().size() != 10)
                 producerWho(out, u"Hiba (kevesebb tiz számnál): ", r, v);
             else if (!checkDigitPasses(AdoazonEllenorzes, v))
                 producerWho(out, u"Hiba (hibás adóazonositó): ", r, v);
         }},
        {"TAJ",
         [](const Row& r, Lines& out) {
             const QString& v = r.text(O_TAJ);
             if (v.size() != 9)
                 producerWho(out, u"Hiba (kevesebb 9 számnál): ", r, v);
             else if (!checkDigitPasses(TAJEllenorzes, v))
                 producerWho(out, u"Hiba (hibás TAJ): ", r, v);
         }},
        emptyOnProducer("Östermelö név", O_NEV, "Hiba (nincs östermelö név megadva)  "),
        emptyOnProducer("Östermelö irányitószám", O_IRSZAM,
                        "Hiba (nincs östermelö irányitószám megadva)  "),
        emptyOnProducer("Östermelö Helységnév", O_HELYSEGNEV,
                        "Hiba (nincs östermelö Helységnév megadva):  "),
        emptyOnProducer("Östermelö Utca", O_UTCA, "Hiba (nincs östermelö Utca megadva)   "),
        emptyOnProducer("Östermelö ig.szám", O_IGSZAM, "Hiba (nincs östermelö ig.szám megadva)   "),
        emptyOnProducer("Östermelö születési hely", O_SZULHELY,
                        "Hiba (nincs östermelö születési hely megadva)   "),
        {"Östermelö születési idö",
         [](const Row& r, Lines& out) {
             const QString& birth = r.text(O_SZIDO);
             if (birth.isEmpty())
                 onProducer(out, u"Hiba (nincs östermelö születési idö megadva)   ", r);
             if (!isDate(birth)) onProducer(out, u"Hiba (Hibás östermelö születési idö )   ", r);
         }},
        emptyOnProducer("Östermelö anyja neve", O_ANYJA,
                        "Hiba (nincs östermelö anyja neve megadva)   "),
        emptyOnProducer("Östermelö neme", O_NEME, "Hiba (nincs östermelö neme megadva)   "),
        emptyOnProducer("Östermelö születési neve", O_SZULNEV,
                        "Hiba (nincs östermelö születési neve megadva)   "),
    };
}

// The ticket collection's join of each line's header. The period's conditions drop lines
// without a header anyway, so the check's walk joins the headers with an inner join instead: the
// same rows, and the engine starts from the period's tickets and sorts their lines into entry
// order, a fifth less work over a large year than looking up the header of every line in turn.
// The grid keeps the outer join: its first rows come at once, without the sort.
const QString headerJoin = QStringLiteral("  LEFT JOIN fjfej     ON s_bszam     = f_bszam ");
const QString headerInnerJoin = QStringLiteral("  JOIN fjfej          ON s_bszam     = f_bszam ");

// --- the run --------------------------------------------------------------------------------

std::vector<Value> positionalValues(const ParsedSql& parsed, const Collection& collection) {
    std::vector<Value> values;
    for (const QString& name : parsed.params) {
        Value v;
        for (const auto& [param, value] : collection.params)
            if (param.compare(name, Qt::CaseInsensitive) == 0) v = value;
        values.push_back(v);
    }
    return values;
}

std::unique_ptr<Cursor> openStatement(Database& db, const Collection& collection,
                                      const QString& select) {
    QStringList lines = collection.lines;
    lines.first() = select;
    const ParsedSql parsed = parseNamedParameters(lines.join(u'\n'));
    return db.open(parsed.sql, positionalValues(parsed, collection));
}

// The collection's statement with only the columns a check reads in its select list: the same
// rows in the same order, without carrying every remark and note across. A column the tables
// lack (a database of an older version) is left out, and the section that reads it fails.
std::unique_ptr<Cursor> openNarrowed(Database& db, const Collection& collection,
                                     const QList<Column>& columns) {
    QStringList lines = collection.lines;
    lines.first() = QStringLiteral("SELECT *");
    const QStringList present =
        db.describe(parseNamedParameters(lines.join(u'\n')).sql).fieldNames;  // prepared only
    QStringList select;
    for (Column c : columns) {
        const QString name = QLatin1String(columnNames[c]);
        if (present.contains(name, Qt::CaseInsensitive)) select << name;
    }
    if (select.isEmpty()) select << QStringLiteral("*");
    return openStatement(db, collection, QStringLiteral("SELECT ") + select.join(u','));
}

// Walks the rows once and gives each section its findings, as if each section walked the rows
// on its own in turn: a section that fails on a row keeps its findings so far, the sections after
// it never run, and those before it go on to the last row. A failure to read a row ends the
// walk inside the first section.
Findings runSections(Database& db, const Collection& collection,
                     const std::vector<Section>& sections, const QList<Column>& columns) {
    const size_t all = sections.size();
    std::vector<Lines> found(all);
    size_t walking = all;  // sections still walking the rows: those before the first failure
    size_t stoppedAt = all;
    std::exception_ptr failure;
    try {
        const std::unique_ptr<Cursor> cursor = openNarrowed(db, collection, columns);
        Row row(*cursor);
        while (walking > 0 && cursor->next()) {
            row.moved();
            for (size_t s = 0; s < walking; ++s) {
                try {
                    sections[s].test(row, found[s]);
                } catch (...) {
                    failure = std::current_exception();
                    walking = stoppedAt = s;
                }
            }
        }
    } catch (...) {
        failure = std::current_exception();
        stoppedAt = 0;
    }

    // Every line ends with a line break here; the text has none after its last line.
    qsizetype size = 0;
    for (const Lines& lines : found) size += lines.size();
    QString text;
    text.reserve(size + qsizetype(all) * 100);
    for (size_t s = 0; s < all && s <= stoppedAt; ++s) {
        const QString name = QString::fromUtf8(sections[s].name);
        addLine(text, {u"    ", name, u" ellenörzés... "});
        text += found[s];
        if (s == stoppedAt) break;
        addLine(text, {u"    ", name, u" ellenörzés vége. "});
        addLine(text, {u" "});
    }
    if (!failure) addLine(text, {u"Klikk az ablakba és kurzor billentyüvel mozoghat benne. "});
    text.chop(1);
    return {text, failure};
}

void bindValue(Query& query, const QString& name, const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Null:
            query.bindNull(name);
            break;
        case Value::Kind::Date:
            query.bindDate(name, value.asDate());
            break;
        case Value::Kind::Integer:
            query.bindInt(name, value.asInteger());
            break;
        case Value::Kind::Decimal:
        case Value::Kind::Double:
            query.bindDouble(name, value.asDouble());
            break;
        default:
            query.bindText(name, value.asText());
            break;
    }
}

}  // namespace

Collection ticketCollection(QDate from, QDate to, const QString& buyerCode) {
    return {{QStringLiteral("SELECT *"), QStringLiteral("  FROM fjsor"), headerJoin,
             QStringLiteral("  LEFT JOIN ostermelo ON f_ostermkod = o_kod   "),
             // "f_akod || ''" and "f_fizkelt + 0" keep the engine off the buyer and date indexes:
             // each line's header is found by its number, and through either index each lookup
             // would also read every ticket of the buyer or of the period (minutes on a large year
             // instead of seconds).
             QStringLiteral(
                 "  WHERE (f_fizkelt + 0 >= :p1 AND f_fizkelt + 0 <= :p2)AND (f_akod || '' = "
                 ":p3) "),
             QStringLiteral("  ORDER BY id_fjsor")},
            {{QStringLiteral("p1"), Value::date(from)},
             {QStringLiteral("p2"), Value::date(to)},
             {QStringLiteral("p3"), Value::text(buyerCode)}}};
}

Collection producerCollection() {
    return {{QStringLiteral("SELECT *         "), QStringLiteral("  FROM ostermelo "),
             QStringLiteral("  ORDER BY id_ostermelo")},
            {}};
}

void collect(Query& query, const Collection& collection) {
    query.close();
    query.clearSql();
    for (const QString& line : collection.lines) query.addSql(line);
    for (const auto& [name, value] : collection.params) bindValue(query, name, value);
    query.open();
}

Findings ticketFindings(Database& db, const Collection& collection) {
    static const std::vector<Section> sections = ticketSections();
    QList<Column> columns;
    for (int c = 0; c < columnCount; ++c) columns << Column(c);
    Collection walk = collection;
    const qsizetype join = walk.lines.indexOf(headerJoin);
    if (join >= 0) walk.lines[join] = headerInnerJoin;
    return runSections(db, walk, sections, columns);
}

Findings producerFindings(Database& db, const Collection& collection) {
    static const std::vector<Section> sections = producerSections();
    QList<Column> columns;
    for (int c = O_KOD; c < columnCount; ++c) columns << Column(c);
    return runSections(db, collection, sections, columns);
}
