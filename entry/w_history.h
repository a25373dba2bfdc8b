#pragma once
// The earlier versions of one entry, newest first: when each was replaced, by whom where the
// database knows it, and what that change did; the chosen version is shown whole, and "Take into
// window" puts its texts into the entry window, where Save stores them as any edit.

#include <optional>
#include <vector>

#include "history_statements.h"
#include "list_preview.h"
#include "statements.h"

class application;

class w_history : public list_preview {
    Q_OBJECT
public:
    w_history(application& app, int rbr, QWidget* parent = nullptr);

    // Reads the versions and the entry as stored now. False after a failure was reported: the
    // dialog is then not to be shown.
    bool load();

    // The texts of the version the user took, once the dialog was accepted.
    const std::optional<statements::entry_texts>& taken() const { return taken_texts; }

    QTableWidget* const dw_versions = list;
    QPushButton* const cb_take = cb_action;

private:
    void fill_list();
    void show_chosen() override;
    void act() override;
    // The version of the highlighted row; none when no row is highlighted.
    const history::version* chosen() const;

    application& app;
    int rbr;
    std::vector<history::version> versions;
    std::optional<statements::entry_texts> stored;
    std::optional<statements::entry_texts> taken_texts;
};
