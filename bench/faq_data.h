#pragma once
// Deterministic FAQ entries for the benchmarks. Entry n is the same whatever the table size, so
// the first 1,000 entries of a full table are the table of 1,000 entries. Words come from a fixed
// lower-case vocabulary, which makes the match rates known:
//   half_word appears in the question of about half the entries and nowhere else;
//   none_word appears in no entry at all.

#include <string>

namespace faq_data {

inline constexpr int full_table = 32767; // entry numbers end at 32767
inline constexpr char half_word[] = "valve";
inline constexpr char none_word[] = "zeolite";

struct entry {
    int rbr = 0;
    std::string adresa;   // keywords, about 40 characters
    std::string pitanje;  // question, about 100
    std::string datum;    // mm/dd/yyyy
    std::string proizvod; // product, short
    std::string lot;      // LOT, short
    std::string odgovor;  // answer, about 1,000
};

entry make_entry(int rbr);

// Whether entry rbr's question holds half_word.
bool has_half_word(int rbr);

// How many of the entries 1..rows hold half_word.
int half_word_count(int rows);

} // namespace faq_data
