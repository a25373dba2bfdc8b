// Start-up with no data source "FAQ" defined: the search window opens without a word, and the
// first statement reports the failure; the program goes on.

#include <QTest>

#include "message_recorder.h"
#include "private_odbc.h"
#include "tarvo.h"
#include "unexpected_dialogs.h"
#include "w_search.h"

class tst_start_without_source : public QObject {
    Q_OBJECT
private slots:
    void start_is_silent_until_the_first_statement();
};

void tst_start_without_source::start_is_silent_until_the_first_statement()
{
    test_support::private_odbc odbc;
    odbc.write(QStringLiteral("SOMETHING_ELSE"), QStringLiteral("SQLite3"),
               {QStringLiteral("Database=/nonexistent/x.db")});
    tarvo app;
    app.create();
    app.open(QString());
    QVERIFY(!app.sqlca->connected());
    QVERIFY(app.w_search && app.w_search->isVisible());

    test_support::message_recorder boxes;
    app.w_search->cb_search_clicked();
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("Data source name not found")),
             qPrintable(boxes.summary()));
    QVERIFY(app.w_search->isVisible());
}

TARVO_TEST_MAIN(tst_start_without_source)
#include "tst_start_without_source.moc"
