#pragma once
// The ODBC environment and connection the program's session lives on, opened with the driver
// manager (unixODBC) directly: SQLDriverConnect with a connect string, no prompt.

#include <QString>
#include <optional>
#include <sql.h>
#include <utility>

#include "odbc_error.h"

class odbc_link {
public:
    odbc_link() = default;
    ~odbc_link() { close(); }
    odbc_link(const odbc_link&) = delete;
    odbc_link& operator=(const odbc_link&) = delete;

    // Connects; a connection still open is closed first. On failure nothing stays open and the
    // error holds the driver's messages, then "Unable to connect".
    std::optional<store_error> open(const QString& connect_string);
    // Rolls back what is pending, disconnects and frees both handles.
    void close();

    // Hands the handles over as they are (open or not), leaving this link closed.
    std::pair<SQLHENV, SQLHDBC> release();

    bool is_open() const { return dbc != SQL_NULL_HDBC; }
    SQLHDBC handle() const { return dbc; }

private:
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
};

// "DSN=name;UID=user;PWD=password", the user and password left out when empty.
QString odbc_connect_string(const QString& dsn, const QString& uid, const QString& pwd);
