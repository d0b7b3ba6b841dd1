// The fast paths against the chains they stand for, on as many inputs of the
// hard kinds as asked: binary64 values through DoubleToDigits and
// DoubleToFixedText, and value field texts through TextToDouble. Each kind
// gets an equal share, and every band-edge input of the tables is checked
// once; every difference is a failure.
//
//     fast_path_differential [--values N] [--texts N] [--threads N] [--seed S]
//
// Exits with status 1 if any input differs.
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "chunked_run.h"
#include "conversion.h"
#include "fixed_text_reference.h"
#include "hard_inputs.h"
#include "references.h"
#include "text_forms.h"

namespace {

using namespace zelquin;

constexpr std::uint64_t kChunkSize = 1 << 20;
constexpr std::size_t kFailuresShown = 20;

struct Tally {
    std::uint64_t values[hard::kValueKinds] = {};
    std::uint64_t texts[hard::kTextKinds] = {};
    std::uint64_t failures = 0;
    std::vector<std::string> failureLines;

    void Add(const Tally& other) {
        for (int k = 0; k < hard::kValueKinds; ++k) values[k] += other.values[k];
        for (int k = 0; k < hard::kTextKinds; ++k) texts[k] += other.texts[k];
        failures += other.failures;
        for (const std::string& line : other.failureLines) {
            if (failureLines.size() < kFailuresShown) failureLines.push_back(line);
        }
    }

    void Failure(std::string line) {
        ++failures;
        if (failureLines.size() < kFailuresShown) failureLines.push_back(std::move(line));
    }
};

void CheckValue(std::uint64_t bits, int kind, Tally& tally) {
    ++tally.values[kind];
    const DecimalDigits chain = DoubleToDigitsReference(bits);
    char16_t text[kLongestValueText];
    const char16_t* const end = DoubleToFixedText(bits, text);
    if (!test_text::SameDigits(DoubleToDigits(bits), chain) ||
        std::u16string_view(text, static_cast<std::size_t>(end - text)) !=
            reference::FixedText(chain)) {
        char line[128];
        std::snprintf(line, sizeof line, "%s: 0x%016" PRIx64, hard::kValueKindNames[kind], bits);
        tally.Failure(line);
    }
}

void CheckText(std::u16string_view text, int kind, Tally& tally) {
    ++tally.texts[kind];
    if (TextToDouble(text) != TextToDoubleReference(text)) {
        tally.Failure(std::string(hard::kTextKindNames[kind]) + ": \"" + check::Printable(text) +
                      "\"");
    }
}

bool ParseCount(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t valueCount = 100000000, textCount = 100000000, threadCount = 2, seed = 20261207;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && std::strcmp(argv[i], "--values") == 0 &&
            ParseCount(argv[i + 1], valueCount)) {
            ++i;
        } else if (hasValue && std::strcmp(argv[i], "--texts") == 0 &&
                   ParseCount(argv[i + 1], textCount)) {
            ++i;
        } else if (hasValue && std::strcmp(argv[i], "--threads") == 0 &&
                   ParseCount(argv[i + 1], threadCount)) {
            ++i;
        } else if (hasValue && std::strcmp(argv[i], "--seed") == 0 &&
                   ParseCount(argv[i + 1], seed)) {
            ++i;
        } else {
            std::fprintf(stderr, "usage: %s [--values N] [--texts N] [--threads N] [--seed S]\n",
                         argv[0]);
            return 2;
        }
    }
    if (threadCount == 0) threadCount = 1;

    double seconds = 0;
    Tally tally = check::RunValuesAndTexts<Tally>(
        valueCount, textCount, kChunkSize, static_cast<unsigned>(threadCount), seed,
        [](std::mt19937_64& rng, std::uint64_t i, Tally& own) {
            const int kind = static_cast<int>(i % hard::kValueKinds);
            CheckValue(hard::HardValue(rng, kind), kind, own);
        },
        [](std::mt19937_64& rng, std::uint64_t i, Tally& own) {
            const int kind = static_cast<int>(i % hard::kTextKinds);
            CheckText(hard::HardText(rng, kind), kind, own);
        },
        seconds);

    // The band-edge inputs of the tables, each once.
    Tally edges;
    const auto checkValues = [&](const auto& table) {
        for (const hard::DigitBandInput& input : table) CheckValue(input.bits, 0, edges);
    };
    checkValues(hard::kDigitBandEdges);
    checkValues(hard::kDigitChainMisroundings);
    for (const hard::ReadingBandInput& input : hard::kReadingBandEdges) {
        CheckText(input.text, 0, edges);
    }
    for (const char16_t* text : hard::kReadingChainMisroundings) CheckText(text, 0, edges);
    const std::uint64_t edgeValues = edges.values[0], edgeTexts = edges.texts[0];
    edges.values[0] = edges.texts[0] = 0;
    tally.Add(edges);

    std::printf("\nfast paths against the chains, seed %" PRIu64 ", %" PRIu64 " threads, %.1f s\n",
                seed, threadCount, seconds);
    std::printf("  binary64 values (DoubleToDigits, DoubleToFixedText):\n");
    for (int k = 0; k < hard::kValueKinds; ++k) {
        std::printf("    %-36s %" PRIu64 "\n", hard::kValueKindNames[k], tally.values[k]);
    }
    std::printf("  value texts (TextToDouble):\n");
    for (int k = 0; k < hard::kTextKinds; ++k) {
        std::printf("    %-36s %" PRIu64 "\n", hard::kTextKindNames[k], tally.texts[k]);
    }
    std::printf("  band-edge inputs of the tables: %" PRIu64 " values, %" PRIu64 " texts\n",
                edgeValues, edgeTexts);
    std::printf("  differences: %" PRIu64 "\n", tally.failures);
    for (const std::string& line : tally.failureLines) std::printf("  DIFFERS %s\n", line.c_str());
    return tally.failures == 0 ? 0 : 1;
}
