// Saves that keep the table and the session sound: a write the database gave up leaves a session
// that stores the next Save once and reports it truly; a Save changes only what the user changed
// (NULLs stay NULL, no edit writes nothing); failures show what the database said; numbering
// finds a free number below a stray large one, and a number that several rows carry is never
// written over.
// Runs once on SQLite and once on PostgreSQL.

#include <QPointer>
#include <QSqlQuery>
#include <memory>

#include "odbc_statement.h"
#include "window_driver.h"

using statements::entry_texts;
using test_support::backend;
using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;
using test_support::sample_entry;
using test_support::set_texts;
using test_support::shown_texts;

namespace {

const QString insert_title = QStringLiteral("INSERT INTO faq VALUES(...)");
const QString update_title = QStringLiteral("UPDATE faq SET ...");

// An entry whose answer needs new pages in the database file.
entry_texts long_entry(const QString& tag)
{
    entry_texts entry = sample_entry(tag);
    entry.odgovor = QString(20000, QLatin1Char('a'));
    return entry;
}

} // namespace

class tst_save_integrity : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    // A table as older databases and other programs have it: rbr neither a key nor unique, NULLs
    // allowed; with the history's triggers when asked.
    void old_table(bool with_history)
    {
        fixture->exec(QStringLiteral("DROP TABLE faq"));
        fixture->exec(QStringLiteral("CREATE TABLE faq (rbr integer, adresa text, pitanje text, datum varchar(10), "
                                     "proizvod text, lot text, odgovor text)"));
        if (with_history)
            fixture->run_script(test_support::source_dir()
                                + (fixture->which() == backend::sqlite
                                       ? QStringLiteral("/db/faq-history.sqlite.sql")
                                       : QStringLiteral("/db/faq-history.postgresql.sql")));
    }
    int count_of(const QString& select)
    {
        QSqlQuery query = fixture->admin().exec(select);
        return query.next() ? query.value(0).toInt() : -1;
    }
    // The SQLite file may not grow beyond its size on the program's own connection (a full disk).
    static void limit_growth(transaction& sqlca, bool limited)
    {
        sqlca.run_read([&](odbc_connection& connection) {
            odbc_statement statement(connection);
            QVERIFY(statement.execute(limited ? QStringLiteral("PRAGMA max_page_count = 1")
                                              : QStringLiteral("PRAGMA max_page_count = 1073741823")));
        });
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init() { fixture->recreate_table(); }

    void write_given_up_by_the_database_data();
    void write_given_up_by_the_database();
    void only_what_the_user_changed_data();
    void only_what_the_user_changed();
    void failures_show_the_database_message_data();
    void failures_show_the_database_message();
    void numbering_around_stray_numbers_data();
    void numbering_around_stray_numbers();
    void number_carried_by_several_rows_is_not_written_over();
};

void tst_save_integrity::write_given_up_by_the_database_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("stored_anyway"); // the failed write reached the table all the same
    QTest::newRow("new entry") << false << false;
    QTest::newRow("edited entry") << true << false;
    QTest::newRow("new entry stored despite the failure") << false << true;
}

// SQLite gives up the whole transaction when the file cannot grow, and then refuses the rollback.
// The session must not go on committing every statement on its own, and a second Save must store
// the entry exactly once.
void tst_save_integrity::write_given_up_by_the_database()
{
    if (fixture->which() != backend::sqlite)
        QSKIP("the file's growth is limited on SQLite");
    QFETCH(bool, loaded);
    QFETCH(bool, stored_anyway);
    fixture->exec(QStringLiteral("VACUUM")); // no free pages: a longer entry needs the file to grow
    fixture->insert(7, sample_entry(QStringLiteral("seven")), QStringLiteral("03/04/1999"));
    client c;
    QPointer<w_main> w = c.open_entry(loaded ? QStringLiteral("7") : QStringLiteral("0"));
    const int number = loaded ? 7 : 8;
    set_texts(w, long_entry(QStringLiteral("typed")));
    limit_growth(*c.app.sqlca, true);
    {
        message_recorder boxes;
        if (stored_anyway)
            boxes.when_shown(insert_title, [&] {
                fixture->insert(number, long_entry(QStringLiteral("typed")), QStringLiteral("01/01/2020"));
            });
        w->cb_save->click();
        QCOMPARE(boxes.titles(), QStringList{loaded ? update_title : insert_title});
        QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("full")), qPrintable(boxes.summary()));
    }
    QVERIFY(w && w->isVisible());
    COMPARE_TEXTS(shown_texts(w), long_entry(QStringLiteral("typed")));
    QCOMPARE(fixture->count(), stored_anyway ? 2 : 1);

    limit_growth(*c.app.sqlca, false);
    if (stored_anyway) {
        message_recorder boxes;
        w->cb_save->click();
        QCOMPARE(boxes.titles(), QStringList{insert_title});
        QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("not stored a second time")),
                 qPrintable(boxes.summary()));
    } else {
        w->cb_save->click();
    }
    QTRY_VERIFY(w.isNull());
    QCOMPARE(fixture->count(), loaded ? 1 : 2);
    COMPARE_TEXTS(fixture->find(number)->texts(), long_entry(QStringLiteral("typed")));

    // The session commits only when told: a change rolled back is not stored.
    statements::delete_entry(*c.app.sqlca, static_cast<std::int16_t>(number));
    QVERIFY(c.app.sqlca->succeeded());
    c.app.sqlca->rollback();
    QVERIFY2(c.app.sqlca->succeeded(), qPrintable(c.app.sqlca->SQLErrText));
    QVERIFY(fixture->find(number));
}

void tst_save_integrity::only_what_the_user_changed_data()
{
    QTest::addColumn<bool>("edit");
    QTest::newRow("no edit") << false;
    QTest::newRow("one field edited") << true;
}

// Rows put in by another program with NULL columns: a Save keeps every NULL the user did not
// touch, and a Save without an edit writes nothing and keeps no version.
void tst_save_integrity::only_what_the_user_changed()
{
    QFETCH(bool, edit);
    old_table(true);
    fixture->exec(QStringLiteral("INSERT INTO faq (rbr, pitanje, odgovor) VALUES (5, 'Why?', 'Because.')"));
    const auto nulls = [this] {
        return count_of(QStringLiteral("SELECT count(*) FROM faq WHERE adresa IS NULL AND datum IS NULL "
                                       "AND proizvod IS NULL AND lot IS NULL"));
    };
    QCOMPARE(nulls(), 1);
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("5"));
    if (edit)
        w->mle_odgovor->set_text(QStringLiteral("Because it is so."));
    w->cb_save->click();
    QTRY_VERIFY(w.isNull());
    QCOMPARE(nulls(), 1);
    QCOMPARE(fixture->find(5)->odgovor, edit ? QStringLiteral("Because it is so.") : QStringLiteral("Because."));
    QCOMPARE(count_of(QStringLiteral("SELECT count(*) FROM faq_history")), edit ? 1 : 0);
}

void tst_save_integrity::failures_show_the_database_message_data()
{
    QTest::addColumn<QString>("parm");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("count") << "7"
                           << "ERROR!"
                           << "SELECT (rbr) FROM faq";
    QTest::newRow("numbering") << "0"
                               << "Error"
                               << "Database error. NewID failed.";
}

// The boxes keep their titles and texts; what the database said is in their details.
void tst_save_integrity::failures_show_the_database_message()
{
    QFETCH(QString, parm);
    QFETCH(QString, title);
    QFETCH(QString, text);
    fixture->insert(7, sample_entry(QStringLiteral("seven")), QStringLiteral("03/04/1999"));
    client c;
    QPointer<w_main> w;
    if (parm != QLatin1String("0"))
        w = c.open_entry(parm);
    fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
    message_recorder boxes;
    if (w)
        w->cb_save->click();
    else
        w = c.open_entry(parm);
    fixture->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq"));
    QVERIFY(!boxes.boxes.isEmpty());
    QCOMPARE(boxes.boxes.first().title, title);
    QCOMPARE(boxes.boxes.first().text, text);
    // "no such table: faq" (SQLite), "relation "faq" does not exist" (PostgreSQL).
    const QString details = boxes.boxes.first().details;
    QVERIFY2(details.contains(QStringLiteral("faq")), qPrintable(details));
}

void tst_save_integrity::numbering_around_stray_numbers_data()
{
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<int>("expected"); // 0: no number is left
    QTest::addColumn<bool>("noted");   // the status line tells of the lowest free number
    QTest::newRow("below the last") << QList<int>{1, 2, 32766} << 32767 << false;
    QTest::newRow("one stray at the last") << QList<int>{1, 2, 4, 32767} << 3 << true;
    QTest::newRow("one beyond 16 bits, 1 free") << QList<int>{2, 3, 40000} << 1 << true;
    QTest::newRow("every number taken") << QList<int>{-1} << 0 << false;
}

void tst_save_integrity::numbering_around_stray_numbers()
{
    QFETCH(QList<int>, stored);
    QFETCH(int, expected);
    QFETCH(bool, noted);
    old_table(false);
    if (stored == QList<int>{-1}) {
        fixture->insert_every_number();
    } else {
        for (int rbr : stored)
            fixture->insert_question(rbr, QStringLiteral("question %1").arg(rbr));
    }
    client c;
    message_recorder boxes;
    QPointer<w_main> w = c.open_entry(QStringLiteral("0"));
    if (expected == 0) {
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Error")});
        QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("No entry number is left")),
                 qPrintable(boxes.summary()));
        return;
    }
    boxes.stop();
    QCOMPARE(w->sle_rbr->text(), QString::number(expected));
    const QString status = c.search_window()->st_status->currentMessage();
    QCOMPARE(status.contains(QStringLiteral("lowest free number, %1").arg(expected)), noted);

    set_texts(w, sample_entry(QStringLiteral("new")));
    w->cb_save->click();
    QTRY_VERIFY(w.isNull());
    COMPARE_TEXTS(fixture->find(expected)->texts(), sample_entry(QStringLiteral("new")));
}

// Two rows numbered 7 in a table without a key: a Save of the one loaded would write its texts
// over both. It refuses, says why, and keeps the text.
void tst_save_integrity::number_carried_by_several_rows_is_not_written_over()
{
    old_table(false);
    fixture->insert(7, sample_entry(QStringLiteral("first")), QStringLiteral("03/04/1999"));
    fixture->insert(7, sample_entry(QStringLiteral("second")), QStringLiteral("03/04/1999"));
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("7"));
    set_texts(w, sample_entry(QStringLiteral("typed")));
    message_recorder boxes;
    w->cb_save->click();
    QCOMPARE(boxes.titles(), QStringList{update_title});
    QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("2 entries")), qPrintable(boxes.summary()));
    QVERIFY(w && w->isVisible());
    COMPARE_TEXTS(shown_texts(w), sample_entry(QStringLiteral("typed")));
    QCOMPARE(count_of(QStringLiteral("SELECT count(*) FROM faq WHERE pitanje LIKE 'typed%'")), 0);
    QCOMPARE(fixture->count(), 2);
}

TARVO_TEST_MAIN(tst_save_integrity)
#include "tst_save_integrity.moc"
