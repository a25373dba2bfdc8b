#pragma once
// The word search as the window runs it: the best entries for the typed words, in the order of
// ranking.h, found from where each database's index says the words stand.
//
// Every place a word can stand in has its points (a whole word above a beginning, keywords and
// question above product and LOT, those above the answer, the spelling as typed above one without
// diacritics). The places are asked for best first, every word at once, and the asking stops as
// soon as the best entries are certain: when more than the listed number of entries, each with
// every word placed, have more points than any entry not yet fully placed could still reach.
// Most searches stop after the first place or two and never read the lists of the answers.

#include <QStringList>
#include <functional>
#include <vector>

#include "ranking.h"
#include "transaction.h"

namespace words {

// How many entries the window lists at most: enough to browse, few enough to read at once.
inline constexpr int listed_at_most = 200;

struct best_hits {
    std::vector<hit> hits; // best first, at most the limit
    bool more = false;     // more entries hold the words than are listed
};

// Told the first rows of the list while the rest are still being found (more is false then):
// rows once told keep their place, later ones only follow them.
using first_rows = std::function<void(const best_hits& so_far)>;

// The best `limit` entries for the words (as marks::typed_words gives them); none when sqlca
// failed. With `early`, the rows whose place is certain are told as soon as they are, so that a
// list can show its first rows before the search of the deeper places ends.
best_hits find_best(transaction& sqlca, const QStringList& typed, int limit = listed_at_most,
                    const first_rows& early = {});

} // namespace words
