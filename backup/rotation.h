#pragma once
// Which backups of the embedded database are kept: one a day, named by its day
// ("faq-2026-12-09.db" for faq.db), and of them the newest of each of the last 7 days, 4 weeks
// and 12 months that have one. Days without a backup (holidays) do not count, so a long pause
// never thins the backups out.

#include <QDate>
#include <QString>
#include <optional>
#include <set>
#include <vector>

namespace rotation {

struct policy {
    int days = 7;
    int weeks = 4; // ISO weeks, Monday to Sunday
    int months = 12;
};

// The days of `backups` to keep; the newest is always among them.
std::set<QDate> kept(const std::vector<QDate>& backups, const policy& rules = {});

// The backup's file name for a database file name and a day, and the day back from such a name
// (nothing for any other file).
QString file_name(const QString& database_name, QDate day);
std::optional<QDate> day_of(const QString& database_name, const QString& file);

} // namespace rotation
