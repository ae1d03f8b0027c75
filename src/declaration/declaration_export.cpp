#include "declaration/declaration_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>

#include "core/app.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/report_request.h"
#include "declaration/line_file.h"
#include "tickets/settings_files.h"
#include "validation/identifiers.h"

namespace declaration {

AmountColumn amountColumnFromSettings(App& app) {
    const auto values =
        settings::readSection(settings::filePath(settings::programPath(app.run()), settings::form9),
                              QStringLiteral("Form9"));
    const auto it = values.find(QStringLiteral("edit15visible"));
    return it != values.end() && it->second == QStringLiteral("1") ? AmountColumn::PurchaseTotal
                                                                   : AmountColumn::Payable;
}

QString amountSum(AmountColumn column) {
    return column == AmountColumn::PurchaseTotal ? QStringLiteral("SUM(f_sumvar)")
                                                 : QStringLiteral("SUM(f_muvktg)");
}

QString monthFolder(const QString& periodFrom) {
    return windowsDefaultPath(QStringLiteral("C:\\TERMARO\\") + periodFrom.mid(5, 2) +
                              QStringLiteral("\\"));
}

QString compactDate(const QString& date) {
    if (date.isEmpty()) return {};
    return date.mid(0, 4) + date.mid(5, 2) + date.mid(8, 2);
}

namespace {
// A sum of ticket amounts, kept exact while the column is a decimal and rounded once at the end.
class AmountSum {
public:
    void add(const Value& v) {
        switch (v.kind()) {
            case Value::Kind::Null:
                return;
            case Value::Kind::Decimal:
                m_scaled += rescaled(v.scaled(), v.scale());
                break;
            case Value::Kind::Integer:
                m_scaled += rescaled(v.asInteger(), 0);
                break;
            default:
                m_exact = false;
        }
        m_real += v.asDouble();
    }
    QString text() const { return m_exact ? amountText(m_scaled, scale) : amountText(m_real); }

private:
    static constexpr int scale = 4;
    static std::int64_t rescaled(std::int64_t value, int from) {
        for (int i = from; i < scale; ++i) value *= 10;
        for (int i = scale; i < from; ++i) value /= 10;
        return value;
    }
    std::int64_t m_scaled = 0;
    double m_real = 0;
    bool m_exact = true;
};

// The producer columns the files carry.
const char* const producerColumns[] = {"O_KOD",      "O_NEV",     "O_ADOAZON", "O_NEME",
                                       "O_IGSZAM1",  "O_CSGAZD1", "O_SZULNEV", "O_ANYJA",
                                       "O_SZULHELY", "O_SZIDO",   "O_ADOSZAM", "O_FELIR"};

using Row = std::map<QString, QString>;  // column → text

struct ProducerGroup {
    Row producer;  // the lowest code's row
    AmountSum amount;
};

const QRegularExpression tenDigits(QStringLiteral("^[0-9]{10}$"));

QString periodCondition() {
    return QStringLiteral("WHERE (f_fizkelt >= :p1 AND f_fizkelt <= :p2) AND (f_akod = :p3)");
}

void bindPeriod(Query& q, App& app, const QString& from, const QString& to) {
    q.bindDate(QStringLiteral("p1"), from);
    q.bindDate(QStringLiteral("p2"), to);
    q.bindText(QStringLiteral("p3"), app.run().buyerCode);
}

// Lines of one import file; `who` names the producer in an encoding refusal.
class FileBuilder {
public:
    explicit FileBuilder(QString who) : m_who(std::move(who)) {}
    void add(const char* key, const QString& value, const char* field = nullptr) {
        QChar bad;
        const auto bytes = importText(value, &bad);
        if (!bytes)
            throw AppError(
                QStringLiteral("%1 %2 adata olyan karaktert tartalmaz (%3), amely nem írható "
                               "az import fájlba. Kérem javítsa!")
                    .arg(m_who, QString::fromLatin1(field ? field : key), QString(bad)));
        m_file.add(*importText(QString::fromUtf8(key)), *bytes);
    }
    const LineFile& file() const { return m_file; }

private:
    QString m_who;
    LineFile m_file;
};

LineFile importFile(const Row& buyer, const Row& p, const QString& amount, const QString& from,
                    const QString& to) {
    const auto v = [](const Row& row, const char* column) {
        const auto it = row.find(QString::fromLatin1(column));
        return it == row.end() ? QString() : it->second;
    };
    FileBuilder b(
        QStringLiteral("A(z) %1 kódú őstermelő (%2)").arg(v(p, "O_KOD"), v(p, "O_NEV").trimmed()));
    b.add("$ny_azon", QStringLiteral("2408M"));
    b.add("$sorok_száma", QStringLiteral("26"));
    b.add("$d_lapok_száma", QStringLiteral("0"));
    b.add("$info", v(p, "O_KOD") + u'_' + v(p, "O_NEV") + u'_' + v(p, "O_ADOAZON"), "O_NEV");
    FileBuilder buyerLines(QStringLiteral("Az átvevő"));
    buyerLines.add("13841", v(buyer, "V_ADOSZAM"), "V_ADOSZAM");
    buyerLines.add("13842", v(buyer, "V_ADOAZON"), "V_ADOAZON");
    buyerLines.add("13843", v(buyer, "V_NEVE"), "V_NEVE");
    LineFile file = b.file();
    file.lines += buyerLines.file().lines;
    FileBuilder rest(
        QStringLiteral("A(z) %1 kódú őstermelő (%2)").arg(v(p, "O_KOD"), v(p, "O_NEV").trimmed()));
    rest.add("17428", {});
    rest.add("17429", {});
    rest.add("17430", {});
    rest.add("13844", v(p, "O_ADOAZON"), "O_ADOAZON");
    rest.add("13845", v(p, "O_NEME"), "O_NEME");
    rest.add("13846", QStringLiteral("HU"));
    rest.add("13848", v(p, "O_IGSZAM1"), "O_IGSZAM1");
    const QString farm = v(p, "O_CSGAZD1").trimmed();
    if (farm.size() == 13) rest.add("13849", farm.left(4) + farm.mid(5), "O_CSGAZD1");
    const NameParts name = ujnev(v(p, "O_NEV").trimmed());
    rest.add("14807", name.family, "O_NEV");
    rest.add("14808", name.given, "O_NEV");
    const NameParts birthName = ujnev(v(p, "O_SZULNEV").trimmed());
    rest.add("17052", birthName.family, "O_SZULNEV");
    rest.add("17053", birthName.given, "O_SZULNEV");
    const NameParts mother = ujnev(v(p, "O_ANYJA").trimmed());
    rest.add("17054", mother.family, "O_ANYJA");
    rest.add("17055", mother.given, "O_ANYJA");
    rest.add("13854", v(p, "O_SZULHELY"), "O_SZULHELY");
    rest.add("13855", compactDate(v(p, "O_SZIDO")), "O_SZIDO");
    rest.add("16697", compactDate(from));
    rest.add("16698", compactDate(to));
    rest.add("24804", amount);
    rest.add("24805", QStringLiteral("1"));
    rest.add("13847", v(p, "O_ADOSZAM"), "O_ADOSZAM");
    rest.add("25106", v(p, "O_FELIR"), "O_FELIR");
    file.lines += rest.file().lines;
    return file;
}

// A month's files go into a folder just cleared of the export's own files, thousands at a time:
// each is written under a temporary name and renamed, so no half file ever carries the real
// name, but without the per-file flush to disk that would make a month take minutes. The
// temporary name starts like the real one, so a run cut short leaves nothing the next run keeps.
QString writeNewFile(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".tmp");
    QFile file(temporary);
    const auto failed = [&](const QString& what) {
        const QString reason = QStringLiteral("%1: %2 (%3)")
                                   .arg(what, QDir::toNativeSeparators(path), file.errorString());
        file.remove();
        return reason;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed(QStringLiteral("A fájl nem írható"));
    if (file.write(bytes) != bytes.size() || !file.flush())
        return failed(QStringLiteral("A fájl írása nem sikerült"));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return failed(QStringLiteral("A fájl írása nem sikerült"));
    if (!file.rename(path)) return failed(QStringLiteral("A fájl mentése nem sikerült"));
    return {};
}

Row currentRow(Query& q, const QStringList& columns) {
    Row row;
    for (const QString& c : columns) row[c] = q.text(c);
    return row;
}
}  // namespace

Collection collect(App& app, const QString& from, const QString& to, AmountColumn column) {
    TData& data = app.data();
    Collection result;
    result.folder = monthFolder(from);

    openCurrentBuyer(app);
    const Row buyer = currentRow(
        data.query("ZQ60"),
        {QStringLiteral("V_ADOSZAM"), QStringLiteral("V_ADOAZON"), QStringLiteral("V_NEVE")});

    Query& sums = data.query("ZQ20");
    sums.close();
    sums.clearSql();
    sums.addSql(QStringLiteral("SELECT f_ostermkod, ") + amountSum(column) +
                QStringLiteral(" AS kifizetett FROM fjFej"));
    sums.addSql(periodCondition());
    sums.addSql(QStringLiteral("GROUP BY f_ostermkod ORDER BY f_ostermkod"));
    bindPeriod(sums, app, from, to);
    sums.open();
    sums.fetchAll();

    // The producers of the period in one read; the first row of a code counts.
    Query& producers = data.query("ZQ21");
    producers.close();
    producers.clearSql();
    QStringList columns;
    for (const char* c : producerColumns) columns << QString::fromLatin1(c);
    producers.addSql(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")));
    producers.addSql(QStringLiteral("FROM (SELECT DISTINCT f_ostermkod FROM fjfej ") +
                     periodCondition() + QStringLiteral(") paid"));
    producers.addSql(QStringLiteral("JOIN ostermelo ON o_kod = paid.f_ostermkod"));
    producers.addSql(QStringLiteral("ORDER BY o_kod, id_ostermelo"));
    bindPeriod(producers, app, from, to);
    producers.open();
    std::map<QString, Row> byCode;
    for (producers.first(); !producers.eof(); producers.next()) {
        const QString code = producers.text(QStringLiteral("O_KOD"));
        if (!byCode.count(code)) byCode[code] = currentRow(producers, columns);
    }

    // One group per tax id, in the order of its lowest code.
    AmountSum total;
    std::map<QString, ProducerGroup> groups;
    QStringList taxIdOrder;
    for (sums.first(); !sums.eof(); sums.next()) {
        const Value amount = sums.value(QStringLiteral("kifizetett"));
        total.add(amount);
        const QString code = sums.text(QStringLiteral("f_ostermkod"));
        const auto producer = byCode.find(code);
        const QString taxId = producer == byCode.end() ? QString() : producer->second["O_ADOAZON"];
        if (!tenDigits.match(taxId).hasMatch()) {
            result.skippedCodes << code;
            continue;
        }
        auto [group, added] = groups.try_emplace(taxId);
        if (added) {
            group->second.producer = producer->second;
            taxIdOrder << taxId;
        }
        group->second.amount.add(amount);
    }
    result.total = total.text();
    sums.first();

    const QString yearMonth = from.left(4) + from.mid(5, 2);
    QByteArray list;
    for (const QString& taxId : taxIdOrder) {
        const ProducerGroup& g = groups.at(taxId);
        const QString path = QDir(result.folder).filePath(importFileName(yearMonth, taxId));
        result.files << OutputFile{
            path, importFile(buyer, g.producer, g.amount.text(), from, to).bytes()};
        const auto line = importText(QDir::toNativeSeparators(path));
        if (!line)
            throw AppError(QStringLiteral("A mappa neve nem írható a csoportos import listába: %1")
                               .arg(QDir::toNativeSeparators(path)));
        list += *line + "\r\n";
    }
    result.groupList = {
        QDir(result.folder).filePath(groupListName(compactDate(from), compactDate(to))), list};
    return result;
}

void writeCollection(const Collection& collection,
                     const std::function<void(int written, int total)>& progress) {
    const QString folder = collection.folder;
    if (!QFileInfo(folder).isDir())
        throw AppError(
            QStringLiteral("A mappa nem létezik: %1").arg(QDir::toNativeSeparators(folder)));
    QDir dir(folder);
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!isExportFile(name)) continue;
        QFile file(dir.filePath(name));
        if (!file.remove())
            throw AppError(QStringLiteral("A fájl nem törölhető: %1 (%2)")
                               .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    }
    QStringList written;
    const auto write = [&written](const OutputFile& f) {
        const QString error = writeNewFile(f.path, f.bytes);
        if (!error.isEmpty()) {
            for (const QString& path : written) QFile::remove(path);
            throw AppError(error);
        }
        written << f.path;
    };
    const int total = int(collection.files.size()) + 1;
    for (const OutputFile& f : collection.files) {
        write(f);
        if (progress && written.size() % 100 == 0) progress(int(written.size()), total);
    }
    write(collection.groupList);
    if (progress) progress(total, total);
}

}  // namespace declaration
