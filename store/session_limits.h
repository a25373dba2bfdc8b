#pragma once
// Bounds on how long a PostgreSQL session waits for a row another session holds: a colleague's
// open transaction makes a save fail after a few seconds with a clear message (odbc_error.cpp)
// instead of holding the window for as long as the colleague takes. SQLite bounds the same wait
// with the data source's busy timeout.

#include "odbc_connection.h"

namespace session_limits {

inline constexpr char16_t lock_timeout_text[] = u"SET lock_timeout = '5s'";

// One statement on a new PostgreSQL connection, none on another database.
void apply(odbc_connection& connection);

} // namespace session_limits
