// An embedded database made before the history of the entries existed: tarvo-setup-dsn gives
// the history to one it made, the documented sqlite3 step to any; each runs twice without
// changing a row, and afterwards every change is kept, also one made by the sqlite3 command
// line, and the program's store reads it and restores from it. A new database has the history
// from the start. A database busy with another program's change is left for the next run.
// tarvo-setup-dsn gives such a database the word search's index the same way, filled from the
// entries it holds and kept for every change after.

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "faq_fixture.h"
#include "history_statements.h"
#include "private_odbc.h"
#include "script_runner.h"
#include "session.h"
#include "sqlite_files.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using scripts_test::read_file;
using scripts_test::run;
using scripts_test::run_result;
using scripts_test::script;
using scripts_test::write_file;
using test_support::sqlite3;

namespace {

// Every value of every row, NULL apart from the empty text: equal only when no value changed.
QString dump(const QString& database)
{
    return sqlite3(database, QStringLiteral("SELECT rbr, quote(adresa), quote(pitanje), quote(datum), quote(proizvod), "
                                            "quote(lot), quote(odgovor) FROM faq ORDER BY rbr"))
        .output;
}

// The history's tables and triggers that a database holds.
QString history_objects(const QString& database)
{
    return sqlite3(database, QStringLiteral("SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master "
                                            "WHERE name IN ('faq_history', 'faq_restored', 'faq_keep_updated', "
                                            "'faq_keep_deleted') ORDER BY name)"))
        .output.trimmed();
}

const QString all_history_objects = QStringLiteral("faq_history faq_keep_deleted faq_keep_updated faq_restored");

// The entries one of the word search's indexes finds for an FTS5 query, by number.
QString word_matches(const QString& database, const QString& query, const QString& index = QStringLiteral("faq_words"))
{
    return sqlite3(database, QStringLiteral("SELECT group_concat(rbr, ' ') FROM (SELECT rowid AS rbr FROM %2 "
                                            "WHERE %2 MATCH '%1' ORDER BY rowid)")
                                 .arg(query, index))
        .output.trimmed();
}

} // namespace

class tst_history_upgrade : public QObject {
    Q_OBJECT
    QTemporaryDir odbc_system;

    // A database as tarvo-setup-dsn made it before the history: the table, the sample entries,
    // and the team's changes since.
    void make_old_database(const QString& database)
    {
        QDir().mkpath(QFileInfo(database).path());
        for (const char* schema : {"/db/faq.sqlite.sql", "/db/sample-entries.sql"}) {
            const run_result made = run(QStringLiteral("sh"),
                                        {QStringLiteral("-c"), QStringLiteral("sqlite3 -bail \"$0\" < \"$1\""),
                                         database, test_support::source_dir() + QLatin1String(schema)},
                                        QProcessEnvironment::systemEnvironment());
            QVERIFY2(made.exit_code == 0, qPrintable(made.output));
        }
        const run_result changed = sqlite3(
            database, QStringLiteral("UPDATE faq SET odgovor = odgovor || ' Provjereno.' WHERE rbr = 3; "
                                     "DELETE FROM faq WHERE rbr = 30; "
                                     "INSERT INTO faq VALUES (31, NULL, 'Prazno ŠĐČĆŽ', '01/01/2025', '', NULL, "
                                     "replace(hex(zeroblob(50000)), '00', 'Ž'));"));
        QVERIFY2(changed.exit_code == 0, qPrintable(changed.output));
        QCOMPARE(history_objects(database), QString());
    }

    run_result desktop_command(const QString& home, const QStringList& arguments)
    {
        return scripts_test::run_setup_dsn(home, odbc_system.path(), arguments);
    }

    // The upgrade as the history's schema documents it, with the installed path replaced.
    run_result documented_step(const QString& database)
    {
        const QString schema = test_support::source_dir() + QStringLiteral("/db/faq-history.sqlite.sql");
        const QRegularExpressionMatch line =
            QRegularExpression(QStringLiteral("^--   (\\(echo .*)$"), QRegularExpression::MultilineOption)
                .match(read_file(schema));
        if (!line.hasMatch())
            return {-1, QStringLiteral("no command in the schema's header")};
        QString command = line.captured(1);
        command.replace(QStringLiteral("/usr/share/tarvo/faq-history.sqlite.sql"), QStringLiteral("\"$0\""));
        command.replace(QStringLiteral("~/.local/share/tarvo/faq.db"), QStringLiteral("\"$1\""));
        return run(QStringLiteral("bash"), {QStringLiteral("-c"), command, schema, database},
                   QProcessEnvironment::systemEnvironment());
    }

    // After the upgrade: changes by another program and by the program's store are kept, and
    // the store restores a deleted entry.
    void verify_history_works(const QString& database)
    {
        const run_result changed = sqlite3(database, QStringLiteral("UPDATE faq SET lot = 'L-31' WHERE rbr = 31;"));
        QVERIFY2(changed.exit_code == 0, qPrintable(changed.output));
        test_support::private_odbc odbc;
        odbc.write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"),
                   {QStringLiteral("Database=") + database, QStringLiteral("Timeout=2000")});
        transaction sqlca(QStringLiteral("upgraded"));
        test_support::connect_session(sqlca);
        QVERIFY2(sqlca.SQLCode == 0, qPrintable(sqlca.SQLErrText));
        std::vector<history::version> versions;
        history::versions_of_entry(sqlca, 31, versions);
        QCOMPARE(versions.size(), std::size_t(1));
        QVERIFY(versions[0].texts.lot.isNull()); // it had no LOT at all
        QCOMPARE(versions[0].texts.pitanje, QStringLiteral("Prazno ŠĐČĆŽ"));

        statements::delete_entry(sqlca, 1);
        sqlca.commit();
        std::vector<history::deleted_entry> deleted;
        history::deleted_entries(sqlca, deleted);
        QCOMPARE(deleted.size(), std::size_t(1));
        history::restore_outcome outcome;
        history::restore_deleted(
            sqlca, deleted[0].version, [](std::optional<int>) { return std::optional<std::int16_t>(); }, outcome);
        QVERIFY2(outcome.what == history::restore_outcome::result::restored, qPrintable(outcome.title + outcome.text));
        QCOMPARE(outcome.rbr, 1);
        sqlca.disconnect();
    }

private slots:
    void initTestCase();
    void setup_dsn_gives_the_history_to_an_embedded_database_it_made();
    void documented_step_gives_the_history_to_any_database();
    void a_new_embedded_database_keeps_the_history_from_the_start();
    void a_busy_database_gets_the_history_on_the_next_run();
};

void tst_history_upgrade::initTestCase()
{
    QVERIFY(odbc_system.isValid());
    scripts_test::write_driver_definitions(odbc_system.path());
}

void tst_history_upgrade::setup_dsn_gives_the_history_to_an_embedded_database_it_made()
{
    QTemporaryDir home;
    const QString database = home.filePath(QStringLiteral(".local/share/tarvo/faq.db"));
    make_old_database(database);
    // Its data source as tarvo-setup-dsn wrote it then.
    write_file(
        home.filePath(QStringLiteral(".odbc.ini")),
        QStringLiteral("[FAQ]\nDescription=tarvo FAQ database (embedded)\nDriver=SQLite3\nDatabase=%1\nTimeout=2000\n"
                       "LoadExt=%2\n")
            .arg(database, test_support::like_extension_path()));
    const QString before = dump(database);
    QVERIFY(before.contains(QStringLiteral("'Prazno ŠĐČĆŽ'")));

    run_result result = desktop_command(home.path(), {});
    QVERIFY2(result.exit_code == 0, qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("now keeps every version of its entries")),
             qPrintable(result.output));
    QCOMPARE(history_objects(database), all_history_objects);
    QCOMPARE(dump(database), before);
    // The word search's index too, filled from the entries made before and kept from now on.
    QVERIFY2(result.output.contains(QStringLiteral("now has the word search's index")), qPrintable(result.output));
    QCOMPARE(word_matches(database, QStringLiteral("prazno AND zzz*")), QStringLiteral("31"));
    QCOMPARE(word_matches(database, QStringLiteral("peristaltic")), QStringLiteral("1"));

    result = desktop_command(home.path(), {});
    QVERIFY2(result.exit_code == 0 && !result.output.contains(QStringLiteral("now keeps"))
                 && !result.output.contains(QStringLiteral("now has")),
             qPrintable(result.output));
    QCOMPARE(dump(database), before);
    verify_history_works(database);
    QCOMPARE(sqlite3(database, QStringLiteral("UPDATE faq SET pitanje = 'Peristaltic' WHERE rbr = 31;")).exit_code, 0);
    QCOMPARE(word_matches(database, QStringLiteral("peristaltic")), QStringLiteral("1 31"));

    // A database made with the first word search, without the index that keeps the diacritics,
    // gets it filled and kept.
    QCOMPARE(sqlite3(database, QStringLiteral("DROP TABLE faq_words_exact;")).exit_code, 0);
    result = desktop_command(home.path(), {});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("now has the word search's index")),
             qPrintable(result.output));
    QCOMPARE(word_matches(database, QStringLiteral("peristaltic"), QStringLiteral("faq_words_exact")),
             QStringLiteral("1 31"));
    QCOMPARE(sqlite3(database, QStringLiteral("UPDATE faq SET pitanje = 'Šumarak' WHERE rbr = 1;")).exit_code, 0);
    QCOMPARE(word_matches(database, QStringLiteral("šumarak"), QStringLiteral("faq_words_exact")), QStringLiteral("1"));
    QCOMPARE(word_matches(database, QStringLiteral("sumarak"), QStringLiteral("faq_words_exact")), QString());
    QCOMPARE(word_matches(database, QStringLiteral("sumarak")), QStringLiteral("1"));

    // A data source somebody else made is left alone, its database too.
    QTemporaryDir other_home;
    const QString other = other_home.filePath(QStringLiteral("own.db"));
    make_old_database(other);
    write_file(other_home.filePath(QStringLiteral(".odbc.ini")),
               QStringLiteral("[FAQ]\nDescription=our own\nDriver=SQLite3\nDatabase=%1\n").arg(other));
    result = desktop_command(other_home.path(), {});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("leaving it as it is")),
             qPrintable(result.output));
    QCOMPARE(history_objects(other), QString());
}

void tst_history_upgrade::documented_step_gives_the_history_to_any_database()
{
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("faq.db"));
    make_old_database(database);
    const QString before = dump(database);
    for (int again = 1; again <= 2; ++again) {
        const run_result step = documented_step(database);
        QVERIFY2(step.exit_code == 0, qPrintable(step.output));
        QCOMPARE(history_objects(database), all_history_objects);
        QCOMPARE(dump(database), before);
        QCOMPARE(sqlite3(database, QStringLiteral("SELECT count(*) FROM faq_history")).output.trimmed(),
                 QStringLiteral("0"));
    }
    verify_history_works(database);
}

void tst_history_upgrade::a_new_embedded_database_keeps_the_history_from_the_start()
{
    QTemporaryDir home;
    const run_result result = desktop_command(home.path(), {QStringLiteral("--embedded")});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("finds 30 entries")),
             qPrintable(result.output));
    const QString database = home.filePath(QStringLiteral(".local/share/tarvo/faq.db"));
    QCOMPARE(history_objects(database), all_history_objects);
    // The sample entries are no changes: no versions yet.
    QCOMPARE(sqlite3(database, QStringLiteral("SELECT count(*) FROM faq_history")).output.trimmed(),
             QStringLiteral("0"));
    const run_result deleted = sqlite3(database, QStringLiteral("DELETE FROM faq WHERE rbr = 2;"));
    QVERIFY2(deleted.exit_code == 0, qPrintable(deleted.output));
    QCOMPARE(sqlite3(database, QStringLiteral("SELECT rbr || ' ' || change FROM faq_history")).output.trimmed(),
             QStringLiteral("2 delete"));
}

void tst_history_upgrade::a_busy_database_gets_the_history_on_the_next_run()
{
    QTemporaryDir home;
    const QString database = home.filePath(QStringLiteral(".local/share/tarvo/faq.db"));
    make_old_database(database);
    write_file(
        home.filePath(QStringLiteral(".odbc.ini")),
        QStringLiteral("[FAQ]\nDescription=tarvo FAQ database (embedded)\nDriver=SQLite3\nDatabase=%1\nTimeout=2000\n")
            .arg(database));
    const QString before = dump(database);
    {
        // Another program's change, not yet committed, holds the file's write lock.
        test_support::private_odbc odbc;
        odbc.write(QStringLiteral("BUSY"), QStringLiteral("SQLite3"), {QStringLiteral("Database=") + database});
        QSqlDatabase busy = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("busy"));
        busy.setDatabaseName(QStringLiteral("BUSY"));
        QVERIFY2(busy.open(), qPrintable(busy.lastError().text()));
        QVERIFY(busy.transaction());
        QSqlQuery change(busy);
        QVERIFY2(change.exec(QStringLiteral("UPDATE faq SET lot = 'pending' WHERE rbr = 1")),
                 qPrintable(change.lastError().text()));

        const run_result result = desktop_command(home.path(), {});
        QVERIFY2(result.exit_code == 0, qPrintable(result.output));
        QVERIFY2(result.output.contains(QStringLiteral("could not add the history of entries"))
                     && result.output.contains(QStringLiteral("the next run")),
                 qPrintable(result.output));
        QCOMPARE(history_objects(database), QString());
        QVERIFY(busy.rollback());
        change.finish();
        busy.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("busy"));
    const run_result next = desktop_command(home.path(), {});
    QVERIFY2(next.exit_code == 0 && next.output.contains(QStringLiteral("now keeps every version")),
             qPrintable(next.output));
    QCOMPARE(history_objects(database), all_history_objects);
    QCOMPARE(dump(database), before);
}

TARVO_GUILESS_TEST_MAIN(tst_history_upgrade)
#include "tst_history_upgrade.moc"
