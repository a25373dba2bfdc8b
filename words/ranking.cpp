#include "ranking.h"

#include <algorithm>

#include "words.h"

namespace words {

QString snippet(const QString& answer, const QStringList& typed, qsizetype width)
{
    const std::vector<marks::range> found = marks::word_ranges(answer, typed);
    qsizetype start = found.empty() ? 0 : std::max<qsizetype>(0, found.front().start - width / 3);
    // Begin at a word's start.
    while (start > 0 && !answer[start - 1].isSpace() && found.front().start - start < width / 2)
        --start;
    QString part = answer.mid(start, width);
    if (part.size() == width && start + width < answer.size())
        part += QChar(0x2026);
    if (start > 0)
        part.prepend(QChar(0x2026));
    for (QChar& c : part)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return part;
}

} // namespace words
