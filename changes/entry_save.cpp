#include "entry_save.h"

#include "entry_number.h"

namespace changes {
namespace {

// How often a new entry is numbered again when other clients keep taking its number.
constexpr int insert_attempts = 5;

const QString update_title = QStringLiteral("UPDATE faq SET ...");
const QString insert_title = QStringLiteral("INSERT INTO faq VALUES(...)");

} // namespace

entry_save::entry_save(transaction& session, saved_entry& saved, save_dialogue asks, QString date)
    : sqlca(session), state(saved), dialogue(std::move(asks)), datum(std::move(date))
{
}

change_outcome entry_save::run(std::int16_t a_rbr, const statements::entry_texts& entry)
{
    outcome = change_outcome::of(change_outcome::result::cancelled);
    current = a_rbr;
    // An entry without a valid number (none loaded, or the numbering failed on opening) is
    // numbered now; without a number nothing is written and the text stays in the window.
    if (a_rbr < entry_number::first) {
        state.holds_stored_entry = false;
        const std::optional<std::int16_t> number = number_entry();
        if (!number)
            return outcome;
        a_rbr = *number;
    }
    std::int16_t ima = 0;
    if (!count(a_rbr, ima))
        return outcome;
    if (!state.holds_stored_entry && ima > 0)
        found_unconfirmed_insert(a_rbr);
    if (state.holds_stored_entry && refuse_shared_number(a_rbr, ima))
        return outcome;

    QString statement_title = insert_title;
    const bool written = state.holds_stored_entry && ima > 0 ? write_over_stored_entry(entry, a_rbr, statement_title)
                                                             : insert_new_entry(entry, a_rbr, ima);
    if (!written)
        return outcome;
    // A change the database refuses at its commit (a deferred check, a lost connection, a
    // database file gone) is not stored: say so under the statement's title and keep the
    // user's text in the window.
    sqlca.commit();
    if (!sqlca.succeeded()) {
        if (statement_title == insert_title)
            remember_unconfirmed_insert(entry);
        fail(statement_title, sqlca.SQLErrText);
        return outcome;
    }
    // The number is the one written: numbering may have changed it on the way.
    return change_outcome::of(change_outcome::result::saved, current);
}

bool entry_save::count(std::int16_t a_rbr, std::int16_t& ima)
{
    statements::select_count(sqlca, a_rbr, ima);
    if (!sqlca.failed())
        return true;
    show_count_failure();
    // A loaded entry is never taken for a new one on a guess: inserting it would store it
    // twice, or fail on its own number. Nothing is written; the next Save counts again.
    ima = 0;
    return !state.holds_stored_entry;
}

void entry_save::show_count_failure()
{
    dialogue.tell(QStringLiteral("ERROR!"), QStringLiteral("SELECT (rbr) FROM faq"), sqlca.SQLErrText);
}

bool entry_save::fail(const QString& title, const QString& text)
{
    outcome = change_outcome::failure(title, text);
    return false;
}

bool entry_save::refuse_shared_number(std::int16_t a_rbr, std::int16_t ima)
{
    if (ima < 2)
        return false;
    fail(update_title, QStringLiteral("Entry number %1 is carried by %2 entries in the table: saving "
                                      "would write this text over all of them. Nothing was saved.")
                           .arg(a_rbr)
                           .arg(ima));
    return true;
}

void entry_save::remember_unconfirmed_insert(const statements::entry_texts& entry)
{
    // A failed insert or commit may still have stored the new entry (a driver that let the
    // statement commit on its own, a commit whose answer was lost): the next Save looks first.
    state.unconfirmed_insert.emplace(current, entry);
}

bool entry_save::found_unconfirmed_insert(std::int16_t a_rbr)
{
    if (!state.unconfirmed_insert || state.unconfirmed_insert->first != a_rbr)
        return false;
    std::optional<statements::entry_texts> now;
    statements::select_stored_entry(sqlca, a_rbr, now);
    sqlca.rollback();
    if (!now || !statements::same_texts(*now, state.unconfirmed_insert->second))
        return false;
    // The earlier Save did store the entry: from now on the window holds that stored entry.
    state.unconfirmed_insert.reset();
    state.holds_stored_entry = true;
    state.stored_version = *now;
    dialogue.tell(insert_title,
                  QStringLiteral("The earlier Save did store this entry, as entry %1, although "
                                 "it was reported as failed. It is not stored a second time.")
                      .arg(a_rbr),
                  QString());
    return true;
}

bool entry_save::write_over_stored_entry(const statements::entry_texts& entry, std::int16_t a_rbr,
                                         QString& statement_title)
{
    // The version this save may replace: the one loaded, or one the user agreed to replace.
    statements::entry_texts replaceable = state.stored_version;
    for (;;) {
        std::optional<statements::entry_texts> now;
        statements::select_stored_entry(sqlca, a_rbr, now);
        if (sqlca.failed()) {
            statement_title = update_title;
            return fail(update_title, sqlca.SQLErrText);
        }
        if (!now) {
            // Deleted since the count: stored again under its number, as when the count finds none.
            statement_title = insert_title;
            return insert_entry(entry, a_rbr);
        }
        // Nothing to write: the row already holds these values (no version is made of it).
        if (statements::same_values(*now, entry)) {
            statement_title = update_title;
            return true;
        }
        if (statements::same_texts(*now, replaceable) || statements::same_texts(*now, entry)) {
            statement_title = update_title;
            return update_entry(entry, a_rbr);
        }
        // Another user saved the entry since. Neither a lock nor a transaction is held while
        // the user decides; after a yes, a new change reads the entry again.
        sqlca.rollback();
        if (!dialogue.ask(QStringLiteral("Another user has changed this entry since you opened it. "
                                         "Save your version over theirs?")))
            return false;
        replaceable = *now;
    }
}

bool entry_save::insert_new_entry(const statements::entry_texts& entry, std::int16_t a_rbr, std::int16_t ima)
{
    // A new entry whose number another client has stored meanwhile gets the next free one.
    // A loaded entry that nobody stores any more (deleted meanwhile) is stored again under
    // its number.
    if (!state.holds_stored_entry && ima > 0) {
        const std::optional<std::int16_t> number = free_number(a_rbr);
        if (!number)
            return false;
        a_rbr = *number;
    }
    if (insert_entry(entry, a_rbr))
        return true;
    remember_unconfirmed_insert(entry);
    return false;
}

std::optional<std::int16_t> entry_save::number_entry()
{
    const std::optional<std::int16_t> number = dialogue.number();
    if (number)
        current = *number;
    return number;
}

std::optional<std::int16_t> entry_save::free_number(std::int16_t taken)
{
    for (int attempt = 1; attempt <= insert_attempts; ++attempt) {
        const std::optional<std::int16_t> number = number_entry();
        if (!number)
            return std::nullopt;
        // The numbering hands out the taken number again when the largest stored value is no
        // number (a text in rbr): no free number can be had that way.
        if (*number == taken)
            break;
        std::int16_t ima = 0;
        statements::select_count(sqlca, *number, ima);
        if (sqlca.failed()) {
            show_count_failure();
            return std::nullopt;
        }
        if (ima == 0)
            return number;
        taken = *number;
    }
    fail(QStringLiteral("Error"), QStringLiteral("No free entry number was found. The entry has not been saved."));
    return std::nullopt;
}

bool entry_save::update_entry(const statements::entry_texts& entry, std::int16_t a_rbr)
{
    statements::update_entry(sqlca, entry, a_rbr);
    if (!sqlca.succeeded())
        return fail(update_title, sqlca.SQLErrText);
    return true;
}

bool entry_save::insert_entry(const statements::entry_texts& entry, std::int16_t a_rbr)
{
    for (int attempt = 1;; ++attempt) {
        statements::insert_entry(sqlca, a_rbr, entry, datum);
        if (sqlca.succeeded())
            return true;
        const QString error = sqlca.SQLErrText;
        // Rejected because another client stored the number first: number the new entry again.
        if (!state.holds_stored_entry && attempt < insert_attempts && number_taken(a_rbr)) {
            entry_number::pause_before_renumbering(attempt);
            const std::optional<std::int16_t> number = free_number(a_rbr);
            if (!number)
                return false;
            a_rbr = *number;
            continue;
        }
        return fail(insert_title, error);
    }
}

bool entry_save::number_taken(std::int16_t a_rbr)
{
    std::int16_t ima = 0;
    statements::select_count(sqlca, a_rbr, ima);
    return sqlca.succeeded() && ima > 0;
}

} // namespace changes
