#pragma once
// Marks written into their text: "the [pump] and the [PUMP]" stands for the text without the
// brackets and the two stretches between them.

#include <QString>
#include <vector>

#include "like_marks.h"

namespace test_support {

struct bracketed {
    QString text;
    std::vector<marks::range> ranges;
};

inline bracketed unbracket(const QString& marked)
{
    bracketed b;
    qsizetype start = -1;
    for (const QChar c : marked) {
        if (c == QLatin1Char('['))
            start = b.text.size();
        else if (c == QLatin1Char(']'))
            b.ranges.push_back({start, b.text.size() - start});
        else
            b.text += c;
    }
    return b;
}

// The text with its ranges in brackets again, for a readable failure.
inline QString bracket(QString text, const std::vector<marks::range>& ranges)
{
    for (auto r = ranges.rbegin(); r != ranges.rend(); ++r) {
        text.insert(r->start + r->length, QLatin1Char(']'));
        text.insert(r->start, QLatin1Char('['));
    }
    return text;
}

} // namespace test_support
