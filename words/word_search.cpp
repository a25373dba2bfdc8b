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

// The texts the list shows, for the ranked entries in their order.
std::vector<hit> with_texts(transaction& sqlca, const std::vector<best_entries::ranked>& ranked)
{
    std::vector<int> numbers;
    for (const best_entries::ranked& r : ranked)
        numbers.push_back(r.rbr);
    std::vector<word_statements::listed_entry> texts;
    word_statements::listed_texts(sqlca, numbers, texts);
    std::unordered_map<int, word_statements::listed_entry*> by_number;
    for (word_statements::listed_entry& e : texts)
        by_number[e.rbr] = &e;
    std::vector<hit> hits;
    for (const best_entries::ranked& r : ranked) {
        // An entry deleted since its words were read is left out.
        if (const auto found = by_number.find(r.rbr); found != by_number.end())
            hits.push_back({r.rbr, r.score, std::move(found->second->proizvod), std::move(found->second->pitanje),
                            std::move(found->second->odgovor)});
    }
    return hits;
}

} // namespace

best_hits find_best(transaction& sqlca, const QStringList& typed, int limit)
{
    best_hits found;
    if (typed.isEmpty() || limit < 1) {
        sqlca.report_success();
        return found;
    }
    if (!word_statements::every_word_found(sqlca, typed))
        return found;
    best_entries best(int(typed.size()));
    std::vector<best_entries::ranked> ranked;
    for (std::size_t t = 0; t < std::size(tiers); ++t) {
        if (!place_all(sqlca, typed, tiers[t], best))
            return found;
        const int still_possible = t + 1 < std::size(tiers) ? tiers[t + 1].points : 0;
        ranked = best.certain_best(limit, still_possible);
        if (!ranked.empty())
            break;
    }
    if (ranked.size() > std::size_t(limit)) {
        ranked.resize(std::size_t(limit));
        found.more = true;
    }
    found.hits = with_texts(sqlca, ranked);
    if (sqlca.failed())
        found.hits.clear();
    return found;
}

} // namespace words
