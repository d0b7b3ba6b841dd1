// The input sets of the benchmarks, made once from fixed seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelquin::bench {

struct ValueSet {
    const char* name;
    std::vector<std::uint64_t> binary64;       // the values' bits
    std::vector<std::u16string> patternTexts;  // as typed into the pattern field
};

struct TextSet {
    const char* name;
    std::vector<std::string> narrow;   // for the peers, which read bytes
    std::vector<std::u16string> wide;  // for Zelquin, which reads UTF-16
};

// Uniformly random finite binary64 patterns; everyday values with magnitudes
// from 1e-3 to 1e6; binary32 values widened.
const std::vector<ValueSet>& ValueSets();

// The values above as their shortest round-trip texts, short decimal texts,
// 17-digit texts in exponent form, texts with 24 and more digits, and texts
// with extreme exponents.
const std::vector<TextSet>& TextSets();

}  // namespace zelquin::bench
