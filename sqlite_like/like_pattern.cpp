#include "like_pattern.h"

#include <unicode/uchar.h>

#include <cstring>

namespace tarvo_like {

// Any character outside ASCII can fold to one outside ASCII; to ASCII letters only two do, the
// Kelvin sign to "k" and the long s to "s" (the tests go through all of Unicode to be sure).
bool folds_from_outside_ascii(char32_t folded) { return folded >= 0x80 || folded == U'k' || folded == U's'; }

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

// The position after the character at text[i].
std::size_t after_character(std::string_view text, std::size_t i)
{
    if (static_cast<unsigned char>(text[i]) < 0xC0)
        return i + 1;
    next_code_point(text, i);
    return i;
}

// The first character from text[i] on whose folded form is `wanted` (or the end of the text).
// ASCII bytes are compared as they are, with the one or two bytes that fold to `wanted`;
// other characters are read and folded only when one of them can fold to `wanted`.
std::size_t find_character(std::string_view text, std::size_t i, char32_t wanted)
{
    const auto small = static_cast<unsigned char>(wanted < 0x80 ? wanted : 0x80); // 0x80: no ASCII byte
    const auto capital = static_cast<unsigned char>(wanted >= U'a' && wanted <= U'z' ? wanted - 32 : small);
    const bool read_others = folds_from_outside_ascii(wanted);
    if (!read_others) {
        // An ASCII byte is always a character of its own, never part of another: look for the
        // two bytes with memchr.
        const char* from = text.data() + i;
        const std::size_t length = text.size() - i;
        const void* first = std::memchr(from, small, length);
        const std::size_t small_at = first ? std::size_t(static_cast<const char*>(first) - from) : length;
        const void* other = capital == small ? nullptr : std::memchr(from, capital, small_at);
        return i + (other ? std::size_t(static_cast<const char*>(other) - from) : small_at);
    }
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte == small || byte == capital)
                return i;
            ++i;
        } else {
            std::size_t next = i;
            if (fold(next_code_point(text, next)) == wanted)
                return i;
            i = next;
        }
    }
    return i;
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

std::size_t pattern::next_candidate(std::string_view text, std::size_t t, std::size_t p) const
{
    if (p < elements.size() && elements[p] < any_run)
        return find_character(text, t, static_cast<char32_t>(elements[p]));
    return t;
}

bool pattern::matches(std::string_view text) const
{
    if (matches_nothing)
        return false;
    // Wildcard matching that goes back to the last "%" on a mismatch: each "%" only ever
    // needs to take one character more, so no text takes more than length x pattern steps.
    // A "%" moves straight on to where the character after it can match.
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    const std::size_t end = elements.size();
    std::size_t p = 0, t = 0, run = none, run_text = 0;
    for (;;) {
        if (p < end && elements[p] == any_run) {
            run = p++;
            if (p == end)
                return true; // a final "%" takes the rest
            t = run_text = next_candidate(text, t, p);
            continue;
        }
        if (t >= text.size())
            break;
        if (p < end) {
            if (elements[p] == any_one) {
                t = after_character(text, t);
                ++p;
                continue;
            }
            const auto byte = static_cast<unsigned char>(text[t]);
            if (byte < 0x80) {
                if (fold(byte) == elements[p]) {
                    ++t;
                    ++p;
                    continue;
                }
            } else if (folds_from_outside_ascii(static_cast<char32_t>(elements[p]))) {
                std::size_t next = t;
                if (fold(next_code_point(text, next)) == elements[p]) {
                    t = next;
                    ++p;
                    continue;
                }
            }
        }
        if (run == none)
            return false;
        // The last "%" takes one more character.
        p = run + 1;
        t = run_text = next_candidate(text, after_character(text, run_text), p);
    }
    while (p < end && elements[p] == any_run)
        ++p;
    return p == end;
}

} // namespace tarvo_like
