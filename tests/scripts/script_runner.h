#pragma once
// Runs the project's set-up scripts and PostgreSQL's own tools as a person would, and keeps
// what they printed. Commands for the server's administrator run as the user postgres.

#include <QFile>
#include <QProcessEnvironment>
#include <QStringList>
#include <unistd.h>

#include "faq_fixture.h"
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
