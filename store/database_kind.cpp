#include "database_kind.h"

#include <QDir>
#include <QFile>
#include <sqlext.h>
#include <sys/stat.h>

namespace {

QString info_text(SQLHDBC connection, SQLUSMALLINT what)
{
    if (connection == SQL_NULL_HDBC)
        return {};
    SQLWCHAR text[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, what, text, SQLSMALLINT(sizeof text), &length)))
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text));
}

} // namespace

QString dbms_name(SQLHDBC connection) { return info_text(connection, SQL_DBMS_NAME); }

bool is_sqlite(SQLHDBC connection) { return dbms_name(connection).startsWith(QLatin1String("SQLite")); }

QString sqlite_database_file(SQLHDBC connection)
{
    const QString name = info_text(connection, SQL_DATABASE_NAME);
    return name.isEmpty() ? name : QDir::cleanPath(QDir::current().absoluteFilePath(name));
}

std::optional<file_identity> identify_file(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return file_identity{status.st_dev, status.st_ino};
}
