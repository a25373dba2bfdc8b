#pragma once
// The word search's reads. Each database keeps, for every change by any program, an index of
// the words of every entry by group of fields (db/faq-words.*.sql): SQLite two FTS5 tables, one
// with the words as written, one without diacritics; PostgreSQL six GIN indexes of the same
// words. A read asks where the typed words stand (which entries hold each as a whole word or a
// word's beginning, in which fields, spelled how); the ranking over those answers is the
// program's (words/word_search.h), the same for both.

#include <QString>
#include <QStringList>
#include <vector>

#include "statements.h"
#include "transaction.h"

namespace word_statements {

inline constexpr char16_t candidates_title[] = u"SELECT ... FROM faq (words)";

// Where a word may stand in an entry.
enum class field_group { question, product, answer }; // keywords and question; product and LOT; answer
struct place {
    field_group group = field_group::question;
    bool exact = false; // spelled with its diacritics as typed (else with none on either side)
    bool whole = false; // the whole word (else the beginning of one)
};

// For each word (letters and digits only, as marks::typed_words gives them) the numbers of the
// entries that hold it at the place, in no particular order: lists[i] for words[i].
void entries_at(transaction& sqlca, const QStringList& words, place where, std::vector<std::vector<int>>& lists);

// Whether every word begins a word of some entry; false too when sqlca failed.
bool every_word_found(transaction& sqlca, const QStringList& words);

struct listed_entry {
    int rbr = 0;
    QString proizvod;
    QString pitanje;
    QString odgovor;
};
// Product, question and answer of the entries, in no particular order.
void listed_texts(transaction& sqlca, const std::vector<int>& numbers, std::vector<listed_entry>& found);

} // namespace word_statements
