#pragma once
// The deleted entries that can come back, the latest deletion first: number, product, question,
// when deleted (and by whom where the database knows it). The chosen one is shown whole;
// "Restore" puts it back under its old number when no other entry carries that number now,
// otherwise under the next free number, in one transaction.

#include <optional>
#include <vector>

#include "history_statements.h"
#include "list_preview.h"

class application;

class w_deleted : public list_preview {
    Q_OBJECT
public:
    explicit w_deleted(application& app, QWidget* parent = nullptr);

    // Reads the deleted entries. False after a failure was reported: the dialog is then not to
    // be shown.
    bool load();

    // What the restore that closed the dialog came to.
    struct restored {
        int old_rbr = 0; // the number the entry had
        int rbr = 0;     // the number it came back under
    };
    const std::optional<restored>& restore() const { return done; }

    QTableWidget* const dw_deleted = list;
    QPushButton* const cb_restore = cb_action;

private:
    void fill_list();
    void show_chosen() override;
    void act() override;
    // The box that says why nothing was restored; false when the dialog is to end.
    bool show_not_restored(const change_outcome& outcome, int old_rbr);
    const history::deleted_entry* chosen() const;

    application& app;
    std::vector<history::deleted_entry> entries;
    std::optional<restored> done;
};
