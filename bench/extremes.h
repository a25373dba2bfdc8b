#pragma once
// The fastest and the slowest repetition of a case, beside Google Benchmark's mean and median.
// On a machine that also does other work, noise only ever adds time: the fastest repetition is
// the steadiest estimate of what a case costs, and the table uses it (the slowest gives the
// peak of a counter such as peak_rss_kb).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

inline benchmark::internal::Benchmark* with_extremes(benchmark::internal::Benchmark* registered)
{
    return registered
        ->ComputeStatistics("min",
                            [](const std::vector<double>& values) {
                                return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
                            })
        ->ComputeStatistics("max", [](const std::vector<double>& values) {
            return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
        });
}
