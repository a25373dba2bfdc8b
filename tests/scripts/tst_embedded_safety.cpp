// The embedded database as a desktop's user sets it up. The program's own connection commits
// durably (PRAGMA synchronous reads FULL, also after it reconnected) whether tarvo-setup-dsn made
// or upgraded the data source or someone wrote it by hand. tarvo-setup-dsn --restore lists the
// backups the program made, puts the chosen one in place, and keeps the file it replaced.

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "script_runner.h"
#include "sqlite_files.h"
#include "unexpected_dialogs.h"

using scripts_test::read_file;
using scripts_test::run_result;
using scripts_test::write_file;
using test_support::sqlite3;

class tst_embedded_safety : public QObject {
    Q_OBJECT
    QTemporaryDir odbc_system;

    run_result setup_dsn(const QTemporaryDir& home, const QStringList& arguments)
    {
        return scripts_test::run_setup_dsn(home.path(), odbc_system.path(), arguments);
    }
    // The program's session on the home's data source, in a process of its own.
    run_result probe(const QTemporaryDir& home, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ODBCINI"), home.filePath(QStringLiteral(".odbc.ini")));
        environment.insert(QStringLiteral("ODBCSYSINI"), odbc_system.path());
        return scripts_test::run(QStringLiteral(SESSION_PROBE), arguments, environment);
    }
    static QString database_in(const QTemporaryDir& home)
    {
        return home.filePath(QStringLiteral(".local/share/tarvo/faq.db"));
    }

private slots:
    void initTestCase() { scripts_test::write_driver_definitions(odbc_system.path()); }
    void program_commits_durably_data();
    void program_commits_durably();
    void restore_brings_back_a_backup_data();
    void restore_brings_back_a_backup();
};

void tst_embedded_safety::program_commits_durably_data()
{
    QTest::addColumn<QString>("by_hand"); // the data source's settings beyond Driver and Database
    QTest::addColumn<bool>("upgrade");    // one that tarvo-setup-dsn made before SyncPragma
    QTest::newRow("made by tarvo-setup-dsn") << QString() << false;
    QTest::newRow("upgraded by tarvo-setup-dsn")
        << QStringLiteral("Description=tarvo FAQ database (embedded)\n") << true;
    QTest::newRow("by hand, no setting") << QStringLiteral("Timeout=2000\n") << false;
    QTest::newRow("by hand, SyncPragma=OFF") << QStringLiteral("SyncPragma=OFF\n") << false;
}

void tst_embedded_safety::program_commits_durably()
{
    QFETCH(QString, by_hand);
    QFETCH(bool, upgrade);
    QTemporaryDir home;
    const QString database = database_in(home);
    const QString ini = home.filePath(QStringLiteral(".odbc.ini"));
    if (!by_hand.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(database).path()));
        test_support::make_sample_database(database);
        write_file(ini, QStringLiteral("[FAQ]\nDriver=SQLite3\nDatabase=%1\n").arg(database) + by_hand);
    }
    if (by_hand.isEmpty() || upgrade) {
        const run_result setup = setup_dsn(home, {});
        QVERIFY2(setup.exit_code == 0, qPrintable(setup.output));
        QVERIFY2(read_file(ini).contains(QStringLiteral("\nSyncPragma=FULL\n")), qPrintable(read_file(ini)));
    }
    // FULL (2) on the program's connection, and again once it reconnected.
    const run_result session = probe(home, {QStringLiteral("synchronous")});
    QVERIFY2(session.exit_code == 0, qPrintable(session.output));
    QCOMPARE(session.output, QStringLiteral("2\n2\n"));
}

void tst_embedded_safety::restore_brings_back_a_backup_data()
{
    QTest::addColumn<QStringList>("folder_setting"); // arguments for tarvo-setup-dsn, if any
    QTest::addColumn<QString>("which");              // the backup named for --restore; the newest if empty
    QTest::addColumn<int>("entries");                // in the database afterwards
    const QStringList beside;
    QTest::newRow("the newest, beside the database") << beside << QString() << 29;
    QTest::newRow("an older one by name") << beside << QStringLiteral("faq-2026-12-08.db") << 30;
    QTest::newRow("the newest, in the folder set")
        << QStringList{QStringLiteral("--backup-folder"), QStringLiteral("share")} << QString() << 29;
}

void tst_embedded_safety::restore_brings_back_a_backup()
{
    QFETCH(QStringList, folder_setting);
    QFETCH(QString, which);
    QFETCH(int, entries);
    QTemporaryDir home;
    const QString database = database_in(home);
    const run_result setup = setup_dsn(home, {});
    QVERIFY2(setup.exit_code == 0, qPrintable(setup.output));
    if (!folder_setting.isEmpty()) {
        folder_setting.last() = home.filePath(folder_setting.last());
        const run_result set = setup_dsn(home, folder_setting);
        QVERIFY2(set.exit_code == 0, qPrintable(set.output));
    }
    // Two backups where the program keeps them, each before an entry was deleted.
    const QString folder =
        folder_setting.isEmpty() ? QFileInfo(database).path() + QStringLiteral("/backups") : folder_setting.last();
    for (const char* day : {"2026-12-08", "2026-12-09"}) {
        const run_result made = probe(home, {QStringLiteral("backup"), QLatin1String(day)});
        QVERIFY2(made.exit_code == 0, qPrintable(made.output));
        QCOMPARE(made.output.trimmed(), QStringLiteral("%1/faq-%2.db").arg(folder, QLatin1String(day)));
        QCOMPARE(sqlite3(database, QStringLiteral("DELETE FROM faq WHERE rbr = (SELECT min(rbr) FROM faq)")).exit_code,
                 0);
    }

    const run_result restored = setup_dsn(home, which.isEmpty() ? QStringList{QStringLiteral("--restore")}
                                                                : QStringList{QStringLiteral("--restore"), which});
    QVERIFY2(restored.exit_code == 0, qPrintable(restored.output));
    QVERIFY2(restored.output.contains(QStringLiteral("  faq-2026-12-09.db\n  faq-2026-12-08.db\n")),
             qPrintable(restored.output));
    QCOMPARE(sqlite3(database, QStringLiteral("SELECT count(*) FROM faq")).output.trimmed(), QString::number(entries));
    QCOMPARE(sqlite3(database, QStringLiteral("SELECT count(*) FROM faq WHERE rbr = 2")).output.trimmed(),
             QStringLiteral("1"));
    QCOMPARE(sqlite3(database, QStringLiteral("PRAGMA journal_mode")).output.trimmed(), QStringLiteral("wal"));
    const QStringList aside =
        QDir(QFileInfo(database).path()).entryList({QStringLiteral("faq.db.replaced-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QVERIFY2(restored.output.contains(aside.first()), qPrintable(restored.output));
    const QString kept = QFileInfo(database).dir().filePath(aside.first());
    QCOMPARE(sqlite3(kept, QStringLiteral("SELECT count(*) FROM faq")).output.trimmed(), QStringLiteral("28"));
}

TARVO_GUILESS_TEST_MAIN(tst_embedded_safety)
#include "tst_embedded_safety.moc"
