#include "tarvo.h"

#include "database_wait.h"
#include "embedded_database.h"
#include "w_da_ne.h"
#include "w_main.h"
#include "w_search.h"

namespace {
template <typename T>
void destroy_global(std::unique_ptr<T>& global, const char* name, QStringList& log)
{
    if (!global)
        return;
    global.reset();
    log << QString::fromLatin1(name);
}
} // namespace

tarvo::tarvo() = default;

tarvo::~tarvo()
{
    delete w_main.data();
    delete w_search.data();
    destroy();
}

void tarvo::create()
{
    AppName = QStringLiteral("tarvo");
    message = std::make_unique<message_object>();
    sqlca = std::make_unique<transaction>(connection_name);
    sqlca->wait_with(database_wait::in_windows());
    sqlda = std::make_unique<dynamic_description_area>();
    sqlsa = std::make_unique<dynamic_staging_area>();
    error = std::make_unique<error_object>();
}

void tarvo::connect_sqlca()
{
    sqlca->DBMS = QStringLiteral("ODBC");
    sqlca->AutoCommit = false;
    sqlca->DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
    sqlca->connect(); // a failure shows at the first statement
    look_after_database();
}

void tarvo::look_after_database() { backups = embedded_database::look_after(*sqlca); }

void tarvo::open(const QString& /*commandline*/)
{
    // The window comes up at once and says that it connects; the connection is made while it
    // paints, and the first search finds it made.
    w_search = new class w_search(*this);
    w_search->show_connecting();
    w_search->show();
    connect_sqlca();
    if (w_search)
        w_search->show_connection();
    if (backups) {
        QObject::connect(backups.get(), &backup_keeper::finished, w_search, [this](const QString& text, bool failed) {
            if (failed && w_search)
                w_search->st_status->note_trouble(text);
        });
        if (const QString earlier = backups->earlier_failure(); !earlier.isEmpty())
            w_search->st_status->note_trouble(QStringLiteral("When the program last ran: ") + earlier);
        backups->daily();
    }
}

void tarvo::destroy()
{
    if (backups) {
        // The day's backup, if the start could not make it; the session stays until it is done.
        backups->daily();
        backups->wait();
        backups.reset();
    }
    destroy_global(sqlca, "sqlca", destroyed_globals);
    destroy_global(sqlda, "sqlda", destroyed_globals);
    destroy_global(sqlsa, "sqlsa", destroyed_globals);
    destroy_global(error, "error", destroyed_globals);
    destroy_global(message, "message", destroyed_globals);
}

void tarvo::open_w_main(const QString& parm)
{
    // Unsaved changes stay unless the user lets them go; the entry window that holds them is only
    // brought to the front.
    const bool keep_changes =
        w_main && w_main->has_unsaved_changes()
        && (w_main->shows_stored_entry(parm)
            || !may_drop_entry_changes(QStringLiteral("Discard the unsaved changes to the open entry?")));
    if (!keep_changes) {
        message->StringParm = parm;
        if (w_main) {
            w_main->open_entry();
        } else {
            w_main = new class w_main(*this);
            // The entry window announces a save; the search window shows it and lists afresh.
            if (w_search)
                QObject::connect(w_main, &w_main::saved, w_search, &w_search::entry_saved);
            if (backups)
                QObject::connect(w_main, &w_main::saved, backups.get(), [this] { backups->note_save(); });
        }
    }
    if (!w_main)
        return; // closed while the question was on the screen
    w_main->show();
    w_main->raise();
    w_main->activateWindow();
}

bool tarvo::may_drop_entry_changes(const QString& question)
{
    if (!w_main || !w_main->has_unsaved_changes())
        return true;
    open_w_da_ne(question);
    return message->StringParm == QLatin1String("DA");
}

void tarvo::close_w_main()
{
    if (w_main)
        w_main->close();
}

void tarvo::open_w_da_ne(const QString& question)
{
    message->StringParm = question;
    w_da_ne dialog(*this, w_search);
    dialog.exec();
}

void tarvo::show_status(const QString& text)
{
    if (w_search)
        w_search->st_status->showMessage(text);
}
