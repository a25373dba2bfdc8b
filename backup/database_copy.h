#pragma once
// SQLite's own view of an embedded database file, through libsqlite3 on a connection of its own
// (never the session's): a consistent, checked copy, and whether a file is damaged.

#include <QString>

namespace database_copy {

struct outcome {
    bool ok = false;
    QString error; // in SQLite's words, when not ok
};

// Copies the database `source` into the new file `target` with SQLite's online backup, in one
// step: one read transaction, so the copy is the state of one moment, and in WAL mode a program
// writing meanwhile is not held up. The copy is a self-contained file (no WAL beside it) that
// passes PRAGMA integrity_check; otherwise the outcome says why and `target` may hold a part.
outcome copy(const QString& source, const QString& target);

enum class health {
    sound,
    damaged, // not a database, or PRAGMA quick_check finds a fault
    unknown  // could not be read now (missing, busy, no permission)
};
struct check_result {
    health state = health::unknown;
    QString detail;
};

// PRAGMA quick_check on a read-only connection that never checkpoints: nothing is written to
// the file.
check_result check(const QString& file);

} // namespace database_copy
