#pragma once
// Where a search text matches inside a field, by the rule the search itself follows: the case
// of every letter ignored (the same ICU case folding as the database's LIKE), "%" standing for
// any run of characters and "_" for exactly one, every other character (a backslash included)
// standing for itself.

#include <QString>
#include <vector>

namespace marks {

// A stretch of a text, in QString (UTF-16) positions.
struct range {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const range&, const range&) = default;
};

// Every place in `text` that the search text `typed` matches, from left to right and not
// overlapping, each as short as it can be. "%" at either end of `typed` adds nothing to a mark
// and is left out; a text of "%" alone marks nothing.
std::vector<range> like_ranges(const QString& text, const QString& typed);

// Sorts the ranges and joins those that overlap or touch.
std::vector<range> merged(std::vector<range> ranges);

} // namespace marks
