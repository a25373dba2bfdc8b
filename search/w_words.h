#pragma once
// "Find words": a window of its own beside the search window. As the user types, it lists the
// entries that hold every typed word, in any order and any field, best first; Enter or a
// double-click opens the entry in the entry window with its words marked.

#include <QWidget>

#include "rule.h"

class QLabel;
class QLineEdit;
class application;
class result_list_view;
class words_list;

class w_words : public QWidget {
    Q_OBJECT
public:
    explicit w_words(application& app, QWidget* parent = nullptr);

    // Lists the entries for the words now typed.
    void find();
    // Opens the entry of a 1-based row.
    void open_row(int row);

    QLineEdit* sle_words = nullptr;
    result_list_view* dw_words = nullptr;
    QLabel* st_found = nullptr;
    words_list* found = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    application& app;
    marks::rule words_marks;
};
