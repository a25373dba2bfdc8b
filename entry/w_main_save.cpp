// Save: writes the window's entry to faq, as an update of its row or as a new row, commits,
// closes the window and refreshes the search list.

#include <QLineEdit>

#include "application.h"
#include "entry_number.h"
#include "platform.h"
#include "w_main.h"

namespace {

// How often a new entry is numbered again when other clients keep taking its number.
constexpr int insert_attempts = 5;

const QString update_title = QStringLiteral("UPDATE faq SET ...");
const QString insert_title = QStringLiteral("INSERT INTO faq VALUES(...)");

void show_count_failure(const transaction& sqlca)
{
    platform::message_box(QStringLiteral("ERROR!"), QStringLiteral("SELECT (rbr) FROM faq"), sqlca.SQLErrText);
}

// A column the database held as NULL, which the window shows empty and the user left empty, is
// written as NULL again; every other text as shown ("" for an empty one).
QString text_to_write(const QString& shown, const QString& stored, bool loaded)
{
    if (shown.isEmpty())
        return loaded && stored.isNull() ? QString() : QStringLiteral("");
    return shown;
}

} // namespace

statements::entry_texts w_main::texts_to_write() const
{
    const statements::entry_texts shown = shown_texts();
    const statements::entry_texts& stored = stored_version;
    const bool loaded = holds_stored_entry;
    return {text_to_write(shown.adresa, stored.adresa, loaded), text_to_write(shown.pitanje, stored.pitanje, loaded),
            text_to_write(shown.proizvod, stored.proizvod, loaded), text_to_write(shown.lot, stored.lot, loaded),
            text_to_write(shown.odgovor, stored.odgovor, loaded)};
}

bool w_main::refuse_shared_number(std::int16_t a_rbr, std::int16_t ima)
{
    if (ima < 2)
        return false;
    platform::message_box(update_title, QStringLiteral("Entry number %1 is carried by %2 entries in the table: saving "
                                                       "would write this text over all of them. Nothing was saved.")
                                            .arg(a_rbr)
                                            .arg(ima));
    return true;
}

void w_main::remember_unconfirmed_insert(const statements::entry_texts& entry)
{
    // A failed insert or commit may still have stored the new entry (a driver that let the
    // statement commit on its own, a commit whose answer was lost): the next Save looks first.
    unconfirmed_insert.emplace(platform::to_integer(sle_rbr->text()), entry);
}

bool w_main::found_unconfirmed_insert(std::int16_t a_rbr)
{
    if (!unconfirmed_insert || unconfirmed_insert->first != a_rbr)
        return false;
    transaction& sqlca = *app.sqlca;
    std::optional<statements::entry_texts> now;
    statements::select_stored_entry(sqlca, a_rbr, now);
    sqlca.rollback();
    if (!now || !statements::same_texts(*now, unconfirmed_insert->second))
        return false;
    // The earlier Save did store the entry: from now on the window holds that stored entry.
    unconfirmed_insert.reset();
    holds_stored_entry = true;
    stored_version = *now;
    platform::message_box(insert_title, QStringLiteral("The earlier Save did store this entry, as entry %1, although "
                                                       "it was reported as failed. It is not stored a second time.")
                                            .arg(a_rbr));
    return true;
}

namespace {

} // namespace

void w_main::cb_save_clicked()
{
    std::int16_t a_rbr = platform::to_integer(sle_rbr->text());
    const statements::entry_texts entry = texts_to_write();
    transaction& sqlca = *app.sqlca;

    // An entry without a valid number (none loaded, or the numbering failed on opening) is
    // numbered now; without a number nothing is written and the text stays in the window.
    if (a_rbr < entry_number::first) {
        holds_stored_entry = false;
        const std::optional<std::int16_t> number = number_entry();
        if (!number)
            return;
        a_rbr = *number;
    }

    std::int16_t ima = 0;
    statements::select_count(sqlca, a_rbr, ima);
    if (sqlca.failed()) {
        show_count_failure(sqlca);
        // A loaded entry is never taken for a new one on a guess: inserting it would store it
        // twice, or fail on its own number. Nothing is written; the next Save counts again.
        if (holds_stored_entry)
            return;
        ima = 0;
    }

    if (!holds_stored_entry && ima > 0)
        found_unconfirmed_insert(a_rbr);
    if (holds_stored_entry && refuse_shared_number(a_rbr, ima))
        return;

    QString statement_title = insert_title;
    if (holds_stored_entry && ima > 0) {
        if (!write_over_stored_entry(entry, a_rbr, statement_title))
            return;
    } else {
        // A new entry whose number another client has stored meanwhile gets the next free one.
        // A loaded entry that nobody stores any more (deleted meanwhile) is stored again under
        // its number.
        if (!holds_stored_entry && ima > 0) {
            const std::optional<std::int16_t> number = free_number(a_rbr);
            if (!number)
                return;
            a_rbr = *number;
        }
        if (!insert_entry(entry, a_rbr)) {
            remember_unconfirmed_insert(entry);
            return;
        }
    }

    // A change the database refuses at its commit (a deferred check, a lost connection, a
    // database file gone) is not stored: say so under the statement's title and keep the
    // user's text in the window.
    sqlca.commit();
    if (!sqlca.succeeded()) {
        if (statement_title == insert_title)
            remember_unconfirmed_insert(entry);
        show_failure(statement_title, sqlca);
        return;
    }
    // The number is the one written: numbering may have changed it on the way. The window
    // closes, then announces the save, and the search window lists afresh.
    const int saved_number = platform::to_integer(sle_rbr->text());
    close();
    emit saved(saved_number);
}

bool w_main::write_over_stored_entry(const statements::entry_texts& entry, std::int16_t a_rbr, QString& statement_title)
{
    transaction& sqlca = *app.sqlca;
    // The version this save may replace: the one loaded, or one the user agreed to replace.
    statements::entry_texts replaceable = stored_version;
    for (;;) {
        std::optional<statements::entry_texts> now;
        statements::select_stored_entry(sqlca, a_rbr, now);
        if (sqlca.failed()) {
            statement_title = update_title;
            show_failure(update_title, sqlca);
            return false;
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
        app.open_w_da_ne(QStringLiteral("Another user has changed this entry since you opened it. "
                                        "Save your version over theirs?"));
        if (app.message->StringParm != QLatin1String("DA"))
            return false;
        replaceable = *now;
    }
}

std::optional<std::int16_t> w_main::number_entry()
{
    const QString text = entry_number::window_text(novibroj());
    const std::int16_t number = platform::to_integer(text);
    if (number < entry_number::first)
        return std::nullopt;
    sle_rbr->setText(text);
    return number;
}

std::optional<std::int16_t> w_main::free_number(std::int16_t taken)
{
    transaction& sqlca = *app.sqlca;
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
            show_count_failure(sqlca);
            return std::nullopt;
        }
        if (ima == 0)
            return number;
        taken = *number;
    }
    platform::message_box(QStringLiteral("Error"),
                          QStringLiteral("No free entry number was found. The entry has not been saved."));
    return std::nullopt;
}

bool w_main::update_entry(const statements::entry_texts& entry, std::int16_t a_rbr)
{
    transaction& sqlca = *app.sqlca;
    statements::update_entry(sqlca, entry, a_rbr);
    if (!sqlca.succeeded()) {
        show_failure(update_title, sqlca);
        return false;
    }
    return true;
}

bool w_main::insert_entry(const statements::entry_texts& entry, std::int16_t a_rbr)
{
    transaction& sqlca = *app.sqlca;
    const QString datum = platform::today_text();
    for (int attempt = 1;; ++attempt) {
        statements::insert_entry(sqlca, a_rbr, entry, datum);
        if (sqlca.succeeded())
            return true;
        const QString error = sqlca.SQLErrText;
        // Rejected because another client stored the number first: number the new entry again.
        if (!holds_stored_entry && attempt < insert_attempts && number_taken(a_rbr)) {
            entry_number::pause_before_renumbering(attempt);
            const std::optional<std::int16_t> number = free_number(a_rbr);
            if (!number)
                return false;
            a_rbr = *number;
            continue;
        }
        platform::message_box(insert_title, error);
        return false;
    }
}

bool w_main::number_taken(std::int16_t a_rbr)
{
    std::int16_t ima = 0;
    statements::select_count(*app.sqlca, a_rbr, ima);
    return app.sqlca->succeeded() && ima > 0;
}
