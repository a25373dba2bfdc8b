#include "odbc_statement.h"

#include <sqlext.h>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR holds UTF-16");

namespace {

// SQLExecDirect on a statement, holding its text and bound values for as long as it runs.
class execution final : public driver_call {
public:
    execution(SQLHSTMT handle, bool cancellable, std::shared_ptr<const void> values, QString text, QByteArray narrow)
        : statement(handle), may_cancel(cancellable), bound(std::move(values)), wide_text(std::move(text)),
          narrow_text(std::move(narrow))
    {
    }
    bool may_be_left() const override { return true; }
    void cancel() override
    {
        if (may_cancel)
            SQLCancel(statement);
    }
    SQLRETURN result = SQL_ERROR;

protected:
    void perform() override
    {
        if (narrow_text.isNull())
            result =
                SQLExecDirectW(statement, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(wide_text.utf16())),
                               SQLINTEGER(wide_text.size()));
        else
            result = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(narrow_text.constData())),
                                   SQLINTEGER(narrow_text.size()));
    }

private:
    SQLHSTMT statement;
    bool may_cancel;
    std::shared_ptr<const void> bound;
    QString wide_text;
    QByteArray narrow_text;
};

store_error cancelled_error(const store_error& driver_said, bool left)
{
    store_error error;
    error.sqlstate = QStringLiteral("HY008");
    error.connection_left = left;
    error.text = QStringLiteral("The statement was cancelled by the user.");
    if (!left && !driver_said.text.isEmpty())
        error.text += QLatin1Char(' ') + driver_said.text;
    return error;
}

} // namespace

odbc_statement::odbc_statement(odbc_connection& on) : connection(on), statement(on.take_statement())
{
    if (statement == SQL_NULL_HSTMT)
        fail(SQL_HANDLE_DBC, connection.handle(), "Unable to allocate statement");
}

odbc_statement::~odbc_statement() { connection.give_back(statement); }

bool odbc_statement::fail(SQLSMALLINT handle_type, SQLHANDLE handle, const char* what)
{
    last_error = odbc_diagnostics(handle_type, handle, QString::fromLatin1(what));
    return false;
}

void odbc_statement::bind(std::int32_t number)
{
    bound_value& value = values->emplace_back();
    value.number = number;
}

void odbc_statement::bind(std::int64_t number)
{
    bound_value& value = values->emplace_back();
    value.big_number = number;
    value.is_big = true;
}

void odbc_statement::bind_nullable(const QString& text)
{
    bind(text);
    values->back().is_null = text.isNull();
}

void odbc_statement::bind(const QString& text)
{
    bound_value& value = values->emplace_back();
    value.text = text.isNull() ? QStringLiteral("") : text;
    value.is_text = true;
}

bool odbc_statement::execute(const QString& text)
{
    if (!allocated() || !bind_values())
        return false;
    return run(text, QByteArray());
}

bool odbc_statement::bind_values()
{
    SQLUSMALLINT position = 0;
    for (bound_value& value : *values) {
        ++position;
        SQLRETURN bound = SQL_ERROR;
        if (value.is_text) {
            value.indicator = value.is_null ? SQL_NULL_DATA : SQLLEN(value.text.size()) * SQLLEN(sizeof(SQLWCHAR));
            // Long texts go as long varchar, which every driver takes at any length.
            bound = SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                     value.text.size() > 254 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, 0, 0,
                                     const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(value.text.utf16())),
                                     value.is_null ? 0 : value.indicator, &value.indicator);
        } else if (value.is_big) {
            bound = SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                     &value.big_number, 0, &value.indicator);
        } else {
            bound = SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                     &value.number, 0, &value.indicator);
        }
        if (!SQL_SUCCEEDED(bound))
            return fail(SQL_HANDLE_STMT, statement, "Unable to bind variable");
    }
    return true;
}

bool odbc_statement::execute_narrow(const QByteArray& text)
{
    if (!allocated())
        return false;
    // Never null, so that the execution takes the narrow entry point.
    return run(QString(), text.isNull() ? QByteArray("") : text);
}

bool odbc_statement::run(QString text, QByteArray narrow)
{
    // The SQLite driver's SQLCancel also closes the statement, under the thread that runs it; its
    // waits end with the data source's busy timeout anyway.
    const auto call =
        std::make_shared<execution>(statement, !connection.sqlite(), values, std::move(text), std::move(narrow));
    switch (wait_for(connection.waits_with(), call)) {
    case wait_outcome::returned:
        break;
    case wait_outcome::cancelled:
        fail(SQL_HANDLE_STMT, statement, "Unable to execute statement");
        last_error = cancelled_error(last_error, false);
        return false;
    case wait_outcome::left:
        // The driver still works on the handle: it goes with the call, and the connection waits
        // for it before anything else runs there.
        connection.leave_running(call, statement);
        statement = SQL_NULL_HSTMT;
        last_error = cancelled_error({}, true);
        return false;
    }
    if (!SQL_SUCCEEDED(call->result) && call->result != SQL_NO_DATA)
        return fail(SQL_HANDLE_STMT, statement, "Unable to execute statement");
    return true;
}

odbc_statement::fetched odbc_statement::fetch()
{
    const SQLRETURN result = SQLFetch(statement);
    if (result == SQL_NO_DATA)
        return fetched::end;
    if (!SQL_SUCCEEDED(result)) {
        fail(SQL_HANDLE_STMT, statement, "Unable to fetch next");
        return fetched::failed;
    }
    return fetched::row;
}

std::optional<store_error> odbc_statement::each_row(const std::function<bool(odbc_statement&)>& row)
{
    for (;;) {
        switch (fetch()) {
        case fetched::failed:
            return last_error;
        case fetched::end:
            return std::nullopt;
        case fetched::row:
            break;
        }
        if (!row(*this))
            return last_error;
    }
}

bool odbc_statement::number(SQLUSMALLINT column, std::optional<std::int64_t>& value)
{
    SQLBIGINT number = 0;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement, column, SQL_C_SBIGINT, &number, 0, &indicator)))
        return fail(SQL_HANDLE_STMT, statement, "Unable to fetch next");
    value = indicator == SQL_NULL_DATA ? std::nullopt : std::optional<std::int64_t>(number);
    return true;
}

bool odbc_statement::text(SQLUSMALLINT column, QString& value)
{
    // Read straight into the value. A driver converts a long text anew from its start at every
    // call, so after the first piece the rest comes in one call when the driver tells its length,
    // and in pieces that double otherwise: linear time either way.
    qsizetype size = 0;
    qsizetype piece = 2048; // code units, the terminator included
    bool null = true;
    for (;;) {
        value.resize(size + piece);
        SQLLEN length = 0;
        const SQLRETURN result = SQLGetData(statement, column, SQL_C_WCHAR, value.data() + size,
                                            SQLLEN(piece) * SQLLEN(sizeof(char16_t)), &length);
        if (result == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(result)) {
            value.clear();
            return fail(SQL_HANDLE_STMT, statement, "Unable to fetch next");
        }
        if (length == SQL_NULL_DATA)
            break;
        null = false;
        const bool known = length != SQL_NO_TOTAL;
        const qsizetype rest = known ? qsizetype(length / SQLLEN(sizeof(char16_t))) : 0; // before this call
        if (result == SQL_SUCCESS || (known && rest < piece)) {
            size += rest;
            break;
        }
        size += piece - 1; // the rest of a full piece is its terminator
        piece = known ? rest - (piece - 1) + 1 : piece * 2;
    }
    value.resize(size);
    // A null column reads as a null QString, an empty one as "".
    if (null)
        value = QString();
    else if (value.isNull())
        value = QStringLiteral("");
    return true;
}
