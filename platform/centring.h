#pragma once
// Centring a window on the whole screen, computed in layout units: the search window's
// centriraj_prozor, and how the entry and yes/no windows place themselves.

#include <cstdint>
#include <optional>

#include "layout_units.h"
#include "screen.h"

class QWidget;

namespace platform {

struct window_position {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// Where a window of the given size (layout units) goes on a screen of the given size (pixels),
// or nothing when reading the screen failed (rtn other than 1). Each coordinate is the
// difference halved by multiplying with 0.5 and cut toward zero into 16 bits.
std::optional<window_position> centred_position(int rtn, const environment& env, int window_width, int window_height);

// The same for screen sizes already in layout units.
window_position centred_in_units(int screen_width, int screen_height, int window_width, int window_height);

// Reads the screen and moves the window; on a failed read the window stays where it is. Size
// and stacking order are not touched.
void centre_window(QWidget* window);

} // namespace platform
