#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

class App;

// What the audit export covers: a date range over the issue or purchase date, or a range of
// document numbers compared as text.
struct AuditRange {
    bool byNumber = false;
    bool byPurchaseDate = false;  // "Felvásárlás dátuma" instead of "Kiállítás kelte"
    QDate from;
    QDate to;
    QString fromNumber;
    QString toNumber;
};

// The staging of the tax-authority audit export (NAVFEJ) and its XML file.
namespace audit {

inline const QString schemaFile = QStringLiteral("23_2014_szamlasema.xsd");
inline const QString defaultFile = QStringLiteral("szamlak.xml");
inline const QString nothingFound = QStringLiteral("Nincs a feltételeknek megfelelő bizonylat.");

// "Kigyűjtés": empties NAVFEJ and NAVSOR, stages the current buyer's tickets of the range and
// opens ZQ21 on them. Shows every message itself; true when at least one ticket was staged.
bool collect(App& app, const AuditRange& range, const QString& selfBilling,
             const QString& invoiceForm);

// Whether the staging holds any of the current buyer's documents.
bool hasStagedDocuments(App& app);

struct ExportRequest {
    QString path;  // absolute
    AuditRange range;
    bool optionalBlock = true;                          // "Nem kötetező tipusok is kitöltve"
    std::function<void(int done, int total)> progress;  // called now and then while writing
};

struct ExportResult {
    bool written = false;
    QString message;  // the refusal or the file error when not written
    QString minNumber;
    QString maxNumber;
    int count = 0;
};

// "Export": checks every staged document against what the schema requires, then writes the
// file safely (an earlier file stays untouched on any refusal or failure).
ExportResult exportFile(App& app, const ExportRequest& request);

// The amount format of the file: two decimals, "." separator, halves away from zero; false
// when the value needs more than 10 digits before the point.
bool formatAmount(double value, QString& out);

// Validates `xmlPath` against `schemaPath` with libxml2 (streaming); "" when valid, else the
// first errors, one a line.
QString validateAgainstSchema(const QString& xmlPath, const QString& schemaPath);

}  // namespace audit
