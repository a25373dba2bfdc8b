#include "odbc_link.h"

#include <sqlext.h>

std::optional<store_error> odbc_link::open(const QString& connect_string)
{
    close();
    const QString what = QStringLiteral("Unable to connect");
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
        env = SQL_NULL_HENV;
        return store_error{{}, QStringLiteral("Unable to allocate an ODBC environment. ") + what};
    }
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)),
                  SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        dbc = SQL_NULL_HDBC;
        store_error error = odbc_diagnostics(SQL_HANDLE_ENV, env, what);
        close();
        return error;
    }
    const std::u16string text = connect_string.toStdU16String();
    SQLWCHAR completed[1024] = {};
    SQLSMALLINT completed_length = 0;
    const SQLRETURN result =
        SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.c_str())),
                          static_cast<SQLSMALLINT>(text.size()), completed,
                          static_cast<SQLSMALLINT>(std::size(completed)), &completed_length, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(result)) {
        store_error error = odbc_diagnostics(SQL_HANDLE_DBC, dbc, what);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc); // never connected: nothing to disconnect
        dbc = SQL_NULL_HDBC;
        close();
        return error;
    }
    return std::nullopt;
}

void odbc_link::close()
{
    if (dbc != SQL_NULL_HDBC) {
        // A connection inside a transaction refuses to disconnect and would stay open.
        SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        dbc = SQL_NULL_HDBC;
    }
    if (env != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        env = SQL_NULL_HENV;
    }
}

std::pair<SQLHENV, SQLHDBC> odbc_link::release()
{
    const std::pair<SQLHENV, SQLHDBC> handles{env, dbc};
    env = SQL_NULL_HENV;
    dbc = SQL_NULL_HDBC;
    return handles;
}

QString odbc_connect_string(const QString& dsn, const QString& uid, const QString& pwd)
{
    QString text = QStringLiteral("DSN=") + dsn;
    if (!uid.isEmpty())
        text += QStringLiteral(";UID=") + uid;
    if (!pwd.isEmpty())
        text += QStringLiteral(";PWD=") + pwd;
    return text;
}
