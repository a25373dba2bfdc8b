// The entry window opening: loading an entry, numbering a new one, the window itself, and the
// one window that every "View" and "New FAQ" reuses.

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <memory>

#include "platform.h"
#include "window_driver.h"

using test_support::client;
using test_support::faq_fixture;
using test_support::message_recorder;

class tst_w_main_open : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    void insert_entry(int rbr, const QString& tag)
    {
        fixture->insert(rbr, test_support::sample_entry(tag), QStringLiteral("01/15/2001"));
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init() { fixture->recreate_table(); }

    void window_and_controls();
    void tab_order_follows_the_form();
    void existing_entry_and_missing_number_are_loaded();
    void other_parameters_open_a_new_entry_data();
    void other_parameters_open_a_new_entry();
    void numbering_data();
    void numbering();
    void numbering_stops_at_32767();
    void failed_load_and_numbering_are_reported();
    void duplicate_numbers_show_the_last_row();
    void one_window_is_reloaded();
    void window_is_centred_by_the_search_window();
};

void tst_w_main_open::window_and_controls()
{
    client c;
    w_main* w = c.open_entry(QStringLiteral("0"));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("QUARNEX - ZEMLO Technical Services"));
    QVERIFY(w->isWindow());
    QVERIFY(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(w->size(), QSize(platform::units_to_px_x(3721), platform::units_to_px_y(2132)));

    QCOMPARE(w->cb_save->text(), QStringLiteral("Save"));
    QCOMPARE(w->cb_close->text(), QStringLiteral("Close"));
    QCOMPARE(w->cb_edit->text(), QStringLiteral("Edit FAQ"));
    QCOMPARE(w->st_odgovor->text(), QStringLiteral("Notes:"));
    QCOMPARE(w->st_lot->text(), QStringLiteral("LOT:"));
    QCOMPARE(w->st_pr->text(), QStringLiteral("Product:"));
    QCOMPARE(w->st_qu->text(), QStringLiteral("Question:"));
    QCOMPARE(w->st_ko->text(), QStringLiteral("Keywords:"));
    QVERIFY(w->gb_ram->title().isEmpty());

    // Hidden: the number field and the unused edit button; everything else is shown and editable.
    QVERIFY(w->sle_rbr->isHidden());
    QVERIFY(w->cb_edit->isHidden());
    for (QWidget* shown : std::initializer_list<QWidget*>{w->cb_save, w->cb_close, w->em_lot, w->em_proizvod,
                                                          w->mle_adresa, w->mle_odgovor, w->mle_question})
        QVERIFY2(shown->isVisible() && shown->isEnabled(), qPrintable(shown->objectName()));
    QVERIFY(!w->mle_adresa->isReadOnly() && !w->mle_question->isReadOnly() && !w->mle_odgovor->isReadOnly());
    QVERIFY(!w->em_lot->isReadOnly() && !w->em_proizvod->isReadOnly());

    // Every control is found by its own name.
    for (const char* name : {"sle_rbr", "cb_save", "cb_edit", "st_odgovor", "em_lot", "st_lot", "em_proizvod", "st_pr",
                             "st_qu", "st_ko", "mle_adresa", "cb_close", "gb_ram", "mle_odgovor", "mle_question"})
        QVERIFY2(w->findChild<QWidget*>(QLatin1String(name)), name);

    QCOMPARE(w->mle_odgovor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w->mle_odgovor->font().family(), QStringLiteral("Times New Roman"));
    QCOMPARE(w->mle_odgovor->font().pointSize(), 12);
    QCOMPARE(w->mle_question->font().family(), QStringLiteral("Arial"));
    QCOMPARE(w->mle_question->font().pointSize(), 10);

    // The frame stays behind the controls it frames.
    QCOMPARE(w->childAt(w->cb_save->geometry().center()), static_cast<QWidget*>(w->cb_save));

    // Product and LOT take texts longer than the form was drawn for.
    const QString long_product(40000, QLatin1Char('p'));
    w->em_proizvod->setText(long_product);
    QCOMPARE(w->em_proizvod->text(), long_product);
}

void tst_w_main_open::tab_order_follows_the_form()
{
    client c;
    w_main* w = c.open_entry(QStringLiteral("0"));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->mle_adresa->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->mle_adresa));
    // History… is off for a new entry; Print… is not.
    const QList<QWidget*> expected{w->mle_question, w->em_lot,   w->em_proizvod, w->mle_odgovor,
                                   w->cb_save,      w->cb_close, w->cb_print,    w->mle_adresa};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
}

void tst_w_main_open::existing_entry_and_missing_number_are_loaded()
{
    insert_entry(3, QStringLiteral("three"));
    insert_entry(7, QStringLiteral("seven"));
    client c;
    w_main* w = c.open_entry(QStringLiteral("7"));
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("7"));
    QCOMPARE(w->mle_adresa->toPlainText(), QStringLiteral("seven keywords"));
    QCOMPARE(w->mle_question->toPlainText(), QStringLiteral("seven question"));
    QCOMPARE(w->em_proizvod->text(), QStringLiteral("seven product"));
    QCOMPARE(w->em_lot->text(), QStringLiteral("seven lot"));
    QCOMPARE(w->mle_odgovor->toPlainText(), QStringLiteral("seven answer"));
    QCOMPARE(c.app.rbr, std::int16_t{7});
    QVERIFY(w->isVisible());
    // Loading is a read: no transaction stays open to lock out other clients.
    fixture->exec(QStringLiteral("UPDATE faq SET lot = 'changed elsewhere' WHERE rbr = 7"));

    // A number that no row carries: empty fields, no number, but it is the current entry.
    w = c.open_entry(QStringLiteral("5"));
    QVERIFY(w->sle_rbr->text().isEmpty());
    for (const QString& text : {w->mle_adresa->toPlainText(), w->mle_question->toPlainText(), w->em_proizvod->text(),
                                w->em_lot->text(), w->mle_odgovor->toPlainText()})
        QVERIFY(text.isEmpty());
    QCOMPARE(c.app.rbr, std::int16_t{5});
}

void tst_w_main_open::other_parameters_open_a_new_entry_data()
{
    QTest::addColumn<QString>("parm");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("empty") << QString();
    QTest::newRow("negative") << QStringLiteral("-7");
    QTest::newRow("not a number") << QStringLiteral("abc");
    // Outside 16 bits: 65543 would wrap around to entry 7.
    QTest::newRow("beyond 16 bits") << QStringLiteral("65543");
}

void tst_w_main_open::other_parameters_open_a_new_entry()
{
    QFETCH(QString, parm);
    insert_entry(7, QStringLiteral("seven"));
    insert_entry(41, QStringLiteral("forty-one"));
    client c;
    w_main* w = c.open_entry(parm);
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("42"));
    QVERIFY(w->mle_question->toPlainText().isEmpty());
    QVERIFY(w->em_proizvod->text().isEmpty());
    QCOMPARE(c.app.rbr, std::int16_t{0});
}

void tst_w_main_open::numbering_data()
{
    QTest::addColumn<QList<int>>("stored");
    QTest::addColumn<QString>("number");
    QTest::newRow("empty table") << QList<int>{} << QStringLiteral("1");
    QTest::newRow("largest 41") << QList<int>{5, 41, 12} << QStringLiteral("42");
    QTest::newRow("last free number") << QList<int>{32766} << QStringLiteral("32767");
    // Rows left under 0 or -27008 by failed numberings do not pull new entries below 1.
    QTest::newRow("only numbers below 1") << QList<int>{-27008, 0} << QStringLiteral("1");
    QTest::newRow("largest -1") << QList<int>{-1} << QStringLiteral("1");
    QTest::newRow("only the failure mark") << QList<int>{-27008} << QStringLiteral("1");
}

void tst_w_main_open::numbering()
{
    QFETCH(QList<int>, stored);
    QFETCH(QString, number);
    for (int rbr : stored)
        insert_entry(rbr, QString::number(rbr));
    client c;
    QCOMPARE(c.open_entry(QStringLiteral("0"))->sle_rbr->text(), number);
}

void tst_w_main_open::numbering_stops_at_32767()
{
    message_recorder messages;
    fixture->insert_every_number();
    client c;
    w_main* w = c.open_entry(QStringLiteral("0"));
    QCOMPARE(messages.boxes.size(), 1);
    QCOMPARE(messages.boxes[0].title, QStringLiteral("Error"));
    QVERIFY2(messages.boxes[0].text.contains(QStringLiteral("32767")), qPrintable(messages.summary()));
    QCOMPARE(w->novibroj(), std::optional<std::int16_t>(-27008));
    QVERIFY(w->isVisible());
}

void tst_w_main_open::failed_load_and_numbering_are_reported()
{
    insert_entry(7, QStringLiteral("seven"));
    fixture->exec(QStringLiteral("ALTER TABLE faq RENAME TO faq_away"));
    {
        message_recorder messages;
        client c;
        w_main* w = c.open_entry(QStringLiteral("7"));
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].title, QStringLiteral("DataBase Error!"));
        QVERIFY(messages.boxes[0].text.contains(QStringLiteral("faq")));
        QVERIFY(w->sle_rbr->text().isEmpty());
        QVERIFY(w->mle_question->toPlainText().isEmpty());
        QCOMPARE(c.app.rbr, std::int16_t{7});
        QVERIFY(w->prikazifaq(7) < 0);
    }
    {
        message_recorder messages;
        client c;
        w_main* w = c.open_entry(QStringLiteral("0"));
        QCOMPARE(messages.boxes.size(), 1);
        QCOMPARE(messages.boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(messages.boxes[0].text, QStringLiteral("Database error. NewID failed."));
        QCOMPARE(w->sle_rbr->text(), QStringLiteral("-27008"));
        QVERIFY(w->isVisible());
    }
}

void tst_w_main_open::duplicate_numbers_show_the_last_row()
{
    // A table without a key, as older databases have it.
    fixture->exec(QStringLiteral("DROP TABLE faq"));
    fixture->exec(QStringLiteral("CREATE TABLE faq (rbr INTEGER, adresa TEXT, pitanje TEXT, datum TEXT, proizvod TEXT, "
                                 "lot TEXT, odgovor TEXT)"));
    insert_entry(9, QStringLiteral("first"));
    insert_entry(9, QStringLiteral("second"));
    client c;
    w_main* w = c.open_entry(QStringLiteral("9"));
    QCOMPARE(w->mle_question->toPlainText(), QStringLiteral("second question"));
    QCOMPARE(w->sle_rbr->text(), QStringLiteral("9"));
}

void tst_w_main_open::one_window_is_reloaded()
{
    insert_entry(3, QStringLiteral("three"));
    insert_entry(7, QStringLiteral("seven"));
    client c;
    QPointer<w_main> first = c.open_entry(QStringLiteral("3"));
    first->em_lot->setText(QStringLiteral("typed but not saved"));
    first->move(40, 30);

    {
        // The typed LOT is discarded only after the question.
        test_support::yes_no_answerer yes(QStringLiteral("cb_da"));
        QCOMPARE(c.open_entry(QStringLiteral("7")), first.data());
        QCOMPARE(yes.questions.size(), 1);
    }
    QCOMPARE(first->mle_question->toPlainText(), QStringLiteral("seven question"));
    QCOMPARE(first->em_lot->text(), QStringLiteral("seven lot"));
    QCOMPARE(first->sle_rbr->text(), QStringLiteral("7"));
    QCOMPARE(c.app.rbr, std::int16_t{7});
    QCOMPARE(first->pos(), QPoint(40, 30));

    // From an entry to a new one: the fields are cleared and the new entry is numbered.
    QCOMPARE(c.open_entry(QStringLiteral("0")), first.data());
    QVERIFY(first->mle_question->toPlainText().isEmpty());
    QVERIFY(first->em_lot->text().isEmpty());
    QCOMPARE(first->sle_rbr->text(), QStringLiteral("8"));

    // To a number without a row: nothing of the new entry remains.
    QCOMPARE(c.open_entry(QStringLiteral("5")), first.data());
    QVERIFY(first->sle_rbr->text().isEmpty());

    const QList<w_main*> windows = [] {
        QList<w_main*> found;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* entry = qobject_cast<w_main*>(top); entry != nullptr && entry->isVisible())
                found << entry;
        return found;
    }();
    QCOMPARE(windows.size(), 1);

    first->cb_close->click();
    QTRY_VERIFY(c.app.w_main.isNull());
}

void tst_w_main_open::window_is_centred_by_the_search_window()
{
    client c;
    w_main* w = c.open_entry(QStringLiteral("0"));
    QWidget probe;
    probe.resize(w->size());
    c.app.w_search->centriraj_prozor(&probe);
    QCOMPARE(w->pos(), probe.pos());
}

TARVO_TEST_MAIN(tst_w_main_open)
#include "tst_w_main_open.moc"
