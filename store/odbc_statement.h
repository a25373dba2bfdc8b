#pragma once
// One ODBC statement on a connection: taken from the connection when made, handed back when it
// goes out of scope on every path. Values are bound in the order of the text's "?" markers; a failure leaves the
// driver's diagnostics in error().

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <sql.h>

#include "odbc_connection.h"
#include "odbc_error.h"

class odbc_statement {
public:
    // Takes a statement handle from the connection; allocated() tells whether the driver gave
    // one. The connection must outlive the statement.
    explicit odbc_statement(odbc_connection& connection);
    ~odbc_statement();
    odbc_statement(const odbc_statement&) = delete;
    odbc_statement& operator=(const odbc_statement&) = delete;

    bool allocated() const { return statement != SQL_NULL_HSTMT; }

    // The next marker's value. A null QString binds as the empty text: entries keep "" as typed.
    void bind(std::int32_t number);
    void bind(std::int64_t number);
    void bind(const QString& text);
    // The same, except that a null QString binds as NULL.
    void bind_nullable(const QString& text);

    // Runs the text with the values bound so far. "No data" (an update or delete that met no
    // row) is a success.
    bool execute(const QString& text);
    // The same for a text in the encoding of the process's locale, through the narrow entry
    // point (no values bound).
    bool execute_narrow(const QByteArray& text);

    enum class fetched { row, end, failed };
    fetched fetch();
    // Fetches every row and hands each to `row`, which reads its columns (false: it failed). No
    // value when the rows ran out; otherwise the driver's error.
    std::optional<store_error> each_row(const std::function<bool(odbc_statement&)>& row);

    // Column values of the current row (1-based columns). False when the driver failed.
    bool number(SQLUSMALLINT column, std::optional<std::int64_t>& value);
    bool text(SQLUSMALLINT column, QString& value);

    const store_error& error() const { return last_error; }
    SQLHSTMT handle() const { return statement; }

private:
    bool fail(SQLSMALLINT handle_type, SQLHANDLE handle, const char* what);
    bool bind_values();
    // Runs SQLExecDirect through the connection's wait.
    bool run(QString text, QByteArray narrow);

    struct bound_value {
        QString text;
        SQLINTEGER number = 0;
        SQLBIGINT big_number = 0;
        SQLLEN indicator = 0;
        bool is_text = false;
        bool is_null = false;
        bool is_big = false;
    };

    odbc_connection& connection;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    // A deque keeps each value where the driver was told it is while more are added; shared with
    // a statement left running, which the driver may still read from.
    std::shared_ptr<std::deque<bound_value>> values = std::make_shared<std::deque<bound_value>>();
    store_error last_error;
};
