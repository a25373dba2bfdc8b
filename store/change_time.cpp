#include "change_time.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace change_time {

QDateTime parse(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})-(\\d{2})-(\\d{2})[ "
        "T](\\d{2}):(\\d{2}):(\\d{2})(?:\\.(\\d+))?\\s*(?:(Z)|([+-])(\\d{2})(?::?(\\d{2}))?(?::?(\\d{2}))?)?\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    // Fractions beyond the millisecond are cut, not rounded: a moment never moves to the next second.
    const int milliseconds = match.captured(7).leftJustified(3, QLatin1Char('0')).left(3).toInt();
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt(), milliseconds);
    if (!date.isValid() || !time.isValid())
        return {};
    int offset_seconds = 0;
    if (!match.captured(9).isEmpty()) {
        offset_seconds =
            match.captured(10).toInt() * 3600 + match.captured(11).toInt() * 60 + match.captured(12).toInt();
        if (match.captured(9) == QLatin1String("-"))
            offset_seconds = -offset_seconds;
    }
    return QDateTime(date, time, QTimeZone(offset_seconds)).toUTC();
}

QString local_text(const QDateTime& moment)
{
    return moment.isValid() ? moment.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

} // namespace change_time
