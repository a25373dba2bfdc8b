#pragma once
// A commit that the program reports as done must survive a power cut or a kernel crash. SQLite in
// WAL mode with synchronous = NORMAL (the SQLite ODBC driver's choice unless the data source says
// otherwise) may lose the last commits on such a crash; with FULL, every commit is synced to disk
// before it returns.

#include "odbc_connection.h"

namespace durable_commits {

inline constexpr char16_t statement_text[] = u"PRAGMA synchronous = FULL";

// On a new SQLite connection, whatever its data source set; nothing on another database. A
// failure (a damaged file) is left for the next statement to find.
void require(odbc_connection& connection);

} // namespace durable_commits
