#pragma once
// Tells a PostgreSQL server which desktop user works in a session, so that the history of the
// entries records who made each change (the triggers read tarvo.desktop_user). SQLite keeps no
// such setting: its history leaves the column empty.

#include <QString>

#include "odbc_connection.h"

namespace session_identity {

inline constexpr char16_t statement_text[] = u"SELECT set_config('tarvo.desktop_user', ?, false)";

// The desktop's login name (the user the program runs as).
QString desktop_user();

// One statement on a new PostgreSQL connection, none on another database. Its failure is left
// for the next statement to find, as a lost connection is.
void identify(odbc_connection& connection);

} // namespace session_identity
