// Prints the table of figures and ratios from the JSON files that the benchmark programs wrote
// (--benchmark_out). With repetitions the fastest one is used, otherwise the single run.
//   bench_table RESULT.json...

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <cstdio>
#include <map>
#include <optional>

namespace {

struct figure {
    double ms = 0;        // real time per iteration, of the fastest repetition
    QJsonObject counters; // rows, shown_ms of that repetition; peak_rss_kb of the largest
};

double to_ms(double value, const QString& unit)
{
    if (unit == QLatin1String("ns"))
        return value / 1e6;
    if (unit == QLatin1String("us"))
        return value / 1e3;
    if (unit == QLatin1String("s"))
        return value * 1e3;
    return value;
}

// The runs of one case: a single run, or the aggregates of its repetitions by name.
struct runs {
    QJsonObject single;
    QMap<QString, QJsonObject> aggregates;
};

figure figure_of(const runs& found)
{
    // The fastest repetition when there were repetitions (noise only adds time), else the run.
    const QJsonObject time =
        found.aggregates.value(QStringLiteral("min"), found.aggregates.value(QStringLiteral("median"), found.single));
    figure result;
    result.ms =
        to_ms(time.value(QLatin1String("real_time")).toDouble(), time.value(QLatin1String("time_unit")).toString());
    for (const char* counter : {"rows", "shown_ms", "application_ms", "connected_ms", "window_ms", "painted_ms"})
        result.counters.insert(QLatin1String(counter), time.value(QLatin1String(counter)));
    const QJsonObject peak = found.aggregates.value(QStringLiteral("max"), time);
    result.counters.insert(QStringLiteral("peak_rss_kb"), peak.value(QLatin1String("peak_rss_kb")));
    return result;
}

// name -> figure, over all files.
std::map<QString, figure> read_figures(const QStringList& files, QStringList& contexts)
{
    std::map<QString, runs> all;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_table: cannot read %s\n", qPrintable(path));
            continue;
        }
        // Google Benchmark writes nan for the variation of a counter that is zero everywhere;
        // JSON has no such number.
        QByteArray text = file.readAll();
        static const QRegularExpression not_a_number(QStringLiteral(":\\s*-?(nan|inf|infinity)\\b"),
                                                     QRegularExpression::CaseInsensitiveOption);
        text = QString::fromUtf8(text).replace(not_a_number, QStringLiteral(": null")).toUtf8();
        QJsonParseError error{};
        const QJsonObject root = QJsonDocument::fromJson(text, &error).object();
        if (error.error != QJsonParseError::NoError) {
            std::fprintf(stderr, "bench_table: %s: %s\n", qPrintable(path), qPrintable(error.errorString()));
            continue;
        }
        const QJsonObject context = root.value(QLatin1String("context")).toObject();
        const QString machine = QStringLiteral("%1, %2 CPUs at %3 MHz")
                                    .arg(context.value(QLatin1String("host_name")).toString())
                                    .arg(context.value(QLatin1String("num_cpus")).toInt())
                                    .arg(context.value(QLatin1String("mhz_per_cpu")).toInt());
        if (!contexts.contains(machine))
            contexts << machine;
        for (const QJsonValue& value : root.value(QLatin1String("benchmarks")).toArray()) {
            const QJsonObject run = value.toObject();
            if (run.value(QLatin1String("error_occurred")).toBool()) {
                std::fprintf(stderr, "bench_table: %s failed: %s\n",
                             qPrintable(run.value(QLatin1String("name")).toString()),
                             qPrintable(run.value(QLatin1String("error_message")).toString()));
                continue;
            }
            // "/real_time" and "/manual_time" tell how the time was taken, not what ran.
            QString name = run.value(QLatin1String("run_name")).toString();
            name.remove(QRegularExpression(QStringLiteral("/(real|manual)_time$")));
            if (run.value(QLatin1String("run_type")).toString() == QLatin1String("aggregate"))
                all[name].aggregates.insert(run.value(QLatin1String("aggregate_name")).toString(), run);
            else
                all[name].single = run;
        }
    }
    std::map<QString, figure> figures;
    for (const auto& [name, found] : all)
        figures[name] = figure_of(found);
    return figures;
}

std::optional<figure> find(const std::map<QString, figure>& figures, const QString& name)
{
    const auto it = figures.find(name);
    if (it == figures.end())
        return std::nullopt;
    return it->second;
}

QString number(double value, int decimals) { return QString::number(value, 'f', decimals); }

void print_line(const QStringList& cells, const QList<int>& widths)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const int width = widths.value(i, 10);
        line += i < 3 ? cells[i].leftJustified(width) : cells[i].rightJustified(width);
        line += QLatin1Char(' ');
    }
    std::printf("%s\n", qPrintable(line.trimmed()));
}

const QList<QPair<QString, QString>> search_cases = {
    {QStringLiteral("search_question_half"), QStringLiteral("Question: half word")},
    {QStringLiteral("search_all_half"), QStringLiteral("All: half word")},
    {QStringLiteral("search_all_none"), QStringLiteral("All: word in no entry")},
    {QStringLiteral("search_every_row"), QStringLiteral("both empty: every row")},
    {QStringLiteral("search_all_one_letter"), QStringLiteral("All: one letter")},
    {QStringLiteral("search_all_two_letters"), QStringLiteral("All: two letters")},
};
const QList<QPair<QString, QString>> entry_cases = {
    {QStringLiteral("load_entry"), QStringLiteral("load one entry")},
    {QStringLiteral("save_entry"), QStringLiteral("save one entry")},
    {QStringLiteral("number_entry"), QStringLiteral("number a new entry")},
};

const QList<QPair<QString, QString>> history_cases = {
    {QStringLiteral("save_changed"), QStringLiteral("save a changed entry")},
    {QStringLiteral("delete_entry"), QStringLiteral("delete an entry")},
};

const QList<QPair<QString, QString>> word_cases = {
    {QStringLiteral("words_one"), QStringLiteral("one word")},
    {QStringLiteral("words_two"), QStringLiteral("two words")},
    {QStringLiteral("words_three"), QStringLiteral("three words")},
    {QStringLiteral("words_none"), QStringLiteral("a word in no entry")},
    {QStringLiteral("words_prefix_two_letters"), QStringLiteral("two-letter prefix")},
};

QString verdict(bool met) { return met ? QStringLiteral("met") : QStringLiteral("NOT MET"); }
QString verdict(double ratio, double target) { return verdict(ratio <= target); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication qt(argc, argv);
    QStringList contexts;
    const std::map<QString, figure> figures = read_figures(QCoreApplication::arguments().mid(1), contexts);

    // Table sizes and backends that were run.
    QMap<QString, QList<int>> sizes; // backend -> table sizes
    for (const auto& [name, found] : figures) {
        const QStringList parts = name.split(QLatin1Char('/'));
        if (parts.size() == 4 && !sizes[parts[0]].contains(parts[1].toInt()))
            sizes[parts[0]].append(parts[1].toInt());
    }
    for (QList<int>& list : sizes)
        std::sort(list.begin(), list.end());

    std::printf("Benchmark host (Google Benchmark context): %s\n\n", qPrintable(contexts.join(QStringLiteral("; "))));

    const QList<int> widths = {10, 22, 7, 11, 10, 6, 10, 7, 9, 9, 8};
    std::printf("Search and fill the result list: the Search button's handler until the list model holds\n"
                "every row (program), against the same statement through the engine's library reading\n"
                "the same three columns (engine). odbc = what the ODBC driver manager and driver alone\n"
                "take for the statement, times the engine (the floor for any program that reads through\n"
                "ODBC); p/odbc = program / driver alone. Target: ratio <= 1.5, or p/odbc <= 1.2.\n"
                "us/entry = program time per table entry (flat = linear growth); shown = click until the\n"
                "rows are painted (offscreen).\n");
    print_line({QStringLiteral("database"), QStringLiteral("search"), QStringLiteral("entries"),
                QStringLiteral("program ms"), QStringLiteral("engine ms"), QStringLiteral("ratio"),
                QStringLiteral("odbc ratio"), QStringLiteral("p/odbc"), QStringLiteral("us/entry"),
                QStringLiteral("shown ms"), QStringLiteral("target")},
               widths);
    for (auto backend = sizes.constBegin(); backend != sizes.constEnd(); ++backend) {
        for (const auto& [key, label] : search_cases) {
            for (const int rows : backend.value()) {
                const QString base = QStringLiteral("%1/%2/%3/").arg(backend.key()).arg(rows).arg(key);
                const std::optional<figure> program = find(figures, base + QStringLiteral("program"));
                const std::optional<figure> eng = find(figures, base + QStringLiteral("engine"));
                if (!program || !eng)
                    continue;
                const double ratio = program->ms / eng->ms;
                const std::optional<figure> odbc = find(figures, base + QStringLiteral("odbc"));
                const bool met = ratio <= 1.5 || (odbc && program->ms / odbc->ms <= 1.2);
                print_line({backend.key(), label, QString::number(rows), number(program->ms, 2), number(eng->ms, 2),
                            number(ratio, 2), odbc ? number(odbc->ms / eng->ms, 2) : QStringLiteral("-"),
                            odbc ? number(program->ms / odbc->ms, 2) : QStringLiteral("-"),
                            number(program->ms * 1000.0 / rows, 2),
                            number(program->counters.value(QLatin1String("shown_ms")).toDouble(), 2), verdict(met)},
                           widths);
            }
        }
    }

    std::printf("\nWhere the time of a search goes, layer by layer on the largest table (ms, and times the\n"
                "engine): engine = the engine's library; odbc = the ODBC driver manager and driver alone\n"
                "(SQLExecDirect, SQLFetch into bound buffers, nothing kept); qtsql = a plain forward-only\n"
                "QSqlQuery over Qt's ODBC driver reading the values; program = as above\n");
    const QList<int> layer_widths = {10, 22, 7, 8, 15, 15, 15};
    print_line({QStringLiteral("database"), QStringLiteral("search"), QStringLiteral("entries"),
                QStringLiteral("engine"), QStringLiteral("odbc"), QStringLiteral("qtsql"), QStringLiteral("program")},
               layer_widths);
    for (auto backend = sizes.constBegin(); backend != sizes.constEnd(); ++backend) {
        const int rows = backend.value().isEmpty() ? 0 : backend.value().last();
        for (const auto& [key, label] : search_cases) {
            const QString base = QStringLiteral("%1/%2/%3/").arg(backend.key()).arg(rows).arg(key);
            const std::optional<figure> eng = find(figures, base + QStringLiteral("engine"));
            if (!eng)
                continue;
            QStringList cells{backend.key(), label, QString::number(rows), number(eng->ms, 1)};
            for (const QString& layer : {QStringLiteral("odbc"), QStringLiteral("qtsql"), QStringLiteral("program")}) {
                const std::optional<figure> found = find(figures, base + layer);
                cells << (found ? QStringLiteral("%1 (%2x)").arg(number(found->ms, 1), number(found->ms / eng->ms, 2))
                                : QStringLiteral("-"));
            }
            print_line(cells, layer_widths);
        }
    }

    std::printf("\nLoad, save and numbering: the store's statements as the entry window runs them, against\n"
                "the engine's library. odbc = the same statements through the ODBC driver alone (a\n"
                "statement handle each, values bound, UTF-16 texts), times the engine; p/odbc = program /\n"
                "driver alone. Target: ratio <= 1.5, or where the driver alone is above 1.3 times the\n"
                "engine, p/odbc <= 1.15.\n");
    print_line({QStringLiteral("database"), QStringLiteral("case"), QStringLiteral("entries"),
                QStringLiteral("program ms"), QStringLiteral("engine ms"), QStringLiteral("ratio"),
                QStringLiteral("odbc ratio"), QStringLiteral("p/odbc"), QStringLiteral(""), QStringLiteral(""),
                QStringLiteral("target")},
               widths);
    for (auto backend = sizes.constBegin(); backend != sizes.constEnd(); ++backend) {
        for (const auto& [key, label] : entry_cases) {
            for (const int rows : backend.value()) {
                const QString base = QStringLiteral("%1/%2/%3/").arg(backend.key()).arg(rows).arg(key);
                const std::optional<figure> program = find(figures, base + QStringLiteral("program"));
                const std::optional<figure> eng = find(figures, base + QStringLiteral("engine"));
                if (!program || !eng)
                    continue;
                const double ratio = program->ms / eng->ms;
                const std::optional<figure> odbc = find(figures, base + QStringLiteral("odbc"));
                const bool met = ratio <= 1.5 || (odbc && odbc->ms / eng->ms > 1.3 && program->ms / odbc->ms <= 1.15);
                print_line({backend.key(), label, QString::number(rows), number(program->ms, 3), number(eng->ms, 3),
                            number(ratio, 2), odbc ? number(odbc->ms / eng->ms, 2) : QStringLiteral("-"),
                            odbc ? number(program->ms / odbc->ms, 2) : QStringLiteral("-"), QString(), QString(),
                            verdict(met)},
                           widths);
            }
        }
    }

    std::printf("\nPostgreSQL's search indexes: the program's searches with the indexes (program) and with the\n"
                "session's index scans off, as on a table without them (no index); the save of a changed\n"
                "entry with and without the indexes. Targets on the full table: \"All: word in no entry\"\n"
                "<= 5 ms, \"All: half word\" <= 1.2 x \"Question: half word\"; everywhere, with <= 1.1 x\n"
                "without; the save at most 0.5 ms slower with the indexes\n");
    const QList<int> index_widths = {10, 22, 7, 10, 10, 8, 8};
    print_line({QStringLiteral("database"), QStringLiteral("case"), QStringLiteral("entries"),
                QStringLiteral("program ms"), QStringLiteral("no index"), QStringLiteral("with/no"),
                QStringLiteral("target")},
               index_widths);
    const auto program_ms = [&](int rows, const QString& key, const QString& side) {
        return find(figures, QStringLiteral("postgresql/%1/%2/%3").arg(rows).arg(key, side));
    };
    for (const int rows : sizes.value(QStringLiteral("postgresql"))) {
        for (const auto& [key, label] : search_cases) {
            const std::optional<figure> with = program_ms(rows, key, QStringLiteral("program"));
            const std::optional<figure> without = program_ms(rows, key, QStringLiteral("program_noindex"));
            if (!with || !without)
                continue;
            bool met = with->ms <= 1.1 * without->ms;
            if (rows == 32767 && key == QLatin1String("search_all_none"))
                met = met && with->ms <= 5.0;
            if (rows == 32767 && key == QLatin1String("search_all_half")) {
                const std::optional<figure> question =
                    program_ms(rows, QStringLiteral("search_question_half"), QStringLiteral("program"));
                met = met && question && with->ms <= 1.2 * question->ms;
            }
            print_line({QStringLiteral("postgresql"), label, QString::number(rows), number(with->ms, 2),
                        number(without->ms, 2), number(with->ms / without->ms, 2), verdict(met)},
                       index_widths);
        }
        const std::optional<figure> saved = program_ms(rows, QStringLiteral("save_changed"), QStringLiteral("program"));
        const std::optional<figure> saved_plain =
            program_ms(rows, QStringLiteral("save_changed"), QStringLiteral("program_noindex"));
        if (saved && saved_plain)
            print_line({QStringLiteral("postgresql"), QStringLiteral("save a changed entry"), QString::number(rows),
                        number(saved->ms, 3), number(saved_plain->ms, 3), number(saved->ms / saved_plain->ms, 2),
                        verdict(saved->ms - saved_plain->ms <= 0.5)},
                       index_widths);
    }

    std::printf("\nA long answer (1, 2 and 4 MB of text): the entry's load, and the entry window's save of a\n"
                "changed answer (count, the row read again, update, commit). Target: each <= 200 ms\n");
    for (auto backend = sizes.constBegin(); backend != sizes.constEnd(); ++backend) {
        for (const int megabytes : {1, 2, 4}) {
            for (const char* step : {"load", "save"}) {
                const QString base =
                    QStringLiteral("long_answer_%1mb_%2/program").arg(megabytes).arg(QLatin1String(step));
                for (const int rows : backend.value()) {
                    const std::optional<figure> program =
                        find(figures, QStringLiteral("%1/%2/").arg(backend.key()).arg(rows) + base);
                    if (program)
                        print_line({backend.key(),
                                    QStringLiteral("%1 a %2 MB answer").arg(QLatin1String(step)).arg(megabytes),
                                    QString::number(rows), number(program->ms, 1), verdict(program->ms <= 200.0)},
                                   {10, 22, 7, 10, 8});
                }
            }
        }
    }

    std::printf("\nSave and delete with the history that triggers keep: the program and the engine on the table\n"
                "with the triggers, and both on the same table without them (plain). ratio = program /\n"
                "engine with the triggers (target: ratio <= 1.5); triggers = with / without, the cost of\n"
                "keeping every version, for the engine and for the program\n");
    const QList<int> history_widths = {10, 20, 7, 10, 9, 6, 9, 9, 9, 9, 8};
    print_line({QStringLiteral("database"), QStringLiteral("case"), QStringLiteral("entries"),
                QStringLiteral("program ms"), QStringLiteral("engine ms"), QStringLiteral("ratio"),
                QStringLiteral("plain pr."), QStringLiteral("plain en."), QStringLiteral("trig. en."),
                QStringLiteral("trig. pr."), QStringLiteral("target")},
               history_widths);
    for (auto backend = sizes.constBegin(); backend != sizes.constEnd(); ++backend) {
        for (const auto& [key, label] : history_cases) {
            for (const int rows : backend.value()) {
                const QString base = QStringLiteral("%1/%2/%3/").arg(backend.key()).arg(rows).arg(key);
                const std::optional<figure> program = find(figures, base + QStringLiteral("program"));
                const std::optional<figure> eng = find(figures, base + QStringLiteral("engine"));
                const std::optional<figure> plain_program = find(figures, base + QStringLiteral("program_plain"));
                const std::optional<figure> plain_engine = find(figures, base + QStringLiteral("engine_plain"));
                if (!program || !eng || !plain_program || !plain_engine)
                    continue;
                const double ratio = program->ms / eng->ms;
                print_line({backend.key(), label, QString::number(rows), number(program->ms, 3), number(eng->ms, 3),
                            number(ratio, 2), number(plain_program->ms, 3), number(plain_engine->ms, 3),
                            number(eng->ms / plain_engine->ms, 2), number(program->ms / plain_program->ms, 2),
                            verdict(ratio, 1.5)},
                           history_widths);
            }
        }
    }

    std::printf("\nThe word search (Find words): keystroke to the first rows in its list (first; the rest\n"
                "follow below them) and to every row (all), on the window's worker. Target: first <= 20 ms\n"
                "on 32,767 entries\n");
    const QList<int> word_widths = {10, 20, 7, 9, 9, 6, 8};
    print_line({QStringLiteral("database"), QStringLiteral("words"), QStringLiteral("entries"),
                QStringLiteral("first ms"), QStringLiteral("all ms"), QStringLiteral("rows"), QStringLiteral("target")},
               word_widths);
    for (auto backend = sizes.constBegin(); backend != sizes.constEnd(); ++backend) {
        for (const auto& [key, label] : word_cases) {
            for (const int rows : backend.value()) {
                const QString base = QStringLiteral("%1/%2/%3/").arg(backend.key()).arg(rows).arg(key);
                const std::optional<figure> all = find(figures, base + QStringLiteral("program"));
                const std::optional<figure> first = find(figures, base + QStringLiteral("first"));
                if (!all || !first)
                    continue;
                print_line({backend.key(), label, QString::number(rows), number(first->ms, 2), number(all->ms, 2),
                            QString::number(all->counters.value(QLatin1String("rows")).toInt()),
                            rows == 32767 ? verdict(first->ms <= 20.0) : QStringLiteral("-")},
                           word_widths);
            }
        }
    }

    const std::optional<figure> started = find(figures, QStringLiteral("startup/program"));
    const std::optional<figure> bare = find(figures, QStringLiteral("startup/bare"));
    const std::optional<figure> bare_text = find(figures, QStringLiteral("startup/bare_text"));
    const std::optional<figure> listed = find(figures, QStringLiteral("memory/program_listed"));
    if (started && bare) {
        std::printf("\nStart-up: process start to the window painted, offscreen, against a bare Qt window\n"
                    "with one line of text, which starts the font system as every real window does (target:\n"
                    "ratio <= 1.3)\n");
        std::printf("program %.1f ms, bare Qt window %.1f ms", started->ms, bare->ms);
        if (bare_text) {
            const double ratio = started->ms / bare_text->ms;
            std::printf(", bare window with one line of text %.1f ms, ratio %.2f  %s\n", bare_text->ms, ratio,
                        qPrintable(verdict(ratio, 1.3)));
        } else {
            std::printf("\n");
        }
        if (const std::optional<figure> stages = find(figures, QStringLiteral("startup/stages"))) {
            const auto at = [&](const char* name) { return stages->counters.value(QLatin1String(name)).toDouble(); };
            std::printf("where the program's start goes, from the start of main (mean): Qt application %.1f ms, "
                        "connect %.1f ms, search window built and shown %.1f ms, first paint %.1f ms; the rest "
                        "(%.1f ms) is starting the process and loading its libraries\n",
                        at("application_ms"), at("connected_ms") - at("application_ms"),
                        at("window_ms") - at("connected_ms"), at("painted_ms") - at("window_ms"),
                        stages->ms - at("painted_ms"));
        }
    }
    if (listed && bare) {
        const double program_mb = listed->counters.value(QLatin1String("peak_rss_kb")).toDouble() / 1024.0;
        const double bare_mb = bare->counters.value(QLatin1String("peak_rss_kb")).toDouble() / 1024.0;
        const double started_mb =
            started ? started->counters.value(QLatin1String("peak_rss_kb")).toDouble() / 1024.0 : 0.0;
        std::printf("\nPeak memory (resident), the program with all %d rows listed (target: at most 25 MB above\n"
                    "the bare window)\n",
                    32767);
        std::printf("program listed %.1f MB (started, nothing listed: %.1f MB; list shown after %.0f ms), "
                    "bare Qt window %.1f MB, difference %.1f MB  %s\n",
                    program_mb, started_mb, listed->ms, bare_mb, program_mb - bare_mb,
                    program_mb - bare_mb <= 25.0 ? "met" : "NOT MET");
    }
    return 0;
}
