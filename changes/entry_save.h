#pragma once
// Save: writes the entry window's texts to faq, as an update of the row the window loaded or as
// a new row, and commits. A new entry whose number another client took meanwhile is numbered
// again; a loaded entry that another user saved since is written over theirs only when the user
// says so. Nothing the user typed is lost: a save that fails leaves the texts in the window.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

#include "change_outcome.h"
#include "statements.h"
#include "transaction.h"

namespace changes {

// What a save needs of its window.
struct save_dialogue {
    // The yes/no question; true only for a yes.
    std::function<bool(const QString& question)> ask;
    // A message the save goes on after (title, text, details).
    std::function<void(const QString& title, const QString& text, const QString& details)> tell;
    // A fresh number for the entry, which the window then shows; no value (after its own
    // message) when none can be had.
    std::function<std::optional<std::int16_t>()> number;
};

// What the window holds of the entry it saves; a save keeps it up to date.
struct saved_entry {
    // The number is that of a row the window loaded; otherwise the window holds a new entry,
    // which must never overwrite a row another client stored under its number.
    bool holds_stored_entry = false;
    // The entry as the database held it when the window loaded it (empty for a new entry).
    statements::entry_texts stored_version;
    // The number and texts of a new entry whose commit failed; it may have been stored all the same.
    std::optional<std::pair<std::int16_t, statements::entry_texts>> unconfirmed_insert;
};

class entry_save {
public:
    // `datum` is the creation date a new entry is stored with.
    entry_save(transaction& sqlca, saved_entry& state, save_dialogue dialogue, QString datum);

    // Saves `entry` under a_rbr (below 1: not numbered yet). Saved under the number written, or
    // cancelled (after any message), or failed under a statement's title.
    change_outcome run(std::int16_t a_rbr, const statements::entry_texts& entry);

private:
    // The count of rows under the number; false (after its message) when the save cannot go on.
    bool count(std::int16_t a_rbr, std::int16_t& ima);
    // A loaded entry whose number ima > 1 rows carry is not saved: the update would write over
    // all of them.
    bool refuse_shared_number(std::int16_t a_rbr, std::int16_t ima);
    // The row under a_rbr is the new entry whose commit was reported failed: the window then
    // holds it as its stored entry (after saying so).
    bool found_unconfirmed_insert(std::int16_t a_rbr);
    void remember_unconfirmed_insert(const statements::entry_texts& entry);
    // Writes a loaded entry over its row once it is sure not to destroy another user's save: the
    // row is read again inside the change and, when it differs from what the window loaded, the
    // user is asked first. False when nothing was written.
    bool write_over_stored_entry(const statements::entry_texts& entry, std::int16_t a_rbr, QString& statement_title);
    // A new entry whose number another client has stored meanwhile gets the next free one.
    bool insert_new_entry(const statements::entry_texts& entry, std::int16_t a_rbr, std::int16_t ima);
    std::optional<std::int16_t> number_entry();
    // A new number for a new entry whose number `taken` the count found stored, itself counted
    // free before it is used; no value when none can be found.
    std::optional<std::int16_t> free_number(std::int16_t taken);
    bool update_entry(const statements::entry_texts& entry, std::int16_t a_rbr);
    bool insert_entry(const statements::entry_texts& entry, std::int16_t a_rbr);
    // Whether a row now carries the number (false when the count itself fails).
    bool number_taken(std::int16_t a_rbr);
    void show_count_failure();
    // The save ends without a change; `outcome` then says why.
    bool fail(const QString& title, const QString& text);

    transaction& sqlca;
    saved_entry& state;
    save_dialogue dialogue;
    QString datum;
    // The number the entry is saved under, as the window shows it.
    std::int16_t current = 0;
    change_outcome outcome = change_outcome::of(change_outcome::result::cancelled);
};

} // namespace changes
