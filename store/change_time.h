#pragma once
// The time of a change as the databases write it into the history: SQLite as UTC text without
// an offset ("2024-05-01 10:00:00.123"), PostgreSQL with the offset of the session's time zone
// ("2024-05-01 12:00:00.123456+02", "+05:30").

#include <QDateTime>
#include <QString>

namespace change_time {

// The moment the text names; an invalid QDateTime when it names none.
QDateTime parse(const QString& text);

// The moment in the desktop's local time, to the minute: "2024-05-01 12:00"; empty for an
// invalid one.
QString local_text(const QDateTime& moment);

} // namespace change_time
