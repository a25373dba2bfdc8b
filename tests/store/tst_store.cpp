// The store on a real database through its ODBC driver: every statement, its result codes,
// manual commit, rollback of failed changes, and texts stored exactly as given.
// Runs once on SQLite and once on PostgreSQL.

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include "dynamic_cursor.h"
#include "faq_fixture.h"
#include "session.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using test_support::backend;
using test_support::connect_session;
using test_support::faq_fixture;

namespace {

statements::entry_texts texts(const QString& adresa, const QString& pitanje, const QString& proizvod,
                              const QString& lot, const QString& odgovor)
{
    return statements::entry_texts{adresa, pitanje, proizvod, lot, odgovor};
}

} // namespace

class tst_store : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void max_is_empty_for_an_empty_table_and_largest_otherwise();
    void count_tells_insert_from_update();
    void insert_and_update_store_texts_exactly();
    void update_keeps_creation_date();
    void changes_are_invisible_until_commit();
    void failed_change_is_rolled_back_and_reported();
    void delete_removes_exactly_one_entry();
    void load_cursor_fetches_then_reports_no_more_rows();
    void load_cursor_reports_a_bad_statement();
    void retrieve_lists_rows_and_reports_rejections();
    void no_idle_transaction_after_a_read();
    void stored_entry_is_read_inside_the_change();
    void statements_fail_cleanly_without_a_connection();
    void session_opens_and_closes_as_told();

private:
    std::unique_ptr<faq_fixture> db;
    std::unique_ptr<transaction> sqlca;
};

void tst_store::initTestCase()
{
    db = std::make_unique<faq_fixture>();
    db->allow_null_texts(); // the tests write NULL texts too
    sqlca = std::make_unique<transaction>(QStringLiteral("store_test"));
    connect_session(*sqlca);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    QVERIFY(sqlca->connected());
}

void tst_store::init() { db->clear(); }

void tst_store::cleanupTestCase()
{
    sqlca.reset();
    db.reset();
}

void tst_store::max_is_empty_for_an_empty_table_and_largest_otherwise()
{
    std::optional<int> broj = 5;
    statements::select_max_rbr(*sqlca, broj);
    QCOMPARE(sqlca->SQLCode, 0L);
    QVERIFY(!broj.has_value());

    db->insert(3, "k", "q", "01/01/2020", "p", "l", "a");
    db->insert(41, "k", "q", "01/01/2020", "p", "l", "a");
    db->insert(7, "k", "q", "01/01/2020", "p", "l", "a");
    statements::select_max_rbr(*sqlca, broj);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(broj, std::optional<int>(41));
}

void tst_store::count_tells_insert_from_update()
{
    db->insert(12, "k", "q", "01/01/2020", "p", "l", "a");
    std::int16_t ima = -1;
    statements::select_count(*sqlca, 12, ima);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(ima, std::int16_t(1));
    statements::select_count(*sqlca, 13, ima);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(ima, std::int16_t(0));
}

void tst_store::insert_and_update_store_texts_exactly()
{
    const QString answer = QString(100000, QLatin1Char('x')).replace(5000, 7, QStringLiteral("čćžšđ\n'"));
    const auto inserted = texts(QStringLiteral("O'Brien; \"quoted\""), QStringLiteral("Zašto ČĆŽŠĐ?\r\nline two\ttab"),
                                QString(), QStringLiteral("   "), answer);
    statements::insert_entry(*sqlca, 5, inserted, QStringLiteral("09/08/2000"));
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    sqlca->commit();

    auto row = db->find(5);
    QVERIFY(row);
    QCOMPARE(row->adresa, inserted.adresa);
    QCOMPARE(row->pitanje, inserted.pitanje);
    QCOMPARE(row->datum, QStringLiteral("09/08/2000"));
    QCOMPARE(row->proizvod, QString(""));
    QCOMPARE(row->lot, QStringLiteral("   "));
    QCOMPARE(row->odgovor.size(), answer.size());
    QCOMPARE(row->odgovor, answer);

    const auto updated =
        texts(QStringLiteral("%_\\"), QStringLiteral("it's"), QStringLiteral("Đ"), QString(), QString());
    statements::update_entry(*sqlca, updated, 5);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    sqlca->commit();
    row = db->find(5);
    QVERIFY(row);
    QCOMPARE(row->adresa, updated.adresa);
    QCOMPARE(row->pitanje, updated.pitanje);
    QCOMPARE(row->proizvod, updated.proizvod);
    QCOMPARE(row->lot, QString(""));
    QCOMPARE(row->odgovor, QString(""));
}

void tst_store::update_keeps_creation_date()
{
    db->insert(8, "k", "q", "01/02/2003", "p", "l", "a");
    statements::update_entry(*sqlca, texts("k2", "q2", "p2", "l2", "a2"), 8);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    const auto row = db->find(8);
    QVERIFY(row);
    QCOMPARE(row->datum, QStringLiteral("01/02/2003"));
    QCOMPARE(row->pitanje, QStringLiteral("q2"));
}

void tst_store::changes_are_invisible_until_commit()
{
    statements::insert_entry(*sqlca, 9, texts("k", "q", "p", "l", "a"), QStringLiteral("01/01/2021"));
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(db->count(), 0); // another connection sees nothing yet (SQLite: WAL snapshot)
    sqlca->commit();
    QCOMPARE(db->count(), 1);
}

void tst_store::failed_change_is_rolled_back_and_reported()
{
    db->insert(4, "k", "q", "01/01/2020", "p", "l", "a");
    // A successful change, not yet committed, then a failing one (duplicate number).
    statements::update_entry(*sqlca, texts("changed", "q", "p", "l", "a"), 4);
    QCOMPARE(sqlca->SQLCode, 0L);
    statements::insert_entry(*sqlca, 4, texts("dup", "q", "p", "l", "a"), QStringLiteral("01/01/2021"));
    QCOMPARE(sqlca->SQLCode, -1L);
    QVERIFY(!sqlca->SQLErrText.isEmpty());
    // Nothing half-done survives: the next commit commits nothing of the failed work.
    sqlca->commit();
    QCOMPARE(db->find(4)->adresa, QStringLiteral("k"));
    // And the session goes on working.
    statements::insert_entry(*sqlca, 6, texts("ok", "q", "p", "l", "a"), QStringLiteral("01/01/2021"));
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    QCOMPARE(db->count(), 2);
}

void tst_store::delete_removes_exactly_one_entry()
{
    db->insert(1, "k", "q1", "01/01/2020", "p", "l", "a");
    db->insert(2, "k", "q2", "01/01/2020", "p", "l", "a");
    statements::delete_entry(*sqlca, 2);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    QCOMPARE(db->count(), 1);
    QVERIFY(db->find(1));
    // Deleting a number nobody carries is no failure.
    statements::delete_entry(*sqlca, 2);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
}

void tst_store::load_cursor_fetches_then_reports_no_more_rows()
{
    db->insert(21, "keys", "question", "01/01/2020", "product", "lot", "answer");
    dynamic_staging_area sqlsa;
    dynamic_cursor cursor(*sqlca, sqlsa);
    cursor.prepare(statements::load_statement(21));
    QCOMPARE(sqlsa.statement, QStringLiteral("SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE rbr=21"));
    cursor.open();
    QCOMPARE(sqlca->SQLCode, 0L);
    statements::entry_texts row;
    cursor.fetch(row);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(row.adresa, QStringLiteral("keys"));
    QCOMPARE(row.pitanje, QStringLiteral("question"));
    QCOMPARE(row.proizvod, QStringLiteral("product"));
    QCOMPARE(row.lot, QStringLiteral("lot"));
    QCOMPARE(row.odgovor, QStringLiteral("answer"));
    cursor.fetch(row);
    QCOMPARE(sqlca->SQLCode, 100L);
    cursor.close();

    cursor.prepare(statements::load_statement(22));
    cursor.open();
    QCOMPARE(sqlca->SQLCode, 0L);
    cursor.fetch(row);
    QCOMPARE(sqlca->SQLCode, 100L);
    cursor.close();
}

void tst_store::load_cursor_reports_a_bad_statement()
{
    dynamic_staging_area sqlsa;
    dynamic_cursor cursor(*sqlca, sqlsa);
    cursor.prepare(QStringLiteral("SELECT adresa FROM no_such_table WHERE rbr=1"));
    cursor.open();
    QVERIFY(sqlca->SQLCode < 0);
    QVERIFY(!sqlca->SQLErrText.isEmpty());
    // The session is usable afterwards (PostgreSQL aborts the transaction on an error).
    std::optional<int> broj;
    statements::select_max_rbr(*sqlca, broj);
    QCOMPARE(sqlca->SQLCode, 0L);
}

void tst_store::retrieve_lists_rows_and_reports_rejections()
{
    db->insert(1, "k", "pump noise", "01/01/2020", "Pump P1", "l", "a");
    db->insert(2, "k", "lamp", "01/01/2020", "Lamp L2", "l", "a");
    std::vector<statements::list_row> rows;
    statements::retrieve(
        *sqlca, QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE pitanje LIKE '%pump%'"),
        rows);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].rbr, std::optional<int>(1));
    QCOMPARE(rows[0].proizvod, QStringLiteral("Pump P1"));
    QCOMPARE(rows[0].pitanje, QStringLiteral("pump noise"));

    statements::retrieve(*sqlca, QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq"), rows);
    QCOMPARE(rows.size(), size_t(2));

    statements::retrieve(
        *sqlca, QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE Address LIKE '%x%'"), rows);
    QCOMPARE(sqlca->SQLCode, -1L);
    QVERIFY(!sqlca->SQLErrText.isEmpty());
    QVERIFY(rows.empty());

    // After a rejected statement the session still works.
    statements::retrieve(*sqlca, QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq"), rows);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(rows.size(), size_t(2));
}

void tst_store::no_idle_transaction_after_a_read()
{
    db->insert(1, "k", "q", "01/01/2020", "p", "l", "a");
    std::vector<statements::list_row> rows;
    statements::retrieve(*sqlca, QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq"), rows);
    std::int16_t ima = 0;
    statements::select_count(*sqlca, 1, ima);
    if (db->which() == backend::postgresql) {
        QSqlQuery query(db->admin());
        QVERIFY(query.exec(QStringLiteral(
            "SELECT count(*) FROM pg_stat_activity WHERE datname = 'faq' AND state = 'idle in transaction'")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 0);
    } else {
        // Another writer gets in at once: the reader holds nothing.
        db->exec(QStringLiteral("UPDATE faq SET lot = 'x' WHERE rbr = 1"));
    }
    // A change made before reads stays pending until its commit.
    statements::update_entry(*sqlca, texts("k2", "q", "p", "l", "a"), 1);
    statements::select_count(*sqlca, 1, ima);
    QCOMPARE(ima, std::int16_t(1));
    if (db->which() == backend::postgresql)
        QCOMPARE(db->find(1)->adresa, QStringLiteral("k"));
    sqlca->commit();
    QCOMPARE(db->find(1)->adresa, QStringLiteral("k2"));
}

// The save's read of the entry as stored now opens the change it belongs to: on PostgreSQL the
// row stays locked against other writers until the change ends; the update then commits with it.
void tst_store::stored_entry_is_read_inside_the_change()
{
    db->insert(12, "keys", "question", "01/01/2020", "product", "lot", "answer");
    std::optional<statements::entry_texts> stored;
    statements::select_stored_entry(*sqlca, 12, stored);
    QCOMPARE(sqlca->SQLCode, 0L);
    QVERIFY(stored);
    QCOMPARE(stored->adresa, QStringLiteral("keys"));
    QCOMPARE(stored->pitanje, QStringLiteral("question"));
    QCOMPARE(stored->proizvod, QStringLiteral("product"));
    QCOMPARE(stored->lot, QStringLiteral("lot"));
    QCOMPARE(stored->odgovor, QStringLiteral("answer"));
    QSqlQuery other(db->admin());
    if (db->which() == backend::postgresql) {
        QVERIFY(other.exec(QStringLiteral("SET lock_timeout = '200ms'")));
        QVERIFY2(!other.exec(QStringLiteral("UPDATE faq SET lot = 'elsewhere' WHERE rbr = 12")),
                 "the row is not locked");
    }
    statements::update_entry(*sqlca, texts("k2", "q2", "p2", "l2", "a2"), 12);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(db->find(12)->lot, QStringLiteral("l2"));

    // Rolled back, the change leaves the row free again.
    statements::select_stored_entry(*sqlca, 12, stored);
    sqlca->rollback();
    QVERIFY2(other.exec(QStringLiteral("UPDATE faq SET lot = 'elsewhere' WHERE rbr = 12")),
             qPrintable(other.lastError().text()));
    QCOMPARE(db->find(12)->lot, QStringLiteral("elsewhere"));

    // No row under the number: 100, nothing read.
    statements::select_stored_entry(*sqlca, 13, stored);
    QCOMPARE(sqlca->SQLCode, 100L);
    QVERIFY(!stored);
    sqlca->rollback();

    // A failing read leaves nothing pending: a writer elsewhere gets through.
    db->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
    statements::select_stored_entry(*sqlca, 12, stored);
    QCOMPARE(sqlca->SQLCode, -1L);
    QVERIFY(!stored);
    db->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq"));
}

void tst_store::session_opens_and_closes_as_told()
{
    db->insert_question(1, QStringLiteral("one"));
    transaction session(QStringLiteral("told"));
    const auto entries = [&] {
        std::optional<int> broj;
        statements::select_max_rbr(session, broj);
        return broj;
    };
    // A data source that is not there: the driver manager's words, then what failed.
    session.DBParm = QStringLiteral("ConnectString='DSN=NO_SUCH_SOURCE;UID=mirt;PWD=mirt'");
    session.connect();
    QVERIFY(!session.connected());
    QVERIFY2(session.SQLErrText.contains(QStringLiteral("Data source name not found")), qPrintable(session.SQLErrText));
    QVERIFY2(session.SQLErrText.endsWith(QStringLiteral("Unable to connect")), qPrintable(session.SQLErrText));

    // The right one, then again while connected: each connect leaves one working session.
    session.DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
    for (int connect = 1; connect <= 2; ++connect) {
        session.connect();
        QVERIFY2(session.connected() && session.SQLCode == 0, qPrintable(session.SQLErrText));
        QCOMPARE(entries(), std::optional<int>(1));
    }

    // Closed by the program, it stays closed: a statement does not open it again.
    session.disconnect();
    QVERIFY(!session.connected());
    QCOMPARE(entries(), std::optional<int>());
    QCOMPARE(session.SQLCode, -1L);
    QCOMPARE(session.SQLErrText, QStringLiteral("Not connected to the database."));
    QVERIFY(!session.connected());

    session.connect();
    QCOMPARE(entries(), std::optional<int>(1));
}

void tst_store::statements_fail_cleanly_without_a_connection()
{
    transaction offline(QStringLiteral("offline"));
    offline.AutoCommit = false;
    offline.DBParm = QStringLiteral("ConnectString='DSN=NO_SUCH_SOURCE;UID=mirt;PWD=mirt'");
    offline.connect();
    QCOMPARE(offline.SQLCode, -1L);
    const QString connect_error = offline.SQLErrText;
    QVERIFY(!connect_error.isEmpty());

    std::vector<statements::list_row> rows{statements::list_row{}};
    statements::retrieve(offline, QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq"), rows);
    QCOMPARE(offline.SQLCode, -1L);
    QCOMPARE(offline.SQLErrText, connect_error);
    QVERIFY(rows.empty());

    std::optional<int> broj = 3;
    statements::select_max_rbr(offline, broj);
    QCOMPARE(offline.SQLCode, -1L);
    QCOMPARE(broj, std::optional<int>(3));
    statements::delete_entry(offline, 1);
    QCOMPARE(offline.SQLCode, -1L);
    offline.commit();
    QCOMPARE(offline.SQLCode, -1L);
}

TARVO_GUILESS_TEST_MAIN(tst_store)
#include "tst_store.moc"
