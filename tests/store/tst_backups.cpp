// Backups of the embedded database. A backup made while another connection has a change pending
// holds what was committed, opens and passes its check, and the writer commits afterwards as
// usual. The rotation keeps the newest backup of each of the last days, weeks and months that
// have one; a failed backup removes none. The keeper backs up at most once a day and after every
// so many saves, and a failure is said when it happens and again by the next run.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "backup_folder.h"
#include "backup_keeper.h"
#include "database_copy.h"
#include "faq_fixture.h"
#include "rotation.h"
#include "session.h"
#include "sqlite_files.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using test_support::faq_fixture;

namespace {

using day_list = std::vector<QDate>;

// `count` days in a row up to `last`.
day_list days_up_to(QDate last, int count)
{
    day_list days;
    for (int back = count - 1; back >= 0; --back)
        days.push_back(last.addDays(-back));
    return days;
}

QStringList file_names(const day_list& days)
{
    QStringList names;
    for (const QDate day : days)
        names << rotation::file_name(QStringLiteral("faq.db"), day);
    names.sort();
    return names;
}

QString count_in(const QString& database)
{
    return test_support::sqlite3(database, QStringLiteral("SELECT count(*) FROM faq")).output.trimmed();
}

const QDate wednesday(2026, 12, 9);

} // namespace

class tst_backups : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init()
    {
        fixture->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        fixture->recreate_table();
        fixture->load_sample_entries();
    }

    void copy_during_a_pending_change_data();
    void copy_during_a_pending_change();
    void rotation_keeps_the_newest_of_each_period_data();
    void rotation_keeps_the_newest_of_each_period();
    void folder_keeps_what_the_rotation_keeps();
    void keeper_backs_up_daily_and_after_saves_and_tells_failures();
};

void tst_backups::copy_during_a_pending_change_data()
{
    QTest::addColumn<QString>("journal_mode");
    QTest::addColumn<bool>("insert"); // else a delete
    QTest::newRow("WAL, a new entry pending") << QStringLiteral("WAL") << true;
    QTest::newRow("WAL, a deletion pending") << QStringLiteral("WAL") << false;
    QTest::newRow("rollback journal, a new entry pending") << QStringLiteral("DELETE") << true;
    QTest::newRow("rollback journal, a deletion pending") << QStringLiteral("DELETE") << false;
}

void tst_backups::copy_during_a_pending_change()
{
    QFETCH(QString, journal_mode);
    QFETCH(bool, insert);
    fixture->exec(QStringLiteral("PRAGMA journal_mode = ") + journal_mode);
    const int committed = fixture->count();

    transaction writer(QStringLiteral("writer"));
    test_support::connect_session(writer);
    QVERIFY2(writer.succeeded(), qPrintable(writer.SQLErrText));
    if (insert)
        statements::insert_entry(writer, 900, test_support::sample_entry(QStringLiteral("pending")),
                                 QStringLiteral("09/12/2026"));
    else
        statements::delete_entry(writer, 1);
    QVERIFY2(writer.succeeded(), qPrintable(writer.SQLErrText));

    QTemporaryDir folder;
    const backup_folder::outcome made = backup_folder::make(fixture->database_file(), folder.path(), wednesday);
    QVERIFY2(made.ok, qPrintable(made.text));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), file_names({wednesday}));

    // The writer was not held up and its change is stored; the copy holds the moment before it.
    writer.commit();
    QVERIFY2(writer.succeeded(), qPrintable(writer.SQLErrText));
    writer.disconnect();
    QCOMPARE(fixture->count(), committed + (insert ? 1 : -1));
    QCOMPARE(database_copy::check(made.file).state, database_copy::health::sound);
    QCOMPARE(count_in(made.file), QString::number(committed));
    QCOMPARE(test_support::sqlite3(made.file, QStringLiteral("PRAGMA journal_mode")).output.trimmed(),
             QStringLiteral("delete"));
}

void tst_backups::rotation_keeps_the_newest_of_each_period_data()
{
    QTest::addColumn<day_list>("backups");
    QTest::addColumn<day_list>("kept");
    day_list year = days_up_to(wednesday, 7);
    for (const QDate day :
         {QDate(2026, 11, 22), QDate(2026, 11, 29), QDate(2026, 11, 30), QDate(2026, 10, 31), QDate(2026, 9, 30),
          QDate(2026, 8, 31), QDate(2026, 7, 31), QDate(2026, 6, 30), QDate(2026, 5, 31), QDate(2026, 4, 30),
          QDate(2026, 3, 31), QDate(2026, 2, 28), QDate(2026, 1, 31)})
        year.push_back(day);
    std::sort(year.begin(), year.end());
    // Wednesday 9 December: its ISO week began on Monday 7 December.
    QTest::newRow("a backup every day for 400 days") << days_up_to(wednesday, 400) << year;
    QTest::newRow("ten days across a month's end")
        << days_up_to(wednesday, 10)
        << day_list{QDate(2026, 11, 30), QDate(2026, 12, 3), QDate(2026, 12, 4), QDate(2026, 12, 5),
                    QDate(2026, 12, 6),  QDate(2026, 12, 7), QDate(2026, 12, 8), wednesday};
    const day_list sparse = {QDate(2025, 6, 1), QDate(2026, 9, 1), QDate(2026, 12, 8), wednesday};
    QTest::newRow("long pauses thin nothing out") << sparse << sparse;
    QTest::newRow("a single backup") << day_list{wednesday} << day_list{wednesday};
}

void tst_backups::rotation_keeps_the_newest_of_each_period()
{
    QFETCH(day_list, backups);
    QFETCH(day_list, kept);
    const std::set<QDate> result = rotation::kept(backups);
    QCOMPARE(day_list(result.begin(), result.end()), kept);
}

void tst_backups::folder_keeps_what_the_rotation_keeps()
{
    QTemporaryDir folder;
    for (const QDate day : days_up_to(wednesday, 10))
        QVERIFY(backup_folder::make(fixture->database_file(), folder.path(), day).ok);
    const QStringList others = {QStringLiteral("faq.db-2026-12-01"), QStringLiteral("notes.txt")};
    for (const QString& other : others)
        QVERIFY(QFile(QDir(folder.path()).filePath(other)).open(QIODevice::WriteOnly));
    QStringList expected = file_names({QDate(2026, 11, 30), QDate(2026, 12, 3), QDate(2026, 12, 4), QDate(2026, 12, 5),
                                       QDate(2026, 12, 6), QDate(2026, 12, 7), QDate(2026, 12, 8), wednesday})
                           + others;
    expected.sort();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);

    // A database that fails to copy: every backup stays, no part is left behind.
    QTemporaryDir elsewhere;
    const QString damaged = elsewhere.filePath(QStringLiteral("faq.db"));
    test_support::write_damaged_database(damaged, test_support::damage::not_a_database);
    const backup_folder::outcome failed = backup_folder::make(damaged, folder.path(), QDate(2027, 3, 1));
    QVERIFY(!failed.ok);
    QVERIFY2(failed.text.contains(damaged), qPrintable(failed.text));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void tst_backups::keeper_backs_up_daily_and_after_saves_and_tells_failures()
{
    QTemporaryDir home;
    // A folder that cannot be made, even by root: its parent is a file.
    const QString blocked = home.filePath(QStringLiteral("share"));
    QVERIFY(QFile(blocked).open(QIODevice::WriteOnly));
    const QString unreachable = blocked + QStringLiteral("/backups");
    {
        backup_keeper keeper(fixture->database_file(), unreachable);
        QSignalSpy ended(&keeper, &backup_keeper::finished);
        keeper.daily(wednesday);
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(1).toBool(), true);
        QVERIFY2(ended.at(0).at(0).toString().contains(unreachable), qPrintable(ended.at(0).at(0).toString()));
    }
    const QString folder = home.filePath(QStringLiteral("backups"));
    backup_keeper keeper(fixture->database_file(), folder);
    QVERIFY2(keeper.earlier_failure().contains(unreachable), qPrintable(keeper.earlier_failure()));
    QSignalSpy ended(&keeper, &backup_keeper::finished);
    keeper.daily(wednesday);
    keeper.wait();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(1).toBool(), false);
    QCOMPARE(keeper.earlier_failure(), QString());
    keeper.daily(wednesday); // the day has its backup
    for (int save = 1; save < backup_keeper::saves_between; ++save)
        keeper.note_save(wednesday.addDays(1));
    keeper.wait();
    QCOMPARE(ended.count(), 1);
    keeper.note_save(wednesday.addDays(1));
    keeper.wait();
    QCOMPARE(ended.count(), 2);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             file_names({wednesday, wednesday.addDays(1)}));
}

TARVO_GUILESS_TEST_MAIN(tst_backups)
#include "tst_backups.moc"
