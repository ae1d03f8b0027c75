#include "lists/list_support.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <cmath>

#include "core/errors.h"
#include "core/list_screen.h"
#include "core/query.h"
#include "report/report_data.h"
#include "report/report_template.h"

namespace {

// Group keys as the database's GROUP BY sees them: a text's trailing blanks do not count.
QString groupText(const Value& key) {
    QString text = key.asText();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ') --end;
    text.truncate(end);
    return text;
}

}  // namespace

bool sameGroup(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer)
        return a.asInteger() == b.asInteger();  // row IDs, compared per row without texts
    return groupText(a) == groupText(b);
}

std::map<QString, Value> periodParams(const PeriodFields& period, const QString& buyerCode) {
    return {{QStringLiteral("p1"), Value::date(period.from())},
            {QStringLiteral("p2"), Value::date(period.to())},
            {QStringLiteral("p3"), Value::text(buyerCode)}};
}

void ColumnSum::add(const Value& v) {
    if (v.isNull()) return;
    if (m_count++ == 0 && v.kind() == Value::Kind::Decimal) m_scale = v.scale();
    if (m_scale >= 0 && v.kind() == Value::Kind::Decimal && v.scale() == m_scale) {
        m_scaled += v.scaled();
        return;
    }
    if (m_scale >= 0) {  // not one exact column after all
        m_real = static_cast<double>(m_scaled) / std::pow(10.0, m_scale);
        m_scale = -1;
    }
    m_real += v.asDouble();
}

Value ColumnSum::value() const {
    if (m_count == 0) return {};
    return m_scale >= 0 ? Value::decimal(m_scaled, m_scale) : Value::real(m_real);
}

int fieldIndex(const QStringList& fields, const QString& name) {
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    throw AppError(QStringLiteral("A(z) '%1' mező nem található.").arg(name));
}

ReadRows readRows(Database& db, const QString& sql, const std::map<QString, Value>& params) {
    const ParsedSql parsed = parseNamedParameters(sql);
    const std::unique_ptr<Cursor> cursor = db.open(parsed.sql, positionalValues(parsed, params));
    ReadRows read;
    read.fields = cursor->fieldNames();
    read.types = cursor->fieldTypes();
    QByteArray row;
    while (cursor->fetch(row)) read.rows.push_back(row);
    return read;
}

DateChoice::DateChoice(QWidget* parent, QBoxLayout* layout) : QObject(parent) {
    auto* box = new QGroupBox(QStringLiteral("Dátum ?"), parent);
    auto* row = new QHBoxLayout(box);
    m_payment = new QRadioButton(QStringLiteral("Fizetési dátum"), box);
    m_purchase = new QRadioButton(QStringLiteral("Felvásárlási dátum"), box);
    auto* group = new QButtonGroup(box);
    group->addButton(m_payment);
    group->addButton(m_purchase);
    m_payment->setChecked(true);
    row->addWidget(m_payment);
    row->addWidget(m_purchase);
    row->addStretch();
    layout->addWidget(box);
    connect(m_purchase, &QRadioButton::toggled, this, [this] { Q_EMIT changed(); });
}

bool DateChoice::purchaseDate() const {
    return m_purchase->isChecked();
}

QString DateChoice::column() const {
    return purchaseDate() ? QStringLiteral("f_felvkelt") : QStringLiteral("f_fizkelt");
}

QString DateChoice::printed() const {
    return purchaseDate() ? QStringLiteral("Felvásárlási ") : QStringLiteral("Fizetési ");
}

ScopedUserDatasets::~ScopedUserDatasets() {
    for (const QString& name : m_names) m_data.userDatasets().erase(name);
}

void ScopedUserDatasets::set(const QString& name, UserDataset routines) {
    m_data.userDatasets()[name] = std::move(routines);
    m_names << name;
}

void bindKey(Query& query, const QString& name, const Value& key) {
    if (key.isNull()) {
        query.bindNull(name);
    } else {
        query.bindText(name, key.asText());
    }
}

UserDataset queryRoutines(Query& query) {
    return {[&query] {
                if (query.active()) query.first();
            },
            [&query] {
                if (query.active()) query.next();
            },
            [&query] { return !query.active() || query.eof(); }};
}

QString printedColumns(Database& db, const QString& templatePath, const QString& dataset,
                       const QString& from, const QStringList& keys) {
    QStringList printed;
    try {
        printed = referencedFields(loadReportTemplate(templatePath), dataset);
    } catch (const ReportError&) {
        return QStringLiteral("*");
    }
    const QStringList available =
        db.describe(parseNamedParameters(QStringLiteral("SELECT * ") + from).sql).fieldNames;
    QStringList columns;
    for (const QString& name : available) {
        if ((printed.contains(name, Qt::CaseInsensitive) ||
             keys.contains(name, Qt::CaseInsensitive)) &&
            !columns.contains(name, Qt::CaseInsensitive)) {
            columns << name;
        }
    }
    return columns.isEmpty() ? QStringLiteral("*") : columns.join(QStringLiteral(", "));
}

SortedGroups::SortedGroups(Database& db, const QString& sql, const std::map<QString, Value>& params,
                           const QString& keyColumn) {
    const ParsedSql parsed = parseNamedParameters(sql);
    m_cursor = db.open(parsed.sql, positionalValues(parsed, params));
    m_fields = m_cursor->fieldNames();
    m_types = m_cursor->fieldTypes();
    m_keyColumn = fieldIndex(m_fields, keyColumn);
    m_hasNext = fetch();
}

SortedGroups::SortedGroups(std::shared_ptr<const ReadRows> rows, const QString& keyColumn)
    : m_read(std::move(rows)) {
    m_fields = m_read->fields;
    m_types = m_read->types;
    m_keyColumn = fieldIndex(m_fields, keyColumn);
    m_hasNext = fetch();
}

SortedGroups::~SortedGroups() = default;

bool SortedGroups::fetch() {
    if (m_cursor) return m_cursor->fetch(m_next);
    if (m_readNext >= m_read->rows.size()) return false;
    m_next = m_read->rows[m_readNext++];
    return true;
}

void SortedGroups::take(const Value& key, Query& query,
                        const std::function<void(const QByteArray&)>& seen) {
    std::vector<QByteArray> rows;
    while (m_hasNext && sameGroup(Cursor::unpack(m_next, m_keyColumn), key)) {
        if (seen) seen(m_next);
        rows.push_back(m_next);
        m_hasNext = fetch();
    }
    query.openRows(m_fields, m_types, std::move(rows));
}
