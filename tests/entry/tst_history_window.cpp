// An entry's history in the real entry window: saves made in the window are kept as versions;
// "History…" (and Ctrl+H) lists them newest first with what each change did, shows the chosen
// one, and takes it into the window, where Save stores it under its checks like any edit.
// Runs once on SQLite and once on PostgreSQL.

#include <QLabel>
#include <QTableWidget>
#include <memory>

#include "entry_preview.h"
#include "history_statements.h"
#include "modal_driver.h"
#include "session_identity.h"
#include "w_history.h"
#include "window_driver.h"

using statements::entry_texts;
using statements::same_texts;
using test_support::backend;
using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;
using test_support::modal_driver;
using test_support::set_texts;
using test_support::shown_texts;
using test_support::yes_no_answerer;

namespace {

const entry_texts original{QStringLiteral("pump, flow"), QStringLiteral("Why does the pump drift?"),
                           QStringLiteral("Zelba Quintra 400"), QStringLiteral("LT-1"),
                           QStringLiteral("Replace the tubing.\r\nThen calibrate.")};

entry_texts with_question(entry_texts texts, const QString& question)
{
    texts.pitanje = question;
    return texts;
}

entry_texts with_answer(entry_texts texts, const QString& answer)
{
    texts.odgovor = answer;
    return texts;
}

QString cell_text(QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text() : QString();
}

} // namespace

class tst_history_window : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;
    std::unique_ptr<client> running;

    // Opens entry rbr in the entry window, types the texts in place of its own and saves.
    void save_in_window(int rbr, const entry_texts& texts)
    {
        w_main* window = running->open_entry(QString::number(rbr));
        QVERIFY(window != nullptr);
        set_texts(window, texts);
        QTest::mouseClick(window->cb_save, Qt::LeftButton);
        QTRY_VERIFY(!running->app.w_main);
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init()
    {
        fixture->recreate_table();
        fixture->insert(5, original.adresa, original.pitanje, QStringLiteral("03/14/2019"), original.proizvod,
                        original.lot, original.odgovor);
        running = std::make_unique<client>(client::with_search_window);
    }
    void cleanup() { running.reset(); }

    void saves_are_listed_and_an_earlier_version_comes_back();
    void keyboard_opens_takes_and_leaves();
    void taken_version_is_saved_under_the_save_checks();
    void new_entry_and_entry_without_versions();
    void failure_to_read_the_history_is_reported();
};

void tst_history_window::saves_are_listed_and_an_earlier_version_comes_back()
{
    const entry_texts first = with_question(original, QStringLiteral("Zašto pumpa odstupa?"));
    const entry_texts second = with_answer(first, QStringLiteral("Zamijenite cijev."));
    save_in_window(5, first);
    save_in_window(5, second);
    // A Save that changes nothing adds no version.
    save_in_window(5, second);

    w_main* window = running->open_entry(QStringLiteral("5"));
    QVERIFY(window->cb_history->isEnabled());
    QCOMPARE(window->cb_history->text(), QStringLiteral("History…"));
    QStringList listed;
    QString who_shown;
    QString preview_of_oldest;
    bool who_column_hidden = false;
    modal_driver history(QStringLiteral("w_history"), [&](QDialog* dialog) {
        auto* versions = dialog->findChild<QTableWidget*>(QStringLiteral("dw_versions"));
        for (int row = 0; row < versions->rowCount(); ++row)
            listed << cell_text(versions, row, 2);
        who_shown = cell_text(versions, 0, 1);
        who_column_hidden = versions->isColumnHidden(1);
        // The oldest version, chosen with the mouse, is shown whole, then taken.
        const QRect oldest = versions->visualRect(versions->model()->index(versions->rowCount() - 1, 2));
        QTest::mouseClick(versions->viewport(), Qt::LeftButton, {}, oldest.center());
        preview_of_oldest = dialog->findChild<entry_preview*>(QStringLiteral("mle_preview"))->toPlainText();
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cb_take")), Qt::LeftButton);
    });
    QTest::mouseClick(window->cb_history, Qt::LeftButton);
    QCOMPARE(history.opened, 1);
    // Newest first: what each change did.
    QCOMPARE(listed, (QStringList{QStringLiteral("Notes changed"), QStringLiteral("Question changed")}));
    if (fixture->which() == backend::postgresql) {
        QVERIFY(!who_column_hidden);
        QCOMPARE(who_shown, session_identity::desktop_user());
    } else {
        QVERIFY(who_column_hidden); // SQLite cannot tell who
    }
    QVERIFY2(preview_of_oldest.contains(QStringLiteral("Question:\nWhy does the pump drift?")),
             qPrintable(preview_of_oldest));
    QVERIFY2(preview_of_oldest.contains(QStringLiteral("Notes:\nReplace the tubing.")), qPrintable(preview_of_oldest));

    // The oldest version is in the fields, not yet stored.
    QVERIFY(running->app.w_main == window);
    QVERIFY(same_texts(shown_texts(window), original));
    QCOMPARE(window->sle_rbr->text(), QStringLiteral("5"));
    QVERIFY(window->has_unsaved_changes());
    QVERIFY(same_texts(fixture->find(5)->texts(), second));

    message_recorder boxes;
    QTest::mouseClick(window->cb_save, Qt::LeftButton);
    QTRY_VERIFY(!running->app.w_main);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
    const faq_fixture::row back = *fixture->find(5);
    QVERIFY(same_texts(back.texts(), original)); // line breaks as they were, too
    QCOMPARE(back.datum, QStringLiteral("03/14/2019"));
    QCOMPARE(fixture->count(), 1);
    // That save is a change like any other: one version more.
    std::vector<history::version> versions;
    history::versions_of_entry(*running->app.sqlca, 5, versions);
    QCOMPARE(versions.size(), std::size_t(3));
    QVERIFY(same_texts(versions[0].texts, second));
}

void tst_history_window::keyboard_opens_takes_and_leaves()
{
    save_in_window(5, with_question(original, QStringLiteral("changed once")));
    save_in_window(5, with_question(original, QStringLiteral("changed twice")));
    w_main* window = running->open_entry(QStringLiteral("5"));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());

    // Ctrl+H, then Escape: nothing changes.
    {
        modal_driver history(QStringLiteral("w_history"),
                             [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QTest::keyClick(window->mle_question, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(history.opened, 1);
    }
    QVERIFY(!window->has_unsaved_changes());
    // (The offscreen platform gives the activation back only when asked.)
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());

    // Ctrl+H, Down to the older version, Enter takes it.
    QString chosen_question;
    {
        modal_driver history(QStringLiteral("w_history"), [&](QDialog* dialog) {
            auto* versions = dialog->findChild<QTableWidget*>(QStringLiteral("dw_versions"));
            QTRY_VERIFY(versions->hasFocus());
            QTest::keyClick(versions, Qt::Key_Down);
            chosen_question = cell_text(versions, versions->currentRow(), 2);
            QTest::keyClick(versions, Qt::Key_Return);
        });
        QTest::keyClick(window->mle_odgovor, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(history.opened, 1);
    }
    QCOMPARE(chosen_question, QStringLiteral("Question changed"));
    QCOMPARE(window->mle_question->text(), original.pitanje);
    QCOMPARE(window->focusWidget(), window->mle_adresa); // ready to go on editing
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!running->app.w_main);
    QCOMPARE(fixture->find(5)->pitanje, original.pitanje);
}

void tst_history_window::taken_version_is_saved_under_the_save_checks()
{
    save_in_window(5, with_answer(original, QStringLiteral("second answer")));
    w_main* window = running->open_entry(QStringLiteral("5"));
    modal_driver history(QStringLiteral("w_history"), [](QDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cb_take")), Qt::LeftButton);
    });
    QTest::mouseClick(window->cb_history, Qt::LeftButton);
    QCOMPARE(window->mle_odgovor->text(), original.odgovor);

    // Meanwhile another user saves the entry: Save asks before writing over it; "NO" keeps
    // theirs, and the window keeps the version taken.
    fixture->exec(QStringLiteral("UPDATE faq SET odgovor = 'a colleague''s answer' WHERE rbr = 5"));
    {
        yes_no_answerer answers({yes_no_answerer::click(QStringLiteral("cb_ne"))});
        QTest::mouseClick(window->cb_save, Qt::LeftButton);
        QVERIFY(answers.done());
    }
    QCOMPARE(fixture->find(5)->odgovor, QStringLiteral("a colleague's answer"));
    QVERIFY(running->app.w_main == window);
    QCOMPARE(window->mle_odgovor->text(), original.odgovor);
}

void tst_history_window::new_entry_and_entry_without_versions()
{
    // A new entry has no history: the button is off and Ctrl+H opens nothing (an unexpected
    // window would fail the test).
    w_main* window = running->open_entry(QStringLiteral("0"));
    QVERIFY(!window->cb_history->isEnabled());
    QTest::keyClick(window->mle_adresa, Qt::Key_H, Qt::ControlModifier);
    window->cb_history_clicked();
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    // A stored entry that was never changed: the dialog says so, and only closes.
    window->close();
    QTRY_VERIFY(!running->app.w_main);
    window = running->open_entry(QStringLiteral("5"));
    QString info;
    bool take_enabled = true;
    int rows = -1;
    modal_driver history(QStringLiteral("w_history"), [&](QDialog* dialog) {
        info = dialog->findChild<QLabel*>(QStringLiteral("st_info"))->text();
        take_enabled = dialog->findChild<QPushButton*>(QStringLiteral("cb_take"))->isEnabled();
        rows = dialog->findChild<QTableWidget*>(QStringLiteral("dw_versions"))->rowCount();
        QTest::keyClick(dialog, Qt::Key_Return); // the default button is Close now
    });
    QTest::mouseClick(window->cb_history, Qt::LeftButton);
    QCOMPARE(history.opened, 1);
    QCOMPARE(rows, 0);
    QVERIFY(!take_enabled);
    QVERIFY2(info.startsWith(QStringLiteral("No earlier versions of entry 5 are kept")), qPrintable(info));
    QVERIFY(same_texts(shown_texts(window), original));
}

void tst_history_window::failure_to_read_the_history_is_reported()
{
    // A database set up before the history existed.
    fixture->exec(QStringLiteral("DROP TABLE faq_restored"));
    fixture->exec(QStringLiteral("DROP TABLE faq_history"));
    w_main* window = running->open_entry(QStringLiteral("5"));
    message_recorder boxes;
    QTest::mouseClick(window->cb_history, Qt::LeftButton);
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("SELECT ... FROM faq_history")});
    QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("faq_history")), qPrintable(boxes.summary()));
    // The window goes on as before.
    QVERIFY(same_texts(shown_texts(window), original));
    QVERIFY(!window->has_unsaved_changes());
}

TARVO_TEST_MAIN(tst_history_window)
#include "tst_history_window.moc"
