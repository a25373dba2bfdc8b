#pragma once
// The numbering rules of the entry window, free of any window or database: which number a new
// entry gets from the largest stored one, and what the window's hidden number field then holds.

#include <QString>
#include <cstdint>
#include <optional>

namespace entry_number {

// The number novibroj hands out when the database cannot tell the largest number.
inline constexpr std::int16_t numbering_failed = -27008;
// Entry numbers are 16-bit: 1 to 32767.
inline constexpr int first = 1;
inline constexpr int last = 32767;

struct next_number {
    // No value when the table holds no rows (the window then starts at 1).
    std::optional<std::int16_t> number;
    // The largest stored number is already the last one: no number is left.
    bool exhausted = false;
};

// The number after the largest stored one. Numbers never wrap around; stored numbers below 1
// (left behind by failed numberings) do not drag a new entry below 1.
next_number after(std::optional<int> largest_stored);

// Waits a short, random while before a new entry is numbered again after another client
// stored its number first. Clients that lost the same race would otherwise all read the same
// largest number at once and collide again; the wait grows with each attempt (at most 100 ms).
void pause_before_renumbering(int attempt);

// Text of the hidden number field for a new entry: the number in decimal, and "1" in place of
// no number or 0.
QString window_text(std::optional<std::int16_t> novibroj_result);

} // namespace entry_number
