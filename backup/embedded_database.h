#pragma once
// What the program does for an embedded (SQLite) database once the session has connected: a
// damaged file is told apart and left alone, a sound one is backed up. Nothing for a database
// on a server (its administrator backs it up).

#include <QString>
#include <memory>

#include "backup_keeper.h"

class transaction;

namespace embedded_database {

// The command that puts a backup back in place.
inline constexpr char16_t restore_command[] = u"tarvo-setup-dsn --restore";

// The data source's setting that names the backups' folder.
inline constexpr char folder_setting[] = "BackupFolder";

// "The database file ... is damaged (...)", with the command that restores a backup.
QString damaged_text(const QString& file, const QString& detail);

// After sqlca connected. A SQLite file that is not a database or fails its quick check: the
// session refuses it (its statements report damaged_text) and nothing is written to it. A sound
// one: its backups' keeper. Nothing otherwise.
std::unique_ptr<backup_keeper> look_after(transaction& sqlca);

} // namespace embedded_database
