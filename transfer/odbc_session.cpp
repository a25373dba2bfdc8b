#include "odbc_session.h"

#include <odbcinst.h>
#include <sqlext.h>

namespace {

// The data source's own setting, empty when it has none.
QString dsn_setting(const QString& data_source, const char* key)
{
    char value[256] = {};
    SQLGetPrivateProfileString(data_source.toUtf8().constData(), key, "", value, int(sizeof value), "odbc.ini");
    return QString::fromUtf8(value);
}

} // namespace

odbc_session::~odbc_session()
{
    link.reset();
    if (connected)
        SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (environment != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, environment);
}

std::optional<store_error> odbc_session::open(const QString& data_source)
{
    if (data_source.contains(u';') || data_source.contains(u'='))
        return store_error{QString(), QStringLiteral("A data source name holds no ';' or '='.")};
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))
        || !SQL_SUCCEEDED(
            SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
        return store_error{QString(), QStringLiteral("The ODBC driver manager cannot be used.")};
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment, &dbc)))
        return odbc_diagnostics(SQL_HANDLE_ENV, environment, QStringLiteral("Unable to allocate connection"));

    // The data source's name as it stands: the driver manager takes it so, without braces.
    QString text = QStringLiteral("DSN=") + data_source;
    const bool own_user = !dsn_setting(data_source, "UID").isEmpty() || !dsn_setting(data_source, "Username").isEmpty()
                          || !dsn_setting(data_source, "User").isEmpty();
    if (!own_user)
        text += QStringLiteral(";UID=mirt;PWD=mirt");
    const SQLRETURN result =
        SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text.utf16())),
                          SQLSMALLINT(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(result))
        return odbc_diagnostics(SQL_HANDLE_DBC, dbc, QStringLiteral("Unable to connect"));
    connected = true;
    link.reset(dbc);
    return std::nullopt;
}

std::optional<store_error> odbc_session::begin()
{
    if (!SQL_SUCCEEDED(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                                         SQL_IS_UINTEGER)))
        return odbc_diagnostics(SQL_HANDLE_DBC, dbc, QStringLiteral("Unable to begin a transaction"));
    return std::nullopt;
}

std::optional<store_error> odbc_session::end(SQLSMALLINT completion)
{
    std::optional<store_error> failure;
    if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, completion)))
        failure = odbc_diagnostics(SQL_HANDLE_DBC, dbc,
                                   completion == SQL_COMMIT ? QStringLiteral("Unable to commit transaction")
                                                            : QStringLiteral("Unable to roll back transaction"));
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    return failure;
}

std::optional<store_error> odbc_session::commit() { return end(SQL_COMMIT); }

void odbc_session::rollback() { end(SQL_ROLLBACK); }
