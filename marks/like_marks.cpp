#include "like_marks.h"

#include <algorithm>

#include "like_pattern.h"

namespace marks {
namespace {

// Pattern elements beyond every code point, as the LIKE extension keeps them.
constexpr char32_t any_one = 0x110000;
constexpr char32_t any_run = 0x110001;

// A text as folded code points, with where each starts in the QString (one more entry: the end).
struct folded_text {
    std::vector<char32_t> points;
    std::vector<qsizetype> starts;
};

folded_text fold_text(const QString& text)
{
    folded_text folded;
    folded.points.reserve(static_cast<std::size_t>(text.size()));
    folded.starts.reserve(static_cast<std::size_t>(text.size()) + 1);
    for (qsizetype i = 0; i < text.size();) {
        folded.starts.push_back(i);
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            i += 2;
        } else {
            ++i;
        }
        folded.points.push_back(tarvo_like::fold(c));
    }
    folded.starts.push_back(text.size());
    return folded;
}

// The typed text as runs of elements between its "%"s (outer ones dropped).
std::vector<std::vector<char32_t>> segments_of(const QString& typed)
{
    std::vector<std::vector<char32_t>> segments(1);
    for (const char32_t c : fold_text(typed).points) {
        if (c == U'%') {
            if (!segments.back().empty())
                segments.emplace_back();
        } else {
            segments.back().push_back(c == U'_' ? any_one : c);
        }
    }
    if (segments.back().empty())
        segments.pop_back();
    return segments;
}

bool segment_at(const std::vector<char32_t>& text, std::size_t at, const std::vector<char32_t>& segment)
{
    if (at + segment.size() > text.size())
        return false;
    for (std::size_t k = 0; k < segment.size(); ++k)
        if (segment[k] != any_one && segment[k] != text[at + k])
            return false;
    return true;
}

// The first place from `from` on where the segment matches; text.size() when none.
std::size_t find_segment(const std::vector<char32_t>& text, std::size_t from, const std::vector<char32_t>& segment)
{
    for (; from + segment.size() <= text.size(); ++from)
        if (segment_at(text, from, segment))
            return from;
    return text.size();
}

} // namespace

std::vector<range> like_ranges(const QString& text, const QString& typed)
{
    const std::vector<std::vector<char32_t>> segments = segments_of(typed);
    if (segments.empty())
        return {};
    const folded_text folded = fold_text(text);
    const std::vector<char32_t>& points = folded.points;
    std::vector<range> found;
    std::size_t at = 0;
    while (at < points.size()) {
        // The first run starts the match; each later one at its first place after the one
        // before gives the shortest match from here.
        const std::size_t start = find_segment(points, at, segments.front());
        if (start == points.size())
            break;
        std::size_t end = start + segments.front().size();
        bool complete = true;
        for (std::size_t s = 1; s < segments.size() && complete; ++s) {
            const std::size_t next = find_segment(points, end, segments[s]);
            complete = next != points.size();
            end = next + segments[s].size();
        }
        if (!complete)
            break; // a later run missing after this start misses after every later start too
        found.push_back({folded.starts[start], folded.starts[end] - folded.starts[start]});
        at = std::max(end, start + 1);
    }
    return found;
}

std::vector<range> merged(std::vector<range> ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](const range& a, const range& b) {
        return a.start < b.start || (a.start == b.start && a.length > b.length);
    });
    std::vector<range> joined;
    for (const range& r : ranges) {
        if (r.length <= 0)
            continue;
        if (!joined.empty() && r.start <= joined.back().start + joined.back().length) {
            range& last = joined.back();
            last.length = std::max(last.start + last.length, r.start + r.length) - last.start;
        } else {
            joined.push_back(r);
        }
    }
    return joined;
}

} // namespace marks
