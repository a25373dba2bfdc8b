#include "session_identity.h"

#include <pwd.h>
#include <sqlext.h>
#include <unistd.h>
#include <vector>

#include "odbc_statement.h"

namespace session_identity {
namespace {

bool is_postgresql(SQLHDBC connection)
{
    SQLWCHAR name[64] = {};
    SQLSMALLINT bytes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &bytes)))
        return false;
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(name)).startsWith(QLatin1String("PostgreSQL"));
}

} // namespace

QString desktop_user()
{
    // The password database knows the user also where the environment does not say (a service).
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && found->pw_name != nullptr)
        return QString::fromLocal8Bit(found->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("LOGNAME") : user;
}

void identify(SQLHDBC connection)
{
    if (connection == SQL_NULL_HDBC || !is_postgresql(connection))
        return;
    static const QString text = QString::fromUtf16(statement_text);
    odbc_statement statement(connection);
    statement.bind(desktop_user());
    statement.execute(text);
}

} // namespace session_identity
