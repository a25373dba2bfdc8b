#include "result_list_view.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

#include "result_list_accessible.h"

namespace {

// Draws a cell as the style does, but lets a text that runs past the list's right edge end in
// "…" at that edge (the style elides at the cell's own edge, which may lie far beyond), and
// leaves the focus mark to the frame around the whole row.
class visible_part_delegate final : public QStyledItemDelegate {
public:
    explicit visible_part_delegate(QAbstractItemView* list) : QStyledItemDelegate(list), view(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shown = option;
        shown.state &= ~QStyle::State_HasFocus;
        const int visible_right = view->viewport()->rect().right();
        if (shown.rect.left() < visible_right && shown.rect.right() > visible_right)
            shown.rect.setRight(visible_right);
        QStyledItemDelegate::paint(painter, shown, index);
        paint_marks(painter, shown, index);
    }

private:
    // The parts of the text the search matched, shaded over the text as the style drew it.
    void paint_marks(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        const auto* list = static_cast<const result_list_view*>(view);
        const std::vector<marks::range> found = list->marks_in(index);
        if (found.empty())
            return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QStyle* style = view->style();
        const QRect text_rect =
            style->subElementRect(QStyle::SE_ItemViewItemText, &item, view)
                .adjusted(style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1, 0, 0, 0)
                .intersected(option.rect);
        const QFontMetrics metrics(item.font);
        painter->save();
        painter->setClipRect(text_rect);
        for (const marks::range& r : found) {
            const int left = metrics.horizontalAdvance(item.text.left(r.start));
            const int width = metrics.horizontalAdvance(item.text.mid(r.start, r.length));
            painter->fillRect(QRect(text_rect.left() + left, text_rect.top(), width, text_rect.height()),
                              result_list_view::mark_colour);
        }
        painter->restore();
    }

    QAbstractItemView* view;
};

constexpr int frame_width = 2;

} // namespace

void result_list_view::tell_screen_reader(QAccessible::Event what, const QModelIndex& index)
{
    const int child = result_list_accessible::child_of(*this, index);
    if (!QAccessible::isActive() || child < 0)
        return;
    QAccessibleEvent event(this, what);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

result_list_view::result_list_view(QWidget* parent) : QTableView(parent)
{
    result_list_accessible::install();
    setItemDelegate(new visible_part_delegate(this));
    setTextElideMode(Qt::ElideRight);
    // Qt's own automatic scrolling also scrolls sideways while a pressed mouse button rests near
    // the left or right edge, which a slightly shaky click does: rows are brought into view here
    // instead, when the focus moves to them.
    setAutoScroll(false);
    // Where a text is cut depends on how far the list is scrolled: repaint it all, not only the
    // strip that scrolled into view.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

void result_list_view::show_marks(marks::rule rule, const QHash<int, QString>& columns)
{
    marked = std::move(rule);
    marked_columns = columns;
    viewport()->update();
}

std::vector<marks::range> result_list_view::marks_in(const QModelIndex& index) const
{
    const auto column = marked_columns.constFind(index.column());
    if (marked.empty() || column == marked_columns.constEnd())
        return {};
    return marked.in(*column, index.data(Qt::DisplayRole).toString());
}

void result_list_view::fill_width_with(int column)
{
    fill_column = column;
    fill_least_width = columnWidth(column);
    fit_fill_column();
}

void result_list_view::fit_fill_column()
{
    if (fill_column < 0 || model() == nullptr)
        return;
    int others = 0;
    for (int column = 0; column < model()->columnCount(); ++column)
        if (column != fill_column && !isColumnHidden(column))
            others += columnWidth(column);
    const int width = std::max(fill_least_width, viewport()->width() - others);
    if (columnWidth(fill_column) != width)
        setColumnWidth(fill_column, width);
}

bool result_list_view::viewportEvent(QEvent* event)
{
    // The viewport also changes width when the vertical scroll bar comes or goes.
    if (event->type() == QEvent::Resize)
        fit_fill_column();
    return QTableView::viewportEvent(event);
}

void result_list_view::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // Bringing a cell into view would scroll the question column to its start and hide the
    // product: only the rows scroll. The scroll bar does not hear of the round trip.
    QScrollBar* sideways = horizontalScrollBar();
    const int position = sideways->value();
    const bool was_blocked = sideways->blockSignals(true);
    QTableView::scrollTo(index, hint);
    sideways->setValue(position);
    sideways->blockSignals(was_blocked);
}

void result_list_view::keyPressEvent(QKeyEvent* event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentIndex().isValid())
                emit enter_pressed(currentIndex().row() + 1);
            event->accept();
            return;
        case Qt::Key_Delete:
            emit delete_pressed();
            event->accept();
            return;
        // The rows have nothing to the left or right: these keys reach the hidden part of the
        // question column, as the scroll bar does, a tenth of the list's width at a time.
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const int step = std::max(1, viewport()->width() / 10);
            QScrollBar* sideways = horizontalScrollBar();
            sideways->setValue(sideways->value() + (event->key() == Qt::Key_Left ? -step : step));
            event->accept();
            return;
        }
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

QRect result_list_view::focus_frame() const
{
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid() || model() == nullptr)
        return {};
    QRect row;
    for (int column = 0; column < model()->columnCount(); ++column)
        if (!isColumnHidden(column))
            row |= visualRect(model()->index(current.row(), column));
    return row & viewport()->rect();
}

void result_list_view::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    const QRect frame = focus_frame();
    if (frame.isEmpty())
        return;
    // Drawn inside the row in a dark shade of the highlight, which stands out on the white rows
    // and on the highlighted one, with a white line inside it on the highlight.
    const bool highlighted = selectionModel() != nullptr && selectionModel()->isRowSelected(currentIndex().row());
    const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    QPainter painter(viewport());
    painter.setBrush(Qt::NoBrush);
    QPen pen(highlight.darker(170), frame_width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const qreal inset = frame_width / 2.0;
    painter.drawRect(QRectF(frame).adjusted(inset, inset, -inset, -inset));
    if (highlighted) {
        pen.setColor(palette().color(QPalette::Active, QPalette::HighlightedText));
        pen.setWidth(1);
        painter.setPen(pen);
        painter.drawRect(
            QRectF(frame).adjusted(frame_width + 0.5, frame_width + 0.5, -frame_width - 0.5, -frame_width - 0.5));
    }
}

void result_list_view::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The table view's own focus event numbers the cells as if the hidden column were there;
    // this list's accessible table numbers only the shown ones.
    QAbstractItemView::currentChanged(current, previous);
    if (hasFocus())
        tell_screen_reader(QAccessible::Focus, current);
    // Not under a pressed mouse button: the release must find the row that was pressed.
    if (current.isValid() && !pressing)
        scrollTo(current);
    viewport()->update(); // the frame spans whole rows, not only the cells Qt repaints
}

void result_list_view::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    tell_screen_reader(QAccessible::SelectionRemove, deselected.indexes().value(0));
    tell_screen_reader(QAccessible::SelectionAdd, selected.indexes().value(0));
}

void result_list_view::mousePressEvent(QMouseEvent* event)
{
    pressing = true;
    QTableView::mousePressEvent(event);
    pressing = false;
}

void result_list_view::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    // Coming into the list reads the row the focus frame is on, after the list itself is told.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            tell_screen_reader(QAccessible::Focus, currentIndex());
    });
    viewport()->update();
}

void result_list_view::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}
