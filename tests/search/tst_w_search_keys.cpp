// The search window from the keyboard: Enter and Delete in the list, the shortcuts, Enter on a
// focused button, and the frame that shows which row has the focus.

#include <QImage>
#include <memory>

#include "window_driver.h"

using test_support::focus;

namespace {

int colour_distance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

} // namespace

class tst_w_search_keys : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void enter_opens_the_focused_row_as_a_double_click();
    void delete_key_is_the_delete_button();
    void shortcuts_for_new_and_find();
    void enter_presses_the_focused_button_data();
    void enter_presses_the_focused_button();
    void no_button_becomes_a_default();
    void focused_row_is_framed();

private:
    // The search window, active; the list shows the four entries.
    void open_window();
    w_search* window() const { return app->w_search; }
    result_list_view* view() const { return user->list_view(); }
    dw_pretraga* list() const { return user->list(); }

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user;
    tarvo* app = nullptr;
};

void tst_w_search_keys::initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }

void tst_w_search_keys::init()
{
    fixture->recreate_table();
    for (int rbr = 11; rbr <= 14; ++rbr)
        fixture->insert_question(rbr, QStringLiteral("Question %1").arg(rbr));
    user = std::make_unique<test_support::client>(test_support::client::without_search_window);
    app = &user->app;
}

void tst_w_search_keys::cleanup() { user.reset(); }

void tst_w_search_keys::open_window()
{
    user->open_search_window();
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    user->search_for();
    QCOMPARE(list()->rowCount(), 4);
}

void tst_w_search_keys::enter_opens_the_focused_row_as_a_double_click()
{
    open_window();

    // Tabbing into the list focuses its first row; the arrows move the focus, nothing else.
    focus(view());
    QCOMPARE(view()->currentIndex().row(), 0);
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Down);
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);
    QVERIFY(app->w_main.isNull());

    // Enter: the focused row becomes the current, highlighted entry and opens.
    QTest::keyClick(view(), Qt::Key_Return);
    const int third = *list()->item_number(3);
    QCOMPARE(app->rbr, third);
    QCOMPARE(user->highlighted_rows(), QList<int>({3}));
    QVERIFY(!app->w_main.isNull());
    QVERIFY(app->w_main->isVisible());
    QCOMPARE(app->w_main->sle_rbr->text(), QString::number(third));

    // The keypad's Enter on another row loads that one into the same entry window.
    focus(view());
    QTest::keyClick(view(), Qt::Key_Up);
    QTest::keyClick(view(), Qt::Key_Enter, Qt::KeypadModifier);
    const int second = *list()->item_number(2);
    QCOMPARE(app->rbr, second);
    QCOMPARE(user->highlighted_rows(), QList<int>({2}));
    QCOMPARE(app->w_main->sle_rbr->text(), QString::number(second));

    // With Ctrl held, Enter opens nothing.
    focus(view());
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(app->rbr, second);
}

void tst_w_search_keys::delete_key_is_the_delete_button()
{
    open_window();

    // No current entry: nothing is asked.
    focus(view());
    QTest::keyClick(view(), Qt::Key_Delete);
    QCOMPARE(fixture->count(), 4);

    // The current entry is the highlighted one, as for the button, wherever the focus is.
    user->click_row(2);
    const int chosen = app->rbr;
    QTest::keyClick(view(), Qt::Key_Down);
    {
        test_support::yes_no_answerer answers(QStringLiteral("cb_ne"));
        QTest::keyClick(view(), Qt::Key_Delete);
        QCOMPARE(answers.questions.size(), 1);
        QCOMPARE(fixture->count(), 4);
    }
    {
        test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
        QTest::keyClick(view(), Qt::Key_Delete);
        QCOMPARE(answers.questions, QStringList({test_support::delete_question}));
    }
    QCOMPARE(fixture->count(), 3);
    QVERIFY(!fixture->find(chosen).has_value());
    QCOMPARE(list()->rowCount(), 3);

    // Back from the question (the window system activates the window again), the refreshed list
    // has the keyboard: its first row has the focus, nothing is chosen.
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view()));
    QCOMPARE(view()->currentIndex().row(), 0);
    QVERIFY(user->highlighted_rows().isEmpty());
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Return);
    QCOMPARE(app->rbr, *list()->item_number(2));
    QVERIFY(!app->w_main.isNull());
}

void tst_w_search_keys::shortcuts_for_new_and_find()
{
    open_window();
    user->click_row(1);
    const int chosen = app->rbr;

    // Ctrl+N is "New FAQ", from wherever the focus is; the current entry stays.
    focus(view());
    QTest::keyClick(view(), Qt::Key_N, Qt::ControlModifier);
    QTRY_VERIFY(!app->w_main.isNull());
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("15"));
    QCOMPARE(app->rbr, chosen);
    app->w_main->close();
    QTRY_VERIFY(app->w_main.isNull());

    // Ctrl+F puts the cursor in the first search text, its text selected for typing over.
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    QTest::keyClicks(window()->uo_prvi->sle_trazi, QStringLiteral("pump"));
    focus(window()->cb_close);
    QTest::keyClick(window()->cb_close, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window()->uo_prvi->sle_trazi));
    QCOMPARE(window()->uo_prvi->sle_trazi->selectedText(), QStringLiteral("pump"));
    QVERIFY(window()->isVisible());
    QTest::keyClicks(window()->uo_prvi->sle_trazi, QStringLiteral("Question 12"));
    QTest::keyClick(window()->uo_prvi->sle_trazi, Qt::Key_Return);
    QCOMPARE(list()->rowCount(), 1);
}

void tst_w_search_keys::enter_presses_the_focused_button_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::newRow("Search, Enter") << "cb_search" << int(Qt::Key_Return);
    QTest::newRow("View, keypad Enter") << "cb_view" << int(Qt::Key_Enter);
    QTest::newRow("New FAQ, Enter") << "cb_new" << int(Qt::Key_Return);
    QTest::newRow("Delete, Enter") << "cb_delete" << int(Qt::Key_Return);
    QTest::newRow("Close, keypad Enter") << "cb_close" << int(Qt::Key_Enter);
}

void tst_w_search_keys::enter_presses_the_focused_button()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    open_window();
    user->click_row(4);
    const int chosen = app->rbr;
    window()->uo_prvi->sle_trazi->setText(QStringLiteral("nothing like this"));

    auto* pressed = window()->findChild<QPushButton*>(button);
    QVERIFY(pressed != nullptr);
    focus(pressed);
    test_support::yes_no_answerer answers(QStringLiteral("cb_ne"));
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(pressed, Qt::Key(key), modifiers);

    // Exactly what a click on that button does, and nothing else.
    const bool searched = list()->rowCount() == 0; // the search text lists nothing
    QCOMPARE(searched, button == QLatin1String("cb_search"));
    QCOMPARE(answers.questions.size(), button == QLatin1String("cb_delete") ? 1 : 0);
    QCOMPARE(window()->isVisible(), button != QLatin1String("cb_close"));
    const bool opens = button == QLatin1String("cb_view") || button == QLatin1String("cb_new");
    QCOMPARE(!app->w_main.isNull(), opens);
    if (opens)
        QCOMPARE(app->w_main->sle_rbr->text(), button == QLatin1String("cb_view") ? QString::number(chosen) : "15");
    QCOMPARE(fixture->count(), 4);
}

void tst_w_search_keys::no_button_becomes_a_default()
{
    open_window();
    const QList<QPushButton*> buttons = window()->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 5);
    for (QPushButton* focused : buttons) {
        focus(focused);
        for (const QPushButton* button : buttons) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    // Enter in a criterion's field list presses no button: no search, no entry window.
    focus(window()->uo_drugi->ddlb_polje);
    QTest::keyClick(window()->uo_drugi->ddlb_polje, Qt::Key_Return);
    QCOMPARE(list()->rowCount(), 4);
    QVERIFY(app->w_main.isNull());
    QVERIFY(window()->isVisible());
}

void tst_w_search_keys::focused_row_is_framed()
{
    open_window();
    const QRgb base = view()->palette().color(QPalette::Base).rgb();
    const QRgb highlight = view()->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    const auto row_rect = [&](int row) {
        return view()->visualRect(list()->index(row - 1, dw_pretraga::proizvod_column))
               | view()->visualRect(list()->index(row - 1, dw_pretraga::pitanje_column));
    };
    // A frame: the row's top and bottom lines and its left and right edges are drawn in one
    // colour that stands out from the white rows and from the highlight, while the inside of the
    // row keeps its background.
    const auto framed = [&](const QImage& image, int row, QRgb inside) {
        const QRect rect = row_rect(row) & view()->viewport()->rect();
        const QRgb line = image.pixel(rect.center().x(), rect.top());
        if (colour_distance(line, base) < 150 || colour_distance(line, highlight) < 150)
            return false;
        for (int x = rect.left() + 1; x < rect.right(); x += 7)
            if (image.pixel(x, rect.top()) != line || image.pixel(x, rect.bottom()) != line)
                return false;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            if (image.pixel(rect.left(), y) != line || image.pixel(rect.right(), y) != line)
                return false;
        // Right of the short texts, the row shows its background.
        return image.pixel(rect.right() - 6, rect.top() + 4) == inside
               && image.pixel(rect.right() - 6, rect.center().y()) == inside;
    };

    // Not focused: no frame.
    focus(window()->uo_prvi->sle_trazi);
    QImage image = view()->viewport()->grab().toImage();
    for (int row = 1; row <= 4; ++row)
        QVERIFY(!framed(image, row, base));

    // Focused on row 2: that row alone is framed, across both columns.
    focus(view());
    QTest::keyClick(view(), Qt::Key_Down);
    QCOMPARE(view()->currentIndex().row(), 1);
    QCOMPARE(view()->focus_frame(), row_rect(2) & view()->viewport()->rect());
    image = view()->viewport()->grab().toImage();
    QVERIFY(framed(image, 2, base));
    QVERIFY(!framed(image, 1, base));
    QVERIFY(!framed(image, 3, base));

    // The highlighted row keeps its highlight and shows the frame too.
    user->click_row(3);
    QCOMPARE(user->highlighted_rows(), QList<int>({3}));
    image = view()->viewport()->grab().toImage();
    QVERIFY(framed(image, 3, highlight));
    QVERIFY(!framed(image, 2, base));

    // The focus leaves the list: the frame goes, the highlight stays.
    focus(window()->cb_view);
    image = view()->viewport()->grab().toImage();
    QVERIFY(!framed(image, 3, highlight));
    QVERIFY(view()->focus_frame().isEmpty());
    QCOMPARE(user->highlighted_rows(), QList<int>({3}));
}

TARVO_TEST_MAIN(tst_w_search_keys)
#include "tst_w_search_keys.moc"
