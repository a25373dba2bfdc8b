#pragma once
// The application object: owns the application-wide variables and the windows held in
// application-wide window variables, and runs the start-up and shut-down sequences.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "dynamic_cursor.h"
#include "globals.h"
#include "transaction.h"

class w_search;
class w_main;

class tarvo {
public:
    tarvo();
    ~tarvo();
    tarvo(const tarvo&) = delete;
    tarvo& operator=(const tarvo&) = delete;

    // Sets the name, creates message, sqlca, sqlda, sqlsa, error (in that order).
    void create();
    // Configures and connects sqlca (outcome not examined), then opens the search window.
    void open(const QString& commandline);
    // Destroys sqlca, sqlda, sqlsa, error, message (in that order); absent ones are skipped.
    void destroy();

    // Configures sqlca for the data source "FAQ" and connects once.
    void connect_sqlca();

    // Opens the entry window with its parameter: the entry number, or "0" for a new entry.
    // There is one entry window; opening it again loads the requested entry into it. Where that
    // would replace unsaved changes, the yes/no window asks first and only "DA" replaces them;
    // the entry that holds the changes is only brought to the front.
    void open_w_main(const QString& parm);
    // Whether the entry window's unsaved changes may be dropped: true when it has none, else
    // the yes/no window asks the question and only "DA" says yes.
    bool may_drop_entry_changes(const QString& question);
    // Opens the yes/no window modally; the answer is in message->StringParm afterwards.
    void open_w_da_ne(const QString& question);

    QString AppName;
    std::unique_ptr<message_object> message;
    std::unique_ptr<transaction> sqlca;
    std::unique_ptr<dynamic_description_area> sqlda;
    std::unique_ptr<dynamic_staging_area> sqlsa;
    std::unique_ptr<error_object> error;

    // The current entry of the search list; less than 1 means none.
    std::int16_t rbr = 0;

    // Application-wide window variables.
    QPointer<class w_search> w_search;
    QPointer<class w_main> w_main;

    // Names of the global objects in the order they were destroyed (for inspection).
    QStringList destroyed_globals;

    // Connection name for sqlca: tests run several applications in one process.
    QString connection_name = QStringLiteral("sqlca");
};
