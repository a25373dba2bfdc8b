#pragma once
// Numbers and dates to and from the texts the windows and the table hold.

#include <QDate>
#include <QString>
#include <cstdint>

namespace platform {

// Text to 16-bit signed integer; a text that is no number, or lies outside -32768..32767,
// gives 0 (nothing wraps around).
std::int16_t to_integer(const QString& text);
QString to_text(long long number);

// Dates as the table stores them: "mm/dd/yyyy".
QString date_text(const QDate& date);
QString today_text();

} // namespace platform
