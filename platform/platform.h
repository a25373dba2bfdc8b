#pragma once
// The small set of services every window relies on: layout units, message boxes,
// number and date conversions, the screen size and fonts.

#include <QDate>
#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace platform {

// Layout units: window and control geometry is given in classic dialog units. At 96 dpi one
// unit is 7/32 px horizontally and 8/32 px vertically; at another
// logical (font) dpi the units scale with it, as the fonts do.
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

// Screen size in pixels; rtn is 1 on success.
struct environment {
    int screenwidth = 0;
    int screenheight = 0;
};
int get_environment(environment& env);

// A message box with a title, a text, the information icon and one OK button; `details`, when
// given, is behind the box's "Show Details..." button (what the database itself said).
// Tests replace the box with a handler that records the call instead of blocking.
using message_box_handler = std::function<void(const QString& title, const QString& text, const QString& details)>;
void message_box(const QString& title, const QString& text, const QString& details = QString());
message_box_handler set_message_box_handler(message_box_handler handler);

// Text to 16-bit signed integer; a text that is no number, or lies outside -32768..32767,
// gives 0 (nothing wraps around).
std::int16_t to_integer(const QString& text);
QString to_text(long long number);

// Dates as the table stores them: "mm/dd/yyyy".
QString date_text(const QDate& date);
QString today_text();

// Fonts are requested by the names the layout was drawn with; fontconfig maps Arial and
// Times New Roman to their metric twins.
QFont font(const QString& family, int points, int weight = 400);

} // namespace platform
