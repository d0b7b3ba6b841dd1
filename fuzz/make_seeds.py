#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/pattern and
fuzz/corpus/value: the option byte, then the text in UTF-16LE. Each text is
written once with the option clear and once with it set."""
import pathlib
import re

PATTERN_TEXTS = [
    "0x3f800000", "07740000000", "-0xc0100000", "18446744073709551616",
    "\u0660x3f800000", "0xffefffffffffffff", "0x7f800001", "0xffc00000",
    "0x123456783ff00000", "  +1065353216", "0x3f80\u00000000", "\uff11\uff10",
    "0x", "08", "-1",
    # Longer than the 199 units the window passes on.
    " " * 210 + "0x3f800000", "0" * 240 + "7740000000",
]
VALUE_TEXTS = [
    "1.52", "-1.5E-3", "   .25e+2xyz", "1d5", "8997742649981799375319e-7",
    "1e5201", "2.2250738585072014e-308", "1.7976931348623159e308", "0x10",
    "4.9406564584124654e-324", "1.#INF00", "-0.000000", "\u30001.5", "1.5\u00009",
    "340282356779733661637539395458142568448", "0.000000000000000000000000000000000000000000001",
    # Longer than the 199 units the window passes on.
    "0." + "0" * 300 + "15e305", "1" * 260 + "e-250",
]


def file_name(index, text, option):
    label = re.sub(r"[^0-9A-Za-z.+-]", "_", text)[:40]
    return f"{index:02d}-{'double' if option else 'single'}-{label}"


def main():
    root = pathlib.Path(__file__).resolve().parent / "corpus"
    for kind, texts in (("pattern", PATTERN_TEXTS), ("value", VALUE_TEXTS)):
        directory = root / kind
        directory.mkdir(parents=True, exist_ok=True)
        for old in directory.iterdir():
            old.unlink()
        for index, text in enumerate(texts):
            for option in (0, 1):
                data = bytes([option]) + text.encode("utf-16-le")
                (directory / file_name(index, text, option)).write_bytes(data)


if __name__ == "__main__":
    main()
