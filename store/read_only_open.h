#pragma once
// A SQLite data source whose database this user cannot write: its file is read-only, or its
// folder is, where a database in WAL mode keeps its -wal and -shm files. Such a database is
// opened read-only, so that it can still be searched and read, and every change is refused with
// words that say so and where.

#include <QString>
#include <optional>

namespace read_only_open {

struct database {
    QString file;
    // What the connect string adds for the driver ("" when the usual opening reads the file).
    QString connect_attributes;
};

// The SQLite database file a connection opened, when this user cannot write it; no value when
// the file can be written.
std::optional<database> check(const QString& file);

// The message for a change refused on it.
QString refusal(const QString& file);

} // namespace read_only_open
