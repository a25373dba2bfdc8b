// The SQLite file is deleted or replaced while the program runs (WAL mode). A connection keeps
// writing into the file it opened even when no name leads to it any more, and everything it
// commits is gone at exit. So a save or a delete into such a file is reported, not called
// stored; the entry window keeps the user's text, and the program goes on with the data
// source's file as it is now.

#include <QFile>
#include <QSqlDatabase>

#include "work_under_fault.h"

using namespace test_support;

class tst_database_file_removed : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    // Deletes the database file with its WAL and shared-memory files, as a user or a clean-up
    // script would. The connections that have them open keep them.
    void delete_database_files()
    {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const QString path = fixture->database_file() + QLatin1String(suffix);
            QVERIFY2(!QFile::exists(path) || QFile::remove(path), qPrintable(path));
        }
        QVERIFY(!QFile::exists(fixture->database_file()));
    }
    // A new database at the same place: the fixture's connection opens the path afresh and the
    // table is made again there.
    void new_database_file()
    {
        QSqlDatabase admin = fixture->admin();
        admin.close();
        QVERIFY(admin.open());
        fixture->recreate_table();
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init()
    {
        fixture->recreate_table();
        fixture->load_sample_entries();
    }

    void save_into_a_deleted_file_is_reported();
    void delete_in_a_replaced_file_is_reported();
};

void tst_database_file_removed::save_into_a_deleted_file_is_reported()
{
    client user;
    const auto work = edit_listed_entry(user, 1, QStringLiteral("Typed after the file was deleted."));

    delete_database_files();
    save_is_reported(work, QStringLiteral("UPDATE faq SET ..."), fixture->database_file());

    // A new file at the same place, with the entry missing from it: the save goes to that file.
    new_database_file();
    save_goes_through(work, *fixture);
    QCOMPARE(fixture->count(), 1);
    QCOMPARE(user.listed_rows(), 1);
}

void tst_database_file_removed::delete_in_a_replaced_file_is_reported()
{
    client user;
    user.app.w_search->cb_search_clicked();
    user.app.w_search->dw_search_clicked(2);
    const std::int16_t doomed = user.app.rbr;

    delete_database_files();
    new_database_file();
    fixture->insert(doomed, "kept", "in the new file", "01/01/2021", "p", "l", "a");
    // Reported under the delete's title; the refresh then lists the new file's one entry.
    delete_is_reported(user, {QStringLiteral("DELETE FROM faq WHERE rbr=%1").arg(doomed)}, fixture->database_file());
    QVERIFY(fixture->find(doomed));
    QCOMPARE(user.listed_rows(), 1);
}

TARVO_TEST_MAIN(tst_database_file_removed)
#include "tst_database_file_removed.moc"
