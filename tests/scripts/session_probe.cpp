// The program's session on the data source "FAQ", in a process of its own (unixODBC reads a
// data source's file once per process), for the script tests:
//   session_probe synchronous    PRAGMA synchronous on the session's connection, then again
//                                after the session reconnected (its file replaced under a change)
//   session_probe backup DAY     the backup of DAY (YYYY-MM-DD) where the program keeps them
// Prints one line per answer; exits 1 on a failure, with the reason.

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <cstdio>

#include "backup_folder.h"
#include "embedded_database.h"
#include "odbc_statement.h"
#include "statements.h"
#include "transaction.h"

namespace {

int fail(const QString& why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
}

QString synchronous(transaction& sqlca)
{
    QString value;
    sqlca.run_read([&](odbc_connection& connection) {
        odbc_statement statement(connection);
        if (statement.execute(QStringLiteral("PRAGMA synchronous"))
            && statement.fetch() == odbc_statement::fetched::row)
            statement.text(1, value);
    });
    return value;
}

// The file replaced under a pending change: the commit is refused and the next statement
// reconnects.
bool reconnect(transaction& sqlca)
{
    const QString file = sqlite_database_file(sqlca.odbc_handle());
    statements::delete_entry(sqlca, 1);
    const QString moved = file + QStringLiteral(".moved");
    if (!sqlca.succeeded() || !QFile::copy(file, moved) || !QFile::remove(file) || !QFile::rename(moved, file))
        return false;
    sqlca.commit();
    return sqlca.session_lost();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    transaction sqlca(QStringLiteral("probe"));
    sqlca.AutoCommit = false;
    sqlca.DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
    sqlca.connect();
    if (!sqlca.succeeded())
        return fail(sqlca.SQLErrText);
    if (arguments == QStringList{QStringLiteral("synchronous")}) {
        std::printf("%s\n", qPrintable(synchronous(sqlca)));
        if (!reconnect(sqlca))
            return fail(QStringLiteral("the session did not reconnect: ") + sqlca.SQLErrText);
        std::printf("%s\n", qPrintable(synchronous(sqlca)));
        return 0;
    }
    const QDate day = QDate::fromString(arguments.value(1), Qt::ISODate);
    if (arguments.size() != 2 || arguments.first() != QLatin1String("backup") || !day.isValid())
        return fail(QStringLiteral("usage: session_probe synchronous | backup YYYY-MM-DD"));
    const std::unique_ptr<backup_keeper> keeper = embedded_database::look_after(sqlca);
    if (!keeper)
        return fail(QStringLiteral("no backups for this database"));
    const backup_folder::outcome made = backup_folder::make(keeper->database(), keeper->folder(), day);
    if (!made.ok)
        return fail(made.text);
    std::printf("%s\n", qPrintable(made.file));
    return 0;
}
