#pragma once
// The word search's reads. Each database finds the entries that may hold every typed word
// through an index it keeps itself for every change by any program (db/faq-words.*.sql): SQLite
// an FTS5 table, PostgreSQL a trigram index over the entry's texts without diacritics. Both find
// at least every entry in which each word begins a word; the ranking decides (words/ranking.h).

#include <QString>
#include <QStringList>
#include <vector>

#include "statements.h"
#include "transaction.h"

namespace word_statements {

inline constexpr char16_t sqlite_candidates_text[] =
    u"SELECT rbr, adresa, pitanje, proizvod, lot, odgovor FROM faq "
    u"WHERE rbr IN (SELECT rowid FROM faq_words WHERE faq_words MATCH ?)";
// Followed by one condition per word, joined by AND.
inline constexpr char16_t postgresql_candidates_text[] =
    u"SELECT rbr, adresa, pitanje, proizvod, lot, odgovor FROM faq WHERE ";
inline constexpr char16_t postgresql_word_condition[] =
    u"faq_words_text(adresa::text, pitanje::text, proizvod::text, lot::text, odgovor::text) "
    u"LIKE '%' || faq_words_fold(?) || '%'";
inline constexpr char16_t candidates_title[] = u"SELECT ... FROM faq (words)";

struct candidate {
    int rbr = 0;
    statements::entry_texts texts;
};

// The entries that may hold every one of the words (letters and digits only, as
// marks::typed_words gives them), in no particular order; none for no words.
void candidates(transaction& sqlca, const QStringList& words, std::vector<candidate>& found);

// The FTS5 query for the words: each word as the beginning of a word, all of them.
QString sqlite_match(const QStringList& words);

} // namespace word_statements
