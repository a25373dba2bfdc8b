// The fixed statement texts: markers become placeholders one for one, nothing else changes.

#include <QTest>

#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

class tst_statement_texts : public QObject {
    Q_OBJECT
private slots:
    void placeholders_data();
    void placeholders();
    void load_statement_appends_number();
    void connect_string_is_split();
};

void tst_statement_texts::placeholders_data()
{
    // clang-format off
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("bound");
    QTest::addColumn<int>("markers");
    QTest::newRow("max") << QString::fromUtf16(statements::max_rbr) << "SELECT MAX ( rbr ) FROM faq " << 0;
    QTest::newRow("count") << QString::fromUtf16(statements::count_rbr) << "SELECT Count ( rbr ) FROM faq WHERE rbr =? " << 1;
    QTest::newRow("update") << QString::fromUtf16(statements::update_entry_text)
                            << "update faq SET adresa =? , pitanje =? , proizvod =? , lot =? , odgovor =? WHERE rbr =? " << 6;
    QTest::newRow("insert") << QString::fromUtf16(statements::insert_entry_text)
                            << "INSERT INTO faq VALUES ( ? , ? , ? , ? , ? , ? , ? ) " << 7;
    QTest::newRow("delete") << QString::fromUtf16(statements::delete_entry_text) << "DELETE FROM faq WHERE rbr =? " << 1;
    QTest::newRow("stored entry") << QString::fromUtf16(statements::stored_entry_text)
                                  << "SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE rbr =? " << 1;
    // Digits inside names or numbers are not markers.
    QTest::newRow("digits in words") << "SELECT t0.a10 FROM x WHERE y = 100 AND z =0 " << "SELECT t0.a10 FROM x WHERE y = 100 AND z =? " << 1;
    // clang-format on
}

void tst_statement_texts::placeholders()
{
    QFETCH(QString, system);
    QFETCH(QString, bound);
    QFETCH(int, markers);
    QCOMPARE(statements::with_placeholders(system), bound);
    QCOMPARE(statements::marker_count(system), markers);
}

void tst_statement_texts::load_statement_appends_number()
{
    QCOMPARE(statements::load_statement(17),
             QStringLiteral("SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE rbr=17"));
    QCOMPARE(statements::load_statement(-5),
             QStringLiteral("SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE rbr=-5"));
}

void tst_statement_texts::connect_string_is_split()
{
    const connect_settings settings = parse_connect_string(QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'"));
    QCOMPARE(settings.dsn, QStringLiteral("FAQ"));
    QCOMPARE(settings.uid, QStringLiteral("mirt"));
    QCOMPARE(settings.pwd, QStringLiteral("mirt"));
    const connect_settings none = parse_connect_string(QStringLiteral("nothing here"));
    QVERIFY(none.dsn.isEmpty());
}

TARVO_GUILESS_TEST_MAIN(tst_statement_texts)
#include "tst_statement_texts.moc"
