// The decimal reader's grammar as a state machine, one state per row of its
// table: the reference that the scanner is checked against, on every text of
// a small alphabet up to a length and on random longer ones.
#pragma once

#include <cstdint>

#include "references.h"

namespace zelquin::reference {

// The exponent adjustment only matters up to the limits of +-5200 on the
// decimal exponent; holding it within this bound keeps arbitrarily long texts
// from overflowing it without changing any result.
inline constexpr int kAdjustmentLimit = 1 << 24;

enum class ScanState {
    Start,
    AfterSign,
    LeadingZeros,
    IntegerDigits,
    PointFirst,
    FractionDigits,
    ExponentLetter,
    ExponentSign,
    ExponentZeros,
    ExponentDigits,
};

inline bool IsExponentLetter(unsigned c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }
inline bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }
inline bool IsNonZeroDigit(unsigned c) { return c >= '1' && c <= '9'; }

// A NUL, the end of the text, or a unit above 0xFF (which has no narrow form)
// ends the text. Units are examined one at a time and never past the one that
// ends the number.
template <typename Unit>
ScanResult ScanByStates(const Unit* p, const Unit* end) {
    ScanResult s{};
    ScanState state = ScanState::Start;
    for (;;) {
        const unsigned c = p == end ? 0u : static_cast<unsigned>(*p);
        const unsigned unit = c > 0xFFu ? 0u : c;
        switch (state) {
            case ScanState::Start:
            case ScanState::AfterSign:
                if (IsNonZeroDigit(unit)) {
                    state = ScanState::IntegerDigits;
                    s.digitSeen = true;
                } else if (unit == '.') {
                    ++p;
                    state = ScanState::PointFirst;
                } else if (unit == '0') {
                    ++p;
                    state = ScanState::LeadingZeros;
                    s.digitSeen = true;
                } else if (state == ScanState::Start && (unit == '+' || unit == '-')) {
                    s.negative = unit == '-';
                    ++p;
                    state = ScanState::AfterSign;
                } else {
                    return s;
                }
                break;
            case ScanState::LeadingZeros:
                if (unit == '0') {
                    ++p;
                } else if (IsNonZeroDigit(unit)) {
                    state = ScanState::IntegerDigits;
                } else if (unit == '.') {
                    ++p;
                    state = ScanState::FractionDigits;
                } else if (IsExponentLetter(unit)) {
                    ++p;
                    state = ScanState::ExponentLetter;
                } else {
                    return s;
                }
                break;
            case ScanState::IntegerDigits:
                if (IsDigit(unit)) {
                    ++p;
                    if (s.digitCount < kMaxStoredDigits) {
                        s.digits[s.digitCount++] = static_cast<std::uint8_t>(unit - '0');
                    } else if (s.exponentAdjustment < kAdjustmentLimit) {
                        ++s.exponentAdjustment;
                    }
                } else if (unit == '.') {
                    ++p;
                    state = ScanState::FractionDigits;
                } else if (IsExponentLetter(unit)) {
                    ++p;
                    state = ScanState::ExponentLetter;
                } else {
                    return s;
                }
                break;
            case ScanState::PointFirst:
                if (!IsDigit(unit)) return s;
                state = ScanState::FractionDigits;
                s.digitSeen = true;
                break;
            case ScanState::FractionDigits:
                if (IsDigit(unit)) {
                    ++p;
                    if (unit == '0' && s.digitCount == 0) {
                        if (s.exponentAdjustment > -kAdjustmentLimit) --s.exponentAdjustment;
                    } else if (s.digitCount < kMaxStoredDigits) {
                        s.digits[s.digitCount++] = static_cast<std::uint8_t>(unit - '0');
                        --s.exponentAdjustment;
                    }
                } else if (IsExponentLetter(unit)) {
                    ++p;
                    state = ScanState::ExponentLetter;
                } else {
                    return s;
                }
                break;
            case ScanState::ExponentLetter:
            case ScanState::ExponentSign:
                if (IsNonZeroDigit(unit)) {
                    state = ScanState::ExponentDigits;
                } else if (unit == '0') {
                    ++p;
                    state = ScanState::ExponentZeros;
                } else if (state == ScanState::ExponentLetter && (unit == '+' || unit == '-')) {
                    s.exponentNegative = unit == '-';
                    ++p;
                    state = ScanState::ExponentSign;
                } else {
                    // A letter or sign without digits counts for nothing.
                    s.exponentNegative = false;
                    return s;
                }
                break;
            case ScanState::ExponentZeros:
                if (unit == '0') {
                    ++p;
                } else if (IsNonZeroDigit(unit)) {
                    state = ScanState::ExponentDigits;
                } else {
                    return s;
                }
                break;
            case ScanState::ExponentDigits:
                if (!IsDigit(unit)) return s;
                ++p;
                if (s.exponentValue <= kLargestDecimalExponent) {
                    s.exponentValue = s.exponentValue * 10 + static_cast<int>(unit - '0');
                    if (s.exponentValue > kLargestDecimalExponent)
                        s.exponentValue = kExponentValueCap;
                }
                break;
        }
    }
}

}  // namespace zelquin::reference
