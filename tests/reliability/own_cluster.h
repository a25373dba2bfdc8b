#pragma once
// A throwaway PostgreSQL cluster of one test alone (made by scripts/pg), so stopping it disturbs
// no other test. The folder lies under /tmp, where user postgres can reach it, with a short
// socket path.

#include <QCoreApplication>
#include <QDir>
#include <QString>

#include "faq_fixture.h"
#include "run_program.h"

namespace reliability {

class own_cluster {
public:
    explicit own_cluster(const QString& tag)
        : dir(QStringLiteral("/tmp/tarvo-%1-%2").arg(tag).arg(QCoreApplication::applicationPid()))
    {
    }
    ~own_cluster()
    {
        if (started) {
            test_support::run(script(QStringLiteral("scripts/pg")), {QStringLiteral("stop"), dir});
            QDir(dir).removeRecursively();
        }
    }
    own_cluster(const own_cluster&) = delete;
    own_cluster& operator=(const own_cluster&) = delete;

    // Creates and starts the cluster; the error output when that fails.
    QString create()
    {
        const auto result = test_support::run(script(QStringLiteral("scripts/pg")), {QStringLiteral("start"), dir});
        started = result.exit_code == 0;
        return started ? QString() : result.output;
    }
    // Takes the server away (open sessions are terminated) and brings the same one back.
    bool stop() { return control(QStringLiteral("stop")); }
    bool start() { return control(QStringLiteral("start")); }

    // Point the test fixture (TARVO_PG_DIR) at this cluster.
    void use_for_fixture() const { qputenv("TARVO_PG_DIR", dir.toLocal8Bit()); }
    const QString& folder() const { return dir; }

private:
    static QString script(const QString& relative) { return test_support::source_dir() + QLatin1Char('/') + relative; }
    bool control(const QString& command)
    {
        const auto result = test_support::run(script(QStringLiteral("tests/reliability/pg_cluster")), {command, dir});
        if (result.exit_code != 0)
            qWarning("pg_cluster %s: %s", qPrintable(command), qPrintable(result.output));
        return result.exit_code == 0;
    }

    QString dir;
    bool started = false;
};

} // namespace reliability
