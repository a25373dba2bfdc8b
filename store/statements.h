#pragma once
// Every statement the program issues on the table faq, with its text and the order in which
// its values are bound. Each leaves SQLCode and SQLErrText set on the session.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

#include "list_reader.h"
#include "transaction.h"

namespace statements {

// The statement texts, spacing and trailing blanks included. A 0 marks a number parameter and
// ' ' a text parameter; both are bound, never pasted.
inline constexpr char16_t search_select[] = u" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq";
inline constexpr char16_t search_where[] = u" WHERE ";
inline constexpr char16_t load_select[] = u"SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE rbr=";
inline constexpr char16_t max_rbr[] = u"SELECT MAX ( rbr ) FROM faq ";
inline constexpr char16_t count_rbr[] = u"SELECT Count ( rbr ) FROM faq WHERE rbr =0 ";
inline constexpr char16_t update_entry_text[] =
    u"update faq SET adresa =' ' , pitanje =' ' , proizvod =' ' , lot =' ' , odgovor =' ' WHERE rbr =0 ";
inline constexpr char16_t insert_entry_text[] = u"INSERT INTO faq VALUES ( 0 , ' ' , ' ' , ' ' , ' ' , ' ' , ' ' ) ";
inline constexpr char16_t delete_entry_text[] = u"DELETE FROM faq WHERE rbr =0 ";
// The entry as stored now, read by a save inside its change before it writes over the entry;
// where the database locks rows, the lock clause follows and holds the row until the change ends.
inline constexpr char16_t stored_entry_text[] =
    u"SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE rbr =0 ";
inline constexpr char16_t row_lock_clause[] = u"FOR UPDATE ";
// The lowest entry number no row carries (1 to 32767), for a table whose largest number leaves
// none above it; NULL when every number is taken.
inline constexpr char16_t lowest_free_rbr[] =
    u"SELECT CASE WHEN 1 NOT IN ( SELECT rbr FROM faq WHERE rbr IS NOT NULL ) THEN 1 "
    u"ELSE ( SELECT MIN ( rbr ) + 1 FROM faq WHERE rbr >= 1 AND rbr < 32767 "
    u"AND rbr + 1 NOT IN ( SELECT rbr FROM faq WHERE rbr IS NOT NULL ) ) END";

// A statement text with each parameter marker replaced by "?", spacing kept.
QString with_placeholders(QStringView system_text);
int marker_count(QStringView system_text);

// The five texts of an entry as the entry window holds them.
struct entry_texts {
    QString adresa;   // keywords
    QString pitanje;  // question
    QString proizvod; // product
    QString lot;
    QString odgovor; // answer
};

// The five texts are equal, one for one.
bool same_texts(const entry_texts& a, const entry_texts& b);
// The same, and a NULL (a null QString) is only the same as a NULL.
bool same_values(const entry_texts& a, const entry_texts& b);

// One row of the result list.
struct list_row {
    std::optional<int> rbr; // null when the database holds no number
    QString proizvod;
    QString pitanje;
};

// The largest stored number; broj gets no value for an empty table and keeps its value when
// the statement fails.
void select_max_rbr(transaction& sqlca, std::optional<int>& broj);
// The lowest free number; broj gets no value when none is free.
void select_lowest_free_rbr(transaction& sqlca, std::optional<int>& broj);

// How many rows carry the number; ima keeps its value when the statement fails.
void select_count(transaction& sqlca, std::int16_t a_rbr, std::int16_t& ima);

// Changes; a failed change is rolled back at once, keeping its error report. A change is never
// run again on a new connection: its loss is reported by the commit. A null text of the entry
// is written as NULL (a column left as the database held it).
void update_entry(transaction& sqlca, const entry_texts& entry, std::int16_t a_rbr);
void insert_entry(transaction& sqlca, std::int16_t a_rbr, const entry_texts& entry, const QString& datum);
void delete_entry(transaction& sqlca, std::int16_t rbr);

// Reads the entry stored under the number as the first statement of a change (the change then
// waits for its update, insert, commit or rollback). SQLCode 0 with the texts in `stored`, 100
// when no row carries the number, -1 on failure (the change is then rolled back). With several
// rows under one number the last one read is kept, as the load does.
void select_stored_entry(transaction& sqlca, std::int16_t a_rbr, std::optional<entry_texts>& stored);

// "SELECT adresa, ... WHERE rbr=" followed by the number.
QString load_statement(std::int16_t broj);

// Runs a composed list query and hands every row it returns to the sink. When the query fails,
// SQLCode is -1 and the rows already handed over are not part of any result.
void retrieve(transaction& sqlca, const QString& select, list_sink& sink);

// The same, replacing rows with every row the query returns (none when it fails).
void retrieve(transaction& sqlca, const QString& select, std::vector<list_row>& rows);

} // namespace statements
