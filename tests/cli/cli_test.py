#!/usr/bin/env python3
"""Runs zelquin-convert and checks what it writes and how it exits.

    cli_test.py [--version VERSION] GROUP COMMAND...

COMMAND is the program, after the cross compiling emulator if there is one.
GROUP is one of: worked, stdin, explain, json, errors, install (which also
needs --cmake and --build). Exact values are checked
against integer arithmetic done here, never against a float formatter.
"""

import argparse
import fractions
import json
import os
import queue
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

TIMEOUT = 120  # seconds for one run of the program; main() raises it under an emulator

# Pattern text -> value text, option clear.
PATTERN_CASES = [
    ("0x3f800000", "1.000000"),
    ("0x40490fdb", "3.141593"),
    ("0x7f7fffff", "340282346638528860000000000000000000000.000000"),
    ("0x80000001", "-0.000000"),
    ("0x7f800001", "1.#QNAN0"),
    ("0xffc00000", "-1.#IND00"),
    ("0x7f800000", "1.#INF00"),
    ("0xff800000", "-1.#INF00"),
    ("0x100000000", "0.000000"),
    ("0x3ff0000000000000", "1.000000"),
    ("-1", "-1.#QNAN0"),
    ("", "0.000000"),
    ("1065353216", "1.000000"),
    ("07740000000", "1.000000"),
    ("  0xc0000000 junk", "-2.000000"),
    ("\u0661\u0660\u0666\u0665\u0663\u0665\u0663\u0662\u0661\u0666", "1.000000"),  # Arabic-Indic
    ("\u3000\uff10x3f800000", "1.000000"),  # ideographic space, full-width zero
    ("0xffefffffffffffff", "-17976931348623157" + "0" * 292 + ".000000"),
    (" " * 195 + "0x40490fdb", "0.000000"),  # only the first 199 units are read
]

# Pattern text -> value text with --double.
DOUBLE_PATTERN_CASES = [
    ("0x3ff00000", "1.000000"),
    ("0xc0000000", "-2.000000"),
    ("0x3ff0000000000000", "0.000000"),
    ("0x7ff00001", "1.#QNAN0"),
    ("0xfff80000", "-1.#IND00"),
    ("-1", "-1.#QNAN0"),
    ("", "0.000000"),
]

# Pattern text -> value text with --binary64: the integer's 64 bits, whatever its width.
BINARY64_PATTERN_CASES = [
    ("0x1", "0.000000"),
    ("0x3f800000", "0.000000"),
    ("0x3ff0000000000000", "1.000000"),
    ("0x7ff0000000000001", "1.#QNAN0"),
    ("0xfff8000000000000", "-1.#IND00"),
    ("-1", "-1.#QNAN0"),
    ("", "0.000000"),
]

# Value text -> pattern text with the option clear, and with --double (or --binary64).
VALUE_CASES = [
    ("1", "0x3f800000", "0x3ff0000000000000"),
    ("0.1", "0x3dcccccd", "0x3fb999999999999a"),
    ("-0", "0x80000000", "0x8000000000000000"),
    ("1e39", "0x7f800000", "0x48078287f49c4a1d"),
    ("16777217", "0x4b800000", "0x4170000010000000"),
    ("9007199254740995", "0x5a000000", "0x4340000000000001"),
    ("", "0", "0"),
    ("   .25e+2xyz", "0x41c80000", "0x4039000000000000"),
    ("1d5", "0x47c35000", "0x40f86a0000000000"),
    ("-1e400", "0xff800000", "0xfff0000000000000"),
    ("1e-45", "0x1", "0x3696d601ad376ab9"),
    ("1.5\U0001F600", "0x3fc00000", "0x3ff8000000000000"),  # a surrogate pair ends it
    ("\u00a03", "0x40400000", "0x4008000000000000"),
    ("1" * 198 + "e-400", "0x7f800000", None),  # "e" is the 199th unit: the same as 198 ones
    ("1" * 198 + "\U0001F600", "0x7f800000", None),  # half of the pair is read
]

# Full explanation blocks, checked by hand.
EXPLAINED = [
    (["value", "0.1"], """0x3dcccccd
  format      binary32, narrowed from binary64 0x3fb999999999999a
  hex         0x3dcccccd
  binary      0 | 01111011 | 10011001100110011001101
  class       normal
  exponent    -4 (field 123)
  exact       0.100000001490116119384765625
  typed       0.1
  difference  -0.000000001490116119384765625 (typed minus exact)
  shortest    0.1
  nearest     0x3dcccccd (the same bits)
  ulps        -0.20
  next up     0x3dccccce
  next down   0x3dcccccc
  significand 1.60000002384185791015625 (+1.60000002384185791015625 x 2^-4)

"""),
    (["--double", "value", "9007199254740995"], """0x4340000000000001
  format      binary64
  hex         0x4340000000000001
  binary      0 | 10000110100 | 0000000000000000000000000000000000000000000000000001
  class       normal
  exponent    53 (field 1076)
  exact       9007199254740994
  typed       9007199254740995
  difference  +1 (typed minus exact)
  shortest    9007199254740994
  nearest     0x4340000000000002 (differs: the exact half is rounded toward zero)
  ulps        +0.50
  next up     0x4340000000000002
  next down   0x4340000000000000
  significand 1.0000000000000002220446049250313080847263336181640625 (+1.0000000000000002220446049250313080847263336181640625 x 2^53)

"""),
    (["pattern", "0x7f800001"], """1.#QNAN0
  integer     0x7f800001
  format      binary32
  signalling  0x7f800001 is made quiet; the lines below describe the quiet NaN
  hex         0x7fc00001
  binary      0 | 11111111 | 10000000000000000000001
  class       quiet NaN
  exponent    none (field 255)
  exact       not a number
  shortest    NaN
  next up     none
  next down   none
  significand none

"""),
    (["--double", "pattern", "0x3ff00000"], """1.000000
  integer     0x3ff00000
  format      binary64, the integer's low 32 bits as its upper half, with "Treat as 'double'" set
  hex         0x3ff0000000000000
  binary      0 | 01111111111 | 0000000000000000000000000000000000000000000000000000
  class       normal
  exponent    0 (field 1023)
  exact       1
  shortest    1
  next up     0x3ff0000000000001
  next down   0x3fefffffffffffff
  significand 1 (+1 x 2^0)

"""),
    (["pattern", "0x80000001"], """-0.000000
  integer     0x80000001
  format      binary32
  hex         0x80000001
  binary      1 | 00000000 | 00000000000000000000001
  class       subnormal
  exponent    -126 (field 0), no leading 1
  exact       -0.00000000000000000000000000000000000000000000140129846432481707092372958328991613128026194187651577175706828388979108268586060148663818836212158203125
  shortest    -1e-45
  next up     0x80000000
  next down   0x80000002
  significand 0.00000011920928955078125 (-0.00000011920928955078125 x 2^-126)

"""),
]

# (arguments, class line, whether a signalling NaN was made quiet)
CLASSES = [
    (["pattern", "0"], "zero", False),
    (["pattern", "0x80000000"], "zero", False),
    (["pattern", "0x1"], "subnormal", False),
    (["pattern", "0x3f800000"], "normal", False),
    (["pattern", "0xff800000"], "infinity", False),
    (["pattern", "0x7fc00000"], "quiet NaN", False),
    (["pattern", "0xffc00000"], "indefinite NaN", False),
    (["pattern", "0x7ff80000ffffffff"], "quiet NaN", False),
    (["pattern", "0xfff8000000000000"], "indefinite NaN", False),
    (["pattern", "0xfff0000000000001"], "quiet NaN", True),
    (["pattern", "0xff800001"], "quiet NaN", True),
    (["pattern", "0xffa00000"], "quiet NaN", True),
    (["--double", "pattern", "0xfff40000"], "quiet NaN", True),
    (["--double", "pattern", "0x80000"], "subnormal", False),
    (["--double", "pattern", "0x7ff00000"], "infinity", False),
    (["value", "1e-40"], "subnormal", False),
    (["--double", "value", "-1e-320"], "subnormal", False),
    (["--double", "value", "1e-400"], "zero", False),
    (["--binary64", "pattern", "0x1"], "subnormal", False),
    (["--binary64", "pattern", "0x7ff0000000000001"], "quiet NaN", True),
    (["--binary64", "value", "-1e-320"], "subnormal", False),
]

# (arguments, label, the whole line): the notes on how a pattern was read, and
# the format lines of --binary64.
LINES = [
    (["pattern", "-1"], "integer", "0xffffffffffffffff (a negative number, wrapped modulo 2^64)"),
    (["pattern", "-0"], "integer", "0"),
    (["pattern", "18446744073709551615"], "integer", "0xffffffffffffffff"),
    (["pattern", "18446744073709551616"], "integer",
     "0xffffffffffffffff (the digits overflowed and were read as 0xffffffffffffffff)"),
    (["pattern", "-0x1ffffffffffffffff z"], "integer",
     "0xffffffffffffffff (the digits overflowed and were read as 0xffffffffffffffff;"
     " the text after the number is ignored)"),
    (["pattern", "0x3f80junk"], "integer", "0x3f80 (the text after the number is ignored)"),
    (["pattern", "0x"], "integer", "0 (no number at the start of the text)"),
    (["pattern", "- 1"], "integer", "0 (no number at the start of the text)"),
    (["--double", "pattern", "0x3ff00000 "], "integer", "0x3ff00000 (the text after the number is ignored)"),
    (["--binary64", "pattern", "0x1"], "format", "binary64, the integer's 64 bits"),
    # Other formats: the layout, overflow, the chain of --via, the interval and
    # hexadecimal float, the x87 classes, the landmarks.
    (["--format", "float8_e4m3fn", "value", "465"], "overflow",
     "The number lies beyond the largest finite value, 448: it gives NaN, as float8_e4m3fn has no infinity"),
    (["--format", "float8_e4m3fn", "--overflow", "saturate", "value", "465"], "overflow",
     "The number lies beyond the largest finite value, 448: it saturates to that value"),
    (["--format", "float8_e4m3fn", "value", "465"], "format",
     "float8_e4m3fn: a sign bit, 4 exponent bits, 3 fraction bits, bias 7; no infinities; NaN only with every"
     " exponent and fraction bit set; subnormals"),
    (["--format", "bfloat16", "--via", "binary32", "value", "1.00390625001"], "via",
     "binary32 0x3f808000, then bfloat16 0x3f80; rounded once, 0x3f81 (differs)"),
    (["--format", "float8_e4m3fn", "pattern", "0x7e"], "interval", "[432, 464]"),
    (["--format", "float8_e4m3fn", "pattern", "0x7e"], "hex float", "0x1.cp+8"),
    (["--format", "float8_e4m3fn", "pattern", "0x7e"], "landmarks",
     "largest finite 0x7e = 448; smallest normal 0x08 = 0.015625; smallest subnormal 0x01 = 0.001953125; one 0x38"
     " = 1; next above one 0x39 = 1.125; NaN 0x7f = NaN"),
    (["--format", "binary16", "pattern", "0x7c00"], "interval", "[65520, infinity)"),
    (["--format", "x87-extended", "pattern", "0x3fff0000000000000001"], "class", "unnormal"),
    (["--format", "x87-extended", "pattern", "0x7fff0000000000000000"], "class", "pseudo-infinity"),
    (["--format", "float8_e4m3fnuz", "pattern", "-1"], "integer", "0xff (a negative number, wrapped)"),
    (["--double", "pattern", "0x3fb999999999999a"], "format",
     "binary64, the integer's low 32 bits as its upper half, with \"Treat as 'double'\" set; its upper 32 bits,"
     " 0x3fb99999, are dropped"),
    (["--binary64", "value", "0.1"], "format", "binary64"),
    # What a correctly rounding reader stores, and which of Zelquin's reading
    # rules made the difference: the 26th of 30 digits, the 80-bit
    # intermediate, the exact half, the binary32 through the binary64.
    (["--double", "value", "1.00000000000000011102230250001"], "nearest",
     "0x3ff0000000000001 (differs: the significant digits after the 24th are dropped, the 25th rounding"
     " the 24th)"),
    (["--double", "value", "1.00000000000000011102230240001"], "nearest", "0x3ff0000000000000 (the same bits)"),
    (["--double", "value", "8997742649981799375319e-7"], "nearest",
     "0x430992b82b8bc920 (differs: the 80-bit intermediate is rounded)"),
    (["value", "9007199254740995"], "nearest", "0x5a000000 (the same bits)"),
    (["value", "1.0000000596046448"], "nearest",
     "0x3f800001 (differs: the binary32 is rounded from the binary64)"),
    # Exact arithmetic alone would still give Zelquin's pattern: the binary32
    # is also rounded from the binary64.
    (["value", "1.4669116139411926269532e0"], "nearest",
     "0x3fbbc3c3 (differs: the 80-bit intermediate is rounded, and also the binary32 is rounded from the"
     " binary64)"),
    (["value", "16777217"], "nearest", "0x4b800000 (the same bits)"),
    (["value", "3.4028236e38"], "nearest", "0x7f800000 (the same bits)"),
    (["value", "-0"], "nearest", "0x80000000 (the same bits)"),
    (["value", "x"], "nearest", "0x00000000 (the same bits)"),
    # The difference in units in the last place: none to infinity, "0" for
    # none at all, and the largest finite number measured by the spacing below.
    (["value", "3.4028236e38"], "ulps", "none: the stored number is infinite"),
    (["value", "0.5"], "ulps", "0"),
    (["value", "3.4028235e38"], "ulps", "+0.17"),
    (["--double", "value", "1e-400"], "ulps", "+0.00"),
    (["--double", "value", "-1e-400"], "ulps", "-0.00"),
    # Neighbours at the ends of the format, and across zero.
    (["pattern", "0x7f7fffff"], "next up", "0x7f800000"),
    (["pattern", "0x7f800000"], "next up", "none"),
    (["pattern", "0xff800000"], "next up", "0xff7fffff"),
    (["pattern", "0xff800000"], "next down", "none"),
    (["pattern", "0"], "next down", "0x80000001"),
    (["pattern", "0x80000000"], "next up", "0x00000001"),
    (["pattern", "0x80000001"], "next up", "0x80000000"),
    (["pattern", "0x7fc00000"], "next up", "none"),
    # The shortest text in the script form: plain up to 21 integer digits and
    # down to 0.000001, an exponent beyond.
    (["--binary64", "pattern", "0x7fefffffffffffff"], "shortest", "1.7976931348623157e+308"),
    (["--binary64", "pattern", "0x1"], "shortest", "5e-324"),
    (["--binary64", "pattern", "0x444b1ae4d6e2ef50"], "shortest", "1e+21"),
    (["--binary64", "pattern", "0x4415af1d78b58c40"], "shortest", "100000000000000000000"),
    (["--binary64", "pattern", "0x3eb0c6f7a0b5ed8d"], "shortest", "0.000001"),
    (["--binary64", "pattern", "0x3e7ad7f29abcaf48"], "shortest", "1e-7"),
    (["pattern", "0x7f7fffff"], "shortest", "3.4028235e+38"),
    (["pattern", "0x80000000"], "shortest", "-0"),
    (["pattern", "0xff800000"], "shortest", "-Infinity"),
    (["pattern", "0x3dcccccd"], "significand", "1.60000002384185791015625 (+1.60000002384185791015625 x 2^-4)"),
    (["pattern", "0"], "significand", "0 (+0 x 2^-126)"),
]

SMALLEST_DOUBLE = (
    "49406564584124654417656879286822137236505980261432476442558568250067550727020875186529983636163599"
    "23797965646954457177309266567103559397963987747960107818781263007131903114045278458171678489821036"
    "88718636056998730723050006387409153564984387312473397273169615140031715385398074126238565591171026"
    "65855668676818703956031062493194527159149245532930545654440112748012970999954193198940908041656332"
    "45247571478690147267801593552386115501348035264934720193790268107107491703332226844753335720832431"
    "93609238289345836806010601150616980975307834227731832924790498252473077637592724787465608477820373"
    "44696995336470179726777175851256605511991315048911014510378627381672509558373897335989936648099411"
    "642057026370902792427675445652290875386825064197182655334472656250")

# (arguments, exact line, typed line, difference line), checked by hand.
EXACT_CASES = [
    (["pattern", "0x7f7fffff"], "340282346638528859811704183484516925440", None, None),
    (["--double", "pattern", "0x1"], "0." + "0" * 313 + "212199579096527231511138221486320883199617", None, None),
    (["value", "16777217"], "16777216", "16777217", "+1 (typed minus exact)"),
    (["value", "9007199254740995"], "9007199254740992", "9007199254740995", "+3 (typed minus exact)"),
    (["--double", "value", "0.1"], "0.1000000000000000055511151231257827021181583404541015625", "0.1",
     "-0.0000000000000000055511151231257827021181583404541015625 (typed minus exact)"),
    (["value", "-0"], "-0", "-0", "0 (typed minus exact)"),
    (["--double", "value", "-0.0e7"], "-0", "-0", "0 (typed minus exact)"),
    (["value", ""], "0", "0 (no number at the start of the text)", "0 (typed minus exact)"),
    (["value", "."], "0", "0 (no number at the start of the text)", "0 (typed minus exact)"),
    (["value", "1.5abc"], "1.5", "1.5 (the text after the number is ignored)", "0 (typed minus exact)"),
    (["value", "1e+"], "1", "1 (the text after the number is ignored)", "0 (typed minus exact)"),
    (["value", "-2.5D1"], "-25", "-25", "0 (typed minus exact)"),
    (["value", "1e39"], "infinity", "1" + "0" * 39, "none: the stored number is infinite"),
    (["--double", "value", "1.00000000000000000000000001"], "1", "1.00000000000000000000000001",
     "+0.00000000000000000000000001 (typed minus exact)"),
    (["--double", "value", "-1e-5000"], "-0", "-1e-5000", "-1e-5000 (typed minus exact)"),
    (["value", "12.5e-100000000000000000000"], "0", "1.25e-99999999999999999999",
     "+1.25e-99999999999999999999 (typed minus exact)"),
    (["value", "-0.0125e+100000000000000000000"], "-infinity", "-1.25e+99999999999999999998",
     "none: the stored number is infinite"),
]


class Checker:
    def __init__(self, command):
        self.command = command
        self.windows = command[-1].lower().endswith(".exe")
        self.env = dict(os.environ)
        # Arguments reach a Windows program through the locale's encoding.
        self.env["LC_ALL"] = "C.UTF-8"
        self.env.setdefault("WINEDEBUG", "-all")
        self.checks = 0
        self.failures = []

    def run(self, args, stdin=b""):
        result = subprocess.run(self.command + args, input=stdin, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, env=self.env, timeout=TIMEOUT)
        return result.returncode, result.stdout, result.stderr

    def start(self, args):
        return subprocess.Popen(self.command + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, env=self.env)

    def explain_all(self, cases):
        """The --explain blocks for argument lists that end with one text,
        from one run for each set of options and command."""
        runs = {}
        for index, args in enumerate(cases):
            runs.setdefault(tuple(args[:-1]), []).append(index)
        blocks = [None] * len(cases)
        for start, indexes in runs.items():
            status, out, err = self.run(["--explain"] + list(start) + [cases[i][-1] for i in indexes])
            self.expect("status of --explain %s" % list(start), status, 0)
            for index, block in zip(indexes, blocks_of(out)):
                blocks[index] = block
        return blocks

    def expect(self, what, actual, expected):
        self.checks += 1
        if actual != expected:
            self.failures.append("%s:\n    expected %r\n    actual   %r" % (what, expected, actual))

    def expect_true(self, what, condition):
        self.checks += 1
        if not condition:
            self.failures.append(what)


def lines_of(output):
    text = output.decode("ascii")
    assert text == "" or text.endswith("\n"), "output ends without LF"
    return text.split("\n")[:-1]


def blocks_of(output):
    """Splits --explain output into (result line, block lines) pairs."""
    blocks = []
    lines = lines_of(output)
    i = 0
    while i < len(lines):
        end = lines.index("", i + 1)
        blocks.append((lines[i], lines[i + 1:end]))
        i = end + 1
    return blocks


def field(block, label):
    prefix = "  %-12s" % label
    found = [line[len(prefix):] for line in block if line.startswith(prefix)]
    return found[0] if found else None


# Exact values by integer arithmetic.

def exact_fraction(bits, is_double):
    fraction_bits, exponent_bits = (52, 11) if is_double else (23, 8)
    bias = (1 << (exponent_bits - 1)) - 1
    sign = -1 if bits >> (fraction_bits + exponent_bits) else 1
    exponent = (bits >> fraction_bits) & ((1 << exponent_bits) - 1)
    fraction = bits & ((1 << fraction_bits) - 1)
    if exponent == 0:
        return sign * fractions.Fraction(fraction) * fractions.Fraction(2) ** (1 - bias - fraction_bits)
    significand = fraction | (1 << fraction_bits)
    return sign * fractions.Fraction(significand) * fractions.Fraction(2) ** (exponent - bias - fraction_bits)


def nearest_bits(value, is_double, negative):
    """The pattern nearest to a fraction (ties to even), as a correctly rounding reader stores it."""
    fraction_bits, exponent_bits = (52, 11) if is_double else (23, 8)
    bias = (1 << (exponent_bits - 1)) - 1
    sign = 1 << (fraction_bits + exponent_bits)
    magnitude = abs(value)
    if magnitude == 0:
        return sign if negative else 0
    # The unit of the binade, no finer than the subnormals' unit.
    exponent = max(magnitude.numerator.bit_length() - magnitude.denominator.bit_length() + 1, 2 - bias)
    while exponent > 2 - bias and magnitude < fractions.Fraction(2) ** (exponent - 1):
        exponent -= 1
    while magnitude >= fractions.Fraction(2) ** exponent:
        exponent += 1
    unit = fractions.Fraction(2) ** (exponent - 1 - fraction_bits)
    units = round(magnitude / unit)  # half to even
    bits = units + ((exponent - 1 + bias - 1) << fraction_bits) if units >= 1 << fraction_bits else units
    if exponent - 1 + bias <= 0:
        bits = units
    bits = min(bits, ((1 << exponent_bits) - 1) << fraction_bits)
    return bits | (sign if value < 0 or negative else 0)


def script_text(value, is_double):
    """The shortest decimal that reads back to a finite non-zero fraction, in the script form."""
    magnitude = abs(value)
    for count in range(1, 18):
        exponent = 0
        while fractions.Fraction(10) ** exponent <= magnitude:
            exponent += 1
        while fractions.Fraction(10) ** (exponent - 1) > magnitude:
            exponent -= 1
        unit = fractions.Fraction(10) ** (exponent - count)
        low = magnitude // unit
        fits = [d for d in (low, low + 1)
                if nearest_bits(d * unit, is_double, False) == nearest_bits(magnitude, is_double, False)]
        if fits:
            fits.sort(key=lambda d: (abs(d * unit - magnitude), d % 2))
            digits = str(fits[0]).rstrip("0")
            point = exponent + len(str(fits[0])) - count
            break
    sign = "-" if value < 0 else ""
    if len(digits) <= point <= 21:
        return sign + digits + "0" * (point - len(digits))
    if 0 < point <= 21:
        return sign + digits[:point] + "." + digits[point:]
    if -6 < point <= 0:
        return sign + "0." + "0" * -point + digits
    mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
    return sign + mantissa + "e%+d" % (point - 1)


def positional(value):
    """The exact decimal text of a fraction whose denominator is a power of two."""
    sign = "-" if value < 0 else ""
    places = value.denominator.bit_length() - 1
    assert value.denominator == 1 << places
    digits = str(abs(value.numerator) * 5 ** places).rjust(places + 1, "0")
    if places == 0:
        return sign + digits
    return sign + digits[:-places] + "." + digits[-places:]


def as_fraction(text):
    return fractions.Fraction(text.split(" ")[0])


# Groups.

# Other formats: (options, command and texts, the result lines).
FORMAT_CASES = [
    # Machine-learning formats' corner cases: a tie to even, overflow to NaN or
    # saturating, the one NaN and no -0 of fnuz, float8_e8m0fnu's powers of two
    # and float4's eight magnitudes.
    (["--format", "float8_e4m3fn"], ["value", "464", "465", "448", "-0"], ["0x7e", "0x7f", "0x7e", "0x80"]),
    (["--format", "float8_e4m3fn", "--overflow", "saturate"], ["value", "465", "-1e9"], ["0x7e", "0xfe"]),
    (["--format", "float8_e4m3fn"], ["pattern", "0x7e", "0b11111111", "0x7f"], ["450", "NaN", "NaN"]),
    (["--format", "float8_e4m3fnuz"], ["value", "-0", "-1e-9"], ["0x00", "0x00"]),
    (["--format", "float8_e4m3fnuz"], ["pattern", "0x80", "0"], ["NaN", "0"]),
    (["--format", "float8_e8m0fnu"], ["pattern", "0", "0x7f", "0xfe", "0xff"], ["6e-39", "1", "2e+38", "NaN"]),
    (["--format", "float8_e8m0fnu"], ["value", "0", "1", "3"], ["0xff", "0x7f", "0x80"]),
    (["--format", "float4_e2m1fn"], ["pattern", "0", "1", "2", "3", "4", "5", "6", "7", "15"],
     ["0", "0.5", "1", "1.5", "2", "3", "4", "6", "-6"]),
    # binary16's overflow, and hexadecimal floats read exactly.
    (["--format", "binary16"], ["value", "65520", "65519", "0x1p-24", "-0x1p+4"], ["0x7c00", "0x7bff", "0x0001", "0xcc00"]),
    # Every rounding mode at a bfloat16 tie, and a bfloat16 through binary32.
    (["--format", "bfloat16", "--rounding", "nearest-away"], ["value", "1.00390625", "-1.00390625"], ["0x3f81", "0xbf81"]),
    (["--format", "bfloat16", "--rounding", "up"], ["value", "1.00390625", "-1.00390625"], ["0x3f81", "0xbf80"]),
    (["--format", "bfloat16", "--rounding", "down"], ["value", "1.00390625", "-1.00390625"], ["0x3f80", "0xbf81"]),
    (["--format", "bfloat16", "--rounding=toward-zero"], ["value", "-1.00390625"], ["0xbf80"]),
    (["--format", "bfloat16", "--via", "binary32"], ["value", "1.00390625001"], ["0x3f80"]),
    # Widths that are no whole bytes, and the widest: every digit.
    (["--format", "tf32"], ["value", "1"], ["0x1fc00"]),
    (["--format", "x87-extended"], ["value", "1", "-0", "1e4933"],
     ["0x3fff8000000000000000", "0x80000000000000000000", "0x7fff8000000000000000"]),
    (["--format=quad"], ["value", "1", "0x1p-16494"],
     ["0x3fff0000000000000000000000000000", "0x00000000000000000000000000000001"]),
    (["--format", "e5m10"], ["value", "1"], ["0x3c00"]),
    # binary32 and binary64 by name are Zelquin's own.
    (["--format", "binary32"], ["value", "16777217"], ["0x4b800000"]),
    (["--format", "binary64"], ["pattern", "0x1"], ["0.000000"]),
]


def check_worked(c):
    for options, args, expected in FORMAT_CASES:
        status, out, err = c.run(options + args)
        c.expect("%s %s" % (" ".join(options), " ".join(args)), (status, lines_of(out), err), (0, expected, b""))
    for options, result in ((["--format", "float8_e4m3fn"], "0x7f"),
                            (["--format", "float8_e4m3fn", "--overflow", "saturate"], "0x7e")):
        status, out, err = c.run(options + ["--json", "value", "465"])
        c.expect("%s --json value 465" % " ".join(options), (status, json_lines(out)[0]["result"]), (0, result))
    for option, cases in (([], PATTERN_CASES), (["--double"], DOUBLE_PATTERN_CASES),
                          (["--binary64"], BINARY64_PATTERN_CASES)):
        texts = [t for t, _ in cases]
        expected = [v for _, v in cases]
        status, out, err = c.run(option + ["pattern"] + texts)
        c.expect("pattern %s as arguments" % option, (status, lines_of(out)), (0, expected))
        status, out, err = c.run(option + ["pattern"], "".join(t + "\n" for t in texts).encode())
        c.expect("pattern %s on standard input" % option, (status, lines_of(out)), (0, expected))
    for index, option in ((1, []), (2, ["--double"]), (2, ["--binary64"])):
        # A cut text gives what 198 ones give, the last text here.
        texts = [case[0] for case in VALUE_CASES] + ["1" * 198]
        expected = [case[index] for case in VALUE_CASES]
        for how, (status, out, err) in (
                ("as arguments", c.run(option + ["value"] + texts)),
                ("on standard input, CR LF", c.run(option + ["value"], "".join(t + "\r\n" for t in texts).encode()))):
            got = lines_of(out)
            c.expect("value %s %s" % (option, how), (status, got[:-1]),
                     (0, [e if e is not None else got[-1] for e in expected]))


def check_stdin(c):
    # Line ends: LF, CR LF, a CR at the very end, no line end at all.
    for stdin, expected in [
        (b"", []),
        (b"0x3f800000\r", ["1.000000"]),
        # A byte-order mark is skipped at the start of the input, and only there.
        (b"\xef\xbb\xbf0x3f800000\n\xef\xbb\xbf0x3f800000\n", ["1.000000", "0.000000"]),
        (b"\xef\xbb\xbf", []),
        (b"\n\xef\xbb\xbf0x3f800000", ["0.000000", "0.000000"]),
        (b"\n0x3f800000\r\n\r\n"
         b"0x3f8\r00000\n"  # a CR inside the line ends the number
         b"0x3f800000\x000x40490fdb\n\x00\n"  # a NUL ends the text
         b"0x40490fdb", ["0.000000", "1.000000", "0.000000", "0.000000", "1.000000", "0.000000", "3.141593"]),
    ]:
        status, out, err = c.run(["pattern"], stdin)
        c.expect("pattern lines %r" % stdin, (status, lines_of(out)), (0, expected))

    # Texts that are not UTF-8 keep their line, empty, and make the status 1.
    # Very long lines: only the first 199 units count, all of it is checked.
    bad = [b"\xff", b"\x80", b"\xc0\x80", b"\xed\xa0\x80", b"\xf4\x90\x80\x80", b"1\xe2\x82", b"\xf5",
           b"2\xc3(", b"1" + b" " * 1000000 + b"\xfe"]
    stdin = (b"1\n" + b"\n".join(bad) + b"\n\xf4\x8f\xbf\xbf2\n" + b"1" * 3000000 + b"\n" + b" " * 1000000 +
             b"2\n3")
    status, out, err = c.run(["value"], stdin)
    c.expect("invalid lines keep their place", (status, lines_of(out)),
             (1, ["0x3f800000"] + [""] * len(bad) + ["0", "0x7f800000", "0", "0x40400000"]))
    messages = err.decode("utf-8", "replace")
    c.expect_true("every invalid line is reported by number: %r" % messages,
                  all("line %d: not valid UTF-8" % (i + 2) in messages for i in range(len(bad))))
    c.expect_true("the byte is reported: %r" % messages, "line 7: not valid UTF-8 at byte 2" in messages)
    c.expect_true("valid lines are not reported", "line 1:" not in messages and "line 12:" not in messages)
    status, out, err = c.run(["--explain", "pattern"], b"\xff\n")
    c.expect("invalid line with --explain", (status, out), (1, b"\n  not converted: not valid UTF-8\n\n"))

    # Many lines stay aligned.
    values = ["%d" % (i * 7919 % 100003) for i in range(100000)]
    status, out, err = c.run(["--double", "value"], "\n".join(values).encode())
    got = lines_of(out)
    c.expect("100000 lines give 100000 results", (status, len(got)), (0, len(values)))
    c.expect("line 100000", got[-1:], ["0x%x" % double_bits_of_integer(int(values[-1]))])
    c.expect("line 77777", got[77776:77777], ["0x%x" % double_bits_of_integer(int(values[77776]))])

    # As a co-process: each answer comes before the next line is written. The
    # emulator's wrapper hands over the output only when the program ends.
    if c.windows:
        return
    # A byte-order mark that arrives in two reads is still skipped.
    process = c.start(["pattern"])
    process.stdin.write(b"\xef")
    process.stdin.flush()
    time.sleep(0.2)
    out, err = process.communicate(b"\xbb\xbf0x3f800000\n", timeout=TIMEOUT)
    c.expect("byte-order mark in two reads", (process.returncode, out), (0, b"1.000000\n"))
    for args, texts in [
        (["pattern"], [("0x3f800000", b"1.000000\n"), ("0x40490fdb", b"3.141593\n"), ("\xff", b"\n"),
                       ("-1", b"-1.#QNAN0\n")]),
        (["--explain", "value"], [("0.1", b"0x3dcccccd\n"), ("", b"0\n"), ("1e39", b"0x7f800000\n")]),
    ]:
        process = c.start(args)
        answers = queue.Queue()
        threading.Thread(target=lambda out=process.stdout, q=answers: [q.put(l) for l in iter(out.readline, b"")],
                         daemon=True).start()
        try:
            for text, answer in texts:
                data = b"\xff" if text == "\xff" else text.encode()
                process.stdin.write(data + b"\n")
                process.stdin.flush()
                first = answers.get(timeout=TIMEOUT)
                if "--explain" in args:  # the block up to its empty line
                    while answers.get(timeout=TIMEOUT) != b"\n":
                        pass
                c.expect("co-process answer to %r" % text, first, answer)
            process.stdin.close()
            process.wait(timeout=TIMEOUT)
            c.expect_true("co-process ends when its input ends", answers.empty())
        except queue.Empty:
            c.expect_true("co-process %s answers every line at once" % args, False)
            process.kill()
            process.wait()


def double_bits_of_integer(n):
    """binary64 bits of a positive integer below 2^53."""
    exponent = n.bit_length() - 1
    return ((exponent + 1023) << 52) | ((n << (52 - exponent)) & ((1 << 52) - 1)) if n else 0


def check_explain(c):
    cases = ([args for args, _ in EXPLAINED] + [args for args, _, _ in CLASSES] + [args for args, _, _ in LINES] +
             [args for args, _, _, _ in EXACT_CASES] + [["--double", "value", "5e-324"], ["value", "1" * 250]])
    blocks = c.explain_all(cases)
    for (args, expected), (result, block) in zip(EXPLAINED, blocks):
        c.expect("explanation of %s" % args, "\n".join([result] + block + ["", ""]), expected)
    blocks = blocks[len(EXPLAINED):]

    for (args, expected, quieted), (result, block) in zip(CLASSES, blocks):
        c.expect("class of %s" % args, field(block, "class"), expected)
        c.expect("signalling NaN noted for %s" % args, field(block, "signalling") is not None, quieted)
    blocks = blocks[len(CLASSES):]

    for (args, label, expected), (result, block) in zip(LINES, blocks):
        c.expect("%s line for %s" % (label, args), field(block, label), expected)
    blocks = blocks[len(LINES):]

    for (args, exact, typed, difference), (result, block) in zip(EXACT_CASES, blocks):
        c.expect("exact value for %s" % args, field(block, "exact")[:len(exact)], exact)
        c.expect("typed decimal for %s" % args, field(block, "typed"), typed)
        c.expect("difference for %s" % args, field(block, "difference"), difference)
    blocks = blocks[len(EXACT_CASES):]

    exact = field(blocks[0][1], "exact")
    c.expect("smallest binary64 subnormal", exact, "0." + "0" * 323 + SMALLEST_DOUBLE.rstrip("0"))
    c.expect("its significant digits", len(exact) - 2 - 323, 751)
    c.expect("read line", field(blocks[1][1], "read"), "the first 199 of 250 UTF-16 units of the text")
    c.expect("typed decimal of a cut text", field(blocks[1][1], "typed"), "1" * 199)

    # Exact values of many patterns, against integer arithmetic here.
    rng = random.Random(20240607)
    patterns = []
    for _ in range(300):
        for width in (32, 64):
            bits = rng.getrandbits(width)
            if rng.random() < 0.3:  # subnormals and the smallest numbers
                bits &= (1 << (width - 1)) | ((1 << rng.randint(1, width - 12)) - 1)
            patterns.append((bits, width))
    stdin = "".join("0x%x\n" % bits for bits, _ in patterns).encode()
    status, out, err = c.run(["--explain", "pattern"], stdin)
    blocks = blocks_of(out)
    c.expect("one block per pattern", len(blocks), len(patterns))
    for (bits, width), (result, block) in zip(patterns, blocks):
        is_double = width == 64 and bits > 0xFFFFFFFF
        c.expect("hex of 0x%x" % bits, int(field(block, "hex"), 16), quieted_bits(bits, is_double))
        exact = field(block, "exact")
        if exact not in ("not a number", "infinity", "-infinity"):
            expected = positional(exact_fraction(bits, is_double))
            if expected == "0" and bits >> (63 if is_double else 31):
                expected = "-0"
            c.expect("exact value of 0x%x" % bits, exact, expected)
            if expected not in ("0", "-0"):
                c.expect("shortest of 0x%x" % bits, field(block, "shortest"),
                         script_text(exact_fraction(bits, is_double), is_double))

    # Typed decimals and differences of many texts, as exact fractions.
    texts = []
    for _ in range(400):
        digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 40)))
        point = rng.randint(0, len(digits))
        text = digits[:point] + "." + digits[point:] if point < len(digits) else digits
        exponent = rng.choice([rng.randint(-50, 50), rng.randint(-340, 310)])
        texts.append(rng.choice(["", "-"]) + text + "e%d" % exponent)
    for option, is_double in (([], False), (["--double"], True)):
        stdin = "".join(t + "\n" for t in texts).encode()
        status, out, err = c.run(["--explain"] + option + ["value"], stdin)
        blocks = blocks_of(out)
        c.expect("one block per value", len(blocks), len(texts))
        for text, (result, block) in zip(texts, blocks):
            bits = int(field(block, "hex"), 16)
            c.expect("hex of %s" % text, bits, int(result, 16))
            typed = as_fraction(field(block, "typed"))
            c.expect("typed decimal of %s" % text, typed, fractions.Fraction(text))
            if field(block, "exact").endswith("infinity"):
                c.expect("no difference to infinity", field(block, "difference"),
                         "none: the stored number is infinite")
                continue
            exact = exact_fraction(bits, is_double)
            c.expect("exact value of %s" % text, as_fraction(field(block, "exact")), exact)
            c.expect("difference of %s" % text, as_fraction(field(block, "difference")), typed - exact)
            ulp = exact_fraction(nearest_bits(abs(exact), is_double, False) + 1, is_double) - abs(exact)
            ulps = round((typed - exact) / ulp, 2)
            c.expect("ulps of %s" % text, field(block, "ulps"),
                     "0" if typed == exact else ("-" if typed < exact else "+") + "%.2f" % abs(ulps))
        nearest = nearest_bits(typed, is_double, text.startswith("-"))
        c.expect("nearest of %s" % text, int(field(block, "nearest").split(" ")[0], 16), nearest)
        c.expect("differs of %s" % text, "(differs: " in field(block, "nearest"), nearest != bits)


JSON_KEYS = ["command", "text", "textUnits", "result", "format", "hex", "sign", "exponentField", "fraction", "class",
             "exponent", "exact", "integer", "typed", "difference", "truncated", "noNumber", "textAfterIgnored",
             "overflowed", "wrapped", "quietedFrom", "narrowedFrom", "shortest", "nearest", "nearestDiffers",
             "differsBecause", "ulps", "nextUp", "nextDown", "significand", "differsAlsoBecause", "notes", "lines",
             "bits", "nextUpEntry", "nextDownEntry", "nearestEntry", "hexFloat", "interval", "rounding", "overflow",
             "via", "viaResult", "landmarks", "landmarkEntries"]
NO_NUMBER = " (no number at the start of the text)"
TEXT_AFTER = " (the text after the number is ignored)"
OVERFLOWED = " (the digits overflowed and were read as 0xffffffffffffffff)"
WRAPPED = " (a negative number, wrapped modulo 2^64)"


def json_texts(rng, command):
    """A few hundred texts for one command: random numbers and every note."""
    if command == "pattern":
        texts = ["0x%x" % rng.getrandbits(rng.choice([32, 64])) for _ in range(150)]
        texts += ["-1", "-0x3f800000", "99999999999999999999999", "0x3f80 junk", "x", "", "0x7f800001",
                  "0xfff0000000000001", "0x7ff4000000000000", "\u0661\u0662", " " * 195 + "0x40490fdb", "1\U0001F600"]
    else:
        texts = ["%s%de%d" % (rng.choice(["", "-"]), rng.getrandbits(rng.randint(1, 80)), rng.randint(-340, 310))
                 for _ in range(150)]
        texts += ["", "-0", "1e39", "1.5abc", ".", "1" * 250, "-1e-400", "-1e400", "1.5\U0001F600", "\u00a03",
                  "12.5e-100000000000000000000"]
    return texts


def check_json_object(c, what, obj, text, result, block):
    """One --json object against the --explain block of the same text."""
    c.expect("members of %s" % what, list(obj), JSON_KEYS)
    if list(obj) != JSON_KEYS:
        return
    # The lines are the block's, label and text.
    c.expect("lines of %s" % what, obj["lines"],
             [[line[2:14].rstrip(), line[14:]] for line in block])
    units = len(text.encode("utf-16-le")) // 2
    c.expect("text of %s" % what, (obj["text"], obj["textUnits"], obj["truncated"]),
             (text.encode("utf-16-le")[:2 * 199].decode("utf-16-le"), units, field(block, "read") is not None))
    c.expect("result of %s" % what, obj["result"], result)
    sign, exponent_bits, fraction_bits = field(block, "binary").split(" | ")
    c.expect("fields of %s" % what,
             (obj["format"], obj["hex"], obj["sign"], obj["exponentField"], int(obj["fraction"], 16),
              len(obj["fraction"]) - 2, obj["class"]),
             ("binary64" if len(fraction_bits) == 52 else "binary32", field(block, "hex"), int(sign),
              int(exponent_bits, 2), int(fraction_bits, 2), (len(fraction_bits) + 3) // 4, field(block, "class")))
    exponent = field(block, "exponent").split(" ")[0]
    c.expect("exponent of %s" % what, obj["exponent"], None if exponent == "none" else int(exponent))
    exact = field(block, "exact")
    c.expect("exact of %s" % what, obj["exact"],
             None if exact in ("infinity", "-infinity", "not a number") else exact)
    signalling = field(block, "signalling")
    c.expect("quietedFrom of %s" % what, obj["quietedFrom"], signalling and signalling.split(" ")[0])
    narrowed = field(block, "format").split("narrowed from binary64 ")
    c.expect("narrowedFrom of %s" % what, obj["narrowedFrom"], narrowed[1] if len(narrowed) == 2 else None)
    notes = field(block, "integer") if obj["command"] == "pattern" else field(block, "typed")
    c.expect("notes of %s" % what, (obj["noNumber"], obj["textAfterIgnored"], obj["overflowed"], obj["wrapped"]),
             (NO_NUMBER in notes, TEXT_AFTER in notes, OVERFLOWED in notes, WRAPPED in notes))
    bare = notes.split(" ")[0]
    c.expect("shortest of %s" % what, obj["shortest"], field(block, "shortest"))
    neighbours = [field(block, label) for label in ("next up", "next down")]
    c.expect("neighbours of %s" % what, [obj["nextUp"], obj["nextDown"]],
             [None if n == "none" else n for n in neighbours])
    significand = field(block, "significand")
    c.expect("significand of %s" % what, obj["significand"],
             None if significand == "none" else significand.split(" ")[0])
    if obj["command"] == "pattern":
        c.expect("integer of %s" % what, (obj["integer"], obj["typed"], obj["difference"]), (bare, None, None))
        c.expect("no reader's pattern for %s" % what,
                 (obj["nearest"], obj["nearestDiffers"], obj["differsBecause"], obj["ulps"]),
                 (None, None, None, None))
    else:
        nearest = field(block, "nearest")
        differs = nearest.split(" (differs: ")
        also = obj["differsAlsoBecause"] or []
        said = obj["differsBecause"] and obj["differsBecause"] + "".join(
            (", and also " if i == 0 else " and " if i == len(also) - 1 else ", ") + b for i, b in enumerate(also))
        c.expect("nearest of %s" % what,
                 (obj["nearest"], obj["nearestDiffers"], obj["differsBecause"] and said),
                 (differs[0], True, differs[1][:-1]) if len(differs) == 2
                 else (nearest.split(" ")[0], False, None))
        ulps = field(block, "ulps")
        c.expect("ulps of %s" % what, obj["ulps"], None if ulps.startswith("none") else ulps)
        difference = field(block, "difference")
        c.expect("typed and difference of %s" % what, (obj["integer"], obj["typed"], obj["difference"]),
                 (None, bare, None if difference.startswith("none") else difference.split(" ")[0]))


def json_lines(output):
    text = output.decode("utf-8")
    return [json.loads(line) for line in text.split("\n")[:-1]]


def check_json(c):
    rng = random.Random(20240611)
    for command in ("pattern", "value"):
        texts = json_texts(rng, command)
        stdin = "".join(t + "\n" for t in texts).encode()
        for option in ([], ["--double"], ["--binary64"]):
            status, out, err = c.run(["--json"] + option + [command], stdin)
            objects = json_lines(out)
            status, out, err = c.run(["--explain"] + option + [command], stdin)
            blocks = blocks_of(out)
            c.expect("one object per %s text %s" % (command, option), (len(objects), len(blocks)),
                     (len(texts), len(texts)))
            for text, obj, (result, block) in zip(texts, objects, blocks):
                check_json_object(c, "%s %s %r" % (command, option, text[:40]), obj, text, result, block)

    # value --binary64 gives the pattern that pattern --binary64 shows as the
    # number stored, for every text.
    texts = json_texts(rng, "value")
    status, out, err = c.run(["--json", "--binary64", "value"], "".join(t + "\n" for t in texts).encode())
    stored = json_lines(out)
    status, out, err = c.run(["--json", "--binary64", "pattern"], "".join(o["result"] + "\n" for o in stored).encode())
    shown = json_lines(out)
    c.expect("round trip through --binary64", [(o["hex"], o["exact"]) for o in shown],
             [(o["hex"], o["exact"]) for o in stored])

    # A text that is not UTF-8 keeps its place, as an object with an error.
    status, out, err = c.run(["--json", "value"], b"1\n\xff\n2")
    objects = json_lines(out)
    c.expect("status with an invalid text", status, 1)
    c.expect("invalid text in JSON", [o.get("result", o.get("error")) for o in objects],
             ["0x3f800000", "not valid UTF-8 at byte 1", "0x40000000"])
    c.expect("the invalid text's object", objects[1:2], [{"command": "value", "error": "not valid UTF-8 at byte 1"}])


# Texts whose explanations set different members, in an order where each
# follows one that set members it leaves unset: notes, a quieted NaN, a
# differing nearest pattern, an infinity, a truncated text, zeros, subnormals.
STATE_TEXTS = {
    "value": ["9007199254740995", "1", "1e39", "0.1", "1" * 250, "2", "abc", "-1e-400", "1.5x",
              "1.00000017881393432617187501", "7e-46", "3"],
    "pattern": ["0x7f800001", "0x3f800000", "-1", "0x1", "99999999999999999999999", "0x40490fdb",
                " " * 195 + "0x1", "0xfff8000000000000", "junk", "0x80000000"],
}


def check_stream_state(c):
    """Each line of a stream is explained as the same text alone: nothing of
    one text's explanation carries over to the next."""
    for command, texts in STATE_TEXTS.items():
        for mode in ("--json", "--explain"):
            for option in ([], ["--binary64"]):
                args = [mode] + option + [command]
                status, streamed, err = c.run(args, "".join(t + "\n" for t in texts).encode())
                alone = b"".join(c.run(args + [t])[1] for t in texts)
                c.expect("%s streamed as alone" % " ".join(args), streamed, alone)


def quieted_bits(bits, is_double):
    quiet = 1 << (51 if is_double else 22)
    exponent_mask = (0x7FF << 52) if is_double else (0xFF << 23)
    fraction_mask = quiet * 2 - 1
    is_nan = bits & exponent_mask == exponent_mask and bits & fraction_mask
    return bits | quiet if is_nan else bits


HINT = "Try 'zelquin-convert --help' for more information.\n"

# (arguments, what standard error says): status 2, nothing converted.
USAGE_ERRORS = [
    ([], "missing command"),
    (["--dubble", "pattern", "1"], "unknown option '--dubble'"),
    (["frobnicate", "1"], "unknown command 'frobnicate'"),
    (["--double", "--binary64", "pattern", "1"], "--double and --binary64 exclude each other"),
    (["--json", "--explain", "value", "1"], "--explain and --json exclude each other"),
    (["--double"], "missing command"),
    (["-x", "value"], "unknown option '-x'"),
    (["Pattern", "1"], "unknown command 'Pattern'"),
    (["--explain", "--double", "values"], "unknown command 'values'"),
    (["--", "--double", "pattern"], "unknown command '--double'"),
    # After the command, "--" and a letter, or -h, is an option too.
    (["pattern", "--dubble", "1"], "unknown option '--dubble'"),
    (["value", "1", "--Json"], "unknown option '--Json'"),
    (["pattern", "1", "--double", "--binary64"], "--double and --binary64 exclude each other"),
    (["--explain", "value", "1", "--json"], "--explain and --json exclude each other"),
    (["--x-y", "value"], "unknown option '--x-y'"),
    # The formats, modes and policies, and what excludes what.
    (["--format", "float7", "value", "1"], "unknown format 'float7' (zelquin-convert --list-formats lists them)"),
    (["value", "1", "--format"], "--format needs a format name"),
    (["--rounding", "up", "value", "1"],
     "--rounding needs --format with another format than binary32 and binary64, whose rounding is Zelquin's own"),
    (["--format", "binary64", "--overflow", "saturate", "value", "1"],
     "--overflow needs --format with another format than binary32 and binary64, whose rounding is Zelquin's own"),
    (["--format", "half", "--rounding", "sideways", "value", "1"],
     "unknown rounding mode 'sideways' (nearest-even, nearest-away, toward-zero, up, down)"),
    (["--format", "half", "--overflow", "wrap", "value", "1"], "unknown overflow policy 'wrap' (ieee, saturate)"),
    (["--format", "half", "--via", "binary32,nope", "value", "1"], "unknown format 'nope'"),
    (["--double", "--format", "half", "value", "1"], "--double and --format half exclude each other"),
    (["--double", "--format", "binary64", "value", "1"], "--double and --format binary64 exclude each other"),
]

# (arguments, the result lines): where options stand among the texts, and the
# texts that start with '-' but are no options. Each runs with status 0.
OPTION_CASES = [
    (["pattern", "--json", "0x3f800000"], None),  # one JSON object, checked below
    (["value", "1e39", "--double"], ["0x48078287f49c4a1d"]),
    (["pattern", "0x3ff00000", "--double", "0x40000000"], ["1.000000", "2.000000"]),
    (["pattern", "-1", "-0", "-1.5", "--5", "-", "-x", "---", "-H"],
     ["-1.#QNAN0", "0.000000", "-1.#QNAN0", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000"]),
    (["value", "-.5e1", "-1d1"], ["0xc0a00000", "0xc1200000"]),
    (["pattern", "1", "--", "--double", "-h", "--help"], ["0.000000", "0.000000", "0.000000", "0.000000"]),
    (["--double", "--", "pattern", "0x3ff00000"], ["1.000000"]),
    (["--", "pattern", "--", "0x3f800000"], ["0.000000", "1.000000"]),
]

# What --help must say, white space aside.
HELP_PHRASES = [
    "Options may come before or after the command", "the first 199 UTF-16 units", "takes the integer's low 32 bits as the upper half",
    "0 every TEXT was converted", "1 a TEXT was not converted", "2 the command line is wrong",
    "3 standard input could not be read or standard output not written", "-h, --help", "--binary64", "--json",
    "--format NAME", "--rounding MODE", "--overflow saturate", "--via NAME[,NAME...]", "--list-formats",
]


def check_errors(c, version):
    usage_errors = USAGE_ERRORS if not c.windows else USAGE_ERRORS[:5]  # the rest take the same paths
    for args, message in usage_errors:
        status, out, err = c.run(args)
        c.expect("usage error for %s" % args, (status, out, err.decode("utf-8", "replace")),
                 (2, b"", "zelquin-convert: %s\n%s" % (message, HINT)))

    status, help_text, err = c.run(["--help"])
    c.expect("--help", (status, help_text.decode().startswith("usage: zelquin-convert"), err), (0, True, b""))
    words = " ".join(help_text.decode().split())
    for phrase in HELP_PHRASES:
        c.expect_true("--help says %r" % phrase, phrase in words)
    c.expect("-h", c.run(["-h"]), (0, help_text, b""))
    status, out, err = c.run(["--double", "--help", "pattern", "1"])
    c.expect("--help before a command", (status, out), (0, help_text))
    status, out, err = c.run(["--version"])
    c.expect("--version", (status, out), (0, ("zelquin-convert %s\n" % version).encode()))

    # Options after the command; texts that only look like options.
    for args, expected in OPTION_CASES:
        status, out, err = c.run(args)
        if expected is None:
            objects = json_lines(out)
            c.expect("%s" % args, (status, [o["result"] for o in objects], err), (0, ["1.000000"], b""))
        else:
            c.expect("%s" % args, (status, lines_of(out), err), (0, expected, b""))
    for args in (["value", "--help"], ["pattern", "1", "-h"], ["--double", "pattern", "--help", "--dubble"]):
        c.expect("help after the command: %s" % args, c.run(args), (0, help_text, b""))
    c.expect("--version after the command", c.run(["pattern", "1", "--version"])[:2],
             (0, ("zelquin-convert %s\n" % version).encode()))

    # Texts are numbered from the first TEXT, options not counted.
    if not c.windows:  # the Windows command line is UTF-16 and cannot hold such bytes
        for args, expected, message in [
            (["value", "1", b"\xc3\x28", "2"], ["0x3f800000", "", "0x40000000"],
             "zelquin-convert: TEXT 2: not valid UTF-8 at byte 1\n"),
            (["--json", "pattern", b"\xff"], None, "zelquin-convert: TEXT 1: not valid UTF-8 at byte 1\n"),
            (["value", "1", "--double", b"2\xe2\x82", b"\xff"], ["0x3ff0000000000000", "", ""],
             "zelquin-convert: TEXT 2: not valid UTF-8 at byte 2\n"
             "zelquin-convert: TEXT 3: not valid UTF-8 at byte 1\n"),
        ]:
            status, out, err = c.run(args)
            c.expect("invalid text %s" % args, (status, err.decode("utf-8", "replace")), (1, message))
            if expected is not None:
                c.expect("invalid text keeps its line %s" % args, lines_of(out), expected)

    # A pattern wider than its format is not converted, as a text that is not
    # valid UTF-8 is not; with --json an object says why, with --explain a
    # block.
    message = "zelquin-convert: TEXT 1: 0x1ff is wider than float8_e4m3fn's 8 bits\n"
    for mode, expected in (([], ["", "450"]), (["--explain"], None), (["--json"], None)):
        status, out, err = c.run(mode + ["--format", "float8_e4m3fn", "pattern", "0x1ff", "0x7e"])
        c.expect("refused pattern %s" % mode, (status, err.decode()), (1, message))
        if expected is not None:
            c.expect("refused pattern keeps its line", lines_of(out), expected)
        elif mode == ["--json"]:
            objects = json_lines(out)
            c.expect("refused pattern in JSON", (objects[0], objects[1]["result"]),
                     ({"command": "pattern", "error": "0x1ff is wider than float8_e4m3fn's 8 bits"}, "450"))
        else:
            c.expect("refused pattern's block", lines_of(out)[:3],
                     ["", "  not converted: 0x1ff is wider than float8_e4m3fn's 8 bits", ""])
    status, out, err = c.run(["--list-formats"])
    c.expect("--list-formats", (status, lines_of(out)[1].split()[:5]), (0, ["binary16", "half,", "float16", "5", "10"]))

    # Failed writes: a full device or a closed standard output is reported,
    # with status 3; a pipe whose reader has gone is not reported. Under the
    # emulator's wrapper the program writes to a file, never to these, so
    # under Wine the pipe is tried with Wine itself.
    if c.windows:
        check_pipe_without_reader(c, wine_command(c))
        return
    with open("/dev/full", "wb") as full:
        for args in (["pattern", "1"], ["--help"], ["--json", "value"]):
            result = subprocess.run(c.command + args, input=b"1\n", stdout=full, stderr=subprocess.PIPE,
                                    env=c.env, timeout=TIMEOUT)
            c.expect("%s to a full device" % args, (result.returncode, result.stderr),
                     (3, b"zelquin-convert: cannot write standard output: No space left on device\n"))
    result = subprocess.run(c.command + ["pattern", "1"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            env=c.env, timeout=TIMEOUT, preexec_fn=lambda: os.close(1))
    c.expect("closed standard output", (result.returncode, result.stderr),
             (3, b"zelquin-convert: cannot write standard output: Bad file descriptor\n"))
    check_pipe_without_reader(c, c.command)


def wine_command(c):
    """The Windows program run by Wine directly, in the prefix and with the
    settings of the emulator's wrapper, which has made the prefix by now."""
    emulator, program = c.command[0], c.command[-1]
    prefix = os.environ.get("ZELQUIN_WINE_PREFIX")
    if not prefix:  # the wrapper's: beside the build folder's CMakeCache.txt
        build = os.path.dirname(os.path.abspath(program))
        while build != "/" and not os.path.isfile(os.path.join(build, "CMakeCache.txt")):
            build = os.path.dirname(build)
        prefix = os.path.join(build, "wine-prefix")
    script = 'export WINEPREFIX="$1"; source "$2"; shift 2; exec wine "$@"'
    return ["bash", "-c", script, "bash", prefix, os.path.join(os.path.dirname(emulator), "wine-env"), program]


def check_pipe_without_reader(c, command):
    """As `seq 1 100000 | zelquin-convert pattern | head -1`: the first line
    is read, then the reader goes; the program ends with status 3 and says
    nothing, whatever error the system gives for the write."""
    with tempfile.TemporaryFile() as errors:
        process = subprocess.Popen(command + ["pattern"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   stderr=errors, env=c.env)

        def feed():
            try:
                for start in range(1, 100001, 1000):
                    process.stdin.write("".join("%d\n" % n for n in range(start, start + 1000)).encode())
                process.stdin.close()
            except (BrokenPipeError, OSError):
                pass

        feeder = threading.Thread(target=feed, daemon=True)
        feeder.start()
        first = process.stdout.readline()
        process.stdout.close()
        try:
            status = process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()
            status = process.wait()
        feeder.join(timeout=TIMEOUT)
        errors.seek(0)
        c.expect("pipe without a reader", (first, status, errors.read()), (b"0.000000\n", 3, b""))


# (words before the cursor, the word at it, the completions offered)
COMPLETIONS = [
    ([], "--b", "--binary64"),
    (["--double"], "", "pattern value"),
    (["--json"], "v", "value"),
    (["value"], "", ""),
    (["--"], "-", ""),
    (["--"], "p", "pattern"),
    (["--", "pattern"], "--", ""),
    # No option already given, nor one that excludes a given one.
    (["--double"], "--", "--rounding --overflow --via --explain --json --list-formats --help --version --"),
    (["--json", "--binary64"], "--", "--rounding --overflow --via --list-formats --help --version --"),
    (["--format", "binary16"], "--f", ""),
    # The formats as the program lists them, the modes and the policies.
    (["--format"], "float8_e4m3f", "float8_e4m3fn float8_e4m3fnuz"),
    (["--via"], "binary1", "binary16 binary128"),
    (["--rounding"], "n", "nearest-even nearest-away"),
    (["--overflow"], "", "ieee saturate"),
    (["--explain"], "--j", ""),
    (["--binary64"], "--d", ""),
    # After the command, options still, but no command.
    (["pattern"], "--e", "--explain"),
    (["--explain", "value", "1"], "--",
     "--double --binary64 --format --rounding --overflow --via --list-formats --help --version --"),
    (["value", "1", "--double"], "--", "--rounding --overflow --via --explain --json --list-formats --help --version --"),
    (["value", "--help"], "--", ""),
]


def check_install(c, version, cmake, build):
    """The install tree of the build folder under a temporary prefix."""
    prefix = tempfile.mkdtemp()
    try:
        result = subprocess.run([cmake, "--install", build, "--prefix", prefix], capture_output=True)
        c.expect("cmake --install", (result.returncode, result.stderr), (0, b""))
        program = os.path.join(prefix, "bin", os.path.basename(c.command[-1]))
        manual = os.path.join(prefix, "share", "man", "man1", "zelquin-convert.1")
        completion = os.path.join(prefix, "share", "bash-completion", "completions", "zelquin-convert")
        c.expect_true("the program is in bin/", os.path.isfile(program))
        if c.windows:
            return
        installed = Checker([program])
        c.expect("the installed program runs", installed.run(["--version"])[:2],
                 (0, ("zelquin-convert %s\n" % version).encode()))
        result = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-P-cbou", manual], capture_output=True)
        page = result.stdout.decode("utf-8", "replace")
        c.expect("the manual page formats without a warning", (result.returncode, result.stderr), (0, b""))
        for text in ("ZELQUIN-CONVERT(1)", "Zelquin %s" % version, "EXIT STATUS", "--binary64", "textAfterIgnored",
                     "SEE ALSO", "zelquin(1)", "TEXT 2"):
            c.expect_true("the manual page shows %r" % text, text in page)
        # The release date, as the CHANGELOG gives it, on the page's last line.
        last_line = [line for line in page.split("\n") if line.strip()][-1]
        c.expect_true("the manual page's footer has the release date: %r" % last_line,
                      re.search(r"\b\d{4}-\d\d-\d\d\b", last_line) is not None)
        for words, current, expected in COMPLETIONS:
            script = ('source "$1"; COMP_WORDS=("${@:2}"); COMP_CWORD=$(($# - 2)); '
                      '_zelquin_convert; echo "${COMPREPLY[*]}"')
            result = subprocess.run(["bash", "-c", script, "bash", completion, program] + words + [current],
                                    capture_output=True)
            c.expect("completion of %r after %s" % (current, words), result.stdout.decode().strip(), expected)
    finally:
        shutil.rmtree(prefix)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", default="")
    parser.add_argument("--cmake", help="for the install group: the cmake program")
    parser.add_argument("--build", help="for the install group: the build folder")
    parser.add_argument("group", choices=["worked", "stdin", "explain", "json", "errors", "install"])
    parser.add_argument("command", nargs="+")
    options = parser.parse_args()
    if len(options.command) > 1:
        global TIMEOUT
        TIMEOUT = 900
    c = Checker(options.command)
    if options.group == "worked":
        check_worked(c)
    elif options.group == "stdin":
        check_stdin(c)
    elif options.group == "explain":
        check_explain(c)
    elif options.group == "json":
        check_json(c)
        check_stream_state(c)
    elif options.group == "install":
        check_install(c, options.version, options.cmake, options.build)
    else:
        check_errors(c, options.version)
    for failure in c.failures:
        print("FAILED " + failure)
    print("%d of %d checks passed" % (c.checks - len(c.failures), c.checks))
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main())
