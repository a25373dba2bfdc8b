#pragma once
// The entries the crash test's writer saves: every text is a function of the save's sequence
// number and version, so a row read back after the crash shows at once whether it is whole.

#include <QRegularExpression>
#include <QString>
#include <optional>
#include <utility>

#include "statements.h"

namespace reliability {

inline statements::entry_texts crash_entry(int sequence, int version)
{
    const QString tag = QStringLiteral("%1/%2").arg(sequence).arg(version);
    return {QStringLiteral("seq %1 version %2").arg(sequence).arg(version),
            QStringLiteral("Question %1: it's \"whole\" or it's nothing").arg(tag),
            QStringLiteral("Product %1 čćžšđ").arg(tag), QStringLiteral("LOT-%1").arg(tag),
            QStringLiteral("Answer %1, line after line.\n").arg(tag).repeated(40 + sequence % 17)};
}

// The sequence number and version an entry's keywords name.
inline std::optional<std::pair<int, int>> crash_entry_id(const QString& adresa)
{
    static const QRegularExpression pattern(QStringLiteral("^seq (\\d+) version (\\d+)$"));
    const auto match = pattern.match(adresa);
    if (!match.hasMatch())
        return std::nullopt;
    return std::make_pair(match.captured(1).toInt(), match.captured(2).toInt());
}

} // namespace reliability
