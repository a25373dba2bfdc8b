#include "sqlite_files.h"

#include <QFile>

#include "faq_fixture.h"

namespace test_support {

run_result sqlite3(const QString& database, const QString& statements)
{
    return run(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), database, statements},
               QProcessEnvironment::systemEnvironment());
}

void make_sample_database(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    for (const char* schema : {"/db/faq.sqlite.sql", "/db/faq-history.sqlite.sql", "/db/sample-entries.sql"}) {
        const run_result made = run(QStringLiteral("sh"),
                                    {QStringLiteral("-c"), QStringLiteral("sqlite3 -bail \"$0\" < \"$1\""), path,
                                     source_dir() + QLatin1String(schema)},
                                    QProcessEnvironment::systemEnvironment());
        if (made.exit_code != 0)
            qFatal("cannot make %s: %s", qPrintable(path), qPrintable(made.output));
    }
}

QByteArray file_bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write_damaged_database(const QString& path, damage how)
{
    QByteArray bytes;
    if (how == damage::not_a_database) {
        bytes = QByteArray("Quarterly report\n").repeated(500);
    } else {
        make_sample_database(path);
        const QStringList facts =
            sqlite3(path, QStringLiteral("PRAGMA page_size; SELECT rootpage FROM sqlite_master WHERE name = 'faq';"))
                .output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        bytes = file_bytes(path);
        const qsizetype page_size = facts.value(0).toLongLong();
        const qsizetype root = facts.value(1).toLongLong();
        if (page_size <= 0 || root < 2 || bytes.size() < root * page_size)
            qFatal("cannot find the table faq in %s", qPrintable(path));
        // The page's type byte: no b-tree page starts with it.
        bytes[(root - 1) * page_size] = '\x7f';
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace test_support
