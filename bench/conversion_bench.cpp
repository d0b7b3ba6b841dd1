// Per-conversion times of Zelquin's conversions and of other conversion
// routines, on the same inputs in one run. The peers' texts and values need
// not equal Zelquin's; they are the yardstick. The C and C++ libraries'
// conversions are peers on every build; fmt, double-conversion and fast_float
// where Google Benchmark is (the native build). Elsewhere (the 32-bit Windows
// build) a stand-in for Google Benchmark times the same loops.
#if defined(ZELQUIN_BENCH_STAND_IN)
#include "stand_in_benchmark.h"
#else
#define ZELQUIN_BENCH_LIBRARY_PEERS 1
#include <benchmark/benchmark.h>
#include <double-conversion/double-conversion.h>
#include <fast_float/fast_float.h>
#include <fmt/format.h>
#endif

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_inputs.h"
#include "conversion.h"
#include "fixed_text.h"
#include "references.h"

namespace zelquin::bench {
namespace {

double ValueOf(std::uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

template <typename Convert>
void RunOverValues(benchmark::State& state, const ValueSet& set, Convert convert) {
    std::size_t i = 0;
    const std::size_t n = set.binary64.size();
    for (auto _ : state) {
        convert(set, i);
        i = i + 1 == n ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

template <typename Convert>
void RunOverTexts(benchmark::State& state, const TextSet& set, Convert convert) {
    std::size_t i = 0;
    const std::size_t n = set.narrow.size();
    for (auto _ : state) {
        convert(set, i);
        i = i + 1 == n ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void RegisterPatternToValue() {
    for (const ValueSet& set : ValueSets()) {
        const std::string prefix = std::string("PatternToValue/") + set.name + "/";
        const ValueSet* s = &set;
        benchmark::RegisterBenchmark(
            (prefix + "DoubleToFixedText").c_str(), [s](benchmark::State& st) {
                RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                    char16_t buffer[kLongestValueText];
                    benchmark::DoNotOptimize(DoubleToFixedText(v.binary64[i], buffer));
                    benchmark::ClobberMemory();
                });
            });
        benchmark::RegisterBenchmark(
            (prefix + "PatternToValueText").c_str(), [s](benchmark::State& st) {
                RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                    char16_t buffer[kLongestValueText];
                    benchmark::DoNotOptimize(
                        PatternToValueText(v.patternTexts[i], FormatOption::Binary32, buffer));
                    benchmark::ClobberMemory();
                });
            });
        // The fixed text through the seventeen digits, without its own fast path.
        benchmark::RegisterBenchmark((prefix + "fixed-digits").c_str(), [s](benchmark::State& st) {
            RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                char16_t buffer[kLongestValueText];
                benchmark::DoNotOptimize(DoubleToFixedTextThroughDigits(v.binary64[i], buffer));
                benchmark::ClobberMemory();
            });
        });
        // The seventeen digits by the chain alone, without the fast path.
        benchmark::RegisterBenchmark((prefix + "digits-chain").c_str(), [s](benchmark::State& st) {
            RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                benchmark::DoNotOptimize(DoubleToDigitsReference(v.binary64[i]));
            });
        });
        benchmark::RegisterBenchmark((prefix + "digits").c_str(), [s](benchmark::State& st) {
            RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                benchmark::DoNotOptimize(DoubleToDigits(v.binary64[i]));
            });
        });
        benchmark::RegisterBenchmark((prefix + "snprintf").c_str(), [s](benchmark::State& st) {
            RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                char buffer[400];
                benchmark::DoNotOptimize(
                    std::snprintf(buffer, sizeof buffer, "%.6f", ValueOf(v.binary64[i])));
                benchmark::ClobberMemory();
            });
        });
        benchmark::RegisterBenchmark((prefix + "to_chars").c_str(), [s](benchmark::State& st) {
            RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                char buffer[400];
                auto r = std::to_chars(buffer, buffer + sizeof buffer, ValueOf(v.binary64[i]),
                                       std::chars_format::fixed, 6);
                benchmark::DoNotOptimize(r.ptr);
                benchmark::ClobberMemory();
            });
        });
#if ZELQUIN_BENCH_LIBRARY_PEERS
        benchmark::RegisterBenchmark((prefix + "fmt").c_str(), [s](benchmark::State& st) {
            RunOverValues(st, *s, [](const ValueSet& v, std::size_t i) {
                char buffer[400];
                auto end = fmt::format_to(buffer, "{:.6f}", ValueOf(v.binary64[i]));
                benchmark::DoNotOptimize(end);
                benchmark::ClobberMemory();
            });
        });
        benchmark::RegisterBenchmark(
            (prefix + "double-conversion").c_str(), [s](benchmark::State& st) {
                const auto& converter =
                    double_conversion::DoubleToStringConverter::EcmaScriptConverter();
                RunOverValues(st, *s, [&](const ValueSet& v, std::size_t i) {
                    char buffer[400];
                    double_conversion::StringBuilder builder(buffer, sizeof buffer);
                    // Fails (and stops early) for magnitudes of 1e60 and more.
                    benchmark::DoNotOptimize(
                        converter.ToFixed(ValueOf(v.binary64[i]), 6, &builder));
                    benchmark::ClobberMemory();
                });
            });
#endif
    }
}

void RegisterValueToPattern() {
    for (const TextSet& set : TextSets()) {
        const std::string prefix = std::string("ValueToPattern/") + set.name + "/";
        const TextSet* s = &set;
        benchmark::RegisterBenchmark(
            (prefix + "ValueToPatternText").c_str(), [s](benchmark::State& st) {
                RunOverTexts(st, *s, [](const TextSet& t, std::size_t i) {
                    char16_t buffer[kLongestPatternText];
                    benchmark::DoNotOptimize(
                        ValueToPatternText(t.wide[i], FormatOption::TreatAsDouble, buffer));
                    benchmark::ClobberMemory();
                });
            });
        benchmark::RegisterBenchmark((prefix + "TextToDouble").c_str(), [s](benchmark::State& st) {
            RunOverTexts(st, *s, [](const TextSet& t, std::size_t i) {
                benchmark::DoNotOptimize(TextToDouble(t.wide[i]));
            });
        });
        // The reading by the chain alone, without the fast path.
        benchmark::RegisterBenchmark((prefix + "reading-chain").c_str(), [s](benchmark::State& st) {
            RunOverTexts(st, *s, [](const TextSet& t, std::size_t i) {
                benchmark::DoNotOptimize(TextToDoubleReference(t.wide[i]));
            });
        });
        benchmark::RegisterBenchmark((prefix + "strtod").c_str(), [s](benchmark::State& st) {
            RunOverTexts(st, *s, [](const TextSet& t, std::size_t i) {
                benchmark::DoNotOptimize(std::strtod(t.narrow[i].c_str(), nullptr));
            });
        });
        benchmark::RegisterBenchmark((prefix + "from_chars").c_str(), [s](benchmark::State& st) {
            RunOverTexts(st, *s, [](const TextSet& t, std::size_t i) {
                double v = 0;
                const std::string& text = t.narrow[i];
                benchmark::DoNotOptimize(
                    std::from_chars(text.data(), text.data() + text.size(), v));
                benchmark::DoNotOptimize(v);
            });
        });
#if ZELQUIN_BENCH_LIBRARY_PEERS
        benchmark::RegisterBenchmark((prefix + "fast_float").c_str(), [s](benchmark::State& st) {
            RunOverTexts(st, *s, [](const TextSet& t, std::size_t i) {
                double v = 0;
                const std::string& text = t.narrow[i];
                benchmark::DoNotOptimize(
                    fast_float::from_chars(text.data(), text.data() + text.size(), v));
                benchmark::DoNotOptimize(v);
            });
        });
        benchmark::RegisterBenchmark(
            (prefix + "double-conversion").c_str(), [s](benchmark::State& st) {
                const double_conversion::StringToDoubleConverter converter(
                    double_conversion::StringToDoubleConverter::NO_FLAGS, 0.0, 0.0, nullptr,
                    nullptr);
                RunOverTexts(st, *s, [&](const TextSet& t, std::size_t i) {
                    int processed = 0;
                    const std::string& text = t.narrow[i];
                    benchmark::DoNotOptimize(converter.StringToDouble(
                        text.data(), static_cast<int>(text.size()), &processed));
                });
            });
#endif
    }
}

}  // namespace
}  // namespace zelquin::bench

int main(int argc, char** argv) {
    zelquin::bench::RegisterPatternToValue();
    zelquin::bench::RegisterValueToPattern();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
