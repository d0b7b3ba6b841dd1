// The digit generation's two paths to the seventeen digits of a finite
// non-zero binary64, declared together: the chain (see conversion.h), which
// decides them, and the fast path, which finds the chain's digits from one
// 128-bit product wherever it can prove them and leaves the others to the
// chain. FiniteToSeventeenDigits and DoubleToDigits take the fast path and
// fall back to the chain, through the forms that these two share with them
// (digit_generation.cpp); these two are for the differential tests that hold
// each path against the other.
#pragma once

#include <cstdint>

#include "digit_generation.h"

namespace zelquin {

// The fast path alone: true with the chain's digits where it can prove them,
// false where it leaves them to the chain (its fallback bands). It starts, as
// the chain does, from EstimateDecimalExponent (conversion.h), K or K - 1, and
// looks at z = |x| * 10^(18 - estimate): below 10^18 for K, at least 10^18
// (where the chain multiplies by its truncated tenth) for K - 1.
bool FastFiniteToSeventeenDigits(std::uint64_t binary64Bits, SeventeenDigits& digits);

// The chain alone: the fast path's fallback and its reference.
SeventeenDigits ChainToSeventeenDigits(std::uint64_t binary64Bits);

}  // namespace zelquin
