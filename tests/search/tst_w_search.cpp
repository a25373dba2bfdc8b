// The search window over a real SQLite data source: its opening state, searching, choosing the
// current entry with the mouse, opening the entry window and deleting after the yes/no window.

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <memory>
#include <set>

#include "centring.h"
#include "dw_pretraga.h"
#include "faq_fixture.h"
#include "message_recorder.h"
#include "yes_no_answerer.h"
#include "platform.h"
#include "tarvo.h"
#include "test_app.h"
#include "uo_srch1.h"
#include "w_main.h"
#include "w_search.h"
#include "unexpected_dialogs.h"

namespace {

const QString delete_question = QString(54, QLatin1Char(' ')) + QStringLiteral("Would you like to delete FAQ entry?");
// open_w_main always writes its parameter here; an unchanged marker means nothing was opened.
const QString untouched = QStringLiteral("untouched");

// What the window system delivers for a double-click: press, release, double-click, release.
void double_click(QWidget* widget, QPoint position)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

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
    void open_window();
    w_search* window() const { return app->w_search; }
    QTableView* view() const { return window()->dw_search; }
    dw_pretraga* list() const { return window()->pretraga; }
    void insert(int rbr, const QString& pitanje, const QString& proizvod = QStringLiteral("Pump P-1"));
    void search_for(const QString& text1, const QString& text2 = QString());
    QPoint row_centre(int row) const;
    void click_row(int row);
    void click_header();
    void click_below_rows();
    int row_of(int rbr) const;
    std::set<int> listed_numbers() const;
    QList<int> highlighted_rows() const;

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<tarvo> app;
};

void tst_w_search::initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }

void tst_w_search::init()
{
    fixture->recreate_table();
    app = std::make_unique<tarvo>();
    test_support::make_app(*app);
}

void tst_w_search::cleanup() { app.reset(); }

void tst_w_search::open_window()
{
    app->w_search = new w_search(*app);
    window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

void tst_w_search::insert(int rbr, const QString& pitanje, const QString& proizvod)
{
    fixture->insert(rbr, QStringLiteral("keys"), pitanje, QStringLiteral("01/02/2020"), proizvod,
                    QStringLiteral("LOT-1"), QStringLiteral("answer"));
}

void tst_w_search::search_for(const QString& text1, const QString& text2)
{
    window()->uo_prvi->sle_trazi->clear();
    window()->uo_drugi->sle_trazi->clear();
    QTest::keyClicks(window()->uo_prvi->sle_trazi, text1);
    QTest::keyClicks(window()->uo_drugi->sle_trazi, text2);
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
}

QPoint tst_w_search::row_centre(int row) const
{
    return view()->visualRect(list()->index(row - 1, dw_pretraga::proizvod_column)).center();
}

void tst_w_search::click_row(int row) { QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, row_centre(row)); }

void tst_w_search::click_header()
{
    QTest::mouseClick(view()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
}

void tst_w_search::click_below_rows()
{
    const QRect last = view()->visualRect(list()->index(list()->rowCount() - 1, dw_pretraga::proizvod_column));
    QVERIFY(last.bottom() + 10 < view()->viewport()->height());
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(30, view()->viewport()->height() - 5));
}

int tst_w_search::row_of(int rbr) const
{
    for (int row = 1; row <= list()->rowCount(); ++row)
        if (list()->item_number(row) == rbr)
            return row;
    return 0;
}

std::set<int> tst_w_search::listed_numbers() const
{
    std::set<int> numbers;
    for (const statements::list_row& row : list()->rows())
        numbers.insert(row.rbr.value_or(-1));
    return numbers;
}

QList<int> tst_w_search::highlighted_rows() const
{
    QList<int> rows;
    for (const QModelIndex& index : view()->selectionModel()->selectedRows())
        rows << index.row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void tst_w_search::opens_in_its_starting_state()
{
    fixture->load_sample_entries();
    app->rbr = 9;
    test_support::message_recorder boxes;
    open_window();
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
    QVERIFY(highlighted_rows().isEmpty());
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
    test_support::yes_no_answerer answers(QStringLiteral("cb_ne"));
    app->message->StringParm = untouched;
    QTest::mouseClick(w->cb_view, Qt::LeftButton);
    QTest::mouseClick(w->cb_delete, Qt::LeftButton);
    QVERIFY(app->w_main.isNull());
    QCOMPARE(app->message->StringParm, untouched);
    QVERIFY(answers.questions.isEmpty());
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_w_search::tab_order_follows_the_layout()
{
    open_window();
    w_search* w = window();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->uo_prvi->sle_trazi->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->uo_prvi->sle_trazi));
    const QList<QWidget*> expected = {w->uo_prvi->ddlb_polje, w->uo_prvi->ddlb_veza, w->uo_drugi->sle_trazi,
                                      w->uo_drugi->ddlb_polje, w->cb_view, w->cb_delete, w->cb_new,
                                      w->cb_close, w->cb_search, w->dw_search};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_w_search::search_lists_the_matching_rows()
{
    fixture->load_sample_entries();
    test_support::message_recorder boxes;
    open_window();
    w_search* w = window();
    const auto all_rows = fixture->rows();
    auto numbers_where = [&](auto keep) {
        std::set<int> numbers;
        for (const auto& row : all_rows)
            if (keep(row))
                numbers.insert(row.rbr);
        return numbers;
    };

    search_for(QStringLiteral("pump"));
    QCOMPARE(list()->sql_select(),
             QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE pitanje LIKE '%pump%'"));
    const std::set<int> pump = numbers_where([](const auto& r) { return r.pitanje.contains("pump", Qt::CaseInsensitive); });
    QVERIFY(!pump.empty());
    QVERIFY(pump.size() < all_rows.size());
    QCOMPARE(listed_numbers(), pump);
    const int first = row_of(*pump.begin());
    QCOMPARE(list()->index(first - 1, dw_pretraga::pitanje_column).data().toString(),
             fixture->find(*pump.begin())->pitanje);

    // Second criterion on the product, joined by the first criterion's connector.
    w->uo_drugi->ddlb_polje->setCurrentIndex(w->uo_drugi->ddlb_polje->findText(QStringLiteral("Product")));
    w->uo_prvi->ddlb_veza->setCurrentIndex(w->uo_prvi->ddlb_veza->findText(QStringLiteral("NOT")));
    search_for(QStringLiteral("pump"), QStringLiteral("Cobas"));
    QCOMPARE(list()->sql_select(), QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE "
                                                  "(pitanje LIKE '%pump%') AND NOT (proizvod LIKE '%Cobas%')"));
    QCOMPARE(listed_numbers(), numbers_where([](const auto& r) {
                 return r.pitanje.contains("pump", Qt::CaseInsensitive) &&
                        !r.proizvod.contains("Cobas", Qt::CaseInsensitive);
             }));

    // The search reads the criteria and leaves them as they were.
    QCOMPARE(w->uo_prvi->sle_trazi->text(), QStringLiteral("pump"));
    QCOMPARE(w->uo_drugi->sle_trazi->text(), QStringLiteral("Cobas"));
    QCOMPARE(w->uo_prvi->ddlb_polje->currentText(), QStringLiteral("Question"));
    QCOMPARE(w->uo_drugi->ddlb_polje->currentText(), QStringLiteral("Product"));
    QCOMPARE(w->uo_prvi->ddlb_veza->currentText(), QStringLiteral("NOT"));
    QVERIFY(w->uo_drugi->ddlb_veza->isHidden());

    // No criteria: every entry; a second run shows rows added meanwhile.
    search_for(QString());
    QCOMPARE(listed_numbers(), numbers_where([](const auto&) { return true; }));
    insert(999, QStringLiteral("added later"));
    QTest::mouseClick(w->cb_search, Qt::LeftButton);
    QVERIFY(listed_numbers().count(999) == 1);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_w_search::list_reaches_the_question_column()
{
    fixture->load_sample_entries();
    insert(998, QStringLiteral("A very long question ") + QString(300, QLatin1Char('x')) + QStringLiteral("\nsecond line"));
    open_window();
    search_for(QString());
    QVERIFY(list()->rowCount() > 2);

    // Rows are all equally high, long or multi-line texts included.
    for (int row = 1; row < list()->rowCount(); ++row)
        QCOMPARE(view()->rowHeight(row), view()->rowHeight(0));

    // The two columns are wider than the list; scrolled to the end, the question column ends in view.
    QScrollBar* bar = view()->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());
    QVERIFY(view()->columnViewportPosition(dw_pretraga::pitanje_column) + view()->columnWidth(dw_pretraga::pitanje_column)
            <= view()->viewport()->width());
    QVERIFY(view()->columnWidth(dw_pretraga::pitanje_column) > view()->columnWidth(dw_pretraga::proizvod_column));
}

void tst_w_search::search_text_is_matched_as_typed()
{
    insert(1, QStringLiteral("Why doesn't the pump start?"));
    insert(2, QStringLiteral("Pump does not start"));
    insert(3, QStringLiteral("Display stays dark"));
    test_support::message_recorder boxes;
    open_window();

    search_for(QStringLiteral("doesn't"));
    QCOMPARE(listed_numbers(), std::set<int>({1}));
    // A quote cannot end the literal and widen the search.
    search_for(QStringLiteral("x' OR '1'='1"));
    QCOMPARE(listed_numbers(), std::set<int>());
    search_for(QStringLiteral("'"));
    QCOMPARE(listed_numbers(), std::set<int>({1}));
    // "%" and "_" stay wildcards.
    search_for(QStringLiteral("pump%start"));
    QCOMPARE(listed_numbers(), std::set<int>({1, 2}));
    search_for(QStringLiteral("d_es"));
    QCOMPARE(listed_numbers(), std::set<int>({1, 2}));
    // Blanks are searched for, not dropped.
    search_for(QStringLiteral("  "));
    QCOMPARE(listed_numbers(), std::set<int>());
    search_for(QStringLiteral(" "));
    QCOMPARE(listed_numbers(), std::set<int>({1, 2, 3}));
    // "Address" searches the keywords.
    window()->uo_prvi->izaberi_tip(1);
    search_for(QStringLiteral("keys"));
    QCOMPARE(listed_numbers(), std::set<int>({1, 2, 3}));
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_w_search::clicks_choose_the_current_entry()
{
    for (int rbr = 21; rbr <= 26; ++rbr)
        insert(rbr, QStringLiteral("Question %1").arg(rbr));
    open_window();
    search_for(QString());
    QCOMPARE(list()->rowCount(), 6);

    click_row(3);
    QCOMPARE(highlighted_rows(), QList<int>({3}));
    QCOMPARE(app->rbr, *list()->item_number(3));
    click_row(5);
    QCOMPARE(highlighted_rows(), QList<int>({5}));
    QCOMPARE(app->rbr, *list()->item_number(5));

    // The header is outside the rows.
    click_header();
    QVERIFY(highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);
    app->message->StringParm = untouched;
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QCOMPARE(app->message->StringParm, untouched);

    // So is the empty area below the last row.
    click_row(2);
    QCOMPARE(highlighted_rows(), QList<int>({2}));
    click_below_rows();
    QVERIFY(highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);

    // Keys move through the list without choosing anything.
    click_row(2);
    const std::int16_t chosen = app->rbr;
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Down);
    QCOMPARE(highlighted_rows(), QList<int>({2}));
    QCOMPARE(app->rbr, chosen);

    // A new search clears the highlight; the current entry stays.
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
    QVERIFY(highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, chosen);
}

void tst_w_search::double_click_opens_the_entry()
{
    for (int rbr = 31; rbr <= 33; ++rbr)
        insert(rbr, QStringLiteral("Question %1").arg(rbr));
    open_window();
    search_for(QString());

    // No click first: the double-click alone chooses and opens.
    const int row = row_of(32);
    double_click(view()->viewport(), row_centre(row));
    QCOMPARE(app->rbr, 32);
    QCOMPARE(highlighted_rows(), QList<int>({row}));
    QVERIFY(!app->w_main.isNull());
    QVERIFY(app->w_main->isVisible());
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));

    // Outside the rows: the highlight goes, nothing opens.
    app->message->StringParm = untouched;
    double_click(view()->horizontalHeader()->viewport(), QPoint(30, 5));
    QVERIFY(highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 0);
    QCOMPARE(app->message->StringParm, untouched);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));
}

void tst_w_search::numbers_outside_16_bits_make_no_entry_current()
{
    insert(5, QStringLiteral("small"));
    insert(40000, QStringLiteral("too large"));
    test_support::message_recorder boxes;
    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    open_window();
    search_for(QString());
    QCOMPARE(listed_numbers(), std::set<int>({5, 40000}));

    click_row(row_of(5));
    QCOMPARE(app->rbr, 5);
    click_row(row_of(40000));
    QCOMPARE(app->rbr, 0);

    app->message->StringParm = untouched;
    double_click(view()->viewport(), row_centre(row_of(40000)));
    QCOMPARE(app->rbr, 0);
    QVERIFY(app->w_main.isNull());
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(app->message->StringParm, untouched);
    QVERIFY(answers.questions.isEmpty());
    QCOMPARE(fixture->count(), 2);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_w_search::view_and_new_open_the_entry_window()
{
    for (int rbr = 31; rbr <= 33; ++rbr)
        insert(rbr, QStringLiteral("Question %1").arg(rbr));
    open_window();
    search_for(QString());
    const int row = row_of(32);
    click_row(row);

    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QVERIFY(!app->w_main.isNull());
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));

    // "New FAQ" asks for a new entry whatever row is chosen; the chosen row stays current.
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("34"));
    QCOMPARE(app->rbr, 32);
    QCOMPARE(highlighted_rows(), QList<int>({row}));

    // A search that no longer lists the current entry: View still opens it.
    search_for(QStringLiteral("no such question"));
    QCOMPARE(list()->rowCount(), 0);
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("32"));
}

void tst_w_search::delete_answered_no_keeps_the_row()
{
    for (int rbr = 41; rbr <= 43; ++rbr)
        insert(rbr, QStringLiteral("Question %1").arg(rbr));
    test_support::message_recorder boxes;
    open_window();
    search_for(QString());
    click_row(row_of(42));
    const auto shown = listed_numbers();

    test_support::yes_no_answerer answers(QStringLiteral("cb_ne"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions, QStringList({delete_question}));
    QCOMPARE(delete_question.size(), 89);
    QVERIFY(fixture->find(42).has_value());
    QCOMPARE(listed_numbers(), shown);
    QCOMPARE(highlighted_rows(), QList<int>({row_of(42)}));
    QCOMPARE(app->rbr, 42);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_w_search::delete_answered_yes_removes_and_refreshes()
{
    insert(41, QStringLiteral("Keep this"));
    insert(42, QStringLiteral("Keep that"));
    insert(43, QStringLiteral("Keep more"));
    insert(44, QStringLiteral("Other"));
    test_support::message_recorder boxes;
    open_window();
    search_for(QString());
    click_row(row_of(42));

    // The refresh runs the criteria as they stand now, not those of the last search.
    QTest::keyClicks(window()->uo_prvi->sle_trazi, QStringLiteral("Keep"));
    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions, QStringList({delete_question}));
    QVERIFY(!fixture->find(42).has_value()); // committed: another connection sees it gone
    QCOMPARE(fixture->count(), 3);
    QCOMPARE(listed_numbers(), std::set<int>({41, 43}));
    QVERIFY(highlighted_rows().isEmpty());
    QCOMPARE(app->rbr, 42);

    // The refreshed list highlights nothing: Delete does nothing, not even ask.
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions.size(), 1);
    QCOMPARE(fixture->count(), 3);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_w_search::failing_delete_is_reported_and_rolled_back()
{
    if (fixture->which() != test_support::backend::sqlite)
        QSKIP("the refusing trigger is written for SQLite");
    insert(41, QStringLiteral("Question 41"));
    insert(42, QStringLiteral("Question 42"));
    fixture->exec(QStringLiteral("CREATE TRIGGER keep_entries BEFORE DELETE ON faq "
                                 "BEGIN SELECT RAISE(ABORT, 'entries are kept'); END"));
    test_support::message_recorder boxes;
    open_window();
    search_for(QString());
    click_row(row_of(42));

    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions.size(), 1);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("DELETE FROM faq WHERE rbr=42"));
    QVERIFY2(boxes.boxes[0].text.contains(QStringLiteral("entries are kept")), qPrintable(boxes.boxes[0].text));
    // Refreshed all the same: the row is listed, nothing highlighted.
    QCOMPARE(listed_numbers(), std::set<int>({41, 42}));
    QVERIFY(highlighted_rows().isEmpty());

    // Nothing was left pending on the session: another writer gets through, and the next
    // delete commits on its own.
    fixture->exec(QStringLiteral("DROP TRIGGER keep_entries"));
    insert(43, QStringLiteral("Question 43"));
    click_row(row_of(42));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY(!fixture->find(42).has_value());
    QCOMPARE(listed_numbers(), std::set<int>({41, 43}));
}

void tst_w_search::rejected_search_reports_once_and_keeps_criteria()
{
    insert(1, QStringLiteral("pump"));
    test_support::message_recorder boxes;
    open_window();
    search_for(QString());
    click_row(1);
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
    QVERIFY(highlighted_rows().isEmpty());
    QCOMPARE(window()->uo_prvi->sle_trazi->text(), QStringLiteral("pump"));
    QCOMPARE(window()->uo_drugi->sle_trazi->text(), QStringLiteral("x"));
    QCOMPARE(window()->uo_prvi->ddlb_veza->currentText(), QStringLiteral("OR"));
    QCOMPARE(window()->uo_prvi->ddlb_polje->currentText(), QStringLiteral("Question"));
    QCOMPARE(window()->uo_drugi->ddlb_polje->currentText(), QStringLiteral("All"));
}

void tst_w_search::search_without_a_connection_reports_it()
{
    insert(1, QStringLiteral("pump"));
    test_support::message_recorder boxes;
    open_window();
    app->sqlca->disconnect();
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("Search"));
    QVERIFY(!boxes.boxes[0].text.isEmpty());
    QCOMPARE(list()->rowCount(), 0);
}

void tst_w_search::closing_the_window_closes_the_entry_window()
{
    open_window();
    QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    QVERIFY(!app->w_main.isNull());
    QVERIFY(app->w_main->isVisible());

    QTest::mouseClick(window()->cb_close, Qt::LeftButton);
    QVERIFY(!window()->isVisible());
    QTRY_VERIFY(app->w_main.isNull() || !app->w_main->isVisible());
}

TARVO_TEST_MAIN(tst_w_search)
#include "tst_w_search.moc"
