// Undelete in the real search window: an entry deleted with "Delete" is listed by "Deleted
// entries…" (the list's context menu, Ctrl+U), shown whole, and restored under its old number,
// or under a new one when another entry took the number meanwhile, saying which; a restore the
// database refuses is reported and leaves nothing behind; a deletion somebody else restored
// meanwhile is not restored twice. Runs once on SQLite and once on PostgreSQL.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>
#include <memory>

#include "entry_preview.h"
#include "history_statements.h"
#include "modal_driver.h"
#include "transaction.h"
#include "window_driver.h"

using test_support::backend;
using test_support::client;
using test_support::message_recorder;
using test_support::modal_driver;

namespace {

QString cell_text(QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text() : QString();
}

// What the deleted entries dialog showed when it came up.
struct seen {
    QStringList rows; // "number|product|question" of each row
    QString deleted_at;
    QString preview;
    QString info;
};

seen look_at(QDialog* dialog)
{
    seen what;
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("dw_deleted"));
    for (int row = 0; row < table->rowCount(); ++row)
        what.rows << cell_text(table, row, 0) + QLatin1Char('|') + cell_text(table, row, 1) + QLatin1Char('|')
                         + cell_text(table, row, 2);
    what.deleted_at = cell_text(table, 0, 3);
    what.preview = dialog->findChild<entry_preview*>(QStringLiteral("mle_preview"))->toPlainText();
    what.info = dialog->findChild<QLabel*>(QStringLiteral("st_info"))->text();
    return what;
}

void click(QDialog* dialog, const char* button)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
}

} // namespace

class tst_undelete_window : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { user.reset(); }

    void deleted_entry_comes_back_under_its_old_number();
    void taken_number_gives_a_new_one_and_says_which();
    void keyboard_from_a_search_text();
    void refused_restore_is_reported_and_leaves_nothing();
    void deletion_restored_meanwhile_is_not_restored_twice();

private:
    w_search* window() const { return user->search_window(); }
    void delete_in_window(int rbr);
    std::set<int> listed() const { return user->listed_numbers(); }

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<client> user;
};

void tst_undelete_window::init()
{
    fixture->recreate_table();
    fixture->insert(1, "pump", "Pump flow drifts", "01/02/2020", "Zelba", "LT-1", "Replace the tubing.");
    fixture->insert(2, "firmware", "Firmware update from USB", "01/02/2020", "HT-550", "FW-5", "Copy the file.");
    fixture->insert(3, "boot", "Stops at loading firmware", "01/02/2020", "KV-600", "FW-2", "Hold the key.");
    user = std::make_unique<client>(client::with_search_window);
    window()->activateWindow();
    QTRY_VERIFY(window()->isActiveWindow());
}

// Clicks the entry's row and deletes it with "Delete" and "YES".
void tst_undelete_window::delete_in_window(int rbr)
{
    user->search_for();
    const int row = user->row_of(rbr);
    QVERIFY(row > 0);
    user->click_row(row);
    test_support::yes_no_answerer yes(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(yes.questions.size(), 1);
    QVERIFY(!fixture->find(rbr));
}

void tst_undelete_window::deleted_entry_comes_back_under_its_old_number()
{
    delete_in_window(2);
    QCOMPARE(listed(), (std::set<int>{1, 3}));

    // Through the list's context menu: a right click, then its "Deleted entries…".
    seen what;
    modal_driver deleted(QStringLiteral("w_deleted"), [&](QDialog* dialog) {
        what = look_at(dialog);
        click(dialog, "cb_restore");
    });
    QTimer menu_watch;
    menu_watch.setInterval(5);
    connect(&menu_watch, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible())
            return;
        menu_watch.stop();
        QAction* action = nullptr;
        for (QAction* candidate : menu->actions())
            if (candidate->text() == QStringLiteral("Deleted entries…"))
                action = candidate;
        if (action == nullptr) {
            menu->close();
            return;
        }
        // Chosen as a user does: the mouse on the item.
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
    menu_watch.start();
    message_recorder boxes;
    QWidget* viewport = window()->dw_search->viewport();
    QContextMenuEvent right_click(QContextMenuEvent::Mouse, viewport->rect().center(),
                                  viewport->mapToGlobal(viewport->rect().center()));
    QApplication::sendEvent(viewport, &right_click);
    QTRY_COMPARE(deleted.opened, 1);

    QCOMPARE(what.rows, QStringList{QStringLiteral("2|HT-550|Firmware update from USB")});
    QVERIFY(!what.deleted_at.isEmpty());
    QVERIFY2(what.preview.contains(QStringLiteral("Notes:\nCopy the file.")), qPrintable(what.preview));
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
    const auto back = fixture->find(2);
    QVERIFY(back);
    QCOMPARE(back->pitanje, QStringLiteral("Firmware update from USB"));
    QCOMPARE(back->datum, QStringLiteral("01/02/2020"));
    QCOMPARE(window()->st_status->currentMessage(), QStringLiteral("Entry 2 restored · 3 entries"));
    QCOMPARE(listed(), (std::set<int>{1, 2, 3}));

    // Nothing is left to restore.
    modal_driver empty(QStringLiteral("w_deleted"), [&](QDialog* dialog) {
        what = look_at(dialog);
        QVERIFY(!dialog->findChild<QPushButton*>(QStringLiteral("cb_restore"))->isEnabled());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    window()->act_deleted->trigger();
    QCOMPARE(empty.opened, 1);
    QVERIFY(what.rows.isEmpty());
    QCOMPARE(what.info, QStringLiteral("No deleted entries are kept."));
}

void tst_undelete_window::taken_number_gives_a_new_one_and_says_which()
{
    delete_in_window(3);
    // Meanwhile a new entry took number 3.
    fixture->insert(3, "other", "A new entry under 3", "02/02/2021", "Other", "X", "Other answer.");
    seen what;
    modal_driver deleted(QStringLiteral("w_deleted"), [&](QDialog* dialog) {
        what = look_at(dialog);
        click(dialog, "cb_restore");
    });
    message_recorder boxes;
    window()->act_deleted->trigger();
    QCOMPARE(deleted.opened, 1);
    QCOMPARE(what.rows, QStringList{QStringLiteral("3 (taken)|KV-600|Stops at loading firmware")});
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Entry restored")});
    QCOMPARE(boxes.boxes.first().text,
             QStringLiteral("Another entry carries number 3 now, so the restored entry came back as entry 4."));
    QCOMPARE(fixture->find(4)->pitanje, QStringLiteral("Stops at loading firmware"));
    QCOMPARE(fixture->find(3)->pitanje, QStringLiteral("A new entry under 3"));
    QCOMPARE(window()->st_status->currentMessage(), QStringLiteral("Entry 3 restored as entry 4 · 4 entries"));
}

void tst_undelete_window::keyboard_from_a_search_text()
{
    delete_in_window(1);
    delete_in_window(2);
    // (The offscreen platform gives the activation back only when asked.)
    window()->activateWindow();
    QTRY_VERIFY(window()->isActiveWindow());
    window()->uo_prvi->sle_trazi->setFocus();
    QTRY_VERIFY(window()->uo_prvi->sle_trazi->hasFocus());
    // Ctrl+U in a search text, then Escape: nothing comes back.
    {
        modal_driver deleted(QStringLiteral("w_deleted"),
                             [](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QTest::keyClick(window()->uo_prvi->sle_trazi, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(deleted.opened, 1);
    }
    QCOMPARE(fixture->count(), 1);
    // Ctrl+U from the list, Down to the earlier deletion (entry 1), Enter restores it.
    window()->activateWindow();
    QTRY_VERIFY(window()->isActiveWindow());
    window()->dw_search->setFocus();
    QStringList rows;
    {
        modal_driver deleted(QStringLiteral("w_deleted"), [&](QDialog* dialog) {
            auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("dw_deleted"));
            QTRY_VERIFY(table->hasFocus());
            rows = look_at(dialog).rows;
            QTest::keyClick(table, Qt::Key_Down);
            QTest::keyClick(table, Qt::Key_Return);
        });
        QTest::keyClick(window()->dw_search, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(deleted.opened, 1);
    }
    // The latest deletion first.
    QCOMPARE(rows, (QStringList{QStringLiteral("2|HT-550|Firmware update from USB"),
                                QStringLiteral("1|Zelba|Pump flow drifts")}));
    QVERIFY(fixture->find(1));
    QVERIFY(!fixture->find(2));
    QCOMPARE(window()->st_status->currentMessage(), QStringLiteral("Entry 1 restored · 2 entries"));
}

void tst_undelete_window::refused_restore_is_reported_and_leaves_nothing()
{
    delete_in_window(2);
    // The note of the restore is refused after the entry went back in.
    if (fixture->which() == backend::sqlite) {
        fixture->exec(QStringLiteral("CREATE TRIGGER refuse_restore BEFORE INSERT ON faq_restored "
                                     "BEGIN SELECT RAISE(ABORT, 'restores refused here'); END"));
    } else {
        fixture->exec(QStringLiteral("CREATE FUNCTION refuse_restore() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                     "RAISE EXCEPTION 'restores refused here'; END $$"));
        fixture->exec(QStringLiteral("CREATE TRIGGER refuse_restore BEFORE INSERT ON faq_restored FOR EACH ROW "
                                     "EXECUTE FUNCTION refuse_restore()"));
    }
    message_recorder boxes;
    bool still_open = false;
    int rows_after = -1;
    modal_driver deleted(QStringLiteral("w_deleted"), [&](QDialog* dialog) {
        click(dialog, "cb_restore");
        still_open = dialog->isVisible();
        rows_after = dialog->findChild<QTableWidget*>(QStringLiteral("dw_deleted"))->rowCount();
        click(dialog, "cb_close");
    });
    window()->act_deleted->trigger();
    if (fixture->which() == backend::sqlite)
        fixture->exec(QStringLiteral("DROP TRIGGER refuse_restore"));
    else
        fixture->exec(QStringLiteral("DROP FUNCTION refuse_restore() CASCADE"));
    QCOMPARE(deleted.opened, 1);
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("INSERT INTO faq_restored VALUES(...)")});
    QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("restores refused here")), qPrintable(boxes.summary()));
    QVERIFY(still_open);
    QCOMPARE(rows_after, 1);
    QVERIFY(!fixture->find(2));
    QCOMPARE(fixture->count(), 2);
}

void tst_undelete_window::deletion_restored_meanwhile_is_not_restored_twice()
{
    delete_in_window(2);
    message_recorder boxes;
    seen after;
    modal_driver deleted(QStringLiteral("w_deleted"), [&](QDialog* dialog) {
        // Another user restores it while the list is on the screen.
        transaction other(QStringLiteral("other_client"));
        other.AutoCommit = false;
        other.DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
        other.connect();
        std::vector<history::deleted_entry> entries;
        history::deleted_entries(other, entries);
        history::restore_outcome outcome;
        history::restore_deleted(
            other, entries.at(0).version, [](std::optional<int>) { return std::nullopt; }, outcome);
        other.disconnect();
        click(dialog, "cb_restore");
        after = look_at(dialog);
        click(dialog, "cb_close");
    });
    window()->act_deleted->trigger();
    QCOMPARE(deleted.opened, 1);
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("Restore")});
    QCOMPARE(boxes.boxes.first().text, QStringLiteral("Entry 2 was restored already, as entry 2."));
    QVERIFY(after.rows.isEmpty()); // the list as the database holds it now
    int twos = 0;
    for (const auto& row : fixture->rows())
        twos += row.rbr == 2 ? 1 : 0;
    QCOMPARE(twos, 1);
    QCOMPARE(fixture->count(), 3);
}

TARVO_TEST_MAIN(tst_undelete_window)
#include "tst_undelete_window.moc"
