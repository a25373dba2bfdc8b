#pragma once
// The word search as the window runs it: the best entries for the typed words, ranked by the
// database where it can (SQLite), by the program from every candidate where it cannot
// (PostgreSQL); the same order either way (ranking.h), cut at the same length.

#include <QStringList>
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

// The best `limit` entries for the words (as marks::typed_words gives them); none when sqlca
// failed.
best_hits find_best(transaction& sqlca, const QStringList& typed, int limit = listed_at_most);

} // namespace words
