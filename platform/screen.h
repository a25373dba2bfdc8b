#pragma once
// The screen's size in pixels.

namespace platform {

struct environment {
    int screenwidth = 0;
    int screenheight = 0;
};
// Fills in the whole screen's size (not the work area); rtn is 1 on success.
int get_environment(environment& env);

} // namespace platform
