// tarvo-transfer: brings entries into a FAQ data source from a CSV file or another data
// source, and writes them out as CSV.

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <optional>

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

// What the command line asks for, once read.
struct command_line {
    QString command;
    commands::import_options options;
    bool history = false;
    QString from;
    QStringList files;
};

// The options allowed with the command; empty for a command that does not exist.
QStringList options_of(const QString& command)
{
    if (command == QStringLiteral("export"))
        return {"--data-source", "--history"};
    if (command == QStringLiteral("import"))
        return {"--data-source", "--encoding", "--dry-run", "--renumber"};
    if (command == QStringLiteral("copy"))
        return {"--from", "--to", "--dry-run", "--renumber"};
    return {};
}

// Reads the options and files after the command; the text of the first wrong use, if any.
std::optional<QString> read_arguments(const QStringList& arguments, command_line& line)
{
    const QStringList allowed = options_of(line.command);
    if (allowed.isEmpty())
        return QStringLiteral("\"%1\" is not a command").arg(line.command);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QStringLiteral("--")))
            line.files << argument;
        else if (!allowed.contains(argument))
            return QStringLiteral("%1 is not an option of %2").arg(argument, line.command);
        else if (argument == QStringLiteral("--history"))
            line.history = true;
        else if (argument == QStringLiteral("--dry-run"))
            line.options.dry_run = true;
        else if (argument == QStringLiteral("--renumber"))
            line.options.renumber = true;
        else if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
            return QStringLiteral("%1 needs a value").arg(argument);
        else if (argument == QStringLiteral("--encoding"))
            line.options.encoding = arguments[++i];
        else if (argument == QStringLiteral("--from"))
            line.from = arguments[++i];
        else // --data-source, --to
            line.options.data_source = arguments[++i];
    }
    return std::nullopt;
}

int run(const command_line& line)
{
    if (line.command == QStringLiteral("copy")) {
        if (line.from.isEmpty())
            return wrong_use(QStringLiteral("copy needs --from NAME"));
        if (!line.files.isEmpty())
            return wrong_use(QStringLiteral("copy takes no file"));
        return commands::copy_entries(line.from, line.options);
    }
    if (line.files.size() != 1)
        return wrong_use(QStringLiteral("%1 needs one file").arg(line.command));
    if (line.command == QStringLiteral("export"))
        return commands::export_entries(line.options.data_source, line.history, line.files.front());
    return commands::import_entries(line.options, line.files.front());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return wrong_use(QStringLiteral("a command is missing"));
    command_line line;
    line.command = arguments.takeFirst();
    if (line.command == QStringLiteral("--help") || line.command == QStringLiteral("-h")
        || line.command == QStringLiteral("help")) {
        std::fputs(usage_text, stdout);
        return commands::done;
    }
    if (const std::optional<QString> wrong = read_arguments(arguments, line))
        return wrong_use(*wrong);
    return run(line);
}
