#pragma once
// Drives the program's real windows for the GUI and reliability tests: a running client (the
// application object `tarvo` connected to a data source, with or without its search window) and
// what a user does with it: search, click and double-click in the result list, open entries,
// read and type the entry window's texts. Controls are found by objectName; input goes through
// QTest's mouse and key events, as the window system would deliver it.
//
// Including this header gives a window test everything it usually needs: the windows, the test
// database, the message recorder and the yes/no answerer.

#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QPoint>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <set>

#include "dw_pretraga.h"
#include "faq_fixture.h"
#include "message_recorder.h"
#include "multiline_edit.h"
#include "result_list_view.h"
#include "statements.h"
#include "tarvo.h"
#include "unexpected_dialogs.h"
#include "uo_srch1.h"
#include "w_main.h"
#include "w_search.h"
#include "yes_no_answerer.h"

namespace test_support {

// What "Delete" asks in the yes/no window: the blanks push the words onto the window's second line.
extern const QString delete_question;

// The child of `parent` called `name`; a missing control ends the test program with its name.
template <typename T>
T* named(const QObject* parent, const QString& name)
{
    T* found = parent != nullptr ? parent->findChild<T*>(name) : nullptr;
    if (found == nullptr)
        qFatal("no %s called %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// Types text with key events: ASCII as keyClicks does, any other character as one key event of
// its own (a character beyond U+FFFF with both its halves), as an input method delivers it.
void type(QWidget* widget, const QString& text);
// Gives the widget the keyboard focus, as Tab does, and waits until it has it (its window is
// brought to the front first when another one is active).
void focus(QWidget* widget);
// A key pressed where the keyboard focus is (the active window when no control has it).
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// What the window system delivers for a double-click: press, release, double-click, release.
void double_click(QWidget* widget, QPoint position);

// The five texts of the entry window, as it would save them.
statements::entry_texts shown_texts(const w_main* window);
// Puts the five texts into the entry window's controls.
void set_texts(w_main* window, const statements::entry_texts& entry);

// Compares two sets of entry texts field by field, so a failure names the field.
#define COMPARE_TEXTS(actual, expected)                                                                                \
    do {                                                                                                               \
        const statements::entry_texts actual_ = (actual);                                                              \
        const statements::entry_texts expected_ = (expected);                                                          \
        QCOMPARE(actual_.adresa, expected_.adresa);                                                                    \
        QCOMPARE(actual_.pitanje, expected_.pitanje);                                                                  \
        QCOMPARE(actual_.proizvod, expected_.proizvod);                                                                \
        QCOMPARE(actual_.lot, expected_.lot);                                                                          \
        QCOMPARE(actual_.odgovor, expected_.odgovor);                                                                  \
    } while (false)

// One running client. Several can run side by side in one test, each on its own connection.
class client {
public:
    // with_search_window: as the program stands after start-up. Without it, a test may open the
    // search window later (open_search_window) or work with the entry window alone.
    enum start { with_search_window, without_search_window };

    // Creates the application object and connects sqlca to data_source as the program does
    // (the outcome is not examined: sqlca tells it).
    explicit client(start how = with_search_window, const QString& data_source = QStringLiteral("FAQ"));
    client(const client&) = delete;
    client& operator=(const client&) = delete;

    tarvo app;

    // The search window: made and shown as the program opens it; waits until it is on the screen.
    void open_search_window();
    w_search* search_window() const { return app.w_search; }
    result_list_view* list_view() const;
    dw_pretraga* list() const;

    // Search criteria as the user sets them; an empty field or connector keeps what the window shows.
    struct criteria {
        QString text1 = {};
        QString text2 = {};
        QString field1 = {};    // "Question", "Product", ... of the first criterion
        QString field2 = {};    // of the second
        QString connector = {}; // "AND", "OR" or "NOT", between the two
    };
    // Types the texts into the emptied search texts, chooses the fields and connector, and
    // clicks "Search".
    void search(const criteria& wanted);
    void search_for(const QString& text1 = QString(), const QString& text2 = QString());

    // The rows the list shows (-1 without a search window).
    int listed_rows() const;
    // The entry numbers of the listed rows (0 for a row without a number).
    std::set<int> listed_numbers() const;
    // The 1-based row that lists entry rbr; 0 when none does.
    int row_of(int rbr) const;
    // The centre of a 1-based row's product cell, in the list's viewport.
    QPoint row_centre(int row) const;
    // The highlighted rows, 1-based and in order.
    QList<int> highlighted_rows() const;

    // A click or double-click on a 1-based row; a row out of sight is scrolled into view first,
    // as the user would.
    void click_row(int row);
    void double_click_row(int row);
    // Clicks outside the rows: on the header, or in the empty area below the last row.
    void click_header();
    void double_click_header();
    void click_below_rows();
    // Chooses the row of entry rbr and clicks "View"; the entry window it opened.
    w_main* view(int rbr);

    // Opens the entry window with its parameter as the search window does ("0": a new entry).
    w_main* open_entry(const QString& parm);
    w_main* entry_window() const { return app.w_main; }

private:
    void show_row(int row);
};

} // namespace test_support
