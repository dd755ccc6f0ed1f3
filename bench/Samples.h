// Timing of single samples: each iteration is timed on its own, and the median and the 99th
// percentile of those samples are reported as counters beside Google Benchmark's mean, so that
// a slow keystroke now and then shows instead of vanishing in the average.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace zelm::bench {

/// Collects the duration of every timed call; register the benchmark with UseManualTime().
class Samples {
public:
    explicit Samples(benchmark::State& state) : state_(state) {
        durations_.reserve(std::size_t(state.max_iterations));
    }
    Samples(const Samples&) = delete;
    Samples& operator=(const Samples&) = delete;
    ~Samples() { Report(); }

    /// Runs `work` once and records how long it took.
    template <class Work> void Time(Work&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        durations_.push_back(took.count());
        state_.SetIterationTime(took.count());
    }

private:
    /// The sample at fraction `q` of the sorted samples (nearest rank).
    double Quantile(double q) const {
        const std::size_t rank = std::size_t(q * double(durations_.size() - 1) + 0.5);
        return durations_[rank];
    }

    void Report() {
        if (durations_.empty()) return;
        std::sort(durations_.begin(), durations_.end());
        state_.counters["p50_us"] = Quantile(0.50) * 1e6;
        state_.counters["p99_us"] = Quantile(0.99) * 1e6;
        state_.counters["samples"] = double(durations_.size());
    }

    benchmark::State& state_;
    std::vector<double> durations_;
};

/// Single samples per benchmark: at least 2,000, so that the 99th percentile rests on 20 of them.
constexpr int SampleCount = 5000;

} // namespace zelm::bench
