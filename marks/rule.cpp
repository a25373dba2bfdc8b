#include "rule.h"

#include "words.h"

namespace marks {

void rule::add(const QString& typed, const QStringList& columns)
{
    if (!typed.isEmpty() && !columns.isEmpty())
        criteria.push_back({typed, columns, {}});
}

void rule::add_words(const QStringList& typed, const QStringList& columns)
{
    if (!typed.isEmpty() && !columns.isEmpty())
        criteria.push_back({{}, columns, typed});
}

std::vector<range> rule::in(const QString& column, const QString& text) const
{
    std::vector<range> found;
    for (const criterion& c : criteria) {
        if (!c.columns.contains(column))
            continue;
        const std::vector<range> more = c.words.isEmpty() ? like_ranges(text, c.typed) : word_ranges(text, c.words);
        found.insert(found.end(), more.begin(), more.end());
    }
    return merged(std::move(found));
}

} // namespace marks
