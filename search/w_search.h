#pragma once
// The main window: two search criteria, the result list and the buttons that view, create and
// delete entries. Every other window is opened from here.

#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "result_list_view.h"
#include "rule.h"
#include "status_line.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class dw_pretraga;
class application;
class uo_srch1;
class w_words;

class w_search : public QWidget {
    Q_OBJECT
public:
    explicit w_search(application& app, QWidget* parent = nullptr);

    // Centres a window on the whole screen; a failed screen read leaves it where it is.
    void centriraj_prozor(QWidget* prozor);

    void cb_search_clicked();
    void cb_delete_clicked();
    void cb_view_clicked();
    void cb_new_clicked();
    void cb_close_clicked();
    // `row` is 1-based; 0 means a click outside the rows (header, empty area, empty list).
    void dw_search_clicked(int row);
    void dw_search_doubleclicked(int row);

    // The entry window stored entry rbr: the status line says so after the refresh that follows,
    // also when the entry is not among the rows the criteria list.
    void entry_saved(int rbr);

    // Lists the deleted entries for the user to restore one (the list's context menu, Ctrl+U);
    // after a restore the status line says under which number it came back, and the list is
    // refreshed.
    void deleted_entries();
    // Writes the listed entries, all their columns, to a CSV file the user names (w_search_export.cpp).
    void export_listed();

    // Controls, in creation order.
    QGroupBox* gb_1 = nullptr;
    uo_srch1* uo_prvi = nullptr;
    uo_srch1* uo_drugi = nullptr;
    QPushButton* cb_search = nullptr;
    QPushButton* cb_delete = nullptr;
    QPushButton* cb_view = nullptr;
    result_list_view* dw_search = nullptr;
    QPushButton* cb_new = nullptr;
    QPushButton* cb_close = nullptr;

    // The list shown in dw_search.
    dw_pretraga* pretraga = nullptr;

    // The status line along the bottom edge: how many entries the last search listed, or why
    // nothing could be listed (no connection, a failed search), after the last change made here
    // ("Entry 42 saved"); at its right end, the data source it is connected to.
    status_line* st_status = nullptr;
    QLabel* st_source = nullptr;

    // "Deleted entries…": in the list's context menu and on Ctrl+U anywhere in the window.
    QAction* act_deleted = nullptr;
    // "Find words…": the word search's window, in the list's context menu and on Ctrl+K.
    QAction* act_words = nullptr;
    void find_words();
    QPointer<w_words> words_window;
    QAction* act_export = nullptr;

    // Start-up: the status line says "Connecting…" until show_connection() tells the outcome
    // (a failure quietly, as the first statement reports it).
    void show_connecting();
    void show_connection();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void create_controls();
    void set_tab_order();
    void connect_handlers();
    void create_shortcuts();
    // The list and its frame take up the window's size beyond the layout's; everything else
    // keeps its place.
    void fit_to_size();
    void open();
    // Clears the highlight, then highlights the row and makes its entry current, or makes no
    // entry current for row 0.
    void choose_row(int row);
    // The entry number of the highlighted row; 0 when no single row with an entry number is
    // highlighted.
    std::int16_t highlighted_entry() const;
    void create_status_line();
    void place_status_line();
    // What the last retrieval came to: the number of rows, or -1 when it failed.
    void show_search_outcome(long rows);
    // The data source, once connected; nothing while not connected.
    void show_data_source();

    application& app;
    // The layout's geometry of the two controls that grow with the window.
    QRect gb_1_designed;
    QRect dw_search_designed;
    // The data source's description, read from the driver once connected.
    QString source_text;
    // What the last search matched, for the list and the entry window to mark.
    marks::rule listed_marks;
};
