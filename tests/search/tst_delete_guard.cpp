// "Delete" deletes only the entry the user sees highlighted, and only after the exact answer
// "DA": never the current entry of an earlier search, of a refreshed list, or after a yes/no
// window that ended any other way.

#include <QDialog>
#include <memory>
#include <set>

#include "window_driver.h"

using test_support::yes_no_answerer;

class tst_delete_guard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { user.reset(); }

    void current_entry_no_longer_listed_is_not_deleted();
    void refreshed_list_deletes_nothing_until_a_row_is_chosen();
    void only_the_exact_answer_deletes_data();
    void only_the_exact_answer_deletes();

private:
    w_search* window() const { return app->w_search; }

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user;
    tarvo* app = nullptr;
};

void tst_delete_guard::init()
{
    fixture->recreate_table();
    fixture->insert(1, "pump", "Pump flow drifts", "01/02/2020", "Zelba", "LT-1", "Replace the tubing.");
    fixture->insert(2, "firmware", "Firmware update from USB", "01/02/2020", "HT-550", "FW-5", "Copy the file.");
    fixture->insert(3, "firmware, boot", "Stops at loading firmware", "01/02/2020", "KV-600", "FW-2", "Hold the key.");
    user = std::make_unique<test_support::client>();
    app = &user->app;
}

// Entry 1 clicked, then a search for "firmware" that does not list it: Delete does nothing,
// while View still opens entry 1.
void tst_delete_guard::current_entry_no_longer_listed_is_not_deleted()
{
    user->search_for(QString());
    user->click_row(user->row_of(1));
    QCOMPARE(app->rbr, 1);
    user->search_for(QStringLiteral("firmware"));
    QCOMPARE(user->listed_numbers(), std::set<int>({2, 3}));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QVERIFY(fixture->find(1).has_value());
    QCOMPARE(fixture->count(), 3);
    QCOMPARE(user->listed_numbers(), std::set<int>({2, 3}));

    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QVERIFY(app->w_main);
    QCOMPARE(app->w_main->sle_rbr->text(), QStringLiteral("1"));
    QCOMPARE(app->w_main->mle_question->text(), QStringLiteral("Pump flow drifts"));
}

// The refresh after a delete and after a save highlights nothing: Delete then does nothing,
// until the user chooses a row again.
void tst_delete_guard::refreshed_list_deletes_nothing_until_a_row_is_chosen()
{
    user->search_for(QString());

    user->click_row(user->row_of(2));
    {
        yes_no_answerer yes(QStringLiteral("cb_da"));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
        QVERIFY(!fixture->find(2).has_value());
        QCOMPARE(user->listed_numbers(), std::set<int>({1, 3}));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
    }

    // Entry 3 opened and saved: the refresh clears the highlight.
    user->click_row(user->row_of(3));
    QTest::mouseClick(window()->cb_view, Qt::LeftButton);
    QVERIFY(app->w_main);
    app->w_main->em_lot->setText(QStringLiteral("FW-3"));
    QTest::mouseClick(app->w_main->cb_save, Qt::LeftButton);
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(fixture->find(3)->lot, QStringLiteral("FW-3"));
    QCOMPARE(app->rbr, 3);
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(fixture->count(), 2);
    {
        // Chosen again, it is deleted.
        yes_no_answerer yes(QStringLiteral("cb_da"));
        user->click_row(user->row_of(3));
        QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
    }
    QCOMPARE(fixture->count(), 1);
    QCOMPARE(user->listed_numbers(), std::set<int>({1}));
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
    user->search_for(QString());
    const int row = user->row_of(2);
    user->click_row(row);

    yes_no_answerer::step ends;
    if (answer.startsWith(QLatin1String("cb_")))
        ends = yes_no_answerer::click(answer);
    else
        ends = [this, answer](QDialog& dialog) {
            if (!answer.isNull())
                app->message->StringParm = answer;
            dialog.done(QDialog::Accepted);
        };
    yes_no_answerer script({ends});
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QVERIFY(script.done());
    QCOMPARE(script.questions.size(), 1);

    QCOMPARE(fixture->find(2).has_value(), !deletes);
    QCOMPARE(user->listed_numbers(), deletes ? std::set<int>({1, 3}) : std::set<int>({1, 2, 3}));
    if (!deletes) // no refresh: the row stays highlighted
        QCOMPARE(window()->dw_search->selectionModel()->selectedRows().size(), 1);
}

TARVO_TEST_MAIN(tst_delete_guard)
#include "tst_delete_guard.moc"
