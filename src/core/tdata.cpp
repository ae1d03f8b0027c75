#include "core/tdata.h"

#include "core/errors.h"
#include "core/guard.h"

namespace {
const char* const poolNames[] = {"ZQ10", "ZQ20", "ZQ30", "ZQ40", "ZQ50", "ZQ60", "ZQ11",
                                 "ZQ21", "ZQ22", "ZQ31", "ZQ32", "ZQ33", "ZQ41", "ZQ61",
                                 "ZQ80", "ZQ90", "ZQ70", "ZQ12", "ZQ91"};
const char* const tableNames[] = {"FJFEJ", "FJSOR", "OSTERMELO", "TERMEK", "SORSZAM", "ATVEVO"};
}  // namespace

TData::TData(RunValues& run, QObject* parent) : QObject(parent), m_run(run) {
    for (const char* name : poolNames) {
        m_pool.emplace(QString::fromLatin1(name),
                       std::make_unique<Query>(m_db, QString::fromLatin1(name), this));
    }
    // The ticket list, the period lists' collections and the producer list can run to tens of
    // thousands of rows: they open on their first rows and reposition over their keys.
    for (const char* name : {"ZQ10", "ZQ20", "ZQ30"}) query(name).setKeyedWhenLarge(true);
    for (int i = 0; i < 6; ++i) {
        m_tables[i].table = QString::fromLatin1(tableNames[i]);
        m_tables[i].query =
            std::make_unique<Query>(m_db, QStringLiteral("IBTable%1").arg(i + 1), this);
        m_tables[i].readOnly = i != 5;
        // A year's ticket lines run to six figures: the table editor reaches the last row and
        // finds a row by key without reading every row before it.
        m_tables[i].query->setKeyedWhenLarge(true);
    }
    m_db.setTransactionEndHandler([this] { closePoolResults(); });
}

TData::~TData() {
    m_db.setTransactionEndHandler({});
    for (auto& [name, q] : m_pool) q->close();
    for (auto& t : m_tables) t.query->close();
}

void TData::connect(const QString& path) {
    m_db.attach(path, userName, password, charset);
    m_path = path;
    m_onServer = false;
    m_user = QString::fromLatin1(userName);
    m_password = QString::fromLatin1(password);
}

void TData::connectToServer(const QString& name, const QString& user, const QString& password) {
    m_db.attach(name, user, password, charset);
    m_path = name;
    m_onServer = true;
    m_user = user;
    m_password = password;
}

bool TData::addMissingTables() {
    try {
        const auto cursor = m_db.open(QStringLiteral("SELECT 1 FROM RDB$RELATIONS WHERE "
                                                     "RDB$RELATION_NAME = 'SORSZAMFOGLALAS'"),
                                      {});
        const bool present = cursor->next();
        while (cursor->next()) {
        }
        if (!present) {
            m_db.execute(
                QStringLiteral(
                    "CREATE TABLE SORSZAMFOGLALAS (ID_SORSZAMFOGLALAS INTEGER GENERATED "
                    "BY DEFAULT AS IDENTITY PRIMARY KEY, SF_BSZAM VARCHAR(20) NOT NULL, "
                    "SF_AKOD VARCHAR(5), SF_GEP VARCHAR(63), SF_FELHASZNALO VARCHAR(63), "
                    "SF_KAPCSOLAT BIGINT, SF_IDO TIMESTAMP, SF_SZABAD CHAR(1) DEFAULT ' ', "
                    "SF_KIADHATO CHAR(1) DEFAULT ' ')"),
                {});
            m_db.commit();
            m_db.execute(QStringLiteral("CREATE UNIQUE INDEX UX_SORSZAMFOGLALAS_BSZAM ON "
                                        "SORSZAMFOGLALAS (SF_BSZAM)"),
                         {});
        }
        m_db.commit();
        return true;
    } catch (const std::exception& e) {
        qWarning("A sorszámfoglalás táblája nem hozható létre: %s", qUtf8Printable(errorText(e)));
        guardQuietly([this] { m_db.rollback(); });
        return false;
    }
}

void TData::disconnect() {
    closePoolResults();
    if (m_side) {
        guardQuietly([this] { m_side->rollback(); });
        guardQuietly([this] { m_side->detach(); });
        m_side.reset();
    }
    m_connectionId = -1;
    m_db.detach();
}

Database& TData::sideDatabase() {
    if (!m_side) {
        auto side = std::make_unique<Database>();
        side->attach(m_path, m_user, m_password, charset);
        m_side = std::move(side);
    }
    return *m_side;
}

std::int64_t TData::connectionId() {
    if (m_connectionId < 0) {
        const auto cursor =
            m_db.open(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE"), {});
        if (cursor->next()) m_connectionId = cursor->current(0).asInteger();
        while (cursor->next()) {
        }
    }
    return m_connectionId;
}

void TData::openTableViews() {
    for (int number = 1; number <= 6; ++number) openTableView(number);
}

void TData::openTableView(int number) {
    TableView& t = table(number);
    t.query->close();
    t.query->setSql(QStringLiteral("SELECT * FROM ") + t.table);
    t.query->open();
}

void TData::startTransaction() {
    m_db.startTransaction();
}
void TData::commit() {
    m_db.commit();
}
void TData::commitRetaining() {
    m_db.commitRetaining();
}
void TData::rollback() {
    m_db.rollback();
}

void TData::closePoolResults() {
    for (auto& [name, q] : m_pool) q->closeForTransactionEnd();
    for (auto& t : m_tables) t.query->closeForTransactionEnd();
}

Query* TData::findQuery(const QString& name) {
    const auto it = m_pool.find(name.toUpper());
    return it == m_pool.end() ? nullptr : it->second.get();
}

Query& TData::query(const QString& name) {
    if (Query* q = findQuery(name)) return *q;
    throw AppError(QStringLiteral("Ismeretlen lekérdezés: %1").arg(name));
}

TableView& TData::table(int number) {
    if (number < 1 || number > 6)
        throw AppError(QStringLiteral("Ismeretlen tábla: IBTable%1").arg(number));
    return m_tables[number - 1];
}

QString TData::streetLine(Query& q, const char* const columns[8]) {
    QStringList parts;
    for (int i = 0; i < 8; ++i) parts << q.text(QString::fromLatin1(columns[i])).trimmed();
    return parts.join(' ');
}

QString TData::atv_utca() {
    static const char* const columns[8] = {"V_KERULET", "V_UTCA",   "V_JELLEG", "V_HAZSZAM",
                                           "V_EPULET",  "V_LEPCSO", "V_SZINT",  "V_AJTO"};
    Query& q = query("ZQ61");
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM atvevo WHERE v_akod = :p1"));
    q.bindText("p1", m_run.buyerCode);
    q.open();
    m_run.buyerStreetLine = streetLine(q, columns);
    return m_run.buyerStreetLine;
}

QString TData::ost_utca() {
    static const char* const columns[8] = {"O_KERULET", "O_UTCA",   "O_JELLEG", "O_HAZSZAM",
                                           "O_EPULET",  "O_LEPCSO", "O_SZINT",  "O_AJTO"};
    const QString producer = query("ZQ10").text("F_OSTERMKOD");
    Query& q = query("ZQ33");
    q.close();
    q.setSql(QStringLiteral("SELECT * FROM ostermelo WHERE o_kod = :p1"));
    q.bindText("p1", producer);
    q.open();
    m_run.producerStreetLine = streetLine(q, columns);
    return m_run.producerStreetLine;
}
