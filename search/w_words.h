#pragma once
// "Find words": a window of its own beside the search window. As the user types, it lists the
// entries that hold every typed word, in any order and any field, best first; Enter or a
// double-click opens the entry in the entry window with its words marked. The search runs off the
// window's thread (words_worker.h): typing never waits, and only the newest words are shown.

#include <QWidget>
#include <cstdint>

#include "rule.h"

class QLabel;
class QLineEdit;
class QTimer;
class application;
class result_list_view;
class words_list;
class words_worker;
struct words_found;

class w_words : public QWidget {
    Q_OBJECT
public:
    explicit w_words(application& app, QWidget* parent = nullptr);

    // Asks for the entries for the words now typed; they are listed when they arrive.
    void find();
    // Opens the entry of a 1-based row.
    void open_row(int row);
    // The list shows the entries for the words now typed.
    bool up_to_date() const { return shown == wanted; }

    static inline const QString searching_text = QStringLiteral("Searching…");

    QLineEdit* sle_words = nullptr;
    result_list_view* dw_words = nullptr;
    QLabel* st_found = nullptr;
    words_list* found = nullptr;
    words_worker* worker = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void show_found(const words_found& result);
    // The rows and their marks, the rows listed before kept where the result continues them.
    void show_rows(const words_found& result);
    // Enter: the best entry of the words now typed, now or when it arrives.
    void open_best();

    application& app;
    marks::rule words_marks;
    QStringList wanted_words;
    std::uint64_t wanted = 0; // the generation of the words now typed (0: none typed)
    std::uint64_t shown = 0;  // the generation the list shows
    bool shown_failed = false;
    bool open_when_found = false;
    // Says "Searching…" once a search takes longer than a moment; quicker ones show no flicker.
    QTimer* searching_note = nullptr;
};
