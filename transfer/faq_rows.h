#pragma once
// The rows of faq as whole entries (all seven columns), read and written for the transfer of
// entries in and out of a database, and the kept versions of faq_history. Each works on an
// open ODBC connection: the command-line tool's own, or the program's session.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "odbc_connection.h"
#include "odbc_error.h"

namespace faq_rows {

// The table's columns, in the table's order.
const QStringList& column_names();

struct entry {
    int rbr = 0;
    QString adresa, pitanje, datum, proizvod, lot, odgovor;

    QStringList fields() const;
};

// The columns a kept version adds to an entry's seven.
const QStringList& version_column_names();

struct version {
    entry texts;
    QString version, changed_at, change, changed_by;
};

// Every entry, by number; or only those with the given numbers, in the order given (a number
// no row carries is left out). `each` gets the rows one by one; nothing on success.
std::optional<store_error> read_entries(odbc_connection& connection, const std::function<void(const entry&)>& each);
std::optional<store_error> read_entries(odbc_connection& connection, const std::vector<int>& numbers,
                                        std::vector<entry>& rows);
// Every kept version, in the order the changes were made.
std::optional<store_error> read_versions(odbc_connection& connection, const std::function<void(const version&)>& each);

// The numbers rows carry now.
std::optional<store_error> read_numbers(odbc_connection& connection, std::vector<int>& numbers);

// Adds one entry (an insert, which the history's triggers do not record: an entry brought in is
// no change of one).
std::optional<store_error> insert(odbc_connection& connection, const entry& row);

// The listed entries as a CSV file's bytes: a header with the column names, then one record each.
QByteArray csv_of(const std::vector<entry>& rows);

} // namespace faq_rows
