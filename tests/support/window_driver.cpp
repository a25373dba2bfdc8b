#include "window_driver.h"

#include <QApplication>
#include <QHeaderView>
#include <algorithm>
#include <atomic>

namespace test_support {

const QString delete_question = QString(54, QLatin1Char(' ')) + QStringLiteral("Would you like to delete FAQ entry?");

namespace {

bool is_ascii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

void fail(const QString& what) { QTest::qFail(qPrintable(what), __FILE__, __LINE__); }

void choose(QComboBox* list, const QString& caption)
{
    if (caption.isEmpty())
        return;
    const int index = list->findText(caption);
    if (index < 0)
        fail(QStringLiteral("%1 has no caption \"%2\"").arg(list->objectName(), caption));
    list->setCurrentIndex(index);
}

} // namespace

void type(QWidget* widget, const QString& text)
{
    if (is_ascii(text)) {
        QTest::keyClicks(widget, text);
        return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
        i += length - 1;
    }
}

void focus(QWidget* widget)
{
    // The user goes back to the widget's window first (another may have come to the front).
    if (!widget->window()->isActiveWindow()) {
        widget->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(widget->window()));
    }
    widget->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), widget);
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr)
        target = QApplication::activeWindow();
    QVERIFY2(target != nullptr, "no window has the keyboard");
    QTest::keyClick(target, key, modifiers);
}

void double_click(QWidget* widget, QPoint position)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

statements::entry_texts shown_texts(const w_main* window)
{
    const auto text_of = [window](const char* name) {
        const QString control = QLatin1String(name);
        if (const auto* edit = window->findChild<multiline_edit*>(control))
            return edit->text();
        return named<QLineEdit>(window, control)->text();
    };
    return {text_of("mle_adresa"), text_of("mle_question"), text_of("em_proizvod"), text_of("em_lot"),
            text_of("mle_odgovor")};
}

void set_texts(w_main* window, const statements::entry_texts& entry)
{
    named<multiline_edit>(window, QStringLiteral("mle_adresa"))->setPlainText(entry.adresa);
    named<multiline_edit>(window, QStringLiteral("mle_question"))->setPlainText(entry.pitanje);
    named<QLineEdit>(window, QStringLiteral("em_proizvod"))->setText(entry.proizvod);
    named<QLineEdit>(window, QStringLiteral("em_lot"))->setText(entry.lot);
    named<multiline_edit>(window, QStringLiteral("mle_odgovor"))->setPlainText(entry.odgovor);
}

client::client(start how, const QString& data_source)
{
    // Several clients in one process: each needs a connection name of its own.
    static std::atomic<int> clients{0};
    app.connection_name = QStringLiteral("sqlca_client_%1").arg(++clients);
    app.create();
    if (data_source == QLatin1String("FAQ")) {
        app.connect_sqlca();
    } else {
        app.sqlca->DBMS = QStringLiteral("ODBC");
        app.sqlca->AutoCommit = false;
        app.sqlca->DBParm = QStringLiteral("ConnectString='DSN=%1;UID=mirt;PWD=mirt'").arg(data_source);
        app.sqlca->connect();
    }
    if (how == with_search_window)
        open_search_window();
}

void client::open_search_window()
{
    app.w_search = new w_search(app);
    app.w_search->show();
    if (!QTest::qWaitForWindowExposed(app.w_search))
        fail(QStringLiteral("the search window did not come up"));
}

result_list_view* client::list_view() const
{
    return named<result_list_view>(search_window(), QStringLiteral("dw_search"));
}

dw_pretraga* client::list() const { return named<dw_pretraga>(search_window(), QStringLiteral("dw_pretraga")); }

void client::search(const criteria& wanted)
{
    auto* first = named<uo_srch1>(search_window(), QStringLiteral("uo_prvi"));
    auto* second = named<uo_srch1>(search_window(), QStringLiteral("uo_drugi"));
    choose(named<QComboBox>(first, QStringLiteral("ddlb_polje")), wanted.field1);
    choose(named<QComboBox>(second, QStringLiteral("ddlb_polje")), wanted.field2);
    choose(named<QComboBox>(first, QStringLiteral("ddlb_veza")), wanted.connector);
    for (const auto& [criterion, text] : {std::pair{first, wanted.text1}, std::pair{second, wanted.text2}}) {
        auto* edit = named<QLineEdit>(criterion, QStringLiteral("sle_trazi"));
        edit->clear();
        type(edit, text);
    }
    QTest::mouseClick(named<QPushButton>(search_window(), QStringLiteral("cb_search")), Qt::LeftButton);
}

void client::search_for(const QString& text1, const QString& text2) { search({text1, text2, {}, {}, {}}); }

int client::listed_rows() const { return search_window() != nullptr ? list()->rowCount() : -1; }

std::set<int> client::listed_numbers() const
{
    std::set<int> numbers;
    for (const statements::list_row& row : list()->rows())
        numbers.insert(row.rbr.value_or(0));
    return numbers;
}

int client::row_of(int rbr) const
{
    for (int row = 1; row <= list()->rowCount(); ++row)
        if (list()->item_number(row) == rbr)
            return row;
    return 0;
}

QPoint client::row_centre(int row) const
{
    return list_view()->visualRect(list()->index(row - 1, dw_pretraga::proizvod_column)).center();
}

QList<int> client::highlighted_rows() const
{
    QList<int> rows;
    for (const QModelIndex& index : list_view()->selectionModel()->selectedRows())
        rows << index.row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void client::show_row(int row)
{
    const QRect cell = list_view()->visualRect(list()->index(row - 1, dw_pretraga::proizvod_column));
    if (cell.top() < 0 || cell.bottom() >= list_view()->viewport()->height())
        list_view()->scrollTo(list()->index(row - 1, dw_pretraga::proizvod_column));
}

void client::click_row(int row)
{
    show_row(row);
    QTest::mouseClick(list_view()->viewport(), Qt::LeftButton, {}, row_centre(row));
}

void client::double_click_row(int row)
{
    show_row(row);
    double_click(list_view()->viewport(), row_centre(row));
}

void client::click_header()
{
    QTest::mouseClick(list_view()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
}

void client::double_click_header() { double_click(list_view()->horizontalHeader()->viewport(), QPoint(30, 5)); }

void client::click_below_rows()
{
    QWidget* rows = list_view()->viewport();
    const QRect last = list_view()->visualRect(list()->index(list()->rowCount() - 1, dw_pretraga::proizvod_column));
    QVERIFY2(last.bottom() + 10 < rows->height(), "no empty area below the rows");
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(30, rows->height() - 5));
}

w_main* client::view(int rbr)
{
    const int row = row_of(rbr);
    if (row == 0)
        fail(QStringLiteral("entry %1 is not listed").arg(rbr));
    else
        click_row(row);
    QTest::mouseClick(named<QPushButton>(search_window(), QStringLiteral("cb_view")), Qt::LeftButton);
    return entry_window();
}

w_main* client::open_entry(const QString& parm)
{
    app.open_w_main(parm);
    return entry_window();
}

} // namespace test_support
