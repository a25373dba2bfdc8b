// The ODBC statement under every store statement, on the real drivers: values bound in order,
// texts read back exactly (long, empty, null, beyond U+FFFF), "no data" as success, and failures
// that carry the database's SQLSTATE, which is how a lost connection is recognised.
// Runs once on SQLite and once on PostgreSQL.

#include <QTest>
#include <sqlext.h>

#include "faq_fixture.h"
#include "odbc_statement.h"
#include "unexpected_dialogs.h"

using test_support::backend;
using test_support::faq_fixture;

namespace {

// A plain ODBC connection to the test data source, with automatic commit.
class raw_connection {
public:
    raw_connection()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        const QByteArray text = "DSN=FAQ;UID=mirt;PWD=mirt";
        connected =
            SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.data())),
                                           SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        if (connected)
            link.reset(dbc);
    }
    ~raw_connection()
    {
        link.reset(); // the kept statement handle goes before its connection
        if (connected)
            SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    raw_connection(const raw_connection&) = delete;
    raw_connection& operator=(const raw_connection&) = delete;

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    odbc_connection link;
};

QString long_text(int length)
{
    QString text;
    text.reserve(length);
    for (int i = 0; text.size() < length; ++i)
        text += QStringLiteral("čćžšđ ČĆŽŠĐ %1 ").arg(i);
    text.truncate(length);
    return text;
}

} // namespace

class tst_odbc_statement : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void binds_in_order_and_reads_texts_back_exactly();
    void no_data_is_a_success_and_an_empty_result_ends_at_once();
    void failures_carry_the_databases_sqlstate();
    void a_kept_handle_carries_nothing_into_the_next_statement();
    void a_statement_on_no_connection_reports_instead_of_crashing();
    void sqlstates_that_mean_the_connection_is_gone();

private:
    std::unique_ptr<faq_fixture> db;
    std::unique_ptr<raw_connection> connection;
};

void tst_odbc_statement::initTestCase()
{
    db = std::make_unique<faq_fixture>();
    db->allow_null_texts(); // the tests write NULL texts too
    connection = std::make_unique<raw_connection>();
    QVERIFY(connection->connected);
}

void tst_odbc_statement::init() { db->clear(); }

void tst_odbc_statement::cleanupTestCase()
{
    connection.reset();
    db.reset();
}

void tst_odbc_statement::binds_in_order_and_reads_texts_back_exactly()
{
    const QString long_answer = long_text(300000);
    const QString astral = QStringLiteral("emoji 😀 and 𝄞 clef");
    {
        odbc_statement insert(connection->link);
        QVERIFY(insert.allocated());
        insert.bind(7);
        insert.bind(QStringLiteral("it's 'quoted'"));
        insert.bind(QString()); // a null text is stored as typed: empty
        insert.bind(QStringLiteral("01/02/2003"));
        insert.bind(astral);
        insert.bind(QStringLiteral(""));
        insert.bind(long_answer);
        QVERIFY2(insert.execute(QStringLiteral("INSERT INTO faq VALUES ( ? , ? , ? , ? , ? , ? , ? ) ")),
                 qPrintable(insert.error().text));
    }
    db->exec(QStringLiteral("INSERT INTO faq (rbr) VALUES (8)")); // texts left null

    odbc_statement select(connection->link);
    QVERIFY(
        select.execute(QStringLiteral("SELECT rbr, adresa, pitanje, proizvod, lot, odgovor FROM faq ORDER BY rbr")));
    QCOMPARE(select.fetch(), odbc_statement::fetched::row);
    std::optional<std::int64_t> number;
    QVERIFY(select.number(1, number));
    QCOMPARE(number, std::optional<std::int64_t>(7));
    QString text;
    QVERIFY(select.text(2, text));
    QCOMPARE(text, QStringLiteral("it's 'quoted'"));
    QVERIFY(select.text(3, text));
    QVERIFY(!text.isNull());
    QCOMPARE(text, QStringLiteral(""));
    QVERIFY(select.text(4, text));
    QCOMPARE(text, astral);
    QVERIFY(select.text(6, text));
    QCOMPARE(text.size(), long_answer.size());
    QCOMPARE(text, long_answer);

    QCOMPARE(select.fetch(), odbc_statement::fetched::row);
    QVERIFY(select.text(2, text));
    QVERIFY(text.isNull());
    QCOMPARE(select.fetch(), odbc_statement::fetched::end);
}

void tst_odbc_statement::no_data_is_a_success_and_an_empty_result_ends_at_once()
{
    odbc_statement update(connection->link);
    update.bind(QStringLiteral("nobody"));
    update.bind(404);
    QVERIFY2(update.execute(QStringLiteral("UPDATE faq SET lot = ? WHERE rbr = ?")), qPrintable(update.error().text));

    odbc_statement select(connection->link);
    select.bind(404);
    QVERIFY(select.execute(QStringLiteral("SELECT rbr FROM faq WHERE rbr = ?")));
    QCOMPARE(select.fetch(), odbc_statement::fetched::end);

    odbc_statement maximum(connection->link);
    QVERIFY(maximum.execute(QStringLiteral("SELECT MAX ( rbr ) FROM faq ")));
    QCOMPARE(maximum.fetch(), odbc_statement::fetched::row);
    std::optional<std::int64_t> number = 1;
    QVERIFY(maximum.number(1, number));
    QVERIFY(!number.has_value());
}

void tst_odbc_statement::failures_carry_the_databases_sqlstate()
{
    db->insert(1, "k", "q", "01/01/2020", "p", "l", "a");
    {
        odbc_statement duplicate(connection->link);
        duplicate.bind(1);
        QVERIFY(!duplicate.execute(QStringLiteral("INSERT INTO faq (rbr) VALUES (?)")));
        QVERIFY2(!duplicate.error().sqlstate.isEmpty(), qPrintable(duplicate.error().text));
        QVERIFY(duplicate.error().text.endsWith(QStringLiteral("Unable to execute statement")));
        QVERIFY(!duplicate.error().connection_lost());
        if (db->which() == backend::postgresql)
            QCOMPARE(duplicate.error().sqlstate, QStringLiteral("23505"));

        odbc_statement bad(connection->link);
        QVERIFY(!bad.execute(QStringLiteral("SELECT nothing FROM nowhere")));
        QVERIFY(!bad.error().connection_lost());
        if (db->which() == backend::postgresql)
            QCOMPARE(bad.error().sqlstate, QStringLiteral("42P01"));
    }
    if (db->which() == backend::postgresql) {
        // The server ending the session is a lost connection, whatever the driver's flag says.
        std::optional<std::int64_t> backend_pid;
        {
            odbc_statement pid(connection->link);
            QVERIFY(pid.execute(QStringLiteral("SELECT pg_backend_pid()")));
            QCOMPARE(pid.fetch(), odbc_statement::fetched::row);
            QVERIFY(pid.number(1, backend_pid));
        }
        // With a timeout the call returns only once the session has ended.
        db->exec(QStringLiteral("SELECT pg_terminate_backend(%1, 20000)").arg(*backend_pid));
        {
            odbc_statement after(connection->link);
            QVERIFY(!after.allocated() || !after.execute(QStringLiteral("SELECT 1")));
            QVERIFY2(after.error().connection_lost(),
                     qPrintable(after.error().sqlstate + QLatin1Char(' ') + after.error().text));
        }
        // A statement never outlives its connection.
        connection = std::make_unique<raw_connection>();
    }
}

void tst_odbc_statement::a_kept_handle_carries_nothing_into_the_next_statement()
{
    db->insert(1, "k", "q", "01/01/2020", "p", "l", "a");
    db->insert(2, "k", "q", "01/01/2020", "p", "l", "b");
    SQLHSTMT first = SQL_NULL_HSTMT;
    {
        // Values bound, a result left half read, a column bound.
        odbc_statement statement(connection->link);
        first = statement.handle();
        statement.bind(0);
        QVERIFY(statement.execute(QStringLiteral("SELECT rbr, odgovor FROM faq WHERE rbr > ? ORDER BY rbr")));
        SQLBIGINT bound = 0;
        SQLLEN indicator = 0;
        QVERIFY(SQL_SUCCEEDED(SQLBindCol(statement.handle(), 1, SQL_C_SBIGINT, &bound, 0, &indicator)));
        QCOMPARE(statement.fetch(), odbc_statement::fetched::row);
        QCOMPARE(bound, SQLBIGINT(1));
    }
    odbc_statement next(connection->link);
    QCOMPARE(next.handle(), first); // the same handle, kept
    QVERIFY2(next.execute(QStringLiteral("SELECT odgovor FROM faq WHERE rbr = 2")), qPrintable(next.error().text));
    QCOMPARE(next.fetch(), odbc_statement::fetched::row);
    QString text;
    QVERIFY(next.text(1, text));
    QCOMPARE(text, QStringLiteral("b"));
    QCOMPARE(next.fetch(), odbc_statement::fetched::end);
    // A second statement alive at the same time gets a handle of its own.
    odbc_statement other(connection->link);
    QVERIFY(other.allocated());
    QVERIFY(other.handle() != next.handle());
}

void tst_odbc_statement::a_statement_on_no_connection_reports_instead_of_crashing()
{
    SQLHDBC never = SQL_NULL_HDBC; // a connection handle that was never connected
    QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, connection->env, &never)));
    {
        odbc_connection unconnected(never);
        odbc_statement statement(unconnected);
        QVERIFY(!statement.allocated());
        QVERIFY(!statement.execute(QStringLiteral("SELECT 1")));
        QVERIFY2(statement.error().text.endsWith(QStringLiteral("Unable to allocate statement")),
                 qPrintable(statement.error().text));
        QVERIFY2(statement.error().connection_lost(), qPrintable(statement.error().sqlstate)); // 08003
    }
    SQLFreeHandle(SQL_HANDLE_DBC, never);
}

void tst_odbc_statement::sqlstates_that_mean_the_connection_is_gone()
{
    for (const char* state : {"08S01", "08006", "08003", "08001", "57P01", "57P02", "57P03"})
        QVERIFY2(store_error({QString::fromLatin1(state), {}}).connection_lost(), state);
    for (const char* state : {"", "23505", "42P01", "HY000", "40001", "57014", "HY008"})
        QVERIFY2(!store_error({QString::fromLatin1(state), {}}).connection_lost(), state);
}

TARVO_GUILESS_TEST_MAIN(tst_odbc_statement)
#include "tst_odbc_statement.moc"
