// The entry window from the keyboard: Ctrl+S saves from any field, Enter presses the focused
// button, and Enter in a text box stays a line break.

#include <QApplication>
#include <QSignalSpy>
#include <memory>

#include "window_driver.h"

using test_support::client;
using test_support::faq_fixture;
using test_support::focus;

class tst_w_main_keys : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    static w_main* open_active(client& c, const QString& parm)
    {
        w_main* w = c.open_entry(parm);
        if (!QTest::qWaitForWindowActive(w))
            return nullptr;
        return w;
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init()
    {
        fixture->recreate_table();
        fixture->insert(7, QStringLiteral("keys"), QStringLiteral("question"), QStringLiteral("01/02/2020"),
                        QStringLiteral("product"), QStringLiteral("lot"), QStringLiteral("answer"));
    }

    void ctrl_s_saves_from_any_field_data();
    void ctrl_s_saves_from_any_field();
    void enter_presses_the_focused_button();
    void enter_in_a_text_box_presses_nothing();
};

void tst_w_main_keys::ctrl_s_saves_from_any_field_data()
{
    QTest::addColumn<QString>("field");
    for (const char* field : {"mle_adresa", "mle_question", "em_lot", "em_proizvod", "mle_odgovor"})
        QTest::newRow(field) << QString::fromLatin1(field);
}

void tst_w_main_keys::ctrl_s_saves_from_any_field()
{
    QFETCH(QString, field);
    client c;
    w_main* w = open_active(c, QStringLiteral("0"));
    QVERIFY(w != nullptr);
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("8"));
    QSignalSpy saved(w, &w_main::saved);

    auto* edit = w->findChild<QWidget*>(field);
    QVERIFY(edit != nullptr);
    focus(edit);
    QTest::keyClicks(edit, QStringLiteral("typed"));
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);

    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toInt(), 8);
    QTRY_VERIFY(c.app.w_main.isNull());
    const auto row = fixture->find(8);
    QVERIFY(row);
    const QString stored = field == QLatin1String("mle_adresa")     ? row->adresa
                           : field == QLatin1String("mle_question") ? row->pitanje
                           : field == QLatin1String("em_lot")       ? row->lot
                           : field == QLatin1String("em_proizvod")  ? row->proizvod
                                                                    : row->odgovor;
    QCOMPARE(stored, QStringLiteral("typed"));
    QCOMPARE(c.listed_rows(), 2);
}

void tst_w_main_keys::enter_presses_the_focused_button()
{
    {
        // Enter on Save: the loaded entry is written back with the change.
        client c;
        w_main* w = open_active(c, QStringLiteral("7"));
        QVERIFY(w != nullptr);
        QSignalSpy saved(w, &w_main::saved);
        w->mle_odgovor->setPlainText(QStringLiteral("changed"));
        focus(w->cb_save);
        QTest::keyClick(w->cb_save, Qt::Key_Return);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toInt(), 7);
        QTRY_VERIFY(c.app.w_main.isNull());
        QCOMPARE(fixture->find(7)->odgovor, QStringLiteral("changed"));
    }
    {
        // The keypad's Enter on Close: the window goes, nothing is written.
        client c;
        w_main* w = open_active(c, QStringLiteral("7"));
        QVERIFY(w != nullptr);
        w->mle_odgovor->setPlainText(QStringLiteral("not to be stored"));
        focus(w->cb_close);
        QVERIFY(!w->cb_close->isDefault() && !w->cb_save->isDefault());
        QTest::keyClick(w->cb_close, Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_VERIFY(c.app.w_main.isNull());
        QCOMPARE(fixture->find(7)->odgovor, QStringLiteral("changed"));
        QCOMPARE(fixture->count(), 1);
    }
}

void tst_w_main_keys::enter_in_a_text_box_presses_nothing()
{
    client c;
    w_main* w = open_active(c, QStringLiteral("7"));
    QVERIFY(w != nullptr);
    QSignalSpy saved(w, &w_main::saved);

    // In a multi-line box it is a line break; in a one-line box it does nothing.
    focus(w->mle_question);
    QTest::keyClick(w->mle_question, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(w->mle_question, Qt::Key_Return);
    QTest::keyClicks(w->mle_question, QStringLiteral("more"));
    QCOMPARE(w->mle_question->text(), QStringLiteral("question\nmore"));
    focus(w->em_lot);
    QTest::keyClick(w->em_lot, Qt::Key_Return);
    QTest::keyClick(w->em_lot, Qt::Key_Enter, Qt::KeypadModifier);

    QCOMPARE(saved.count(), 0);
    QVERIFY(!c.app.w_main.isNull());
    QVERIFY(w->isVisible());
    QCOMPARE(fixture->find(7)->pitanje, QStringLiteral("question"));
}

TARVO_TEST_MAIN(tst_w_main_keys)
#include "tst_w_main_keys.moc"
