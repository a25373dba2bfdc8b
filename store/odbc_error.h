#pragma once
// What the database said about a failed ODBC call: its SQLSTATE and its messages.

#include <QString>
#include <sql.h>

struct store_error {
    QString sqlstate; // of the first diagnostic record; empty when the driver gave none
    QString text;     // the database's messages, then what the program was doing
    // The user stopped waiting for a statement that still runs on the connection.
    bool connection_left = false;

    // The failure itself says the connection is gone: SQLSTATE class 08 (connection exception),
    // or the server ending the session (57P01 administrator shutdown, 57P02 crash shutdown,
    // 57P03 cannot connect now); or the connection was left to a statement still running.
    bool connection_lost() const;
};

// Collects the diagnostic records of a handle. `what` names the call that failed ("Unable to
// execute statement"); it follows the database's messages, as Qt's own drivers word it.
store_error odbc_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle, const QString& what);
