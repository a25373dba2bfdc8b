#pragma once
// SQLite's LIKE matching with the case of every letter ignored: both the pattern and the text
// are compared after Unicode simple case folding (ICU), so "ŠUM" matches "šum" as "PUMP" matches
// "pump". Everything else is SQLite's own rule: "%" stands for any run of characters, "_" for
// exactly one character, and the escape character (when given) makes the character after it
// stand for itself. Texts are read as SQLite reads UTF-8 (invalid sequences as U+FFFD, a stray
// continuation byte as a character of its own).

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarvo_like {

// One code point after case folding; ASCII without asking ICU.
char32_t fold(char32_t code_point);

// Whether a character outside ASCII can fold to this folded character (the matching skips
// reading those that cannot).
bool folds_from_outside_ascii(char32_t folded);

// The code point of a text that holds exactly one character; false for any other text.
bool single_character(std::string_view utf8, char32_t& code_point);

class pattern {
public:
    pattern(std::string_view utf8, std::optional<char32_t> escape);

    bool matches(std::string_view utf8_text) const;
    std::optional<char32_t> escape() const { return escape_character; }

private:
    // Pattern elements: a folded character, or one of the two wildcards (beyond 32 bits, so
    // that no character read from a text can be taken for one).
    static constexpr std::uint64_t any_run = 1ull << 32;
    static constexpr std::uint64_t any_one = any_run + 1;

    // Where, from text position t on, element p can match at all (t itself unless it is a
    // character).
    std::size_t next_candidate(std::string_view text, std::size_t t, std::size_t p) const;

    std::vector<std::uint64_t> elements;
    std::optional<char32_t> escape_character;
    bool matches_nothing = false; // the pattern ends with a lone escape character
};

} // namespace tarvo_like
