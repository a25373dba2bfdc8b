// What a screen reader finds, read through Qt's own accessibility interfaces: in every window each
// focusable control has a name of its own; the result list reads the columns it shows and no
// entry or row numbers, and the cell the focus is on reads the row's product and question; the
// yes/no window is a dialog that says its question; the status line's name is its message.
//
// Offscreen no assistive technology can listen, so Qt sends no accessibility events here: the
// events themselves were checked by hand over AT-SPI. What they point at is checked here: the
// table's focused cell, numbered as the list's events number it.

#include <QAction>
#include <QDialog>
#include <QStatusBar>
#include <functional>
#include <memory>

#include "accessible_tree.h"
#include "modal_driver.h"
#include "result_list_accessible.h"
#include "w_words.h"
#include "window_driver.h"

using test_support::client;

namespace {

QStringList names_of(QWidget* window)
{
    QStringList names;
    for (const test_support::accessible_control& control : test_support::focusable_controls(window))
        names << control.name;
    return names;
}

// The text of a cell of the result list's accessible table.
QString cell_text(QAccessibleTableInterface* table, int row, int column)
{
    QAccessibleInterface* cell = table->cellAt(row, column);
    return cell != nullptr ? cell->text(QAccessible::Name) : QStringLiteral("(no cell)");
}

} // namespace

class tst_accessibility : public QObject {
    Q_OBJECT
    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<client> user;

    QAccessibleTableInterface* list_table() const
    {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(user->list_view());
        return list != nullptr ? list->tableInterface() : nullptr;
    }

private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { user.reset(); }

    void every_control_named_once_data();
    void every_control_named_once();
    void result_list_reads_what_it_shows();
    void yes_no_window_is_a_dialog_with_its_question();
    void status_line_reads_each_message();
};

void tst_accessibility::init()
{
    fixture->recreate_table();
    fixture->insert_question(7, QStringLiteral("Why does the pump drift?"), QStringLiteral("Zelba Quintra"));
    fixture->insert_question(8, QStringLiteral("Firmware update from USB"), QStringLiteral("HT-550"));
    fixture->insert_question(9, QStringLiteral("Stops at loading firmware"), QStringLiteral("KV-600"));
    user = std::make_unique<client>(client::with_search_window);
    user->search_window()->activateWindow();
    QTRY_VERIFY(user->search_window()->isActiveWindow());
}

void tst_accessibility::every_control_named_once_data()
{
    // How the window is reached from a running client, and names it must show among others.
    using opener = std::function<void(client&)>;
    QTest::addColumn<QString>("window");
    QTest::addColumn<opener>("open");
    QTest::addColumn<QStringList>("names");

    const opener nothing = [](client&) {};
    QTest::newRow("search") << "w_search" << nothing
                            << QStringList{"First search text",
                                           "Field of the first criterion",
                                           "Connector",
                                           "Second search text",
                                           "Field of the second criterion",
                                           "View",
                                           "Delete",
                                           "New FAQ",
                                           "Close",
                                           "Search",
                                           "Search results"};
    QTest::newRow("entry, new") << "w_main" << opener([](client& c) { c.open_entry(QStringLiteral("0")); })
                                << QStringList{"Keywords:", "Question:", "LOT:", "Product:", "Notes:", "Save", "Close", "Print"};
    QTest::newRow("entry, stored") << "w_main" << opener([](client& c) { c.open_entry(QStringLiteral("8")); })
                                   << QStringList{"Keywords:", "Notes:", "History…"};
    QTest::newRow("yes/no") << "w_da_ne" << opener([](client& c) { c.app.open_w_da_ne(QStringLiteral("Sure?")); })
                            << QStringList{"NO", "YES"};
    QTest::newRow("history") << "w_history" << opener([](client& c) {
        QTest::mouseClick(c.open_entry(QStringLiteral("8"))->cb_history, Qt::LeftButton);
    }) << QStringList{"Earlier versions", "The entry as it was before that change:", "Take into window", "Close"};
    QTest::newRow("deleted entries") << "w_deleted" << opener([](client& c) {
        c.search_window()->act_deleted->trigger();
    }) << QStringList{"Deleted entries", "The entry as it was when it was deleted:", "Restore", "Close"};
    QTest::newRow("word search") << "w_words" << opener([](client& c) { c.search_window()->act_words->trigger(); })
                                 << QStringList{"Words to find", "Entries found"};
}

void tst_accessibility::every_control_named_once()
{
    QFETCH(QString, window);
    QFETCH(std::function<void(client&)>, open);
    QFETCH(QStringList, names);

    QStringList faults;
    QStringList found;
    const auto look = [&](QWidget* shown) {
        faults = test_support::naming_faults(shown);
        found = names_of(shown);
    };
    // The dialogs are modal: they are read while they are up, then closed.
    test_support::modal_driver dialog(window, [&](QDialog* shown) {
        look(shown);
        shown->done(QDialog::Rejected);
    });
    open(*user);
    if (window == QLatin1String("w_search"))
        look(user->search_window());
    else if (window == QLatin1String("w_main"))
        look(user->entry_window());
    else if (window == QLatin1String("w_words"))
        look(user->search_window()->words_window);
    else
        QCOMPARE(dialog.opened, 1);

    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    for (const QString& name : names)
        QVERIFY2(found.contains(name),
                 qPrintable(
                     QStringLiteral("no control named \"%1\" among: %2").arg(name, found.join(QStringLiteral(", ")))));
}

void tst_accessibility::result_list_reads_what_it_shows()
{
    user->search_for();
    QCOMPARE(user->listed_rows(), 3);
    result_list_view* view = user->list_view();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Search results"));
    QAccessibleTableInterface* table = list_table();
    QVERIFY(table != nullptr);

    // Two columns with their headers, one row per entry; no number anywhere.
    QCOMPARE(table->columnCount(), 2);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(list->childCount(), (3 + 1) * 2);
    const QStringList headers{"Product", "Question"};
    for (int column = 0; column < 2; ++column) {
        QCOMPARE(table->columnDescription(column), headers[column]);
        const QList<QAccessibleInterface*> header = table->cellAt(0, column)->tableCellInterface()->columnHeaderCells();
        QCOMPARE(header.size(), 1);
        QCOMPARE(header.first()->text(QAccessible::Name), headers[column]);
        QCOMPARE(header.first()->role(), QAccessible::ColumnHeader);
    }
    const std::vector<statements::list_row> rows = user->list()->rows();
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(cell_text(table, row, 0), rows[static_cast<std::size_t>(row)].proizvod);
        QCOMPARE(cell_text(table, row, 1), rows[static_cast<std::size_t>(row)].pitanje);
        QVERIFY(table->cellAt(row, 0)->tableCellInterface()->rowHeaderCells().isEmpty());
        QVERIFY(table->rowDescription(row).isEmpty());
    }
    for (int child = 0; child < list->childCount(); ++child) {
        const QString text = list->child(child)->text(QAccessible::Name);
        QVERIFY2(text != QLatin1String("7") && text != QLatin1String("8") && text != QLatin1String("9")
                     && text != QLatin1String("1") && text != QLatin1String("rbr"),
                 qPrintable(QStringLiteral("child %1 reads \"%2\"").arg(child).arg(text)));
    }

    // Each key moves the focused cell to the framed row, and it reads the row's product and
    // question; the list's events name the same cell.
    test_support::focus(view);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home}) {
        test_support::press(key);
        const int row = view->currentIndex().row();
        QAccessibleInterface* cell = list->focusChild();
        QVERIFY2(cell != nullptr && cell->tableCellInterface() != nullptr,
                 qPrintable(QStringLiteral("no focused cell after key %1").arg(key)));
        QCOMPARE(cell, list->child(result_list_accessible::child_of(*view, view->currentIndex())));
        QCOMPARE(cell->tableCellInterface()->rowIndex(), row);
        QCOMPARE(list->indexOfChild(cell), result_list_accessible::child_of(*view, view->currentIndex()));
        QVERIFY(cell->state().focused);
        QCOMPARE(cell_text(table, row, 0), rows[static_cast<std::size_t>(row)].proizvod);
        QCOMPARE(cell_text(table, row, 1), rows[static_cast<std::size_t>(row)].pitanje);
        QVERIFY(table->selectedRows().isEmpty()); // keys frame a row, never highlight one
    }

    // A click highlights its row's cells, and only those.
    user->click_row(2);
    QCOMPARE(table->selectedRows(), QList<int>{1});
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            QCOMPARE(table->cellAt(row, column)->tableCellInterface()->isSelected(), row == 1);

    // A new search renumbers the rows: the cells read the new list.
    user->search_for(QStringLiteral("firmware"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(cell_text(table, 1, 1), user->list()->rows()[1].pitanje);
}

void tst_accessibility::yes_no_window_is_a_dialog_with_its_question()
{
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString description;
    test_support::yes_no_answerer answer({[&](QDialog& dialog) {
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&dialog);
        role = window->role();
        name = window->text(QAccessible::Name);
        description = window->text(QAccessible::Description);
        test_support::yes_no_answerer::click(QStringLiteral("cb_ne"))(dialog);
    }});
    user->search_for();
    user->click_row(1);
    QTest::mouseClick(user->search_window()->cb_delete, Qt::LeftButton);
    QVERIFY(answer.done());
    QCOMPARE(role, QAccessible::Dialog);
    QCOMPARE(name, QStringLiteral("Would you like to delete FAQ entry?"));
    QCOMPARE(description, name);
}

void tst_accessibility::status_line_reads_each_message()
{
    QStatusBar* line = user->search_window()->st_status;
    for (const auto& [text, shown] : {std::pair{QString(), QStringLiteral("3 entries")},
                                      std::pair{QStringLiteral("pump"), QStringLiteral("1 entry")},
                                      std::pair{QStringLiteral("zeolite"), QStringLiteral("No entries")}}) {
        user->search_for(text);
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name), shown);
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->role(), QAccessible::StatusBar);
    }
}

TARVO_TEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
