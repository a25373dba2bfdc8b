#pragma once
// The view that shows the result list (dw_search). On top of a plain table it
// - keeps its sideways position: a click or a key scrolls rows into view vertically only, and
//   only the scroll bar (or the Left and Right keys) move it sideways;
// - ends a text that runs past the visible part of the list with "…" at the list's right edge;
// - frames the row that has the keyboard focus, apart from the highlight of the current entry;
// - reports Enter and Delete to the window, which decides what they do;
// - shades the parts of the texts that the search matched;
// - lets one column grow with the view when the view is wider than the layout's columns;
// - shows a screen reader only the shown columns (result_list_accessible.h).

#include <QAccessible>
#include <QColor>
#include <QHash>
#include <QTableView>
#include <vector>

#include "rule.h"

class result_list_view : public QTableView {
    Q_OBJECT
public:
    explicit result_list_view(QWidget* parent = nullptr);

    // The column keeps at least its present width and grows when the view is wider.
    void fill_width_with(int column);

    // The focused row's frame in viewport coordinates; empty while the list has no focus or no
    // focused row.
    QRect focus_frame() const;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // Marks what the rule finds in these columns (column number: the column it stands for).
    void show_marks(marks::rule rule, const QHash<int, QString>& columns);
    // The marks of one cell, as they are drawn.
    std::vector<marks::range> marks_in(const QModelIndex& index) const;
    // Translucent, so that the text and the highlight show through.
    static inline const QColor mark_colour{255, 200, 0, 120};

signals:
    // Enter or the keypad's Enter on the focused row (1-based).
    void enter_pressed(int row);
    void delete_pressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void fit_fill_column();
    // An accessibility event about the cell at index, numbered as the list's accessible table
    // numbers its cells.
    void tell_screen_reader(QAccessible::Event what, const QModelIndex& index);

    marks::rule marked;
    QHash<int, QString> marked_columns;
    bool pressing = false;
    int fill_column = -1;
    int fill_least_width = 0;
};
