#include "best_entries.h"

#include <algorithm>

namespace words {
namespace {
constexpr int numbers = 32768; // entry numbers are 1..32767
}

best_entries::best_entries(int words)
    : word_count(words), points(std::size_t(numbers) * std::size_t(words)), seen_once(numbers)
{
}

void best_entries::place(int word, const std::vector<int>& numbers_at, int points_at)
{
    for (const int rbr : numbers_at) {
        if (rbr < 1 || rbr >= numbers)
            continue;
        std::uint8_t& kept = points[std::size_t(rbr) * std::size_t(word_count) + std::size_t(word)];
        if (kept == 0)
            kept = std::uint8_t(points_at);
        if (!seen_once[std::size_t(rbr)]) {
            seen_once[std::size_t(rbr)] = 1;
            seen.push_back(rbr);
        }
    }
}

std::vector<best_entries::ranked> best_entries::certain_best(int limit, int still_possible) const
{
    // The most an entry not fully placed may still come to; an entry placed for no word at all
    // may yet hold every word at the next place.
    int reachable = still_possible > 0 ? still_possible * word_count : -1;
    std::vector<ranked> complete;
    for (const int rbr : seen) {
        const std::uint8_t* own = &points[std::size_t(rbr) * std::size_t(word_count)];
        int score = 0;
        bool placed = true;
        for (int w = 0; w < word_count; ++w) {
            score += own[w] != 0 ? own[w] : still_possible;
            placed = placed && own[w] != 0;
        }
        if (placed)
            complete.push_back({rbr, score});
        else if (still_possible > 0)
            reachable = std::max(reachable, score);
    }
    // Only those above every entry still open are certain: an open one could tie and come first
    // by its number.
    std::erase_if(complete, [&](const ranked& r) { return r.score <= reachable; });
    const auto better = [](const ranked& a, const ranked& b) {
        return a.score != b.score ? a.score > b.score : a.rbr < b.rbr;
    };
    const std::size_t kept = std::min(complete.size(), std::size_t(limit) + 1);
    std::partial_sort(complete.begin(), complete.begin() + std::ptrdiff_t(kept), complete.end(), better);
    complete.resize(kept);
    return complete;
}

} // namespace words
