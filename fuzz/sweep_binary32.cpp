// Every binary32 pattern through the fixed rendering, as the pattern field
// shows it with the option clear: a signalling NaN made quiet, the number
// widened exactly to binary64 and rendered with DoubleToFixedText. For each
// pattern it checks the form and length of the text, the special texts, and
// that the text reads back (TextToDouble) within the distance six decimals
// and seventeen significant digits allow (decimal_distance.h). It also checks
// that the fast paths agree with the chains they stand for: the text equals
// the one built character by character from the chain's digits, and the text
// reads back as the chain reads it. One pattern in 997 also goes the whole way
// through UInt32ToHexText and PatternToValueText, which must give the same
// text.
//
// With --fixed-paths it checks only the fixed text's fast path: wherever
// FastFixedText decides, its text must equal DoubleToFixedTextThroughDigits's
// unit for unit; it counts where it decides and where it leaves the number to
// the digits.
//
//     sweep_binary32 [--threads N] [--range FIRST LAST] [--fixed-paths]
//
// FIRST and LAST are patterns in hexadecimal (inclusive); the default is all
// of them. Exits with status 1 if any pattern fails.
#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "binary_format.h"
#include "chunked_run.h"
#include "conversion.h"
#include "decimal_distance.h"
#include "fixed_text.h"
#include "fixed_text_reference.h"
#include "references.h"
#include "text_forms.h"

namespace {

using zelquin::check::DistanceRatio;
using zelquin::check::kRatioAllowance;

constexpr std::uint64_t kChunkSize = std::uint64_t{1} << 22;
constexpr std::uint64_t kWholeTextSample = 997;
constexpr int kFailuresShown = 20;
constexpr double kSeventeenDigitRegime =
    1e11;  // from here on no digit is dropped by the six decimals

// The binary64 the pattern field renders for a binary32 pattern.
std::uint64_t ShownNumber(std::uint32_t pattern) {
    if (zelquin::IsNaN(pattern, zelquin::kBinary32)) {
        return zelquin::SingleToDouble(
            static_cast<std::uint32_t>(zelquin::MakeQuiet(pattern, zelquin::kBinary32)));
    }
    return std::bit_cast<std::uint64_t>(static_cast<double>(std::bit_cast<float>(pattern)));
}

struct Worst {
    double ratio = 0;
    std::uint32_t pattern = 0;
};

struct Tally {
    std::uint64_t checked = 0;
    std::uint64_t finite = 0;
    std::uint64_t wholeTextChecks = 0;
    std::uint64_t failures = 0;
    std::uint64_t sameBinary32 = 0;        // text reads back and narrows to the very pattern
    std::uint64_t fastDigitsDiffer = 0;    // the text differs from the chain's
    std::uint64_t fastReadingDiffers = 0;  // the text reads back otherwise than by the chain
    std::uint64_t fixedFastDecided = 0;    // --fixed-paths: FastFixedText gave a text
    Worst worstSixDecimals;                // |x| below 1e11
    Worst worstSeventeenDigits;            // |x| from 1e11 up
    std::vector<std::string> failureLines;

    void Add(const Tally& other) {
        checked += other.checked;
        finite += other.finite;
        wholeTextChecks += other.wholeTextChecks;
        failures += other.failures;
        sameBinary32 += other.sameBinary32;
        fastDigitsDiffer += other.fastDigitsDiffer;
        fastReadingDiffers += other.fastReadingDiffers;
        fixedFastDecided += other.fixedFastDecided;
        if (other.worstSixDecimals.ratio > worstSixDecimals.ratio)
            worstSixDecimals = other.worstSixDecimals;
        if (other.worstSeventeenDigits.ratio > worstSeventeenDigits.ratio) {
            worstSeventeenDigits = other.worstSeventeenDigits;
        }
        for (const std::string& line : other.failureLines) {
            if (failureLines.size() < kFailuresShown) failureLines.push_back(line);
        }
    }

    void Failure(std::uint32_t pattern, const char* what, const std::u16string& text) {
        ++failures;
        if (failureLines.size() >= kFailuresShown) return;
        char line[512];
        std::snprintf(line, sizeof line, "0x%08" PRIx32 ": %s: \"%s\"", pattern, what,
                      zelquin::check::Printable(text).c_str());
        failureLines.push_back(line);
    }
};

void CheckPattern(std::uint32_t pattern, Tally& tally) {
    ++tally.checked;
    const std::uint64_t number = ShownNumber(pattern);
    const std::u16string text = zelquin::DoubleToFixedText(number);

    if (text != zelquin::reference::FixedText(zelquin::DoubleToDigitsReference(number))) {
        ++tally.fastDigitsDiffer;
        tally.Failure(pattern, "the fast digits differ from the chain's", text);
    }
    if (zelquin::TextToDouble(text) != zelquin::TextToDoubleReference(text)) {
        ++tally.fastReadingDiffers;
        tally.Failure(pattern, "the fast reading differs from the chain's", text);
    }

    if (pattern % kWholeTextSample == 0) {
        ++tally.wholeTextChecks;
        const std::u16string whole = zelquin::PatternToValueText(zelquin::UInt32ToHexText(pattern),
                                                                 zelquin::FormatOption::Binary32);
        if (whole != text) tally.Failure(pattern, "PatternToValueText differs", whole);
    }
    if (const char* fault =
            zelquin::check::ValueTextFault(text, zelquin::kLongestSingleValueText)) {
        tally.Failure(pattern, fault, text);
        return;
    }
    if (const char16_t* special = zelquin::check::SpecialText(number)) {
        if (text != special) tally.Failure(pattern, "wrong special text", text);
        return;
    }
    ++tally.finite;
    const double x = std::bit_cast<double>(number);
    const std::uint64_t readBits = zelquin::TextToDouble(text);
    const double read = std::bit_cast<double>(readBits);
    if (zelquin::DoubleToSingle(readBits) == pattern) ++tally.sameBinary32;
    const double ratio = DistanceRatio(x, read);
    Worst& worst =
        std::fabs(x) < kSeventeenDigitRegime ? tally.worstSixDecimals : tally.worstSeventeenDigits;
    if (ratio > worst.ratio) worst = Worst{ratio, pattern};
    if (!(ratio <= kRatioAllowance)) tally.Failure(pattern, "reads back too far", text);
}

// FastFixedText against the digits' text, for --fixed-paths.
void CheckFixedPaths(std::uint32_t pattern, Tally& tally) {
    ++tally.checked;
    const std::uint64_t number = ShownNumber(pattern);
    // DoubleToFixedText leaves zeros to the digits.
    if ((number & ~zelquin::kBinary64.SignBit()) == 0) return;
    char16_t fast[zelquin::kLongestValueText];
    const char16_t* fastEnd = zelquin::FastFixedText(number, fast);
    if (fastEnd == nullptr) return;
    ++tally.fixedFastDecided;
    char16_t digits[zelquin::kLongestValueText];
    const char16_t* digitsEnd = zelquin::DoubleToFixedTextThroughDigits(number, digits);
    if (std::u16string_view(fast, static_cast<std::size_t>(fastEnd - fast)) !=
        std::u16string_view(digits, static_cast<std::size_t>(digitsEnd - digits))) {
        tally.Failure(pattern, "FastFixedText differs from the digits' text",
                      std::u16string(fast, static_cast<std::size_t>(fastEnd - fast)));
    }
}

bool ParseHex(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 16);
    return end != text && *end == '\0' && value <= 0xFFFFFFFFu;
}

void PrintWorst(const char* label, const Worst& worst) {
    if (worst.ratio == 0) {
        std::printf("  largest distance/bound, %s: 0 (each reads back as exactly its number)\n",
                    label);
        return;
    }
    const std::uint32_t pattern = worst.pattern;
    const std::u16string text = zelquin::DoubleToFixedText(ShownNumber(pattern));
    std::printf("  largest distance/bound, %s: %.9f at 0x%08" PRIx32 " (%.9g shown as \"%s\")\n",
                label, worst.ratio, pattern, static_cast<double>(std::bit_cast<float>(pattern)),
                zelquin::check::Printable(text).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    unsigned threadCount = 2;
    bool fixedPaths = false;
    std::uint64_t first = 0, last = 0xFFFFFFFFu;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
            threadCount = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--range") == 0 && i + 2 < argc &&
                   ParseHex(argv[i + 1], first) && ParseHex(argv[i + 2], last) && first <= last) {
            i += 2;
        } else if (std::strcmp(argv[i], "--fixed-paths") == 0) {
            fixedPaths = true;
        } else {
            std::fprintf(stderr, "usage: %s [--threads N] [--range FIRST LAST] [--fixed-paths]\n",
                         argv[0]);
            return 2;
        }
    }
    if (threadCount == 0) threadCount = 1;

    zelquin::check::PowersOfTen();  // build the table before the threads start
    const std::uint64_t total = last - first + 1;
    const std::uint64_t chunkCount = (total + kChunkSize - 1) / kChunkSize;
    double seconds = 0;
    const Tally tally = zelquin::check::RunInChunks<Tally>(
        chunkCount, threadCount,
        [&](std::uint64_t chunk, Tally& own) {
            const std::uint64_t begin = first + chunk * kChunkSize;
            const std::uint64_t end = std::min(begin + kChunkSize, last + 1);
            for (std::uint64_t p = begin; p < end; ++p) {
                if (fixedPaths) {
                    CheckFixedPaths(static_cast<std::uint32_t>(p), own);
                } else {
                    CheckPattern(static_cast<std::uint32_t>(p), own);
                }
            }
        },
        seconds);

    std::printf("\nbinary32 patterns 0x%08" PRIx64 " to 0x%08" PRIx64 ", %u threads, %.1f s\n",
                first, last, threadCount, seconds);
    if (fixedPaths) {
        std::printf("  checked: %" PRIu64 ", decided by FastFixedText: %" PRIu64
                    ", left to the digits: %" PRIu64 "\n",
                    tally.checked, tally.fixedFastDecided, tally.checked - tally.fixedFastDecided);
        std::printf("  texts differing from the digits': %" PRIu64 "\n", tally.failures);
        for (const std::string& line : tally.failureLines) std::printf("  FAIL %s\n", line.c_str());
        return tally.failures == 0 ? 0 : 1;
    }
    std::printf("  checked: %" PRIu64 " (%" PRIu64 " finite, %" PRIu64
                " also through PatternToValueText)\n",
                tally.checked, tally.finite, tally.wholeTextChecks);
    std::printf("  failures: %" PRIu64 "\n", tally.failures);
    std::printf("  fast digits differing from the chain: %" PRIu64
                ", fast readings differing: %" PRIu64 "\n",
                tally.fastDigitsDiffer, tally.fastReadingDiffers);
    std::printf("  read back to the same binary32: %" PRIu64 " of the finite\n",
                tally.sameBinary32);
    PrintWorst("below 1e11", tally.worstSixDecimals);
    PrintWorst("from 1e11", tally.worstSeventeenDigits);
    for (const std::string& line : tally.failureLines) std::printf("  FAIL %s\n", line.c_str());
    return tally.failures == 0 ? 0 : 1;
}
