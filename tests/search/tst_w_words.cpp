// "Find words…" through the real windows: Ctrl+K or the list's context menu opens it, each
// keystroke lists the entries best first with the words marked, and Enter or a double-click
// opens the entry in the entry window with its words marked. The search runs on a worker of its
// own: its rows arrive after the keystroke, and only the newest words' rows are shown.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <memory>

#include "bracketed_marks.h"
#include "field_marks.h"
#include "w_words.h"
#include "window_driver.h"
#include "word_search.h"
#include "word_statements.h"
#include "words.h"
#include "words_list.h"
#include "words_worker.h"

using test_support::bracket;
using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;

class tst_w_words : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    // The rows as shown: product | question | answer, each with its marks in brackets.
    static QStringList shown_rows(const w_words* w)
    {
        QStringList rows;
        for (int row = 0; row < w->found->rowCount(); ++row) {
            QStringList cells;
            for (int column = words_list::proizvod_column; column <= words_list::odgovor_column; ++column) {
                const QModelIndex cell = w->found->index(row, column);
                cells << bracket(cell.data().toString(), w->dw_words->marks_in(cell));
            }
            rows << cells.join(QStringLiteral(" | "));
        }
        return rows;
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init()
    {
        fixture->recreate_table();
        fixture->insert(1, QStringLiteral("fan"), QStringLiteral("Fan is loud"), QStringLiteral("01/02/2020"),
                        QStringLiteral("Fan F-2"), QStringLiteral("LOT-1"), QStringLiteral("The pump makes noise."));
        fixture->insert(2, QStringLiteral("pump, noise"), QStringLiteral("Pump noise"), QStringLiteral("01/02/2020"),
                        QStringLiteral("Pump P-1"), QStringLiteral("LOT-2"), QStringLiteral("Šum of the bearing."));
    }

    // The window of a running client, opened with Ctrl+K.
    static w_words* open_words_window(client& c)
    {
        w_search* search = c.search_window();
        search->act_words->trigger();
        if (!QTest::qWaitForWindowExposed(search->words_window))
            return nullptr;
        return search->words_window;
    }

    void words_are_listed_as_typed_and_open_marked();
    void searches_off_the_window_thread_data();
    void searches_off_the_window_thread();
    void first_rows_stay_while_the_rest_follow();
};

void tst_w_words::words_are_listed_as_typed_and_open_marked()
{
    message_recorder messages;
    client c;
    w_search* search = c.search_window();
    QVERIFY(search->dw_search->actions().contains(search->act_words));
    QCOMPARE(search->act_words->text(), QStringLiteral("Find words…"));
    QTRY_VERIFY(search->isActiveWindow());
    test_support::press(Qt::Key_K, Qt::ControlModifier);
    QTRY_VERIFY(search->words_window && search->words_window->isVisible());
    w_words* w = search->words_window;
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->sle_words));

    // Each keystroke lists: no button, no Enter.
    test_support::type(w->sle_words, QStringLiteral("nois"));
    QTRY_COMPARE(shown_rows(w), (QStringList{"Pump P-1 | Pump [noise] | Šum of the bearing.",
                                             "Fan F-2 | Fan is loud | The pump makes [noise]."}));
    // Enter right after typing opens the best entry of these words once they are listed, with
    // its words marked.
    test_support::type(w->sle_words, QStringLiteral("e sum"));
    QTest::keyClick(w->sle_words, Qt::Key_Return);
    QTRY_VERIFY(c.entry_window() != nullptr);
    QCOMPARE(shown_rows(w), (QStringList{"Pump P-1 | Pump [noise] | [Šum] of the bearing."}));
    // The first row is certain before the search ends; the count comes with its end.
    QTRY_COMPARE(w->st_found->text(), QStringLiteral("1 entry"));
    w_main* entry = c.entry_window();
    QCOMPARE(entry->em_proizvod->text(), QStringLiteral("Pump P-1"));
    QCOMPARE(bracket(entry->mle_adresa->text(), entry->marks_shown->shown_in(entry->mle_adresa)),
             QStringLiteral("pump, [noise]"));
    QCOMPARE(bracket(entry->mle_odgovor->text(), entry->marks_shown->shown_in(entry->mle_odgovor)),
             QStringLiteral("[Šum] of the bearing."));
    QVERIFY(!entry->has_unsaved_changes());

    // A double-click on a row opens that one.
    w->sle_words->clear();
    test_support::type(w->sle_words, QStringLiteral("makes"));
    QTRY_COMPARE(w->found->rowCount(), 1);
    test_support::double_click(w->dw_words->viewport(),
                               w->dw_words->visualRect(w->found->index(0, words_list::pitanje_column)).center());
    QTRY_COMPARE(entry->em_proizvod->text(), QStringLiteral("Fan F-2"));
    QCOMPARE(bracket(entry->mle_odgovor->text(), entry->marks_shown->shown_in(entry->mle_odgovor)),
             QStringLiteral("The pump [makes] noise."));

    // A save while the word search's own session reads goes through, and that session finds the
    // saved words at once.
    statements::entry_texts changed = test_support::shown_texts(entry);
    changed.odgovor = QStringLiteral("The pump makes noise; the impeller rattles.");
    test_support::set_texts(entry, changed);
    test_support::type(w->sle_words, QStringLiteral(" pump"));
    entry->cb_save_clicked();
    QTRY_VERIFY(!c.entry_window() || !c.entry_window()->isVisible());
    QCOMPARE(fixture->find(1)->odgovor, changed.odgovor);
    test_support::type(w->sle_words, QStringLiteral(" impel"));
    QTRY_COMPARE(shown_rows(w),
                 (QStringList{"Fan F-2 | Fan is loud | The [pump] [makes] noise; the [impeller] rattles."}));
    QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.summary()));
}

void tst_w_words::searches_off_the_window_thread_data()
{
    QTest::addColumn<QString>("data_source");
    QTest::addColumn<bool>("close_at_once");
    // clang-format off
    QTest::newRow("quick typing: the newest words win")  << "FAQ" << false;
    QTest::newRow("closed and destroyed while it runs")  << "FAQ" << true;
    QTest::newRow("failed search: reported once")        << "NO_SUCH_SOURCE" << false;
    // clang-format on
}

void tst_w_words::searches_off_the_window_thread()
{
    QFETCH(QString, data_source);
    QFETCH(bool, close_at_once);
    const bool fails = data_source != QLatin1String("FAQ");
    message_recorder messages;
    client c(client::with_search_window, data_source);
    QPointer<w_words> w = open_words_window(c);
    QVERIFY(w);

    // Every keystroke hands the worker the newest words, and none of them waits for the database
    // (the worker's results arrive as events, after the last key). Enter right after them opens
    // the best entry of these words, not of the words the first search ran for.
    const QString typed = QStringLiteral("noise fan");
    test_support::type(w->sle_words, typed);
    QTest::keyClick(w->sle_words, Qt::Key_Return);
    QCOMPARE(w->sle_words->text(), typed);
    QVERIFY(w->worker->searching());
    QVERIFY(!w->up_to_date());
    if (close_at_once) {
        // Closing the window takes the Enter back.
        w->close();
        QTRY_VERIFY(!w->worker->searching());
        QVERIFY(c.entry_window() == nullptr);
        c.search_window()->act_words->trigger();
        test_support::type(w->sle_words, QStringLiteral(" loud"));
        QVERIFY(w->worker->searching());
        delete w.data();
        // A new window searches on a new session.
        w = open_words_window(c);
        QVERIFY(w);
        test_support::type(w->sle_words, typed);
    }
    QTRY_VERIFY(w->up_to_date() && !w->worker->searching());
    // Two searches for eight different words: the first key's, and the newest words once it ended.
    QCOMPARE(w->worker->searches_finished(), 2);
    if (fails) {
        // The words' own search failed; the search of "n" before it was overtaken and says nothing.
        QCOMPARE(messages.titles(), QStringList{QString::fromUtf16(word_statements::candidates_title)});
        QVERIFY2(messages.boxes.first().text.contains(QStringLiteral("NO_SUCH_SOURCE"))
                     || messages.boxes.first().text.contains(QStringLiteral("not found")),
                 qPrintable(messages.summary()));
        QCOMPARE(w->st_found->text(), QStringLiteral("Search failed: ") + messages.boxes.first().text);
        QCOMPARE(w->found->rowCount(), 0);
        QVERIFY(c.entry_window() == nullptr);
        return;
    }
    QCOMPARE(shown_rows(w), (QStringList{"[Fan] F-2 | [Fan] is loud | The pump makes [noise]."}));
    QCOMPARE(w->st_found->text(), QStringLiteral("1 entry"));
    if (close_at_once)
        QVERIFY(c.entry_window() == nullptr);
    else
        QCOMPARE(c.entry_window()->em_proizvod->text(), QStringLiteral("Fan F-2"));
    QVERIFY2(messages.boxes.isEmpty(), qPrintable(messages.summary()));
}

void tst_w_words::first_rows_stay_while_the_rest_follow()
{
    fixture->recreate_table();
    fixture->generate_word_entries(3000);
    client c;
    QPointer<w_words> w = open_words_window(c);
    QVERIFY(w);
    int searches_told_early = 0;
    for (const char* typed : {"noise drift pump", "gasket valve filter", "pump noise", "ci"}) {
        const QString words = QString::fromUtf8(typed);
        QSignalSpy reset(w->found, &QAbstractItemModel::modelReset);
        QSignalSpy added(w->found, &QAbstractItemModel::rowsInserted);
        w->sle_words->setText(words);
        QTRY_VERIFY(w->up_to_date() && !w->worker->searching());
        // One new list for the new words; rows told early stayed, the rest came after them.
        QCOMPARE(reset.count(), 1);
        searches_told_early += added.isEmpty() ? 0 : 1;
        QList<int> shown;
        for (const words::hit& h : w->found->hits())
            shown << h.rbr;
        QList<int> listed;
        for (const words::hit& h : words::find_best(*c.app.sqlca, marks::typed_words(words)).hits)
            listed << h.rbr;
        QCOMPARE(shown, listed);
    }
    QVERIFY2(searches_told_early > 0, "no search showed its first rows early");
}

QTEST_MAIN(tst_w_words)
#include "tst_w_words.moc"
