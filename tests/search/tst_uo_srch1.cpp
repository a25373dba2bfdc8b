// The criterion control on its own: starting selections, the sorted field list, izaberi_tip.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "unexpected_dialogs.h"
#include "uo_srch1.h"

namespace {

QStringList captions(const QComboBox* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result << list->itemText(i);
    return result;
}

} // namespace

class tst_uo_srch1 : public QObject {
    Q_OBJECT
private slots:
    void starts_on_address_and_and();
    void lists_hold_their_captions_in_order();
    void izaberi_tip_counts_the_sorted_list();
    void izaberi_tip_ignores_numbers_outside_the_list();
    void lists_take_no_typing();
    void tab_order_runs_left_to_right();
};

void tst_uo_srch1::starts_on_address_and_and()
{
    uo_srch1 control;
    QCOMPARE(control.ddlb_polje->currentText(), QStringLiteral("Address"));
    QCOMPARE(control.ddlb_veza->currentText(), QStringLiteral("AND"));
    QCOMPARE(control.sle_trazi->text(), QString());
    QVERIFY(!control.ddlb_veza->isHidden());
}

void tst_uo_srch1::lists_hold_their_captions_in_order()
{
    uo_srch1 control;
    QCOMPARE(captions(control.ddlb_polje),
             QStringList({"Address", "All", "Answer", "Keyword", "LOT", "Product", "Question"}));
    // The connector list is not sorted: "NOT" stays third.
    QCOMPARE(captions(control.ddlb_veza), QStringList({"AND", "OR", "NOT"}));
}

void tst_uo_srch1::izaberi_tip_counts_the_sorted_list()
{
    uo_srch1 control;
    control.izaberi_tip(7);
    QCOMPARE(control.ddlb_polje->currentText(), QStringLiteral("Question"));
    control.izaberi_tip(2);
    QCOMPARE(control.ddlb_polje->currentText(), QStringLiteral("All"));
    control.izaberi_tip(1);
    QCOMPARE(control.ddlb_polje->currentText(), QStringLiteral("Address"));
}

void tst_uo_srch1::izaberi_tip_ignores_numbers_outside_the_list()
{
    uo_srch1 control;
    control.izaberi_tip(5);
    for (const std::int16_t koji :
         {std::int16_t{0}, std::int16_t{-1}, std::int16_t{8}, std::int16_t{32767}, std::int16_t{-32768}}) {
        control.izaberi_tip(koji);
        QCOMPARE(control.ddlb_polje->currentText(), QStringLiteral("LOT"));
    }
}

void tst_uo_srch1::lists_take_no_typing()
{
    uo_srch1 control;
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    for (QComboBox* list : {control.ddlb_polje, control.ddlb_veza}) {
        const QString before = list->currentText();
        QVERIFY(!list->isEditable());
        QTest::keyClicks(list, QStringLiteral("zzz"));
        QCOMPARE(list->currentText(), before);
    }
}

void tst_uo_srch1::tab_order_runs_left_to_right()
{
    uo_srch1 control;
    control.show();
    control.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&control));
    control.sle_trazi->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(control.sle_trazi));
    for (QWidget* next : {static_cast<QWidget*>(control.ddlb_polje), static_cast<QWidget*>(control.ddlb_veza),
                          static_cast<QWidget*>(control.sle_trazi)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QVERIFY(control.sle_trazi->x() < control.ddlb_polje->x());
    QVERIFY(control.ddlb_polje->x() < control.ddlb_veza->x());
}

TARVO_TEST_MAIN(tst_uo_srch1)
#include "tst_uo_srch1.moc"
