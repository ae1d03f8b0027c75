#include "report/report_data.h"

QString missingFieldText(const QString& dataset, const QString& field) {
    return QStringLiteral("A(z) %1 adatforrásnak nincs \"%2\" nevű mezője.").arg(dataset, field);
}

MemoryDataSource::MemoryDataSource(const QString& name, const QStringList& fields)
    : m_name(name), m_fields(fields) {}

void MemoryDataSource::addRow(const QVariantList& values) {
    m_rows.append(values);
}

QVariant MemoryDataSource::value(const QString& field) const {
    qsizetype column = 0;
    while (column < m_fields.size() &&
           m_fields.at(column).compare(field, Qt::CaseInsensitive) != 0) {
        ++column;
    }
    if (column == m_fields.size()) throw ReportError(missingFieldText(m_name, field));
    if (m_row < 0 || m_row >= rowCount()) return {};
    return m_rows.at(m_row).value(column);
}

CallbackDataSource::CallbackDataSource(const QString& name, std::function<void()> first,
                                       std::function<void()> next, std::function<bool()> eof)
    : m_name(name), m_first(std::move(first)), m_next(std::move(next)), m_eof(std::move(eof)) {}

void CallbackDataSource::first() {
    if (m_first) m_first();
}

void CallbackDataSource::next() {
    if (m_next) m_next();
}

// Without an end-of-data routine the source has no rows, so a band over it cannot run away.
bool CallbackDataSource::eof() const {
    return m_eof ? m_eof() : true;
}

QVariant CallbackDataSource::value(const QString& field) const {
    throw ReportError(missingFieldText(m_name, field));
}

void MapDataResolver::add(const QString& name, ReportDataSource* source) {
    m_sources.insert(name.toLower(), source);
}

void MapDataResolver::add(const QString& name, std::unique_ptr<ReportDataSource> source) {
    add(name, source.get());
    m_owned.push_back(std::move(source));
}

ReportDataSource* MapDataResolver::source(const QString& name) {
    return m_sources.value(name.toLower(), nullptr);
}
