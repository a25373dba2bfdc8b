#pragma once
// A connection the session gave up: a statement on it did not stop when the user cancelled it
// (a server process that never answers again, a network gone quiet). It is closed on a thread of
// its own once that statement returns, which may be never; nobody waits for it.

#include <memory>
#include <sql.h>
#include <vector>

#include "statement_wait.h"

namespace given_up_connection {

struct handles {
    std::shared_ptr<driver_call> running;
    std::vector<SQLHSTMT> statements;
    SQLHDBC connection = SQL_NULL_HDBC;
    SQLHENV environment = SQL_NULL_HENV;
};

// Once `running` has returned: frees the statements, rolls back what the connection left
// pending, disconnects and frees the handles.
void close_when_done(handles given_up);

// Connections given up in this process and not yet closed.
int still_open();

} // namespace given_up_connection
