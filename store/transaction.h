#pragma once
// `sqlca`: the one database session of the program, over Qt SQL's ODBC driver.
// After every statement SQLCode tells the outcome (0 success, 100 no more rows, -1 failure)
// and SQLErrText holds the database's message.
//
// The session survives a database that goes away and comes back: when the connection never
// opened, or a failed statement left it dead (the server stopped or restarted), the next
// statement first opens it again, once, without waiting. The failed statement itself is
// reported as usual; a change that was pending on the lost connection is never replaced by
// a fresh session until its commit or rollback has reported the loss.

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
    // Called before every statement: opens a missing or lost connection again (one attempt).
    // True (and SQLCode/SQLErrText set to the reason) when no statement can run.
    bool refuse_when_not_connected();
    // The last failure left the connection dead; the next statement reconnects first.
    bool session_lost() const { return lost; }

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
    // Commit and rollback never reconnect: a fresh session would hide the loss of the change.
    bool refuse_when_unusable();
    bool reopen();
    QString unusable_text() const;

    QString name;
    QString connect_error;
    bool change_pending = false;
    bool connect_attempted = false;
    bool lost = false;
};

// The DSN, user and password inside "ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'".
struct connect_settings {
    QString dsn;
    QString uid;
    QString pwd;
};
connect_settings parse_connect_string(const QString& dbparm);
