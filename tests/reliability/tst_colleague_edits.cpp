// Two users on one database, each with the program's own windows: a save never silently
// reverts what the other saved meanwhile. Before writing over a loaded entry the save reads it
// again; when it changed since it was loaded, the yes/no window asks, and only "DA" writes over
// it. While the question is on the screen the program holds no lock and no transaction.
// Runs once on SQLite and once on PostgreSQL.

#include <QDate>
#include <QDialog>
#include <memory>
#include <optional>

#include "window_driver.h"

using test_support::backend;
using test_support::client;
using test_support::faq_fixture;
using test_support::yes_no_answerer;

class tst_colleague_edits : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    // The user opens an entry from the list, as the program is used: search, click, View.
    static w_main& view(client& user, int rbr)
    {
        user.search_for();
        return *user.view(rbr);
    }
    static void save(w_main& window) { QTest::mouseClick(window.cb_save, Qt::LeftButton); }

    // Another connection changes the row, and must not wait for a lock to do it.
    void change_elsewhere(const QString& assignment)
    {
        if (fixture->which() == backend::postgresql)
            fixture->exec(QStringLiteral("SET lock_timeout = '3s'"));
        fixture->exec(QStringLiteral("UPDATE faq SET %1 WHERE rbr = 12").arg(assignment));
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init()
    {
        fixture->recreate_table();
        fixture->insert(11, "pump", "Pump flow drifts", "01/02/2020", "Zelba", "LT-1", "Replace the tubing.");
        fixture->insert(12, "noise, bearing", "The vacuum pump rattles", "03/03/2020", "KV-600", "CA-0320",
                        "A worn bearing is the usual cause.");
    }

    void save_over_a_colleagues_version_only_after_yes();
    void unchanged_entry_saves_without_a_question();
    void entry_deleted_elsewhere_is_stored_again_data();
    void entry_deleted_elsewhere_is_stored_again();
};

// B saves a new LOT while A has the entry open; A then saves a changed answer.
void tst_colleague_edits::save_over_a_colleagues_version_only_after_yes()
{
    client a;
    client b;
    w_main& mine = view(a, 12);
    w_main& theirs = view(b, 12);
    theirs.em_lot->setText(QStringLiteral("CA-0999"));
    save(theirs);
    QTRY_VERIFY(b.app.w_main.isNull());
    QCOMPARE(fixture->find(12)->lot, QStringLiteral("CA-0999"));

    mine.mle_odgovor->moveCursor(QTextCursor::End);
    QTest::keyClicks(mine.mle_odgovor, QStringLiteral(" Order kit VP-7."));
    const QString my_answer = QStringLiteral("A worn bearing is the usual cause. Order kit VP-7.");

    // "NO": nothing written, A's window keeps A's text.
    {
        yes_no_answerer no(QStringLiteral("cb_ne"));
        save(mine);
        QCOMPARE(no.questions.size(), 1);
        QVERIFY(!no.questions.first().trimmed().isEmpty());
    }
    QVERIFY(a.app.w_main && mine.isVisible());
    QCOMPARE(mine.mle_odgovor->text(), my_answer);
    QCOMPARE(mine.em_lot->text(), QStringLiteral("CA-0320"));
    QCOMPARE(fixture->find(12)->lot, QStringLiteral("CA-0999"));
    QCOMPARE(fixture->find(12)->odgovor, QStringLiteral("A worn bearing is the usual cause."));

    // Any answer but "DA" is a no; the window closed without one too.
    {
        yes_no_answerer none({[](QDialog& dialog) { dialog.done(QDialog::Accepted); }});
        save(mine);
        QVERIFY(none.done());
    }
    QVERIFY(a.app.w_main);
    QCOMPARE(fixture->find(12)->lot, QStringLiteral("CA-0999"));

    // Asked again, A says yes; meanwhile (while the question is up) a third user saves the
    // keywords, which needs the row free of locks. A is asked about that version too.
    {
        yes_no_answerer script({[this](QDialog& dialog) {
                                    change_elsewhere(QStringLiteral("adresa = 'bearing, third user'"));
                                    yes_no_answerer::click(QStringLiteral("cb_da"))(dialog);
                                },
                                yes_no_answerer::click(QStringLiteral("cb_da"))});
        save(mine);
        QVERIFY(script.done());
        QCOMPARE(script.questions.size(), 2);
    }
    QTRY_VERIFY(a.app.w_main.isNull());
    const auto row = fixture->find(12);
    QCOMPARE(row->odgovor, my_answer);
    QCOMPARE(row->lot, QStringLiteral("CA-0320"));
    QCOMPARE(row->adresa, QStringLiteral("noise, bearing"));
    QCOMPARE(row->datum, QStringLiteral("03/03/2020"));
    QCOMPARE(fixture->count(), 2);
}

// Nobody else saved: no question. Nor when the colleague saved exactly what this user typed.
void tst_colleague_edits::unchanged_entry_saves_without_a_question()
{
    client a;
    client b;
    w_main& mine = view(a, 12);
    mine.em_lot->setText(QStringLiteral("CA-1000"));
    save(mine);
    QTRY_VERIFY(a.app.w_main.isNull());
    QCOMPARE(fixture->find(12)->lot, QStringLiteral("CA-1000"));

    w_main& again = view(a, 12);
    w_main& theirs = view(b, 12);
    again.em_proizvod->setText(QStringLiteral("CA-700"));
    theirs.em_proizvod->setText(QStringLiteral("CA-700"));
    save(theirs);
    QTRY_VERIFY(b.app.w_main.isNull());
    save(again);
    QTRY_VERIFY(a.app.w_main.isNull());
    QCOMPARE(fixture->find(12)->proizvod, QStringLiteral("CA-700"));
    QCOMPARE(fixture->find(12)->lot, QStringLiteral("CA-1000"));
}

void tst_colleague_edits::entry_deleted_elsewhere_is_stored_again_data()
{
    QTest::addColumn<bool>("by_a_colleague");
    QTest::newRow("by a colleague's Delete") << true;
    QTest::newRow("by another program") << false;
}

// B deletes the entry A has open, or another program does; A's save stores it again under its
// number, with A's text and the date of the save: nothing of anyone's is overwritten, and A's
// text is not lost.
void tst_colleague_edits::entry_deleted_elsewhere_is_stored_again()
{
    QFETCH(bool, by_a_colleague);
    client a;
    std::optional<client> b;
    w_main& mine = view(a, 12);
    if (by_a_colleague) {
        view(b.emplace(), 12).close();
        yes_no_answerer yes(QStringLiteral("cb_da"));
        QTest::mouseClick(b->app.w_search->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
    } else {
        fixture->exec(QStringLiteral("DELETE FROM faq WHERE rbr = 12"));
    }
    QVERIFY(!fixture->find(12));

    mine.em_lot->setText(QStringLiteral("CA-0321"));
    const QDate before = QDate::currentDate();
    save(mine);
    QTRY_VERIFY(a.app.w_main.isNull());
    const auto row = fixture->find(12);
    QVERIFY(row);
    QCOMPARE(row->lot, QStringLiteral("CA-0321"));
    QCOMPARE(row->pitanje, QStringLiteral("The vacuum pump rattles"));
    QCOMPARE(row->odgovor, QStringLiteral("A worn bearing is the usual cause."));
    QVERIFY(row->datum == before.toString(QStringLiteral("MM/dd/yyyy"))
            || row->datum == QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")));
    QCOMPARE(fixture->count(), 2);
}

TARVO_TEST_MAIN(tst_colleague_edits)
#include "tst_colleague_edits.moc"
