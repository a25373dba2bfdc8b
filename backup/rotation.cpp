#include "rotation.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace rotation {

namespace {

// The newest backup of each of the first `count` periods (newest first) that hold one.
void keep_newest_of_each(const std::vector<QDate>& newest_first, int count, const std::function<int(QDate)>& period,
                         std::set<QDate>& keep)
{
    std::optional<int> last;
    for (const QDate day : newest_first) {
        if (count <= 0)
            return;
        if (period(day) == last)
            continue;
        last = period(day);
        keep.insert(day);
        --count;
    }
}

// "faq.db" splits into "faq" and ".db": the day goes between them.
std::pair<QString, QString> name_parts(const QString& database_name)
{
    const QFileInfo info(database_name);
    const QString suffix = info.suffix();
    return {info.completeBaseName(), suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix};
}

} // namespace

std::set<QDate> kept(const std::vector<QDate>& backups, const policy& rules)
{
    std::vector<QDate> newest_first = backups;
    std::sort(newest_first.begin(), newest_first.end(), std::greater<>());
    std::set<QDate> keep;
    keep_newest_of_each(
        newest_first, std::max(rules.days, 1), [](QDate d) { return static_cast<int>(d.toJulianDay()); }, keep);
    keep_newest_of_each(
        newest_first, rules.weeks,
        [](QDate d) {
            int year = 0;
            const int week = d.weekNumber(&year);
            return year * 100 + week;
        },
        keep);
    keep_newest_of_each(
        newest_first, rules.months, [](QDate d) { return d.year() * 100 + d.month(); }, keep);
    return keep;
}

QString file_name(const QString& database_name, QDate day)
{
    const auto [base, suffix] = name_parts(database_name);
    return base + QLatin1Char('-') + day.toString(Qt::ISODate) + suffix;
}

std::optional<QDate> day_of(const QString& database_name, const QString& file)
{
    const auto [base, suffix] = name_parts(database_name);
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(QRegularExpression::escape(base)
                                                                         + QStringLiteral("-(\\d{4}-\\d{2}-\\d{2})")
                                                                         + QRegularExpression::escape(suffix)));
    const QRegularExpressionMatch match = pattern.match(file);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate day = QDate::fromString(match.captured(1), Qt::ISODate);
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

} // namespace rotation
