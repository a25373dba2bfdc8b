#pragma once
// Layout units: window and control geometry is given in classic dialog units. At 96 dpi one
// unit is 7/32 px horizontally and 8/32 px vertically; at another
// logical (font) dpi the units scale with it, as the fonts do.

class QWidget;

namespace platform {

int units_to_px_x(int units);
int units_to_px_y(int units);
int px_to_units_x(int px);
int px_to_units_y(int px);

// Sets a widget's position and size from layout units (relative to its parent's client area).
void place(QWidget* widget, int x, int y, int width, int height);
void resize_in_units(QWidget* widget, int width, int height);

// Reads a window's size and moves it, both in layout units.
int width_in_units(const QWidget* window);
int height_in_units(const QWidget* window);
void move_in_units(QWidget* window, int x, int y);

} // namespace platform
