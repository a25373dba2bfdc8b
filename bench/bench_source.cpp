#include "bench_source.h"

#include <QFile>
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
    if (kind == backend::sqlite) {
        // As tarvo-setup-dsn registers the embedded database for a user, with the LIKE extension.
        sqlite_file = odbc.folder() + QStringLiteral("/faq.db");
        QStringList settings{QStringLiteral("Database=") + sqlite_file, QStringLiteral("Timeout=2000")};
        // More driver settings for experiments, "Key=Value;Key=Value".
        settings +=
            QString::fromLocal8Bit(qgetenv("TARVO_BENCH_SQLITE_DSN")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        odbc.write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"), settings);
    } else {
        const QString pg_dir = QString::fromLocal8Bit(qgetenv("TARVO_BENCH_PG_DIR"));
        if (pg_dir.isEmpty())
            stop(QStringLiteral("TARVO_BENCH_PG_DIR is not set (the folder of scripts/pg start)"));
        pg_port = read_text(pg_dir + QStringLiteral("/port")).trimmed().toInt();
        if (pg_port <= 0)
            stop(QStringLiteral("no PostgreSQL server port in %1/port").arg(pg_dir));
        // As tarvo-setup-dsn defines the shared database, without TLS (the benchmark server has it
        // off, for the engine as for the program).
        QStringList settings = test_support::postgresql_settings(pg_port);
        settings += QString::fromLocal8Bit(qgetenv("TARVO_BENCH_PG_DSN")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        odbc.write(QStringLiteral("FAQ"), QStringLiteral("PostgreSQL Unicode"), settings);
    }
}

std::string data_source::schema_sql() const
{
    return read_text(source_dir()
                     + (kind == backend::sqlite ? QStringLiteral("/db/faq.sqlite.sql")
                                                : QStringLiteral("/db/faq.postgresql.sql")))
        .toStdString();
}

std::string data_source::history_sql() const
{
    return read_text(source_dir()
                     + (kind == backend::sqlite ? QStringLiteral("/db/faq-history.sqlite.sql")
                                                : QStringLiteral("/db/faq-history.postgresql.sql")))
        .toStdString();
}

std::string data_source::search_index_sql() const
{
    if (kind == backend::sqlite)
        return {};
    return read_text(source_dir() + QStringLiteral("/db/faq-search-index.postgresql.sql")).toStdString();
}

std::string data_source::words_sql() const
{
    return read_text(source_dir()
                     + (kind == backend::sqlite ? QStringLiteral("/db/faq-words.sqlite.sql")
                                                : QStringLiteral("/db/faq-words.postgresql.sql")))
        .toStdString();
}

std::unique_ptr<engine> data_source::make_engine() const
{
    if (kind == backend::sqlite)
        return make_sqlite_engine(sqlite_file.toStdString(), test_support::like_extension_path().toStdString());
    return make_postgresql_engine("host=127.0.0.1 port=" + std::to_string(pg_port)
                                  + " dbname=faq user=mirt password=mirt");
}

} // namespace bench
