#include "history_statements.h"

#include "change_time.h"
#include "odbc_statement.h"

namespace history {
namespace {

QString text_of(const char16_t* text) { return QString::fromUtf16(text); }

// The numbers the program can hold (16 bits, from 1).
constexpr std::int64_t first_number = 1;
constexpr std::int64_t last_number = 32767;

// Columns 1 to 11 of the versions' select, read in order (drivers read columns left to right).
bool read_version(odbc_statement& statement, version& row)
{
    std::optional<std::int64_t> id;
    std::optional<std::int64_t> rbr;
    QString when;
    if (!statement.number(1, id) || !statement.number(2, rbr) || !statement.text(3, when)
        || !statement.text(4, row.change) || !statement.text(5, row.changed_by) || !statement.text(6, row.texts.adresa)
        || !statement.text(7, row.texts.pitanje) || !statement.text(8, row.datum)
        || !statement.text(9, row.texts.proizvod) || !statement.text(10, row.texts.lot)
        || !statement.text(11, row.texts.odgovor))
        return false;
    row.id = id.value_or(0);
    row.rbr = static_cast<int>(rbr.value_or(0));
    row.changed_at = change_time::parse(when);
    return true;
}

bool read_deleted(odbc_statement& statement, deleted_entry& row)
{
    std::optional<std::int64_t> id;
    std::optional<std::int64_t> rbr;
    std::optional<std::int64_t> taken;
    QString when;
    if (!statement.number(1, id) || !statement.number(2, rbr) || !statement.text(3, row.proizvod)
        || !statement.text(4, row.pitanje) || !statement.text(5, when) || !statement.text(6, row.deleted_by)
        || !statement.number(7, taken))
        return false;
    row.version = id.value_or(0);
    row.rbr = static_cast<int>(rbr.value_or(0));
    row.deleted_at = change_time::parse(when);
    row.number_taken = taken.value_or(0) != 0;
    return true;
}

// A read of any number of rows: `bind` binds the values, `start` forgets the rows of an earlier
// run (a read lost with its connection runs again), `row` reads one row and says whether the
// driver could.
template <typename Bind, typename Start, typename Row>
void read_rows(transaction& sqlca, const QString& text, Bind bind, Start start, Row row)
{
    sqlca.run_read([&](odbc_connection& connection) {
        start();
        odbc_statement statement(connection);
        bind(statement);
        if (!statement.execute(text)) {
            sqlca.report_failure(statement.error());
            return;
        }
        long rows = 0;
        if (const std::optional<store_error> error = statement.each_row([&](odbc_statement& current) {
                ++rows;
                return row(current);
            }))
            sqlca.report_failure(*error);
        else
            sqlca.report_success(rows == 0 ? transaction::not_found : transaction::success);
    });
}

// One row of numbers, on the connection of a change under way.
struct numbers {
    bool found = false;
    std::optional<std::int64_t> first;
    std::optional<std::int64_t> second;
};

template <typename Bind>
std::optional<store_error> numbers_in_change(odbc_connection& connection, const QString& text, Bind bind, int columns,
                                             numbers& row)
{
    row = {};
    odbc_statement statement(connection);
    bind(statement);
    if (!statement.execute(text))
        return statement.error();
    switch (statement.fetch()) {
    case odbc_statement::fetched::failed:
        return statement.error();
    case odbc_statement::fetched::end:
        return std::nullopt;
    case odbc_statement::fetched::row:
        break;
    }
    row.found = true;
    if (!statement.number(1, row.first) || (columns > 1 && !statement.number(2, row.second)))
        return statement.error();
    return std::nullopt;
}

template <typename Bind>
std::optional<store_error> change_in_change(odbc_connection& connection, const QString& text, Bind bind)
{
    odbc_statement statement(connection);
    bind(statement);
    if (!statement.execute(text))
        return statement.error();
    return std::nullopt;
}

void report_failure(restore_outcome& outcome, const QString& title, const transaction& sqlca)
{
    outcome.what = restore_outcome::result::failed;
    outcome.title = title;
    outcome.text = sqlca.SQLErrText;
}

// The deletion as it stands now, read on its own: restored meanwhile (by another client)?
std::optional<int> restored_as(transaction& sqlca, std::int64_t version_id)
{
    static const QString text = text_of(deletion_text);
    std::optional<int> number;
    read_rows(
        sqlca, text, [&](odbc_statement& statement) { statement.bind(version_id); }, [&] { number.reset(); },
        [&](odbc_statement& statement) {
            std::optional<std::int64_t> old_number;
            std::optional<std::int64_t> restored;
            if (!statement.number(1, old_number) || !statement.number(2, restored))
                return false;
            if (restored)
                number = static_cast<int>(*restored);
            return true;
        });
    return number;
}

// Whether an entry carries the number now, read on its own (false when the read fails).
bool number_taken(transaction& sqlca, int rbr)
{
    std::int16_t ima = 0;
    statements::select_count(sqlca, static_cast<std::int16_t>(rbr), ima);
    return sqlca.succeeded() && ima > 0;
}

// Ends a change that only read: nothing to keep.
void end_reading_change(transaction& sqlca)
{
    sqlca.change_succeeded();
    sqlca.rollback();
}

// A statement of the change failed under `title`: the change is rolled back, the failure kept on
// the session and in the outcome.
void fail_change(transaction& sqlca, const store_error& error, const QString& title, restore_outcome& outcome)
{
    sqlca.change_failed(error);
    report_failure(outcome, title, sqlca);
}

// A write of the restore failed under `title`. Another client may have restored the entry
// meanwhile, or, when `renumber` names the number tried, stored an entry under it first: true
// when the restore is to be tried again under a new number. The database's message stays on
// the session and in the outcome.
bool write_failed(transaction& sqlca, const store_error& error, std::int64_t version_id, const QString& title,
                  std::optional<int> renumber, restore_outcome& outcome)
{
    sqlca.change_failed(error);
    const QString text = sqlca.SQLErrText;
    if (const std::optional<int> restored = restored_as(sqlca, version_id)) {
        outcome.what = restore_outcome::result::already_restored;
        outcome.rbr = *restored;
        return false;
    }
    if (renumber && number_taken(sqlca, *renumber))
        return true;
    outcome = change_outcome::failure(title, text);
    sqlca.report_failure(store_error{QString(), text});
    return false;
}

// The number the entry comes back under: its old one when no entry carries it (a number the
// program cannot hold never is), else the one `next` gives. No value, with the outcome set, when
// there is none or a read failed.
std::optional<int> target_number(transaction& sqlca, odbc_connection& connection, std::int64_t old_number,
                                 const numbering& next, restore_outcome& outcome)
{
    static const QString count = statements::with_placeholders(statements::count_rbr);
    static const QString largest = statements::with_placeholders(statements::max_rbr);
    if (old_number >= first_number && old_number <= last_number) {
        numbers carrying;
        if (auto error = numbers_in_change(
                connection, count,
                [&](odbc_statement& statement) { statement.bind(static_cast<std::int32_t>(old_number)); }, 1,
                carrying)) {
            fail_change(sqlca, *error, QStringLiteral("SELECT Count ( rbr ) FROM faq"), outcome);
            return std::nullopt;
        }
        if (carrying.first.value_or(0) == 0)
            return static_cast<int>(old_number);
    }
    numbers max;
    if (auto error = numbers_in_change(
            connection, largest, [](odbc_statement&) {}, 1, max)) {
        fail_change(sqlca, *error, QStringLiteral("SELECT MAX ( rbr ) FROM faq"), outcome);
        return std::nullopt;
    }
    const std::optional<std::int16_t> number =
        next(max.first ? std::optional<int>(static_cast<int>(*max.first)) : std::nullopt);
    if (!number) {
        end_reading_change(sqlca);
        outcome.what = restore_outcome::result::no_number_left;
        return std::nullopt;
    }
    return *number;
}

// One try at the restore, in one change; true when the entry is to be numbered again (another
// client stored an entry under its number first, and `may_renumber`).
bool try_restore(transaction& sqlca, std::int64_t version_id, const numbering& next, bool may_renumber,
                 restore_outcome& outcome)
{
    static const QString deletion = text_of(deletion_text);
    static const QString restore = text_of(restore_entry_text);
    static const QString note = text_of(note_restore_text);
    odbc_connection* const change = sqlca.begin_change();
    if (change == nullptr) {
        report_failure(outcome, text_of(read_history_title), sqlca);
        return false;
    }
    // The deletion, and whether it was restored already.
    numbers deleted;
    if (auto error = numbers_in_change(
            *change, deletion, [&](odbc_statement& statement) { statement.bind(version_id); }, 2, deleted)) {
        fail_change(sqlca, *error, text_of(read_history_title), outcome);
        return false;
    }
    if (!deleted.found || deleted.second) {
        end_reading_change(sqlca);
        outcome.what = deleted.found ? restore_outcome::result::already_restored : restore_outcome::result::not_deleted;
        outcome.rbr = static_cast<int>(deleted.second.value_or(0));
        return false;
    }
    const std::int64_t old_number = deleted.first.value_or(0);
    const std::optional<int> target = target_number(sqlca, *change, old_number, next, outcome);
    if (!target)
        return false;
    // The entry as it was deleted, then the note that it is back.
    if (auto error = change_in_change(*change, restore, [&](odbc_statement& statement) {
            statement.bind(std::int32_t{*target});
            statement.bind(version_id);
        }))
        return write_failed(sqlca, *error, version_id, text_of(restore_entry_title),
                            may_renumber ? target : std::nullopt, outcome);
    if (auto error = change_in_change(*change, note, [&](odbc_statement& statement) {
            statement.bind(version_id);
            statement.bind(std::int32_t{*target});
        }))
        return write_failed(sqlca, *error, version_id, text_of(note_restore_title), std::nullopt, outcome);
    sqlca.change_succeeded();
    sqlca.commit();
    if (!sqlca.succeeded()) {
        report_failure(outcome, text_of(restore_entry_title), sqlca);
        return false;
    }
    outcome.what = restore_outcome::result::restored;
    outcome.rbr = *target;
    outcome.under_old_number = *target == old_number;
    return false;
}

} // namespace

void versions_of_entry(transaction& sqlca, int rbr, std::vector<version>& versions)
{
    static const QString text = text_of(versions_of_entry_text);
    read_rows(
        sqlca, text, [&](odbc_statement& statement) { statement.bind(std::int32_t{rbr}); }, [&] { versions.clear(); },
        [&](odbc_statement& statement) { return read_version(statement, versions.emplace_back()); });
    if (sqlca.SQLCode == transaction::not_found)
        sqlca.report_success();
    if (sqlca.failed())
        versions.clear();
}

void one_version(transaction& sqlca, std::int64_t id, std::optional<version>& found)
{
    static const QString text = text_of(one_version_text);
    read_rows(
        sqlca, text, [&](odbc_statement& statement) { statement.bind(id); }, [&] { found.reset(); },
        [&](odbc_statement& statement) { return read_version(statement, found.emplace()); });
    if (sqlca.failed())
        found.reset();
}

void stored_texts(transaction& sqlca, int rbr, std::optional<statements::entry_texts>& stored)
{
    static const QString text = statements::with_placeholders(statements::stored_entry_text);
    read_rows(
        sqlca, text, [&](odbc_statement& statement) { statement.bind(std::int32_t{rbr}); }, [&] { stored.reset(); },
        [&](odbc_statement& statement) {
            statements::entry_texts& row = stored.emplace();
            return statement.text(1, row.adresa) && statement.text(2, row.pitanje) && statement.text(3, row.proizvod)
                   && statement.text(4, row.lot) && statement.text(5, row.odgovor);
        });
    if (sqlca.failed())
        stored.reset();
}

void deleted_entries(transaction& sqlca, std::vector<deleted_entry>& entries)
{
    static const QString text = text_of(deleted_entries_text);
    read_rows(
        sqlca, text, [](odbc_statement&) {}, [&] { entries.clear(); },
        [&](odbc_statement& statement) { return read_deleted(statement, entries.emplace_back()); });
    if (sqlca.SQLCode == transaction::not_found)
        sqlca.report_success();
    if (sqlca.failed())
        entries.clear();
}

void restore_deleted(transaction& sqlca, std::int64_t version_id, const numbering& next, restore_outcome& outcome)
{
    // How often the entry is numbered again when other clients keep taking its number.
    constexpr int attempts = 5;
    for (int attempt = 1;; ++attempt) {
        outcome = {};
        if (!try_restore(sqlca, version_id, next, attempt < attempts, outcome))
            return;
    }
}

} // namespace history
