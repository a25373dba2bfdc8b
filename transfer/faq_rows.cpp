#include "faq_rows.h"

#include "csv.h"
#include "odbc_statement.h"

namespace faq_rows {
namespace {

const QString entry_select = QStringLiteral("SELECT rbr, adresa, pitanje, datum, proizvod, lot, odgovor FROM faq");

// Columns first to first + 6, in order (drivers read columns left to right).
bool read_entry(odbc_statement& statement, entry& row, SQLUSMALLINT first = 1)
{
    std::optional<std::int64_t> rbr;
    if (!statement.number(first, rbr) || !statement.text(first + 1, row.adresa)
        || !statement.text(first + 2, row.pitanje) || !statement.text(first + 3, row.datum)
        || !statement.text(first + 4, row.proizvod) || !statement.text(first + 5, row.lot)
        || !statement.text(first + 6, row.odgovor))
        return false;
    row.rbr = static_cast<int>(rbr.value_or(0));
    return true;
}

template <typename Row>
std::optional<store_error> read_all(odbc_connection& connection, const QString& text, Row row)
{
    odbc_statement statement(connection);
    if (!statement.execute(text))
        return statement.error();
    return statement.each_row(row);
}

} // namespace

const QStringList& column_names()
{
    static const QStringList names{QStringLiteral("rbr"),    QStringLiteral("adresa"),   QStringLiteral("pitanje"),
                                   QStringLiteral("datum"),  QStringLiteral("proizvod"), QStringLiteral("lot"),
                                   QStringLiteral("odgovor")};
    return names;
}

const QStringList& version_column_names()
{
    static const QStringList names{QStringLiteral("version"), QStringLiteral("changed_at"), QStringLiteral("change"),
                                   QStringLiteral("changed_by")};
    return names;
}

QStringList entry::fields() const { return {QString::number(rbr), adresa, pitanje, datum, proizvod, lot, odgovor}; }

std::optional<store_error> read_entries(odbc_connection& connection, const std::function<void(const entry&)>& each)
{
    entry row;
    return read_all(connection, entry_select + QStringLiteral(" ORDER BY rbr"), [&](odbc_statement& statement) {
        if (!read_entry(statement, row))
            return false;
        each(row);
        return true;
    });
}

std::optional<store_error> read_entries(odbc_connection& connection, const std::vector<int>& numbers,
                                        std::vector<entry>& rows)
{
    rows.clear();
    const QString text = entry_select + QStringLiteral(" WHERE rbr = ?");
    for (const int number : numbers) {
        odbc_statement statement(connection);
        statement.bind(std::int32_t(number));
        if (!statement.execute(text))
            return statement.error();
        switch (statement.fetch()) {
        case odbc_statement::fetched::failed:
            return statement.error();
        case odbc_statement::fetched::end:
            continue;
        case odbc_statement::fetched::row:
            break;
        }
        if (!read_entry(statement, rows.emplace_back()))
            return statement.error();
    }
    return std::nullopt;
}

std::optional<store_error> read_versions(odbc_connection& connection, const std::function<void(const version&)>& each)
{
    version row;
    const QString text = QStringLiteral("SELECT rbr, adresa, pitanje, datum, proizvod, lot, odgovor, version, "
                                        "changed_at, change, changed_by FROM faq_history ORDER BY version");
    return read_all(connection, text, [&](odbc_statement& statement) {
        if (!read_entry(statement, row.texts) || !statement.text(8, row.version) || !statement.text(9, row.changed_at)
            || !statement.text(10, row.change) || !statement.text(11, row.changed_by))
            return false;
        each(row);
        return true;
    });
}

std::optional<store_error> read_numbers(odbc_connection& connection, std::vector<int>& numbers)
{
    numbers.clear();
    return read_all(connection, QStringLiteral("SELECT rbr FROM faq"), [&](odbc_statement& statement) {
        std::optional<std::int64_t> rbr;
        if (!statement.number(1, rbr))
            return false;
        if (rbr)
            numbers.push_back(static_cast<int>(*rbr));
        return true;
    });
}

std::optional<store_error> insert(odbc_connection& connection, const entry& row)
{
    odbc_statement statement(connection);
    statement.bind(std::int32_t(row.rbr));
    for (const QString* text : {&row.adresa, &row.pitanje, &row.datum, &row.proizvod, &row.lot, &row.odgovor})
        statement.bind(*text);
    if (!statement.execute(QStringLiteral(
            "INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) VALUES (?, ?, ?, ?, ?, ?, ?)")))
        return statement.error();
    return std::nullopt;
}

QByteArray csv_of(const std::vector<entry>& rows)
{
    QByteArray out;
    csv::append_record(out, column_names());
    for (const entry& row : rows)
        csv::append_record(out, row.fields());
    return out;
}

} // namespace faq_rows
