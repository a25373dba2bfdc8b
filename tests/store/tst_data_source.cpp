// How the status line names a data source from what its driver reports.

#include <QTest>

#include "data_source.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

class tst_data_source : public QObject {
    Q_OBJECT
private slots:
    void describe_data();
    void describe();
    void nothing_without_a_connection();
};

void tst_data_source::describe_data()
{
    // clang-format off
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("described");

    // The SQLite driver names the file as the database and as the server.
    QTest::newRow("SQLite file") << "FAQ" << "SQLite" << "/home/ana/.local/share/tarvo/faq.db"
                                 << "/home/ana/.local/share/tarvo/faq.db" << ""
                                 << "FAQ: SQLite /home/ana/.local/share/tarvo/faq.db";
    QTest::newRow("PostgreSQL server") << "FAQ" << "PostgreSQL" << "faq" << "db1" << "5432"
                                       << "FAQ: PostgreSQL faq on db1:5432";
    QTest::newRow("PostgreSQL IPv6 address") << "FAQ" << "PostgreSQL" << "faq" << "::1" << "5433"
                                             << "FAQ: PostgreSQL faq on [::1]:5433";
    QTest::newRow("PostgreSQL socket folder") << "FAQ" << "PostgreSQL" << "faq" << "/var/run/postgresql" << "5432"
                                              << "FAQ: PostgreSQL faq on local socket /var/run/postgresql, port 5432";
    QTest::newRow("PostgreSQL default socket") << "FAQ" << "PostgreSQL" << "faq" << "" << "5432"
                                               << "FAQ: PostgreSQL faq on local socket, port 5432";
    QTest::newRow("PostgreSQL abstract socket") << "FAQ" << "PostgreSQL" << "faq" << "@tarvo" << "5432"
                                                << "FAQ: PostgreSQL faq on local socket @tarvo, port 5432";
    QTest::newRow("another engine") << "FAQ" << "MySQL" << "faq" << "db2" << ""
                                    << "FAQ: MySQL faq on db2";
    QTest::newRow("a driver that says nothing") << "FAQ" << "" << "" << "" << "" << "FAQ: database";
    QTest::newRow("no data source name") << "" << "SQLite" << "/tmp/x.db" << "/tmp/x.db" << ""
                                         << "SQLite /tmp/x.db";
    // clang-format on
}

void tst_data_source::describe()
{
    QFETCH(QString, name);
    QFETCH(QString, engine);
    QFETCH(QString, database);
    QFETCH(QString, server);
    QFETCH(QString, port);
    QFETCH(QString, described);
    QCOMPARE(data_source::describe(data_source::facts{name, engine, database, server, port}), described);
}

void tst_data_source::nothing_without_a_connection()
{
    transaction never_connected(QStringLiteral("never_connected"));
    QVERIFY(!data_source::of(never_connected).has_value());
}

TARVO_TEST_MAIN(tst_data_source)
#include "tst_data_source.moc"
