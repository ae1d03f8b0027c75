#include "lists/list_support.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

#include "core/errors.h"
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

bool sameGroup(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    return groupText(a) == groupText(b);
}

}  // namespace

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
    for (int i = 0; i < m_fields.size() && m_keyColumn < 0; ++i) {
        if (m_fields.at(i).compare(keyColumn, Qt::CaseInsensitive) == 0) m_keyColumn = i;
    }
    if (m_keyColumn < 0) {
        throw AppError(QStringLiteral("A(z) '%1' mező nem található.").arg(keyColumn));
    }
    m_hasNext = m_cursor->fetch(m_next);
}

SortedGroups::~SortedGroups() = default;

void SortedGroups::take(const Value& key, Query& query) {
    std::vector<QByteArray> rows;
    while (m_hasNext && sameGroup(Cursor::unpack(m_next, m_keyColumn), key)) {
        rows.push_back(m_next);
        m_hasNext = m_cursor->fetch(m_next);
    }
    query.openRows(m_fields, m_types, std::move(rows));
}
