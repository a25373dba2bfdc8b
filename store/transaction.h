#pragma once
// `sqlca`: the one database session of the program, on an ODBC connection of its own (unixODBC);
// statements, commits and rollbacks run straight on its handle. After every statement
// SQLCode tells the outcome (0 success, 100 no more rows, -1 failure) and SQLErrText holds the
// database's message.
//
// With AutoCommit false, a change (update, insert, delete) opens a transaction that only
// commit() or rollback() ends. A read while no change waits runs on its own, so no idle
// transaction keeps locks on a shared server or holds a SQLite file, and it costs no extra
// exchange with the server.
//
// The session survives a database that goes away and comes back. A failure that says the
// connection is gone (by its SQLSTATE, or the driver's own flag) marks the session lost, and
// the next statement runs on a new connection. A read that failed that way runs once more on a
// new connection; a change never does: a change pending on the lost connection is reported by
// its commit or rollback before anything else may run.
//
// A statement that does not stop when the user cancels it (a server process that never answers
// again) keeps its connection busy: the next statement gives that connection up, to be closed
// off the window's thread whenever the statement returns (given_up_connection.h), and runs on a
// new one; a change pending on it counts as not stored.
//
// A SQLite file can be deleted or replaced under a running program; the connection then goes on
// writing to a file that is gone. So before a change is committed on SQLite, the data source's
// file must still be the file the connection opened; otherwise the change is rolled back, its
// loss reported, and the next statement opens the data source afresh.

#include <QString>
#include <functional>
#include <optional>
#include <sql.h>

#include "database_kind.h"
#include "odbc_connection.h"
#include "odbc_error.h"
#include "odbc_link.h"
#include "read_only_open.h"
#include "statement_wait.h"

struct connect_settings;

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

    // How the session waits for the database (statement_wait.h); none: every call simply runs.
    void wait_with(statement_wait how) { wait = std::move(how); }

    // Connects with the data source, user and password of the ConnectString in DBParm.
    void connect();
    void disconnect();
    bool connected() const;
    // Closes the connection for good: the database must not be used (a damaged file). Every
    // statement then fails with `why`.
    void refuse(const QString& why);

    // End the pending change. Each sets SQLCode to its own outcome.
    void commit();
    void rollback();

    // What the last statement came to, for the windows.
    bool succeeded() const { return SQLCode == success; }
    bool failed() const { return SQLCode < 0; }

    // Runs a read. `read` gets the connection and reports through report_success() or
    // report_failure(). When the connection was lost and no change waits, it runs once more on a
    // new connection.
    void run_read(const std::function<void(odbc_connection&)>& read);

    // The connection for a change, inside a transaction; nullptr (with SQLCode and
    // SQLErrText set) when no statement can run. Then exactly one of change_succeeded() or
    // change_failed().
    odbc_connection* begin_change();
    void change_succeeded();
    // Rolls back whatever the failed change may have left, keeping its error report.
    void change_failed(const store_error& error);

    // Outcome bookkeeping for the statements: sets SQLCode and SQLErrText.
    void report_success(long code = success);
    void report_failure(const store_error& error);

    // The ODBC handle of the session, for the driver's own questions (name, settings). Not for
    // running statements: those go through run_read() and begin_change().
    SQLHDBC odbc_handle() const;
    const QString& connection_name() const { return name; }
    // The last failure showed the connection gone; the next statement opens a new one.
    bool session_lost() const { return lost; }
    // The database can lock the rows a change reads (SELECT ... FOR UPDATE); SQLite cannot, its
    // write transactions are serialised instead.
    bool locks_rows() const { return !sqlite; }

private:
    // The ODBC connection for the next statement: opens a missing or lost connection again
    // (one attempt) unless a change still waits on the lost one. nullptr when none.
    odbc_connection* statement_connection();
    bool reopen();
    // Opens the connection again, read-only, when the SQLite file it reached is read-only for
    // this user (read_only_open.h); false (reported) when that fails.
    bool open_read_only(const connect_settings& settings);
    // Settings of a new connection: who works in it (session_identity.h), durable commits on
    // SQLite (durable_commits.h), bounded waits (session_limits.h).
    void prepare_session();
    void set_driver_autocommit(bool on);
    // SQLEndTran; false (with the failure reported) when it failed.
    bool end_transaction(SQLSMALLINT completion);
    // Rolls back after a failed change or commit; when even that fails, the next statement runs
    // on a new connection.
    void end_failed_transaction();
    // Clears the SQLite driver's note of a transaction that the database itself has ended.
    bool end_driver_transaction();
    // Hands the busy connection to given_up_connection and marks the session lost.
    void give_up_connection();
    // Runs a driver call through the wait; the call must not be left (it holds references).
    void run_waiting(const std::function<void()>& work);
    void report_failure(const QString& text);
    QString unusable_text() const;
    // Notes which database the new connection reaches (and, for SQLite, which file).
    void note_database();
    // The SQLite file the connection opened is still the data source's file (always true for
    // other databases, and when the driver names no file).
    bool database_file_kept() const;

    statement_wait wait;
    QString name;
    // The ODBC environment and connection; the connect string of the last connect(), empty
    // after disconnect(): a session the program closed is not opened again by a statement.
    odbc_link session;
    QString connect_string;
    QString connect_error;
    bool change_pending = false;
    bool connect_attempted = false;
    bool lost = false;
    // The lost connection was given up with a statement still running on it.
    bool given_up = false;
    // The last failure was a statement the user cancelled: it is not run again.
    bool cancelled = false;
    // The ODBC connection while one is open, with the statement handle kept between statements.
    odbc_connection link;
    bool sqlite = false;
    QString database_file;
    std::optional<file_identity> database_file_identity;
    // The data source's database was opened read-only: changes are refused without a try.
    std::optional<read_only_open::database> read_only;
};

// The DSN, user and password inside "ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'".
struct connect_settings {
    QString dsn;
    QString uid;
    QString pwd;
};
connect_settings parse_connect_string(const QString& dbparm);
