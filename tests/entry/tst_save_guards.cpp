// Saves that must not destroy anything: a loaded entry whose count failed is not written at all
// (never inserted a second time), a new entry is never inserted under a number the count found
// taken, and an edit changes the stored text only where the user edited it, whatever line breaks
// and control characters the rest of it holds.
// Runs once on SQLite and once on PostgreSQL.

#include <QPointer>
#include <memory>

#include "window_driver.h"

using statements::entry_texts;
using test_support::backend;
using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;
using test_support::sample_entry;
using test_support::set_texts;
using test_support::shown_texts;

class tst_save_guards : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    // A table as older databases have it: rbr neither a key nor unique.
    void table_without_key()
    {
        fixture->exec(QStringLiteral("DROP TABLE faq"));
        fixture->exec(QStringLiteral("CREATE TABLE faq (rbr integer, adresa text, pitanje text, datum varchar(10), "
                                     "proizvod text, lot text, odgovor text)"));
    }
    void insert_entry(int rbr, const entry_texts& entry) { fixture->insert(rbr, entry, QStringLiteral("03/04/1999")); }
    int rows_numbered(int rbr)
    {
        int found = 0;
        for (const auto& row : fixture->rows())
            found += row.rbr == rbr ? 1 : 0;
        return found;
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init() { fixture->recreate_table(); }

    void failed_count_stops_the_save_of_a_loaded_entry();
    void failed_count_of_a_new_entry_goes_on_as_insert();
    void number_found_taken_is_never_used();
    void edit_changes_only_the_edited_stretch();
};

// The count fails (here: the table is away) and the fault is gone again while "ERROR!" is on the
// screen. Writing the loaded entry as an insert would store it twice on a table without a key.
void tst_save_guards::failed_count_stops_the_save_of_a_loaded_entry()
{
    table_without_key();
    insert_entry(7, sample_entry(QStringLiteral("seven")));
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("7"));
    set_texts(w, sample_entry(QStringLiteral("typed")));
    fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
    {
        message_recorder boxes;
        boxes.when_shown(QStringLiteral("ERROR!"),
                         [this] { fixture->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq")); });
        w->cb_save->click();
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("ERROR!")});
        QCOMPARE(boxes.boxes.first().text, QStringLiteral("SELECT (rbr) FROM faq"));
    }
    QVERIFY(w && w->isVisible());
    COMPARE_TEXTS(shown_texts(w), sample_entry(QStringLiteral("typed")));
    QCOMPARE(fixture->count(), 1);
    COMPARE_TEXTS(fixture->find(7)->texts(), sample_entry(QStringLiteral("seven")));

    // The next Save starts again with the count, and updates the one row.
    w->cb_save->click();
    QTRY_VERIFY(w.isNull());
    QCOMPARE(fixture->count(), 1);
    COMPARE_TEXTS(fixture->find(7)->texts(), sample_entry(QStringLiteral("typed")));
}

void tst_save_guards::failed_count_of_a_new_entry_goes_on_as_insert()
{
    insert_entry(7, sample_entry(QStringLiteral("seven")));
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("0"));
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("8"));
    set_texts(w, sample_entry(QStringLiteral("new")));
    fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
    {
        message_recorder boxes;
        boxes.when_shown(QStringLiteral("ERROR!"),
                         [this] { fixture->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq")); });
        w->cb_save->click();
        QCOMPARE(boxes.titles(), QStringList{QStringLiteral("ERROR!")});
    }
    QTRY_VERIFY(w.isNull());
    QCOMPARE(fixture->count(), 2);
    COMPARE_TEXTS(fixture->find(8)->texts(), sample_entry(QStringLiteral("new")));
}

// In SQLite rbr can hold a text, and MAX then returns that text: the numbering gives 1, the
// count finds 1 taken, and numbering again gives 1 once more. Nothing is inserted under it.
void tst_save_guards::number_found_taken_is_never_used()
{
    if (fixture->which() != backend::sqlite)
        QSKIP("only SQLite stores a text in an integer column");
    table_without_key();
    insert_entry(1, sample_entry(QStringLiteral("one")));
    fixture->exec(QStringLiteral("INSERT INTO faq (rbr, pitanje) VALUES ('x', 'numbered with a text')"));
    client c;
    QPointer<w_main> w;
    {
        message_recorder opening; // whatever the numbering makes of the text, it may say so
        w = c.open_entry(QStringLiteral("0"));
    }
    set_texts(w, sample_entry(QStringLiteral("new")));
    message_recorder messages;
    w->cb_save->click();
    QVERIFY2(!messages.boxes.isEmpty(), "the save must say why it stored nothing");
    QCOMPARE(messages.boxes.last().title, QStringLiteral("Error"));
    QVERIFY(w && w->isVisible());
    COMPARE_TEXTS(shown_texts(w), sample_entry(QStringLiteral("new")));
    QCOMPARE(fixture->count(), 2);
    QCOMPARE(rows_numbered(1), 1);
    COMPARE_TEXTS(fixture->find(1)->texts(), sample_entry(QStringLiteral("one")));
}

// Mixed line breaks (CRLF, CR, LF, U+2029), NEL, DEL, a line separator and other control
// characters stay exactly where they are when the user edits elsewhere in the same text.
void tst_save_guards::edit_changes_only_the_edited_stretch()
{
    const QString answer = QStringLiteral("Line one\r\nline two\rthree\nfour\u2029five\u0085six\u007fend");
    const QString question = QStringLiteral("first\r\nsecond\rthird\u0085fourth");
    const QString keywords = QStringLiteral("pump\u2028seal\r\nvalve\u000b\u007f\tring");
    insert_entry(5, entry_texts{keywords, question, QStringLiteral("P"), QStringLiteral("L"), answer});
    client c;
    QPointer<w_main> w = c.open_entry(QStringLiteral("5"));
    const auto put_cursor = [](multiline_edit* edit, int characters_from_start) {
        edit->moveCursor(QTextCursor::Start);
        QTextCursor cursor = edit->textCursor();
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, characters_from_start);
        edit->setTextCursor(cursor);
    };

    // One character typed at the end of the answer.
    w->mle_odgovor->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->mle_odgovor, QStringLiteral("!"));
    // In the middle of the question: after "second", then a new line after "third".
    put_cursor(w->mle_question, 12);
    QTest::keyClicks(w->mle_question, QStringLiteral("X"));
    put_cursor(w->mle_question, 19);
    QTest::keyClick(w->mle_question, Qt::Key_Return);
    // A character taken out of the keywords: the "e" of "seal".
    put_cursor(w->mle_adresa, 7);
    QTest::keyClick(w->mle_adresa, Qt::Key_Backspace);

    w->cb_save->click();
    QTRY_VERIFY(w.isNull());
    const auto row = fixture->find(5);
    QVERIFY(row);
    QCOMPARE(row->odgovor, answer + QStringLiteral("!"));
    QCOMPARE(row->odgovor.size(), answer.size() + 1);
    QCOMPARE(row->pitanje, QStringLiteral("first\r\nsecondX\rthird\n\u0085fourth"));
    QCOMPARE(row->adresa, QStringLiteral("pump\u2028sal\r\nvalve\u000b\u007f\tring"));
}

TARVO_TEST_MAIN(tst_save_guards)
#include "tst_save_guards.moc"
