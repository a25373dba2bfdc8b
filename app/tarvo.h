#pragma once
// The application object: creates and destroys the application-wide variables, holds the windows
// in application-wide window variables, opens them, and runs the start-up and shut-down sequences.

#include <QPointer>
#include <QString>
#include <QStringList>

#include "application.h"
#include "backup_keeper.h"

class w_search;
class w_main;

class tarvo final : public application {
public:
    tarvo();
    ~tarvo() override;
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
    // Once sqlca connected: an embedded database's file is checked and its backups kept
    // (embedded_database.h).
    void look_after_database();

    void open_w_main(const QString& parm) override;
    void open_w_da_ne(const QString& question) override;
    bool may_drop_entry_changes(const QString& question) override;
    void close_w_main() override;
    void show_status(const QString& text) override;

    // Application-wide window variables.
    QPointer<class w_search> w_search;
    QPointer<class w_main> w_main;

    // Names of the global objects in the order they were destroyed (for inspection).
    QStringList destroyed_globals;

    // The embedded database's backups; none for a server's database or a damaged file.
    std::unique_ptr<backup_keeper> backups;

    // Connection name for sqlca: tests run several applications in one process.
    QString connection_name = QStringLiteral("sqlca");
};
