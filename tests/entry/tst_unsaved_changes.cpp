// Nothing typed in the entry window is dropped without a question: opening another entry
// ("View", a double-click, "New FAQ") over unsaved changes, and closing the search window while
// the entry window holds them, first ask in the yes/no window, and only "DA" discards. The entry
// window's own "Close" asks nothing.

#include <memory>

#include "window_driver.h"

using test_support::yes_no_answerer;

class tst_unsaved_changes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { user.reset(); }

    void opening_another_entry_asks_first_data();
    void opening_another_entry_asks_first();
    void nothing_to_lose_asks_nothing();
    void the_same_entry_keeps_its_changes();
    void closing_the_search_window_asks_first();
    void own_close_asks_nothing();

private:
    w_search* window() const { return app->w_search; }
    w_main* entry() const { return app->w_main; }
    // Opens an entry the way the user named: "view", "double-click" or "new".
    void open_by(const QString& how, int rbr);
    void view(int rbr) { user->view(rbr); }

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user;
    tarvo* app = nullptr;
};

void tst_unsaved_changes::init()
{
    fixture->recreate_table();
    fixture->insert(1, "pump", "Pump flow drifts", "01/02/2020", "Zelba", "LT-1", "Replace the tubing.");
    fixture->insert(2, "firmware", "Firmware update from USB", "01/02/2020", "HT-550", "FW-5", "Copy the file.");
    user = std::make_unique<test_support::client>();
    app = &user->app;
    QTest::mouseClick(window()->cb_search, Qt::LeftButton);
    QCOMPARE(window()->pretraga->rowCount(), 2);
}

void tst_unsaved_changes::open_by(const QString& how, int rbr)
{
    if (how == QLatin1String("new"))
        QTest::mouseClick(window()->cb_new, Qt::LeftButton);
    else if (how == QLatin1String("double-click"))
        user->double_click_row(user->row_of(rbr));
    else
        view(rbr);
}

void tst_unsaved_changes::opening_another_entry_asks_first_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("field"); // where the user typed
    QTest::newRow("View, LOT typed") << QStringLiteral("view") << QStringLiteral("em_lot");
    QTest::newRow("double-click, answer typed") << QStringLiteral("double-click") << QStringLiteral("mle_odgovor");
    QTest::newRow("New FAQ, question typed") << QStringLiteral("new") << QStringLiteral("mle_question");
}

void tst_unsaved_changes::opening_another_entry_asks_first()
{
    QFETCH(QString, how);
    QFETCH(QString, field);
    view(1);
    QVERIFY(entry());
    QWidget* typed_into = entry()->findChild<QWidget*>(field);
    QVERIFY(typed_into);
    QTest::keyClicks(typed_into, QStringLiteral(" (checked)"));
    const auto typed = [this] {
        return entry()->em_lot->text() + entry()->mle_question->text() + entry()->mle_odgovor->text();
    };
    const QString with_changes = typed();
    QVERIFY(with_changes.contains(QStringLiteral(" (checked)")));

    // "NO": the entry window keeps the entry and what was typed into it.
    {
        yes_no_answerer no(QStringLiteral("cb_ne"));
        open_by(how, 2);
        QCOMPARE(no.questions.size(), 1);
        QVERIFY(!no.questions.first().trimmed().isEmpty());
    }
    QVERIFY(entry() && entry()->isVisible());
    QCOMPARE(entry()->sle_rbr->text(), QStringLiteral("1"));
    QCOMPARE(typed(), with_changes);

    // "YES": the other entry replaces it.
    {
        yes_no_answerer yes(QStringLiteral("cb_da"));
        open_by(how, 2);
        QCOMPARE(yes.questions.size(), 1);
    }
    QCOMPARE(entry()->sle_rbr->text(), how == QLatin1String("new") ? QStringLiteral("3") : QStringLiteral("2"));
    QVERIFY(!typed().contains(QStringLiteral(" (checked)")));
    QCOMPARE(fixture->find(1)->lot, QStringLiteral("LT-1"));
}

// An entry as loaded, or with an edit the user took back, holds nothing to lose: another entry
// opens without a question (an unexpected yes/no window fails the test).
void tst_unsaved_changes::nothing_to_lose_asks_nothing()
{
    view(1);
    view(2);
    QCOMPARE(entry()->sle_rbr->text(), QStringLiteral("2"));

    QTest::keyClicks(entry()->em_lot, QStringLiteral("x"));
    QTest::keyClick(entry()->em_lot, Qt::Key_Backspace);
    entry()->mle_odgovor->moveCursor(QTextCursor::End);
    QTest::keyClick(entry()->mle_odgovor, Qt::Key_Return);
    QTest::keyClicks(entry()->mle_odgovor, QStringLiteral("y"));
    QTest::keyClick(entry()->mle_odgovor, Qt::Key_Backspace);
    QTest::keyClick(entry()->mle_odgovor, Qt::Key_Backspace);
    view(1);
    QCOMPARE(entry()->sle_rbr->text(), QStringLiteral("1"));

    // A new entry left empty.
    open_by(QStringLiteral("new"), 0);
    QCOMPARE(entry()->sle_rbr->text(), QStringLiteral("3"));
    view(2);
    QCOMPARE(entry()->sle_rbr->text(), QStringLiteral("2"));
}

// Viewing the entry that holds the changes again brings it to the front with the changes kept:
// nothing would be gained by reloading it over them.
void tst_unsaved_changes::the_same_entry_keeps_its_changes()
{
    view(1);
    QTest::keyClicks(entry()->em_lot, QStringLiteral("-new"));
    view(1);
    QCOMPARE(entry()->em_lot->text(), QStringLiteral("LT-1-new"));
    open_by(QStringLiteral("double-click"), 1);
    QCOMPARE(entry()->em_lot->text(), QStringLiteral("LT-1-new"));
}

void tst_unsaved_changes::closing_the_search_window_asks_first()
{
    view(2);
    entry()->mle_adresa->moveCursor(QTextCursor::End);
    QTest::keyClicks(entry()->mle_adresa, QStringLiteral(", stick"));
    {
        yes_no_answerer no(QStringLiteral("cb_ne"));
        QTest::mouseClick(window()->cb_close, Qt::LeftButton);
        QCOMPARE(no.questions.size(), 1);
    }
    QVERIFY(window()->isVisible());
    QVERIFY(entry() && entry()->isVisible());
    QCOMPARE(entry()->mle_adresa->text(), QStringLiteral("firmware, stick"));

    // The window system's close asks the same.
    {
        yes_no_answerer no(QStringLiteral("cb_ne"));
        window()->close();
        QCOMPARE(no.questions.size(), 1);
    }
    QVERIFY(window()->isVisible());

    {
        yes_no_answerer yes(QStringLiteral("cb_da"));
        QTest::mouseClick(window()->cb_close, Qt::LeftButton);
        QCOMPARE(yes.questions.size(), 1);
    }
    QVERIFY(!window()->isVisible());
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(fixture->find(2)->adresa, QStringLiteral("firmware"));
}

void tst_unsaved_changes::own_close_asks_nothing()
{
    view(1);
    QTest::keyClicks(entry()->mle_question, QStringLiteral("?"));
    QTest::mouseClick(entry()->cb_close, Qt::LeftButton);
    QTRY_VERIFY(app->w_main.isNull());
    QCOMPARE(fixture->find(1)->pitanje, QStringLiteral("Pump flow drifts"));

    view(2);
    QTest::keyClicks(entry()->em_proizvod, QStringLiteral("!"));
    entry()->close(); // the window system's close of the entry window
    QTRY_VERIFY(app->w_main.isNull());

    // With the entry window gone, the search window closes without a question.
    QTest::mouseClick(window()->cb_close, Qt::LeftButton);
    QVERIFY(!window()->isVisible());
}

TARVO_TEST_MAIN(tst_unsaved_changes)
#include "tst_unsaved_changes.moc"
