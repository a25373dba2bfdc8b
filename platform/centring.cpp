#include "centring.h"

#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {
namespace {

std::int16_t half_of(int difference)
{
    const double half = std::trunc(static_cast<double>(difference) * 0.5);
    // Clamped rather than wrapped: a position never jumps to the other side of the screen.
    const double clamped = std::clamp(half, static_cast<double>(std::numeric_limits<std::int16_t>::min()),
                                      static_cast<double>(std::numeric_limits<std::int16_t>::max()));
    return static_cast<std::int16_t>(clamped);
}

} // namespace

window_position centred_in_units(int screen_width, int screen_height, int window_width, int window_height)
{
    return window_position{half_of(screen_width - window_width), half_of(screen_height - window_height)};
}

std::optional<window_position> centred_position(int rtn, const environment& env, int window_width, int window_height)
{
    if (rtn != 1)
        return std::nullopt;
    return centred_in_units(px_to_units_x(env.screenwidth), px_to_units_y(env.screenheight), window_width,
                            window_height);
}

void centre_window(QWidget* window)
{
    if (window == nullptr)
        return;
    environment env;
    const int rtn = get_environment(env);
    const std::optional<window_position> position =
        centred_position(rtn, env, width_in_units(window), height_in_units(window));
    if (position)
        move_in_units(window, position->x, position->y);
}

} // namespace platform
