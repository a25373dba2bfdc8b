#pragma once
// `sqlca`: the one database session of the program, over Qt SQL's ODBC driver.
// After every statement SQLCode tells the outcome (0 success, 100 no more rows, -1 failure)
// and SQLErrText holds the database's message.

#include <QSqlDatabase>
#include <QString>

class QSqlError;
class QSqlQuery;

class transaction {
public:
    static constexpr long success = 0;
    static constexpr long not_found = 100;
    static constexpr long failure = -1;

    // The connection name keeps several sessions apart in one process (tests, benchmarks).
    explicit transaction(QString connection_name = QStringLiteral("sqlca"));
    ~transaction();
    transaction(const transaction&) = delete;
    transaction& operator=(const transaction&) = delete;

    QString DBMS;
    bool AutoCommit = true;
    QString DBParm;
    long SQLCode = 0;
    QString SQLErrText;

    // Connects with the data source, user and password of the ConnectString in DBParm.
    void connect();
    void disconnect();
    bool connected() const;

    // End the transaction. Neither changes what the last statement reported unless it fails.
    void commit();
    void rollback();

    // A query on this session, or nullptr-equivalent state: when the connection never opened,
    // the query cannot run and the connect failure is what the caller reports.
    QSqlDatabase database() const;
    const QString& connection_name() const { return name; }

    // Outcome bookkeeping for the statements.
    void succeeded(long code = success);
    void failed(const QSqlError& error);
    void failed(const QString& text);
    // True (and SQLCode/SQLErrText set to the connect failure) when no statement can run.
    bool refuse_when_not_connected();

    // A change (update, insert, delete) ran and waits for its commit or rollback.
    void change_made() { change_pending = true; }
    // After a read: unless a change waits for its commit, end the transaction so that no idle
    // transaction keeps locks on a shared server or holds a SQLite file.
    void read_done();
    // After a failed change: roll back whatever it may have left, keeping its error report.
    void undo_failed_change();

private:
    void begin_manual_transaction();
    void end_transaction(bool commit_it);

    QString name;
    QString connect_error;
    bool change_pending = false;
};

// The DSN, user and password inside "ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'".
struct connect_settings {
    QString dsn;
    QString uid;
    QString pwd;
};
connect_settings parse_connect_string(const QString& dbparm);
