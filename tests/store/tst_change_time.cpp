// The times of changes as both databases write them into the history.

#include <QTest>

#include "change_time.h"
#include "unexpected_dialogs.h"

class tst_change_time : public QObject {
    Q_OBJECT
private slots:
    void reads_both_databases_forms_data();
    void reads_both_databases_forms();
    void shows_local_time_to_the_minute();
};

void tst_change_time::reads_both_databases_forms_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("moment"); // invalid: the text names no moment

    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    };
    // SQLite: UTC without an offset.
    QTest::newRow("sqlite") << QStringLiteral("2024-05-01 10:00:00.123") << utc(2024, 5, 1, 10, 0, 0, 123);
    QTest::newRow("sqlite, whole seconds") << QStringLiteral("2024-05-01 10:00:07") << utc(2024, 5, 1, 10, 0, 7);
    // PostgreSQL: with the session's offset; microseconds are cut to milliseconds.
    QTest::newRow("postgresql, utc") << QStringLiteral("2024-05-01 10:00:00.123456+00") << utc(2024, 5, 1, 10, 0, 0, 123);
    QTest::newRow("postgresql, east") << QStringLiteral("2024-05-01 12:00:00.999999+02") << utc(2024, 5, 1, 10, 0, 0, 999);
    QTest::newRow("postgresql, half hours") << QStringLiteral("2024-05-01 05:30:00+05:30") << utc(2024, 5, 1, 0, 0, 0);
    QTest::newRow("postgresql, west, new day") << QStringLiteral("2023-12-31 21:15:00-03") << utc(2024, 1, 1, 0, 15, 0);
    QTest::newRow("iso with Z") << QStringLiteral("2024-02-29T23:59:59Z") << utc(2024, 2, 29, 23, 59, 59);
    QTest::newRow("empty") << QString() << QDateTime();
    QTest::newRow("not a time") << QStringLiteral("yesterday") << QDateTime();
    QTest::newRow("no such day") << QStringLiteral("2023-02-29 10:00:00") << QDateTime();
    QTest::newRow("date alone") << QStringLiteral("2024-05-01") << QDateTime();
    // clang-format on
}

void tst_change_time::reads_both_databases_forms()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, moment);
    const QDateTime read = change_time::parse(text);
    QCOMPARE(read.isValid(), moment.isValid());
    if (moment.isValid()) {
        QCOMPARE(read, moment);
        QCOMPARE(read.timeSpec(), Qt::UTC);
    }
}

void tst_change_time::shows_local_time_to_the_minute()
{
    const QDateTime moment(QDate(2024, 5, 1), QTime(10, 0, 59), Qt::UTC);
    QCOMPARE(change_time::local_text(moment), moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    QCOMPARE(change_time::local_text(QDateTime()), QString());
}

TARVO_GUILESS_TEST_MAIN(tst_change_time)
#include "tst_change_time.moc"
