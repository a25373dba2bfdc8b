#pragma once
// A connection of its own to an ODBC data source, for the command-line tool: it runs outside the
// program, with no window and no session of the program's.

#include <QString>
#include <optional>
#include <sql.h>

#include "odbc_connection.h"
#include "odbc_error.h"

class odbc_session {
public:
    odbc_session() = default;
    ~odbc_session();
    odbc_session(const odbc_session&) = delete;
    odbc_session& operator=(const odbc_session&) = delete;

    // Connects to the data source as the program does (user mirt), unless the data source names
    // a user of its own. Nothing on success.
    std::optional<store_error> open(const QString& data_source);

    odbc_connection& connection() { return link; }

    // One transaction from begin() to commit() or rollback(); outside it every statement
    // commits on its own.
    std::optional<store_error> begin();
    std::optional<store_error> commit();
    void rollback();

private:
    std::optional<store_error> end(SQLSMALLINT completion);

    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    odbc_connection link;
};
