#pragma once
// The word search's reads. Each database finds the entries that may hold every typed word
// through an index it keeps itself for every change by any program (db/faq-words.*.sql): SQLite
// FTS5 tables, PostgreSQL a trigram index over the entry's texts without diacritics. Both find
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
// SQLite ranks by itself, over the index's row numbers alone, and reads the texts of the best
// rows only: the inner select list ends with the sum of every word's points, one CASE per word
// (sqlite_best_text composes them); the limit follows the middle text.
inline constexpr char16_t sqlite_best_select[] =
    u"SELECT rbr, proizvod, pitanje, odgovor, score FROM (SELECT rowid AS found, ";
inline constexpr char16_t sqlite_best_from[] =
    u" AS score FROM faq_words WHERE faq_words MATCH ? ORDER BY score DESC, rowid LIMIT ";
inline constexpr char16_t sqlite_best_join[] = u") JOIN faq ON rbr = found ORDER BY score DESC, rbr";
inline constexpr char16_t candidates_title[] = u"SELECT ... FROM faq (words)";

struct candidate {
    int rbr = 0;
    statements::entry_texts texts;
    int score = -1; // the points, when the database ranked the entry (then adresa and lot are not read)
};

// The entries that may hold every one of the words (letters and digits only, as
// marks::typed_words gives them), in no particular order; none for no words.
void candidates(transaction& sqlca, const QStringList& words, std::vector<candidate>& found);

// The best entries for the words, best first, when the database ranks them (SQLite: at most
// `limit` + 1, so that the caller sees whether more match); every candidate unranked, as
// candidates() reads them, when it does not (PostgreSQL). Every one ranked has its score set.
void best(transaction& sqlca, const QStringList& words, int limit, std::vector<candidate>& found);

// The ranked SQLite statement for the words and the values of its markers, in their order.
QString sqlite_best_text(const QStringList& words, int limit, QStringList& parameters);

// The FTS5 query for the words: each word as the beginning of a word, all of them.
QString sqlite_match(const QStringList& words);

} // namespace word_statements
