// Message boxes on the screen: each belongs to the window it came from, centred on it and modal;
// while no window is active, as at start-up, it stands alone.

#include <QApplication>

#include "context_menu.h"
#include "shown_message_boxes.h"
#include "window_driver.h"

using namespace test_support;

class tst_message_boxes : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init() { fixture->recreate_table(); }
    void box_without_an_active_window_stands_alone();
    void box_belongs_to_the_window_it_came_from_data();
    void box_belongs_to_the_window_it_came_from();
};

void tst_message_boxes::box_without_an_active_window_stands_alone()
{
    QCOMPARE(QApplication::activeWindow(), nullptr);
    shown_message_boxes shown;
    platform::message_box(QStringLiteral("Error"), QStringLiteral("Database error. NewID failed."));
    QCOMPARE(shown.boxes.size(), 1);
    QCOMPARE(shown.boxes.front().text, QStringLiteral("Database error. NewID failed."));
    QVERIFY(shown.boxes.front().parent.isNull());
    QCOMPARE(shown.boxes.front().modality, Qt::ApplicationModal);
}

void tst_message_boxes::box_belongs_to_the_window_it_came_from_data()
{
    QTest::addColumn<bool>("entry_window");
    QTest::newRow("search window: nothing listed to export") << false;
    QTest::newRow("entry window: the save's statements fail") << true;
}

void tst_message_boxes::box_belongs_to_the_window_it_came_from()
{
    QFETCH(bool, entry_window);
    client user;
    QWidget* window = nullptr;
    if (entry_window) {
        window = user.open_entry(QStringLiteral("0"));
        set_texts(user.entry_window(), sample_entry(QStringLiteral("new")));
    } else {
        user.search_for(QStringLiteral("nothing matches this"));
        window = user.search_window();
    }
    QVERIFY(QTest::qWaitForWindowActive(window));

    shown_message_boxes shown;
    if (entry_window) {
        fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
        user.entry_window()->cb_save->click();
        fixture->exec(QStringLiteral("ALTER TABLE faq_away RENAME TO faq"));
    } else {
        QVERIFY(choose_from_context_menu(user.list_view()->viewport(), QStringLiteral("Export listed entries…")));
    }
    QTRY_VERIFY(!shown.boxes.isEmpty());
    for (const shown_message_boxes::box& box : shown.boxes) {
        QCOMPARE(box.parent.data(), window);
        QCOMPARE(box.modality, Qt::ApplicationModal);
        const QPoint off_centre = box.frame.center() - window->frameGeometry().center();
        QVERIFY2(off_centre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("[%1] is %2, %3 px off its window's centre")
                                .arg(box.title)
                                .arg(off_centre.x())
                                .arg(off_centre.y())));
    }
}

TARVO_TEST_MAIN(tst_message_boxes)
#include "tst_message_boxes.moc"
