#include "word_search.h"

#include <algorithm>
#include <unordered_map>

#include "best_entries.h"
#include "word_statements.h"

namespace words {
namespace {

using word_statements::field_group;

struct tier {
    word_statements::place where;
    int points;
};

// Every place, best first; the points are ranking.h's: 100 for a whole word, 50 for a beginning,
// 20 more in keywords or question, 10 more in product or LOT, 5 more for the spelling as typed.
constexpr tier tiers[] = {
    {{field_group::question, true, true}, 125}, {{field_group::question, false, true}, 120},
    {{field_group::product, true, true}, 115},  {{field_group::product, false, true}, 110},
    {{field_group::answer, true, true}, 105},   {{field_group::answer, false, true}, 100},
    {{field_group::question, true, false}, 75}, {{field_group::question, false, false}, 70},
    {{field_group::product, true, false}, 65},  {{field_group::product, false, false}, 60},
    {{field_group::answer, true, false}, 55},   {{field_group::answer, false, false}, 50},
};

// Words asked for in one statement at most (SQLite joins at most 500 selects in one).
constexpr qsizetype words_per_statement = 100;

// Places every word at one tier; false when sqlca failed.
bool place_all(transaction& sqlca, const QStringList& typed, const tier& t, best_entries& best)
{
    std::vector<std::vector<int>> lists;
    for (qsizetype first = 0; first < typed.size(); first += words_per_statement) {
        word_statements::entries_at(sqlca, typed.mid(first, words_per_statement), t.where, lists);
        if (sqlca.failed())
            return false;
        for (std::size_t i = 0; i < lists.size(); ++i)
            best.place(int(first + qsizetype(i)), lists[i], t.points);
    }
    return true;
}

// Appends the ranked entries from `first` on, at most up to the limit, with the texts the list
// shows.
void add_with_texts(transaction& sqlca, const std::vector<best_entries::ranked>& ranked, std::size_t first,
                    std::size_t limit, std::vector<hit>& hits)
{
    std::vector<int> numbers;
    for (std::size_t i = first; i < std::min(ranked.size(), limit); ++i)
        numbers.push_back(ranked[i].rbr);
    std::vector<word_statements::listed_entry> texts;
    word_statements::listed_texts(sqlca, numbers, texts);
    std::unordered_map<int, word_statements::listed_entry*> by_number;
    for (word_statements::listed_entry& e : texts)
        by_number[e.rbr] = &e;
    for (std::size_t i = first; i < std::min(ranked.size(), limit); ++i) {
        // An entry deleted since its words were read is left out.
        if (const auto found = by_number.find(ranked[i].rbr); found != by_number.end())
            hits.push_back({ranked[i].rbr, ranked[i].score, std::move(found->second->proizvod),
                            std::move(found->second->pitanje), std::move(found->second->odgovor)});
    }
}

} // namespace

best_hits find_best(transaction& sqlca, const QStringList& typed, int limit, const first_rows& early)
{
    best_hits found;
    if (typed.isEmpty() || limit < 1) {
        sqlca.report_success();
        return found;
    }
    if (!word_statements::every_word_found(sqlca, typed))
        return found;
    best_entries best(int(typed.size()));
    std::size_t listed = 0; // ranked entries whose texts were read
    for (std::size_t t = 0; t < std::size(tiers); ++t) {
        if (!place_all(sqlca, typed, tiers[t], best))
            return {};
        const int still_possible = t + 1 < std::size(tiers) ? tiers[t + 1].points : 0;
        const std::vector<best_entries::ranked> ranked = best.certain_best(limit, still_possible);
        const bool done = still_possible == 0 || ranked.size() > std::size_t(limit);
        if (ranked.size() > listed && (done || early)) {
            add_with_texts(sqlca, ranked, listed, std::size_t(limit), found.hits);
            if (sqlca.failed())
                return {};
            listed = ranked.size();
            if (!done)
                early(found);
        }
        if (done) {
            found.more = ranked.size() > std::size_t(limit);
            break;
        }
    }
    return found;
}

} // namespace words
