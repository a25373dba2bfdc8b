// Saving from the entry window: update or insert, the exact texts, failures that leave the
// user's text in the window, and the cases where another client changed the table meanwhile.

#include <QDate>
#include <QRegularExpression>
#include <memory>

#include "window_driver.h"

using statements::entry_texts;
using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;
using test_support::sample_entry;
using test_support::set_texts;
using test_support::shown_texts;

namespace {

const QString old_date = QStringLiteral("03/04/1999");

bool is_today(const QString& datum, const QDate& before)
{
    return datum == before.toString(QStringLiteral("MM/dd/yyyy"))
           || datum == QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"));
}

} // namespace

class tst_w_main_save : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    void insert_entry(int rbr, const entry_texts& entry, const QString& datum = old_date)
    {
        fixture->insert(rbr, entry, datum);
    }

    // The texts stored under rbr, or a marker in every field when no row carries it.
    entry_texts stored(int rbr)
    {
        if (const auto row = fixture->find(rbr))
            return row->texts();
        const QString none = QStringLiteral("(no row %1)").arg(rbr);
        return {none, none, none, none, none};
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init() { fixture->recreate_table(); }

    void existing_entry_is_updated();
    void new_entry_is_inserted_with_todays_date();
    void typed_texts_are_stored();
    void texts_round_trip_data();
    void texts_round_trip();
    void edited_windows_texts_keep_their_line_breaks();
    void failed_save_keeps_the_window_data();
    void failed_save_keeps_the_window();
    void number_taken_meanwhile_gives_the_next();
    void rejected_duplicate_is_numbered_again();
    void entry_without_number_is_numbered_first();
    void no_number_left_writes_nothing();
    void close_discards();
};

void tst_w_main_save::existing_entry_is_updated()
{
    insert_entry(3, sample_entry(QStringLiteral("three")));
    insert_entry(7, sample_entry(QStringLiteral("seven")));
    client c;
    QCOMPARE(c.listed_rows(), 0);
    w_main* w = c.open_entry(QStringLiteral("7"));
    set_texts(w, sample_entry(QStringLiteral("changed")));
    QTest::mouseClick(w->cb_save, Qt::LeftButton);

    QTRY_VERIFY(c.app.w_main.isNull());
    QCOMPARE(fixture->count(), 2);
    const auto row = fixture->find(7);
    QVERIFY(row);
    COMPARE_TEXTS(row->texts(), sample_entry(QStringLiteral("changed")));
    QCOMPARE(row->datum, old_date);
    COMPARE_TEXTS(stored(3), sample_entry(QStringLiteral("three")));
    // The search list was queried again.
    QCOMPARE(c.listed_rows(), 2);
}

void tst_w_main_save::new_entry_is_inserted_with_todays_date()
{
    insert_entry(41, sample_entry(QStringLiteral("forty-one")));
    client c;
    w_main* w = c.open_entry(QStringLiteral("0"));
    set_texts(w, sample_entry(QStringLiteral("new")));
    const QDate before = QDate::currentDate();
    w->cb_save->click();

    QTRY_VERIFY(c.app.w_main.isNull());
    const auto row = fixture->find(42);
    QVERIFY(row);
    COMPARE_TEXTS(row->texts(), sample_entry(QStringLiteral("new")));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$")).match(row->datum).hasMatch());
    QVERIFY2(is_today(row->datum, before), qPrintable(row->datum));
    QCOMPARE(fixture->count(), 2);
    QCOMPARE(c.listed_rows(), 2);
}

void tst_w_main_save::typed_texts_are_stored()
{
    client c;
    w_main* w = c.open_entry(QStringLiteral("0"));
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("1"));
    QTest::keyClicks(w->mle_adresa, QStringLiteral("pump, seal"));
    QTest::keyClicks(w->mle_question, QStringLiteral("Why does it leak?"));
    QTest::keyClick(w->mle_question, Qt::Key_Return);
    test_support::type(w->mle_question, QStringLiteral("Čćžšđ"));
    QTest::keyClicks(w->em_proizvod, QStringLiteral("P-100 'Mini'"));
    QTest::keyClicks(w->em_lot, QStringLiteral("A12"));
    QTest::keyClicks(w->mle_odgovor, QStringLiteral("Replace the \"O\" ring."));
    QTest::mouseClick(w->cb_save, Qt::LeftButton);

    const auto row = fixture->find(1);
    QVERIFY(row);
    COMPARE_TEXTS(row->texts(), (entry_texts{QStringLiteral("pump, seal"), QStringLiteral("Why does it leak?\nČćžšđ"),
                                             QStringLiteral("P-100 'Mini'"), QStringLiteral("A12"),
                                             QStringLiteral("Replace the \"O\" ring.")}));
}

void tst_w_main_save::texts_round_trip_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::newRow("apostrophes") << QStringLiteral("it's 'quoted' ''twice''");
    QTest::newRow("double quotes") << QStringLiteral("the \"best\" pump; -- not a comment");
    QTest::newRow("croatian") << QStringLiteral("čćžšđ ČĆŽŠĐ");
    QTest::newRow("line breaks") << QStringLiteral("first\nsecond\n\nfourth\n");
    QTest::newRow("windows line breaks") << QStringLiteral("first\r\nsecond\r\n");
    QTest::newRow("special spaces") << QStringLiteral("a\u00a0b\u2028c\td");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("100000 characters") << QStringLiteral("Check the seal, then the shaft.\n").repeated(3125);
    // clang-format on
}

// A stored entry loads and saves back unchanged; the same texts saved as a new entry are
// stored exactly.
void tst_w_main_save::texts_round_trip()
{
    QFETCH(QString, text);
    const entry_texts entry{text, text + QStringLiteral("?"), text, QStringLiteral("L") + text, text};
    insert_entry(5, entry);
    {
        client c;
        w_main* w = c.open_entry(QStringLiteral("5"));
        COMPARE_TEXTS(shown_texts(w), entry);
        w->cb_save->click();
        QTRY_VERIFY(c.app.w_main.isNull());
    }
    const auto saved = fixture->find(5);
    QVERIFY(saved);
    COMPARE_TEXTS(saved->texts(), entry);
    QCOMPARE(saved->datum, old_date);

    if (!text.contains(QLatin1Char('\r'))) {
        client c;
        w_main* w = c.open_entry(QStringLiteral("0"));
        set_texts(w, entry);
        w->cb_save->click();
        QTRY_VERIFY(c.app.w_main.isNull());
        COMPARE_TEXTS(stored(6), entry);
    }
}

void tst_w_main_save::edited_windows_texts_keep_their_line_breaks()
{
    insert_entry(5, entry_texts{QString(), QString(), QString(), QString(), QStringLiteral("one\r\ntwo")});
    client c;
    w_main* w = c.open_entry(QStringLiteral("5"));
    QTextCursor cursor = w->mle_odgovor->textCursor();
    cursor.movePosition(QTextCursor::End);
    w->mle_odgovor->setTextCursor(cursor);
    QTest::keyClick(w->mle_odgovor, Qt::Key_Return);
    QTest::keyClicks(w->mle_odgovor, QStringLiteral("three"));
    w->cb_save->click();
    QTRY_VERIFY(c.app.w_main.isNull());
    QCOMPARE(stored(5).odgovor, QStringLiteral("one\r\ntwo\r\nthree"));
}

void tst_w_main_save::failed_save_keeps_the_window_data()
{
    // clang-format off
    QTest::addColumn<QString>("parm");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("repair");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("saved_under");
    QTest::newRow("update refused")
        << QStringLiteral("7")
        << QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON faq BEGIN SELECT RAISE(ABORT, 'updates refused'); END")
        << QStringLiteral("DROP TRIGGER refuse") << QStringList{QStringLiteral("UPDATE faq SET ...")}
        << QStringLiteral("updates refused") << 7;
    // A refusal that is not about the number is reported once, not retried under new numbers.
    QTest::newRow("insert refused")
        << QStringLiteral("0")
        << QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON faq BEGIN SELECT RAISE(ABORT, 'inserts refused'); END")
        << QStringLiteral("DROP TRIGGER refuse") << QStringList{QStringLiteral("INSERT INTO faq VALUES(...)")}
        << QStringLiteral("inserts refused") << 8;
    // The count fails: a loaded entry is not written at all; once the table is back the entry
    // updates its own row and is not stored twice.
    QTest::newRow("table gone") << QStringLiteral("7") << QStringLiteral("ALTER TABLE faq RENAME TO faq_away")
                                << QStringLiteral("ALTER TABLE faq_away RENAME TO faq")
                                << QStringList{QStringLiteral("ERROR!")} << QStringLiteral("SELECT (rbr) FROM faq") << 7;
    // clang-format on
}

// A failed save shows its message and leaves the window open with the user's text and nothing
// committed; once the fault is gone the next Save succeeds.
void tst_w_main_save::failed_save_keeps_the_window()
{
    QFETCH(QString, parm);
    QFETCH(QString, fault);
    QFETCH(QString, repair);
    QFETCH(QStringList, titles);
    QFETCH(QString, reason);
    QFETCH(int, saved_under);
    insert_entry(7, sample_entry(QStringLiteral("seven")));
    client c;
    QPointer<w_main> w = c.open_entry(parm);
    set_texts(w, sample_entry(QStringLiteral("typed")));
    fixture->exec(fault);
    {
        message_recorder messages;
        w->cb_save->click();
        QCOMPARE(messages.titles(), titles);
        if (titles.first() == QLatin1String("ERROR!"))
            QCOMPARE(messages.boxes.first().text, QStringLiteral("SELECT (rbr) FROM faq"));
        QVERIFY2(messages.boxes.last().text.contains(reason), qPrintable(messages.summary()));
    }
    QVERIFY(w && w->isVisible());
    COMPARE_TEXTS(shown_texts(w), sample_entry(QStringLiteral("typed")));
    // The repair needs the table free: the failed save left no transaction open.
    fixture->exec(repair);
    QCOMPARE(fixture->count(), 1);
    COMPARE_TEXTS(stored(7), sample_entry(QStringLiteral("seven")));

    w->cb_save->click();
    QTRY_VERIFY(w.isNull());
    QCOMPARE(fixture->count(), saved_under == 7 ? 1 : 2);
    COMPARE_TEXTS(stored(saved_under), sample_entry(QStringLiteral("typed")));
}

void tst_w_main_save::number_taken_meanwhile_gives_the_next()
{
    insert_entry(41, sample_entry(QStringLiteral("forty-one")));
    client mine;
    client other;
    w_main* w = mine.open_entry(QStringLiteral("0"));
    w_main* theirs = other.open_entry(QStringLiteral("0"));
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("42"));
    QCOMPARE(theirs->sle_rbr->text(), QStringLiteral("42"));
    set_texts(theirs, sample_entry(QStringLiteral("theirs")));
    theirs->cb_save->click();
    QTRY_VERIFY(other.app.w_main.isNull());

    set_texts(w, sample_entry(QStringLiteral("mine")));
    w->cb_save->click();
    QTRY_VERIFY(mine.app.w_main.isNull());
    QCOMPARE(fixture->count(), 3);
    COMPARE_TEXTS(stored(42), sample_entry(QStringLiteral("theirs")));
    COMPARE_TEXTS(stored(43), sample_entry(QStringLiteral("mine")));
}

// The number is free when counted but stored by another client before the insert: the insert
// is rejected as a duplicate and the entry is numbered again. The other client's save is made
// while the count's failure is being reported, which is the one moment between the two.
void tst_w_main_save::rejected_duplicate_is_numbered_again()
{
    insert_entry(41, sample_entry(QStringLiteral("forty-one")));
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("0"));
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("42"));
    set_texts(w, sample_entry(QStringLiteral("mine")));
    fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));

    {
        message_recorder boxes;
        boxes.when_shown(QStringLiteral("ERROR!"), [this] {
            fixture->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq"));
            insert_entry(42, sample_entry(QStringLiteral("theirs")));
        });
        w->cb_save->click();
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("ERROR!")});
    }
    QTRY_VERIFY(w.isNull());
    QCOMPARE(fixture->count(), 3);
    COMPARE_TEXTS(stored(42), sample_entry(QStringLiteral("theirs")));
    COMPARE_TEXTS(stored(43), sample_entry(QStringLiteral("mine")));
}

// An entry whose number failed on opening, or that was opened from a number without a row, is
// never written under 0 or -27008: it is numbered at the save.
void tst_w_main_save::entry_without_number_is_numbered_first()
{
    insert_entry(9, sample_entry(QStringLiteral("nine")));
    fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
    client failed;
    QPointer<w_main> w;
    {
        message_recorder messages;
        w = failed.open_entry(QStringLiteral("0"));
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(w->sle_rbr->text(), QStringLiteral("-27008"));
    }
    fixture->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq"));
    set_texts(w, sample_entry(QStringLiteral("renumbered")));
    w->cb_save->click();
    QTRY_VERIFY(w.isNull());

    client missing;
    w = missing.open_entry(QStringLiteral("20"));
    QVERIFY(w->sle_rbr->text().isEmpty());
    set_texts(w, sample_entry(QStringLiteral("from a missing number")));
    w->cb_save->click();
    QTRY_VERIFY(w.isNull());

    QCOMPARE(fixture->count(), 3);
    COMPARE_TEXTS(stored(10), sample_entry(QStringLiteral("renumbered")));
    COMPARE_TEXTS(stored(11), sample_entry(QStringLiteral("from a missing number")));
    for (const auto& row : fixture->rows())
        QVERIFY(row.rbr >= 1);
}

void tst_w_main_save::no_number_left_writes_nothing()
{
    fixture->insert_every_number();
    message_recorder messages;
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("0"));
    set_texts(w, sample_entry(QStringLiteral("one too many")));
    w->cb_save->click();
    QCOMPARE(messages.boxes.size(), 2); // on opening, and again at the save
    QCOMPARE(messages.boxes[1].title, QStringLiteral("Error"));
    QVERIFY(w && w->isVisible());
    COMPARE_TEXTS(shown_texts(w), sample_entry(QStringLiteral("one too many")));
    QCOMPARE(fixture->count(), 32767);
}

void tst_w_main_save::close_discards()
{
    insert_entry(7, sample_entry(QStringLiteral("seven")));
    client c;
    w_main* w = c.open_entry(QStringLiteral("7"));
    set_texts(w, sample_entry(QStringLiteral("changed")));
    QTest::mouseClick(w->cb_close, Qt::LeftButton);
    QTRY_VERIFY(c.app.w_main.isNull());

    w = c.open_entry(QStringLiteral("0"));
    set_texts(w, sample_entry(QStringLiteral("new")));
    w->cb_close->click();
    QTRY_VERIFY(c.app.w_main.isNull());

    QCOMPARE(fixture->count(), 1);
    COMPARE_TEXTS(stored(7), sample_entry(QStringLiteral("seven")));
    QCOMPARE(c.listed_rows(), 0); // closing does not search
}

TARVO_TEST_MAIN(tst_w_main_save)
#include "tst_w_main_save.moc"
