#include "transaction.h"

#include <QRegularExpression>
#include <sqlext.h>
#include <utility>

#include "durable_commits.h"
#include "given_up_connection.h"
#include "odbc_statement.h"
#include "read_only_open.h"
#include "session_identity.h"
#include "session_limits.h"

namespace {

// The driver's own flag for a connection it found gone. Read from the driver's state, no round
// trip; a driver that cannot tell is taken to be connected.
bool driver_says_dead(SQLHDBC connection)
{
    if (connection == SQL_NULL_HDBC)
        return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN result = SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return SQL_SUCCEEDED(result) && dead == SQL_CD_TRUE;
}

// A call whose waiter must see it end: it works on what the session owns.
class held_call final : public driver_call {
public:
    explicit held_call(const std::function<void()>& run) : work(run) {}

protected:
    void perform() override { work(); }

private:
    const std::function<void()>& work;
};

// SQLEndTran: it holds only the connection's handle, so the user may stop waiting for it; the
// connection then stays with it until it returns.
class ending final : public driver_call {
public:
    ending(SQLHDBC handle, SQLSMALLINT how) : connection(handle), completion(how) {}
    bool may_be_left() const override { return true; }
    SQLRETURN result = SQL_ERROR;

protected:
    void perform() override { result = SQLEndTran(SQL_HANDLE_DBC, connection, completion); }

private:
    SQLHDBC connection;
    SQLSMALLINT completion;
};

} // namespace

connect_settings parse_connect_string(const QString& dbparm)
{
    connect_settings settings;
    static const QRegularExpression quoted(QStringLiteral("ConnectString\\s*=\\s*'([^']*)'"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = quoted.match(dbparm);
    const QString inner = match.hasMatch() ? match.captured(1) : QString();
    for (const QString& part : inner.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = part.left(equals).trimmed().toUpper();
        const QString value = part.mid(equals + 1);
        if (key == QLatin1String("DSN"))
            settings.dsn = value;
        else if (key == QLatin1String("UID"))
            settings.uid = value;
        else if (key == QLatin1String("PWD"))
            settings.pwd = value;
    }
    return settings;
}

transaction::transaction(QString connection_name) : name(std::move(connection_name)) { link.set_wait(&wait); }

void transaction::run_waiting(const std::function<void()>& work) { wait_for(&wait, std::make_shared<held_call>(work)); }

transaction::~transaction() { disconnect(); }

void transaction::connect()
{
    connect_attempted = true;
    lost = false;
    given_up = false;
    change_pending = false;
    const connect_settings settings = parse_connect_string(DBParm);
    read_only.reset();
    link.reset();
    connect_string = odbc_connect_string(settings.dsn, settings.uid, settings.pwd);
    std::optional<store_error> error;
    run_waiting([&] { error = session.open(connect_string); });
    if (error) {
        connect_error = error->text;
        report_failure(connect_error);
        return;
    }
    connect_error.clear();
    link.reset(session.handle());
    // Reads run on their own until a change opens a transaction.
    set_driver_autocommit(true);
    note_database();
    if (!open_read_only(settings))
        return;
    prepare_session();
    report_success();
}

bool transaction::open_read_only(const connect_settings& settings)
{
    read_only = sqlite ? read_only_open::check(database_file) : std::nullopt;
    if (!read_only || read_only->connect_attributes.isEmpty())
        return true;
    link.reset();
    // A reconnection opens the database read-only again.
    connect_string = odbc_connect_string(settings.dsn + read_only->connect_attributes, settings.uid, settings.pwd);
    std::optional<store_error> error;
    run_waiting([&] { error = session.open(connect_string); });
    if (error) {
        connect_error = error->text;
        report_failure(connect_error);
        return false;
    }
    link.reset(session.handle());
    set_driver_autocommit(true);
    note_database();
    return true;
}

void transaction::disconnect()
{
    if (session.is_open()) {
        // A statement the user stopped waiting for may still be on its way back; one that does
        // not come back soon takes its connection with it.
        link.settle(std::chrono::seconds(2));
        if (link.busy()) {
            give_up_connection();
        } else {
            // Leave nothing pending: SQLite keeps its file locked by an open transaction.
            SQLEndTran(SQL_HANDLE_DBC, odbc_handle(), SQL_ROLLBACK);
            link.reset();
            session.close();
        }
    }
    connect_string.clear();
    change_pending = false;
}

bool transaction::connected() const { return session.is_open(); }

SQLHDBC transaction::odbc_handle() const { return link.handle(); }

void transaction::set_driver_autocommit(bool on)
{
    // Only a flag in the drivers: psqlODBC and the SQLite driver open the transaction with the
    // next statement.
    SQLSetConnectAttr(odbc_handle(), SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
                      SQL_IS_UINTEGER);
}

odbc_connection* transaction::statement_connection()
{
    // Nothing else may use the connection, nor close it, until the statement left running on it
    // returns, which may be never: the session goes on without it.
    if (link.busy())
        give_up_connection();
    if (link.handle() != SQL_NULL_HDBC && !lost)
        return &link;
    // One attempt per statement, and only for a session the program connected: a change still
    // pending on a lost connection must first be reported by its commit or rollback.
    if (connect_attempted && !change_pending && reopen())
        return &link;
    report_failure(unusable_text());
    return nullptr;
}

bool transaction::reopen()
{
    if (connect_string.isEmpty())
        return false;
    // Closing frees the old ODBC connection: no statement may hold its handle across this.
    link.reset();
    std::optional<store_error> error;
    run_waiting([&] { error = session.open(connect_string); });
    if (error) {
        connect_error = error->text;
        lost = false; // now simply not connected; the next statement tries again
        given_up = false;
        return false;
    }
    connect_error.clear();
    lost = false;
    given_up = false;
    change_pending = false;
    link.reset(session.handle());
    set_driver_autocommit(true);
    note_database();
    prepare_session();
    return true;
}

void transaction::give_up_connection()
{
    odbc_connection::running left = link.release_running();
    const auto [environment, connection] = session.release();
    given_up_connection::close_when_done({std::move(left.call), std::move(left.statements), connection, environment});
    lost = true;
    given_up = true;
}

void transaction::prepare_session()
{
    // The server's history of the entries records who changed them.
    session_identity::identify(link);
    // A commit reported done is on disk, whatever the data source says.
    durable_commits::require(link);
    session_limits::apply(link);
}

void transaction::refuse(const QString& why)
{
    disconnect();
    // Not reopened by the next statement: every one reports why.
    connect_attempted = false;
    connect_error = why;
    report_failure(why);
}

void transaction::note_database()
{
    const SQLHDBC connection = odbc_handle();
    sqlite = is_sqlite(connection);
    database_file = sqlite ? sqlite_database_file(connection) : QString();
    if (sqlite && read_only)
        database_file = read_only->file; // the driver names the read-only opening's URI
    database_file_identity = identify_file(database_file);
}

bool transaction::database_file_kept() const
{
    if (!sqlite || !database_file_identity)
        return true;
    return identify_file(database_file) == database_file_identity;
}

void transaction::run_read(const std::function<void(odbc_connection&)>& read)
{
    for (int attempt = 1;; ++attempt) {
        odbc_connection* connection = statement_connection();
        if (connection == nullptr)
            return;
        read(*connection);
        // A read lost with its connection is worth one more try on a new one; a read inside a
        // pending change is not (the change died with the connection).
        if (SQLCode >= 0 || !lost || cancelled || change_pending || attempt > 1)
            return;
    }
}

odbc_connection* transaction::begin_change()
{
    if (read_only) {
        report_failure(read_only_open::refusal(read_only->file));
        return nullptr;
    }
    odbc_connection* connection = statement_connection();
    if (connection != nullptr && !AutoCommit && !change_pending)
        set_driver_autocommit(false);
    return connection;
}

void transaction::change_succeeded()
{
    if (!AutoCommit)
        change_pending = true;
    report_success();
}

void transaction::change_failed(const store_error& error)
{
    report_failure(error);
    if (lost || !connected() || AutoCommit) {
        // Nothing to undo here: the server threw the lost connection's work away.
        change_pending = lost && change_pending;
        return;
    }
    const long code = SQLCode;
    const QString text = SQLErrText;
    end_failed_transaction();
    change_pending = false;
    SQLCode = code;
    SQLErrText = text;
}

void transaction::end_failed_transaction()
{
    // A database that gave up the transaction itself (SQLite on a full disk) refuses the rollback
    // too, and its driver may still think a transaction is open: it would then let every later
    // statement commit on its own. Only a new connection is sure to be in a known state.
    if (end_transaction(SQL_ROLLBACK) || end_driver_transaction())
        set_driver_autocommit(true);
    else
        lost = true;
}

bool transaction::end_driver_transaction()
{
    // The SQLite driver keeps its own note of an open transaction, which only a rollback that
    // succeeds clears (until then it can neither start a transaction nor disconnect). A
    // transaction begun by hand gives that rollback something to end.
    if (!sqlite)
        return false;
    {
        odbc_statement begin(link);
        if (!begin.execute(QStringLiteral("BEGIN")))
            return false;
    }
    return SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, odbc_handle(), SQL_ROLLBACK));
}

bool transaction::end_transaction(SQLSMALLINT completion)
{
    const SQLHDBC connection = odbc_handle();
    const auto call = std::make_shared<ending>(connection, completion);
    if (wait_for(&wait, call) == wait_outcome::left) {
        link.leave_running(call, SQL_NULL_HSTMT);
        lost = true;
        report_failure(completion == SQL_COMMIT
                           ? QStringLiteral("The commit was cancelled by the user before the database answered; "
                                            "whether the change was stored is not known.")
                           : QStringLiteral("The rollback was cancelled by the user before the database answered."));
        return false;
    }
    if (SQL_SUCCEEDED(call->result))
        return true;
    report_failure(odbc_diagnostics(SQL_HANDLE_DBC, connection,
                                    completion == SQL_COMMIT ? QStringLiteral("Unable to commit transaction")
                                                             : QStringLiteral("Unable to roll back transaction")));
    return false;
}

void transaction::commit()
{
    if (link.busy())
        give_up_connection(); // the change waits behind a statement that may never return
    if (!connected() || lost) {
        // A change pending on a lost connection is gone with it: say so, never success.
        const bool had_change = change_pending;
        change_pending = false;
        if (had_change && given_up)
            report_failure(unusable_text() + QStringLiteral(" The change was not stored."));
        else if (had_change || (!connected() && !lost))
            report_failure(unusable_text());
        else
            report_success();
        return;
    }
    if (change_pending && !database_file_kept()) {
        // Committing would store the change in a file nobody will open again.
        const QString text = QStringLiteral("The database file %1 was removed or replaced while the program was "
                                            "running. The change was not stored.")
                                 .arg(database_file);
        if (end_transaction(SQL_ROLLBACK))
            set_driver_autocommit(true);
        change_pending = false;
        report_failure(text);
        lost = true; // the next statement opens the data source's file as it is now
        return;
    }
    const bool committed = end_transaction(SQL_COMMIT);
    change_pending = false;
    if (committed) {
        set_driver_autocommit(true);
        report_success();
        return;
    }
    if (lost)
        return;
    // The database refused the commit (a deferred check, a busy file): make sure the refused
    // change is not committed later with another one, keeping the report of the refusal.
    const long code = SQLCode;
    const QString text = SQLErrText;
    end_failed_transaction();
    SQLCode = code;
    SQLErrText = text;
}

void transaction::rollback()
{
    if (!connected() || lost) {
        change_pending = false;
        if (!lost)
            report_failure(unusable_text());
        else
            report_success(); // the server has thrown the lost connection's work away already
        return;
    }
    const bool rolled_back = end_transaction(SQL_ROLLBACK);
    change_pending = false;
    if (rolled_back) {
        set_driver_autocommit(true);
        report_success();
    }
}

void transaction::report_success(long code)
{
    cancelled = false;
    SQLCode = code;
    SQLErrText.clear();
}

void transaction::report_failure(const store_error& error)
{
    report_failure(error.text);
    cancelled = error.sqlstate == QLatin1String("HY008");
    if (!lost && (error.connection_lost() || driver_says_dead(odbc_handle())))
        lost = true;
}

void transaction::report_failure(const QString& text)
{
    SQLCode = failure;
    SQLErrText = text;
}

QString transaction::unusable_text() const
{
    if (lost && given_up)
        return QStringLiteral("The database did not answer after the statement was cancelled, so the program "
                              "stopped using that connection.");
    if (lost)
        return QStringLiteral("The connection to the database was lost.");
    return connect_error.isEmpty() ? QStringLiteral("Not connected to the database.") : connect_error;
}
