#include "odbc_connection.h"

#include <sqlext.h>
#include <thread>

#include "database_kind.h"

void odbc_connection::reset(SQLHDBC handle)
{
    // A statement still running keeps its handle: freeing it now would pull it from under the
    // driver. It is given up with its connection.
    busy();
    left_call.reset();
    left_statement = SQL_NULL_HSTMT;
    if (kept != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, kept);
    kept = SQL_NULL_HSTMT;
    dbc = handle;
    is_sqlite.reset();
    bound_reads.reset();
}

bool odbc_connection::sqlite()
{
    if (!is_sqlite)
        is_sqlite = ::is_sqlite(dbc);
    return *is_sqlite;
}

bool odbc_connection::reads_bound_columns()
{
    if (!bound_reads) {
        SQLUINTEGER extensions = 0;
        SQLGetInfo(dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
        bound_reads = (extensions & SQL_GD_BOUND) != 0;
    }
    return *bound_reads;
}

SQLHSTMT odbc_connection::take_statement()
{
    SQLHSTMT statement = kept;
    kept = SQL_NULL_HSTMT;
    if (statement == SQL_NULL_HSTMT && !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement)))
        return SQL_NULL_HSTMT;
    return statement;
}

void odbc_connection::give_back(SQLHSTMT statement)
{
    if (statement == SQL_NULL_HSTMT)
        return;
    const bool reusable = kept == SQL_NULL_HSTMT && SQL_SUCCEEDED(SQLFreeStmt(statement, SQL_CLOSE))
                          && SQL_SUCCEEDED(SQLFreeStmt(statement, SQL_UNBIND))
                          && SQL_SUCCEEDED(SQLFreeStmt(statement, SQL_RESET_PARAMS));
    if (reusable)
        kept = statement;
    else
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

void odbc_connection::leave_running(std::shared_ptr<driver_call> call, SQLHSTMT statement)
{
    left_call = std::move(call);
    left_statement = statement;
}

bool odbc_connection::busy()
{
    if (!left_call)
        return false;
    if (!left_call->finished())
        return true;
    // Returned: nothing runs on the handle any more, and only this thread frees it.
    if (left_statement != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, left_statement);
    left_statement = SQL_NULL_HSTMT;
    left_call.reset();
    return false;
}

odbc_connection::running odbc_connection::release_running()
{
    running given_up{std::move(left_call), {}};
    for (SQLHSTMT statement : {left_statement, kept})
        if (statement != SQL_NULL_HSTMT)
            given_up.statements.push_back(statement);
    left_call.reset();
    left_statement = SQL_NULL_HSTMT;
    kept = SQL_NULL_HSTMT;
    reset();
    return given_up;
}

bool odbc_connection::settle(std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (busy()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
