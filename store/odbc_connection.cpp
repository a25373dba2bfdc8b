#include "odbc_connection.h"

#include <sqlext.h>

#include "database_kind.h"

void odbc_connection::reset(SQLHDBC handle)
{
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
