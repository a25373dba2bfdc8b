#include "work_under_fault.h"

namespace test_support {
namespace {

w_main& entry_window_of(client& user)
{
    if (user.entry_window() == nullptr)
        qFatal("no entry window opened");
    return *user.entry_window();
}

} // namespace

void work_under_way::type_answer(const QString& answer)
{
    typed = answer;
    window->mle_odgovor->setPlainText(answer);
}

work_under_way edit_listed_entry(client& user, int row, const QString& answer)
{
    user.search_window()->cb_search_clicked();
    user.search_window()->dw_search_clicked(row);
    work_under_way work;
    work.edited = user.app.rbr;
    user.search_window()->cb_view_clicked();
    work.window = &entry_window_of(user);
    work.type_answer(answer);
    return work;
}

work_under_way start_new_entry(client& user, const QString& question, const QString& answer)
{
    user.search_window()->cb_new_clicked();
    work_under_way work;
    work.window = &entry_window_of(user);
    work.edited = static_cast<std::int16_t>(work.window->sle_rbr->text().toInt());
    work.window->mle_question->setPlainText(question);
    work.type_answer(answer);
    return work;
}

void save_is_reported(const work_under_way& work, const QString& title, const QString& reason)
{
    message_recorder boxes;
    work.window->cb_save_clicked();
    QCOMPARE(boxes.titles(), QStringList{title});
    QVERIFY2(boxes.boxes.first().text.contains(reason), qPrintable(boxes.summary()));
    QVERIFY(work.window && work.window->isVisible());
    QCOMPARE(work.window->mle_odgovor->text(), work.typed);
}

void save_goes_through(const work_under_way& work, faq_fixture& fixture)
{
    work.window->cb_save_clicked();
    QTRY_VERIFY(work.window.isNull());
    const auto stored = fixture.find(work.edited);
    QVERIFY(stored);
    QCOMPARE(stored->odgovor, work.typed);
}

void delete_current(client& user)
{
    yes_no_answerer yes(QStringLiteral("cb_da"));
    user.search_window()->cb_delete_clicked();
    QCOMPARE(yes.questions.size(), 1);
}

void delete_is_reported(client& user, const QStringList& titles, const QString& reason)
{
    message_recorder boxes;
    delete_current(user);
    QCOMPARE(boxes.titles(), titles);
    QVERIFY2(boxes.boxes.first().text.contains(reason), qPrintable(boxes.summary()));
}

void save_and_delete_go_through(client& user, const work_under_way& work, faq_fixture& fixture, std::int16_t doomed,
                                int entries)
{
    save_goes_through(work, fixture);
    QCOMPARE(user.listed_rows(), entries);
    user.click_row(user.row_of(doomed));
    QCOMPARE(user.app.rbr, doomed);
    delete_current(user);
    QVERIFY(!fixture.find(doomed));
    QCOMPARE(user.listed_rows(), entries - 1);
}

} // namespace test_support
