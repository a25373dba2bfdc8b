#include "statements.h"

#include "odbc_statement.h"

namespace statements {
namespace {

bool is_word_char(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); }

// A marker is ' ' (quote, blank, quote) or a 0 standing alone between non-word characters.
template <typename OnMarker, typename OnChar>
void scan_markers(QStringView text, OnMarker on_marker, OnChar on_char)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.mid(i, 3) == u"' '") {
            on_marker();
            i += 2;
            continue;
        }
        if (text[i] == QLatin1Char('0') && (i == 0 || !is_word_char(text[i - 1]))
            && (i + 1 == text.size() || !is_word_char(text[i + 1]))) {
            on_marker();
            continue;
        }
        on_char(text[i]);
    }
}

// A single-value select: the value is handed on only when a row came back. Statements run
// directly with their values bound: one exchange with the server, no prepared plan to drop.
template <typename Bind, typename Store>
void single_value(transaction& sqlca, const QString& text, Bind bind, Store store)
{
    sqlca.run_read([&](odbc_connection& connection) {
        odbc_statement statement(connection);
        bind(statement);
        if (!statement.execute(text)) {
            sqlca.report_failure(statement.error());
            return;
        }
        std::optional<std::int64_t> value;
        switch (statement.fetch()) {
        case odbc_statement::fetched::failed:
            sqlca.report_failure(statement.error());
            return;
        case odbc_statement::fetched::end:
            sqlca.report_success(transaction::not_found);
            return;
        case odbc_statement::fetched::row:
            if (!statement.number(1, value)) {
                sqlca.report_failure(statement.error());
                return;
            }
            store(value);
            sqlca.report_success();
            return;
        }
    });
}

template <typename Bind>
void run_change(transaction& sqlca, const QString& text, Bind bind)
{
    odbc_connection* connection = sqlca.begin_change();
    if (connection == nullptr)
        return;
    odbc_statement statement(*connection);
    bind(statement);
    if (statement.execute(text))
        sqlca.change_succeeded();
    else
        sqlca.change_failed(statement.error());
}

} // namespace

bool same_texts(const entry_texts& a, const entry_texts& b)
{
    return a.adresa == b.adresa && a.pitanje == b.pitanje && a.proizvod == b.proizvod && a.lot == b.lot
           && a.odgovor == b.odgovor;
}

bool same_values(const entry_texts& a, const entry_texts& b)
{
    const auto same = [](const QString& x, const QString& y) { return x == y && x.isNull() == y.isNull(); };
    return same(a.adresa, b.adresa) && same(a.pitanje, b.pitanje) && same(a.proizvod, b.proizvod) && same(a.lot, b.lot)
           && same(a.odgovor, b.odgovor);
}

QString with_placeholders(QStringView system_text)
{
    QString result;
    result.reserve(system_text.size());
    scan_markers(
        system_text, [&] { result += QLatin1Char('?'); }, [&](QChar c) { result += c; });
    return result;
}

int marker_count(QStringView system_text)
{
    int count = 0;
    scan_markers(
        system_text, [&] { ++count; }, [](QChar) {});
    return count;
}

void select_max_rbr(transaction& sqlca, std::optional<int>& broj)
{
    static const QString text = with_placeholders(max_rbr);
    // MAX of an empty table is one row with a null value: that is a success.
    single_value(
        sqlca, text, [](odbc_statement&) {},
        [&](std::optional<std::int64_t> value) {
            broj = value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
        });
}

void select_lowest_free_rbr(transaction& sqlca, std::optional<int>& broj)
{
    static const QString text = QString::fromUtf16(lowest_free_rbr);
    single_value(
        sqlca, text, [](odbc_statement&) {},
        [&](std::optional<std::int64_t> value) {
            broj = value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
        });
}

void select_count(transaction& sqlca, std::int16_t a_rbr, std::int16_t& ima)
{
    static const QString text = with_placeholders(count_rbr);
    single_value(
        sqlca, text, [&](odbc_statement& statement) { statement.bind(a_rbr); },
        [&](std::optional<std::int64_t> value) { ima = static_cast<std::int16_t>(value.value_or(0)); });
}

void update_entry(transaction& sqlca, const entry_texts& entry, std::int16_t a_rbr)
{
    static const QString text = with_placeholders(update_entry_text);
    run_change(sqlca, text, [&](odbc_statement& statement) {
        statement.bind_nullable(entry.adresa);
        statement.bind_nullable(entry.pitanje);
        statement.bind_nullable(entry.proizvod);
        statement.bind_nullable(entry.lot);
        statement.bind_nullable(entry.odgovor);
        statement.bind(a_rbr);
    });
}

void insert_entry(transaction& sqlca, std::int16_t a_rbr, const entry_texts& entry, const QString& datum)
{
    static const QString text = with_placeholders(insert_entry_text);
    run_change(sqlca, text, [&](odbc_statement& statement) {
        statement.bind(a_rbr);
        statement.bind_nullable(entry.adresa);
        statement.bind_nullable(entry.pitanje);
        statement.bind(datum);
        statement.bind_nullable(entry.proizvod);
        statement.bind_nullable(entry.lot);
        statement.bind_nullable(entry.odgovor);
    });
}

void delete_entry(transaction& sqlca, std::int16_t rbr)
{
    static const QString text = with_placeholders(delete_entry_text);
    run_change(sqlca, text, [&](odbc_statement& statement) { statement.bind(rbr); });
}

void select_stored_entry(transaction& sqlca, std::int16_t a_rbr, std::optional<entry_texts>& stored)
{
    static const QString plain = with_placeholders(stored_entry_text);
    static const QString locking = plain + QString::fromUtf16(row_lock_clause);
    stored.reset();
    odbc_connection* connection = sqlca.begin_change();
    if (connection == nullptr)
        return;
    odbc_statement statement(*connection);
    statement.bind(a_rbr);
    if (!statement.execute(sqlca.locks_rows() ? locking : plain)) {
        sqlca.change_failed(statement.error());
        return;
    }
    // With several rows carrying the number, the last one read is the stored entry.
    const std::optional<store_error> error = statement.each_row([&](odbc_statement& current) {
        entry_texts row;
        if (!current.text(1, row.adresa) || !current.text(2, row.pitanje) || !current.text(3, row.proizvod)
            || !current.text(4, row.lot) || !current.text(5, row.odgovor))
            return false;
        stored = std::move(row);
        return true;
    });
    if (error) {
        stored.reset();
        sqlca.change_failed(*error);
        return;
    }
    sqlca.change_succeeded();
    if (!stored)
        sqlca.report_success(transaction::not_found);
}

QString load_statement(std::int16_t broj) { return QString::fromUtf16(load_select) + QString::number(broj); }

void retrieve(transaction& sqlca, const QString& select, list_sink& sink)
{
    sqlca.run_read([&](odbc_connection& connection) {
        sink.discard_rows(); // a second run starts the list afresh
        qsizetype rows_read = 0;
        if (const std::optional<store_error> error = read_list(connection, select, sink, rows_read))
            sqlca.report_failure(*error);
        else
            sqlca.report_success(rows_read == 0 ? transaction::not_found : transaction::success);
    });
}

void retrieve(transaction& sqlca, const QString& select, std::vector<list_row>& rows)
{
    struct into_rows final : list_sink {
        std::vector<list_row>& rows;
        explicit into_rows(std::vector<list_row>& target) : rows(target) {}
        void row(std::optional<int> rbr, QByteArrayView proizvod, QByteArrayView pitanje) override
        {
            rows.push_back(list_row{rbr, QString::fromUtf8(proizvod), QString::fromUtf8(pitanje)});
        }
        void discard_rows() override { rows.clear(); }
    };
    rows.clear();
    into_rows sink(rows);
    retrieve(sqlca, select, sink);
    if (sqlca.SQLCode < 0)
        rows.clear();
}

} // namespace statements
