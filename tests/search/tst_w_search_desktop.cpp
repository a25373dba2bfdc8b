// What the search window adds for everyday desktop use: the status line, Enter in a search
// text, and the tooltip of a list row; all on top of the window's own behaviour.

#include <QGroupBox>
#include <QHelpEvent>
#include <QStatusBar>
#include <QTextDocument>
#include <QToolTip>
#include <memory>

#include "platform.h"
#include "window_driver.h"

namespace {

QString plain_text(const QString& rich)
{
    QTextDocument document;
    document.setHtml(rich);
    return document.toPlainText();
}

} // namespace

class tst_w_search_desktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void status_line_counts_the_listed_entries();
    void status_line_sits_below_the_frame();
    void status_line_reports_a_failed_search();
    void failed_connection_shows_in_the_status_line_only();
    void enter_in_either_search_text_searches();
    void enter_elsewhere_does_not_search();
    void tooltip_shows_the_whole_row();

private:
    w_search* window() const { return app->w_search; }
    result_list_view* view() const { return user->list_view(); }
    QString status() const { return window()->st_status->currentMessage(); }
    // Asks the list for the tooltip at a point of its viewport, as the window system does.
    void hover(QPoint position);

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user; // the search window opens in each test
    tarvo* app = nullptr;
};

void tst_w_search_desktop::initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }

void tst_w_search_desktop::init()
{
    fixture->recreate_table();
    user = std::make_unique<test_support::client>(test_support::client::without_search_window);
    app = &user->app;
}

void tst_w_search_desktop::cleanup()
{
    QToolTip::hideText();
    user.reset();
}

void tst_w_search_desktop::hover(QPoint position)
{
    QHelpEvent help(QEvent::ToolTip, position, view()->viewport()->mapToGlobal(position));
    QApplication::sendEvent(view()->viewport(), &help);
}

void tst_w_search_desktop::status_line_counts_the_listed_entries()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    fixture->insert_question(2, QStringLiteral("Pump is loud"));
    fixture->insert_question(3, QStringLiteral("Display stays dark"));
    user->open_search_window();
    // Connected, nothing searched yet: nothing to say.
    QCOMPARE(status(), QString());

    user->search_for(QStringLiteral("dark"));
    QCOMPARE(status(), QStringLiteral("1 entry"));
    user->search_for(QStringLiteral("Pump"));
    QCOMPARE(status(), QStringLiteral("2 entries"));
    user->search_for(QStringLiteral("no such question"));
    QCOMPARE(status(), QStringLiteral("No entries"));
    user->search_for(QString());
    QCOMPARE(status(), QStringLiteral("3 entries"));

    // Every refresh counts too: the one after a confirmed delete.
    user->click_row(1);
    QVERIFY(app->rbr > 0);
    test_support::yes_no_answerer answers(QStringLiteral("cb_da"));
    QTest::mouseClick(window()->cb_delete, Qt::LeftButton);
    QCOMPARE(answers.questions.size(), 1);
    QCOMPARE(fixture->count(), 2);
    QCOMPARE(status(), QStringLiteral("Entry %1 deleted · 2 entries").arg(app->rbr));
    // The next search counts alone again.
    user->search_for(QString());
    QCOMPARE(status(), QStringLiteral("2 entries"));
}

void tst_w_search_desktop::status_line_sits_below_the_frame()
{
    user->open_search_window();
    user->search_for(QString());
    QStatusBar* line = window()->st_status;
    QVERIFY(line->isVisible());
    // Inside the window's own size, under the group box, along the whole bottom edge.
    QCOMPARE(platform::height_in_units(window()), 2132);
    QCOMPARE(line->geometry().bottom(), window()->height() - 1);
    QCOMPARE(line->width(), window()->width());
    QVERIFY(line->y() > window()->gb_1->geometry().bottom());
    QVERIFY(line->height() >= line->fontMetrics().height());

    // A larger window keeps it at the bottom.
    window()->resize(window()->width() + 100, window()->height() + 80);
    QTRY_COMPARE(line->geometry().bottom(), window()->height() - 1);
    QCOMPARE(line->width(), window()->width());
}

void tst_w_search_desktop::status_line_reports_a_failed_search()
{
    fixture->insert_question(1, QStringLiteral("pump"));
    test_support::message_recorder boxes;
    user->open_search_window();
    user->search_for(QString());
    QCOMPARE(status(), QStringLiteral("1 entry"));

    fixture->exec(QStringLiteral("DROP TABLE faq"));
    user->search_for(QStringLiteral("pump"));
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY2(status().startsWith(QStringLiteral("Search failed: ")), qPrintable(status()));
    QVERIFY2(status().contains(QStringLiteral("faq")), qPrintable(status()));
    QVERIFY(!status().contains(QLatin1Char('\n')));
    QCOMPARE(window()->st_status->toolTip(), QStringLiteral("Search failed: ") + boxes.boxes[0].text);

    // The next good search replaces it.
    fixture->recreate_table();
    user->search_for(QStringLiteral("pump"));
    QCOMPARE(status(), QStringLiteral("No entries"));
    QCOMPARE(window()->st_status->toolTip(), QString());
}

void tst_w_search_desktop::failed_connection_shows_in_the_status_line_only()
{
    // The start-up sequence (connect, then open the window) on a data source that is not defined.
    test_support::client user_offline(test_support::client::without_search_window,
                                      QStringLiteral("TARVO_NO_SUCH_SOURCE"));
    tarvo& offline = user_offline.app;
    QVERIFY(!offline.sqlca->connected());
    const QString reason = offline.sqlca->SQLErrText;
    QVERIFY2(reason.contains(QStringLiteral("Data source name not found")), qPrintable(reason));

    user_offline.open_search_window();
    QCOMPARE(offline.w_search->st_status->currentMessage(), QStringLiteral("Not connected: ") + reason.simplified());
    QCOMPARE(offline.w_search->st_status->toolTip(), QStringLiteral("Not connected: ") + reason);

    // A search cannot run either: the box tells it once, the line keeps saying why.
    test_support::message_recorder boxes;
    QTest::mouseClick(offline.w_search->cb_search, Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY2(offline.w_search->st_status->currentMessage().startsWith(QStringLiteral("Not connected: ")),
             qPrintable(offline.w_search->st_status->currentMessage()));
    QCOMPARE(offline.w_search->pretraga->rowCount(), 0);
}

void tst_w_search_desktop::enter_in_either_search_text_searches()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    fixture->insert_question(2, QStringLiteral("Display stays dark"), QStringLiteral("Monitor M-2"));
    user->open_search_window();
    w_search* w = window();

    QTest::keyClicks(w->uo_prvi->sle_trazi, QStringLiteral("Pump"));
    QTest::keyClick(w->uo_prvi->sle_trazi, Qt::Key_Return);
    QCOMPARE(w->pretraga->sql_select(),
             QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE pitanje LIKE '%Pump%'"));
    QCOMPARE(w->pretraga->rowCount(), 1);
    QCOMPARE(status(), QStringLiteral("1 entry"));

    // The second text, with the keypad's Enter: both criteria, joined as for the button.
    w->uo_prvi->sle_trazi->clear();
    QTest::keyClicks(w->uo_drugi->sle_trazi, QStringLiteral("M-2"));
    QTest::keyClick(w->uo_drugi->sle_trazi, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(
        w->pretraga->sql_select(),
        QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq WHERE pitanje LIKE '%M-2%' OR "
                       "proizvod LIKE '%M-2%' OR lot LIKE '%M-2%' OR odgovor LIKE '%M-2%' OR adresa LIKE '%M-2%'"));
    QCOMPARE(w->pretraga->rowCount(), 1);
    QCOMPARE(w->pretraga->item_number(1), 2);

    // Enter presses no button besides: no entry window, no question, and the texts stay.
    QVERIFY(app->w_main.isNull());
    QCOMPARE(w->uo_drugi->sle_trazi->text(), QStringLiteral("M-2"));
}

void tst_w_search_desktop::enter_elsewhere_does_not_search()
{
    fixture->insert_question(1, QStringLiteral("Pump does not start"));
    user->open_search_window();
    QTest::keyClick(window()->uo_prvi->ddlb_polje, Qt::Key_Return);
    QTest::keyClick(view(), Qt::Key_Return);
    QCOMPARE(window()->pretraga->rowCount(), 0);
    QCOMPARE(status(), QString());
    QVERIFY(app->w_main.isNull());
}

void tst_w_search_desktop::tooltip_shows_the_whole_row()
{
    const QString question = QStringLiteral("Why does the <pump> & valve stop? ") + QString(300, QLatin1Char('x'))
                             + QStringLiteral("\nSecond line");
    fixture->insert_question(1, question, QStringLiteral("Pump \"P-1\" <deluxe>"));
    fixture->insert_question(2, QStringLiteral("Short one"), QStringLiteral("Monitor M-2"));
    user->open_search_window();
    user->search_for(QString());
    QCOMPARE(window()->pretraga->rowCount(), 2);
    const int long_row = window()->pretraga->item_number(1) == 1 ? 0 : 1;
    const QString expected =
        QStringLiteral("Product: Pump \"P-1\" <deluxe>\nQuestion: Why does the <pump> & valve stop? ")
        + QString(300, QLatin1Char('x')) + QStringLiteral("\nSecond line");

    // Over the product, and over the question, of the same row: the same whole text.
    for (int column : {int(dw_pretraga::proizvod_column), int(dw_pretraga::pitanje_column)}) {
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        const QRect cell = view()->visualRect(window()->pretraga->index(long_row, column));
        QVERIFY(!cell.isEmpty());
        hover(cell.center());
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(plain_text(QToolTip::text()), expected);
    }

    // Another row, another text.
    hover(view()->visualRect(window()->pretraga->index(1 - long_row, dw_pretraga::proizvod_column)).center());
    QTRY_COMPARE(plain_text(QToolTip::text()), QStringLiteral("Product: Monitor M-2\nQuestion: Short one"));

    // Below the rows there is nothing to tell.
    hover(QPoint(20, view()->viewport()->height() - 5));
    QTRY_VERIFY(!QToolTip::isVisible());
}

TARVO_TEST_MAIN(tst_w_search_desktop)
#include "tst_w_search_desktop.moc"
