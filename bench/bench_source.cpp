#include "bench_source.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace bench {
namespace {

[[noreturn]] void stop(const QString& message)
{
    std::fprintf(stderr, "bench: %s\n", qPrintable(message));
    std::exit(2);
}

QString read_text(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        stop(QStringLiteral("cannot read ") + path);
    return QString::fromUtf8(file.readAll());
}

void write_text(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        stop(QStringLiteral("cannot write ") + path);
}

QString driver_path(const QString& library)
{
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/odbc/", "/usr/lib/aarch64-linux-gnu/odbc/", "/usr/lib/odbc/"}) {
        const QString path = QString::fromLatin1(folder) + library;
        if (QFileInfo::exists(path))
            return path;
    }
    return library;
}

QString source_dir()
{
    const QByteArray dir = qgetenv("TARVO_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(TARVO_SOURCE_DIR) : QString::fromLocal8Bit(dir);
}

} // namespace

backend backend_from_name(const std::string& name)
{
    if (name == "sqlite")
        return backend::sqlite;
    if (name == "postgresql")
        return backend::postgresql;
    stop(QStringLiteral("unknown backend '%1' (sqlite or postgresql)").arg(QString::fromStdString(name)));
}

const char* backend_name(backend which) { return which == backend::sqlite ? "sqlite" : "postgresql"; }

data_source::data_source(backend which) : kind(which)
{
    if (!dir.isValid())
        stop(QStringLiteral("cannot create a temporary folder"));
    if (kind == backend::sqlite) {
        sqlite_file = dir.filePath(QStringLiteral("faq.db"));
        // As scripts/run registers the embedded database for a user, with the LIKE extension.
        QStringList settings{QStringLiteral("Database=") + sqlite_file, QStringLiteral("Timeout=2000"),
                             QStringLiteral("LoadExt=") + QStringLiteral(TARVO_LIKE_EXTENSION)};
        // More driver settings for experiments, "Key=Value;Key=Value".
        settings += QString::fromLocal8Bit(qgetenv("TARVO_BENCH_SQLITE_DSN")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        write_odbc_configuration(QStringLiteral("SQLite3"), settings);
    } else {
        const QString pg_dir = QString::fromLocal8Bit(qgetenv("TARVO_BENCH_PG_DIR"));
        if (pg_dir.isEmpty())
            stop(QStringLiteral("TARVO_BENCH_PG_DIR is not set (the folder of scripts/pg start)"));
        pg_port = read_text(pg_dir + QStringLiteral("/port")).trimmed().toInt();
        if (pg_port <= 0)
            stop(QStringLiteral("no PostgreSQL server port in %1/port").arg(pg_dir));
        // As tarvo-setup-dsn defines the shared database, without TLS (the benchmark server has it
        // off, for the engine as for the program).
        write_odbc_configuration(QStringLiteral("PostgreSQL Unicode"),
                                 {QStringLiteral("Servername=127.0.0.1"), QStringLiteral("Port=%1").arg(pg_port),
                                  QStringLiteral("Database=faq")});
    }
}

void data_source::write_odbc_configuration(const QString& driver, const QStringList& settings)
{
    // The driver entries of Debian's odbcinst.ini, except that psqlODBC's CommLog (a log file
    // per process, on in Debian's file) is off.
    write_text(dir.filePath(QStringLiteral("odbcinst.ini")),
               QStringLiteral("[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%1\n\n"
                              "[PostgreSQL Unicode]\nDescription=PostgreSQL ODBC driver (Unicode version)\n"
                              "Driver=%2\nDebug=0\nCommLog=0\n")
                   .arg(driver_path(QStringLiteral("libsqlite3odbc.so")),
                        driver_path(QStringLiteral("psqlodbcw.so"))));
    write_text(dir.filePath(QStringLiteral("odbc.ini")),
               QStringLiteral("[FAQ]\nDriver=%1\n%2\n").arg(driver, settings.join(QLatin1Char('\n'))));
    qputenv("ODBCSYSINI", dir.path().toLocal8Bit());
    qputenv("ODBCINI", dir.filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
}

std::string data_source::schema_sql() const
{
    return read_text(source_dir() + (kind == backend::sqlite ? QStringLiteral("/db/faq.sqlite.sql")
                                                             : QStringLiteral("/db/faq.postgresql.sql")))
        .toStdString();
}

std::unique_ptr<engine> data_source::make_engine() const
{
    if (kind == backend::sqlite)
        return make_sqlite_engine(sqlite_file.toStdString(), TARVO_LIKE_EXTENSION);
    return make_postgresql_engine("host=127.0.0.1 port=" + std::to_string(pg_port)
                                  + " dbname=faq user=mirt password=mirt");
}

} // namespace bench
