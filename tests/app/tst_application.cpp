// The application object: start-up sequence, globals, a silent start without a database, and
// shut-down order.

#include <QApplication>

#include "window_driver.h"

class tst_application : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void create_makes_the_globals();
    void open_connects_and_shows_the_search_window();
    void destroy_runs_in_order_and_skips_missing_globals();
    void closing_the_search_window_closes_the_entry_window();

private:
    std::unique_ptr<test_support::faq_fixture> db;
};

void tst_application::initTestCase() { db = std::make_unique<test_support::faq_fixture>(); }

void tst_application::create_makes_the_globals()
{
    tarvo app;
    app.create();
    QCOMPARE(app.AppName, QStringLiteral("tarvo"));
    QVERIFY(app.message && app.sqlca && app.sqlda && app.sqlsa && app.error);
    QCOMPARE(app.rbr, std::int16_t(0));
    QVERIFY(app.message->StringParm.isEmpty());
}

void tst_application::open_connects_and_shows_the_search_window()
{
    tarvo app;
    app.connection_name = QStringLiteral("open_test");
    app.create();
    app.open(QStringLiteral("--ignored arguments 123"));
    QCOMPARE(app.sqlca->DBMS, QStringLiteral("ODBC"));
    QCOMPARE(app.sqlca->AutoCommit, false);
    QCOMPARE(app.sqlca->DBParm, QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'"));
    QVERIFY2(app.sqlca->connected(), qPrintable(app.sqlca->SQLErrText));
    QVERIFY(app.w_search);
    QVERIFY(app.w_search->isVisible());
    QCOMPARE(app.w_search->windowTitle(), QStringLiteral("QUARNEX - ZEMLO Technical Services"));
}

void tst_application::destroy_runs_in_order_and_skips_missing_globals()
{
    tarvo app;
    app.create();
    app.sqlda.reset(); // a variable that holds no object is skipped
    app.destroy();
    QCOMPARE(app.destroyed_globals, (QStringList{"sqlca", "sqlsa", "error", "message"}));
    app.destroy(); // a second destroy finds nothing left
    QCOMPARE(app.destroyed_globals.size(), 4);
}

void tst_application::closing_the_search_window_closes_the_entry_window()
{
    test_support::message_recorder boxes;
    test_support::client user;
    tarvo& app = user.app;
    app.open_w_main(QStringLiteral("0"));
    QVERIFY(app.w_main);
    QVERIFY(app.w_main->isVisible());
    app.w_search->close();
    QTRY_VERIFY(!app.w_main || !app.w_main->isVisible());
}

TARVO_TEST_MAIN(tst_application)
#include "tst_application.moc"
