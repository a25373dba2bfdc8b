// The search window over a real SQLite data source: its opening state, searching, choosing the
// current entry with the mouse, opening the entry window and deleting after the yes/no window.

#include <QGroupBox>
#include <QScrollBar>
#include <memory>

#include "centring.h"
#include "platform.h"
#include "window_driver.h"

using test_support::delete_question;

namespace {

// open_w_main always writes its parameter here; an unchanged marker means nothing was opened.
const QString untouched = QStringLiteral("untouched");

} // namespace

class tst_w_search : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opens_in_its_starting_state();
    void tab_order_follows_the_layout();
    void search_lists_the_matching_rows();
    void list_reaches_the_question_column();
    void search_text_is_matched_as_typed();
    void clicks_choose_the_current_entry();
    void double_click_opens_the_entry();
    void numbers_outside_16_bits_make_no_entry_current();
    void view_and_new_open_the_entry_window();
    void delete_answered_no_keeps_the_row();
    void delete_answered_yes_removes_and_refreshes();
    void failing_delete_is_reported_and_rolled_back();
    void rejected_search_reports_once_and_keeps_criteria();
    void search_without_a_connection_reports_it();
    void closing_the_window_closes_the_entry_window();

private:
    w_search* window() const { return app->w_search; }
    result_list_view* view() const { return user->list_view(); }
    dw_pretraga* list() const { return user->list(); }

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user; // the search window opens in each test
    tarvo* app = nullptr;
};

void tst_w_search::initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }

void tst_w_search::init()
{
    fixture->recreate_table();
    user = std::make_unique<test_support::client>(test_support::client::without_search_window);
    app = &user->app;
}

void tst_w_search::cleanup() { user.reset(); }

void tst_w_search::opens_in_its_starting_state()
{
    fixture->load_sample_entries();
    app->rbr = 9;
    user->open_search_window();
    w_search* w = window();

    QCOMPARE(w->windowTitle(), QStringLiteral("QUARNEX - ZEMLO Technical Services"));
    QCOMPARE(app->rbr, 0);
    QCOMPARE(platform::width_in_units(w), 3735);
    QCOMPARE(platform::height_in_units(w), 2132);
    platform::environment env;
    const auto centre = platform::centred_position(platform::get_environment(env), env, 3735, 2132);
    QVERIFY(centre.has_value());
    QCOMPARE(w->pos(), QPoint(platform::units_to_px_x(centre->x), platform::units_to_px_y(centre->y)));

    QCOMPARE(w->uo_prvi->ddlb_polje->currentText(), QStringLiteral("Question"));
    QCOMPARE(w->uo_prvi->ddlb_veza->currentText(), QStringLiteral("AND"));
    QVERIFY(w->uo_prvi->ddlb_veza->isVisible());
    QCOMPARE(w->uo_drugi->ddlb_polje->currentText(), QStringLiteral("All"));
    QVERIFY(w->uo_drugi->ddlb_veza->isHidden());
    QVERIFY(w->uo_prvi->sle_trazi->text().isEmpty());
    QVERIFY(w->uo_drugi->sle_trazi->text().isEmpty());
    QCOMPARE(w->gb_1->title(), QStringLiteral("Search FAQ database"));

    // Nothing is retrieved on opening, although the table holds entries.
    QVERIFY(fixture->count() > 0);
    QCOMPARE(list()->rowCount(), 0);
    QVERIFY(user->highlighted_rows().isEmpty());
    QVERIFY(view()->isColumnHidden(dw_pretraga::rbr_column));
    QCOMPARE(list()->headerData(dw_pretraga::proizvod_column, Qt::Horizontal).toString(), QStringLiteral("Product"));
    QCOMPARE(list()->headerData(dw_pretraga::pitanje_column, Qt::Horizontal).toString(), QStringLiteral("Question"));

    // The button row, left to right, above the list; none is the default button.
    const QList<QPushButton*> row = {w->cb_view, w->cb_delete, w->cb_new, w->cb_close, w->cb_search};
    const QStringList captions = {"View", "Delete", "New FAQ", "Close", "Search"};
    for (qsizetype i = 0; i < row.size(); ++i) {
        QCOMPARE(row[i]->text(), captions[i]);
        QVERIFY(!row[i]->isDefault());
        QVERIFY(!row[i]->autoDefault());
        QVERIFY(row[i]->geometry().bottom() < view()->y());
        if (i > 0)
            QVERIFY(row[i - 1]->geometry().right() < row[i]->x());
    }
    QVERIFY(w->uo_drugi->y() > w->uo_prvi->y());

    // With no current entry, View and Delete do nothing.
    app->message->StringParm = untouched;
    QTest::mouseClick(w->cb_view, Qt::LeftButton);
    QTest::mouseClick(w->cb_delete, Qt::LeftButton);
    QVERIFY(app->w_main.isNull());
    QCOMPARE(app->message->StringParm, untouched);
}

void tst_w_search::tab_order_follows_the_layout()
{
    user->open_search_window();
    w_search* w = window();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->uo_prvi->sle_trazi->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->uo_prvi->sle_trazi));
    const QList<QWidget*> expected = {w->uo_prvi->ddlb_polje,
                                      w->uo_prvi->ddlb_veza,
                                      w->uo_drugi->sle_trazi,
                                      w->uo_drugi->ddlb_polje,
                                      w->cb_view,
                                      w->cb_delete,
                                      w->cb_new,
                                      w->cb_close,
                                      w->cb_search,
                                      w->dw_search};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_w_search::search_lists_the_matching_rows()
{
    fixture->load_sample_entries();
    user->open_search_window();
    w_search* w = window();
    const auto all_rows = fixture->rows();
    auto numbers_where = [&](auto keep) {
        std::set<int> numbers;
        for (const auto& row : all_rows)
            if (keep(row))
                numbers.insert(row.rbr);
        return numbers;
    };

    user->search_for(QStringLiteral("pump"));
    QCOMPARE(list()->sql_select(),
             QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE pitanje LIKE '%pump%'"));
    const std::set<int> pump =
        numbers_where([](const auto& r) { return r.pitanje.contains("pump", Qt::CaseInsensitive); });
    QVERIFY(!pump.empty());
    QVERIFY(pump.size() < all_rows.size());
    QCOMPARE(user->listed_numbers(), pump);
    const int first = user->row_of(*pump.begin());
    QCOMPARE(list()->index(first - 1, dw_pretraga::pitanje_column).data().toString(),
             fixture->find(*pump.begin())->pitanje);

    // Second criterion on the product, joined by the first criterion's connector.
    user->search({.text1 = "pump", .text2 = "Zelba", .field2 = "Product", .connector = "NOT"});
    QCOMPARE(list()->sql_select(), QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE "
                                                  "(pitanje LIKE '%pump%') AND NOT (proizvod LIKE '%Zelba%')"));
    QCOMPARE(user->listed_numbers(), numbers_where([](const auto& r) {
                 return r.pitanje.contains("pump", Qt::CaseInsensitive)
                        && !r.proizvod.contains("Zelba", Qt::CaseInsensitive);
             }));

    // The search reads the criteria and leaves them as they were.
    QCOMPARE(w->uo_prvi->sle_trazi->text(), QStringLiteral("pump"));
    QCOMPARE(w->uo_drugi->sle_trazi->text(), QStringLiteral("Zelba"));
    QCOMPARE(w->uo_prvi->ddlb_polje->currentText(), QStringLiteral("Question"));
    QCOMPARE(w->uo_drugi->ddlb_polje->currentText(), QStringLiteral("Product"));
    QCOMPARE(w->uo_prvi->ddlb_veza->currentText(), QStringLiteral("NOT"));
    QVERIFY(w->uo_drugi->ddlb_veza->isHidden());

    // No criteria: every entry; a second run shows rows added meanwhile.
    user->search_for(QString());
    QCOMPARE(user->listed_numbers(), numbers_where([](const auto&) { return true; }));
    fixture->insert_question(999, QStringLiteral("added later"));
    QTest::mouseClick(w->cb_search, Qt::LeftButton);
    QVERIFY(user->listed_numbers().count(999) == 1);
}

void tst_w_search::list_reaches_the_question_column()
{
    fixture->load_sample_entries();
    fixture->insert_question(998, QStringLiteral("A very long question ") + QString(300, QLatin1Char('x'))
                                      + QStringLiteral("\nsecond line"));
    user->open_search_window();
    user->search_for(QString());
    QVERIFY(list()->rowCount() > 2);

    // Rows are all equally high, long or multi-line texts included.
    for (int row = 1; row < list()->rowCount(); ++row)
        QCOMPARE(view()->rowHeight(row), view()->rowHeight(0));

    // The two columns are wider than the list; scrolled to the end, the question column ends in view.
    QScrollBar* bar = view()->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());
    QVERIFY(view()->columnViewportPosition(dw_pretraga::pitanje_column)
                + view()->columnWidth(dw_pretraga::pitanje_column)
            <= view()->viewport()->width());
    QVERIFY(view()->columnWidth(dw_pretraga::pitanje_column) > view()->columnWidth(dw_pretraga::proizvod_column));
}

void tst_w_search::search_text_is_matched_as_typed()
{
    fixture->insert_question(1, QStringLiteral("Why doesn't the pump start?"));
    fixture->insert_question(2, QStringLiteral("Pump does not start"));
    fixture->insert_question(3, QStringLiteral("Display stays dark"));
    user->open_search_window();

    user->search_for(QStringLiteral("doesn't"));
    QCOMPARE(user->listed_numbers(), std::set<int>({1}));
    // A quote cannot end the literal and widen the search.
    user->search_for(QStringLiteral("x' OR '1'='1"));
    QCOMPARE(user->listed_numbers(), std::set<int>());
    user->search_for(QStringLiteral("'"));
    QCOMPARE(user->listed_numbers(), std::set<int>({1}));
    // "%" and "_" stay wildcards.
    user->search_for(QStringLiteral("pump%start"));
    QCOMPARE(user->listed_numbers(), std::set<int>({1, 2}));
    user->search_for(QStringLiteral("d_es"));
    QCOMPARE(user->listed_numbers(), std::set<int>({1, 2}));
    // Blanks are searched for, not dropped.
    user->search_for(QStringLiteral("  "));
    QCOMPARE(user->listed_numbers(), std::set<int>());
    user->search_for(QStringLiteral(" "));
    QCOMPARE(user->listed_numbers(), std::set<int>({1, 2, 3}));
    // "Address" searches the keywords.
    window()->uo_prvi->izaberi_tip(1);
    user->search_for(QStringLiteral("keys"));
    QCOMPARE(user->listed_numbers(), std::set<int>({1, 2, 3}));
}

void tst_w_search::clicks_choose_the_current_entry()
{
    for (int rbr = 21; rbr <= 26; ++rbr)
        fixture->insert_question(rbr, QStringLiteral("Question %1").arg(rbr));
    user->open_search_window();
    user->search_for(QString());
    QCOMPARE(list()->rowCount(), 6);

    user->click_row(3);
    QCOMPARE(user->highlighted_rows(), QList<int>({3}));
    QCOMPARE(app->rbr, *list()->item_number(3));
    user->click_row(5);
    QCOMPARE(user->highlighted_rows(), QList<int>({5}));
    QCOMPARE(app->rbr, *list()->item_number(5));

    // The header is outside the rows.
    user->click_header();
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);
    app->message->StringParm = untouched;
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QCOMPARE(app->message->StringParm, untouched);

    // So is the empty area below the last row.
    user->click_row(2);
    QCOMPARE(user->highlighted_rows(), QList<int>({2}));
    user->click_below_rows();
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);

    // Keys move through the list without choosing anything.
    user->click_row(2);
    const std::int16_t chosen = app->rbr;
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Down);
    QCOMPARE(user->highlighted_rows(), QList<int>({2}));
    QCOMPARE(app->rbr, chosen);

    // A new search clears the highlight; the current entry stays.
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, chosen);
}

void tst_w_search::double_click_opens_the_entry()
{
    for (int rbr = 31; rbr <= 33; ++rbr)
        fixture->insert_question(rbr, QStringLiteral("Question %1").arg(rbr));
    user->open_search_window();
    user->search_for(QString());

    // No click first: the double-click alone chooses and opens.
    const int row = user->row_of(32);
    user->double_click_row(row);
    QCOMPARE(app->rbr, 32);
    QCOMPARE(user->highlighted_rows(), QList<int>({row}));
    QVERIFY(!app->w_main.isNull());
    QVERIFY(app->w_main->isVisible());
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));

    // Outside the rows: the highlight goes, nothing opens.
    app->message->StringParm = untouched;
    user->double_click_header();
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);
    QCOMPARE(app->message->StringParm, untouched);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));
}

void tst_w_search::numbers_outside_16_bits_make_no_entry_current()
{
    fixture->insert_question(5, QStringLiteral("small"));
    fixture->insert_question(40000, QStringLiteral("too large"));
    user->open_search_window();
    user->search_for(QString());
    QCOMPARE(user->listed_numbers(), std::set<int>({5, 40000}));

    user->click_row(user->row_of(5));
    QCOMPARE(app->rbr, 5);
    user->click_row(user->row_of(40000));
    QCOMPARE(app->rbr, 0);

    app->message->StringParm = untouched;
    user->double_click_row(user->row_of(40000));
    QCOMPARE(app->rbr, 0);
    QVERIFY(app->w_main.isNull());
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(app->message->StringParm, untouched);
    QCOMPARE(fixture->count(), 2);
}

void tst_w_search::view_and_new_open_the_entry_window()
{
    for (int rbr = 31; rbr <= 33; ++rbr)
        fixture->insert_question(rbr, QStringLiteral("Question %1").arg(rbr));
    user->open_search_window();
    user->search_for(QString());
    const int row = user->row_of(32);
    user->click_row(row);

    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QVERIFY(!app->w_main.isNull());
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));

    // "New FAQ" asks for a new entry whatever row is chosen; the chosen row stays current.
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("34"));
    QCOMPARE(app->rbr, 32);
    QCOMPARE(user->highlighted_rows(), QList<int>({row}));

    // A search that no longer lists the current entry: View still opens it.
    user->search_for(QStringLiteral("no such question"));
    QCOMPARE(list()->rowCount(), 0);
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));
}

void tst_w_search::delete_answered_no_keeps_the_row()
{
    for (int rbr = 41; rbr <= 43; ++rbr)
        fixture->insert_question(rbr, QStringLiteral("Question %1").arg(rbr));
    user->open_search_window();
    user->search_for(QString());
    user->click_row(user->row_of(42));
    const auto shown = user->listed_numbers();

    test_support::yes_no_answerer answers(QStringLiteral("cb_ne"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions, QStringList({delete_question}));
    QCOMPARE(delete_question.size(), 89);
    QVERIFY(fixture->find(42).has_value());
    QCOMPARE(user->listed_numbers(), shown);
    QCOMPARE(user->highlighted_rows(), QList<int>({user->row_of(42)}));
    QCOMPARE(app->rbr, 42);
}

void tst_w_search::delete_answered_yes_removes_and_refreshes()
{
    fixture->insert_question(41, QStringLiteral("Keep this"));
    fixture->insert_question(42, QStringLiteral("Keep that"));
    fixture->insert_question(43, QStringLiteral("Keep more"));
    fixture->insert_question(44, QStringLiteral("Other"));
    user->open_search_window();
    user->search_for(QString());
    user->click_row(user->row_of(42));

    // The refresh runs the criteria as they stand now, not those of the last search.
    QTest::keyClicks(window()->uo_prvi->sle_trazi, QStringLiteral("Keep"));
    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions, QStringList({delete_question}));
    QVERIFY(!fixture->find(42).has_value()); // committed: another connection sees it gone
    QCOMPARE(fixture->count(), 3);
    QCOMPARE(user->listed_numbers(), std::set<int>({41, 43}));
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 42);

    // The refreshed list highlights nothing: Delete does nothing, not even ask.
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions.size(), 1);
    QCOMPARE(fixture->count(), 3);
}

void tst_w_search::failing_delete_is_reported_and_rolled_back()
{
    if (fixture->which() != test_support::backend::sqlite)
        QSKIP("the refusing trigger is written for SQLite");
    fixture->insert_question(41, QStringLiteral("Question 41"));
    fixture->insert_question(42, QStringLiteral("Question 42"));
    fixture->exec(QStringLiteral("CREATE TRIGGER keep_entries BEFORE DELETE ON faq "
                                 "BEGIN SELECT RAISE(ABORT, 'entries are kept'); END"));
    test_support::message_recorder boxes;
    user->open_search_window();
    user->search_for(QString());
    user->click_row(user->row_of(42));

    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions.size(), 1);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("DELETE FROM faq WHERE rbr=42"));
    QVERIFY2(boxes.boxes[0].text.contains(QStringLiteral("entries are kept")), qPrintable(boxes.boxes[0].text));
    // Refreshed all the same: the row is listed, nothing highlighted.
    QCOMPARE(user->listed_numbers(), std::set<int>({41, 42}));
    QVERIFY(user->highlighted_rows().isEmpty());

    // Nothing was left pending on the session: another writer gets through, and the next
    // delete commits on its own.
    fixture->exec(QStringLiteral("DROP TRIGGER keep_entries"));
    fixture->insert_question(43, QStringLiteral("Question 43"));
    user->click_row(user->row_of(42));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY(!fixture->find(42).has_value());
    QCOMPARE(user->listed_numbers(), std::set<int>({41, 43}));
}

void tst_w_search::rejected_search_reports_once_and_keeps_criteria()
{
    fixture->insert_question(1, QStringLiteral("pump"));
    test_support::message_recorder boxes;
    user->open_search_window();
    user->search_for(QString());
    user->click_row(1);
    QCOMPARE(list()->rowCount(), 1);

    window()->uo_prvi->ddlb_veza->setCurrentIndex(1);
    QTest::keyClicks(window()->uo_prvi->sle_trazi, QStringLiteral("pump"));
    QTest::keyClicks(window()->uo_drugi->sle_trazi, QStringLiteral("x"));
    fixture->exec(QStringLiteral("DROP TABLE faq"));
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("Search"));
    QVERIFY2(boxes.boxes[0].text.contains(QStringLiteral("faq")), qPrintable(boxes.boxes[0].text));
    QCOMPARE(list()->rowCount(), 0);
    QVERIFY(user->highlighted_rows().isEmpty());
    QCOMPARE(window()->uo_prvi->sle_trazi->text(), QStringLiteral("pump"));
    QCOMPARE(window()->uo_drugi->sle_trazi->text(), QStringLiteral("x"));
    QCOMPARE(window()->uo_prvi->ddlb_veza->currentText(), QStringLiteral("OR"));
    QCOMPARE(window()->uo_prvi->ddlb_polje->currentText(), QStringLiteral("Question"));
    QCOMPARE(window()->uo_drugi->ddlb_polje->currentText(), QStringLiteral("All"));
}

void tst_w_search::search_without_a_connection_reports_it()
{
    fixture->insert_question(1, QStringLiteral("pump"));
    test_support::message_recorder boxes;
    user->open_search_window();
    app->sqlca->disconnect();
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("Search"));
    QVERIFY(!boxes.boxes[0].text.isEmpty());
    QCOMPARE(list()->rowCount(), 0);
}

void tst_w_search::closing_the_window_closes_the_entry_window()
{
    user->open_search_window();
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    QVERIFY(!app->w_main.isNull());
    QVERIFY(app->w_main->isVisible());

    QTest::mouseClick(window()->cb_close, Qt::LeftButton);
    QVERIFY(!window()->isVisible());
    QTRY_VERIFY(app->w_main.isNull() || !app->w_main->isVisible());
}

TARVO_TEST_MAIN(tst_w_search)
#include "tst_w_search.moc"
