#pragma once
// Helpers shared by the reliability tests: running outside programs, a PostgreSQL cluster of
// the test's own that it may stop and start, and one running client with its windows.

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "faq_fixture.h"
#include "tarvo.h"
#include "test_app.h"
#include "w_search.h"

namespace reliability {

struct run_result {
    int exit_code = -1;
    QString output;
};

// Runs a program to its end (at most timeout_ms) and keeps what it printed.
inline run_result run(const QString& program, const QStringList& arguments, int timeout_ms = 120000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    run_result result;
    if (!process.waitForFinished(timeout_ms)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("timed out: ") + program;
        return result;
    }
    result.output = QString::fromLocal8Bit(process.readAll());
    result.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

// A throwaway cluster of this test alone (made by scripts/pg), so stopping it disturbs no other
// test. The folder lies under /tmp, where user postgres can reach it, with a short socket path.
class own_cluster {
public:
    explicit own_cluster(const QString& tag)
        : dir(QStringLiteral("/tmp/tarvo-%1-%2").arg(tag).arg(QCoreApplication::applicationPid()))
    {
    }
    ~own_cluster()
    {
        if (started) {
            run(script(QStringLiteral("scripts/pg")), {QStringLiteral("stop"), dir});
            QDir(dir).removeRecursively();
        }
    }
    own_cluster(const own_cluster&) = delete;
    own_cluster& operator=(const own_cluster&) = delete;

    // Creates and starts the cluster; the error output when that fails.
    QString create()
    {
        const run_result result = run(script(QStringLiteral("scripts/pg")), {QStringLiteral("start"), dir});
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
        const run_result result = run(script(QStringLiteral("tests/reliability/pg_cluster")), {command, dir});
        if (result.exit_code != 0)
            qWarning("pg_cluster %s: %s", qPrintable(command), qPrintable(result.output));
        return result.exit_code == 0;
    }

    QString dir;
    bool started = false;
};

// One running client: an application object connected to the data source "FAQ", with its
// search window as the program opens it.
class client {
public:
    explicit client(bool with_search_window = true)
    {
        test_support::make_app(app);
        if (with_search_window) {
            app.w_search = new w_search(app);
            app.w_search->show();
        }
    }

    int listed_rows() const
    {
        const auto* list = app.w_search->findChild<QAbstractItemView*>(QStringLiteral("dw_search"));
        return list != nullptr && list->model() != nullptr ? list->model()->rowCount() : -1;
    }

    tarvo app;
};

} // namespace reliability
