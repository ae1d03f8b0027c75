#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// A failure of the report engine (a bad template, an unknown dataset or field); its text is
// what the user is shown.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// A row source the engine walks: a band iterates it from first() until eof(); text objects
// read the current row's fields by name. value() throws ReportError for a field it lacks.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // NULL is an invalid QVariant; numbers are double or qlonglong, dates QDate.
    virtual QVariant value(const QString& field) const = 0;
};

// Finds a data source by the name a template uses; nullptr when the name is unknown.
class ReportDataResolver {
public:
    virtual ~ReportDataResolver() = default;
    virtual ReportDataSource* source(const QString& name) = 0;
};

// Rows held in memory; used for computed lists and by the tests and benchmarks.
class MemoryDataSource : public ReportDataSource {
public:
    MemoryDataSource(const QString& name, const QStringList& fields);
    void addRow(const QVariantList& values);
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    void first() override { m_row = 0; }
    void next() override { ++m_row; }
    bool eof() const override { return m_row >= rowCount(); }
    QVariant value(const QString& field) const override;

private:
    QString m_name;
    QStringList m_fields;
    QList<QVariantList> m_rows;
    int m_row = 0;
};

// A source driven by program routines (first, next, end of data); it has no fields of its
// own: its bands print fields of the queries the routines move.
class CallbackDataSource : public ReportDataSource {
public:
    CallbackDataSource(const QString& name, std::function<void()> first, std::function<void()> next,
                       std::function<bool()> eof);
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& field) const override;

private:
    QString m_name;
    std::function<void()> m_first;
    std::function<void()> m_next;
    std::function<bool()> m_eof;
};

// A resolver over sources registered by name (case-insensitive); it may own them.
class MapDataResolver : public ReportDataResolver {
public:
    void add(const QString& name, ReportDataSource* source);  // not owned
    void add(const QString& name, std::unique_ptr<ReportDataSource> source);
    ReportDataSource* source(const QString& name) override;

private:
    QHash<QString, ReportDataSource*> m_sources;
    std::vector<std::unique_ptr<ReportDataSource>> m_owned;
};

// The error texts shared by the sources, so every unknown field reads the same.
QString missingFieldText(const QString& dataset, const QString& field);
