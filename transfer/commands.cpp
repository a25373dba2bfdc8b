#include "commands.h"

#include <QDate>
#include <QFile>
#include <QSaveFile>
#include <cstdio>
#include <sqlext.h>

#include "csv.h"
#include "faq_rows.h"
#include "import_plan.h"
#include "odbc_session.h"
#include "odbc_statement.h"
#include "progress.h"
#include "text_encoding.h"

namespace commands {
namespace {

void say(const QString& text) { std::fprintf(stdout, "%s\n", qPrintable(text)); }
void complain(const QString& text) { std::fprintf(stderr, "tarvo-transfer: %s\n", qPrintable(text)); }

int database_failure(const QString& what, const store_error& error)
{
    complain(what + QStringLiteral(": ") + error.text);
    return failed;
}

QString today() { return QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")); }

std::optional<qsizetype> count_of(odbc_connection& connection, const QString& table, store_error& error)
{
    odbc_statement statement(connection);
    std::optional<std::int64_t> count;
    if (!statement.execute(QStringLiteral("SELECT COUNT(*) FROM ") + table)
        || statement.fetch() != odbc_statement::fetched::row || !statement.number(1, count)) {
        error = statement.error();
        return std::nullopt;
    }
    return qsizetype(count.value_or(0));
}

// Checks the candidates against the target's numbers and adds them all in one transaction, or
// none. `source` names where they came from in the messages.
int bring_in(std::vector<import_plan::candidate> candidates, QStringList problems, const import_options& options,
             const QString& source)
{
    odbc_session target;
    if (const auto error = target.open(options.data_source))
        return database_failure(QStringLiteral("cannot open the data source \"%1\"").arg(options.data_source), *error);
    if (const auto error = target.begin())
        return database_failure(QStringLiteral("cannot begin the import"), *error);
    std::vector<int> taken;
    if (const auto error = faq_rows::read_numbers(target.connection(), taken)) {
        target.rollback();
        return database_failure(QStringLiteral("cannot read the entries of \"%1\"").arg(options.data_source), *error);
    }
    const import_plan::plan plan =
        import_plan::make(std::move(candidates), taken, options.renumber, std::move(problems));
    if (!plan.problems.isEmpty()) {
        target.rollback();
        complain(QStringLiteral("nothing was imported: %1 has %2 problem(s):").arg(source).arg(plan.problems.size()));
        for (const QString& problem : plan.problems)
            std::fprintf(stderr, "  %s\n", qPrintable(problem));
        return refused;
    }
    for (const QString& note : plan.renumbered)
        say(note);
    if (options.dry_run) {
        target.rollback();
        say(QStringLiteral("Dry run: %1 entries would be added to \"%2\" (%3 renumbered); nothing was written.")
                .arg(plan.rows.size())
                .arg(options.data_source)
                .arg(plan.renumbered.size()));
        return done;
    }
    {
        progress shown(QStringLiteral("Importing"), qsizetype(plan.rows.size()));
        for (const faq_rows::entry& row : plan.rows) {
            if (const auto error = faq_rows::insert(target.connection(), row)) {
                target.rollback();
                return database_failure(
                    QStringLiteral("nothing was imported: the entry numbered %1 could not be added").arg(row.rbr),
                    *error);
            }
            shown.step();
        }
    }
    if (const auto error = target.commit()) {
        target.rollback();
        return database_failure(QStringLiteral("nothing was imported: the import could not be committed"), *error);
    }
    say(QStringLiteral("Added %1 entries to \"%2\" (%3 renumbered). New entries make no versions in the history.")
            .arg(plan.rows.size())
            .arg(options.data_source)
            .arg(plan.renumbered.size()));
    return done;
}

} // namespace

int export_entries(const QString& data_source, bool with_history, const QString& file)
{
    odbc_session session;
    if (const auto error = session.open(data_source))
        return database_failure(QStringLiteral("cannot open the data source \"%1\"").arg(data_source), *error);
    // One transaction that sees the entries and the versions as they are at one moment (a
    // driver that offers no such level keeps its own, which on SQLite is already one snapshot).
    SQLSetConnectAttr(session.connection().handle(), SQL_ATTR_TXN_ISOLATION,
                      reinterpret_cast<SQLPOINTER>(SQL_TXN_REPEATABLE_READ), SQL_IS_UINTEGER);
    if (const auto error = session.begin())
        return database_failure(QStringLiteral("cannot begin the export"), *error);
    store_error error;
    const std::optional<qsizetype> entries = count_of(session.connection(), QStringLiteral("faq"), error);
    const std::optional<qsizetype> versions =
        with_history ? count_of(session.connection(), QStringLiteral("faq_history"), error) : qsizetype(0);
    if (!entries || !versions)
        return database_failure(QStringLiteral("cannot count the entries of \"%1\"").arg(data_source), error);

    // The file is written under another name and takes its own only when it is complete.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        complain(QStringLiteral("cannot write %1: %2").arg(file, out.errorString()));
        return failed;
    }
    QStringList header = faq_rows::column_names();
    if (with_history)
        header += faq_rows::version_column_names();
    QByteArray record;
    csv::append_record(record, header);
    out.write(record);
    const QStringList no_version(faq_rows::version_column_names().size());
    {
        progress shown(QStringLiteral("Exporting"), *entries + *versions);
        const auto write = [&](const QStringList& fields) {
            record.clear();
            csv::append_record(record, fields);
            out.write(record);
            shown.step();
        };
        auto failure = faq_rows::read_entries(session.connection(), [&](const faq_rows::entry& row) {
            write(with_history ? row.fields() + no_version : row.fields());
        });
        if (!failure && with_history)
            failure = faq_rows::read_versions(session.connection(), [&](const faq_rows::version& row) {
                write(row.texts.fields() + QStringList{row.version, row.changed_at, row.change, row.changed_by});
            });
        session.rollback();
        if (failure)
            return database_failure(QStringLiteral("nothing was exported"), *failure);
    }
    if (!out.commit()) {
        complain(QStringLiteral("cannot write %1: %2").arg(file, out.errorString()));
        return failed;
    }
    say(with_history
            ? QStringLiteral("Exported %1 entries and %2 versions to %3.").arg(*entries).arg(*versions).arg(file)
            : QStringLiteral("Exported %1 entries to %2.").arg(*entries).arg(file));
    return done;
}

int import_entries(const import_options& options, const QString& file)
{
    if (!text_encoding::usable(options.encoding)) {
        complain(QStringLiteral("the encoding \"%1\" is not known, or is not one that writes ASCII as ASCII "
                                "(such as utf-8, cp1250, iso-8859-2)")
                     .arg(options.encoding));
        return usage;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(file, in.errorString()));
        return failed;
    }
    const QByteArray data = in.readAll();
    QStringList problems;
    std::vector<import_plan::candidate> candidates = import_plan::read_csv(data, options.encoding, today(), problems);
    return bring_in(std::move(candidates), std::move(problems), options, file);
}

int copy_entries(const QString& from, const import_options& options)
{
    if (from.compare(options.data_source, Qt::CaseInsensitive) == 0) {
        complain(QStringLiteral("the entries of \"%1\" cannot be copied into \"%1\" itself").arg(from));
        return usage;
    }
    odbc_session source;
    if (const auto error = source.open(from))
        return database_failure(QStringLiteral("cannot open the data source \"%1\"").arg(from), *error);
    if (const auto error = source.begin())
        return database_failure(QStringLiteral("cannot begin reading \"%1\"").arg(from), *error);
    std::vector<import_plan::candidate> candidates;
    const auto failure = faq_rows::read_entries(source.connection(), [&](const faq_rows::entry& row) {
        import_plan::candidate& found = candidates.emplace_back();
        found.place = QStringLiteral("entry %1 of \"%2\"").arg(row.rbr).arg(from);
        found.rbr = row.rbr;
        found.rbr_text = QString::number(row.rbr);
        found.entry = row;
    });
    source.rollback();
    if (failure)
        return database_failure(QStringLiteral("cannot read the entries of \"%1\"").arg(from), *failure);
    return bring_in(std::move(candidates), {}, options, QStringLiteral("\"%1\"").arg(from));
}

} // namespace commands
