// tarvo-transfer: brings entries into a FAQ data source from a CSV file or another data
// source, and writes them out as CSV.

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "commands.h"

namespace {

const char usage_text[] =
    "Usage:\n"
    "  tarvo-transfer export [--data-source NAME] [--history] FILE.csv\n"
    "  tarvo-transfer import [--data-source NAME] [--encoding cp1250|utf-8|...] [--dry-run] [--renumber] FILE.csv\n"
    "  tarvo-transfer copy --from NAME [--to NAME] [--dry-run] [--renumber]\n"
    "\n"
    "The data source is \"FAQ\" unless named. An import or a copy adds every entry or, when\n"
    "anything is wrong, none; --renumber gives entries whose numbers are taken the next free ones,\n"
    "--dry-run shows what would happen and writes nothing.\n"
    "Exit status: 0 done, 1 refused (nothing written), 2 wrong use, 3 a database or file failed.\n";

int wrong_use(const QString& text)
{
    std::fprintf(stderr, "tarvo-transfer: %s\n\n%s", qPrintable(text), usage_text);
    return commands::usage;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return wrong_use(QStringLiteral("a command is missing"));
    const QString command = arguments.takeFirst();
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h") || command == QStringLiteral("help")) {
        std::fputs(usage_text, stdout);
        return commands::done;
    }

    commands::import_options options;
    bool history = false;
    QString from;
    QStringList files;
    // Options that are allowed with the command, and those that take a value.
    const QStringList allowed =
        command == QStringLiteral("export")   ? QStringList{"--data-source", "--history"}
        : command == QStringLiteral("import") ? QStringList{"--data-source", "--encoding", "--dry-run", "--renumber"}
        : command == QStringLiteral("copy")   ? QStringList{"--from", "--to", "--dry-run", "--renumber"}
                                              : QStringList{};
    if (allowed.isEmpty())
        return wrong_use(QStringLiteral("\"%1\" is not a command").arg(command));
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QStringLiteral("--"))) {
            files << argument;
            continue;
        }
        if (!allowed.contains(argument))
            return wrong_use(QStringLiteral("%1 is not an option of %2").arg(argument, command));
        if (argument == QStringLiteral("--history")) {
            history = true;
            continue;
        }
        if (argument == QStringLiteral("--dry-run")) {
            options.dry_run = true;
            continue;
        }
        if (argument == QStringLiteral("--renumber")) {
            options.renumber = true;
            continue;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
            return wrong_use(QStringLiteral("%1 needs a value").arg(argument));
        const QString value = arguments[++i];
        if (argument == QStringLiteral("--encoding"))
            options.encoding = value;
        else if (argument == QStringLiteral("--from"))
            from = value;
        else // --data-source, --to
            options.data_source = value;
    }

    if (command == QStringLiteral("copy")) {
        if (from.isEmpty())
            return wrong_use(QStringLiteral("copy needs --from NAME"));
        if (!files.isEmpty())
            return wrong_use(QStringLiteral("copy takes no file"));
        return commands::copy_entries(from, options);
    }
    if (files.size() != 1)
        return wrong_use(QStringLiteral("%1 needs one file").arg(command));
    if (command == QStringLiteral("export"))
        return commands::export_entries(options.data_source, history, files.front());
    return commands::import_entries(options, files.front());
}
