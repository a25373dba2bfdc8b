#include "transaction.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <sql.h>
#include <sqlext.h>
#include <utility>

namespace {

// Asks the ODBC driver whether the connection is gone (server stopped, restarted, network
// lost). This reads the driver's own state, no round trip. A driver that cannot tell is taken
// to be connected, so nothing is reopened on a guess.
bool connection_dead(const QSqlDatabase& db)
{
    if (!db.isOpen() || db.driver() == nullptr)
        return false;
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "void*") != 0)
        return false;
    const SQLHANDLE hdbc = *static_cast<const SQLHANDLE*>(handle.constData());
    if (hdbc == nullptr)
        return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN result = SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return SQL_SUCCEEDED(result) && dead == SQL_CD_TRUE;
}

} // namespace

connect_settings parse_connect_string(const QString& dbparm)
{
    connect_settings settings;
    static const QRegularExpression quoted(QStringLiteral("ConnectString\\s*=\\s*'([^']*)'"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = quoted.match(dbparm);
    const QString inner = match.hasMatch() ? match.captured(1) : QString();
    for (const QString& part : inner.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = part.left(equals).trimmed().toUpper();
        const QString value = part.mid(equals + 1);
        if (key == QLatin1String("DSN"))
            settings.dsn = value;
        else if (key == QLatin1String("UID"))
            settings.uid = value;
        else if (key == QLatin1String("PWD"))
            settings.pwd = value;
    }
    return settings;
}

transaction::transaction(QString connection_name) : name(std::move(connection_name)) {}

transaction::~transaction() { disconnect(); }

void transaction::connect()
{
    connect_attempted = true;
    lost = false;
    change_pending = false;
    const connect_settings settings = parse_connect_string(DBParm);
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        // QODBC prefixes "DSN=" itself unless the name holds a DRIVER= part.
        db.setDatabaseName(settings.dsn);
        db.setUserName(settings.uid);
        db.setPassword(settings.pwd);
        if (!db.open()) {
            connect_error = db.lastError().text();
            failed(connect_error);
            return;
        }
    }
    connect_error.clear();
    succeeded();
    if (!AutoCommit)
        begin_manual_transaction();
}

void transaction::disconnect()
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen()) {
            // Leave nothing pending: SQLite keeps its file locked by an open transaction.
            db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

bool transaction::connected() const
{
    return QSqlDatabase::contains(name) && QSqlDatabase::database(name, false).isOpen();
}

QSqlDatabase transaction::database() const { return QSqlDatabase::database(name, false); }

void transaction::begin_manual_transaction()
{
    // QODBC's transaction() switches automatic commit off; commit() and rollback() switch it
    // back on, so it is called again after each of them.
    database().transaction();
}

void transaction::end_transaction(bool commit_it)
{
    if (!connected())
        return;
    if (lost) {
        // The server has already thrown away whatever the lost connection had pending; a commit
        // that a driver might answer with success must not claim the change was stored.
        change_pending = false;
        if (commit_it)
            failed(unusable_text());
        else
            succeeded();
        return;
    }
    QSqlDatabase db = database();
    const bool ok = commit_it ? db.commit() : db.rollback();
    if (ok)
        succeeded();
    else
        failed(db.lastError());
    change_pending = false;
    if (!AutoCommit && !lost)
        begin_manual_transaction();
}

void transaction::commit()
{
    if (refuse_when_unusable())
        return;
    end_transaction(true);
}

void transaction::rollback()
{
    if (refuse_when_unusable())
        return;
    end_transaction(false);
}

void transaction::read_done()
{
    if (change_pending || AutoCommit || !connected())
        return;
    const long code = SQLCode;
    const QString text = SQLErrText;
    end_transaction(false);
    SQLCode = code;
    SQLErrText = text;
}

void transaction::undo_failed_change()
{
    const long code = SQLCode;
    const QString text = SQLErrText;
    if (connected())
        end_transaction(false);
    SQLCode = code;
    SQLErrText = text;
}

void transaction::succeeded(long code)
{
    SQLCode = code;
    SQLErrText.clear();
}

void transaction::failed(const QSqlError& error)
{
    failed(error.text());
    if (!lost && connection_dead(database()))
        lost = true;
}

void transaction::failed(const QString& text)
{
    SQLCode = failure;
    SQLErrText = text;
}

QString transaction::unusable_text() const
{
    if (lost)
        return QStringLiteral("The connection to the database was lost.");
    return connect_error.isEmpty() ? QStringLiteral("Not connected to the database.") : connect_error;
}

bool transaction::refuse_when_unusable()
{
    if (connected())
        return false;
    failed(unusable_text());
    return true;
}

bool transaction::refuse_when_not_connected()
{
    if (connected() && !lost)
        return false;
    // One attempt per statement, and only for a session the program connected: a change still
    // pending on a lost connection must first be reported by its commit.
    if (connect_attempted && !change_pending && reopen())
        return false;
    failed(unusable_text());
    return true;
}

bool transaction::reopen()
{
    if (!QSqlDatabase::contains(name))
        return false;
    QSqlDatabase db = database();
    if (db.isOpen()) {
        db.rollback();
        db.close();
    }
    if (!db.open()) {
        connect_error = db.lastError().text();
        lost = false; // now simply not connected; the next statement tries again
        return false;
    }
    connect_error.clear();
    lost = false;
    change_pending = false;
    if (!AutoCommit)
        begin_manual_transaction();
    return true;
}
