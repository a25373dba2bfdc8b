#include "database_copy.h"

#include <QFile>
#include <QStringList>
#include <memory>
#include <sqlite3.h>

namespace database_copy {

namespace {

struct closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using connection = std::unique_ptr<sqlite3, closer>;

constexpr int busy_wait_ms = 5000;

connection open(const QString& path, int flags, QString& error)
{
    sqlite3* db = nullptr;
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    connection result(db);
    if (code != SQLITE_OK) {
        error = QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
        return nullptr;
    }
    sqlite3_busy_timeout(db, busy_wait_ms);
    return result;
}

// The first column of every row of a statement; its result code (SQLITE_DONE when it ran).
int first_column(sqlite3* db, const char* text, QStringList& rows)
{
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(db, text, -1, &statement, nullptr);
    while (code == SQLITE_OK || code == SQLITE_ROW) {
        code = sqlite3_step(statement);
        if (code == SQLITE_ROW)
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return code;
}

QString message(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

} // namespace

outcome copy(const QString& source, const QString& target)
{
    QString error;
    connection from = open(source, SQLITE_OPEN_READWRITE, error);
    if (!from)
        from = open(source, SQLITE_OPEN_READONLY, error); // a database the user may only read
    if (!from)
        return {false, error};
    {
        connection to = open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
        if (!to)
            return {false, error};
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (backup == nullptr)
            return {false, message(to.get())};
        // All pages in one step; a writer that holds the file locked past the busy wait (a
        // database in rollback-journal mode) is waited for a few times more.
        int code = SQLITE_OK;
        for (int attempt = 0; attempt < 10; ++attempt) {
            code = sqlite3_backup_step(backup, -1);
            if (code != SQLITE_BUSY && code != SQLITE_LOCKED)
                break;
            sqlite3_sleep(200);
        }
        sqlite3_backup_finish(backup);
        if (code != SQLITE_DONE)
            return {false, QString::fromUtf8(sqlite3_errstr(code))};
    }
    // The copy carries the source's WAL flag: made a single file again, then checked whole.
    connection copy = open(target, SQLITE_OPEN_READWRITE, error);
    if (!copy)
        return {false, error};
    QStringList mode;
    if (first_column(copy.get(), "PRAGMA journal_mode = DELETE", mode) != SQLITE_DONE)
        return {false, message(copy.get())};
    QStringList check;
    if (first_column(copy.get(), "PRAGMA integrity_check", check) != SQLITE_DONE)
        return {false, message(copy.get())};
    if (check != QStringList{QStringLiteral("ok")})
        return {false, QStringLiteral("the copy fails its integrity check: ") + check.value(0)};
    return {true, {}};
}

check_result check(const QString& file)
{
    if (!QFile::exists(file))
        return {health::unknown, QStringLiteral("no such file")};
    QString error;
    connection db = open(file, SQLITE_OPEN_READONLY, error);
    if (!db)
        return {health::unknown, error};
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    QStringList rows;
    const int code = first_column(db.get(), "PRAGMA quick_check", rows);
    const int primary = code & 0xff;
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
        return {health::damaged, message(db.get())};
    if (code != SQLITE_DONE)
        return {health::unknown, message(db.get())};
    if (rows != QStringList{QStringLiteral("ok")})
        return {health::damaged, rows.value(0)};
    return {health::sound, {}};
}

} // namespace database_copy
