#include "screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

int get_environment(environment& env)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return -1;
    const QRect whole = screen->geometry(); // the whole screen, not the work area
    env.screenwidth = whole.width();
    env.screenheight = whole.height();
    return 1;
}

} // namespace platform
