#include "like_pattern.h"

#include <unicode/uchar.h>

namespace tarvo_like {
namespace {

// Reads one character at text[i] the way SQLite reads UTF-8, so that "_" stands for the same
// stretch of bytes as in SQLite's own LIKE: a lead byte takes every continuation byte after it,
// a stray continuation byte is a character of its own, and what decodes to no character
// (overlong, surrogate, U+FFFE, U+FFFF) is U+FFFD.
char32_t next_code_point(std::string_view text, std::size_t& i)
{
    char32_t c = static_cast<unsigned char>(text[i++]);
    if (c < 0xC0)
        return c;
    c = c < 0xE0 ? c - 0xC0 : c < 0xF0 ? c - 0xE0 : c < 0xF8 ? c - 0xF0 : c < 0xFC ? c - 0xF8 : c < 0xFE ? c - 0xFC : 0;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        c = (c << 6) + (static_cast<unsigned char>(text[i++]) & 0x3Fu);
    if (c < 0x80 || (c & 0xFFFFF800u) == 0xD800 || (c & 0xFFFFFFFEu) == 0xFFFE)
        c = 0xFFFD;
    return c;
}

} // namespace

char32_t fold(char32_t code_point)
{
    if (code_point < 0x80)
        return code_point >= U'A' && code_point <= U'Z' ? code_point + 32 : code_point;
    if (code_point > 0x10FFFF)
        return code_point;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(code_point), U_FOLD_CASE_DEFAULT));
}

bool single_character(std::string_view utf8, char32_t& code_point)
{
    std::size_t i = 0;
    if (utf8.empty())
        return false;
    code_point = next_code_point(utf8, i);
    return i == utf8.size();
}

void fold_text(std::string_view utf8, std::vector<char32_t>& folded)
{
    folded.clear();
    for (std::size_t i = 0; i < utf8.size();)
        folded.push_back(fold(next_code_point(utf8, i)));
}

pattern::pattern(std::string_view utf8, std::optional<char32_t> escape) : escape_character(escape)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = next_code_point(utf8, i);
        // The escape character first: an escape of "%" or "_" is no wildcard any more.
        if (c == escape) {
            if (i == utf8.size()) {
                matches_nothing = true;
                return;
            }
            elements.push_back(fold(next_code_point(utf8, i)));
        } else if (c == U'%') {
            if (elements.empty() || elements.back() != any_run) // "%%" is one "%"
                elements.push_back(any_run);
        } else if (c == U'_') {
            elements.push_back(any_one);
        } else {
            elements.push_back(fold(c));
        }
    }
}

bool pattern::matches(std::string_view utf8_text) const
{
    if (matches_nothing)
        return false;
    fold_text(utf8_text, text);
    // Wildcard matching that goes back to the last "%" on a mismatch: each "%" only ever
    // needs to take one character more, so no text takes more than length x pattern steps.
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t p = 0, t = 0, run = none, run_text = 0;
    while (t < text.size()) {
        if (p < elements.size() && elements[p] == any_run) {
            run = p++;
            run_text = t;
        } else if (p < elements.size() && (elements[p] == any_one || elements[p] == text[t])) {
            ++p;
            ++t;
        } else if (run != none) {
            p = run + 1;
            t = ++run_text;
        } else {
            return false;
        }
    }
    while (p < elements.size() && elements[p] == any_run)
        ++p;
    return p == elements.size();
}

} // namespace tarvo_like
