#!/usr/bin/env python3
"""Prints the two power-of-ten tables of the extended arithmetic as C++.

Entry (j, d), for j = 0..3 and d = 1..7, then j = 4 with d = 1 only, holds
10^(d*8^j) (positive table) or 10^-(d*8^j) (negative table), rounded to the
nearest 80-bit significand with bit 79 set. The exponent is biased by 16383
and the value is significand * 2^(exponent - 16383 - 79).

Exact integer arithmetic only; the output is pasted into
conversion/power_tables.cpp.
"""


def nearest_80_bits(num, den):
    """Nearest significand S in [2^79, 2^80) and binary exponent p with
    S * 2^p closest to num/den (num, den positive integers)."""
    # Find p with 2^79 <= num/den * 2^-p < 2^80.
    p = num.bit_length() - den.bit_length() - 79
    while True:
        n, d = (num, den << p) if p >= 0 else (num << -p, den)
        q, r = divmod(n, d)
        if q < (1 << 79):
            p -= 1
            continue
        if q >= (1 << 80):
            p += 1
            continue
        if 2 * r > d or (2 * r == d):
            assert 2 * r != d, "tie"
            q += 1
            if q == (1 << 80):
                q >>= 1
                p += 1
        return q, p


def entries(sign):
    out = []
    for j in range(5):
        for d in range(1, 8):
            if j == 4 and d > 1:
                break
            k = d * 8 ** j
            if sign > 0:
                s, p = nearest_80_bits(10 ** k, 1)
            else:
                s, p = nearest_80_bits(1, 10 ** k)
            exponent = p + 16383 + 79
            out.append((k, s, exponent))
    return out


def emit(name, sign):
    print(f"const ExtendedValue {name}[kPowerTableSize] = {{")
    for k, s, e in entries(sign):
        high, low = s >> 16, s & 0xFFFF
        power = f"10^{k}" if sign > 0 else f"10^-{k}"
        print(f"    {{0x{high:016X}u, 0x{low:04X}u, {e}, false}},  // {power}")
    print("};")


if __name__ == "__main__":
    emit("PositivePowersOfTen", +1)
    print()
    emit("NegativePowersOfTen", -1)
