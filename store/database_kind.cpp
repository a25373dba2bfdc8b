#include "database_kind.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <sqlext.h>
#include <sys/stat.h>

QString driver_info(SQLHDBC connection, SQLUSMALLINT what)
{
    if (connection == SQL_NULL_HDBC)
        return {};
    SQLWCHAR buffer[1024] = {};
    SQLSMALLINT bytes = 0;
    const SQLRETURN result = SQLGetInfoW(connection, what, buffer, sizeof buffer, &bytes);
    if (!SQL_SUCCEEDED(result) || bytes <= 0)
        return {};
    // The SQLite driver counts a name's UTF-8 bytes: up to its terminating null at most.
    const auto capacity = static_cast<qsizetype>(sizeof buffer / sizeof(SQLWCHAR)) - 1;
    const auto* text = reinterpret_cast<const char16_t*>(buffer);
    const qsizetype reported = std::min<qsizetype>(bytes / 2, capacity);
    qsizetype characters = 0;
    while (characters < reported && text[characters] != u'\0')
        ++characters;
    return QString::fromUtf16(text, characters);
}

QString dbms_name(SQLHDBC connection) { return driver_info(connection, SQL_DBMS_NAME); }

bool is_sqlite(SQLHDBC connection) { return dbms_name(connection).startsWith(QLatin1String("SQLite")); }

QString sqlite_database_file(SQLHDBC connection)
{
    const QString name = driver_info(connection, SQL_DATABASE_NAME);
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
