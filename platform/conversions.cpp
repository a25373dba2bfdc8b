#include "conversions.h"

#include <limits>

namespace platform {

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

} // namespace platform
