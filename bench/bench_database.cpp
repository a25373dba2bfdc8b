// The program against the database engine, case by case, on one database and one table size:
//   bench_database --backend=sqlite|postgresql [--rows=N] [--cases=all|search] [benchmark flags]
// Each case runs twice in the same process: "program" through the program's own code path (the
// search window offscreen, the store's statements), "engine" through the engine's own C library
// with the same statement text, reading the same columns. The searches also run through the
// layers in between ("odbc", and with --cases=all "qtsql"; see layers.h). A save that changes the
// entry and a delete run with the triggers that keep the history (sides "program", "engine") and
// on the same table without them ("program_plain", "engine_plain"); every other case runs with
// them, as the shipped schemas set a database up. On PostgreSQL every search also runs with the
// session's index scans switched off ("program_noindex": the plan of a table without the search
// indexes), and the save of a changed entry on the table without them.
// Names: backend/rows/case/side.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_source.h"
#include "dw_pretraga.h"
#include "dynamic_cursor.h"
#include "engine.h"
#include "extremes.h"
#include "faq_data.h"
#include "layers.h"
#include "odbc_statement.h"
#include "paint_counter.h"
#include "platform.h"
#include "search_statement.h"
#include "statements.h"
#include "tarvo.h"
#include "uo_srch1.h"
#include "w_search.h"
#include "w_words.h"
#include "words_list.h"
#include "words_worker.h"

namespace {

struct options {
    bench::backend backend = bench::backend::sqlite;
    int rows = faq_data::full_table;
    bool all_cases = true;
    bool long_answers = false; // only the load and save of long answers
};

// Takes our own options out of argv, leaving Google Benchmark's and Qt's.
options parse_options(int& argc, char** argv)
{
    options parsed;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--backend=", 0) == 0)
            parsed.backend = bench::backend_from_name(arg.substr(10));
        else if (arg.rfind("--rows=", 0) == 0)
            parsed.rows = std::stoi(arg.substr(7));
        else if (arg == "--cases=search")
            parsed.all_cases = false;
        else if (arg == "--cases=all")
            parsed.all_cases = true;
        else if (arg == "--cases=long")
            parsed.long_answers = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return parsed;
}

struct search_case {
    const char* name;
    search::criteria criteria;
    int expected_rows;
};

class cases {
public:
    cases(const options& chosen, tarvo& application, engine& yardstick, std::string history, std::string index)
        : opts(chosen), app(application), eng(yardstick), history_sql(std::move(history)), index_sql(std::move(index)),
          window(*application.w_search), painted(window.dw_search->viewport())
    {
    }

    void register_all()
    {
        const QString half = QString::fromLatin1(faq_data::half_word);
        const QString none = QString::fromLatin1(faq_data::none_word);
        const int half_rows = faq_data::half_word_count(opts.rows);
        const std::vector<search_case> searches = {
            {"search_question_half",
             {half, QStringLiteral("Question"), {}, QStringLiteral("All"), QStringLiteral("AND")},
             half_rows},
            {"search_all_half",
             {half, QStringLiteral("All"), {}, QStringLiteral("All"), QStringLiteral("AND")},
             half_rows},
            {"search_all_none", {none, QStringLiteral("All"), {}, QStringLiteral("All"), QStringLiteral("AND")}, 0},
            {"search_every_row",
             {{}, QStringLiteral("Question"), {}, QStringLiteral("All"), QStringLiteral("AND")},
             opts.rows},
            // Too short for a trigram: no index can narrow them.
            {"search_all_one_letter", short_search(QStringLiteral("x")), -1},
            {"search_all_two_letters", short_search(QStringLiteral("xq")), -1},
        };
        if (opts.long_answers) {
            for (const int megabytes : {1, 2, 4}) {
                const std::string name = "long_answer_" + std::to_string(megabytes) + "mb";
                add((name + "_load").c_str(), "program",
                    [this, megabytes](benchmark::State& state) { program_load_long(state, megabytes); });
                add((name + "_save").c_str(), "program",
                    [this, megabytes](benchmark::State& state) { program_save_long(state, megabytes); });
            }
            return;
        }
        // The layers in between, for the table that says where the time goes: the ODBC driver
        // at every size, Qt SQL's driver on the full table.
        odbc = make_odbc_layer();
        for (const search_case& one : searches) {
            add(
                one.name, "program", [this, one](benchmark::State& state) { program_search(state, one); }, true);
            add(one.name, "engine", [this, one](benchmark::State& state) { engine_search(state, one); });
            add(one.name, "odbc", [this, one](benchmark::State& state) { layer_search(state, *odbc, one); });
            if (!index_sql.empty())
                add(
                    one.name, "program_noindex",
                    [this, one](benchmark::State& state) {
                        session_index_scans(false);
                        program_search(state, one);
                        session_index_scans(true);
                    },
                    true);
        }
        // The word search: from the typed text to the ranked rows in its list.
        const std::pair<const char*, QString> word_cases[] = {
            {"words_one", QStringLiteral("pump")},
            {"words_two", QStringLiteral("pump noise")},
            {"words_three", QStringLiteral("pump noise drift")},
            {"words_none", none},
            {"words_prefix_two_letters", QStringLiteral("pu")},
        };
        for (const auto& [name, typed] : word_cases) {
            const QString text = typed;
            add(name, "program", [this, text](benchmark::State& state) { program_words(state, text, false); });
            add(name, "first", [this, text](benchmark::State& state) { program_words(state, text, true); });
        }
        if (!opts.all_cases)
            return;
        qtsql = make_qtsql_layer();
        for (const search_case& one : searches)
            add(one.name, "qtsql", [this, one](benchmark::State& state) { layer_search(state, *qtsql, one); });
        odbc_entries = make_odbc_entry_layer();
        add("load_entry", "program", [this](benchmark::State& state) { program_load(state); });
        add("load_entry", "engine", [this](benchmark::State& state) { engine_load(state); });
        add("load_entry", "odbc", [this](benchmark::State& state) { odbc_load(state); });
        add("save_entry", "program", [this](benchmark::State& state) { program_save(state); });
        add("save_entry", "engine", [this](benchmark::State& state) { engine_save(state); });
        add("save_entry", "odbc", [this](benchmark::State& state) { odbc_save(state); });
        add("number_entry", "program", [this](benchmark::State& state) { program_number(state); });
        add("number_entry", "engine", [this](benchmark::State& state) { engine_number(state); });
        add("number_entry", "odbc", [this](benchmark::State& state) { odbc_number(state); });
        for (const bool kept : {true, false}) {
            const char* program_side = kept ? "program" : "program_plain";
            const char* engine_side = kept ? "engine" : "engine_plain";
            add("save_changed", program_side,
                [this, kept](benchmark::State& state) { program_save_changed(state, kept); });
            add("save_changed", engine_side,
                [this, kept](benchmark::State& state) { engine_save_changed(state, kept); });
            add(
                "delete_entry", program_side, [this, kept](benchmark::State& state) { program_delete(state, kept); },
                true);
            add(
                "delete_entry", engine_side, [this, kept](benchmark::State& state) { engine_delete(state, kept); },
                true);
        }
        if (!index_sql.empty()) {
            // The write cost of the search indexes: the same save on the table without them.
            add("save_changed", "program_noindex",
                [this](benchmark::State& state) { program_save_changed(state, true, false); });
            add("save_changed", "engine_noindex",
                [this](benchmark::State& state) { engine_save_changed(state, true, false); });
        }
    }

private:
    void add(const char* name, const char* side, std::function<void(benchmark::State&)> body, bool manual_time = false)
    {
        const std::string full =
            std::string(bench::backend_name(opts.backend)) + "/" + std::to_string(opts.rows) + "/" + name + "/" + side;
        benchmark::internal::Benchmark* registered =
            benchmark::RegisterBenchmark(full.c_str(), [body](benchmark::State& state) { body(state); });
        with_extremes(registered)->Unit(benchmark::kMillisecond);
        if (manual_time)
            registered->UseManualTime();
        else
            registered->UseRealTime();
    }

    // A search through "All" for a text too short for the index; its rows as the engine lists them.
    search::criteria short_search(const QString& text)
    {
        return {text, QStringLiteral("All"), {}, QStringLiteral("All"), QStringLiteral("AND")};
    }

    // The search indexes on faq, or none (PostgreSQL); built again only when a case needs them.
    void search_indexes(bool on)
    {
        if (indexes_on == on || index_sql.empty())
            return;
        if (on)
            eng.exec(index_sql);
        else
            eng.exec("DROP INDEX IF EXISTS faq_adresa_search, faq_pitanje_search, faq_proizvod_search, "
                     "faq_lot_search, faq_odgovor_search");
        eng.exec("ANALYZE faq");
        indexes_on = on;
    }

    // The planner's index scans in the program's own session: off, it plans as on a table
    // without the search indexes.
    void session_index_scans(bool on)
    {
        search_indexes(true);
        const QString value = on ? QStringLiteral("on") : QStringLiteral("off");
        app.sqlca->run_read([&](odbc_connection& connection) {
            for (const QString& setting : {QStringLiteral("enable_indexscan"), QStringLiteral("enable_bitmapscan")}) {
                odbc_statement set(connection);
                set.execute(QStringLiteral("SET %1 = %2").arg(setting, value));
            }
            app.sqlca->report_success();
        });
    }

    // The number of a stored entry in the middle of the table.
    std::int16_t middle_entry() const { return static_cast<std::int16_t>((opts.rows + 1) / 2); }

    // The triggers that keep the history on faq, or none; set before a case that writes.
    void keep_history(bool on)
    {
        if (triggers_on == on)
            return;
        if (on)
            eng.exec(history_sql);
        else
            eng.drop_history_triggers();
        triggers_on = on;
    }

    // The entry's texts, with its answer in one of two forms: each save changes the entry.
    static statements::entry_texts texts_of(const faq_data::entry& made, bool revised)
    {
        return {QString::fromStdString(made.adresa), QString::fromStdString(made.pitanje),
                QString::fromStdString(made.proizvod), QString::fromStdString(made.lot),
                QString::fromStdString(revised ? made.odgovor + " (revised)" : made.odgovor)};
    }

    // Click on "Search" with the criteria set, until the rows are painted in the list.
    void program_search(benchmark::State& state, const search_case& one)
    {
        search_indexes(true);
        window.uo_prvi->sle_trazi->setText(one.criteria.text1);
        window.uo_prvi->ddlb_polje->setCurrentText(one.criteria.field1);
        window.uo_drugi->sle_trazi->setText(one.criteria.text2);
        window.uo_drugi->ddlb_polje->setCurrentText(one.criteria.field2);
        window.uo_prvi->ddlb_veza->setCurrentText(one.criteria.connector);
        // The figure is the click until the model is filled and the view told (the handler
        // returns); until the rows are painted is kept beside it (shown_ms), as the paint waits
        // for the window system's next frame.
        double shown_ms = 0;
        for (auto _ : state) {
            const int before = painted.count();
            const auto clicked = std::chrono::steady_clock::now();
            window.cb_search_clicked();
            const auto filled = std::chrono::steady_clock::now();
            if (!painted.wait_for_paint_after(before)) {
                state.SkipWithError("the list was not painted");
                break;
            }
            const auto shown = std::chrono::steady_clock::now();
            state.SetIterationTime(std::chrono::duration<double>(filled - clicked).count());
            shown_ms += std::chrono::duration<double, std::milli>(shown - clicked).count();
        }
        state.counters["shown_ms"] = benchmark::Counter(shown_ms, benchmark::Counter::kAvgIterations);
        const QString expected_statement = search::compose(one.criteria);
        if (window.pretraga->sql_select() != expected_statement)
            state.SkipWithError(
                ("the window ran another statement: " + window.pretraga->sql_select().toStdString()).c_str());
        check_rows(state, window.pretraga->rowCount(), one.expected_rows);
    }

    // Keystroke to every row in the model, or (first_rows) to the first rows the list shows
    // while the search goes on: the search runs on the window's worker, its rows arrive as events.
    void program_words(benchmark::State& state, const QString& typed, bool first_rows)
    {
        const auto arrived_enough = [&] { return words.up_to_date() || (first_rows && words.found->rowCount() > 0); };
        QEventLoop arrived;
        QObject::connect(words.worker, &words_worker::found, &arrived, [&] {
            if (arrived_enough())
                arrived.quit();
        });
        for (auto _ : state) {
            words.sle_words->clear();
            words.sle_words->setText(typed); // each change of the text lists
            if (!arrived_enough())
                arrived.exec();
            // The rest of the search ends outside the time, before the next keystroke.
            state.PauseTiming();
            while (!words.up_to_date())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            state.ResumeTiming();
        }
        if (words.st_found->text().startsWith(QStringLiteral("Search failed")))
            state.SkipWithError(words.st_found->text().toStdString().c_str());
        state.counters["rows"] = words.found->rowCount();
    }

    void engine_search(benchmark::State& state, const search_case& one)
    {
        search_indexes(true);
        const std::string select = search::compose(one.criteria).toStdString();
        std::size_t listed = 0;
        for (auto _ : state) {
            std::vector<engine_row> rows;
            eng.read_list(select, rows);
            listed = rows.size();
            benchmark::DoNotOptimize(rows.data());
        }
        check_rows(state, static_cast<int>(listed), one.expected_rows);
    }

    void layer_search(benchmark::State& state, list_layer& layer, const search_case& one)
    {
        search_indexes(true);
        const QString select = search::compose(one.criteria);
        std::size_t listed = 0;
        for (auto _ : state) {
            std::vector<layer_row> rows;
            if (!layer.read_list(select, rows)) {
                state.SkipWithError(layer.error.toStdString().c_str());
                break;
            }
            listed = rows.size();
            benchmark::DoNotOptimize(rows.data());
        }
        check_rows(state, static_cast<int>(listed), one.expected_rows);
    }

    void check_rows(benchmark::State& state, int listed, int expected)
    {
        state.counters["rows"] = listed;
        if (expected >= 0 && listed != expected)
            state.SkipWithError(
                ("listed " + std::to_string(listed) + " rows, expected " + std::to_string(expected)).c_str());
    }

    // The entry window's load: the cursor over the composed statement, fetched to its end.
    void program_load(benchmark::State& state)
    {
        transaction& sqlca = *app.sqlca;
        statements::entry_texts row;
        for (auto _ : state) {
            dynamic_cursor dyn_cursor(sqlca, *app.sqlsa);
            dyn_cursor.prepare(statements::load_statement(middle_entry()));
            dyn_cursor.open();
            while (sqlca.SQLCode == 0)
                dyn_cursor.fetch(row);
            dyn_cursor.close();
        }
        if (sqlca.SQLCode != transaction::not_found || row.odgovor.isEmpty())
            state.SkipWithError(("load failed: " + sqlca.SQLErrText.toStdString()).c_str());
    }

    // The middle entry with an answer of that many megabytes (UTF-8, a few letters beyond ASCII).
    statements::entry_texts long_form(int megabytes, bool revised) const
    {
        statements::entry_texts texts = texts_of(faq_data::make_entry(middle_entry()), revised);
        const QString line = QStringLiteral("Überprüfen Sie die Dichtung der Pumpe, bevor Sie den Druck erhöhen. ");
        texts.odgovor.clear();
        while (texts.odgovor.toUtf8().size() < megabytes * 1024 * 1024)
            texts.odgovor += line.repeated(1024);
        texts.odgovor += revised ? QStringLiteral("(revised)") : QString();
        return texts;
    }

    void store_long(const statements::entry_texts& texts)
    {
        statements::update_entry(*app.sqlca, texts, middle_entry());
        app.sqlca->commit();
    }

    void program_load_long(benchmark::State& state, int megabytes)
    {
        const statements::entry_texts stored = long_form(megabytes, false);
        store_long(stored);
        program_load(state);
        state.counters["answer_mb"] = megabytes;
    }

    // The entry window's Save of a changed long answer: count, the row read again, update, commit.
    void program_save_long(benchmark::State& state, int megabytes)
    {
        keep_history(true);
        transaction& sqlca = *app.sqlca;
        const statements::entry_texts forms[] = {long_form(megabytes, true), long_form(megabytes, false)};
        store_long(forms[1]);
        std::size_t saves = 0;
        for (auto _ : state) {
            std::int16_t ima = 0;
            statements::select_count(sqlca, middle_entry(), ima);
            std::optional<statements::entry_texts> now;
            statements::select_stored_entry(sqlca, middle_entry(), now);
            if (!now || !statements::same_texts(*now, forms[(saves + 1) % 2])) {
                state.SkipWithError(
                    ("the stored answer is not the one saved: " + sqlca.SQLErrText.toStdString()).c_str());
                break;
            }
            statements::update_entry(sqlca, forms[saves++ % 2], middle_entry());
            sqlca.commit();
            if (ima != 1 || sqlca.SQLCode != 0) {
                state.SkipWithError(("save failed: " + sqlca.SQLErrText.toStdString()).c_str());
                break;
            }
        }
        state.counters["answer_mb"] = megabytes;
    }

    void engine_load(benchmark::State& state)
    {
        const std::string select = statements::load_statement(middle_entry()).toStdString();
        engine_entry entry;
        for (auto _ : state)
            eng.load(select, entry);
        if (entry.odgovor.empty())
            state.SkipWithError("load found no entry");
    }

    // Save of an entry opened from the list: count, update, commit. The entry is written with
    // its own texts, so the table stays as generated.
    void program_save(benchmark::State& state)
    {
        keep_history(true);
        search_indexes(true);
        transaction& sqlca = *app.sqlca;
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        const statements::entry_texts texts{QString::fromStdString(made.adresa), QString::fromStdString(made.pitanje),
                                            QString::fromStdString(made.proizvod), QString::fromStdString(made.lot),
                                            QString::fromStdString(made.odgovor)};
        for (auto _ : state) {
            std::int16_t ima = 0;
            statements::select_count(sqlca, middle_entry(), ima);
            if (ima <= 0) {
                state.SkipWithError("the entry to save is not stored");
                break;
            }
            statements::update_entry(sqlca, texts, middle_entry());
            if (sqlca.SQLCode != 0) {
                state.SkipWithError(("update failed: " + sqlca.SQLErrText.toStdString()).c_str());
                break;
            }
            sqlca.commit();
        }
    }

    void engine_save(benchmark::State& state)
    {
        keep_history(true);
        search_indexes(true);
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        const engine_entry entry{made.adresa, made.pitanje, made.proizvod, made.lot, made.odgovor};
        for (auto _ : state)
            eng.save(middle_entry(), entry);
    }

    // Save of an entry opened from the list whose answer was changed: count, update, commit, the
    // answer changing between two forms, so that every save makes a version.
    void program_save_changed(benchmark::State& state, bool kept, bool indexed = true)
    {
        keep_history(kept);
        search_indexes(indexed);
        transaction& sqlca = *app.sqlca;
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        const statements::entry_texts forms[] = {texts_of(made, true), texts_of(made, false)};
        std::size_t saves = 0;
        for (auto _ : state) {
            std::int16_t ima = 0;
            statements::select_count(sqlca, middle_entry(), ima);
            statements::update_entry(sqlca, forms[saves++ % 2], middle_entry());
            if (ima <= 0 || sqlca.SQLCode != 0) {
                state.SkipWithError(("save failed: " + sqlca.SQLErrText.toStdString()).c_str());
                break;
            }
            sqlca.commit();
        }
        // The table as generated again.
        statements::update_entry(sqlca, forms[1], middle_entry());
        sqlca.commit();
    }

    void engine_save_changed(benchmark::State& state, bool kept, bool indexed = true)
    {
        keep_history(kept);
        search_indexes(indexed);
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        const engine_entry forms[] = {{made.adresa, made.pitanje, made.proizvod, made.lot, made.odgovor + " (revised)"},
                                      {made.adresa, made.pitanje, made.proizvod, made.lot, made.odgovor}};
        std::size_t saves = 0;
        for (auto _ : state)
            eng.save(middle_entry(), forms[saves++ % 2]);
        eng.save(middle_entry(), forms[1]);
    }

    // The search window's delete of one entry: the statement, then commit. The entry is stored
    // again after each, outside the time.
    void program_delete(benchmark::State& state, bool kept)
    {
        keep_history(kept);
        search_indexes(true);
        transaction& sqlca = *app.sqlca;
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        for (auto _ : state) {
            const auto started = std::chrono::steady_clock::now();
            statements::delete_entry(sqlca, middle_entry());
            if (sqlca.SQLCode == 0)
                sqlca.commit();
            const auto done = std::chrono::steady_clock::now();
            if (sqlca.SQLCode != 0) {
                state.SkipWithError(("delete failed: " + sqlca.SQLErrText.toStdString()).c_str());
                break;
            }
            state.SetIterationTime(std::chrono::duration<double>(done - started).count());
            eng.insert_entry(made);
        }
    }

    void engine_delete(benchmark::State& state, bool kept)
    {
        keep_history(kept);
        search_indexes(true);
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        for (auto _ : state) {
            const auto started = std::chrono::steady_clock::now();
            eng.delete_entry(middle_entry());
            const auto done = std::chrono::steady_clock::now();
            state.SetIterationTime(std::chrono::duration<double>(done - started).count());
            eng.insert_entry(made);
        }
    }

    void program_number(benchmark::State& state)
    {
        std::optional<int> broj = 0;
        for (auto _ : state)
            statements::select_max_rbr(*app.sqlca, broj);
        if (app.sqlca->SQLCode != 0 || broj != opts.rows)
            state.SkipWithError(("numbering failed: " + app.sqlca->SQLErrText.toStdString()).c_str());
    }

    void odbc_load(benchmark::State& state)
    {
        const QString select = statements::load_statement(middle_entry());
        layer_entry entry;
        for (auto _ : state) {
            if (!odbc_entries->load(select, entry)) {
                state.SkipWithError(odbc_entries->error.toStdString().c_str());
                break;
            }
        }
        if (entry.odgovor.isEmpty())
            state.SkipWithError("load found no entry");
    }

    void odbc_save(benchmark::State& state)
    {
        keep_history(true);
        search_indexes(true);
        const faq_data::entry made = faq_data::make_entry(middle_entry());
        const layer_entry entry{QString::fromStdString(made.adresa), QString::fromStdString(made.pitanje),
                                QString::fromStdString(made.proizvod), QString::fromStdString(made.lot),
                                QString::fromStdString(made.odgovor)};
        for (auto _ : state) {
            if (!odbc_entries->save(middle_entry(), entry)) {
                state.SkipWithError(odbc_entries->error.toStdString().c_str());
                break;
            }
        }
    }

    void odbc_number(benchmark::State& state)
    {
        std::optional<int> largest;
        for (auto _ : state) {
            if (!odbc_entries->number(largest)) {
                state.SkipWithError(odbc_entries->error.toStdString().c_str());
                break;
            }
        }
        if (largest != opts.rows)
            state.SkipWithError("numbering found another maximum");
    }

    void engine_number(benchmark::State& state)
    {
        std::optional<int> broj;
        for (auto _ : state)
            broj = eng.max_rbr();
        if (broj != opts.rows)
            state.SkipWithError("numbering found another maximum");
    }

    const options opts;
    tarvo& app;
    engine& eng;
    const std::string history_sql;
    const std::string index_sql;
    bool triggers_on = true; // as the table was filled
    bool indexes_on = true;
    w_search& window;
    w_words words{app};
    paint_counter painted;
    std::unique_ptr<list_layer> odbc;
    std::unique_ptr<list_layer> qtsql;
    std::unique_ptr<entry_layer> odbc_entries;
};

// The SQLite yardstick commits as durably as the ODBC driver does.
void match_sqlite_durability(tarvo& app, engine& eng)
{
    QString synchronous;
    app.sqlca->run_read([&](odbc_connection& connection) {
        odbc_statement query(connection);
        if (query.execute(QStringLiteral("PRAGMA synchronous")) && query.fetch() == odbc_statement::fetched::row)
            query.text(1, synchronous);
        app.sqlca->report_success();
    });
    if (!synchronous.isEmpty())
        eng.exec("PRAGMA synchronous=" + synchronous.toStdString());
    std::fprintf(stderr, "bench: SQLite synchronous=%s on both connections\n", qPrintable(synchronous));
}

} // namespace

int main(int argc, char** argv)
{
    const options opts = parse_options(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    // A message box would block the run; a failure is reported by the case instead.
    platform::set_message_box_handler([](const QString& title, const QString& text, const QString&) {
        std::fprintf(stderr, "bench: message box [%s] %s\n", qPrintable(title), qPrintable(text));
    });

    bench::data_source source(opts.backend);
    const std::unique_ptr<engine> eng = source.make_engine();
    std::fprintf(stderr, "bench: filling faq on %s with %d entries\n", bench::backend_name(opts.backend), opts.rows);
    eng->fill(source.schema_sql(), source.history_sql(), opts.rows);
    eng->exec(source.words_sql());
    // The words as autovacuum leaves them in a database in use: every page known visible, so that
    // the word search reads the index alone.
    if (opts.backend == bench::backend::postgresql)
        eng->exec("VACUUM ANALYZE faq_word_places");

    if (!source.search_index_sql().empty()) {
        const auto started = std::chrono::steady_clock::now();
        eng->exec(source.search_index_sql());
        eng->exec("ANALYZE faq");
        std::fprintf(stderr, "bench: search indexes built on %d entries in %.1f s\n", opts.rows,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }

    tarvo app;
    app.create();
    app.open(QString());
    if (!app.sqlca->connected()) {
        std::fprintf(stderr, "bench: the program could not connect: %s\n", qPrintable(app.sqlca->SQLErrText));
        return 1;
    }
    if (opts.backend == bench::backend::sqlite)
        match_sqlite_durability(app, *eng);
    QCoreApplication::processEvents();

    cases all(opts, app, *eng, source.history_sql(), source.search_index_sql());
    all.register_all();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
