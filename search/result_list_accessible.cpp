#include "result_list_accessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>
#include <QVector>
#include <algorithm>
#include <utility>

namespace {

// The logical columns the view shows, left to right.
QVector<int> shown_columns(const QTableView& view)
{
    QVector<int> columns;
    const QHeaderView* header = view.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!view.isColumnHidden(logical))
            columns.append(logical);
    }
    return columns;
}

// One cell of the list, or (row -1) the header cell of a column. `column` counts shown columns.
class list_cell final : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    list_cell(QTableView* list, int cell_row, int cell_column) : view(list), row(cell_row), column(cell_column) {}

    bool isValid() const override
    {
        return view && view->model() != nullptr && row < view->model()->rowCount()
               && column < shown_columns(*view).size();
    }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        const int logical = shown_columns(*view).at(column);
        if (row < 0)
            return view->model()->headerData(logical, Qt::Horizontal).toString();
        return view->model()->index(row, logical).data().toString();
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const int logical = shown_columns(*view).at(column);
        const QHeaderView* header = view->horizontalHeader();
        if (row < 0) {
            const QRect section(header->sectionViewportPosition(logical), 0, header->sectionSize(logical),
                                header->height());
            return QRect(header->viewport()->mapToGlobal(section.topLeft()), section.size());
        }
        const QRect cell = view->visualRect(view->model()->index(row, logical));
        return QRect(view->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const QRect visible = QRect(view->viewport()->mapToGlobal(QPoint(0, 0)), view->viewport()->size());
        state.invisible = !view->isVisible() || !rect().intersects(visible);
        state.offscreen = state.invisible;
        if (row >= 0) {
            const QModelIndex current = view->currentIndex();
            state.focusable = true;
            state.focused =
                view->hasFocus() && result_list_accessible::child_of(*view, current) == (row + 1) * columns() + column;
            state.selected = isSelected();
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface && row >= 0)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && row >= 0 && view->selectionModel() != nullptr
               && view->selectionModel()->isRowSelected(row, QModelIndex());
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        QAccessibleInterface* table = parent();
        QAccessibleInterface* header = table != nullptr ? table->child(column) : nullptr;
        return header != nullptr ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column; }
    int rowIndex() const override { return row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    int columns() const { return static_cast<int>(shown_columns(*view).size()); }

    QPointer<QTableView> view;
    int row;
    int column;
};

// The list itself: the table of its header cells and shown cells. Only the window's click
// handlers highlight rows, so a screen reader cannot select any.
class list_table final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit list_table(QTableView* list) : QAccessibleWidget(list, QAccessible::Table) {}
    ~list_table() override { forget_cells(); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return view()->model() != nullptr ? (rowCount() + 1) * columnCount() : 0; }

    QAccessibleInterface* child(int index) const override
    {
        const int columns = columnCount();
        if (index < 0 || index >= childCount() || columns == 0)
            return nullptr;
        if (const auto known = cells.constFind(index); known != cells.constEnd())
            return QAccessible::accessibleInterface(*known);
        auto* cell = new list_cell(view(), index / columns - 1, index % columns);
        cells.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (auto cell = cells.constBegin(); cell != cells.constEnd(); ++cell)
            if (*cell == id)
                return cell.key();
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return child(result_list_accessible::child_of(*view(), index));
    }

    QAccessibleInterface* focusChild() const override
    {
        return view()->hasFocus() ? child(result_list_accessible::child_of(*view(), view()->currentIndex())) : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
            return nullptr;
        return child((row + 1) * columnCount() + column);
    }
    int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        QList<QAccessibleInterface*> selected;
        for (const int row : selectedRows())
            for (int column = 0; column < columnCount(); ++column)
                selected.append(cellAt(row, column));
        return selected;
    }
    QString columnDescription(int column) const override
    {
        const QVector<int> shown = shown_columns(*view());
        if (view()->model() == nullptr || column < 0 || column >= shown.size())
            return {};
        return view()->model()->headerData(shown.at(column), Qt::Horizontal).toString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int columnCount() const override { return static_cast<int>(shown_columns(*view()).size()); }
    int rowCount() const override { return view()->model() != nullptr ? view()->model()->rowCount() : 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        if (view()->selectionModel() != nullptr)
            for (const QModelIndex& index : view()->selectionModel()->selectedRows())
                rows.append(index.row());
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return selectedRows().contains(row); }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    // Any change of rows or columns renumbers the cells: those handed out so far are dropped.
    void modelChange(QAccessibleTableModelChangeEvent*) override { forget_cells(); }

private:
    QTableView* view() const { return static_cast<QTableView*>(widget()); }

    void forget_cells()
    {
        const QHash<int, QAccessible::Id> handed_out = std::exchange(cells, {});
        for (const QAccessible::Id id : handed_out)
            QAccessible::deleteAccessibleInterface(id);
    }

    mutable QHash<int, QAccessible::Id> cells;
};

QAccessibleInterface* list_factory(const QString& class_name, QObject* object)
{
    if (class_name != QLatin1String("result_list_view") || !object->isWidgetType())
        return nullptr;
    return new list_table(static_cast<QTableView*>(object));
}

} // namespace

namespace result_list_accessible {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(list_factory);
        return true;
    }();
    (void)installed;
}

int child_of(const QTableView& view, const QModelIndex& index)
{
    if (!index.isValid() || view.model() == nullptr || index.model() != view.model())
        return -1;
    const QVector<int> shown = shown_columns(view);
    if (shown.isEmpty())
        return -1;
    const int column = std::max<int>(0, static_cast<int>(shown.indexOf(index.column())));
    return (index.row() + 1) * static_cast<int>(shown.size()) + column;
}

} // namespace result_list_accessible
