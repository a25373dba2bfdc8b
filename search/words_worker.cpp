#include "words_worker.h"

#include <QDeadlineTimer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// How the words session waits for the database: each driver call on a thread of its own, the
// session's thread waiting for it to return or for the worker to stop. Once stopped, a running
// statement is cancelled, and one that does not return soon after is left to the driver.
class stoppable_wait : public std::enable_shared_from_this<stoppable_wait> {
public:
    wait_outcome wait(const std::shared_ptr<driver_call>& call)
    {
        std::thread runner([self = shared_from_this(), call] {
            call->run();
            {
                const std::lock_guard<std::mutex> lock(self->guard);
            }
            self->changed.notify_all();
        });
        std::unique_lock<std::mutex> lock(guard);
        changed.wait(lock, [&] { return call->finished() || stopping; });
        if (call->finished()) {
            lock.unlock();
            runner.join();
            return wait_outcome::returned;
        }
        lock.unlock();
        call->cancel();
        lock.lock();
        // A connection being opened holds what the session owns: it must be waited for.
        if (call->may_be_left())
            changed.wait_for(lock, cancel_grace, [&] { return call->finished(); });
        else
            changed.wait(lock, [&] { return call->finished(); });
        if (call->finished()) {
            lock.unlock();
            runner.join();
            return wait_outcome::cancelled;
        }
        left = true;
        lock.unlock();
        runner.detach(); // it holds what it touches; the connection goes with it
        return wait_outcome::left;
    }

    // From any thread: the running statement is cancelled, and every later one once it started.
    void stop()
    {
        {
            const std::lock_guard<std::mutex> lock(guard);
            stopping = true;
        }
        changed.notify_all();
    }

    bool stopped()
    {
        const std::lock_guard<std::mutex> lock(guard);
        return stopping;
    }

    // A statement was left running: the session's connection waits for it.
    bool left_a_call()
    {
        const std::lock_guard<std::mutex> lock(guard);
        return left;
    }

private:
    // A cancelled statement on a server that answers stops well within this.
    static constexpr std::chrono::milliseconds cancel_grace{250};

    std::mutex guard;
    std::condition_variable changed;
    bool stopping = false;
    bool left = false;
};

namespace {
// How long destroying the worker waits for its thread; only a connection still being opened
// takes longer, and then the thread ends by itself.
constexpr int thread_end_wait_ms = 1000;
} // namespace

words_session::words_session(QString parm, std::shared_ptr<stoppable_wait> stopper)
    : dbparm(std::move(parm)), stop(std::move(stopper))
{
}

words_session::~words_session()
{
    // A connection that waits for a statement left running is closed off this thread: the
    // session's end must not wait for a server that does not answer.
    if (sqlca && stop->left_a_call())
        std::thread([doomed = std::move(sqlca)]() mutable { doomed.reset(); }).detach();
}

void words_session::search(std::uint64_t generation, const QStringList& typed)
{
    if (stop->stopped())
        return; // nobody waits for the result
    words_found result;
    result.generation = generation;
    result.typed = typed;
    bool may_search = true;
    if (!sqlca) {
        sqlca = std::make_unique<transaction>(QStringLiteral("words"));
        sqlca->wait_with([wait = stop](const std::shared_ptr<driver_call>& call) { return wait->wait(call); });
        sqlca->DBMS = QStringLiteral("ODBC");
        sqlca->AutoCommit = true; // reads only
        sqlca->DBParm = dbparm;
        sqlca->connect();
        // A failed connection is reported now; the next search opens it again.
        may_search = sqlca->succeeded();
    }
    const auto early = [&](const words::best_hits& so_far) {
        words_found first{generation, typed, so_far, false, {}, false};
        emit first_rows(first);
    };
    if (may_search)
        result.best = words::find_best(*sqlca, typed, words::listed_at_most, early);
    result.failed = sqlca->failed();
    result.error_text = sqlca->SQLErrText;
    emit done(result);
}

words_worker::words_worker(const transaction& like, QObject* parent)
    : QObject(parent), dbparm(like.DBParm), stop(std::make_shared<stoppable_wait>())
{
}

words_worker::~words_worker()
{
    if (thread == nullptr)
        return;
    stop->stop();
    thread->quit();
    if (thread->wait(QDeadlineTimer(thread_end_wait_ms))) {
        delete thread;
        return;
    }
    // Still opening its connection: the thread ends, and goes, whenever that returns.
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        thread->deleteLater();
}

std::uint64_t words_worker::find(const QStringList& typed)
{
    const request next{++generations, typed};
    if (running)
        pending = next; // replaces the one waiting: only the newest words count
    else
        start(next);
    return next.generation;
}

void words_worker::start(const request& next)
{
    if (thread == nullptr) {
        thread = new QThread;
        thread->setObjectName(QStringLiteral("words_search"));
        session = new words_session(dbparm, stop);
        session->moveToThread(thread);
        // The session and its connection end on the thread they live on.
        connect(thread, &QThread::finished, session, &QObject::deleteLater);
        connect(session, &words_session::done, this, &words_worker::take, Qt::QueuedConnection);
        connect(session, &words_session::first_rows, this, &words_worker::found, Qt::QueuedConnection);
        thread->start();
    }
    running = true;
    QMetaObject::invokeMethod(
        session, [to = session, next] { to->search(next.generation, next.typed); }, Qt::QueuedConnection);
}

void words_worker::take(const words_found& result)
{
    running = false;
    ++finished;
    if (result.failed) {
        failed_search.SQLCode = transaction::failure;
        failed_search.SQLErrText = result.error_text;
    }
    // The next search starts before the window looks at this one's result (which may show a
    // message box).
    if (pending) {
        const request next = *pending;
        pending.reset();
        start(next);
    }
    emit found(result);
}
