#pragma once
// What a screen reader gets of the result list: a table of the columns the list shows (product
// and question), in the order it shows them, with their header cells. The entry number column
// that the list keeps hidden and the row numbers, which the list never shows, stay out, so that
// moving through the rows reads what a sighted user sees.
//
// Qt's own table interface counts every column of the model, hidden or not, and the hidden
// vertical header; the list's view installs this one instead and sends its focus and selection
// events with this interface's numbering of the cells.

class QModelIndex;
class QTableView;

namespace result_list_accessible {

// Makes Qt's accessibility build the interface below for every result_list_view; once a process.
void install();

// The accessible child (as the table interface numbers its children) that stands for the cell's
// row and column; a cell of a hidden column stands for its row's first shown cell. -1 when the
// index is not a listed row.
int child_of(const QTableView& view, const QModelIndex& index);

} // namespace result_list_accessible
