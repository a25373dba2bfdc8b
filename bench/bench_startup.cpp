// Start-up and peak memory, process by process:
//   startup/program        process start to the search window painted (tarvo_probe shown)
//   startup/bare           process start to an empty window painted (bare_probe)
//   startup/bare_text      the same window with one line of text (the font system's start)
//   memory/program_listed  the program with every entry of a full table listed (tarvo_probe listed)
//   startup/stages         where the program's start goes: counters application_ms, connected_ms,
//                          window_ms, painted_ms, from the start of main (tarvo_probe stages)
// The time runs from just before the process is spawned to the moment its report arrives on the
// pipe; the peak resident memory (counter peak_rss_kb) comes from wait4 when it has ended. Both
// programs run offscreen on the private data source "FAQ", an embedded database of 32,767 entries.

#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_source.h"
#include "extremes.h"
#include "faq_data.h"

extern char** environ;

namespace {

struct launch {
    double seconds = 0;
    long peak_rss_kb = 0;
    std::string report;
};

// Spawns the program, reads its one-line report, waits for its end.
launch run_once(const char* program, const char* mode)
{
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
    char* args[] = {const_cast<char*>(program), const_cast<char*>(mode), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    if (spawned != 0) {
        close(pipe_ends[0]);
        throw std::runtime_error(std::string("cannot start ") + program);
    }
    launch result;
    char c = 0;
    while (read(pipe_ends[0], &c, 1) == 1 && c != '\n')
        result.report += c;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(pipe_ends[0]);

    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.peak_rss_kb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        result.report = "failed: " + result.report;
    return result;
}

void run_program(benchmark::State& state, const char* program, const char* mode, const std::string& expected)
{
    run_once(program, mode); // warm: the first start also fills the file system cache
    long peak = 0;
    for (auto _ : state) {
        const launch one = run_once(program, mode);
        if (one.report != expected) {
            state.SkipWithError(("reported '" + one.report + "', expected '" + expected + "'").c_str());
            break;
        }
        state.SetIterationTime(one.seconds);
        peak = std::max(peak, one.peak_rss_kb);
    }
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
}

// The program's start step by step: the mean of each step over the runs.
void run_stages(benchmark::State& state)
{
    run_once(TARVO_PROBE, "stages");
    const char* names[] = {"application", "connected", "window", "painted"};
    double sums[4] = {};
    for (auto _ : state) {
        const launch one = run_once(TARVO_PROBE, "stages");
        double values[4] = {};
        if (std::sscanf(one.report.c_str(), "stages application=%lf connected=%lf window=%lf painted=%lf", &values[0],
                        &values[1], &values[2], &values[3])
            != 4) {
            state.SkipWithError(("reported '" + one.report + "'").c_str());
            break;
        }
        state.SetIterationTime(one.seconds);
        for (int i = 0; i < 4; ++i)
            sums[i] += values[i];
    }
    for (int i = 0; i < 4; ++i)
        state.counters[std::string(names[i]) + "_ms"] = benchmark::Counter(sums[i], benchmark::Counter::kAvgIterations);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication qt(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::data_source source(bench::backend::sqlite);
    std::fprintf(stderr, "bench: filling faq on sqlite with %d entries\n", faq_data::full_table);
    source.make_engine()->fill(source.schema_sql(), source.history_sql(), faq_data::full_table);

    const std::string listed = "listed " + std::to_string(faq_data::full_table);
    with_extremes(
        benchmark::RegisterBenchmark(
            "startup/program", [](benchmark::State& state) { run_program(state, TARVO_PROBE, "shown", "shown"); }))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    with_extremes(
        benchmark::RegisterBenchmark("startup/bare",
                                     [](benchmark::State& state) { run_program(state, BARE_PROBE, "shown", "shown"); }))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    with_extremes(
        benchmark::RegisterBenchmark("startup/bare_text",
                                     [](benchmark::State& state) { run_program(state, BARE_PROBE, "text", "shown"); }))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    with_extremes(benchmark::RegisterBenchmark(
                      "memory/program_listed",
                      [listed](benchmark::State& state) { run_program(state, TARVO_PROBE, "listed", listed); }))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    with_extremes(benchmark::RegisterBenchmark("startup/stages", run_stages))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);

    signal(SIGPIPE, SIG_IGN);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
