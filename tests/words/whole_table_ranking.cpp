#include "whole_table_ranking.h"

#include <algorithm>

#include "words.h"

namespace test_support {
namespace {

// The fields by weight: question and keywords first, then product and LOT, then the answer.
int field_points(int field) { return field < 2 ? 20 : field < 4 ? 10 : 0; }

} // namespace

std::vector<words::hit> rank(const QStringList& typed, const std::vector<candidate>& candidates)
{
    std::vector<words::hit> hits;
    if (typed.isEmpty())
        return hits;
    QStringList folded;
    for (const QString& t : typed)
        folded << marks::fold_word(t);
    std::vector<int> best(std::size_t(typed.size()));
    for (const candidate& c : candidates) {
        const QString* fields[] = {&c.texts.pitanje, &c.texts.adresa, &c.texts.proizvod, &c.texts.lot,
                                   &c.texts.odgovor};
        std::fill(best.begin(), best.end(), 0);
        for (int f = 0; f < 5; ++f) {
            if (fields[f]->isEmpty())
                continue;
            const marks::folded_field text = marks::fold_text(*fields[f]);
            for (qsizetype t = 0; t < typed.size(); ++t) {
                const int loose = marks::word_place(text.folded, folded[t]);
                const int exact = marks::word_place(text.exact, typed[t]);
                if (loose == marks::nowhere)
                    continue;
                const auto points = [](int place) { return place == marks::whole_word ? 100 : 50; };
                int& kept = best[std::size_t(t)];
                kept = std::max({kept, points(loose) + field_points(f),
                                 exact == marks::nowhere ? 0 : points(exact) + field_points(f) + 5});
            }
        }
        if (std::find(best.begin(), best.end(), 0) == best.end()) {
            int score = 0;
            for (const int points : best)
                score += points;
            hits.push_back({c.rbr, score, c.texts.proizvod, c.texts.pitanje, c.texts.odgovor});
        }
    }
    std::sort(hits.begin(), hits.end(), [](const words::hit& a, const words::hit& b) {
        return a.score != b.score ? a.score > b.score : a.rbr < b.rbr;
    });
    return hits;
}

} // namespace test_support
