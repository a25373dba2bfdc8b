// The yes/no window: the question as received, its two answers, the default button, and no
// way out but the buttons.

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <memory>
#include <utility>

#include "centring.h"
#include "platform.h"
#include "w_da_ne.h"
#include "window_driver.h"

using test_support::delete_question;
using test_support::press;
using test_support::yes_no_answerer;

class tst_w_da_ne : public QObject {
    Q_OBJECT
    // Every case here opens the yes/no window itself and answers it.
    test_support::modal_windows_expected yes_no_window;
private slots:
    void init();
    void cleanup();

    void shows_the_question_as_received();
    void answers_through_its_buttons_data();
    void answers_through_its_buttons();
    void enter_answers_the_default_or_focused_button();
    void escape_and_close_do_nothing();
    void closed_without_a_button_never_reads_yes();
    void each_opening_asks_afresh();
    void opens_centred();

private:
    std::unique_ptr<tarvo> app;
};

void tst_w_da_ne::init()
{
    app = std::make_unique<tarvo>();
    app->create();
}

void tst_w_da_ne::cleanup() { app.reset(); }

void tst_w_da_ne::shows_the_question_as_received()
{
    app->message->StringParm = delete_question;
    w_da_ne dialog(*app);

    QCOMPARE(dialog.mle_tekst->toPlainText(), delete_question);
    QVERIFY(dialog.mle_tekst->isReadOnly());
    // The Central European Arial is drawn with the Arial face, not a fallback.
    const QString arial_face = QFontInfo(platform::font(QStringLiteral("Arial"), 12)).family();
    QCOMPARE(QFontInfo(dialog.mle_tekst->font()).family(), arial_face);
    QCOMPARE(QFontInfo(dialog.cb_ne->font()).family(), arial_face);
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.size(), QSize(platform::units_to_px_x(1362), platform::units_to_px_y(556)));

    QCOMPARE(dialog.cb_ne->text(), QStringLiteral("NO"));
    QCOMPARE(dialog.cb_da->text(), QStringLiteral("YES"));
    QVERIFY(dialog.cb_ne->isDefault());
    QVERIFY(!dialog.cb_da->isDefault());
    QVERIFY(dialog.cb_ne->font().bold());
    QVERIFY(dialog.cb_ne->x() < dialog.cb_da->x());
    QVERIFY(dialog.mle_tekst->geometry().bottom() < dialog.cb_ne->y());
    // The frame stays behind: the buttons and the text get the clicks.
    QCOMPARE(dialog.childAt(dialog.cb_da->geometry().center()), static_cast<QWidget*>(dialog.cb_da));
    QCOMPARE(dialog.childAt(dialog.cb_ne->geometry().center()), static_cast<QWidget*>(dialog.cb_ne));
    QVERIFY(dialog.gb_1->geometry().contains(dialog.mle_tekst->geometry()));

    // The leading blanks push the words onto a later line, and every line of words fits the box.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QTextBlock block = dialog.mle_tekst->document()->firstBlock();
    QTRY_VERIFY(block.layout()->lineCount() >= 2);
    int first_line_with_words = -1;
    for (int i = 0; i < block.layout()->lineCount(); ++i) {
        const QTextLine line = block.layout()->lineAt(i);
        if (block.text().mid(line.textStart(), line.textLength()).trimmed().isEmpty())
            continue;
        if (first_line_with_words < 0)
            first_line_with_words = i;
        QVERIFY(line.naturalTextWidth() <= dialog.mle_tekst->viewport()->width());
    }
    QCOMPARE(first_line_with_words, 1);
}

void tst_w_da_ne::answers_through_its_buttons_data()
{
    // clang-format off
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("result");
    QTest::newRow("YES") << delete_question << "cb_da" << "DA" << int(QDialog::Accepted);
    QTest::newRow("NO") << delete_question << "cb_ne" << "NE" << int(QDialog::Rejected);
    QTest::newRow("empty question, YES") << "" << "cb_da" << "DA" << int(QDialog::Accepted);
    // clang-format on
}

void tst_w_da_ne::answers_through_its_buttons()
{
    QFETCH(QString, question);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(int, result);
    app->message->StringParm = question;
    w_da_ne dialog(*app);
    QCOMPARE(dialog.mle_tekst->toPlainText(), question);
    yes_no_answerer answers(button);
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(answers.questions, QStringList{question});
    QCOMPARE(app->message->StringParm, answer);
    QVERIFY(!dialog.isVisible());
}

void tst_w_da_ne::enter_answers_the_default_or_focused_button()
{
    {
        app->message->StringParm = QStringLiteral("Delete?");
        w_da_ne dialog(*app);
        yes_no_answerer enter({[&](QDialog&) {
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.cb_ne));
            press(Qt::Key_Return);
        }});
        dialog.exec();
        QVERIFY(enter.done());
        QCOMPARE(app->message->StringParm, QStringLiteral("NE"));
    }
    {
        app->message->StringParm = QStringLiteral("Delete?");
        w_da_ne dialog(*app);
        yes_no_answerer enter({[&](QDialog&) {
            dialog.cb_da->setFocus();
            press(Qt::Key_Enter);
        }});
        dialog.exec();
        QVERIFY(enter.done());
        QCOMPARE(app->message->StringParm, QStringLiteral("DA"));
    }
    // The keypad's Enter as the keyboard sends it: the focused button, and the default again once
    // the focus is back on it.
    for (const auto& [focus_yes, answer] : {std::pair{true, "DA"}, std::pair{false, "NE"}}) {
        app->message->StringParm = QStringLiteral("Delete?");
        w_da_ne dialog(*app);
        yes_no_answerer enter({[&, focus_yes = focus_yes](QDialog&) {
            dialog.cb_da->setFocus();
            if (!focus_yes)
                dialog.cb_ne->setFocus();
            press(Qt::Key_Enter, Qt::KeypadModifier);
        }});
        dialog.exec();
        QVERIFY(enter.done());
        QCOMPARE(app->message->StringParm, QString::fromLatin1(answer));
    }
}

void tst_w_da_ne::escape_and_close_do_nothing()
{
    app->message->StringParm = QStringLiteral("Delete?");
    w_da_ne dialog(*app);
    bool open_after_escape = false;
    bool open_after_close = false;
    yes_no_answerer escape({[&](QDialog&) {
        press(Qt::Key_Escape);
        open_after_escape = dialog.isVisible();
        dialog.close();
        open_after_close = dialog.isVisible();
        QTest::mouseClick(dialog.cb_ne, Qt::LeftButton);
    }});
    dialog.exec();
    QVERIFY(escape.done());
    QVERIFY(open_after_escape);
    QVERIFY(open_after_close);
    QCOMPARE(app->message->StringParm, QStringLiteral("NE"));
}

void tst_w_da_ne::closed_without_a_button_never_reads_yes()
{
    // Even a question that reads "DA" is no answer.
    app->message->StringParm = QStringLiteral("DA");
    {
        w_da_ne dialog(*app);
        QCOMPARE(dialog.mle_tekst->toPlainText(), QStringLiteral("DA"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    QVERIFY(app->message->StringParm != QLatin1String("DA"));
}

void tst_w_da_ne::each_opening_asks_afresh()
{
    // What the message object held while each window was up, before its answer.
    QStringList pending_answers;
    const auto note_then_yes = [&](QDialog& dialog) {
        pending_answers << app->message->StringParm;
        yes_no_answerer::click(QStringLiteral("cb_da"))(dialog);
    };
    yes_no_answerer answers({note_then_yes, note_then_yes});

    app->open_w_da_ne(QStringLiteral("First question?"));
    QCOMPARE(answers.questions, QStringList{QStringLiteral("First question?")});
    QCOMPARE(app->message->StringParm, QStringLiteral("DA"));

    app->open_w_da_ne(QStringLiteral("Second question?"));
    QCOMPARE(answers.questions.size(), 2);
    QCOMPARE(answers.questions.last(), QStringLiteral("Second question?"));
    QVERIFY(pending_answers.last() != QLatin1String("DA")); // the first answer did not carry over
    QCOMPARE(app->message->StringParm, QStringLiteral("DA"));
    QVERIFY(answers.done());
}

void tst_w_da_ne::opens_centred()
{
    platform::environment env;
    const auto centre = platform::centred_position(platform::get_environment(env), env,
                                                   platform::px_to_units_x(platform::units_to_px_x(1362)),
                                                   platform::px_to_units_y(platform::units_to_px_y(556)));
    QVERIFY(centre.has_value());
    const QPoint expected(platform::units_to_px_x(centre->x), platform::units_to_px_y(centre->y));
    QVERIFY(expected != QPoint(0, 0));

    {
        w_da_ne dialog(*app);
        QCOMPARE(dialog.pos(), expected);
    }
    app->w_search = new w_search(*app);
    w_da_ne dialog(*app, app->w_search);
    QCOMPARE(dialog.pos(), expected);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.pos(), expected); // showing does not move it back over its parent
}

TARVO_TEST_MAIN(tst_w_da_ne)
#include "tst_w_da_ne.moc"
