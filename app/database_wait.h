#pragma once
// The program's way of waiting for the database (statement_wait.h). The driver call runs on a
// thread of its own while the windows go on painting; user input waits, as the handlers that
// started the call expect to find everything as they left it. After a second a small modal
// window says that the program is waiting for the database and offers Cancel, which asks the
// driver to stop the statement; a statement that does not stop soon after is left to finish by
// itself, and the handler goes on with a failure that says the user cancelled it.

#include <QString>

#include "statement_wait.h"

namespace database_wait {

// The objectNames of the waiting window and of its button.
inline const QString window_name = QStringLiteral("w_waiting");
inline const QString cancel_name = QStringLiteral("cb_cancel");

// The wait to install in the session; without a QApplication it runs every call in place.
statement_wait in_windows();

} // namespace database_wait
