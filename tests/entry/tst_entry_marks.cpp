// The search's marks in the entry window: every place where a criterion matched, in each of the
// five fields, however the entry was opened from the list; F3 and Shift+F3 go round them; the
// marks never count as a change. The result list marks its product and question too.

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTextDocument>
#include <memory>

#include "bracketed_marks.h"
#include "field_marks.h"
#include "window_driver.h"

using test_support::bracket;
using test_support::client;
using test_support::faq_fixture;
using test_support::unbracket;

namespace {

// An entry with its marks written in: the five texts as the window should show them marked.
struct marked_entry {
    QString adresa, pitanje, proizvod, lot, odgovor;
};

// The five fields of the window with their texts as marked.
QList<std::pair<QWidget*, QString>> marked_fields(const w_main* w)
{
    const auto marked = [w](QWidget* control, const QString& text) {
        return std::pair{control, bracket(text, w->marks_shown->shown_in(control))};
    };
    return {marked(w->mle_adresa, w->mle_adresa->text()), marked(w->mle_question, w->mle_question->text()),
            marked(w->em_lot, w->em_lot->text()), marked(w->em_proizvod, w->em_proizvod->text()),
            marked(w->mle_odgovor, w->mle_odgovor->text())};
}

// What is selected in the field that has the focus.
QString focused_selection()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus))
        return focus->objectName() + QLatin1Char(':') + line->selectedText();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(focus))
        return focus->objectName() + QLatin1Char(':') + edit->textCursor().selectedText();
    return {};
}

} // namespace

Q_DECLARE_METATYPE(client::criteria)
Q_DECLARE_METATYPE(marked_entry)

class tst_entry_marks : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

    // Stores the entry as rbr 1 (the texts without their brackets).
    void store(const marked_entry& e)
    {
        fixture->insert(1, unbracket(e.adresa).text, unbracket(e.pitanje).text, QStringLiteral("01/15/2001"),
                        unbracket(e.proizvod).text, unbracket(e.lot).text, unbracket(e.odgovor).text);
    }

private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init() { fixture->recreate_table(); }

    void every_field_shows_the_criteria_marked_data();
    void every_field_shows_the_criteria_marked();
    void f3_goes_round_the_marks();
    void marks_are_no_change();
    void answer_scrolls_to_its_first_mark();
    void result_list_marks_product_and_question();
};

void tst_entry_marks::every_field_shows_the_criteria_marked_data()
{
    QTest::addColumn<client::criteria>("criteria");
    QTest::addColumn<QString>("how");
    QTest::addColumn<marked_entry>("entry");
    QTest::newRow("one field, double-click")
        << client::criteria{"PUMP", {}, "Question", {}, {}} << "double-click"
        << marked_entry{"pump, valve", "Why does the [pump] stop?", "Pump P-1", "LOT-7", "Check the pump."};
    QTest::newRow("All, several places, View")
        << client::criteria{"pump", {}, "All", {}, {}} << "View"
        << marked_entry{"[pump], valve", "Why does the [pump] stop?", "[Pump] P-1", "LOT-7", "Check the [pump]."};
    QTest::newRow("wildcards, Enter") << client::criteria{"p_mp%-1", {}, "All", {}, {}} << "Enter"
                                      << marked_entry{"pump, valve", "Why does the pump stop?", "[Pump P-1]", "LOT-7",
                                                      "Check the pump."};
    QTest::newRow("percent across a line break")
        << client::criteria{"check%now", {}, "Answer", {}, {}} << "double-click"
        << marked_entry{"pump", "Why?", "Pump", "LOT-7", "[Check the pump\nnow], and again now"};
    QTest::newRow("Croatian letters in either case")
        << client::criteria{"šum", {}, "All", {}, {}} << "double-click"
        << marked_entry{"[ŠUM], buka", "Odakle [šum]?", "Pumpa", "LOT-[Šum]", "[Šum] pumpe, a ne sum."};
    QTest::newRow("AND: both criteria") << client::criteria{"pump", "lot-7", "Question", "LOT", "AND"} << "double-click"
                                        << marked_entry{"pump, valve", "Why does the [pump] stop?", "Pump P-1",
                                                        "[LOT-7]", "Check the pump."};
    QTest::newRow("NOT: the second unmarked")
        << client::criteria{"pump", "valve", "Question", "Answer", "NOT"} << "double-click"
        << marked_entry{"pump, valve", "Why does the [pump] stop?", "Pump P-1", "LOT-7", "Check the pump."};
}

void tst_entry_marks::every_field_shows_the_criteria_marked()
{
    QFETCH(client::criteria, criteria);
    QFETCH(QString, how);
    QFETCH(marked_entry, entry);
    store(entry);
    client c;
    c.search(criteria);
    QCOMPARE(c.listed_rows(), 1);
    if (how == QLatin1String("View")) {
        c.view(1);
    } else if (how == QLatin1String("Enter")) {
        c.click_row(1);
        test_support::focus(c.list_view());
        QTest::keyClick(c.list_view(), Qt::Key_Return);
    } else {
        c.double_click_row(1);
    }
    w_main* w = c.entry_window();
    QVERIFY(w != nullptr);
    const QStringList expected{entry.adresa, entry.pitanje, entry.lot, entry.proizvod, entry.odgovor};
    const auto shown = marked_fields(w);
    for (qsizetype i = 0; i < shown.size(); ++i)
        QCOMPARE(shown[i].first->objectName() + QLatin1Char(':') + shown[i].second,
                 shown[i].first->objectName() + QLatin1Char(':') + expected[i]);

    // A new entry opened afterwards in the same window shows no marks.
    QTest::mouseClick(c.search_window()->cb_new, Qt::LeftButton);
    for (const auto& [control, text] : marked_fields(w))
        QVERIFY2(!text.contains(QLatin1Char('[')), qPrintable(control->objectName()));
}

void tst_entry_marks::f3_goes_round_the_marks()
{
    fixture->insert(1, QStringLiteral("noise"), QStringLiteral("noise at start"), QStringLiteral("01/15/2001"),
                    QStringLiteral("Fan F-2"), QStringLiteral("LOT-1"), QStringLiteral("Loud NOISE, then noise."));
    client c;
    c.search({QStringLiteral("noise"), {}, QStringLiteral("All"), {}, {}});
    c.double_click_row(1);
    w_main* w = c.entry_window();
    QVERIFY(w != nullptr);
    QTRY_VERIFY(w->isActiveWindow());
    const QStringList forward{"mle_adresa:noise", "mle_question:noise", "mle_odgovor:NOISE", "mle_odgovor:noise"};
    QStringList visited;
    for (int i = 0; i < forward.size() + 1; ++i) {
        test_support::press(Qt::Key_F3);
        visited << focused_selection();
    }
    QCOMPARE(visited, forward + QStringList{forward.first()}); // round from the last to the first
    visited.clear();
    for (int i = 0; i < 2; ++i) {
        test_support::press(Qt::Key_F3, Qt::ShiftModifier);
        visited << focused_selection();
    }
    QCOMPARE(visited, (QStringList{forward.last(), forward[2]})); // back round from the first to the last
    QVERIFY(!w->has_unsaved_changes());
}

void tst_entry_marks::marks_are_no_change()
{
    const marked_entry e{"[pump]", "[Pump] stops", "[pump] P-1", "LOT-[pump]", "The [pump] again"};
    store(e);
    client c;
    c.search({QStringLiteral("pump"), {}, QStringLiteral("All"), {}, {}});
    c.double_click_row(1);
    w_main* w = c.entry_window();
    QVERIFY(w != nullptr);
    QCOMPARE(bracket(w->em_proizvod->text(), w->marks_shown->shown_in(w->em_proizvod)), e.proizvod);
    COMPARE_TEXTS(test_support::shown_texts(w), fixture->find(1)->texts());
    QVERIFY(!w->has_unsaved_changes());
    for (QLineEdit* line : {w->em_lot, w->em_proizvod})
        QVERIFY2(!line->isModified() && !line->isUndoAvailable(), qPrintable(line->objectName()));
    for (multiline_edit* edit : {w->mle_adresa, w->mle_question, w->mle_odgovor})
        QVERIFY2(!edit->document()->isUndoAvailable(), qPrintable(edit->objectName()));

    // The shade is drawn: the product field shows the mark's colour, the LOT field (marked
    // further right) too, and an unmarked field none.
    const QColor shade = field_marks::mark_format().background().color();
    const auto shows_shade = [&](QWidget* control) {
        const QImage image = control->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == shade)
                    return true;
        return false;
    };
    QVERIFY(shows_shade(w->em_proizvod));
    QVERIFY(shows_shade(w->em_lot));

    // Editing a marked line drops its marks, and F3 passes over it; the edit is a change.
    test_support::focus(w->em_proizvod);
    w->em_proizvod->end(false);
    test_support::type(w->em_proizvod, QStringLiteral("X"));
    QVERIFY(w->marks_shown->shown_in(w->em_proizvod).empty());
    QVERIFY(!shows_shade(w->em_proizvod));
    QVERIFY(w->has_unsaved_changes());
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        test_support::press(Qt::Key_F3);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"mle_adresa", "mle_question", "em_lot", "mle_odgovor"}));
    w->cb_close->click();
}

void tst_entry_marks::answer_scrolls_to_its_first_mark()
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("Line %1 of the answer.").arg(i);
    lines[150] = QStringLiteral("Replace the bearing here.");
    fixture->insert(1, QStringLiteral("keys"), QStringLiteral("Question"), QStringLiteral("01/15/2001"),
                    QStringLiteral("Pump"), QStringLiteral("LOT-1"), lines.join(QLatin1Char('\n')));
    client c;
    c.search({QStringLiteral("bearing"), {}, QStringLiteral("Answer"), {}, {}});
    c.double_click_row(1);
    w_main* w = c.entry_window();
    QVERIFY(w != nullptr);
    QTRY_VERIFY(w->isVisible());
    QVERIFY(w->mle_odgovor->verticalScrollBar()->value() > 0);
    QTRY_VERIFY(w->mle_odgovor->viewport()->rect().contains(w->mle_odgovor->cursorRect()));
    // The focus stays where the window puts it.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->mle_adresa));
}

void tst_entry_marks::result_list_marks_product_and_question()
{
    fixture->insert_question(1, QStringLiteral("Why is the pump loud?"), QStringLiteral("PUMP P-1"));
    fixture->insert_question(2, QStringLiteral("Noise"), QStringLiteral("Fan"));
    client c;
    c.search({QStringLiteral("noise"), QStringLiteral("pump"), QStringLiteral("Question"), QStringLiteral("All"),
              QStringLiteral("OR")});
    QCOMPARE(c.listed_rows(), 2);
    QStringList shown;
    for (int row = 0; row < 2; ++row)
        for (const int column : {int(dw_pretraga::proizvod_column), int(dw_pretraga::pitanje_column)}) {
            const QModelIndex cell = c.list()->index(row, column);
            shown << bracket(cell.data().toString(), c.list_view()->marks_in(cell));
        }
    shown.sort();
    QCOMPARE(shown, (QStringList{"Fan", "Why is the [pump] loud?", "[Noise]", "[PUMP] P-1"}));
}

TARVO_TEST_MAIN(tst_entry_marks)
#include "tst_entry_marks.moc"
