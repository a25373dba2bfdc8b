// The embedded database's file as disks and other programs leave it. A file that is not a
// database, or one that fails its quick check, is told apart at start: the status line says so
// with the command that restores a backup, and nothing writes to it, not a search, not a save,
// not a backup. A backup that fails is said in the status line, and again at the next start.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "sqlite_files.h"
#include "window_driver.h"

using test_support::client;
using test_support::damage;
using test_support::message_recorder;

class tst_database_file_trouble : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    QString database() const { return folder.filePath(QStringLiteral("faq.db")); }
    static QString status_of(const tarvo& app) { return app.w_search->st_status->currentMessage(); }

private slots:
    void damaged_file_is_told_and_left_alone_data();
    void damaged_file_is_told_and_left_alone();
    void failed_backup_is_told_now_and_at_next_start();
};

void tst_database_file_trouble::damaged_file_is_told_and_left_alone_data()
{
    QTest::addColumn<damage>("how");
    QTest::newRow("overwritten by another program") << damage::not_a_database;
    QTest::newRow("the table's first page lost") << damage::broken_table;
}

void tst_database_file_trouble::damaged_file_is_told_and_left_alone()
{
    QFETCH(damage, how);
    test_support::private_odbc odbc;
    odbc.write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"),
               {QStringLiteral("Database=") + database(), QStringLiteral("Timeout=2000")});
    test_support::write_damaged_database(database(), how);
    const QByteArray before = test_support::file_bytes(database());
    const QString told = QStringLiteral("The database file %1 is damaged").arg(database());
    {
        message_recorder boxes;
        client user;
        QVERIFY(!user.app.backups);
        QVERIFY2(status_of(user.app).contains(told), qPrintable(status_of(user.app)));
        QVERIFY2(status_of(user.app).contains(QStringLiteral("tarvo-setup-dsn --restore")),
                 qPrintable(status_of(user.app)));

        user.search_for();
        QVERIFY2(status_of(user.app).contains(told), qPrintable(status_of(user.app)));
        w_main* window = user.open_entry(QStringLiteral("0"));
        test_support::set_texts(window, test_support::sample_entry(QStringLiteral("typed")));
        window->cb_save_clicked();
        QVERIFY2(boxes.titles().size() > 1 && boxes.titles().first() == QLatin1String("Search"),
                 qPrintable(boxes.summary()));
        QVERIFY2(boxes.boxes.first().text.contains(told), qPrintable(boxes.summary()));
        QVERIFY(window->has_unsaved_changes()); // the typed entry stays in the window
    }
    QCOMPARE(test_support::file_bytes(database()), before);
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("backups"))));
}

void tst_database_file_trouble::failed_backup_is_told_now_and_at_next_start()
{
    test_support::make_sample_database(database());
    // A share that is not there: its folder cannot be made, even by root, while "share" is a file.
    const QString share = folder.filePath(QStringLiteral("share"));
    QVERIFY(QFile(share).open(QIODevice::WriteOnly));
    const QString backups = share + QStringLiteral("/faq-backups");
    test_support::private_odbc odbc;
    odbc.write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"),
               {QStringLiteral("Database=") + database(), QStringLiteral("BackupFolder=") + backups});
    const auto start = [](const QString& name) {
        auto app = std::make_unique<tarvo>();
        app->connection_name = name;
        app->create();
        app->open(QString());
        return app;
    };
    std::unique_ptr<tarvo> first = start(QStringLiteral("first"));
    QTRY_VERIFY2(status_of(*first).contains(backups), qPrintable(status_of(*first)));
    QVERIFY(first->sqlca->connected()); // the program works on
    first.reset();

    QVERIFY(QFile::remove(share)); // the share is back
    std::unique_ptr<tarvo> next = start(QStringLiteral("next"));
    QVERIFY2(
        status_of(*next).contains(QStringLiteral("When the program last ran: Backup of %1 failed").arg(database())),
        qPrintable(status_of(*next)));
    QVERIFY2(status_of(*next).contains(backups), qPrintable(status_of(*next)));
    next->backups->wait();
    QCOMPARE(QDir(backups).entryList(QDir::Files),
             QStringList{QStringLiteral("faq-%1.db").arg(QDate::currentDate().toString(Qt::ISODate))});
    QCOMPARE(next->backups->earlier_failure(), QString());
}

TARVO_TEST_MAIN(tst_database_file_trouble)
#include "tst_database_file_trouble.moc"
