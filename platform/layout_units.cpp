#include "layout_units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace platform {
namespace {

constexpr int unit_px_x = 7; // px per 32 units, horizontally, at 96 dpi
constexpr int unit_px_y = 8; // px per 32 units, vertically, at 96 dpi

// Fonts are given in points and grow with the screen's logical dpi; the units grow with them so
// that every text keeps fitting its control. Under Qt's own high-dpi scaling the logical dpi
// stays 96 and this is 1: the device pixel ratio scales layout and fonts together.
double font_dpi_ratio()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return 1.0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screen->logicalDotsPerInchY() <= 0)
        return 1.0;
    return screen->logicalDotsPerInchY() / 96.0;
}

int scale(int value, double ratio) { return static_cast<int>(std::lround(static_cast<double>(value) * ratio)); }

} // namespace

int units_to_px_x(int units) { return scale(units, unit_px_x * font_dpi_ratio() / 32); }
int units_to_px_y(int units) { return scale(units, unit_px_y * font_dpi_ratio() / 32); }
int px_to_units_x(int px) { return scale(px, 32 / (unit_px_x * font_dpi_ratio())); }
int px_to_units_y(int px) { return scale(px, 32 / (unit_px_y * font_dpi_ratio())); }

void place(QWidget* widget, int x, int y, int width, int height)
{
    widget->setGeometry(units_to_px_x(x), units_to_px_y(y), units_to_px_x(width), units_to_px_y(height));
}

void resize_in_units(QWidget* widget, int width, int height)
{
    widget->resize(units_to_px_x(width), units_to_px_y(height));
}

int width_in_units(const QWidget* window) { return px_to_units_x(window->width()); }
int height_in_units(const QWidget* window) { return px_to_units_y(window->height()); }

void move_in_units(QWidget* window, int x, int y) { window->move(units_to_px_x(x), units_to_px_y(y)); }

} // namespace platform
