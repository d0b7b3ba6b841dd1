#include "bench_inputs.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "conversion.h"

namespace zelquin::bench {
namespace {

// Large enough that the branch predictor cannot learn the set by heart.
constexpr std::size_t kSetSize = 1 << 16;

std::uint64_t BitsOf(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

double ValueOf(std::uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

ValueSet MakeValueSet(const char* name, std::uint64_t (*draw)(std::mt19937_64&), bool single) {
    std::mt19937_64 rng(42);
    ValueSet set{name, {}, {}};
    for (std::size_t i = 0; i < kSetSize; ++i) {
        const std::uint64_t bits = draw(rng);
        set.binary64.push_back(bits);
        std::uint64_t pattern = bits;
        if (single) {
            const float f = static_cast<float>(ValueOf(bits));
            std::uint32_t b32;
            std::memcpy(&b32, &f, sizeof b32);
            pattern = b32;
        }
        set.patternTexts.push_back(UInt64ToHexText(pattern));
    }
    return set;
}

std::uint64_t DrawRandom(std::mt19937_64& rng) {
    for (;;) {
        const std::uint64_t bits = rng();
        if (((bits >> 52) & 0x7FF) != 0x7FF) return bits;
    }
}

std::uint64_t DrawEveryday(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> exponent(-3.0, 6.0);
    const double v = std::pow(10.0, exponent(rng));
    return BitsOf(rng() % 2 ? -v : v);
}

std::uint64_t DrawSingle(std::mt19937_64& rng) {
    for (;;) {
        const std::uint32_t b32 = static_cast<std::uint32_t>(rng());
        if (((b32 >> 23) & 0xFF) == 0xFF) continue;
        float f;
        std::memcpy(&f, &b32, sizeof f);
        return BitsOf(static_cast<double>(f));
    }
}

TextSet FromStrings(const char* name, std::vector<std::string> texts) {
    TextSet set{name, std::move(texts), {}};
    for (const std::string& s : set.narrow) set.wide.push_back(Widen(s));
    return set;
}

// The shortest text that reads back as the value, as a user would copy it.
TextSet ShortestTexts(const char* name, const std::vector<std::uint64_t>& values) {
    std::vector<std::string> texts;
    char buffer[64];
    for (std::uint64_t bits : values) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, ValueOf(bits));
        texts.emplace_back(buffer, result.ptr);
    }
    return FromStrings(name, std::move(texts));
}

std::string RandomDigits(std::mt19937_64& rng, int count) {
    std::string s;
    s += static_cast<char>('1' + rng() % 9);
    for (int i = 1; i < count; ++i) s += static_cast<char>('0' + rng() % 10);
    return s;
}

}  // namespace

const std::vector<ValueSet>& ValueSets() {
    static const std::vector<ValueSet> sets = {
        MakeValueSet("random", DrawRandom, false),
        MakeValueSet("everyday", DrawEveryday, false),
        MakeValueSet("binary32", DrawSingle, true),
    };
    return sets;
}

const std::vector<TextSet>& TextSets() {
    static const std::vector<TextSet> sets = [] {
        std::vector<TextSet> result;
        result.push_back(ShortestTexts("random", ValueSets()[0].binary64));
        result.push_back(ShortestTexts("everyday", ValueSets()[1].binary64));
        std::mt19937_64 rng(7);
        std::vector<std::string> shortTexts, exponentTexts, longTexts, extremeTexts;
        for (std::size_t i = 0; i < kSetSize; ++i) {
            // Up to 8 digits, with a point somewhere and sometimes a sign.
            std::string digits = RandomDigits(rng, 1 + static_cast<int>(rng() % 8));
            const std::size_t point = rng() % (digits.size() + 1);
            std::string text = rng() % 4 == 0 ? "-" : "";
            text += digits.substr(0, point);
            text += '.';
            text += digits.substr(point);
            shortTexts.push_back(text);
            // 17 significant digits in exponent form.
            const std::string d17 = RandomDigits(rng, 17);
            exponentTexts.push_back(d17.substr(0, 1) + "." + d17.substr(1) + "e" +
                                    std::to_string(static_cast<int>(rng() % 600) - 300));
            // 24 to 40 digits.
            const std::string many = RandomDigits(rng, 24 + static_cast<int>(rng() % 17));
            longTexts.push_back(many.substr(0, 10) + "." + many.substr(10) + "e" +
                                std::to_string(static_cast<int>(rng() % 40) - 20));
            // Exponents from 290 to 345 either way, near the ends of the
            // binary64 range and past them: results that overflow to
            // infinity, subnormal results and zeros, of 1 to 17 digits (a
            // third of them of seven or fewer); one in eight far beyond.
            const int length =
                rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 7) : 1 + static_cast<int>(rng() % 17);
            const std::string figures = RandomDigits(rng, length);
            std::string extreme = figures.substr(0, 1);
            if (length > 1) extreme.append(1, '.').append(figures, 1);
            const int magnitude = rng() % 8 == 0 ? 400 + static_cast<int>(rng() % 5000)
                                                 : 290 + static_cast<int>(rng() % 56);
            extreme += rng() % 2 == 0 ? "e-" : "e";
            extremeTexts.push_back(extreme + std::to_string(magnitude));
        }
        result.push_back(FromStrings("short", std::move(shortTexts)));
        result.push_back(FromStrings("exponent17", std::move(exponentTexts)));
        result.push_back(FromStrings("digits24plus", std::move(longTexts)));
        result.push_back(FromStrings("extreme", std::move(extremeTexts)));
        return result;
    }();
    return sets;
}

}  // namespace zelquin::bench
