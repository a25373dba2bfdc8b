#pragma once
// What every window sees of the application object: the application-wide variables, and the
// windows it opens for them. The windows know this much only; the application object `tarvo`
// (tarvo.h) creates the windows, so the two never depend on each other both ways.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "dynamic_cursor.h"
#include "globals.h"
#include "rule.h"
#include "transaction.h"

class application {
public:
    virtual ~application() = default;

    // Opens the entry window with its parameter: the entry number, or "0" for a new entry.
    // There is one entry window; opening it again loads the requested entry into it. Where that
    // would replace unsaved changes, the yes/no window asks first and only "DA" replaces them;
    // the entry that holds the changes is only brought to the front.
    virtual void open_w_main(const QString& parm) = 0;
    // Opens the yes/no window modally; the answer is in message->StringParm afterwards.
    virtual void open_w_da_ne(const QString& question) = 0;
    // Whether the entry window's unsaved changes may be dropped: true when it has none, else
    // the yes/no window asks the question and only "DA" says yes.
    virtual bool may_drop_entry_changes(const QString& question) = 0;
    // Closes the entry window, if one is open (the program ends with the search window).
    virtual void close_w_main() = 0;
    // A passing note in the search window's status line.
    virtual void show_status(const QString& text) = 0;

    QString AppName;
    std::unique_ptr<message_object> message;
    std::unique_ptr<transaction> sqlca;
    std::unique_ptr<dynamic_description_area> sqlda;
    std::unique_ptr<dynamic_staging_area> sqlsa;
    std::unique_ptr<error_object> error;

    // The current entry of the search list; less than 1 means none.
    std::int16_t rbr = 0;
    // What the entry window marks in the entry it opens next: the criteria of the search that
    // listed it (nothing for a new entry).
    marks::rule entry_marks;
};

// Every failed statement reaches the user the same way: a message box with the statement's
// title and the database's message.
void show_failure(const QString& title, const transaction& sqlca);
