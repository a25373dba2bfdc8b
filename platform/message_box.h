#pragma once
// A message box with a title, a text, the information icon and one OK button; `details`, when
// given, is behind the box's "Show Details..." button (what the database itself said).
//
// The box belongs to the window the user works in (the active one): it is centred on that window
// and stays above it. While no window is active, as at start-up, it stands alone. Either way it
// takes all input until OK, as the handler that opened it waits for the answer.
//
// Tests replace the box with a handler that records the call instead of blocking.

#include <QString>
#include <functional>

namespace platform {

using message_box_handler = std::function<void(const QString& title, const QString& text, const QString& details)>;
void message_box(const QString& title, const QString& text, const QString& details = QString());
message_box_handler set_message_box_handler(message_box_handler handler);

// The objectName of the box on the screen.
inline const QString message_box_name = QStringLiteral("message_box");

} // namespace platform
