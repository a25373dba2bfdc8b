#include "private_odbc.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cstdlib>

namespace test_support {
namespace {

void write_file(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
}

} // namespace

QString odbc_driver_path(const QString& library)
{
    for (const char* folder :
         {"/usr/lib/x86_64-linux-gnu/odbc/", "/usr/lib/aarch64-linux-gnu/odbc/", "/usr/lib/odbc/"}) {
        const QString path = QString::fromLatin1(folder) + library;
        if (QFileInfo::exists(path))
            return path;
    }
    return library;
}

QString like_extension_path() { return QStringLiteral(TARVO_LIKE_EXTENSION); }

QString network_bounds_setting()
{
    return QStringLiteral("pqopt=keepalives_idle=5 keepalives_interval=2 keepalives_count=3 tcp_user_timeout=10000 "
                          "connect_timeout=10");
}

QStringList postgresql_settings(int port)
{
    // Protocol=7.4-1: on a failed statement psqlODBC rolls back the transaction, as the program
    // does anyway, instead of setting a savepoint before every statement of a change. pqopt:
    // the bounds on a server that stops answering, as tarvo-setup-dsn writes them.
    return {QStringLiteral("Servername=127.0.0.1"), QStringLiteral("Port=%1").arg(port), QStringLiteral("Database=faq"),
            QStringLiteral("Protocol=7.4-1"), network_bounds_setting()};
}

private_odbc::private_odbc()
{
    if (!dir.isValid())
        qFatal("cannot create a temporary folder");
}

QString private_odbc::section(const QString& dsn_name, const QString& driver, const QStringList& settings)
{
    return QStringLiteral("[%1]\nDriver=%2\n%3\n").arg(dsn_name, driver, settings.join(QLatin1Char('\n')));
}

void private_odbc::add(const QString& dsn_name, const QString& driver, const QStringList& settings)
{
    QFile file(dir.filePath(QStringLiteral("odbc.ini")));
    if (!file.open(QIODevice::Append))
        qFatal("cannot add to %s", qPrintable(file.fileName()));
    file.write((QStringLiteral("\n") + section(dsn_name, driver, settings)).toUtf8());
}

void private_odbc::write(const QString& dsn_name, const QString& driver, const QStringList& settings)
{
    // TARVO_ODBC_TRACE=file: unixODBC's trace of every call, for finding out what a test saw.
    const QByteArray trace_file = qgetenv("TARVO_ODBC_TRACE");
    const QString trace =
        trace_file.isEmpty()
            ? QString()
            : QStringLiteral("[ODBC]\nTrace=Yes\nTraceFile=%1\n\n").arg(QString::fromLocal8Bit(trace_file));
    // CommLog off: Debian's own configuration turns on a log file per process.
    write_file(dir.filePath(QStringLiteral("odbcinst.ini")),
               trace
                   + QStringLiteral("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%1\nThreading=2\n\n"
                                    "[PostgreSQL Unicode]\nDescription=PostgreSQL ODBC driver (Unicode version)\n"
                                    "Driver=%2\nDebug=0\nCommLog=0\n")
                         .arg(odbc_driver_path(QStringLiteral("libsqlite3odbc.so")),
                              odbc_driver_path(QStringLiteral("psqlodbcw.so"))));
    // An SQLite data source loads the built LIKE extension, as tarvo-setup-dsn's does, unless
    // the test names an extension of its own.
    QStringList all_settings = settings;
    const bool names_extension = std::any_of(settings.begin(), settings.end(), [](const QString& setting) {
        return setting.startsWith(QLatin1String("LoadExt="));
    });
    if (driver == QLatin1String("SQLite3") && !names_extension)
        all_settings << QStringLiteral("LoadExt=") + like_extension_path();
    write_file(dir.filePath(QStringLiteral("odbc.ini")), section(dsn_name, driver, all_settings));
    qputenv("ODBCSYSINI", dir.path().toLocal8Bit());
    qputenv("ODBCINI", dir.filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
}

} // namespace test_support
