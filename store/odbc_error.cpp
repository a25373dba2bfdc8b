#include "odbc_error.h"

#include <iterator>
#include <sqlext.h>

bool store_error::connection_lost() const
{
    return connection_left || sqlstate.startsWith(QLatin1String("08")) || sqlstate == QLatin1String("57P01")
           || sqlstate == QLatin1String("57P02") || sqlstate == QLatin1String("57P03");
}

store_error odbc_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle, const QString& what)
{
    store_error error;
    QString messages;
    SQLWCHAR sqlstate[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1; SQL_SUCCEEDED(SQLGetDiagRecW(handle_type, handle, record, sqlstate, &native, message,
                                                              SQLSMALLINT(std::size(message)), &length));
         ++record) {
        if (!messages.isEmpty())
            messages += QLatin1Char(' ');
        messages += QString::fromUtf16(reinterpret_cast<const char16_t*>(message));
        if (error.sqlstate.isEmpty())
            error.sqlstate = QString::fromUtf16(reinterpret_cast<const char16_t*>(sqlstate));
    }
    error.text = messages.isEmpty() ? what : messages + QLatin1Char(' ') + what;
    // PostgreSQL's lock_timeout ran out on a row another session holds (lock_not_available).
    if (error.sqlstate == QLatin1String("55P03"))
        error.text = QStringLiteral("Another user is working on this entry right now, so the database keeps it "
                                    "locked. Try again when they are done. (")
                     + error.text + QLatin1Char(')');
    return error;
}
