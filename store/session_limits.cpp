#include "session_limits.h"

#include "database_kind.h"
#include "odbc_statement.h"

namespace session_limits {

void apply(odbc_connection& connection)
{
    if (connection.handle() == SQL_NULL_HDBC || !dbms_name(connection.handle()).startsWith(QLatin1String("PostgreSQL")))
        return;
    static const QString text = QString::fromUtf16(lock_timeout_text);
    odbc_statement statement(connection);
    statement.execute(text);
}

} // namespace session_limits
