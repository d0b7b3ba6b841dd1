// The search behind the band-edge tables of tests/support/hard_inputs.h: it
// finds inputs of the fast paths just inside and just outside each fallback
// band, and the inputs on which the chain's result differs from the correctly
// rounded exact number farthest from the point where the rounding steps, which
// the bands must hold. It prints them as table rows; the unit tests check
// every claim with exact arithmetic.
//
//     band_search [--values N] [--texts N] [--threads N] [--seed S]
//
// The values are random binary64 patterns, and values just above a power of
// ten, where the chain mostly takes its tenth, scaled as the digits' fast path
// scales them, z = |x| * 10^(18 - estimate), from the 128-bit power table;
// its error, below 2^-62, is far below every distance the search sorts by.
// The texts are random 19-digit numbers, and for the chain's misroundings the
// 19-digit number nearest to a binary64 midpoint next to a random one: the
// texts lie a few hundredths of a unit in the last place apart, so one in a
// few thousand lands within the chain's error of the midpoint.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "binary_format.h"
#include "chunked_run.h"
#include "decimal_integers.h"
#include "digit_generation.h"
#include "digit_generation_paths.h"
#include "exact_binary64.h"
#include "hard_inputs.h"
#include "references.h"
#include "wide_arithmetic.h"
#include "wide_powers.h"

namespace {

using namespace zelquin;

constexpr std::uint64_t kChunkSize = 1 << 20;
constexpr std::uint64_t kTenToThe17 = kPowersOfTen[17];
constexpr std::uint64_t kTenToThe18 = kPowersOfTen[18];
constexpr std::uint64_t kTenToThe19 = kPowersOfTen[19];

__extension__ typedef unsigned __int128 U128;
__extension__ typedef __int128 I128;

// A candidate: the input, its distance (in the units of its band's table),
// and the order it was found in, which decides between equal candidates so
// that a run gives the same rows whatever the number of threads.
struct Found {
    bool any = false;
    std::uint64_t order = 0;
    double log2Distance = 0;
    std::uint64_t bits = 0;
    std::u16string text;

    // Keeps the first found.
    void First(std::uint64_t at, double distance, std::uint64_t value, const std::u16string& t) {
        if (any && order <= at) return;
        *this = Found{true, at, distance, value, t};
    }
    // Keeps the farthest (the first of equals).
    void Farthest(std::uint64_t at, double distance, std::uint64_t value, const std::u16string& t) {
        if (any && (log2Distance > distance || (log2Distance == distance && order <= at))) return;
        *this = Found{true, at, distance, value, t};
    }
    void Merge(const Found& other, bool farthest) {
        if (!other.any) return;
        if (farthest) {
            Farthest(other.order, other.log2Distance, other.bits, other.text);
        } else {
            First(other.order, other.log2Distance, other.bits, other.text);
        }
    }
};

// Rows of the tables: [band][inside][above] for the edges.
enum ValueBand { kTie, kTenthTie, kValueBands };
constexpr const char* kValueBandNames[kValueBands] = {"hard::DigitBand::Tie",
                                                      "hard::DigitBand::TenthTie"};

struct Tally {
    Found valueEdges[kValueBands][2][2];
    Found valueMisrounded[kValueBands][2];
    Found nearTenToThe18[4];   // z in [10^18 + i - 2, 10^18 + i - 1)
    Found textEdges[3][2][2];  // [regime][inside][above]
    Found textMisrounded[3][2];
    std::uint64_t valueMisroundings = 0, textMisroundings = 0;

    void Add(const Tally& o) {
        for (int b = 0; b < kValueBands; ++b) {
            for (int i = 0; i < 2; ++i) {
                for (int a = 0; a < 2; ++a) valueEdges[b][i][a].Merge(o.valueEdges[b][i][a], false);
                valueMisrounded[b][i].Merge(o.valueMisrounded[b][i], true);
            }
        }
        for (int i = 0; i < 4; ++i) nearTenToThe18[i].Merge(o.nearTenToThe18[i], false);
        for (int r = 0; r < 3; ++r) {
            for (int i = 0; i < 2; ++i) {
                for (int a = 0; a < 2; ++a) textEdges[r][i][a].Merge(o.textEdges[r][i][a], false);
                textMisrounded[r][i].Merge(o.textMisrounded[r][i], true);
            }
        }
        valueMisroundings += o.valueMisroundings;
        textMisroundings += o.textMisroundings;
    }
};

// ---------------------------------------------------------------------------
// Values.

// z = |x| * 10^(18 - estimate) as the digits' fast path forms it: its integer
// part and the top 64 bits of its fraction. False outside the fast path's reach.
struct Scaled {
    int estimate;
    std::uint64_t integer;
    std::uint64_t fraction;
};

bool ScaleValue(std::uint64_t bits, Scaled& s) {
    const BinaryFields f = SplitFields(bits, kBinary64);
    std::uint64_t m = f.exponentField != 0 ? f.fraction | kBinary64.ImplicitBit() : f.fraction;
    const int lz = std::countl_zero(m);
    m <<= lz;
    // |x| = m * 2^(e2 - 63).
    const int e2 = (f.exponentField != 0 ? f.exponentField : 1) - kBinary64.Bias() + 11 - lz;
    s.estimate = DecimalExponentEstimate(bits);
    const int q = 18 - s.estimate;
    if (q < kWidePowerMin || q > kWidePowerMax) return false;
    const WidePower& power = WidePowerOfTen(q);
    const Wide128 h = Multiply64By128High(m, power.high, power.low);
    // z = H * 2^(64 + e2 - 63 + b - 127) = H * 2^-t.
    const int t = 126 - e2 - BinaryExponentOfPowerOfTen(q);
    if (t < 64 || t > 127) return false;
    const U128 whole = (static_cast<U128>(h.high) << 64) | h.low;
    s.integer = static_cast<std::uint64_t>(whole >> t);
    s.fraction = static_cast<std::uint64_t>(whole << (128 - t) >> 64);
    return true;
}

std::u16string NoText;

void SearchValue(std::uint64_t bits, std::uint64_t order, Tally& tally) {
    Scaled s;
    if (bits == 0 || !ScaleValue(bits, s) || s.integer < kTenToThe17) return;
    const bool tenth = s.integer >= kTenToThe18;
    if (s.integer >= kTenToThe18 - 2 && s.integer <= kTenToThe18 + 1) {
        tally.nearTenToThe18[s.integer - (kTenToThe18 - 2)].First(order, 0, bits, NoText);
    }
    // The distance to the nearest tie, 5 (mod 10) or 50 (mod 100) with the
    // tenth, in units of 2^-64, when below 1.
    const std::uint64_t last = tenth ? s.integer % 100 : s.integer % 10;
    const std::uint64_t below = tenth ? 49 : 4;
    std::uint64_t d;
    bool above;
    if (last == below && s.fraction != 0) {
        d = 0 - s.fraction;
        above = false;
    } else if (last == below + 1) {
        d = s.fraction;
        above = true;
    } else {
        return;
    }
    if (d == 0) return;  // an exact tie: on the band's centre, not near its edge
    const ValueBand band = tenth ? kTenthTie : kTie;
    const double log2d = std::log2(static_cast<double>(d)) - 64;
    // The edges, with a margin of 2^-40 from each power of two.
    const int edge = tenth ? -8 : -11;
    const double floorLog = std::floor(log2d);
    const bool clearOfEdges = log2d - floorLog > 1e-9 && floorLog + 1 - log2d > 1e-9;
    if (clearOfEdges && (floorLog == edge - 1 || floorLog == edge)) {
        tally.valueEdges[band][floorLog == edge - 1][above].First(order, log2d, bits, NoText);
    }
    // The chain against the exact rounding of z (half up on the digit after
    // the seventeenth), near the tie.
    if (log2d < edge - 2) {
        const std::uint64_t scale = tenth ? 100 : 10;
        std::uint64_t exact = (s.integer + scale / 2) / scale;
        int k = s.estimate + (tenth ? 1 : 0);
        if (exact == kTenToThe17) {
            exact /= 10;
            ++k;
        }
        const SeventeenDigits chain = ChainToSeventeenDigits(bits);
        if (chain.digits != exact || chain.exponent != k) {
            ++tally.valueMisroundings;
            tally.valueMisrounded[band][above].Farthest(order, log2d, bits, NoText);
        }
    }
}

// A value up to 6 % above a power of ten, where the estimate of the decimal
// exponent mostly falls one short and the chain takes its tenth.
std::uint64_t JustAboveAPowerOfTen(std::mt19937_64& rng) {
    const int k = -307 + static_cast<int>(rng() % 615);
    return exact::CachedTruncatedPowerOfTen(k) + rng() % (kBinary64.ImplicitBit() / 16);
}

// ---------------------------------------------------------------------------
// Texts.

// N * 10^n as the reading's fast path forms it: H, the top 128 bits of the
// normalised product, and the binary exponent of its top bit.
struct Product {
    U128 h;
    int e;
    bool belowNormal;  // h moved down to put the last place (2^-1074) at bit 75
};

// m * 2^s * 10^exponent; false where the fast path does not round it.
bool ProductOf(std::uint64_t m, int s, int exponent, Product& p) {
    const int lz = std::countl_zero(m);
    const WidePower& power = WidePowerOfTen(exponent);
    const Wide128 h = Multiply64By128High(m << lz, power.high, power.low);
    U128 whole = (static_cast<U128>(h.high) << 64) | h.low;
    const int shift = (h.high >> 63) != 0 ? 0 : 1;
    whole <<= shift;
    p = Product{whole, BinaryExponentOfPowerOfTen(exponent) + 64 - lz - shift + s, false};
    if (p.e >= kBinary64.Bias()) return false;
    const int k = 1 - kBinary64.Bias() - p.e;
    if (k > 0) {
        if (k > kBinary64.fractionBits + 1) return false;
        p.h >>= k;
        p.belowNormal = true;
    }
    return true;
}

// The signed distance from the nearest midpoint (round bit set, 74-bit tail
// zero), in units of H's last bit; a unit in the last place is 2^75 of them.
I128 FromMidpoint(const Product& p) {
    constexpr U128 kLow75 = (static_cast<U128>(1) << 75) - 1;
    return static_cast<I128>(p.h & kLow75) - (static_cast<I128>(1) << 74);
}

// The binary64 that rounding the product to nearest gives, away from midpoints.
std::uint64_t NearestOf(const Product& p) {
    std::uint64_t significand = static_cast<std::uint64_t>(p.h >> 75) + ((p.h >> 74) & 1);
    if (p.belowNormal) return significand;
    int e = p.e;
    if (significand == kBinary64.ImplicitBit() << 1) {
        significand >>= 1;
        ++e;
    }
    return (static_cast<std::uint64_t>(e + kBinary64.Bias()) << kBinary64.fractionBits) |
           (significand & kBinary64.FractionMask());
}

// A number m * 2^s * 10^n as a text the reader keeps as that number: for s =
// 0, m's digits (19 here); otherwise m * 2^s plus random bits below 2^s, 20 to
// 24 digits that do not end in a zero, whose top 64 bits the chain keeps.
std::u16string TextOf(std::mt19937_64& rng, std::uint64_t m, int s, int n) {
    U128 integer = m;
    if (s > 0) {
        integer = (integer << s) | (rng() & ((std::uint64_t{1} << s) - 1));
        if (integer % 10 == 0) integer ^= 1;
    }
    std::string digits;
    for (; integer != 0; integer /= 10) digits.insert(digits.begin(), '0' + integer % 10);
    std::u16string text(digits.begin(), digits.end());
    hard::AppendExponent(text, n);
    return text;
}

// The kinds of texts by the path they take in the fast path.
enum TextRegime { kNormal19, kBelowNormal19, kNormal24, kTextRegimes };
constexpr const char* kTextRegimeNames[kTextRegimes] = {
    "19 digits, normal", "19 digits, below 2^-1022", "20 to 24 digits"};

void SearchText(std::mt19937_64& rng, std::uint64_t order, Tally& tally) {
    const TextRegime regime = static_cast<TextRegime>(order % kTextRegimes);
    std::uint64_t m;
    int s = 0, n;
    if (regime == kNormal24) {
        m = rng() | (std::uint64_t{1} << 63);
        s = 1 + static_cast<int>(rng() % 15);
        n = -300 + static_cast<int>(rng() % 590);
        if (n == 0) return;
    } else {
        m = kTenToThe18 + rng() % (kTenToThe19 - kTenToThe18);
        n = regime == kNormal19 ? -326 + static_cast<int>(rng() % 616)
                                : -342 + static_cast<int>(rng() % 16);
    }
    Product p;
    if (!ProductOf(m, s, n, p) || p.belowNormal != (regime == kBelowNormal19)) return;
    I128 d = FromMidpoint(p);
    const auto log2Units = [](I128 units) {
        return std::log2(static_cast<double>(units < 0 ? -units : units)) - 75;
    };
    // The edges of the band of 2^-18 units in the last place, with a margin.
    const double log2d = log2Units(d);
    const double floorLog = std::floor(log2d);
    const bool clearOfEdges = log2d - floorLog > 1e-9 && floorLog + 1 - log2d > 1e-9;
    if (clearOfEdges && (floorLog == -19 || floorLog == -18)) {
        tally.textEdges[regime][floorLog == -19][d > 0].First(order, log2d, 0,
                                                              TextOf(rng, m, s, n));
    }
    // One step to the number nearest the midpoint: H (moved down or not)
    // grows by about H / m per unit of m.
    const double perUnit = static_cast<double>(p.h) / static_cast<double>(m);
    const long long step = std::llround(static_cast<double>(d) / perUnit);
    const std::uint64_t moved = m - static_cast<std::uint64_t>(step);
    const bool inRange =
        regime == kNormal24 ? moved >> 63 != 0 : moved >= kTenToThe18 && moved < kTenToThe19;
    if (step == 0 || !inRange) return;
    m = moved;
    if (!ProductOf(m, s, n, p) || p.belowNormal != (regime == kBelowNormal19)) return;
    d = FromMidpoint(p);
    // Within H's own error of the midpoint, an exact midpoint: on the band's
    // centre, not near its edge.
    if ((d < 0 ? -d : d) <= 4 || log2Units(d) > -20) return;
    const std::u16string text = TextOf(rng, m, s, n);
    if (TextToDoubleReference(text) != NearestOf(p)) {
        ++tally.textMisroundings;
        tally.textMisrounded[regime][d > 0].Farthest(order, log2Units(d), 0, text);
    }
}

// ---------------------------------------------------------------------------

bool ParseCount(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

std::string Hex(std::uint64_t bits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIx64 "u", bits);
    return text;
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

void PrintValueRow(const Found& f, const char* band, const char* claim, const char* note) {
    if (!f.any) {
        std::printf("    // none found: %s, %s\n", band, note);
        return;
    }
    std::printf("    {%s, %s, %s},  // %s: 2^%.2f\n", Hex(f.bits).c_str(), band, claim, note,
                f.log2Distance);
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t valueCount = 100000000, textCount = 100000000, threadCount = 2, seed = 20261207;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        std::uint64_t* target = nullptr;
        if (std::strcmp(argv[i], "--values") == 0) target = &valueCount;
        if (std::strcmp(argv[i], "--texts") == 0) target = &textCount;
        if (std::strcmp(argv[i], "--threads") == 0) target = &threadCount;
        if (std::strcmp(argv[i], "--seed") == 0) target = &seed;
        if (target == nullptr || !hasValue || !ParseCount(argv[i + 1], *target)) {
            std::fprintf(stderr, "usage: %s [--values N] [--texts N] [--threads N] [--seed S]\n",
                         argv[0]);
            return 2;
        }
        ++i;
    }

    double seconds = 0;
    Tally tally = check::RunValuesAndTexts<Tally>(
        valueCount, textCount, kChunkSize,
        static_cast<unsigned>(threadCount == 0 ? 1 : threadCount), seed,
        [](std::mt19937_64& rng, std::uint64_t i, Tally& own) {
            SearchValue(i % 2 == 0 ? hard::RandomFinite(rng) & ~kBinary64.SignBit()
                                   : JustAboveAPowerOfTen(rng),
                        i, own);
        },
        [](std::mt19937_64& rng, std::uint64_t i, Tally& own) { SearchText(rng, i, own); },
        seconds);
    // The binary64 numbers around each power of ten: the only ones whose z
    // comes within a few units of 10^18.
    Tally powers;
    for (int k = -323; k <= 308; ++k) {
        const std::uint64_t nearest = exact::TruncatedPowerOfTen(k);
        for (int step = -8; step <= 8; ++step) {
            const std::uint64_t bits = nearest + static_cast<std::uint64_t>(step);
            if (bits != 0 && bits < kBinary64.Infinity()) {
                SearchValue(bits, static_cast<std::uint64_t>((k + 323) * 17 + step + 8), powers);
            }
        }
    }
    for (int i = 0; i < 4; ++i) tally.nearTenToThe18[i] = powers.nearTenToThe18[i];

    std::printf("\nband search, seed %" PRIu64 ": %" PRIu64 " values, %" PRIu64 " texts, %.1f s\n",
                seed, valueCount, textCount, seconds);
    std::printf("chain misroundings found: %" PRIu64 " values, %" PRIu64 " texts\n\n",
                tally.valueMisroundings, tally.textMisroundings);
    std::printf("kDigitBandEdges (distance of z from the tie):\n");
    for (int b = 0; b < kValueBands; ++b) {
        for (int inside = 1; inside >= 0; --inside) {
            for (int above = 0; above < 2; ++above) {
                const std::string note = std::string(inside ? "inside" : "outside") +
                                         (above ? ", above the tie" : ", below the tie");
                PrintValueRow(tally.valueEdges[b][inside][above], kValueBandNames[b],
                              inside ? "true" : "false", note.c_str());
            }
        }
    }
    static const char* const kOffsets[4] = {"-2", "-1", "0", "1"};
    for (int i = 0; i < 4; ++i) {
        const Found& f = tally.nearTenToThe18[i];
        const std::string note = std::string("z in 10^18 ") + kOffsets[i] + " + [0, 1)";
        if (!f.any) {
            std::printf("    // none found: %s\n", note.c_str());
        } else {
            std::printf("    {%s, hard::DigitBand::TenToThe18, %s},  // %s\n", Hex(f.bits).c_str(),
                        i == 1 || i == 2 ? "true" : "false", note.c_str());
        }
    }
    std::printf("\nkDigitChainMisroundings (the farthest from the tie):\n");
    for (int b = 0; b < kValueBands; ++b) {
        for (int above = 0; above < 2; ++above) {
            PrintValueRow(tally.valueMisrounded[b][above], kValueBandNames[b], "true",
                          above ? "above the tie" : "below the tie");
        }
    }
    std::printf("\nkReadingBandEdges (distance from the midpoint in units in the last place):\n");
    for (int r = 0; r < kTextRegimes; ++r) {
        for (int inside = 1; inside >= 0; --inside) {
            for (int above = 0; above < 2; ++above) {
                const Found& f = tally.textEdges[r][inside][above];
                const char* side = above ? "above the midpoint" : "below the midpoint";
                if (!f.any) {
                    std::printf("    // none found: %s, %s\n", kTextRegimeNames[r], side);
                } else {
                    std::printf("    {u\"%s\", %s},  // %s, %s: 2^%.2f\n", Narrow(f.text).c_str(),
                                inside ? "true" : "false", kTextRegimeNames[r], side,
                                f.log2Distance);
                }
            }
        }
    }
    std::printf("\nkReadingChainMisroundings (the farthest from the midpoint):\n");
    for (int r = 0; r < kTextRegimes; ++r) {
        for (int above = 0; above < 2; ++above) {
            const Found& f = tally.textMisrounded[r][above];
            if (f.any) {
                std::printf("    u\"%s\",  // %s, %s: 2^%.2f\n", Narrow(f.text).c_str(),
                            kTextRegimeNames[r],
                            above ? "above the midpoint" : "below the midpoint", f.log2Distance);
            }
        }
    }
    return 0;
}
