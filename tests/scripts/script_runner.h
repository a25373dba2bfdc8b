#pragma once
// Runs the project's set-up scripts and PostgreSQL's own tools as a person would, and keeps
// what they printed. Commands for the server's administrator run as the user postgres.

#include <QFile>
#include <QProcessEnvironment>
#include <QStringList>
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

// The drivers as Debian registers them (odbcinst.ini) and no system data source (odbc.ini), in
// the folder that ODBCSYSINI names.
inline void write_driver_definitions(const QString& folder)
{
    write_file(folder + QStringLiteral("/odbcinst.ini"),
               QStringLiteral("[SQLite3]\nDriver=%1\n")
                   .arg(test_support::odbc_driver_path(QStringLiteral("libsqlite3odbc.so"))));
    write_file(folder + QStringLiteral("/odbc.ini"), QString());
}

inline QString script(const QString& name) { return test_support::source_dir() + QStringLiteral("/scripts/") + name; }

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

} // namespace scripts_test
