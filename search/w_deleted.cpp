#include "w_deleted.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "application.h"
#include "change_time.h"
#include "entry_number.h"
#include "entry_preview.h"
#include "platform.h"

namespace {

enum column { number_column, product_column, question_column, deleted_column, who_column };

// A restored entry whose number is taken gets the number a new entry would get.
std::optional<std::int16_t> next_free_number(std::optional<int> largest)
{
    const entry_number::next_number next = entry_number::after(largest);
    if (next.exhausted)
        return std::nullopt;
    return next.number.value_or(static_cast<std::int16_t>(entry_number::first));
}

} // namespace

w_deleted::w_deleted(application& application_object, QWidget* parent)
    : list_preview({QStringLiteral("w_deleted"),
                    QStringLiteral("Deleted FAQ entries"),
                    QStringLiteral("dw_deleted"),
                    QStringLiteral("Deleted entries"),
                    {QStringLiteral("Number"), QStringLiteral("Product"), QStringLiteral("Question"),
                     QStringLiteral("Deleted"), QStringLiteral("By")},
                    QStringLiteral("The entry as it was when it was deleted:"),
                    QStringLiteral("&Restore"),
                    QStringLiteral("cb_restore"),
                    QString(),
                    2,
                    QSize(900, 600)},
                   parent),
      app(application_object)
{
}

bool w_deleted::load()
{
    history::deleted_entries(*app.sqlca, entries);
    if (app.sqlca->failed()) {
        show_failure(QString::fromUtf16(history::read_history_title), *app.sqlca);
        return false;
    }
    fill_list();
    return true;
}

void w_deleted::fill_list()
{
    dw_deleted->clearSelection();
    dw_deleted->setRowCount(static_cast<int>(entries.size()));
    bool anyone_known = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const history::deleted_entry& entry = entries[i];
        const int row = static_cast<int>(i);
        const QString number = QString::number(entry.rbr);
        dw_deleted->setItem(
            row, number_column,
            entry.number_taken
                ? cell(number + QStringLiteral(" (taken)"),
                       QStringLiteral("Another entry carries number %1 now: this one comes back under a new number.")
                           .arg(entry.rbr))
                : cell(number));
        dw_deleted->setItem(row, product_column, cell(entry.proizvod));
        dw_deleted->setItem(row, question_column, cell(entry.pitanje));
        dw_deleted->setItem(row, deleted_column, cell(change_time::local_text(entry.deleted_at)));
        dw_deleted->setItem(row, who_column, cell(entry.deleted_by));
        anyone_known = anyone_known || !entry.deleted_by.isEmpty();
    }
    // Where the database cannot tell who deleted an entry, the column would stay empty.
    dw_deleted->setColumnHidden(who_column, !anyone_known);
    dw_deleted->resizeColumnsToContents();
    dw_deleted->setColumnWidth(product_column, std::min(dw_deleted->columnWidth(product_column), 220));
    // The question takes the room that is left; a long one ends in "…" (its tooltip shows it whole).
    dw_deleted->horizontalHeader()->setSectionResizeMode(question_column, QHeaderView::Stretch);

    if (entries.empty()) {
        show_empty(QStringLiteral("No deleted entries are kept."));
        return;
    }
    st_info->setText(
        QStringLiteral("Deleted entries, the latest deletion first. \"Restore\" puts the chosen entry back "
                       "under its old number, or under a new one when another entry carries that number now."));
    cb_restore->setEnabled(true);
    cb_close->setDefault(false);
    cb_restore->setDefault(true);
    dw_deleted->selectRow(0);
    dw_deleted->setFocus();
}

const history::deleted_entry* w_deleted::chosen() const
{
    const std::optional<std::size_t> row = chosen_row(entries.size());
    return row ? &entries[*row] : nullptr;
}

void w_deleted::show_chosen()
{
    const history::deleted_entry* entry = chosen();
    cb_restore->setEnabled(entry != nullptr);
    if (entry == nullptr) {
        mle_preview->show_note(QStringLiteral("Choose an entry to see it."));
        return;
    }
    std::optional<history::version> deleted;
    history::one_version(*app.sqlca, entry->version, deleted);
    if (app.sqlca->failed()) {
        mle_preview->show_note(QString());
        show_failure(QString::fromUtf16(history::read_history_title), *app.sqlca);
        return;
    }
    if (deleted)
        mle_preview->show_entry(deleted->texts);
    else
        mle_preview->show_note(QStringLiteral("This deletion is no longer in the history."));
}

void w_deleted::act()
{
    const history::deleted_entry* entry = chosen();
    if (entry == nullptr)
        return;
    const int old_rbr = entry->rbr;
    change_outcome outcome;
    history::restore_deleted(*app.sqlca, entry->version, next_free_number, outcome);
    if (outcome.what == change_outcome::result::restored) {
        done = restored{old_rbr, outcome.rbr};
        accept();
        return;
    }
    // The list as the database holds it now.
    if (show_not_restored(outcome, old_rbr) && !load())
        reject();
}

bool w_deleted::show_not_restored(const change_outcome& outcome, int old_rbr)
{
    using result = change_outcome::result;
    switch (outcome.what) {
    case result::already_restored:
        platform::message_box(
            QStringLiteral("Restore"),
            QStringLiteral("Entry %1 was restored already, as entry %2.").arg(old_rbr).arg(outcome.rbr));
        return true;
    case result::not_deleted:
        platform::message_box(QStringLiteral("Restore"), QStringLiteral("This deletion is no longer in the history."));
        return true;
    case result::no_number_left:
        platform::message_box(QStringLiteral("Error"),
                              QStringLiteral("Entry %1's number is taken, and no other entry number "
                                             "is left: entry numbers end at %2.")
                                  .arg(old_rbr)
                                  .arg(entry_number::last));
        return false;
    default:
        platform::message_box(outcome.title, outcome.text);
        return false;
    }
}
