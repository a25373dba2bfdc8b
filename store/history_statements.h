#pragma once
// The statements on the history of the entries. The database keeps it itself: triggers on faq
// copy a row into faq_history as it was before each change and delete (db/faq-history.*.sql).
// The program reads it, and restores a deleted entry from it, noting the restore in
// faq_restored. Each leaves SQLCode and SQLErrText set on the session.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "change_outcome.h"
#include "statements.h"
#include "transaction.h"

namespace history {

// The texts, with "?" for each bound value. The time is read as text: SQLite keeps it as UTC
// text, PostgreSQL writes it with its offset (change_time.h reads both).
inline constexpr char16_t versions_of_entry_text[] =
    u"SELECT version, rbr, CAST(changed_at AS VARCHAR(40)), change, changed_by, adresa, pitanje, datum, proizvod, "
    u"lot, odgovor FROM faq_history WHERE rbr = ? ORDER BY version DESC";
inline constexpr char16_t one_version_text[] =
    u"SELECT version, rbr, CAST(changed_at AS VARCHAR(40)), change, changed_by, adresa, pitanje, datum, proizvod, "
    u"lot, odgovor FROM faq_history WHERE version = ?";
inline constexpr char16_t deleted_entries_text[] =
    u"SELECT h.version, h.rbr, h.proizvod, h.pitanje, CAST(h.changed_at AS VARCHAR(40)), h.changed_by, "
    u"CASE WHEN EXISTS (SELECT 1 FROM faq f WHERE f.rbr = h.rbr) THEN 1 ELSE 0 END "
    u"FROM faq_history h WHERE h.change = 'delete' "
    u"AND NOT EXISTS (SELECT 1 FROM faq_restored r WHERE r.version = h.version) ORDER BY h.version DESC";
// The deletion to restore, and the number it came back under if it was restored already.
inline constexpr char16_t deletion_text[] =
    u"SELECT h.rbr, r.rbr FROM faq_history h LEFT JOIN faq_restored r ON r.version = h.version "
    u"WHERE h.version = ? AND h.change = 'delete'";
inline constexpr char16_t restore_entry_text[] =
    u"INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) "
    u"SELECT CAST(? AS INTEGER), adresa, pitanje, datum, proizvod, lot, odgovor FROM faq_history WHERE version = ?";
inline constexpr char16_t note_restore_text[] = u"INSERT INTO faq_restored (version, rbr) VALUES (?, ?)";

// The titles under which a failure of each statement is reported.
inline constexpr char16_t read_history_title[] = u"SELECT ... FROM faq_history";
inline constexpr char16_t restore_entry_title[] = u"INSERT INTO faq SELECT ... FROM faq_history";
inline constexpr char16_t note_restore_title[] = u"INSERT INTO faq_restored VALUES(...)";

// One earlier version of an entry: its row as it was before a change ("update") or before it
// was deleted ("delete").
struct version {
    std::int64_t id = 0;  // faq_history.version: later changes have larger ones
    int rbr = 0;          // the entry's number then
    QDateTime changed_at; // when the change was made (UTC); invalid if the database gave none
    QString change;       // "update" or "delete"
    QString changed_by;   // the desktop user, where the database knows it; else empty
    QString datum;        // creation date of the entry
    statements::entry_texts texts;
};

// A deleted entry that has not been restored since: its latest deletion.
struct deleted_entry {
    std::int64_t version = 0; // the deletion's version
    int rbr = 0;              // the number it had
    QString proizvod;
    QString pitanje;
    QDateTime deleted_at;
    QString deleted_by;
    bool number_taken = false; // another entry carries the number now
};

// The versions of entry rbr, newest first (none is a success: SQLCode 0, no rows).
void versions_of_entry(transaction& sqlca, int rbr, std::vector<version>& versions);

// One version by its id; no value (SQLCode 100) when there is none.
void one_version(transaction& sqlca, std::int64_t id, std::optional<version>& found);

// The entry as stored now, read on its own (the versions end with it); no value (SQLCode 100)
// when no entry carries the number.
void stored_texts(transaction& sqlca, int rbr, std::optional<statements::entry_texts>& stored);

// Every deletion not restored since, the latest first.
void deleted_entries(transaction& sqlca, std::vector<deleted_entry>& entries);

// The number for an entry when its own is taken, from the largest stored number (no value for
// an empty table): the numbering of new entries. No value when no number is left.
using numbering = std::function<std::optional<std::int16_t>(std::optional<int> largest)>;

// A restore answers as every change does.
using restore_outcome = change_outcome;

// Puts a deleted entry back into faq as it was, in one transaction: under its old number when no
// entry carries it (and it is a number the program can hold, 1 to 32767), otherwise under the
// number `next` gives; notes the restore; commits. When another client takes the number before
// the commit, the entry is numbered again. Nothing of a restore that fails stays in the database.
// The outcome tells what happened.
void restore_deleted(transaction& sqlca, std::int64_t version_id, const numbering& next, restore_outcome& outcome);

} // namespace history
