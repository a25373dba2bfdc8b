// "Delete" deletes only the entry the user sees highlighted, and only after the exact answer
// "DA": never the current entry of an earlier search, of a refreshed list, or after a yes/no
// window that ended any other way.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>
#include <set>

#include "dw_pretraga.h"
#include "faq_fixture.h"
#include "message_recorder.h"
#include "multiline_edit.h"
#include "tarvo.h"
#include "test_app.h"
#include "uo_srch1.h"
#include "unexpected_dialogs.h"
#include "w_main.h"
#include "w_search.h"
#include "yes_no_answerer.h"
#include "yes_no_script.h"

using test_support::yes_no_script;

class tst_delete_guard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { app.reset(); }

    void current_entry_no_longer_listed_is_not_deleted();
    void refreshed_list_deletes_nothing_until_a_row_is_chosen();
    void only_the_exact_answer_deletes_data();
    void only_the_exact_answer_deletes();

private:
    w_search* window() const { return app->w_search; }
    void search_for(const QString& text);
    int row_of(int rbr) const;
    void click_row(int row);
    std::set<int> listed() const;

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<tarvo> app;
};

void tst_delete_guard::init()
{
    fixture->recreate_table();
    fixture->insert(1, "pump", "Pump flow drifts", "01/02/2020", "Cobas", "LT-1", "Replace the tubing.");
    fixture->insert(2, "firmware", "Firmware update from USB", "01/02/2020", "XN-550", "FW-5", "Copy the file.");
    fixture->insert(3, "firmware, boot", "Stops at loading firmware", "01/02/2020", "CA-600", "FW-2", "Hold the key.");
    app = std::make_unique<tarvo>();
    test_support::make_app(*app);
    app->w_search = new w_search(*app);
    window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

void tst_delete_guard::search_for(const QString& text)
{
    window()->uo_prvi->sle_trazi->clear();
    QTest::keyClicks(window()->uo_prvi->sle_trazi, text);
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
}

int tst_delete_guard::row_of(int rbr) const
{
    for (int row = 1; row <= window()->pretraga->rowCount(); ++row)
        if (window()->pretraga->item_number(row) == rbr)
            return row;
    return 0;
}

void tst_delete_guard::click_row(int row)
{
    QTableView* view = window()->dw_search;
    const QPoint centre = view->visualRect(window()->pretraga->index(row - 1, dw_pretraga::proizvod_column)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
}

std::set<int> tst_delete_guard::listed() const
{
    std::set<int> numbers;
    for (const auto& row : window()->pretraga->rows())
        numbers.insert(row.rbr.value_or(0));
    return numbers;
}

// Entry 1 clicked, then a search for "firmware" that does not list it: Delete does nothing,
// while View still opens entry 1.
void tst_delete_guard::current_entry_no_longer_listed_is_not_deleted()
{
    test_support::message_recorder boxes;
    search_for(QString());
    click_row(row_of(1));
    QCOMPARE(app->rbr, 1);
    search_for(QStringLiteral("firmware"));
    QCOMPARE(listed(), std::set<int>({2, 3}));
    {
        test_support::yes_no_answerer yes(QStringLiteral("cb_da"));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QVERIFY(yes.questions.isEmpty());
    }
    QVERIFY(fixture->find(1).has_value());
    QCOMPARE(fixture->count(), 3);
    QCOMPARE(listed(), std::set<int>({2, 3}));

    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QVERIFY(app->w_main);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("1"));
    QCOMPARE(app->w_main->mle_question->text(), QStringLiteral("Pump flow drifts"));
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

// The refresh after a delete and after a save highlights nothing: Delete then does nothing,
// until the user chooses a row again.
void tst_delete_guard::refreshed_list_deletes_nothing_until_a_row_is_chosen()
{
    test_support::message_recorder boxes;
    search_for(QString());

    click_row(row_of(2));
    {
        test_support::yes_no_answerer yes(QStringLiteral("cb_da"));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
        QVERIFY(!fixture->find(2).has_value());
        QCOMPARE(listed(), std::set<int>({1, 3}));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
    }

    // Entry 3 opened and saved: the refresh clears the highlight.
    click_row(row_of(3));
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QVERIFY(app->w_main);
    app->w_main->em_lot->setText(QStringLiteral("FW-3"));
    QTest::mouseClick(app->w_main->cb_save, Qt::LeftButton);
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(fixture->find(3)->lot, QStringLiteral("FW-3"));
    QCOMPARE(app->rbr, 3);
    {
        test_support::yes_no_answerer yes(QStringLiteral("cb_da"));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QVERIFY(yes.questions.isEmpty());
        QCOMPARE(fixture->count(), 2);

        // Chosen again, it is deleted.
        click_row(row_of(3));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
    }
    QCOMPARE(fixture->count(), 1);
    QCOMPARE(listed(), std::set<int>({1}));
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

void tst_delete_guard::only_the_exact_answer_deletes_data()
{
    QTest::addColumn<QString>("answer"); // what the window leaves as its answer
    QTest::addColumn<bool>("deletes");
    QTest::newRow("NO button") << QStringLiteral("cb_ne") << false;
    QTest::newRow("lower case da") << QStringLiteral("da") << false;
    QTest::newRow("DA with a blank") << QStringLiteral("DA ") << false;
    QTest::newRow("YES") << QStringLiteral("YES") << false;
    QTest::newRow("closed without an answer") << QString() << false;
    QTest::newRow("YES button") << QStringLiteral("cb_da") << true;
}

void tst_delete_guard::only_the_exact_answer_deletes()
{
    QFETCH(QString, answer);
    QFETCH(bool, deletes);
    test_support::message_recorder boxes;
    search_for(QString());
    const int row = row_of(2);
    click_row(row);

    yes_no_script::step ends;
    if (answer.startsWith(QLatin1String("cb_")))
        ends = yes_no_script::click(answer);
    else
        ends = [this, answer](QDialog& dialog) {
            if (!answer.isNull())
                app->message->StringParm = answer;
            dialog.done(QDialog::Accepted);
        };
    yes_no_script script({ends});
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QVERIFY(script.done());
    QCOMPARE(script.questions.size(), 1);

    QCOMPARE(fixture->find(2).has_value(), !deletes);
    QCOMPARE(listed(), deletes ? std::set<int>({1, 3}) : std::set<int>({1, 2, 3}));
    if (!deletes) // no refresh: the row stays highlighted
        QCOMPARE(window()->dw_search->selectionModel()->selectedRows().size(), 1);
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.summary()));
}

TARVO_TEST_MAIN(tst_delete_guard)
#include "tst_delete_guard.moc"
