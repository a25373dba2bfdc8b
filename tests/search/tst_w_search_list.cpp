// The result list as a user sees it: it never scrolls sideways by itself, a text that does not
// fit ends in "…", and the list grows with the window while everything else keeps its place.

#include <QGroupBox>
#include <QImage>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <memory>

#include "platform.h"
#include "window_driver.h"

namespace {

// Runs of capitals and a text that ends in a tall letter: the ellipsis ("…", three dots on the
// base line) is the only ink at a line's end that stays flat.
const QString long_question = QStringLiteral("Why does the WHEEL PUMP STOP ") + QString(40, QLatin1Char('W'))
                              + QStringLiteral(" AFTER THE SECOND HOUR OF OPERATION AT FULL LOAD T");
const QString long_product = QStringLiteral("PRODUCT ") + QString(60, QLatin1Char('M')) + QStringLiteral("T");

// The ink of one line of text inside a part of an image: its right end, and how high the ink
// stands in the rightmost `tail` columns.
struct line_ink {
    int right = -1;
    int tail_height = 0;
};

bool is_ink(QRgb pixel, QRgb background) { return qAbs(qGray(pixel) - qGray(background)) > 60; }

line_ink ink_in(const QImage& image, const QRect& area, QRgb background, int tail)
{
    line_ink ink;
    for (int x = area.right(); x >= area.left() && ink.right < 0; --x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (is_ink(image.pixel(x, y), background)) {
                ink.right = x;
                break;
            }
    if (ink.right < 0)
        return ink;
    int top = area.bottom() + 1;
    int bottom = area.top() - 1;
    for (int x = std::max(area.left(), ink.right - tail + 1); x <= ink.right; ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (is_ink(image.pixel(x, y), background)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ink.tail_height = bottom - top + 1;
    return ink;
}

// Counts the viewport's paint events and keeps the region of the last one.
class paint_watcher : public QObject {
public:
    explicit paint_watcher(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;
    QRegion last;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            last = static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

QRect designed(int x, int y, int width, int height)
{
    return {platform::units_to_px_x(x), platform::units_to_px_y(y), platform::units_to_px_x(width),
            platform::units_to_px_y(height)};
}

} // namespace

class tst_w_search_list : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void clicks_and_keys_never_scroll_sideways();
    void long_texts_end_in_an_ellipsis();
    void sideways_scroll_repaints_the_whole_list();
    void list_grows_with_the_window();

private:
    // The search window listing every entry.
    void open_window();
    w_search* window() const { return app->w_search; }
    result_list_view* view() const { return user->list_view(); }
    dw_pretraga* list() const { return user->list(); }
    QScrollBar* sideways() const { return view()->horizontalScrollBar(); }
    // The 0-based row of entry rbr; -1 when none lists it.
    int row_of(int rbr) const { return user->row_of(rbr) - 1; }
    QRect cell(int row, int column) const { return view()->visualRect(list()->index(row, column)); }
    // Every control's geometry but the two that grow with the window.
    QList<QRect> fixed_geometries() const;

    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user;
    tarvo* app = nullptr;
};

void tst_w_search_list::initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }

void tst_w_search_list::init()
{
    fixture->recreate_table();
    user = std::make_unique<test_support::client>(test_support::client::without_search_window);
    app = &user->app;
}

void tst_w_search_list::cleanup() { user.reset(); }

void tst_w_search_list::open_window()
{
    user->open_search_window();
    user->search_for();
}

QList<QRect> tst_w_search_list::fixed_geometries() const
{
    const w_search* w = window();
    QList<QRect> geometries;
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             w->uo_prvi, w->uo_drugi, w->cb_search, w->cb_delete, w->cb_view, w->cb_new, w->cb_close})
        geometries << control->geometry();
    return geometries;
}

void tst_w_search_list::clicks_and_keys_never_scroll_sideways()
{
    fixture->load_sample_entries();
    fixture->insert_question(901, long_question);
    open_window();
    QVERIFY(list()->rowCount() > 20);
    QVERIFY(sideways()->maximum() > 0);
    QCOMPARE(sideways()->value(), 0);

    // A click on the question column, wider than the list, used to scroll it to its start.
    const int question_row = row_of(901);
    QVERIFY(question_row >= 0);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cell(0, dw_pretraga::pitanje_column).center());
    QCOMPARE(sideways()->value(), 0);
    QCOMPARE(view()->columnViewportPosition(dw_pretraga::proizvod_column), 0);
    QCOMPARE(app->rbr, *list()->item_number(1));

    // A double-click, and keys that move the focus to rows out of sight: rows scroll into view,
    // the list never scrolls sideways.
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, cell(0, dw_pretraga::pitanje_column).center());
    QVERIFY(!app->w_main.isNull());
    app->w_main->close();
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view()->currentIndex().row(), list()->rowCount() - 1);
    QVERIFY(view()->verticalScrollBar()->value() > 0);
    QVERIFY(view()->viewport()->rect().contains(cell(list()->rowCount() - 1, dw_pretraga::proizvod_column)));
    QCOMPARE(sideways()->value(), 0);
    QTest::keyClick(view(), Qt::Key_PageUp);
    QTest::keyClick(view(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view()->verticalScrollBar()->value(), 0);
    QCOMPARE(sideways()->value(), 0);

    // Scrolled sideways by the user, the list stays there when a cell is clicked.
    sideways()->setValue(sideways()->maximum() / 2);
    const int scrolled = sideways()->value();
    QVERIFY(scrolled > 0);
    const QPoint on_question(view()->viewport()->width() / 2,
                             cell(question_row, dw_pretraga::pitanje_column).center().y());
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, on_question);
    QCOMPARE(app->rbr, 901);
    QCOMPARE(sideways()->value(), scrolled);

    // Left and Right scroll sideways, as the scroll bar does.
    QTest::keyClick(view(), Qt::Key_Right);
    QVERIFY(sideways()->value() > scrolled);
    QTest::keyClick(view(), Qt::Key_Left);
    QCOMPARE(sideways()->value(), scrolled);
    QTest::keyClick(view(), Qt::Key_Left, Qt::KeypadModifier);
    QVERIFY(sideways()->value() < scrolled);
}

void tst_w_search_list::long_texts_end_in_an_ellipsis()
{
    fixture->insert_question(1, long_question);
    fixture->insert_question(2, QStringLiteral("Short question T"), long_product);
    open_window();
    QCOMPARE(list()->rowCount(), 2);
    const int long_row = row_of(1);
    const int short_row = row_of(2);

    const QRgb background = view()->palette().color(QPalette::Base).rgb();
    const QFontMetrics metrics(view()->font());
    // The right half of "…": two dots, and nothing of the letter before.
    const int ellipsis = metrics.horizontalAdvance(QChar(0x2026)) / 2;
    const QRect visible = view()->viewport()->rect();
    // The ellipsis is flat on the base line; a letter stands at least as high as a lower-case x.
    const auto ends_in_ellipsis = [&](const line_ink& ink) { return ink.right >= 0 && ink.tail_height <= 3; };
    const auto ends_in_a_letter = [&](const line_ink& ink) {
        return ink.right >= 0 && ink.tail_height >= metrics.xHeight();
    };

    QImage image = view()->viewport()->grab().toImage();
    // The question column reaches beyond the list: the long question ends in "…" at the list's
    // right edge, where it is cut; the short one is whole.
    const QRect long_question_cell = cell(long_row, dw_pretraga::pitanje_column);
    QVERIFY(long_question_cell.right() > visible.right());
    const line_ink cut = ink_in(image, long_question_cell & visible, background, ellipsis);
    QVERIFY2(ends_in_ellipsis(cut),
             qPrintable(QStringLiteral("right %1, height %2").arg(cut.right).arg(cut.tail_height)));
    QVERIFY(cut.right > visible.right() - 3 * ellipsis);
    QVERIFY(cut.right < visible.right());
    QVERIFY(
        ends_in_a_letter(ink_in(image, cell(short_row, dw_pretraga::pitanje_column) & visible, background, ellipsis)));

    // A product longer than its column ends in "…" at the column's edge.
    const line_ink product = ink_in(image, cell(short_row, dw_pretraga::proizvod_column), background, ellipsis);
    QVERIFY(ends_in_ellipsis(product));
    QVERIFY(ends_in_a_letter(ink_in(image, cell(long_row, dw_pretraga::proizvod_column), background, ellipsis)));

    // Scrolled to the end, the question column ends in view, and so does the question's "…".
    sideways()->setValue(sideways()->maximum());
    image = view()->viewport()->grab().toImage();
    const QRect scrolled_cell = cell(long_row, dw_pretraga::pitanje_column);
    QVERIFY(scrolled_cell.right() <= visible.right());
    const line_ink at_end = ink_in(image, scrolled_cell & visible, background, ellipsis);
    QVERIFY(ends_in_ellipsis(at_end));
    QVERIFY(at_end.right > scrolled_cell.right() - 3 * ellipsis);

    // The tooltip keeps the whole text.
    QVERIFY(list()
                ->index(long_row, dw_pretraga::pitanje_column)
                .data(Qt::ToolTipRole)
                .toString()
                .contains(long_question.toHtmlEscaped()));
}

void tst_w_search_list::sideways_scroll_repaints_the_whole_list()
{
    // Where a text is cut depends on the scroll position: a sideways scroll must not leave the
    // "…" of the previous position in the middle of a text.
    fixture->insert_question(1, long_question);
    open_window();
    QVERIFY(sideways()->maximum() > 40);
    paint_watcher watcher(view()->viewport());
    view()->viewport()->update();
    QTRY_VERIFY(watcher.paints > 0); // whatever was pending is painted
    watcher.paints = 0;
    sideways()->setValue(30);
    QTRY_VERIFY(watcher.paints > 0);
    QVERIFY2(QRegion(view()->viewport()->rect()).subtracted(watcher.last).isEmpty(),
             qPrintable(QStringLiteral("painted %1 of %2 px")
                            .arg(watcher.last.boundingRect().width())
                            .arg(view()->viewport()->width())));
}

void tst_w_search_list::list_grows_with_the_window()
{
    fixture->load_sample_entries();
    open_window();
    w_search* w = window();
    QStatusBar* line = w->st_status;

    // At the layout's size, every control stands where the layout puts it.
    QCOMPARE(w->size(), QSize(platform::units_to_px_x(3735), platform::units_to_px_y(2132)));
    QCOMPARE(w->gb_1->geometry(), designed(82, 48, 3529, 1908));
    QCOMPARE(w->dw_search->geometry(), designed(155, 652, 3378, 1256));
    QCOMPARE(w->cb_view->geometry(), designed(155, 484, 411, 108));
    QCOMPARE(w->cb_delete->geometry(), designed(622, 484, 411, 108));
    QCOMPARE(w->cb_new->geometry(), designed(1088, 484, 411, 108));
    QCOMPARE(w->cb_close->geometry(), designed(1554, 484, 411, 108));
    QCOMPARE(w->cb_search->geometry(), designed(3122, 484, 411, 108));
    QCOMPARE(w->uo_prvi->pos(), designed(101, 168, 0, 0).topLeft());
    QCOMPARE(w->uo_drugi->pos(), designed(101, 336, 0, 0).topLeft());
    QCOMPARE(view()->columnWidth(dw_pretraga::proizvod_column), platform::units_to_px_x(1586));
    QCOMPARE(view()->columnWidth(dw_pretraga::pitanje_column), platform::units_to_px_x(3502));
    const QList<QRect> fixed = fixed_geometries();
    const QRect list_at_layout = w->dw_search->geometry();
    const QRect frame_at_layout = w->gb_1->geometry();

    // Larger: the list and its frame take the whole growth, the status line stays at the bottom,
    // and the question column fills the list's width.
    const QSize growth(500, 200);
    w->resize(w->size() + growth);
    QTRY_COMPARE(w->dw_search->size(), list_at_layout.size() + growth);
    QCOMPARE(w->dw_search->pos(), list_at_layout.topLeft());
    QCOMPARE(w->gb_1->geometry(), frame_at_layout.adjusted(0, 0, growth.width(), growth.height()));
    QCOMPARE(fixed_geometries(), fixed);
    QCOMPARE(line->geometry().bottom(), w->height() - 1);
    QCOMPARE(line->width(), w->width());
    QVERIFY(line->y() > w->gb_1->geometry().bottom());
    QCOMPARE(view()->columnWidth(dw_pretraga::proizvod_column), platform::units_to_px_x(1586));
    QCOMPARE(view()->columnViewportPosition(dw_pretraga::pitanje_column)
                 + view()->columnWidth(dw_pretraga::pitanje_column),
             view()->viewport()->width());
    QCOMPARE(sideways()->maximum(), 0);

    // Maximised: the same, at the screen's size.
    const QSize before_maximising = w->size();
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized() && w->size() != before_maximising);
    const QSize layout_size(platform::units_to_px_x(3735), platform::units_to_px_y(2132));
    QTRY_COMPARE(w->dw_search->size(), list_at_layout.size() + (w->size() - layout_size));
    QCOMPARE(w->dw_search->pos(), list_at_layout.topLeft());
    QCOMPARE(fixed_geometries(), fixed);
    QCOMPARE(line->geometry().bottom(), w->height() - 1);

    // Back at the layout's size, everything is where it was, the question column too.
    w->showNormal();
    w->resize(platform::units_to_px_x(3735), platform::units_to_px_y(2132));
    QTRY_COMPARE(w->dw_search->geometry(), list_at_layout);
    QCOMPARE(w->gb_1->geometry(), frame_at_layout);
    QCOMPARE(fixed_geometries(), fixed);
    QCOMPARE(line->geometry().bottom(), w->height() - 1);
    QCOMPARE(view()->columnWidth(dw_pretraga::pitanje_column), platform::units_to_px_x(3502));
    QVERIFY(sideways()->maximum() > 0);
}

TARVO_TEST_MAIN(tst_w_search_list)
#include "tst_w_search_list.moc"
