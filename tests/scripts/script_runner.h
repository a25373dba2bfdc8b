#pragma once
// Runs the project's set-up scripts and PostgreSQL's own tools as a person would, and keeps
// what they printed. Commands for the server's administrator run as the user postgres.

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStringList>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "faq_fixture.h"
#include "private_odbc.h"
#include "run_program.h"

namespace scripts_test {

using test_support::run;
using test_support::run_result;

// A file the scripts read or wrote, as text; empty when it cannot be read.
inline QString read_file(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Stops the test when the file cannot be written: what follows would test the wrong file.
inline void write_file(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
}

inline QString script(const QString& name) { return test_support::source_dir() + QStringLiteral("/scripts/") + name; }

// The drivers as Debian registers them (odbcinst.ini in `folder`), without psqlODBC's log file
// per connection, and no system data source.
inline void write_driver_definitions(const QString& folder)
{
    write_file(folder + QStringLiteral("/odbcinst.ini"),
               QStringLiteral("[SQLite3]\nDriver=%1\n\n[PostgreSQL Unicode]\nDriver=%2\nDebug=0\nCommLog=0\n")
                   .arg(test_support::odbc_driver_path(QStringLiteral("libsqlite3odbc.so")),
                        test_support::odbc_driver_path(QStringLiteral("psqlodbcw.so"))));
    write_file(folder + QStringLiteral("/odbc.ini"), QString());
}

// tarvo-setup-dsn as a desktop's user runs it, at home in `home`, with the driver definitions
// in `odbc_system`.
inline run_result run_setup_dsn(const QString& home, const QString& odbc_system, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    // unixODBC takes the home folder from the password database: ODBCINI names the file.
    environment.insert(QStringLiteral("ODBCINI"), home + QStringLiteral("/.odbc.ini"));
    environment.insert(QStringLiteral("ODBCSYSINI"), odbc_system);
    environment.insert(QStringLiteral("TARVO_LIKE_EXTENSION"), test_support::like_extension_path());
    return run(script(QStringLiteral("tarvo-setup-dsn")), arguments, environment);
}

// The administrator's command: "sudo -u postgres COMMAND"; as root runuser does the same. A
// test run by another user owns its throwaway cluster, whose superuser is called postgres.
inline run_result run_as_postgres(const QString& program, const QStringList& arguments, const QString& pg_host,
                                  int pg_port)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QStringList settings = {QStringLiteral("PGHOST=") + pg_host, QStringLiteral("PGPORT=%1").arg(pg_port)};
    if (geteuid() == 0)
        return run(
            QStringLiteral("runuser"),
            QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), QStringLiteral("env")}
                + settings + QStringList{program} + arguments,
            environment);
    environment.insert(QStringLiteral("PGHOST"), pg_host);
    environment.insert(QStringLiteral("PGPORT"), QString::number(pg_port));
    environment.insert(QStringLiteral("PGUSER"), QStringLiteral("postgres"));
    return run(program, arguments, environment);
}

// A port no one listens on now: the one the system hands out for port 0 on 127.0.0.1.
inline int free_port()
{
    const int socket_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::getsockname(socket_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(socket_fd);
    return port;
}

// A PostgreSQL cluster made the Debian way (pg_createcluster, as root), as an administrator finds
// it on a new server: configuration in /etc/postgresql, data in /var/lib/postgresql, the socket
// in /var/run/postgresql. Dropped with its files at the end.
class debian_cluster {
public:
    explicit debian_cluster(const QString& tag) : name(QStringLiteral("tarvo-%1-%2").arg(tag).arg(::getpid()))
    {
        const QStringList versions =
            QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        version = versions.isEmpty() ? QString() : versions.last();
    }
    ~debian_cluster()
    {
        if (made)
            run(QStringLiteral("pg_dropcluster"), {QStringLiteral("--stop"), version, name});
    }
    debian_cluster(const debian_cluster&) = delete;
    debian_cluster& operator=(const debian_cluster&) = delete;

    // Makes and starts it with these postgresql.conf settings ("name=value"); the error output
    // when that fails.
    QString create(const QStringList& settings)
    {
        port = free_port();
        QStringList arguments = {QStringLiteral("-p"), QString::number(port)};
        for (const QString& setting : settings)
            arguments << QStringLiteral("-o") << setting;
        arguments << version << name;
        const run_result created = run(QStringLiteral("pg_createcluster"), arguments);
        made = created.exit_code == 0;
        if (!made)
            return created.output;
        const run_result started = control(QStringLiteral("start"));
        return started.exit_code == 0 ? QString() : started.output;
    }
    run_result control(const QString& action) const
    {
        return run(QStringLiteral("pg_ctlcluster"), {version, name, action});
    }
    QString config(const QString& file) const
    {
        return QStringLiteral("/etc/postgresql/%1/%2/%3").arg(version, name, file);
    }
    QString data(const QString& file) const
    {
        return QStringLiteral("/var/lib/postgresql/%1/%2/%3").arg(version, name, file);
    }
    // The environment in which psql and the set-up script reach it.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGHOST"), QStringLiteral("/var/run/postgresql"));
        environment.insert(QStringLiteral("PGPORT"), QString::number(port));
        return environment;
    }
    // psql as its administrator; the output of the statements.
    run_result admin(const QString& statements, const QString& database = QStringLiteral("postgres")) const
    {
        return run(QStringLiteral("runuser"),
                   {QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), QStringLiteral("psql"),
                    QStringLiteral("-X"), QStringLiteral("-At"), QStringLiteral("-v"),
                    QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"), database, QStringLiteral("-c"),
                    statements},
                   environment());
    }

    QString name, version;
    int port = 0;

private:
    bool made = false;
};

} // namespace scripts_test
