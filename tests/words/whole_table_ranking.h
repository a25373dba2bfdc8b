#pragma once
// The word search's order taken literally: every entry of a table read whole, each typed word
// looked for in each of its fields by the program's own word rule (marks/words.h). What the
// databases' indexes list must come out the same.

#include <QStringList>
#include <vector>

#include "ranking.h"
#include "statements.h"

namespace test_support {

struct candidate {
    int rbr = 0;
    statements::entry_texts texts;
};

// The entries that hold every word, best first. `typed` as marks::typed_words gives it.
std::vector<words::hit> rank(const QStringList& typed, const std::vector<candidate>& candidates);

} // namespace test_support
