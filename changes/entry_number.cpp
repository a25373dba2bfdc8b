#include "entry_number.h"

#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <thread>

namespace entry_number {

next_number after(std::optional<int> largest_stored)
{
    if (!largest_stored)
        return {};
    if (*largest_stored >= last)
        return {std::nullopt, true};
    if (*largest_stored < first)
        return {static_cast<std::int16_t>(first), false};
    return {static_cast<std::int16_t>(*largest_stored + 1), false};
}

void pause_before_renumbering(int attempt)
{
    const int ceiling_ms = std::min(4 << std::clamp(attempt - 1, 0, 5), 100);
    const int wait_ms = 1 + static_cast<int>(QRandomGenerator::global()->bounded(ceiling_ms));
    std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
}

QString window_text(std::optional<std::int16_t> novibroj_result)
{
    const QString text = novibroj_result ? QString::number(*novibroj_result) : QString();
    if (text.isEmpty() || text == QLatin1String("0"))
        return QStringLiteral("1");
    return text;
}

} // namespace entry_number
