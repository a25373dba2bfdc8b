#include "data_source.h"

#include <QVariant>
#include <algorithm>
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include "database_kind.h"
#include "transaction.h"

namespace {

// A setting of the data source as the driver read it (user odbc.ini, then the system's).
QString data_source_setting(const QString& dsn, const char* key)
{
    char value[512] = {};
    const int length = SQLGetPrivateProfileString(dsn.toLocal8Bit().constData(), key, "", value,
                                                  static_cast<int>(sizeof value), "odbc.ini");
    return length > 0 ? QString::fromLocal8Bit(value, length).trimmed() : QString();
}

QString environment(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }

bool is_postgresql(const QString& engine)
{
    return engine.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0;
}

// psqlODBC hands the server and the port of the data source to libpq as they are; an empty one
// falls back, as libpq does, on PGHOST and PGPORT, and the port on 5432.
void complete_postgresql(data_source::facts& source)
{
    if (source.server.isEmpty())
        source.server = environment("PGHOST");
    source.port = data_source_setting(source.name, "Port");
    if (source.port.isEmpty())
        source.port = environment("PGPORT");
    if (source.port.isEmpty())
        source.port = QStringLiteral("5432");
}

// libpq reads a server name that starts with a slash (or "@", Linux's abstract namespace) as the
// folder of a unix socket; no server at all means the default socket.
bool local_socket(const QString& server)
{
    return server.isEmpty() || server.startsWith(QLatin1Char('/')) || server.startsWith(QLatin1Char('@'));
}

QString host_and_port(const QString& host, const QString& port)
{
    // An IPv6 address in brackets, so that its colons do not read as the port's.
    const QString shown_host = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return port.isEmpty() ? shown_host : shown_host + QLatin1Char(':') + port;
}

} // namespace

namespace data_source {

QString setting(const QString& dsn, const char* key) { return data_source_setting(dsn, key); }

std::optional<facts> of(const transaction& sqlca)
{
    const SQLHDBC connection = sqlca.odbc_handle();
    if (connection == SQL_NULL_HDBC)
        return std::nullopt;
    facts source;
    source.name = driver_info(connection, SQL_DATA_SOURCE_NAME);
    source.engine = driver_info(connection, SQL_DBMS_NAME);
    source.database = driver_info(connection, SQL_DATABASE_NAME);
    source.server = driver_info(connection, SQL_SERVER_NAME);
    if (is_postgresql(source.engine))
        complete_postgresql(source);
    return source;
}

QString describe(const facts& source)
{
    QString text = source.engine.isEmpty() ? QStringLiteral("database") : source.engine;
    if (!source.database.isEmpty())
        text += QLatin1Char(' ') + source.database;
    if (is_postgresql(source.engine)) {
        if (local_socket(source.server)) {
            text += QStringLiteral(" on local socket");
            if (!source.server.isEmpty())
                text += QLatin1Char(' ') + source.server;
            if (!source.port.isEmpty())
                text += QStringLiteral(", port ") + source.port;
        } else {
            text += QStringLiteral(" on ") + host_and_port(source.server, source.port);
        }
    } else if (!source.server.isEmpty() && source.server != source.database) {
        // SQLite names its file as the server too; other drivers name a real server here.
        text += QStringLiteral(" on ") + host_and_port(source.server, source.port);
    }
    return source.name.isEmpty() ? text : source.name + QStringLiteral(": ") + text;
}

} // namespace data_source
