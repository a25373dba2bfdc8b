#include "read_only_open.h"

#include <QFileInfo>
#include <QUrl>
#include <unistd.h>

namespace read_only_open {
namespace {

bool writable(const QString& path) { return access(QFile::encodeName(path).constData(), W_OK) == 0; }

} // namespace

std::optional<database> check(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (!file.isFile() || !file.isReadable() || (writable(file.absoluteFilePath()) && writable(folder)))
        return std::nullopt;
    database found{file.absoluteFilePath(), QString()};
    if (writable(folder))
        return found; // the -wal and -shm files can be made beside it: the usual opening reads it
    // A read-only connection uses a -shm file that someone who may write has left; without one,
    // nobody has the database open in WAL mode, and it is read as a file that does not change
    // while this connection lasts. A name the connect string cannot carry keeps the usual opening.
    if (found.file.contains(QLatin1Char(';')) || found.file.contains(QLatin1Char('{'))
        || found.file.contains(QLatin1Char('}')))
        return found;
    const bool shared_memory = QFileInfo::exists(found.file + QStringLiteral("-shm"));
    found.connect_attributes = QStringLiteral(";Database=file:")
                               + QString::fromLatin1(QUrl::toPercentEncoding(found.file, "/"))
                               + (shared_memory ? QStringLiteral("?mode=ro") : QStringLiteral("?immutable=1"));
    return found;
}

QString refusal(const QString& file)
{
    return QStringLiteral("The database %1 is read-only for you: its entries can be searched and read, but not "
                          "changed. Nothing was stored.")
        .arg(file);
}

} // namespace read_only_open
