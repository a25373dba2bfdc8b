#include "session_identity.h"

#include <pwd.h>
#include <unistd.h>
#include <vector>

#include "database_kind.h"
#include "odbc_statement.h"

namespace session_identity {

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

void identify(odbc_connection& connection)
{
    if (connection.handle() == SQL_NULL_HDBC || !dbms_name(connection.handle()).startsWith(QLatin1String("PostgreSQL")))
        return;
    static const QString text = QString::fromUtf16(statement_text);
    odbc_statement statement(connection);
    statement.bind(desktop_user());
    statement.execute(text);
}

} // namespace session_identity
