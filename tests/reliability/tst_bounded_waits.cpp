// The database stops answering, or another session holds a row: the windows never freeze. A
// stalled statement leaves the window painting; after a second the waiting window offers
// Cancel, which gives control back with everything typed in place. A held row ends a save with
// a clear message once the session's lock timeout runs out. Start-up against a stalled server
// shows the search window at once, saying that it connects. A server process that never goes
// on after a Cancel costs the session only that connection: the next statement runs on a new
// one, and a change pending on the old one is reported as not stored. The word search waits on a
// session of its own: the window goes on taking keys while that server process stands still, and
// closes at once.
// The test runs its own cluster, so stopping its processes disturbs no other test.

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <csignal>
#include <memory>

#include "database_wait.h"
#include "given_up_connection.h"
#include "modal_driver.h"
#include "own_cluster.h"
#include "w_words.h"
#include "window_driver.h"
#include "words_list.h"
#include "words_worker.h"

using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;

namespace {

// A server process stopped (SIGSTOP) until this goes out of scope, whatever the test did.
class stopped_process {
public:
    explicit stopped_process(qint64 process) : pid(process) { stopped = pid > 0 && ::kill(pid_t(pid), SIGSTOP) == 0; }
    ~stopped_process() { resume(); }
    stopped_process(const stopped_process&) = delete;
    stopped_process& operator=(const stopped_process&) = delete;
    void resume()
    {
        if (stopped)
            ::kill(pid_t(pid), SIGCONT);
        stopped = false;
    }
    bool stopped = false;

private:
    qint64 pid;
};

// Counts the events a window takes while a handler waits: timer ticks that ask it to repaint,
// and the paints that follow.
class event_counter : public QObject {
public:
    explicit event_counter(QWidget* window) : watched(window)
    {
        watched->installEventFilter(this);
        ticker.setInterval(20);
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            ++ticks;
            if (watched)
                watched->update();
        });
        ticker.start();
    }
    int ticks = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object == watched && event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QPointer<QWidget> watched; // an entry window closes after its Save
    QTimer ticker;
};

} // namespace

class tst_bounded_waits : public QObject {
    Q_OBJECT
    std::unique_ptr<reliability::own_cluster> cluster;
    std::unique_ptr<faq_fixture> fixture;

    // The one server process serving a session other than the fixture's own and `besides`
    // (waiting until the processes of sessions closed before are gone).
    qint64 client_backend(qint64 besides = -1)
    {
        qint64 pid = -1;
        if (!QTest::qWaitFor([&] { return (pid = any_client_backend(besides)) > 0; }, 30000))
            return -1;
        return pid;
    }

    qint64 any_client_backend(qint64 besides)
    {
        QSqlQuery query(fixture->admin());
        if (!query.exec(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE backend_type = 'client backend' "
                                       "AND datname = 'faq' AND pid <> pg_backend_pid() AND pid <> %1")
                            .arg(besides)))
            return -1;
        qint64 pid = -1;
        int found = 0;
        while (query.next()) {
            pid = query.value(0).toLongLong();
            ++found;
        }
        return found == 1 ? pid : -1;
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void stalled_statement_is_cancelled_with_the_text_kept_data();
    void stalled_statement_is_cancelled_with_the_text_kept();
    void change_on_a_given_up_connection_is_not_stored();
    void row_held_elsewhere_ends_the_save_with_a_clear_message();
    void start_up_shows_the_window_while_the_server_is_stalled();
    void word_search_takes_keys_while_the_server_is_stalled();
};

void tst_bounded_waits::initTestCase()
{
    cluster = std::make_unique<reliability::own_cluster>(QStringLiteral("waits"));
    const QString error = cluster->create();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    cluster->use_for_fixture();
    fixture = std::make_unique<faq_fixture>(test_support::backend::postgresql);
}

void tst_bounded_waits::cleanupTestCase()
{
    fixture.reset();
    cluster.reset();
}

void tst_bounded_waits::stalled_statement_is_cancelled_with_the_text_kept_data()
{
    QTest::addColumn<bool>("in_entry_window");
    QTest::newRow("search") << false;
    QTest::newRow("save") << true;
}

void tst_bounded_waits::stalled_statement_is_cancelled_with_the_text_kept()
{
    QFETCH(bool, in_entry_window);
    fixture->recreate_table();
    fixture->load_sample_entries();
    const int entries = fixture->count();
    message_recorder boxes;
    client user;
    w_search& search = *user.app.w_search;
    user.search_for(QStringLiteral("%"));
    QCOMPARE(user.listed_rows(), entries);
    const int rbr = *user.listed_numbers().begin();
    w_main* window = in_entry_window ? user.view(rbr) : nullptr;
    statements::entry_texts typed = window ? test_support::shown_texts(window) : statements::entry_texts{};
    typed.odgovor = QStringLiteral("Typed while the server stood still: keep me.");
    if (window)
        test_support::set_texts(window, typed);
    const QString criterion = search.uo_prvi->sle_trazi->text();
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));

    stopped_process backend(client_backend());
    QVERIFY(backend.stopped);
    event_counter events(in_entry_window ? static_cast<QWidget*>(window) : &search);
    int ticks_before_indicator = -1;
    int paints_before_indicator = -1;
    test_support::modal_driver cancel(database_wait::window_name, [&](QDialog* indicator) {
        ticks_before_indicator = events.ticks;
        paints_before_indicator = events.paints;
        QTest::mouseClick(test_support::named<QPushButton>(indicator, database_wait::cancel_name), Qt::LeftButton);
    });
    if (window)
        window->cb_save_clicked();
    else
        search.cb_search_clicked();

    // The handler came back while the server process still stood still.
    QCOMPARE(cancel.opened, 1);
    QVERIFY2(
        ticks_before_indicator > 0 && paints_before_indicator > 0,
        qPrintable(QStringLiteral("%1 ticks, %2 paints").arg(ticks_before_indicator).arg(paints_before_indicator)));
    QVERIFY2(user.app.sqlca->SQLErrText.contains(QStringLiteral("cancelled by the user")),
             qPrintable(user.app.sqlca->SQLErrText));
    QCOMPARE(boxes.boxes.size(), 1);
    if (window) {
        QVERIFY(user.entry_window() == window && window->isVisible());
        COMPARE_TEXTS(test_support::shown_texts(window), typed);
    } else {
        QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("cancelled by the user")),
                 qPrintable(boxes.summary()));
        QCOMPARE(search.uo_prvi->sle_trazi->text(), criterion);
    }

    // The server process never goes on: the program works again on a new connection.
    user.search_for(QStringLiteral("%"));
    QCOMPARE(user.listed_rows(), entries);
    QVERIFY2(user.app.sqlca->succeeded(), qPrintable(user.app.sqlca->SQLErrText));
    if (window) {
        boxes.boxes.clear();
        window->cb_save_clicked();
        QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
        QCOMPARE(fixture->find(rbr)->odgovor, typed.odgovor);
    }
    // Once it goes on after all, the connection given up is closed.
    QCOMPARE(given_up_connection::still_open(), 1);
    backend.resume();
    QTRY_COMPARE_WITH_TIMEOUT(given_up_connection::still_open(), 0, 30000);
}

void tst_bounded_waits::change_on_a_given_up_connection_is_not_stored()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    const faq_fixture::row before = fixture->rows().front();
    transaction sqlca(QStringLiteral("given_up"));
    sqlca.wait_with(database_wait::in_windows());
    sqlca.AutoCommit = false;
    sqlca.DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
    sqlca.connect();
    QVERIFY2(sqlca.succeeded(), qPrintable(sqlca.SQLErrText));
    statements::entry_texts changed = before.texts();
    changed.odgovor = QStringLiteral("Pending when the server stood still.");
    statements::update_entry(sqlca, changed, std::int16_t(before.rbr));
    QVERIFY2(sqlca.succeeded(), qPrintable(sqlca.SQLErrText));

    stopped_process backend(client_backend());
    QVERIFY(backend.stopped);
    std::int16_t ima = 0;
    {
        test_support::modal_driver cancel(database_wait::window_name, [](QDialog* indicator) {
            QTest::mouseClick(test_support::named<QPushButton>(indicator, database_wait::cancel_name), Qt::LeftButton);
        });
        statements::select_count(sqlca, std::int16_t(before.rbr), ima);
        QCOMPARE(cancel.opened, 1);
    }
    QVERIFY(sqlca.failed());
    sqlca.commit();
    QVERIFY(sqlca.failed());
    QVERIFY2(sqlca.SQLErrText.contains(QStringLiteral("The change was not stored.")), qPrintable(sqlca.SQLErrText));

    // The next statement runs on a new connection while the old process still stands still.
    statements::select_count(sqlca, std::int16_t(before.rbr), ima);
    QVERIFY2(sqlca.succeeded(), qPrintable(sqlca.SQLErrText));
    QCOMPARE(ima, std::int16_t(1));
    backend.resume();
    QTRY_COMPARE_WITH_TIMEOUT(given_up_connection::still_open(), 0, 30000);
    QCOMPARE(fixture->find(before.rbr)->odgovor, before.odgovor);
}

void tst_bounded_waits::row_held_elsewhere_ends_the_save_with_a_clear_message()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    message_recorder boxes;
    client user;
    user.search_for(QStringLiteral("%"));
    const int rbr = *user.listed_numbers().begin();
    const faq_fixture::row before = *fixture->find(rbr);

    // A colleague's psql session: BEGIN; SELECT ... FOR UPDATE, left open.
    QSqlDatabase colleague = QSqlDatabase::cloneDatabase(fixture->admin(), QStringLiteral("colleague"));
    {
        QVERIFY2(colleague.open(), qPrintable(colleague.lastError().text()));
        QVERIFY(colleague.transaction());
        QSqlQuery hold(colleague);
        QVERIFY2(hold.exec(QStringLiteral("SELECT * FROM faq WHERE rbr = %1 FOR UPDATE").arg(rbr)),
                 qPrintable(hold.lastError().text()));

        // Opening reads without a lock; saving needs the row and gives up after the timeout.
        w_main* window = user.view(rbr);
        QVERIFY(window);
        COMPARE_TEXTS(test_support::shown_texts(window), before.texts());
        statements::entry_texts typed = before.texts();
        typed.odgovor = QStringLiteral("Saved while a colleague holds the row.");
        test_support::set_texts(window, typed);
        {
            test_support::modal_windows_expected waiting_window_may_show;
            window->cb_save_clicked();
        }
        QCOMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("Another user is working on this entry")),
                 qPrintable(boxes.summary()));
        QVERIFY(window->isVisible());
        COMPARE_TEXTS(test_support::shown_texts(window), typed);
        QCOMPARE(fixture->find(rbr)->odgovor, before.odgovor);

        // The colleague is done: the same Save goes through.
        QVERIFY(colleague.rollback());
        boxes.boxes.clear();
        window->cb_save_clicked();
        QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
        QCOMPARE(fixture->find(rbr)->odgovor, typed.odgovor);
        colleague.close();
    }
    colleague = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("colleague"));
}

void tst_bounded_waits::start_up_shows_the_window_while_the_server_is_stalled()
{
    QFile pid_file(cluster->folder() + QStringLiteral("/data/postmaster.pid"));
    QVERIFY(pid_file.open(QIODevice::ReadOnly));
    stopped_process server(pid_file.readLine().trimmed().toLongLong());
    QVERIFY(server.stopped);

    message_recorder boxes;
    tarvo app;
    app.connection_name = QStringLiteral("start_up");
    app.create();
    bool seen_connecting = false;
    QTimer look;
    look.setInterval(10);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (app.w_search && app.w_search->isVisible()
            && app.w_search->st_status->currentMessage() == QStringLiteral("Connecting…")) {
            seen_connecting = true;
            server.resume();
        }
    });
    look.start();
    {
        test_support::modal_windows_expected waiting_window_may_show;
        app.open(QString());
    }
    QVERIFY(seen_connecting);
    QVERIFY2(app.sqlca->connected(), qPrintable(app.sqlca->SQLErrText));
    QVERIFY(app.w_search->st_status->currentMessage().isEmpty());
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_bounded_waits::word_search_takes_keys_while_the_server_is_stalled()
{
    fixture->recreate_table();
    fixture->load_sample_entries();
    message_recorder boxes;
    client user;
    const qint64 sqlca_backend = client_backend();
    QVERIFY(sqlca_backend > 0);
    user.search_window()->act_words->trigger();
    QPointer<w_words> words = user.search_window()->words_window;
    QVERIFY(QTest::qWaitForWindowExposed(words));
    test_support::type(words->sle_words, QStringLiteral("pump"));
    QTRY_VERIFY(words->up_to_date() && words->found->rowCount() > 0);

    stopped_process backend(client_backend(sqlca_backend));
    QVERIFY(backend.stopped);
    test_support::type(words->sle_words, QStringLiteral(" noise"));
    // The window's timers run and its keys land while the search waits for the server.
    QTRY_COMPARE(words->st_found->text(), w_words::searching_text);
    test_support::type(words->sle_words, QStringLiteral(" bearing"));
    QCOMPARE(words->sle_words->text(), QStringLiteral("pump noise bearing"));
    QVERIFY(words->worker->searching() && !words->up_to_date());
    QVERIFY(user.app.sqlca->connected());

    // Closing the window does not wait for the server: the statement's connection is given up.
    delete words.data();
    QTRY_COMPARE_WITH_TIMEOUT(given_up_connection::still_open(), 1, 30000);
    user.search_for(QStringLiteral("pump"));
    QVERIFY2(user.app.sqlca->succeeded(), qPrintable(user.app.sqlca->SQLErrText));

    // A new window searches on a new connection while the old process still stands still.
    user.search_window()->act_words->trigger();
    words = user.search_window()->words_window;
    QVERIFY(QTest::qWaitForWindowExposed(words));
    test_support::type(words->sle_words, QStringLiteral("pump noise bearing"));
    QTRY_VERIFY_WITH_TIMEOUT(words->up_to_date(), 30000);
    QCOMPARE(words->found->hits().front().rbr, 12);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
    backend.resume();
    QTRY_COMPARE_WITH_TIMEOUT(given_up_connection::still_open(), 0, 30000);
}

TARVO_TEST_MAIN(tst_bounded_waits)
#include "tst_bounded_waits.moc"
