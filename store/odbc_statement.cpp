#include "odbc_statement.h"

#include <sqlext.h>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR holds UTF-16");

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
    bound_value& value = values.emplace_back();
    value.number = number;
}

void odbc_statement::bind(std::int64_t number)
{
    bound_value& value = values.emplace_back();
    value.big_number = number;
    value.is_big = true;
}

void odbc_statement::bind_nullable(const QString& text)
{
    bind(text);
    values.back().is_null = text.isNull();
}

void odbc_statement::bind(const QString& text)
{
    bound_value& value = values.emplace_back();
    value.text = text.isNull() ? QStringLiteral("") : text;
    value.is_text = true;
}

bool odbc_statement::execute(const QString& text)
{
    if (!allocated())
        return false;
    SQLUSMALLINT position = 0;
    for (bound_value& value : values) {
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
    const SQLRETURN result = SQLExecDirectW(
        statement, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16())), SQLINTEGER(text.size()));
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA)
        return fail(SQL_HANDLE_STMT, statement, "Unable to execute statement");
    return true;
}

bool odbc_statement::execute_narrow(const QByteArray& text)
{
    if (!allocated())
        return false;
    const SQLRETURN result = SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.constData())),
                                           SQLINTEGER(text.size()));
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA)
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
