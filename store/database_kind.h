#pragma once
// What the driver of a connection tells about the database behind it, from its own state (no
// statement runs): whether it is SQLite, and which file a SQLite connection works on.

#include <QString>
#include <optional>
#include <sql.h>
#include <sys/types.h>

// One text the driver holds about its connection (SQLGetInfo, no round trip to the server);
// empty when it cannot tell. The wide variant, so that a file name outside ASCII arrives intact.
QString driver_info(SQLHDBC connection, SQLUSMALLINT what);

// The driver's name for its database ("SQLite", "PostgreSQL"); empty when it cannot tell.
QString dbms_name(SQLHDBC connection);
bool is_sqlite(SQLHDBC connection);

// The database file a SQLite connection opened (the data source's Database setting, as an
// absolute path); empty when the driver does not say.
QString sqlite_database_file(SQLHDBC connection);

// Which file a path names: the same device and inode is the same file, whatever its name.
struct file_identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const file_identity&) const = default;
};

// The file the path names now; no value when there is none.
std::optional<file_identity> identify_file(const QString& path);
