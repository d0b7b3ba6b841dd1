// A stand-in for the part of Google Benchmark that conversion_bench.cpp uses,
// for the builds that have no Google Benchmark (the 32-bit Windows build run
// under Wine): registration, the timed loop, the optimisation barriers, the
// flags that scripts/bench passes, and the JSON report that
// scripts/bench_table.py reads. Each benchmark's iteration count is grown
// until one run takes the minimum time; the repetitions then run that count,
// and the report gives their median wall-clock time per iteration.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace benchmark {

template <typename T>
inline void DoNotOptimize(T const& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}

inline void ClobberMemory() { asm volatile("" : : : "memory"); }

class State {
  public:
    explicit State(std::int64_t iterations) : iterations_(iterations) {}

    struct [[maybe_unused]] Value {};
    class Iterator {
      public:
        Iterator(State* state, std::int64_t left) : state_(state), left_(left) {}
        Value operator*() const { return Value{}; }
        Iterator& operator++() {
            --left_;
            return *this;
        }
        bool operator!=(const Iterator&) {
            if (left_ != 0) return true;
            state_->stop_ = std::chrono::steady_clock::now();
            return false;
        }

      private:
        State* state_;
        std::int64_t left_;
    };

    Iterator begin() {
        start_ = std::chrono::steady_clock::now();
        return Iterator(this, iterations_);
    }
    Iterator end() { return Iterator(this, 0); }

    std::int64_t iterations() const { return iterations_; }
    void SetItemsProcessed(std::int64_t) {}
    double Seconds() const { return std::chrono::duration<double>(stop_ - start_).count(); }

  private:
    std::int64_t iterations_;
    std::chrono::steady_clock::time_point start_, stop_;
};

namespace stand_in {

struct Options {
    bool json = false;
    double minTime = 0.5;
    int repetitions = 1;
    std::string filter = ".";
};

inline Options& TheOptions() {
    static Options options;
    return options;
}

struct Registered {
    std::string name;
    std::function<void(State&)> run;
};

inline std::vector<Registered>& Benchmarks() {
    static std::vector<Registered> benchmarks;
    return benchmarks;
}

// One run of `iterations`, in seconds.
inline double Run(const Registered& b, std::int64_t iterations) {
    State state(iterations);
    b.run(state);
    return state.Seconds();
}

}  // namespace stand_in

template <typename Function>
inline void RegisterBenchmark(const char* name, Function function) {
    stand_in::Benchmarks().push_back(stand_in::Registered{name, std::move(function)});
}

inline void Initialize(int* argc, char** argv) {
    stand_in::Options& options = stand_in::TheOptions();
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](const char* flag) -> const char* {
            const std::size_t length = std::strlen(flag);
            return arg.compare(0, length, flag) == 0 ? argv[i] + length : nullptr;
        };
        if (const char* v = value("--benchmark_format=")) {
            options.json = std::strcmp(v, "json") == 0;
        } else if (const char* v = value("--benchmark_min_time=")) {
            options.minTime = std::atof(v);
        } else if (const char* v = value("--benchmark_repetitions=")) {
            options.repetitions = std::max(1, std::atoi(v));
        } else if (const char* v = value("--benchmark_filter=")) {
            options.filter = v;
        } else if (value("--benchmark_report_aggregates_only=") != nullptr) {
            // Only the median is reported in any case.
        } else {
            argv[kept++] = argv[i];
        }
    }
    *argc = kept;
}

inline bool ReportUnrecognizedArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) std::fprintf(stderr, "unrecognized argument: %s\n", argv[i]);
    return argc > 1;
}

inline void RunSpecifiedBenchmarks() {
    const stand_in::Options& options = stand_in::TheOptions();
    const std::regex filter(options.filter);
    bool first = true;
    if (options.json) std::printf("{\n  \"benchmarks\": [\n");
    for (const stand_in::Registered& b : stand_in::Benchmarks()) {
        if (!std::regex_search(b.name, filter)) continue;
        // Grow the count until a run takes the minimum time.
        std::int64_t iterations = 1;
        for (;;) {
            const double seconds = stand_in::Run(b, iterations);
            if (seconds >= options.minTime || iterations >= (std::int64_t{1} << 40)) break;
            const double factor = seconds <= 0 ? 10 : 1.4 * options.minTime / seconds;
            iterations = static_cast<std::int64_t>(static_cast<double>(iterations) *
                                                   std::min(10.0, std::max(2.0, factor)));
        }
        std::vector<double> times;
        for (int r = 0; r < options.repetitions; ++r) {
            times.push_back(stand_in::Run(b, iterations) * 1e9 / static_cast<double>(iterations));
        }
        std::sort(times.begin(), times.end());
        const std::size_t middle = times.size() / 2;
        const double median =
            times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
        if (options.json) {
            std::printf(
                "%s    {\"name\": \"%s_median\", \"run_name\": \"%s\", "
                "\"aggregate_name\": \"median\", \"iterations\": %lld, "
                "\"real_time\": %.4f, \"cpu_time\": %.4f, \"time_unit\": \"ns\"}",
                first ? "" : ",\n", b.name.c_str(), b.name.c_str(),
                static_cast<long long>(iterations), median, median);
        } else {
            std::printf("%-60s %12.1f ns\n", b.name.c_str(), median);
        }
        std::fflush(stdout);
        first = false;
    }
    if (options.json) std::printf("\n  ]\n}\n");
}

inline void Shutdown() {}

}  // namespace benchmark
