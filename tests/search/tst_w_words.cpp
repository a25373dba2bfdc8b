// "Find words…" through the real windows: Ctrl+K or the list's context menu opens it, each
// keystroke lists the entries best first with the words marked, and Enter or a double-click
// opens the entry in the entry window with its words marked.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <memory>

#include "bracketed_marks.h"
#include "field_marks.h"
#include "w_words.h"
#include "window_driver.h"
#include "words_list.h"

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
    void initTestCase()
    {
        fixture = std::make_unique<faq_fixture>();
        fixture->recreate_table();
        fixture->insert(1, QStringLiteral("fan"), QStringLiteral("Fan is loud"), QStringLiteral("01/02/2020"),
                        QStringLiteral("Fan F-2"), QStringLiteral("LOT-1"), QStringLiteral("The pump makes noise."));
        fixture->insert(2, QStringLiteral("pump, noise"), QStringLiteral("Pump noise"), QStringLiteral("01/02/2020"),
                        QStringLiteral("Pump P-1"), QStringLiteral("LOT-2"), QStringLiteral("Šum of the bearing."));
    }

    void words_are_listed_as_typed_and_open_marked();
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
    QCOMPARE(shown_rows(w), (QStringList{"Pump P-1 | Pump [noise] | Šum of the bearing.",
                                         "Fan F-2 | Fan is loud | The pump makes [noise]."}));
    test_support::type(w->sle_words, QStringLiteral("e sum"));
    QCOMPARE(shown_rows(w), (QStringList{"Pump P-1 | Pump [noise] | [Šum] of the bearing."}));
    QCOMPARE(w->st_found->text(), QStringLiteral("1 entry"));

    // Enter opens the best entry, its words marked.
    QTest::keyClick(w->sle_words, Qt::Key_Return);
    w_main* entry = c.entry_window();
    QVERIFY(entry != nullptr);
    QCOMPARE(entry->em_proizvod->text(), QStringLiteral("Pump P-1"));
    QCOMPARE(bracket(entry->mle_adresa->text(), entry->marks_shown->shown_in(entry->mle_adresa)),
             QStringLiteral("pump, [noise]"));
    QCOMPARE(bracket(entry->mle_odgovor->text(), entry->marks_shown->shown_in(entry->mle_odgovor)),
             QStringLiteral("[Šum] of the bearing."));
    QVERIFY(!entry->has_unsaved_changes());

    // A double-click on a row opens that one.
    w->sle_words->clear();
    test_support::type(w->sle_words, QStringLiteral("makes"));
    QCOMPARE(w->found->rowCount(), 1);
    test_support::double_click(w->dw_words->viewport(),
                               w->dw_words->visualRect(w->found->index(0, words_list::pitanje_column)).center());
    QTRY_COMPARE(entry->em_proizvod->text(), QStringLiteral("Fan F-2"));
    QCOMPARE(bracket(entry->mle_odgovor->text(), entry->marks_shown->shown_in(entry->mle_odgovor)),
             QStringLiteral("The pump [makes] noise."));
    QVERIFY(messages.boxes.isEmpty());
}

QTEST_MAIN(tst_w_words)
#include "tst_w_words.moc"
