#include "message_recorder.h"

#include <utility>

namespace test_support {

message_recorder::message_recorder()
{
    previous =
        platform::set_message_box_handler([this](const QString& title, const QString& text, const QString& details) {
            boxes.append({title, text, details});
            if (action && title == trigger)
                std::exchange(action, nullptr)();
        });
}

message_recorder::~message_recorder() { stop(); }

void message_recorder::stop()
{
    if (std::exchange(recording, false))
        platform::set_message_box_handler(std::move(previous));
}

void message_recorder::when_shown(const QString& title, std::function<void()> meanwhile)
{
    trigger = title;
    action = std::move(meanwhile);
}

QStringList message_recorder::titles() const
{
    QStringList result;
    for (const box& shown : boxes)
        result << shown.title;
    return result;
}

QString message_recorder::summary() const
{
    QStringList lines;
    for (const box& shown : boxes)
        lines << QStringLiteral("[%1] %2").arg(shown.title, shown.text.left(200));
    return lines.join(QLatin1Char('\n'));
}

} // namespace test_support
