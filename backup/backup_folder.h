#pragma once
// The folder of an embedded database's backups: one checked copy a day, rotated (rotation.h).
// A copy replaces the day's earlier one only once it passed its check, and the rotation runs
// only after a good copy: a failed or damaged copy never costs a good backup.

#include <QDate>
#include <QString>
#include <vector>

namespace backup_folder {

// The folder beside the database ("backups" in the database's folder) unless the data source
// names another; a relative name is taken from the database's folder.
QString for_database(const QString& database, const QString& configured);

struct outcome {
    bool ok = false;
    QString file; // the backup made
    QString text; // what happened, in words for the status line
};

// Copies `database` into the folder as the backup of `day`, then removes the backups that the
// rotation no longer keeps.
outcome make(const QString& database, const QString& folder, QDate day);

// The days that have a backup of the database in the folder.
std::vector<QDate> days(const QString& database, const QString& folder);

} // namespace backup_folder
