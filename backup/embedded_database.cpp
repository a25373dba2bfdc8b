#include "embedded_database.h"

#include "backup_folder.h"
#include "data_source.h"
#include "database_copy.h"
#include "database_kind.h"
#include "transaction.h"

namespace embedded_database {

QString damaged_text(const QString& file, const QString& detail)
{
    return QStringLiteral("The database file %1 is damaged (%2). Nothing was written to it. To put the last backup "
                          "in its place, close the program and run: %3")
        .arg(file, detail, QString::fromUtf16(restore_command));
}

std::unique_ptr<backup_keeper> look_after(transaction& sqlca)
{
    if (!sqlca.connected() || !is_sqlite(sqlca.odbc_handle()))
        return nullptr;
    const QString file = sqlite_database_file(sqlca.odbc_handle());
    if (file.isEmpty())
        return nullptr;
    const database_copy::check_result health = database_copy::check(file);
    if (health.state == database_copy::health::damaged) {
        sqlca.refuse(damaged_text(file, health.detail));
        return nullptr;
    }
    const QString dsn = parse_connect_string(sqlca.DBParm).dsn;
    return std::make_unique<backup_keeper>(
        file, backup_folder::for_database(file, data_source::setting(dsn, folder_setting)));
}

} // namespace embedded_database
