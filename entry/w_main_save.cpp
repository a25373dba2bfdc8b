// Save: writes the window's entry to faq, as an update of its row or as a new row, commits,
// closes the window and refreshes the search list.

#include <QLineEdit>

#include "entry_number.h"
#include "platform.h"
#include "tarvo.h"
#include "w_main.h"
#include "w_search.h"

namespace {

// How often a new entry is numbered again when other clients keep taking its number.
constexpr int insert_attempts = 5;

} // namespace

void w_main::cb_save_clicked()
{
    std::int16_t a_rbr = platform::to_integer(sle_rbr->text());
    const statements::entry_texts entry = shown_texts();
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
    if (sqlca.SQLCode < 0) {
        platform::message_box(QStringLiteral("ERROR!"), QStringLiteral("SELECT (rbr) FROM faq"));
        ima = 0;
    }

    QString statement_title = QStringLiteral("UPDATE faq SET ...");
    if (ima > 0 && holds_stored_entry) {
        if (!update_entry(entry, a_rbr))
            return;
    } else {
        statement_title = QStringLiteral("INSERT INTO faq VALUES(...)");
        // A new entry whose number another client has stored meanwhile gets the next free one.
        if (ima > 0) {
            const std::optional<std::int16_t> number = number_entry();
            if (!number)
                return;
            a_rbr = *number;
        }
        if (!insert_entry(entry, a_rbr))
            return;
    }

    // A change the database refuses at its commit (a deferred check, a lost connection) is not
    // stored: say so under the statement's title and keep the user's text in the window.
    sqlca.commit();
    if (sqlca.SQLCode != 0) {
        platform::message_box(statement_title, sqlca.SQLErrText);
        return;
    }
    // The number is the one written: numbering may have changed it on the way.
    emit saved(platform::to_integer(sle_rbr->text()));
    close();
    if (app.w_search)
        app.w_search->cb_search_clicked();
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

bool w_main::update_entry(const statements::entry_texts& entry, std::int16_t a_rbr)
{
    transaction& sqlca = *app.sqlca;
    statements::update_entry(sqlca, entry, a_rbr);
    if (sqlca.SQLCode != 0) {
        platform::message_box(QStringLiteral("UPDATE faq SET ..."), sqlca.SQLErrText);
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
        if (sqlca.SQLCode == 0)
            return true;
        const QString error = sqlca.SQLErrText;
        // Rejected because another client stored the number first: number the new entry again.
        if (!holds_stored_entry && attempt < insert_attempts && number_taken(a_rbr)) {
            entry_number::pause_before_renumbering(attempt);
            const std::optional<std::int16_t> number = number_entry();
            if (!number)
                return false;
            a_rbr = *number;
            continue;
        }
        platform::message_box(QStringLiteral("INSERT INTO faq VALUES(...)"), error);
        return false;
    }
}

bool w_main::number_taken(std::int16_t a_rbr)
{
    std::int16_t ima = 0;
    statements::select_count(*app.sqlca, a_rbr, ima);
    return app.sqlca->SQLCode == 0 && ima > 0;
}
