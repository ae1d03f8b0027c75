#include "validation/data_checks.h"

#include <array>
#include <functional>
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

// One fetched row; columns are read by the checks' own names, resolved once per run.
class Row {
public:
    explicit Row(const QStringList& fields) {
        m_index.fill(-1);
        for (int c = 0; c < columnCount; ++c) {
            for (int f = 0; f < fields.size() && m_index[c] < 0; ++f)
                if (fields[f].compare(QLatin1String(columnNames[c]), Qt::CaseInsensitive) == 0)
                    m_index[c] = f;
        }
    }
    // Every section reads the same few columns: each is unpacked once per row, when first read.
    void setPacked(const QByteArray* packed) {
        m_packed = packed;
        m_read.fill(false);
    }

    const Value& value(Column c) const {
        if (m_index[c] < 0)
            throw AppError(QStringLiteral("ZQ20: A(z) '%1' mező nem található.")
                               .arg(QLatin1String(columnNames[c])));
        if (!m_read[c]) {
            m_values[c] = Cursor::unpack(*m_packed, m_index[c]);
            m_texts[c] = m_values[c].asText();
            m_read[c] = true;
        }
        return m_values[c];
    }
    const QString& text(Column c) const {
        value(c);
        return m_texts[c];
    }

private:
    std::array<int, columnCount> m_index{};
    const QByteArray* m_packed = nullptr;
    mutable std::array<bool, columnCount> m_read{};
    mutable std::array<Value, columnCount> m_values;
    mutable std::array<QString, columnCount> m_texts;
};

// A section appends one finding line (two for the producer's birth date) per failing row.
struct Section {
    const char* name;
    std::function<void(const Row&, QStringList&)> test;
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

// The tested value, the producer's name and the ticket's producer code.
QString ticketWho(const Row& r, const QString& value) {
    return value + u' ' + r.text(O_NEV) + QStringLiteral(" Kódja: ") + r.text(F_OSTERMKOD);
}

// A section whose finding is that the column is empty; the finding names the document number.
Section emptyOnTicket(const char* name, Column column, const char* prefix) {
    const QString finding = QString::fromUtf8(prefix);
    return {name, [column, finding](const Row& r, QStringList& out) {
                if (r.text(column).isEmpty()) out << finding + r.text(S_BSZAM);
            }};
}

std::vector<Section> ticketSections() {
    return {
        {"Adószám",
         [](const Row& r, QStringList& out) {
             const QString v = r.text(O_ADOSZAM);
             if (v.size() < 8)
                 out << QStringLiteral("Hiba (kevesebb nyolc számnál): ") + ticketWho(r, v);
             else if (!checkDigitPasses(AdoszamEllenorzes, v))
                 out << QStringLiteral("Hiba (hibás adószám): ") + ticketWho(r, v);
         }},
        {"Adóazonositó",
         [](const Row& r, QStringList& out) {
             const QString v = r.text(O_ADOAZON);
             if (v.size() != 10)
                 out << QStringLiteral("Hiba (kevesebb tiz számnál): ") + ticketWho(r, v);
             else if (!checkDigitPasses(AdoazonEllenorzes, v))
                 out << QStringLiteral("Hiba (hibás adóazonositó): ") + ticketWho(r, v);
         }},
        {"TAJ",
         [](const Row& r, QStringList& out) {
             const QString v = r.text(O_TAJ);
             if (v.size() != 9)
                 out << QStringLiteral("Hiba (kevesebb 9 számnál): ") + ticketWho(r, v);
             else if (!checkDigitPasses(TAJEllenorzes, v))
                 out << QStringLiteral("Hiba (hibás TAJ): ") + ticketWho(r, v);
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
         [](const Row& r, QStringList& out) {
             if (r.text(F_PRN) != u'I')
                 out << QStringLiteral("Figyelmeztetés (még nincs kinyomtatva): ") +
                            r.text(S_BSZAM);
         }},
        {"Termékkód",
         [](const Row& r, QStringList& out) {
             if (r.text(S_TERMEKKOD).isEmpty())
                 out << QStringLiteral("Figyelmeztetés (nincs termékkód megadva): ") +
                            r.text(S_BSZAM);
         }},
        {"Mennyiség",
         [](const Row& r, QStringList& out) {
             const Value v = r.value(S_NETTO);
             if (v.asText().isEmpty())
                 out << QStringLiteral("Hiba (nincs mennyiség megadva): ") + r.text(S_BSZAM);
             else if (v.asDouble() == 0)
                 out << QStringLiteral("Hiba (nullás mennyiség van megadva): ") + r.text(S_BSZAM);
         }},
        {"Egységár",
         [](const Row& r, QStringList& out) {
             const Value v = r.value(S_EAR);
             const QString text = v.asText();
             if (text.isEmpty())
                 out << QStringLiteral("Hiba (nincs egységár megadva): ") + r.text(S_BSZAM);
             else if (text == u'0')
                 out << QStringLiteral("Hiba (nullás egységár van megadva): ") + r.text(S_BSZAM);
             else if (!(v.asDouble() > 0))
                 out << QStringLiteral("Hiba (nulla vagy minuszos egységár van megadva): ") +
                            r.text(S_BSZAM);
         }},
        {"Komp.felár",
         [](const Row& r, QStringList& out) {
             const QString text = r.text(S_KOMPMERTEKE);
             if (text.isEmpty())
                 out << QStringLiteral("Hiba (nincs Komp.felár megadva): ") + r.text(S_BSZAM);
             else if (!isSevenOrTwelve(text))
                 out << QStringLiteral("Hiba (nem 7, 12 % van megadva): ") + r.text(S_BSZAM);
         }},
    };
}

// --- producers ------------------------------------------------------------------------------

QString producerName(const Row& r) {
    return r.text(O_NEV) + QStringLiteral(" Kódja: ") + r.text(O_KOD);
}
QString producerWho(const Row& r, const QString& value) {
    return value + u' ' + producerName(r);
}

// A section whose finding is that the column is empty; the finding names the producer.
Section emptyOnProducer(const char* name, Column column, const char* prefix) {
    const QString finding = QString::fromUtf8(prefix);
    return {name, [column, finding](const Row& r, QStringList& out) {
                if (r.text(column).isEmpty()) out << finding + producerName(r);
            }};
}

std::vector<Section> producerSections() {
    return {
        {"Adószám",
         [](const Row& r, QStringList& out) {
             const QString v = r.text(O_ADOSZAM);
             if (v.trimmed().size() < 8)
                 out << QStringLiteral("Hiba (kevesebb nyolc számnál): ") + producerWho(r, v);
             else if (!checkDigitPasses(AdoszamEllenorzes, v))
                 out << QStringLiteral("Hiba (hibás adószám): ") + producerWho(r, v);
         }},
        {"Adóazonositó",
         [](const Row& r, QStringList& out) {
             const QString v = r.text(O_ADOAZON);
             if (v.trimmed().size() != 10)
                 out << QStringLiteral("Hiba (kevesebb tiz számnál): ") + producerWho(r, v);
             else if (!checkDigitPasses(AdoazonEllenorzes, v))
                 out << QStringLiteral("Hiba (hibás adóazonositó): ") + producerWho(r, v);
         }},
        {"TAJ",
         [](const Row& r, QStringList& out) {
             const QString v = r.text(O_TAJ);
             if (v.size() != 9)
                 out << QStringLiteral("Hiba (kevesebb 9 számnál): ") + producerWho(r, v);
             else if (!checkDigitPasses(TAJEllenorzes, v))
                 out << QStringLiteral("Hiba (hibás TAJ): ") + producerWho(r, v);
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
         [](const Row& r, QStringList& out) {
             const QString birth = r.text(O_SZIDO);
             if (birth.isEmpty())
                 out << QStringLiteral("Hiba (nincs östermelö születési idö megadva)   ") +
                            producerName(r);
             if (!isDate(birth))
                 out << QStringLiteral("Hiba (Hibás östermelö születési idö )   ") +
                            producerName(r);
         }},
        emptyOnProducer("Östermelö anyja neve", O_ANYJA,
                        "Hiba (nincs östermelö anyja neve megadva)   "),
        emptyOnProducer("Östermelö neme", O_NEME, "Hiba (nincs östermelö neme megadva)   "),
        emptyOnProducer("Östermelö születési neve", O_SZULNEV,
                        "Hiba (nincs östermelö születési neve megadva)   "),
    };
}

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
    const QStringList present = openStatement(db, collection, QStringLiteral("SELECT *"))
                                    ->fieldNames();  // opened, never fetched
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
    std::vector<QStringList> found(all);
    size_t walking = all;  // sections still walking the rows: those before the first failure
    size_t stoppedAt = all;
    std::exception_ptr failure;
    try {
        const std::unique_ptr<Cursor> cursor = openNarrowed(db, collection, columns);
        Row row(cursor->fieldNames());
        QByteArray packed;
        while (walking > 0 && cursor->fetch(packed)) {
            row.setPacked(&packed);
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

    QStringList lines;
    for (size_t s = 0; s < all && s <= stoppedAt; ++s) {
        const QString name = QString::fromUtf8(sections[s].name);
        lines << QStringLiteral("    ") + name + QStringLiteral(" ellenörzés... ");
        lines += found[s];
        if (s == stoppedAt) break;
        lines << QStringLiteral("    ") + name + QStringLiteral(" ellenörzés vége. ");
        lines << QStringLiteral(" ");
    }
    if (!failure)
        lines << QStringLiteral("Klikk az ablakba és kurzor billentyüvel mozoghat benne. ");
    return {lines.join(u'\n'), failure};
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
    return {{QStringLiteral("SELECT *"), QStringLiteral("  FROM fjsor"),
             QStringLiteral("  LEFT JOIN fjfej     ON s_bszam     = f_bszam "),
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
    return runSections(db, collection, sections, columns);
}

Findings producerFindings(Database& db, const Collection& collection) {
    static const std::vector<Section> sections = producerSections();
    QList<Column> columns;
    for (int c = O_KOD; c < columnCount; ++c) columns << Column(c);
    return runSections(db, collection, sections, columns);
}
