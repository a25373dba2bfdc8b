#pragma once
// How the session waits for the database. A driver call that may wait long (a statement, a
// commit, a new connection) goes to the session's wait. Without one it simply runs where it is
// called, as tools and tests without windows need; the program installs a wait that runs the
// call on a thread of its own while the windows keep painting, and lets the user cancel it.
//
// The thread that waits touches nothing of the call while it runs except cancel(); the call
// touches only its ODBC handles and the values it holds itself.

#include <atomic>
#include <functional>
#include <memory>

class driver_call {
public:
    virtual ~driver_call() = default;

    // Runs the call to its end; on whichever thread the wait chooses.
    void run()
    {
        perform();
        done.store(true, std::memory_order_release);
    }
    bool finished() const { return done.load(std::memory_order_acquire); }

    // The call holds everything it uses, so the one who waits may stop waiting before it ends.
    virtual bool may_be_left() const { return false; }
    // Asks the driver to stop the call (SQLCancel); from the waiting thread, while it runs.
    virtual void cancel() {}

protected:
    virtual void perform() = 0;

private:
    std::atomic<bool> done{false};
};

enum class wait_outcome {
    returned,  // the call ran to its end
    cancelled, // the user cancelled it, and it has returned
    left,      // the user cancelled it and it has not returned: it goes on alone
};

using statement_wait = std::function<wait_outcome(const std::shared_ptr<driver_call>&)>;

// Hands the call to the wait, or runs it right here when there is none.
inline wait_outcome wait_for(const statement_wait* wait, const std::shared_ptr<driver_call>& call)
{
    if (wait == nullptr || !*wait) {
        call->run();
        return wait_outcome::returned;
    }
    return (*wait)(call);
}
