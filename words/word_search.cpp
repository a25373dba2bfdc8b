#include "word_search.h"

#include "word_statements.h"

namespace words {

best_hits find_best(transaction& sqlca, const QStringList& typed, int limit)
{
    best_hits found;
    std::vector<word_statements::candidate> candidates;
    word_statements::best(sqlca, typed, limit, candidates);
    if (sqlca.failed())
        return found;
    if (!candidates.empty() && candidates.front().score < 0) {
        found.hits = rank(typed, candidates);
    } else {
        for (word_statements::candidate& c : candidates)
            found.hits.push_back(
                {c.rbr, c.score, std::move(c.texts.proizvod), std::move(c.texts.pitanje), std::move(c.texts.odgovor)});
    }
    if (found.hits.size() > std::size_t(limit)) {
        found.hits.resize(std::size_t(limit));
        found.more = true;
    }
    return found;
}

} // namespace words
