#pragma once
// The best entries from what is known of each word's best place so far, and whether they are
// certain yet (word_search.h).

#include <cstdint>
#include <vector>

namespace words {

class best_entries {
public:
    // For `words` typed words over entry numbers 1..32767.
    explicit best_entries(int words);

    // The entries that hold the word at a place worth `points`, given in falling points: an
    // entry keeps its first (best) place for each word.
    void place(int word, const std::vector<int>& numbers, int points);

    struct ranked {
        int rbr;
        int score;
    };
    // The entries whose place in the list is certain, best first, at most `limit` + 1, while no
    // entry can gain more than `still_possible` points for a word not yet placed: those that hold
    // every word with more points than any entry not fully placed could still reach. Later
    // places only add entries after them. With still_possible 0 every entry is fully known: the
    // best `limit` + 1 of those that hold every word.
    std::vector<ranked> certain_best(int limit, int still_possible) const;

private:
    int word_count;
    std::vector<std::uint8_t> points;    // [rbr * word_count + word]: best place so far, 0 none
    std::vector<int> seen;               // every entry placed for some word, once
    std::vector<std::uint8_t> seen_once; // [rbr]
};

} // namespace words
