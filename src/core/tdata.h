#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>

#include "core/database.h"
#include "core/query.h"
#include "core/run_values.h"

// A program-driven data source of a report (frUserDataset1 ... frUserDataset4).
struct UserDataset {
    std::function<void()> first;
    std::function<void()> next;
    std::function<bool()> eof;
};

// A read-only (or unlocked) view of one working table, for the raw table editor.
struct TableView {
    QString table;
    std::unique_ptr<Query> query;
    bool readOnly = true;
};

// The data module: connection ZCon1, transaction IBTrans1, table views IBTable1..6, the query
// pool ZQ10..ZQ91 and the routines several screens share.
class TData : public QObject {
    Q_OBJECT
public:
    static constexpr const char* databaseFile = "termaro.fdb";
    static constexpr const char* userName = "SYSDBA";
    static constexpr const char* password = "quorvenda";
    static constexpr const char* charset = "WIN1250";

    explicit TData(RunValues& run, QObject* parent = nullptr);
    ~TData() override;

    // ZCon1: attaches to `path` (default "termaro.fdb" in the working folder) with the fixed
    // login of the embedded engine.
    void connect(const QString& path = databaseFile);
    // ZCon1 on a Firebird server: `name` in the server's form ("host/port:/path") with the
    // user's own login. The password stays in memory only, for the server's backup service.
    // Brings a database made by an earlier version up to the tables this one needs (the number
    // holds of open entries); false when that cannot be done (a read-only file, no rights).
    bool addMissingTables();
    void connectToServer(const QString& name, const QString& user, const QString& password);
    bool onServer() const { return m_onServer; }
    // The login of the open connection (the fixed one when embedded).
    QString loginUser() const { return m_user; }
    QString loginPassword() const { return m_password; }
    void disconnect();
    bool connected() const { return m_db.attached(); }
    // The database the program attached to, as given to connect().
    QString databasePath() const { return m_path; }
    // Closes and reopens the six table views.
    void openTableViews();
    // Closes and reopens one of them (1 .. 6).
    void openTableView(int number);

    // IBTrans1.
    void startTransaction();
    bool inTransaction() const { return m_db.inTransaction(); }
    void commit();
    void commitRetaining();
    void rollback();

    Query& query(const QString& name);  // throws AppError for an unknown name
    Query* findQuery(const QString& name);
    TableView& table(int number);  // IBTable1 .. IBTable6
    Database& database() { return m_db; }
    // A second attachment for what must be committed apart from the work in progress (the
    // number an opening entry holds), attached on first use; and the main attachment's id.
    Database& sideDatabase();
    std::int64_t connectionId();

    // Buyer and producer street lines (eight trimmed address parts joined by one space).
    QString atv_utca();
    QString ost_utca();

    // Report side: variables kept until set again; user datasets by name.
    QVariantMap& reportVariables() { return m_reportVariables; }
    std::map<QString, UserDataset>& userDatasets() { return m_userDatasets; }

private:
    void closePoolResults();
    QString streetLine(Query& q, const char* const columns[8]);

    RunValues& m_run;
    Database m_db;
    std::unique_ptr<Database> m_side;
    std::int64_t m_connectionId = -1;
    QString m_path;
    bool m_onServer = false;
    QString m_user;
    QString m_password;
    std::map<QString, std::unique_ptr<Query>> m_pool;
    TableView m_tables[6];
    QVariantMap m_reportVariables;
    std::map<QString, UserDataset> m_userDatasets;
};
