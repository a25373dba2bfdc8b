#include "backup_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "database_copy.h"
#include "rotation.h"

namespace backup_folder {

QString for_database(const QString& database, const QString& configured)
{
    const QDir beside = QFileInfo(database).absoluteDir();
    if (configured.isEmpty())
        return beside.filePath(QStringLiteral("backups"));
    return QDir::cleanPath(beside.absoluteFilePath(QDir::fromNativeSeparators(configured)));
}

std::vector<QDate> days(const QString& database, const QString& folder)
{
    const QString name = QFileInfo(database).fileName();
    std::vector<QDate> found;
    for (const QString& file : QDir(folder).entryList(QDir::Files)) {
        if (const std::optional<QDate> day = rotation::day_of(name, file))
            found.push_back(*day);
    }
    return found;
}

outcome make(const QString& database, const QString& folder, QDate day)
{
    const QString name = QFileInfo(database).fileName();
    if (!QDir().mkpath(folder))
        return {false, {}, QStringLiteral("Backup of %1 failed: cannot make the folder %2").arg(database, folder)};
    const QDir dir(folder);
    const QString target = dir.filePath(rotation::file_name(name, day));
    // Hidden while it is made: a part never looks like a backup.
    const QString part = dir.filePath(QLatin1Char('.') + rotation::file_name(name, day) + QStringLiteral(".part"));
    QFile::remove(part);
    const database_copy::outcome copied = database_copy::copy(database, part);
    if (!copied.ok) {
        QFile::remove(part);
        return {false, {}, QStringLiteral("Backup of %1 failed: %2").arg(database, copied.error)};
    }
    // rename() replaces the day's earlier backup in one step.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(part);
        return {false, {}, QStringLiteral("Backup of %1 failed: cannot write %2").arg(database, target)};
    }
    const std::set<QDate> keep = rotation::kept(days(database, folder));
    for (const QDate old : days(database, folder)) {
        if (old != day && !keep.contains(old))
            QFile::remove(dir.filePath(rotation::file_name(name, old)));
    }
    return {true, target, QStringLiteral("Backup saved in %1").arg(target)};
}

} // namespace backup_folder
