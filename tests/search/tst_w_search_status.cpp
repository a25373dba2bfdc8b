// The status line on a real database: which data source the program is connected to, and what
// the last save or delete did, also when the entry is not among the listed rows.

#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <memory>

#include "private_odbc.h"
#include "window_driver.h"

using test_support::backend;

namespace {

// Another data source for one test; the fixture's own comes back afterwards. It has a name of
// its own: unixODBC keeps what it read about a data source for 20 s, so "FAQ" would still lead
// to the fixture's database.
class other_data_source {
public:
    other_data_source(const QString& name, const QString& driver, const QStringList& settings)
        : odbcsysini(qgetenv("ODBCSYSINI")), odbcini(qgetenv("ODBCINI"))
    {
        odbc.write(name, driver, settings);
    }
    ~other_data_source()
    {
        qputenv("ODBCSYSINI", odbcsysini);
        qputenv("ODBCINI", odbcini);
    }

private:
    QByteArray odbcsysini;
    QByteArray odbcini;
    test_support::private_odbc odbc;
};

} // namespace

class tst_w_search_status : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void names_the_data_source();
    void names_a_socket_or_an_unusual_file_name();
    void no_data_source_without_a_connection();
    void long_data_source_is_shortened_in_the_middle();
    void tells_the_save_of_an_entry_not_listed();
    void tells_nothing_after_a_failed_save();
    void tells_the_delete();

private:
    w_search* window() const { return app->w_search; }
    QString status() const { return window()->st_status->currentMessage(); }
    QString source() const { return window()->st_source->text(); }
    // The data source as the fixture defined it.
    QString expected_source() const;

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user; // the search window opens in each test
    tarvo* app = nullptr;
};

void tst_w_search_status::initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }

void tst_w_search_status::init()
{
    fixture->recreate_table();
    user = std::make_unique<test_support::client>(test_support::client::without_search_window);
    app = &user->app;
}

void tst_w_search_status::cleanup() { user.reset(); }

QString tst_w_search_status::expected_source() const
{
    if (fixture->which() == backend::sqlite)
        return QStringLiteral("FAQ: SQLite ") + fixture->database_file();
    return QStringLiteral("FAQ: PostgreSQL faq on 127.0.0.1:%1").arg(fixture->postgresql_port());
}

void tst_w_search_status::names_the_data_source()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    user->open_search_window();

    // From the start, before anything is searched, at the right end of the line.
    QCOMPARE(source(), expected_source());
    QVERIFY(window()->st_source->isVisible());
    QVERIFY(window()->st_source->geometry().right() > window()->st_status->width() / 2);
    QCOMPARE(status(), QString());

    // Next to the count, which changes with every search while the data source stays.
    user->search_for(QStringLiteral("Pump"));
    QCOMPARE(status(), QStringLiteral("1 entry"));
    QCOMPARE(source(), expected_source());
    QVERIFY(window()->st_source->geometry().left() > window()->st_status->fontMetrics().horizontalAdvance(status()));
}

void tst_w_search_status::names_a_socket_or_an_unusual_file_name()
{
    QString expected;
    const QTemporaryDir scratch;
    std::unique_ptr<other_data_source> other;
    if (fixture->which() == backend::postgresql) {
        // A server on this machine, reached through its unix socket.
        const QString socket_dir = fixture->postgresql_socket_dir();
        other = std::make_unique<other_data_source>(
            QStringLiteral("FAQ_SOCKET"), QStringLiteral("PostgreSQL Unicode"),
            QStringList{QStringLiteral("Servername=") + socket_dir,
                        QStringLiteral("Port=%1").arg(fixture->postgresql_port()), QStringLiteral("Database=faq")});
        expected = QStringLiteral("FAQ_SOCKET: PostgreSQL faq on local socket %1, port %2")
                       .arg(socket_dir)
                       .arg(fixture->postgresql_port());
    } else {
        // A file whose name has a blank and letters beyond ASCII.
        const QString file = scratch.path() + QStringLiteral("/Tehnička služba FAQ.db");
        other = std::make_unique<other_data_source>(QStringLiteral("FAQ_FILE"), QStringLiteral("SQLite3"),
                                                    QStringList{QStringLiteral("Database=") + file});
        expected = QStringLiteral("FAQ_FILE: SQLite ") + file;
    }
    // The start-up sequence, on that data source.
    test_support::client other_user(test_support::client::without_search_window,
                                    expected.left(expected.indexOf(QLatin1Char(':'))));
    tarvo& other_app = other_user.app;
    QVERIFY2(other_app.sqlca->connected(), qPrintable(other_app.sqlca->SQLErrText));
    other_user.open_search_window();
    other_app.w_search->resize(other_app.w_search->st_source->fontMetrics().horizontalAdvance(expected) * 2,
                               other_app.w_search->height());
    QTRY_COMPARE(other_app.w_search->st_source->text(), expected);
    QVERIFY(other_app.w_search->st_source->isVisible());
}

void tst_w_search_status::no_data_source_without_a_connection()
{
    test_support::client user_offline(test_support::client::without_search_window,
                                      QStringLiteral("TARVO_NO_SUCH_SOURCE"));
    tarvo& offline = user_offline.app;
    QVERIFY(!offline.sqlca->connected());
    user_offline.open_search_window();
    QVERIFY(offline.w_search->st_status->currentMessage().startsWith(QStringLiteral("Not connected: ")));
    QVERIFY(offline.w_search->st_source->isHidden());
}

void tst_w_search_status::long_data_source_is_shortened_in_the_middle()
{
    user->open_search_window();
    const QString whole = expected_source();
    QCOMPARE(source(), whole);

    // Too narrow a window: the line keeps the start and the end of the name, its tooltip all.
    window()->resize(window()->st_source->fontMetrics().horizontalAdvance(whole), window()->height());
    QTRY_VERIFY(source() != whole);
    QVERIFY2(source().contains(QChar(0x2026)), qPrintable(source()));
    QVERIFY(source().startsWith(QStringLiteral("FAQ: ")));
    QCOMPARE(source().back(), whole.back());
    QCOMPARE(window()->st_source->toolTip(), whole);

    // Wide enough again: all of it.
    window()->resize(window()->st_source->fontMetrics().horizontalAdvance(whole) * 2, window()->height());
    QTRY_COMPARE(source(), whole);
}

void tst_w_search_status::tells_the_save_of_an_entry_not_listed()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    user->open_search_window();
    user->search_for(QStringLiteral("Pump"));
    QCOMPARE(status(), QStringLiteral("1 entry"));

    // A new entry the search does not list: the line says it was stored.
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    QVERIFY(!app->w_main.isNull());
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("2"));
    app->w_main->mle_question->setPlainText(QStringLiteral("Display stays dark"));
    QTest::mouseClick(app->w_main->cb_save, Qt::LeftButton);
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(window()->pretraga->rowCount(), 1);
    QCOMPARE(status(), QStringLiteral("Entry 2 saved · 1 entry"));
    QCOMPARE(fixture->find(2)->pitanje, QStringLiteral("Display stays dark"));

    // The next search tells only its own outcome.
    user->search_for(QStringLiteral("dark"));
    QCOMPARE(status(), QStringLiteral("1 entry"));

    // The number the entry was stored under: another client took the one shown meanwhile.
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("3"));
    fixture->insert_question(3, QStringLiteral("stored by someone else"));
    app->w_main->mle_question->setPlainText(QStringLiteral("Fan is loud"));
    QTest::mouseClick(app->w_main->cb_save, Qt::LeftButton);
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(status(), QStringLiteral("Entry 4 saved · 1 entry"));
    QCOMPARE(fixture->find(4)->pitanje, QStringLiteral("Fan is loud"));

    // A listed entry, changed.
    user->search_for(QString());
    user->click_row(1);
    const int first = app->rbr;
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    app->w_main->mle_odgovor->setPlainText(QStringLiteral("changed"));
    QTest::mouseClick(app->w_main->cb_save, Qt::LeftButton);
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(status(), QStringLiteral("Entry %1 saved · 4 entries").arg(first));
}

void tst_w_search_status::tells_nothing_after_a_failed_save()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    test_support::message_recorder boxes;
    user->open_search_window();
    user->search_for(QStringLiteral("Pump"));
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    app->w_main->mle_question->setPlainText(QStringLiteral("Display stays dark"));

    // No table to write to: the window stays open with its text, the line says nothing new.
    fixture->exec(QStringLiteral("DROP TABLE faq"));
    QTest::mouseClick(app->w_main->cb_save, Qt::LeftButton);
    QVERIFY(!boxes.boxes.isEmpty());
    QVERIFY(!app->w_main.isNull());
    QCOMPARE(status(), QStringLiteral("1 entry"));

    fixture->recreate_table();
    user->search_for(QString());
    QCOMPARE(status(), QStringLiteral("No entries"));
}

void tst_w_search_status::tells_the_delete()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    fixture->insert_question(2, QStringLiteral("Pump is loud"));
    user->open_search_window();
    user->search_for(QStringLiteral("Pump"));
    user->click_row(1);
    const int chosen = app->rbr;
    QVERIFY(chosen > 0);

    // Answered no: nothing happened, nothing is said.
    {
        test_support::yes_no_answerer answers(QStringLiteral("cb_ne"));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(answers.questions.size(), 1);
    }
    QCOMPARE(status(), QStringLiteral("2 entries"));

    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions.size(), 1);
    QCOMPARE(status(), QStringLiteral("Entry %1 deleted · 1 entry").arg(chosen));
    QCOMPARE(fixture->count(), 1);
    QCOMPARE(source(), expected_source());
}

TARVO_TEST_MAIN(tst_w_search_status)
#include "tst_w_search_status.moc"
