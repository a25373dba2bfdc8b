// The data source "FAQ" is missing when the program starts: start-up stays silent, every
// statement says why it cannot run, nothing typed is lost, and once an administrator defines
// the data source the running program uses it without a restart.

#include <QProcess>

#include "private_odbc.h"
#include "run_program.h"
#include "window_driver.h"

using test_support::client;
using test_support::message_recorder;

namespace {

// A new embedded database with the sample entries, made the way the set-up script makes it.
bool create_database(const QString& file)
{
    for (const char* script : {"/db/faq.sqlite.sql", "/db/sample-entries.sql"}) {
        QProcess sqlite;
        sqlite.setStandardInputFile(test_support::source_dir() + QLatin1String(script));
        sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), file});
        if (!sqlite.waitForFinished(60000) || sqlite.exitCode() != 0)
            return false;
    }
    return true;
}

int stored_entries(const QString& file)
{
    const auto result =
        test_support::run(QStringLiteral("sqlite3"), {file, QStringLiteral("SELECT count(*) FROM faq")});
    return result.exit_code == 0 ? result.output.trimmed().toInt() : -1;
}

} // namespace

class tst_missing_source : public QObject {
    Q_OBJECT
private slots:
    void works_once_the_source_is_defined();
};

void tst_missing_source::works_once_the_source_is_defined()
{
    test_support::private_odbc odbc;
    odbc.write(QStringLiteral("SOMETHING_ELSE"), QStringLiteral("SQLite3"),
               {QStringLiteral("Database=/nonexistent/x.db")});
    client user;
    QVERIFY(!user.app.sqlca->connected());

    message_recorder boxes;
    user.app.w_search->cb_search_clicked();
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Search"));
    QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("Data source name not found")),
             qPrintable(boxes.summary()));
    boxes.boxes.clear();

    // A new entry cannot be numbered; its save writes nothing and keeps the text.
    user.app.w_search->cb_new_clicked();
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().text, QStringLiteral("Database error. NewID failed."));
    const QString typed = QStringLiteral("Written before the database existed");
    user.app.w_main->mle_question->setPlainText(typed);
    user.app.w_main->cb_save_clicked();
    QVERIFY(!boxes.boxes.isEmpty());
    QVERIFY(user.app.w_main);
    QCOMPARE(user.app.w_main->mle_question->text(), typed);

    // The administrator creates the database and defines the data source.
    const QString file = odbc.folder() + QStringLiteral("/faq.db");
    QVERIFY(create_database(file));
    const int entries = stored_entries(file);
    QVERIFY(entries > 0);
    odbc.write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"),
               {QStringLiteral("Database=") + file, QStringLiteral("Timeout=2000")});

    // unixODBC keeps what it read from odbc.ini for up to 20 s; each search tries once more.
    QTRY_VERIFY_WITH_TIMEOUT((user.app.w_search->cb_search_clicked(), user.listed_rows() == entries), 60000);
    boxes.stop();

    user.app.w_main->cb_save_clicked();
    QTRY_VERIFY(user.app.w_main.isNull());
    QCOMPARE(stored_entries(file), entries + 1);
    QCOMPARE(user.listed_rows(), entries + 1);
    const auto newest = test_support::run(QStringLiteral("sqlite3"),
                                          {file, QStringLiteral("SELECT pitanje FROM faq ORDER BY rbr DESC LIMIT 1")});
    QCOMPARE(newest.output.trimmed(), typed);
}

TARVO_TEST_MAIN(tst_missing_source)
#include "tst_missing_source.moc"
