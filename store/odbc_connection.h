#pragma once
// The ODBC connection that statements run on, keeping one statement handle between statements:
// allocating and freeing a handle costs the drivers more than running a short statement.

#include <chrono>
#include <memory>
#include <optional>
#include <sql.h>
#include <vector>

#include "statement_wait.h"

class odbc_connection {
public:
    odbc_connection() = default;
    explicit odbc_connection(SQLHDBC handle) : dbc(handle) {}
    ~odbc_connection() { reset(); }
    odbc_connection(const odbc_connection&) = delete;
    odbc_connection& operator=(const odbc_connection&) = delete;

    SQLHDBC handle() const { return dbc; }

    // What the driver says of itself, asked once per connection.
    bool sqlite();
    // SQLGetData may read a column that is also bound (SQL_GD_BOUND).
    bool reads_bound_columns();

    // Frees the kept statement handle and points at another connection (none by default). Called
    // before the connection it points at closes: a handle must not outlive its connection.
    void reset(SQLHDBC handle = SQL_NULL_HDBC);

    // How statements on this connection wait for the database (none: they run where called).
    void set_wait(const statement_wait* how) { wait = how; }
    const statement_wait* waits_with() const { return wait; }

    // A statement the user stopped waiting for goes on in the driver with its handle; nothing else
    // may use the connection until it returns. busy() tells, and frees the handle once it returned.
    void leave_running(std::shared_ptr<driver_call> call, SQLHSTMT statement);
    bool busy();
    // Gives up the connection while a statement left running still works on it: hands over that
    // statement's call and every statement handle, unfreed, and points at no connection.
    struct running {
        std::shared_ptr<driver_call> call;
        std::vector<SQLHSTMT> statements;
    };
    running release_running();
    // Waits up to `limit` for a statement left running to return (before the connection closes).
    bool settle(std::chrono::milliseconds limit);

    // A statement handle: the kept one, or a new one (SQL_NULL_HSTMT when the driver gives none,
    // its diagnostics then on the connection).
    SQLHSTMT take_statement();
    // Takes a statement back when it is done: its cursor closed, its columns and values unbound,
    // it is kept for the next statement; a second one is freed.
    void give_back(SQLHSTMT statement);

private:
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT kept = SQL_NULL_HSTMT;
    std::optional<bool> is_sqlite;
    std::optional<bool> bound_reads;
    const statement_wait* wait = nullptr;
    std::shared_ptr<driver_call> left_call;
    SQLHSTMT left_statement = SQL_NULL_HSTMT;
};
