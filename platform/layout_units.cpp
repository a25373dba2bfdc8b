#include "platform.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <limits>

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

message_box_handler& installed_handler()
{
    static message_box_handler handler;
    return handler;
}

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

void message_box(const QString& title, const QString& text, const QString& details)
{
    if (installed_handler()) {
        installed_handler()(title, text, details);
        return;
    }
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
    box.setDetailedText(details);
    box.exec();
}

message_box_handler set_message_box_handler(message_box_handler handler)
{
    return std::exchange(installed_handler(), std::move(handler));
}

std::int16_t to_integer(const QString& text)
{
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        return 0;
    return static_cast<std::int16_t>(value);
}

QString to_text(long long number) { return QString::number(number); }

QString date_text(const QDate& date) { return date.toString(QStringLiteral("MM/dd/yyyy")); }

QString today_text() { return date_text(QDate::currentDate()); }

QFont font(const QString& family, int points, int weight)
{
    QFont result(family, points);
    result.setWeight(static_cast<QFont::Weight>(weight));
    return result;
}

} // namespace platform
