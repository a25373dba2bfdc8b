#include "durable_commits.h"

#include "odbc_statement.h"

namespace durable_commits {

void require(odbc_connection& connection)
{
    if (connection.handle() == SQL_NULL_HDBC || !connection.sqlite())
        return;
    static const QString text = QString::fromUtf16(statement_text);
    odbc_statement statement(connection);
    statement.execute(text);
}

} // namespace durable_commits
