#pragma once
// The word search off the window's thread, so that typing never waits for the database. A
// session of its own ("words": the data source of sqlca, reading only) runs the searches on a
// thread of its own. Only the newest words wait while a search runs: each request replaces the
// one waiting, and the search that ends starts it. Every request has a generation; its result
// names it, so the window shows only the result for the words it shows now.
//
// Destroying the worker stops it without waiting for the database: a statement still running is
// cancelled, and one that does not stop at once is left to the driver with its connection
// (given_up_connection.h).

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

#include "transaction.h"
#include "word_search.h"

class QThread;
class stoppable_wait;

// What one search came to: the best entries, or the session's failure.
struct words_found {
    std::uint64_t generation = 0;
    QStringList typed;
    words::best_hits best;
    bool failed = false;
    QString error_text;   // the session's SQLErrText when it failed
    bool complete = true; // false: the first rows only, told while the search goes on
};

// The session and its searches; lives on the worker's thread, and is destroyed there.
class words_session : public QObject {
    Q_OBJECT
public:
    words_session(QString dbparm, std::shared_ptr<stoppable_wait> stop);
    ~words_session() override;

    void search(std::uint64_t generation, const QStringList& typed);

signals:
    // The first rows, whose place is certain, while the search goes on (complete false).
    void first_rows(const words_found& result);
    void done(const words_found& result);

private:
    QString dbparm;
    std::shared_ptr<stoppable_wait> stop;
    std::unique_ptr<transaction> sqlca;
};

class words_worker : public QObject {
    Q_OBJECT
public:
    // The session connects as `like` is configured (its DBParm), at the first search.
    explicit words_worker(const transaction& like, QObject* parent = nullptr);
    ~words_worker() override;

    // Asks for the best entries for `typed`; the request's generation.
    std::uint64_t find(const QStringList& typed);
    // A search runs (its result has not arrived yet).
    bool searching() const { return running; }
    // How many searches the session has finished.
    int searches_finished() const { return finished; }
    // The failure of the last failed search, as show_failure reports it.
    const transaction& failure() const { return failed_search; }

signals:
    // A search's result, or its first rows before it (complete false); the last for a
    // generation is complete.
    void found(const words_found& result);

private:
    struct request {
        std::uint64_t generation = 0;
        QStringList typed;
    };
    void start(const request& next);
    void take(const words_found& result);

    QString dbparm;
    QThread* thread = nullptr;
    words_session* session = nullptr; // lives on the thread, until it ends
    std::shared_ptr<stoppable_wait> stop;
    std::uint64_t generations = 0;
    bool running = false;
    std::optional<request> pending;
    int finished = 0;
    transaction failed_search{QStringLiteral("words_failure")};
};
