#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/database.h"
#include "core/tdata.h"

class PeriodFields;
class QBoxLayout;
class QRadioButton;
class Query;

// The lines of the period's headers, for statements that filter on the line's buyer code
// (s_akod): the outer join makes the database start from the headers of the period, as the
// filter on a line column drops the headers without lines anyway (the same rows as the inner
// join). Joined inner, the database starts from the lines instead and searches the date index
// once for every line: minutes on a large year.
inline constexpr const char* headersFirst = "  FROM fjfej LEFT JOIN fjsor ON s_bszam = f_bszam";
// The headers with their producer, joined once per header before the lines are (a third of the
// producer lookups of joining it to every line; the same rows).
inline constexpr const char* producerPerHeader =
    "  FROM fjfej LEFT JOIN ostermelo ON f_ostermkod = o_kod";

// "Dátum ?": which date of the ticket the period applies to.
class DateChoice : public QObject {
    Q_OBJECT
public:
    // Adds the group box with "Fizetési dátum" (chosen) and "Felvásárlási dátum" to `layout`.
    DateChoice(QWidget* parent, QBoxLayout* layout);

    bool purchaseDate() const;
    // The column the statements filter on: "f_fizkelt" or "f_felvkelt".
    QString column() const;
    // v_datum: "Fizetési " or "Felvásárlási ".
    QString printed() const;

Q_SIGNALS:
    void changed();

private:
    QRadioButton* m_payment = nullptr;
    QRadioButton* m_purchase = nullptr;
};

// Report user datasets set for one report request and removed when it ends, so no later
// report can call into a screen that is gone.
class ScopedUserDatasets {
public:
    explicit ScopedUserDatasets(TData& data) : m_data(data) {}
    ~ScopedUserDatasets();
    ScopedUserDatasets(const ScopedUserDatasets&) = delete;
    ScopedUserDatasets& operator=(const ScopedUserDatasets&) = delete;

    void set(const QString& name, UserDataset routines);

private:
    TData& m_data;
    QStringList m_names;
};

// First, next and end of data of a query, as a user dataset over its rows.
UserDataset queryRoutines(Query& query);

// Binds a group's key as it was read: NULL stays NULL (for "IS NOT DISTINCT FROM").
void bindKey(Query& query, const QString& name, const Value& key);

// The select list of a report's group statement: the columns of `from` (its FROM and WHERE
// clauses, named parameters allowed) that the template `templatePath` prints from `dataset`, and
// `keys`. The lines of a year carry only what is printed: every column of the joined tables
// would cost the engine several times the time, in evaluating and sorting them. "*" when the
// template cannot be read (the report then says why) or names none of the columns.
QString printedColumns(Database& db, const QString& templatePath, const QString& dataset,
                       const QString& from, const QStringList& keys);

// The named parameters of a period statement: p1 and p2 the period's dates, p3 the buyer code.
std::map<QString, Value> periodParams(const PeriodFields& period, const QString& buyerCode);

// The whole result of one statement, each row packed as Cursor packs it.
struct ReadRows {
    QStringList fields;
    std::vector<FieldType> types;
    std::vector<QByteArray> rows;
};
// The index of field `name` (any case) in `fields`; AppError when there is none.
int fieldIndex(const QStringList& fields, const QString& name);
// `sql` with named parameters (`params` by lower-case name).
ReadRows readRows(Database& db, const QString& sql, const std::map<QString, Value>& params);

// Whether two group keys are one group as the database's GROUP BY sees them: NULL equals NULL,
// a text's trailing blanks do not count.
bool sameGroup(const Value& a, const Value& b);

// A SUM as the database adds up a column: NULLs left out, NULL when there is no value at all.
// A column of exact numbers (one scale) is added up exactly.
class ColumnSum {
public:
    void add(const Value& v);
    Value value() const;

private:
    int m_count = 0;
    int m_scale = -1;  // the scale of an exact sum; -1 when it adds up doubles
    std::int64_t m_scaled = 0;
    double m_real = 0;
};

// One statement sorted first by a group key, read forward once, group by group: each group's
// rows become a pool query's whole result. A grouped report over a large year runs this one
// statement where a statement per group would run thousands, and holds one group at a time.
class SortedGroups {
public:
    // `sql` with named parameters (`params` by lower-case name); `keyColumn` is its first sort
    // column.
    SortedGroups(Database& db, const QString& sql, const std::map<QString, Value>& params,
                 const QString& keyColumn);
    // The same over rows read before (sorted first by `keyColumn`), which it shares.
    SortedGroups(std::shared_ptr<const ReadRows> rows, const QString& keyColumn);
    ~SortedGroups();
    SortedGroups(const SortedGroups&) = delete;
    SortedGroups& operator=(const SortedGroups&) = delete;

    // Opens `query` on the next rows whose key equals `key` as the database compares it (NULL
    // equals NULL, trailing blanks do not count); on no rows when the next key differs. Each row
    // handed out is shown to `seen` first.
    void take(const Value& key, Query& query,
              const std::function<void(const QByteArray&)>& seen = {});
    const QStringList& fields() const { return m_fields; }
    const std::vector<FieldType>& types() const { return m_types; }

private:
    bool fetch();

    std::unique_ptr<Cursor> m_cursor;
    std::shared_ptr<const ReadRows> m_read;
    size_t m_readNext = 0;
    QStringList m_fields;
    std::vector<FieldType> m_types;
    int m_keyColumn = -1;
    QByteArray m_next;  // the first row not yet handed out
    bool m_hasNext = false;
};
