#pragma once
// The main window: two search criteria, the result list and the buttons that view, create and
// delete entries. Every other window is opened from here.

#include <QWidget>
#include <cstdint>

class QGroupBox;
class QPushButton;
class QStatusBar;
class QTableView;
class dw_pretraga;
class tarvo;
class uo_srch1;

class w_search : public QWidget {
    Q_OBJECT
public:
    explicit w_search(tarvo& app, QWidget* parent = nullptr);

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

    // Controls, in creation order.
    QGroupBox* gb_1 = nullptr;
    uo_srch1* uo_prvi = nullptr;
    uo_srch1* uo_drugi = nullptr;
    QPushButton* cb_search = nullptr;
    QPushButton* cb_delete = nullptr;
    QPushButton* cb_view = nullptr;
    QTableView* dw_search = nullptr;
    QPushButton* cb_new = nullptr;
    QPushButton* cb_close = nullptr;

    // The list shown in dw_search.
    dw_pretraga* pretraga = nullptr;

    // The status line along the bottom edge: how many entries the last search listed, or why
    // nothing could be listed (no connection, a failed search).
    QStatusBar* st_status = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void create_controls();
    void connect_handlers();
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

    tarvo& app;
};
