// The history of the entries on a real database: the triggers keep every version, whoever
// changes the table (the store, or the sqlite3 and psql command lines as processes of their
// own); the store lists an entry's versions and the deleted entries, and restores a deleted one
// under its old number or the next free one, in one transaction. Runs on SQLite and PostgreSQL.

#include <QDateTime>
#include <QSqlQuery>
#include <QTest>
#include <set>

#include "faq_fixture.h"
#include "history_statements.h"
#include "run_program.h"
#include "session.h"
#include "session_identity.h"
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

QString describe(const statements::entry_texts& t)
{
    return QStringLiteral("[%1|%2|%3|%4|%5]").arg(t.adresa, t.pitanje, t.proizvod, t.lot, t.odgovor.left(40));
}

// The numbering of new entries: the largest number plus one, none past 32767.
std::optional<std::int16_t> next_number(std::optional<int> largest)
{
    if (!largest)
        return std::int16_t{1};
    if (*largest >= 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(std::max(*largest, 0) + 1);
}

} // namespace

class tst_history : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void every_change_made_through_the_store_is_kept();
    void a_save_without_change_and_a_rolled_back_change_keep_nothing();
    void changes_by_the_command_line_are_kept();
    void who_is_recorded_again_after_a_reconnect();
    void one_version_by_its_id();
    void deleted_entries_list_each_deletion_not_restored();
    void restore_under_the_old_number_when_free();
    void restore_under_the_next_free_number_when_taken();
    void restore_refused_when_no_number_is_left();
    void restore_is_one_transaction();
    void restore_reports_a_missing_history_table();

private:
    // Runs statements through the database's own command line, as another program would.
    test_support::run_result command_line(const QString& statements, const QString& desktop_user = QString());
    std::vector<history::version> versions(int rbr);
    std::vector<history::deleted_entry> deleted();
    history::restore_outcome restore(std::int64_t version_id);
    // The id of the latest deletion of entry rbr.
    std::int64_t deletion_of(int rbr);
    QString expected_user() const;

    std::unique_ptr<faq_fixture> db;
    std::unique_ptr<transaction> sqlca;
};

void tst_history::initTestCase()
{
    db = std::make_unique<faq_fixture>();
    sqlca = std::make_unique<transaction>(QStringLiteral("history_test"));
    connect_session(*sqlca);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
}

void tst_history::init() { db->clear(); }

void tst_history::cleanupTestCase()
{
    sqlca.reset();
    db.reset();
}

test_support::run_result tst_history::command_line(const QString& statements, const QString& desktop_user)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (db->which() == backend::sqlite)
        return test_support::run(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), db->database_file(), statements},
                                 environment);
    if (!desktop_user.isEmpty())
        environment.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c tarvo.desktop_user=") + desktop_user);
    return test_support::run(QStringLiteral("psql"),
                             {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                              QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), db->postgresql_socket_dir(),
                              QStringLiteral("-p"), QString::number(db->postgresql_port()), QStringLiteral("-U"),
                              QStringLiteral("mirt"), QStringLiteral("-d"), QStringLiteral("faq"), QStringLiteral("-c"),
                              statements},
                             environment);
}

std::vector<history::version> tst_history::versions(int rbr)
{
    std::vector<history::version> found;
    history::versions_of_entry(*sqlca, rbr, found);
    if (sqlca->SQLCode != 0)
        qWarning("versions_of_entry: %s", qPrintable(sqlca->SQLErrText));
    return found;
}

std::vector<history::deleted_entry> tst_history::deleted()
{
    std::vector<history::deleted_entry> found;
    history::deleted_entries(*sqlca, found);
    if (sqlca->SQLCode != 0)
        qWarning("deleted_entries: %s", qPrintable(sqlca->SQLErrText));
    return found;
}

history::restore_outcome tst_history::restore(std::int64_t version_id)
{
    history::restore_outcome outcome;
    history::restore_deleted(*sqlca, version_id, next_number, outcome);
    return outcome;
}

std::int64_t tst_history::deletion_of(int rbr)
{
    for (const history::deleted_entry& entry : deleted())
        if (entry.rbr == rbr)
            return entry.version;
    return 0;
}

QString tst_history::expected_user() const
{
    return db->which() == backend::postgresql ? session_identity::desktop_user() : QString();
}

void tst_history::every_change_made_through_the_store_is_kept()
{
    const auto original = texts(QStringLiteral("pump, flow"), QStringLiteral("Why does the pump drift?"),
                                QStringLiteral("Zelba"), QStringLiteral("LT-1"), QStringLiteral("Replace the tubing."));
    db->insert(5, original.adresa, original.pitanje, QStringLiteral("03/14/2019"), original.proizvod, original.lot,
               original.odgovor);
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-60);

    const auto first = texts(original.adresa, QStringLiteral("Zašto pumpa odstupa? it's"), original.proizvod,
                             original.lot, QString(5000, QChar(0x017D)));
    statements::update_entry(*sqlca, first, 5);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    // Only the case of a letter changes: still a version of its own.
    const auto second = texts(original.adresa, first.pitanje.toUpper(), original.proizvod, original.lot, first.odgovor);
    statements::update_entry(*sqlca, second, 5);
    sqlca->commit();
    statements::delete_entry(*sqlca, 5);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(60);

    const std::vector<history::version> found = versions(5);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(found.size(), std::size_t(3));
    // Newest first: the row as it was before the delete, then before each update.
    QCOMPARE(found[0].change, QStringLiteral("delete"));
    QVERIFY2(statements::same_texts(found[0].texts, second), qPrintable(describe(found[0].texts)));
    QCOMPARE(found[1].change, QStringLiteral("update"));
    QVERIFY2(statements::same_texts(found[1].texts, first), qPrintable(describe(found[1].texts)));
    QCOMPARE(found[2].change, QStringLiteral("update"));
    QVERIFY2(statements::same_texts(found[2].texts, original), qPrintable(describe(found[2].texts)));
    for (const history::version& one : found) {
        QCOMPARE(one.rbr, 5);
        QCOMPARE(one.datum, QStringLiteral("03/14/2019"));
        QCOMPARE(one.changed_by, expected_user());
        QVERIFY2(one.changed_at.isValid() && one.changed_at >= before && one.changed_at <= after,
                 qPrintable(one.changed_at.toString(Qt::ISODateWithMs)));
    }
    QVERIFY(found[0].id > found[1].id && found[1].id > found[2].id);
    QVERIFY(found[0].changed_at >= found[1].changed_at && found[1].changed_at >= found[2].changed_at);
    // Another entry has no versions: an empty list is no failure.
    QVERIFY(versions(6).empty());
    QCOMPARE(sqlca->SQLCode, 0L);
}

void tst_history::a_save_without_change_and_a_rolled_back_change_keep_nothing()
{
    db->insert(3, "k", "q", "01/01/2020", "p", "l", "a");
    statements::update_entry(*sqlca, texts("k", "q", "p", "l", "a"), 3);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    QVERIFY(versions(3).empty());

    statements::update_entry(*sqlca, texts("k2", "q", "p", "l", "a"), 3);
    QCOMPARE(sqlca->SQLCode, 0L);
    statements::delete_entry(*sqlca, 3);
    sqlca->rollback();
    QVERIFY(versions(3).empty());
    QCOMPARE(db->find(3)->adresa, QStringLiteral("k"));
    // An insert is no change of an earlier version.
    statements::insert_entry(*sqlca, 4, texts("k", "q", "p", "l", "a"), QStringLiteral("01/01/2021"));
    sqlca->commit();
    QVERIFY(versions(4).empty());
}

void tst_history::changes_by_the_command_line_are_kept()
{
    db->insert(1, "k1", "q1", "01/01/2020", "p1", "l1", "a1");
    db->insert(2, "k2", "q2", "01/01/2020", "p2", "l2", "a2");
    db->insert(3, "k3", "q3", "01/01/2020", "p3", "l3", "a3");

    test_support::run_result result = command_line(
        QStringLiteral("UPDATE faq SET odgovor = 'a1, checked' WHERE rbr = 1; DELETE FROM faq WHERE rbr = 2;"));
    QVERIFY2(result.exit_code == 0, qPrintable(result.output));
    std::vector<history::version> found = versions(1);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].change, QStringLiteral("update"));
    QCOMPARE(found[0].texts.odgovor, QStringLiteral("a1"));
    QCOMPARE(found[0].changed_by, QString()); // the command line says nobody
    found = versions(2);
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].change, QStringLiteral("delete"));
    QCOMPARE(found[0].texts.pitanje, QStringLiteral("q2"));

    if (db->which() == backend::postgresql) {
        // A session that says who it is, then the whole table emptied at once.
        result = command_line(QStringLiteral("UPDATE faq SET lot = 'L3' WHERE rbr = 3"), QStringLiteral("ana"));
        QVERIFY2(result.exit_code == 0, qPrintable(result.output));
        QCOMPARE(versions(3).at(0).changed_by, QStringLiteral("ana"));
        result = command_line(QStringLiteral("TRUNCATE faq"));
    } else {
        result = command_line(QStringLiteral("DELETE FROM faq;"));
    }
    QVERIFY2(result.exit_code == 0, qPrintable(result.output));
    QCOMPARE(db->count(), 0);
    const std::vector<history::deleted_entry> gone = deleted();
    QCOMPARE(gone.size(), std::size_t(3));
    std::set<int> numbers;
    for (const history::deleted_entry& entry : gone)
        numbers.insert(entry.rbr);
    QCOMPARE(numbers, (std::set<int>{1, 2, 3}));
    QCOMPARE(versions(1).at(0).texts.odgovor, QStringLiteral("a1, checked"));
}

void tst_history::who_is_recorded_again_after_a_reconnect()
{
    if (db->which() != backend::postgresql)
        QSKIP("only PostgreSQL tells who made a change");
    db->insert(8, "k", "q", "01/01/2020", "p", "l", "a");
    // The server ends the program's session; the next read opens a new one on its own.
    QSqlQuery query(db->admin());
    QVERIFY(query.exec(
        QStringLiteral("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                       "WHERE datname = 'faq' AND pid <> pg_backend_pid() AND backend_type = 'client backend'")));
    QVERIFY(query.next() && query.value(0).toInt() >= 1);
    std::int16_t ima = 0;
    statements::select_count(*sqlca, 8, ima);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    statements::update_entry(*sqlca, texts("k", "q", "p", "l", "a, again"), 8);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    sqlca->commit();
    QCOMPARE(versions(8).at(0).changed_by, session_identity::desktop_user());
}

void tst_history::one_version_by_its_id()
{
    db->insert(9, "k", "q", "12/31/1999", "p", "l", "a");
    statements::update_entry(*sqlca, texts("k", "q", "p", "l", "b"), 9);
    sqlca->commit();
    const std::vector<history::version> found = versions(9);
    QCOMPARE(found.size(), std::size_t(1));
    std::optional<history::version> one;
    history::one_version(*sqlca, found[0].id, one);
    QCOMPARE(sqlca->SQLCode, 0L);
    QVERIFY(one);
    QCOMPARE(one->id, found[0].id);
    QCOMPARE(one->rbr, 9);
    QCOMPARE(one->datum, QStringLiteral("12/31/1999"));
    QCOMPARE(one->changed_at, found[0].changed_at);
    QVERIFY(statements::same_texts(one->texts, texts("k", "q", "p", "l", "a")));
    history::one_version(*sqlca, found[0].id + 1000, one);
    QCOMPARE(sqlca->SQLCode, 100L);
    QVERIFY(!one);
}

void tst_history::deleted_entries_list_each_deletion_not_restored()
{
    db->insert(1, "k", "q1", "01/01/2020", "Pump P1", "l", "a");
    db->insert(2, "k", "q2", "01/01/2020", "Lamp L2", "l", "a");
    db->insert(3, "k", "q3", "01/01/2020", "Valve V3", "l", "a");
    QVERIFY(deleted().empty());
    QCOMPARE(sqlca->SQLCode, 0L);
    for (std::int16_t rbr : {std::int16_t(1), std::int16_t(2)}) {
        statements::delete_entry(*sqlca, rbr);
        sqlca->commit();
    }
    std::vector<history::deleted_entry> gone = deleted();
    QCOMPARE(gone.size(), std::size_t(2));
    QCOMPARE(gone[0].rbr, 2); // the latest deletion first
    QCOMPARE(gone[0].proizvod, QStringLiteral("Lamp L2"));
    QCOMPARE(gone[0].pitanje, QStringLiteral("q2"));
    QCOMPARE(gone[0].deleted_by, expected_user());
    QVERIFY(gone[0].deleted_at.isValid());
    QVERIFY(!gone[0].number_taken);
    QCOMPARE(gone[1].rbr, 1);

    // Another entry takes number 2: the deleted one still shows, its number taken.
    db->insert(2, "k", "a new entry", "01/01/2021", "Other", "l", "a");
    gone = deleted();
    QCOMPARE(gone.size(), std::size_t(2));
    QCOMPARE(gone[0].rbr, 2);
    QCOMPARE(gone[0].pitanje, QStringLiteral("q2"));
    QVERIFY(gone[0].number_taken);

    // Deleted, restored and deleted again: once, as its latest deletion.
    const std::int64_t first_deletion = deletion_of(1);
    QCOMPARE(restore(first_deletion).what, history::restore_outcome::result::restored);
    statements::update_entry(*sqlca, texts("k", "q1, edited", "Pump P1", "l", "a"), 1);
    sqlca->commit();
    statements::delete_entry(*sqlca, 1);
    sqlca->commit();
    gone = deleted();
    QCOMPARE(gone.size(), std::size_t(2));
    QCOMPARE(gone[0].rbr, 1);
    QCOMPARE(gone[0].pitanje, QStringLiteral("q1, edited"));
    QVERIFY(gone[0].version > first_deletion);
    QCOMPARE(gone[1].rbr, 2);
}

void tst_history::restore_under_the_old_number_when_free()
{
    // Texts with nothing in them stay as they were: no value and the empty text apart.
    db->allow_null_texts();
    db->exec(QStringLiteral("INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) "
                            "VALUES (7, NULL, 'Kvar: ŠUM i ''Đ''', '05/21/2019', '', NULL, 'line one\nline two')"));
    db->insert(8, "k", "q8", "01/01/2020", "p", "l", "a");
    const faq_fixture::row original = *db->find(7);
    statements::delete_entry(*sqlca, 7);
    sqlca->commit();
    const std::int64_t deletion = deletion_of(7);
    QVERIFY(deletion > 0);

    history::restore_outcome outcome = restore(deletion);
    QVERIFY2(outcome.what == history::restore_outcome::result::restored, qPrintable(outcome.title + outcome.text));
    QCOMPARE(outcome.rbr, 7);
    QVERIFY(outcome.under_old_number);
    QCOMPARE(sqlca->SQLCode, 0L);
    const std::optional<faq_fixture::row> back = db->find(7);
    QVERIFY(back);
    QCOMPARE(back->pitanje, original.pitanje);
    QCOMPARE(back->datum, QStringLiteral("05/21/2019"));
    QCOMPARE(back->odgovor, original.odgovor);
    QCOMPARE(back->proizvod, QString(""));
    QSqlQuery nulls(db->admin());
    QVERIFY(nulls.exec(QStringLiteral("SELECT count(*) FROM faq WHERE rbr = 7 AND adresa IS NULL AND lot IS NULL "
                                      "AND proizvod IS NOT NULL")));
    QVERIFY(nulls.next());
    QCOMPARE(nulls.value(0).toInt(), 1);
    QCOMPARE(db->count(), 2);
    QVERIFY(deleted().empty());

    // A second restore of the same deletion adds nothing.
    outcome = restore(deletion);
    QCOMPARE(outcome.what, history::restore_outcome::result::already_restored);
    QCOMPARE(outcome.rbr, 7);
    QCOMPARE(db->count(), 2);
    // So does one of a version that is no deletion, or none at all.
    statements::update_entry(*sqlca, texts("k", "q8, edited", "p", "l", "a"), 8);
    sqlca->commit();
    QCOMPARE(restore(versions(8).at(0).id).what, history::restore_outcome::result::not_deleted);
    QCOMPARE(restore(deletion + 1000).what, history::restore_outcome::result::not_deleted);
    QCOMPARE(db->count(), 2);
}

void tst_history::restore_under_the_next_free_number_when_taken()
{
    db->insert(3, "k", "the deleted one", "01/01/2020", "p", "l", "a");
    db->insert(10, "k", "q10", "01/01/2020", "p", "l", "a");
    statements::delete_entry(*sqlca, 3);
    sqlca->commit();
    db->insert(3, "k", "a new entry under 3", "01/01/2021", "p", "l", "a");
    // A number the program cannot hold never comes back either.
    db->insert(40000, "k", "beyond 16 bits", "01/01/2021", "p", "l", "a");
    db->exec(QStringLiteral("DELETE FROM faq WHERE rbr = 40000"));

    history::restore_outcome outcome = restore(deletion_of(3));
    QVERIFY2(outcome.what == history::restore_outcome::result::restored, qPrintable(outcome.title + outcome.text));
    QCOMPARE(outcome.rbr, 11);
    QVERIFY(!outcome.under_old_number);
    QCOMPARE(db->find(11)->pitanje, QStringLiteral("the deleted one"));
    QCOMPARE(db->find(3)->pitanje, QStringLiteral("a new entry under 3"));

    outcome = restore(deletion_of(40000));
    QVERIFY2(outcome.what == history::restore_outcome::result::restored, qPrintable(outcome.title + outcome.text));
    QCOMPARE(outcome.rbr, 12);
    QCOMPARE(db->find(12)->pitanje, QStringLiteral("beyond 16 bits"));
    QVERIFY(deleted().empty());
}

void tst_history::restore_refused_when_no_number_is_left()
{
    db->insert(5, "k", "q5", "01/01/2020", "p", "l", "a");
    statements::delete_entry(*sqlca, 5);
    sqlca->commit();
    db->insert(5, "k", "another five", "01/01/2020", "p", "l", "a");
    db->insert(32767, "k", "the last number", "01/01/2020", "p", "l", "a");
    const history::restore_outcome outcome = restore(deletion_of(5));
    QCOMPARE(outcome.what, history::restore_outcome::result::no_number_left);
    QCOMPARE(db->count(), 2);
    QCOMPARE(deleted().size(), std::size_t(1));
    // The session is free for the next change: nothing of the restore is pending.
    statements::update_entry(*sqlca, texts("k", "q", "p", "l", "changed"), 5);
    QCOMPARE(sqlca->SQLCode, 0L);
    sqlca->commit();
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(db->find(5)->odgovor, QStringLiteral("changed"));
}

void tst_history::restore_is_one_transaction()
{
    db->insert(6, "k", "q6", "01/01/2020", "p", "l", "a");
    statements::delete_entry(*sqlca, 6);
    sqlca->commit();
    const std::int64_t deletion = deletion_of(6);
    // The note of the restore is refused after the entry went back in: the entry must not stay.
    if (db->which() == backend::sqlite) {
        db->exec(QStringLiteral("CREATE TRIGGER refuse_restore BEFORE INSERT ON faq_restored "
                                "BEGIN SELECT RAISE(ABORT, 'restores refused here'); END"));
    } else {
        db->exec(QStringLiteral("CREATE FUNCTION refuse_restore() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                "RAISE EXCEPTION 'restores refused here'; END $$"));
        db->exec(QStringLiteral("CREATE TRIGGER refuse_restore BEFORE INSERT ON faq_restored FOR EACH ROW "
                                "EXECUTE FUNCTION refuse_restore()"));
    }
    history::restore_outcome outcome = restore(deletion);
    if (db->which() == backend::sqlite)
        db->exec(QStringLiteral("DROP TRIGGER refuse_restore"));
    else
        db->exec(QStringLiteral("DROP FUNCTION refuse_restore() CASCADE"));
    QCOMPARE(outcome.what, history::restore_outcome::result::failed);
    QCOMPARE(outcome.title, QStringLiteral("INSERT INTO faq_restored VALUES(...)"));
    QVERIFY2(outcome.text.contains(QStringLiteral("restores refused here")), qPrintable(outcome.text));
    QVERIFY(sqlca->SQLCode < 0);
    QCOMPARE(db->count(), 0);
    QCOMPARE(deleted().size(), std::size_t(1));

    // Once the database takes it, the same restore goes through.
    outcome = restore(deletion);
    QCOMPARE(outcome.what, history::restore_outcome::result::restored);
    QCOMPARE(db->find(6)->pitanje, QStringLiteral("q6"));
}

void tst_history::restore_reports_a_missing_history_table()
{
    // A database set up before the history existed.
    db->exec(QStringLiteral("DROP TABLE faq_restored"));
    history::restore_outcome outcome = restore(1);
    QCOMPARE(outcome.what, history::restore_outcome::result::failed);
    QCOMPARE(outcome.title, QStringLiteral("SELECT ... FROM faq_history"));
    QVERIFY2(outcome.text.contains(QStringLiteral("faq_restored")), qPrintable(outcome.text));
    std::vector<history::deleted_entry> gone;
    history::deleted_entries(*sqlca, gone);
    QVERIFY(sqlca->SQLCode < 0);
    QVERIFY(!sqlca->SQLErrText.isEmpty());
    db->recreate_table();
    // The session goes on working.
    QVERIFY(deleted().empty());
    QCOMPARE(sqlca->SQLCode, 0L);
}

TARVO_GUILESS_TEST_MAIN(tst_history)
#include "tst_history.moc"
