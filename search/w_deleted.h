#pragma once
// The deleted entries that can come back, the latest deletion first: number, product, question,
// when deleted (and by whom where the database knows it). The chosen one is shown whole;
// "Restore" puts it back under its old number when no other entry carries that number now,
// otherwise under the next free number, in one transaction.

#include <QDialog>
#include <optional>
#include <vector>

#include "history_statements.h"

class QLabel;
class QPushButton;
class QTableWidget;
class application;
class entry_preview;

class w_deleted : public QDialog {
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

    QLabel* st_info = nullptr;
    QTableWidget* dw_deleted = nullptr;
    entry_preview* mle_preview = nullptr;
    QPushButton* cb_restore = nullptr;
    QPushButton* cb_close = nullptr;

private:
    void fill_list();
    void show_chosen();
    void cb_restore_clicked();
    const history::deleted_entry* chosen() const;

    application& app;
    std::vector<history::deleted_entry> entries;
    std::optional<restored> done;
};
