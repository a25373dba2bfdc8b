#include "command_line.h"

namespace test_support {

run_result command_line(const faq_fixture& db, const QString& statements)
{
    if (db.which() == backend::sqlite)
        return run(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), db.database_file(), statements});
    return run(QStringLiteral("psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-h"), db.postgresql_socket_dir(), QStringLiteral("-p"),
                QString::number(db.postgresql_port()), QStringLiteral("-U"), QStringLiteral("mirt"),
                QStringLiteral("-d"), QStringLiteral("faq"), QStringLiteral("-c"), statements});
}

} // namespace test_support
