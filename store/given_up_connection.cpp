#include "given_up_connection.h"

#include <atomic>
#include <chrono>
#include <sqlext.h>
#include <thread>

namespace given_up_connection {
namespace {

std::atomic<int> open_count{0};

void close_now(const handles& given_up)
{
    for (SQLHSTMT statement : given_up.statements)
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
    if (given_up.connection != SQL_NULL_HDBC) {
        // A connection inside a transaction refuses to disconnect.
        SQLEndTran(SQL_HANDLE_DBC, given_up.connection, SQL_ROLLBACK);
        SQLDisconnect(given_up.connection);
        SQLFreeHandle(SQL_HANDLE_DBC, given_up.connection);
    }
    if (given_up.environment != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, given_up.environment);
}

} // namespace

void close_when_done(handles given_up)
{
    ++open_count;
    std::thread([given_up = std::move(given_up)] {
        // The call tells only by its flag that it returned; a look now and then costs nothing.
        while (given_up.running && !given_up.running->finished())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        close_now(given_up);
        --open_count;
    }).detach();
}

int still_open() { return open_count.load(); }

} // namespace given_up_connection
