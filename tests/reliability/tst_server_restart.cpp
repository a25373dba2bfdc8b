// The PostgreSQL server goes away while the program runs and comes back. While it is away,
// search, load, save, numbering and delete each report the failure in a message box and the
// program keeps running with the user's text; once it is back, everything works again without a
// restart, and a read that finds its connection gone simply runs again on a new one.
// The test runs its own cluster, so stopping it disturbs no other test.

#include <memory>

#include "own_cluster.h"
#include "work_under_fault.h"

using namespace test_support;

class tst_server_restart : public QObject {
    Q_OBJECT
    std::unique_ptr<reliability::own_cluster> cluster;
    std::unique_ptr<faq_fixture> fixture;

    // The fixture's own connection died with the server; open it again for the checks.
    void reopen_admin()
    {
        QSqlDatabase admin = fixture->admin();
        admin.close();
        QVERIFY(admin.open());
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void every_operation_reports_then_works_again();
    void first_search_after_a_restart_simply_works();
    void every_read_after_a_restart_runs_again_on_a_new_connection();
    void change_after_a_restart_is_reported_not_run_again();
    void change_pending_when_the_server_goes_is_not_reported_saved();
};

void tst_server_restart::initTestCase()
{
    cluster = std::make_unique<reliability::own_cluster>(QStringLiteral("restart"));
    const QString error = cluster->create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    cluster->use_for_fixture();
    fixture = std::make_unique<faq_fixture>(test_support::backend::postgresql);
}

void tst_server_restart::cleanupTestCase()
{
    fixture.reset();
    cluster.reset();
}

void tst_server_restart::every_operation_reports_then_works_again()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    const int entries = fixture->count();
    client user;
    client other(client::without_search_window); // a second client that only loads and numbers
    w_search& search = *user.app.w_search;

    // Server up: the user searches, opens the first row, edits its answer, and chooses row 2.
    const auto work = edit_listed_entry(user, 1, QStringLiteral("Typed while the server was away: keep me."));
    QCOMPARE(user.listed_rows(), entries);
    search.dw_search_clicked(2);
    const std::int16_t doomed = user.app.rbr;
    QVERIFY(doomed != work.edited);

    QVERIFY(cluster->stop());

    // Save: the count fails and the loaded entry is not written at all; the window stays open
    // with the user's text.
    save_is_reported(work, QStringLiteral("ERROR!"));

    // Delete: reported under its own title, then the refresh is reported too.
    delete_is_reported(user, {QStringLiteral("DELETE FROM faq WHERE rbr=%1").arg(doomed), QStringLiteral("Search")});

    // Search: reported, the list is empty, the criteria stay.
    message_recorder boxes;
    search.cb_search_clicked();
    QCOMPARE(boxes.titles(), QStringList({QStringLiteral("Search")}));
    QCOMPARE(user.listed_rows(), 0);
    boxes.boxes.clear();

    // Load and numbering in another client's entry window.
    other.app.open_w_main(QString::number(work.edited));
    QCOMPARE(boxes.titles(), QStringList({QStringLiteral("DataBase Error!")}));
    boxes.boxes.clear();
    other.app.open_w_main(QStringLiteral("0"));
    QCOMPARE(boxes.titles(), QStringList({QStringLiteral("Error")}));
    QCOMPARE(boxes.boxes.first().text, QStringLiteral("Database error. NewID failed."));
    boxes.stop();

    // Still running, with the user's text where it was.
    QVERIFY(search.isVisible());
    QVERIFY(work.window->isVisible());
    QCOMPARE(work.window->mle_odgovor->text(), work.typed);

    QVERIFY(cluster->start());
    reopen_admin();

    // The same session works again: the save stores the text typed during the outage, and the
    // refreshed list lists the entry to delete again (perhaps elsewhere); the user chooses it
    // again.
    save_and_delete_go_through(user, work, *fixture, doomed, entries);

    other.app.open_w_main(QString::number(work.edited));
    QCOMPARE(other.app.w_main->mle_odgovor->toPlainText(), work.typed);
    other.app.open_w_main(QStringLiteral("0"));
    const int newest = fixture->rows().back().rbr;
    QCOMPARE(other.app.w_main->sle_rbr->text(), QString::number(newest + 1));
    QCOMPARE(fixture->count(), entries - 1);
}

void tst_server_restart::first_search_after_a_restart_simply_works()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    client user;
    user.app.w_search->cb_search_clicked();
    QCOMPARE(user.listed_rows(), fixture->count());

    QVERIFY(cluster->stop());
    QVERIFY(cluster->start());
    reopen_admin();

    // The first search finds the old connection gone and runs again on a new one: no message.
    user.app.w_search->cb_search_clicked();
    QCOMPARE(user.listed_rows(), fixture->count());
}

void tst_server_restart::every_read_after_a_restart_runs_again_on_a_new_connection()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    const auto rows = fixture->rows();
    const int entries = static_cast<int>(rows.size());
    client user;
    w_search& search = *user.app.w_search;
    search.cb_search_clicked();
    QCOMPARE(user.listed_rows(), entries);
    const auto restart = [&] {
        QVERIFY(cluster->stop());
        QVERIFY(cluster->start());
        reopen_admin();
    };

    // The load of an entry.
    restart();
    user.app.open_w_main(QString::number(rows[2].rbr));
    QCOMPARE(user.app.w_main->mle_question->text(), rows[2].pitanje);

    // The count that starts a save (the entry then goes through as an update).
    restart();
    user.app.w_main->mle_odgovor->setPlainText(QStringLiteral("saved right after a restart"));
    user.app.w_main->cb_save_clicked();
    QTRY_VERIFY(user.app.w_main.isNull());
    QCOMPARE(fixture->find(rows[2].rbr)->odgovor, QStringLiteral("saved right after a restart"));
    QCOMPARE(fixture->count(), entries);

    // The numbering of a new entry.
    restart();
    search.cb_new_clicked();
    QCOMPARE(user.app.w_main->sle_rbr->text(), QString::number(rows.back().rbr + 1));
    user.app.w_main->close();

    // The search.
    restart();
    search.cb_search_clicked();
    QCOMPARE(user.listed_rows(), entries);
}

void tst_server_restart::change_after_a_restart_is_reported_not_run_again()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    const int entries = fixture->count();
    client user;
    w_search& search = *user.app.w_search;
    search.cb_search_clicked();
    search.dw_search_clicked(1);
    const std::int16_t doomed = user.app.rbr;

    QVERIFY(cluster->stop());
    QVERIFY(cluster->start());
    reopen_admin();

    // The delete is the first statement after the restart: it fails with its connection and is
    // reported, never run a second time behind the user's back. The refresh after it is a read.
    delete_is_reported(user, {QStringLiteral("DELETE FROM faq WHERE rbr=%1").arg(doomed)});
    QVERIFY(fixture->find(doomed));
    QCOMPARE(user.listed_rows(), entries);

    // Asked again, it deletes.
    search.dw_search_clicked(1);
    delete_current(user);
    QVERIFY(!fixture->find(doomed));
    QCOMPARE(user.listed_rows(), entries - 1);
}

void tst_server_restart::change_pending_when_the_server_goes_is_not_reported_saved()
{
    fixture->recreate_table();
    fixture->insert(1, "k", "q", "01/01/2020", "p", "l", "before");
    client user(client::without_search_window);
    transaction& sqlca = *user.app.sqlca;
    statements::update_entry(sqlca, {"k", "q", "p", "l", "after"}, 1);
    QCOMPARE(sqlca.SQLCode, 0L);

    QVERIFY(cluster->stop());
    QVERIFY(cluster->start());
    reopen_admin();

    // The update died with the old connection: its commit must say so, not succeed.
    sqlca.commit();
    QCOMPARE(sqlca.SQLCode, -1L);
    QCOMPARE(fixture->find(1)->odgovor, QStringLiteral("before"));
    // The next statement runs on a new connection.
    statements::update_entry(sqlca, {"k", "q", "p", "l", "again"}, 1);
    QVERIFY2(sqlca.SQLCode == 0, qPrintable(sqlca.SQLErrText));
    sqlca.commit();
    QCOMPARE(sqlca.SQLCode, 0L);
    QCOMPARE(fixture->find(1)->odgovor, QStringLiteral("again"));
}

TARVO_TEST_MAIN(tst_server_restart)
#include "tst_server_restart.moc"
