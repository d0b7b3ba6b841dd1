#!/usr/bin/python3
"""Drives zelquin.html from file:// in headless Chromium, as a user would.

    browser_test.py PAGE [--screenshot PNG] [--screenshot-phone PNG]
                    [--screenshot-dir DIR] [--chromium PATH] [--chromedriver PATH]

Each case opens the page afresh (or from a link), types, pastes, erases,
clicks bits and buttons and presses keys, then reads what the fields and the
explanation show. After the cases it checks what the page loads and requests,
its labels, Tab order, focus rings, control sizes and live region, its layout
at 320, 390 and 1280 px, and its contrast in the light and the dark scheme;
then it times opening, typed keystrokes and bit clicks with performance.now()
in the page. Needs Debian's python3-selenium, chromium and chromium-driver;
run it with Debian's Python.
"""

import argparse
import functools
import http.server
import json
import os
import statistics
import sys
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

MAX_PAGE_BYTES = 200 * 1024
CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
]


def exact(numerator, twos):
    """numerator * 2**-twos in plain decimal, every digit."""
    digits = str(numerator * 5**twos).rjust(twos + 1, "0")
    text = digits[:-twos] + "." + digits[-twos:] if twos else digits
    return text.rstrip("0").rstrip(".") if "." in text else text


# 195 spaces and a pattern whose end lies beyond the 199th unit; 198 ones and
# an exponent part that begins at the 199th unit. Both are 250 units long.
LONG_PATTERN = " " * 195 + "0x40490fdb" + " " * 45
LONG_VALUE = "1" * 198 + "e-400" + "0" * 47
assert len(LONG_PATTERN) == len(LONG_VALUE) == 250

# Steps: ("type", field, text) types unit by unit; ("paste", field, text)
# replaces the field's text in one edit; ("erase", field) deletes it all;
# ("toggle",) clicks the check box's label; ("bit", N) clicks bit N;
# ("click", id) clicks that button; ("keys", KEY...) presses keys in the
# element in focus; ("open", FRAGMENT) opens the page afresh with that link;
# ("hash", FRAGMENT) changes the open page's fragment, as a user does in the
# address bar; ("script", JS) runs a script in the page. Then the pattern
# field, the value field and the check box must hold what follows, and each
# name in the last item what follows it: an element id its text (None when it
# is not shown), or one of PROBES.
NOTE_TEXT_AFTER = "The text after the number is ignored: the number read is 1.5."
NOTE_NO_NUMBER = "There is no number at the start of the text, so it is read as 0."
CASES = [
    ("typing 1 into the value field", [("type", "value", "1")],
     "0x3f800000", "1", False,
     {"line-exact": "1", "line-class": "normal", "line-exponent": "0 (field 127)", "notes": [], "hash": "#value=1",
      "line-format": "binary32, narrowed from binary64 0x3ff0000000000000"}),
    ("typing pi's pattern", [("type", "pattern", "0x40490fdb")],
     "0x40490fdb", "3.141593", False,
     {"line-exact": exact(13176795, 22), "line-format": "binary32", "line-integer": "0x40490fdb", "line-typed": None,
      "line-nearest": None, "line-shortest": "3.1415927", "line-significand": "1.57079637050628662109375 (+1.57079637050628662109375 x 2^1)"}),
    ("0.1 as binary32", [("type", "value", "0.1")],
     "0x3dcccccd", "0.1", False,
     {"line-exact": exact(13421773, 27), "line-typed": "0.1", "line-exponent": "-4 (field 123)",
      "line-difference": "-0.000000001490116119384765625 (typed minus exact)", "line-shortest": "0.1",
      "line-ulps": "-0.20", "line-significand": "1.60000002384185791015625 (+1.60000002384185791015625 x 2^-4)", "line-nearest": "0x3dcccccd (the same bits)",
      "line-integer": None}),
    ("0.1 as binary64", [("toggle",), ("type", "value", "0.1")],
     "0x3fb999999999999a", "0.1", True,
     {"line-exact": exact(7205759403792794, 56), "line-format": "binary64", "hash": "#value=0.1&double=1"}),
    ("toggling the option converts nothing", [("type", "value", "1"), ("toggle",)],
     "0x3f800000", "1", True,
     {"line-format": "binary32, narrowed from binary64 0x3ff0000000000000", "stale": True,
      "hash": "#value=1&double=1"}),
    ("toggling it back hides the note", [("type", "value", "1"), ("toggle",), ("toggle",)],
     "0x3f800000", "1", False, {"stale": False}),
    ("the next keystroke converts under the new option",
     [("type", "value", "1"), ("toggle",), ("type", "value", "5")],
     "0x402e000000000000", "15", True, {"line-exact": "15", "stale": False}),
    ("'Convert now' converts the field edited last",
     [("type", "value", "1"), ("toggle",), ("click", "convert-now")],
     "0x3ff0000000000000", "1", True, {"line-format": "binary64", "stale": False, "focused": "double"}),
    ("a pattern under the option is the upper half", [("toggle",), ("type", "pattern", "0x3ff00000")],
     "0x3ff00000", "1.000000", True, {"line-hex": "0x3ff0000000000000"}),
    ("the upper half from a 16-digit pattern is explained",
     [("toggle",), ("paste", "pattern", "0x0000000000000001")],
     "0x0000000000000001", "0.000000", True,
     {"line-hex": "0x0000000100000000",
      "line-format": "binary64, the integer's low 32 bits as its upper half, with \"Treat as 'double'\" set",
      "notes": []}),
    ("a 64-bit pattern with the box set drops its upper half, and says so",
     [("toggle",), ("paste", "pattern", "0x3fb999999999999a")],
     "0x3fb999999999999a", "-0.000000", True,
     {"line-hex": "0x9999999a00000000",
      "line-format": "binary64, the integer's low 32 bits as its upper half, with \"Treat as 'double'\" set; "
                     "its upper 32 bits, 0x3fb99999, are dropped",
      "notes": ["With \"Treat as 'double'\" set, the pattern field takes the integer's low 32 bits as the upper "
                "half of a binary64: its upper 32 bits, 0x3fb99999, are dropped."]}),
    ("erasing the pattern", [("type", "pattern", "0x40490fdb"), ("erase", "pattern")],
     "", "0.000000", False, {"line-class": "zero", "hash": "#pattern="}),
    ("erasing the value", [("type", "value", "12"), ("erase", "value")], "0", "", False, {"line-exact": "0"}),
    ("editing the other field takes over", [("type", "value", "2"), ("type", "pattern", "1")],
     "0x400000001", "0.000000", False, {"line-format": "binary64, as the integer is above 0xffffffff"}),
    ("Arabic-Indic digits", [("type", "pattern", "\u0661\u0660\u0666\u0665\u0663\u0665\u0663\u0662\u0661\u0666")],
     "\u0661\u0660\u0666\u0665\u0663\u0665\u0663\u0662\u0661\u0666", "1.000000", False, {"line-exact": "1"}),
    ("ideographic space and a full-width zero", [("type", "pattern", "\u3000\uff10x3f800000")],
     "\u3000\uff10x3f800000", "1.000000", False, {}),
    ("a 250-unit pattern pasted converts its first 199", [("paste", "pattern", LONG_PATTERN)],
     LONG_PATTERN, "0.000000", False,
     {"line-hex": "0x00000040", "notes": ["Only the first 199 of the 250 UTF-16 units of the text are converted."]}),
    ("a 250-unit value pasted converts its first 199", [("paste", "value", LONG_VALUE)],
     "0x7f800000", LONG_VALUE, False,
     {"line-class": "infinity", "line-exact": "infinity", "line-ulps": "none: the stored number is infinite",
      "line-difference": "none: the stored number is infinite",
      "notes": ["Only the first 199 of the 250 UTF-16 units of the text are converted.",
                "The text after the number is ignored: the number read is " + "1" * 198 + ".",
                "There is no difference to show: the stored number is infinite."]}),
    ("a signalling NaN is shown quiet, and said to be", [("type", "pattern", "0x7f800001")],
     "0x7f800001", "1.#QNAN0", False,
     {"line-class": "quiet NaN", "line-exact": "not a number", "line-hex": "0x7fc00001", "line-shortest": "NaN",
      "notes": ["The signalling NaN 0x7f800001 is made quiet: 0x7fc00001 is what is stored."],
      "disabled": ["next-down", "next-up"]}),
    ("the indefinite NaN", [("type", "pattern", "0xffc00000")],
     "0xffc00000", "-1.#IND00", False, {"line-class": "indefinite NaN", "line-exponent": "none (field 255)"}),
    ("the smallest subnormal", [("type", "pattern", "1")],
     "1", "0.000000", False,
     {"line-class": "subnormal", "line-exact": exact(1, 149), "line-exponent": "-126 (field 0), no leading 1", "line-shortest": "1e-45",
      "line-significand": "0.00000011920928955078125 (+0.00000011920928955078125 x 2^-126)"}),
    ("the longest value text is written whole", [("paste", "pattern", "0xffefffffffffffff")],
     "0xffefffffffffffff", "-17976931348623157" + "0" * 292 + ".000000", False,
     {"line-exact": str(-(2**1024 - 2**971))}),
    # Notes on what was read.
    ("inf is no number", [("type", "value", "inf")],
     "0", "inf", False, {"notes": [NOTE_NO_NUMBER], "line-typed": "0 (no number at the start of the text)"}),
    ("1.5 after U+200F is no number", [("paste", "value", "\u200f1.5")],
     "0", "\u200f1.5", False, {"notes": [NOTE_NO_NUMBER]}),
    ("0x1p3 is 0 and text", [("type", "value", "0x1p3")],
     "0", "0x1p3", False, {"notes": ["The text after the number is ignored: the number read is 0."]}),
    ("the text after 1.5 is ignored", [("paste", "value", "1.5\U0001F600")],
     "0x3fc00000", "1.5\U0001F600", False,
     {"notes": [NOTE_TEXT_AFTER], "hash": "#value=1.5%F0%9F%98%80"}),
    ("digits beyond 64 bits overflow", [("type", "pattern", "99999999999999999999999")],
     "99999999999999999999999", "-1.#QNAN0", False,
     {"notes": ["The digits overflow 64 bits, so they are read as 0xffffffffffffffff."]}),
    ("a negative pattern wraps", [("type", "pattern", "-1")],
     "-1", "-1.#QNAN0", False,
     {"notes": ["The number is negative, so it is wrapped modulo 2^64 to 0xffffffffffffffff."]}),
    # Bits.
    ("clicking the sign bit of 0x3f800000", [("type", "pattern", "0x3f800000"), ("bit", 31)],
     "0xbf800000", "-1.000000", False, {"hash": "#pattern=0xbf800000", "focused": "bit 31"}),
    ("the arrow keys move between bits and Enter flips one",
     [("type", "pattern", "0x3f800000"), ("bit", 31), ("keys", Keys.ARROW_RIGHT, Keys.ENTER)],
     "0xff800000", "-1.#INF00", False, {"focused": "bit 30"}),
    ("a bit click with the box set keeps the upper half",
     [("toggle",), ("type", "pattern", "0x3ff00000"), ("bit", 63)],
     "0xbff00000", "-1.000000", True, {"line-hex": "0xbff0000000000000"}),
    ("a low bit with the box set goes through the Float field",
     [("toggle",), ("type", "value", "0.1"), ("bit", 0)],
     "0x3fb999999999999b", "0.10000000000000002", True, {"hash": "#value=0.10000000000000002&double=1"}),
    ("a wide pattern's bit keeps its 16 digits", [("paste", "pattern", "0x3fb999999999999a"), ("bit", 63)],
     "0xbfb999999999999a", "-0.100000", False, {"line-format": "binary64, as the integer is above 0xffffffff"}),
    ("a binary32's bit after the box is set is refused, and said why",
     [("type", "pattern", "0x3f800000"), ("toggle",), ("bit", 31)],
     "0x3f800000", "1.000000", True,
     {"status": "With \"Treat as 'double'\" set, both fields give a binary64: clear it to reach a binary32.",
      "stale": True, "blocked": 32}),
    ("the bits no field takes are pale beforehand, with the positions above",
     [("type", "pattern", "0x100000000")],
     "0x100000000", "0.000000", False,
     {"blocked": 1, "positions": ["63", "62"] + [str(b) for b in range(59, -1, -4)]}),
    ("Ctrl+Z in the pattern field brings back the text before a bit click",
     [("type", "pattern", "0x3f800000"), ("bit", 31), ("script", "document.getElementById('pattern').focus()"),
      ("keys", Keys.CONTROL, "z")],
     "0x3f800000", "1.000000", False, {"line-hex": "0x3f800000"}),
    ("Ctrl+Z in the Float field brings back the text before a neighbour",
     [("toggle",), ("type", "value", "0.1"), ("click", "next-up"),
      ("script", "document.getElementById('value').focus()"), ("keys", Keys.CONTROL, "z")],
     "0x3fb999999999999a", "0.1", True, {}),
    # Neighbours.
    ("next up from the largest binary32", [("type", "pattern", "0x7f7fffff"), ("click", "next-up")],
     "0x7f800000", "1.#INF00", False, {"line-class": "infinity", "disabled": ["next-up"]}),
    ("next down from +0", [("type", "pattern", "0x00000000"), ("click", "next-down")],
     "0x80000001", "-0.000000", False, {"line-class": "subnormal"}),
    ("Alt+Up in the Float field is next up", [("type", "value", "1"), ("keys", Keys.ALT, Keys.ARROW_UP)],
     "0x3f800001", "1.000000", False, {"hash": "#pattern=0x3f800001"}),
    ("Alt+Down with the box set steps a binary64 through the Float field",
     [("toggle",), ("type", "value", "0.1"), ("keys", Keys.ALT, Keys.ARROW_DOWN)],
     "0x3fb9999999999999", "0.09999999999999999", True, {}),
    ("the largest binary32's shortest text", [("type", "pattern", "0x7f7fffff")],
     "0x7f7fffff", "340282346638528860000000000000000000000.000000", False, {"line-shortest": "3.4028235e+38"}),
    # The pattern a correctly rounding reader stores.
    ("an exact half with the box set, and its nearest pattern used",
     [("toggle",), ("paste", "value", "9007199254740995")],
     "0x4340000000000001", "9007199254740995", True,
     {"line-nearest": "0x4340000000000002 (differs: the exact half is rounded toward zero)", "line-ulps": "+0.50"}),
    ("the nearest pattern's button", [("toggle",), ("paste", "value", "9007199254740995"), ("click", "use-nearest")],
     "0x4340000000000002", "9007199254740996", True, {"line-nearest": "0x4340000000000002 (the same bits)", "focused": "value"}),
    ("a 31-digit text whose rounding differs",
     [("paste", "value", "1.00000005960464477539062500001"), ("click", "use-nearest")],
     "0x3f800001", "1.000000", False, {"line-hex": "0x3f800001"}),
    # Links.
    ("a link opens #value=0.1&double=1", [("open", "#value=0.1&double=1")],
     "0x3fb999999999999a", "0.1", True, {"line-format": "binary64", "stale": False}),
    ("a link to a pattern", [("open", "#pattern=%EF%BC%90x3f800000")],
     "\uff10x3f800000", "1.000000", False, {"hash": "#pattern=%EF%BC%90x3f800000"}),
    ("a lone surrogate goes into the link and comes back",
     [("script", "const v = document.getElementById('value'); v.value = '1.5\\ud83d';"
                 "v.dispatchEvent(new Event('input'));"),
      ("open", "#value=1.5%ED%A0%BD")],
     "0x3fc00000", "1.5\ud83d", False, {"hash": "#value=1.5%ED%A0%BD", "notes": [NOTE_TEXT_AFTER]}),
    ("a link that is no UTF-8 gives U+FFFD", [("open", "#value=2%FF")],
     "0x40000000", "2\ufffd", False, {}),
    ("a fragment typed into the open page converts", [("type", "value", "7"), ("hash", "#pattern=0x40490fdb")],
     "0x40490fdb", "3.141593", False, {}),
    # Other formats: the choosers, the link, the bits of any width, landmarks.
    ("a link opens float8_e4m3fn with a saturating overflow",
     [("open", "#value=465&format=float8_e4m3fn&overflow=saturate")],
     "0x7e", "465", False,
     {"hash": "#value=465&format=float8_e4m3fn&overflow=saturate", "box disabled": True,
      "line-overflow": "The number lies beyond the largest finite value, 448: it saturates to that value",
      "bit count": 8}),
    ("465 in float8_e4m3fn is its NaN", [("select", "format", "float8_e4m3fn"), ("type", "value", "465")],
     "0x7f", "465", False, {"line-class": "NaN", "line-exact": "not a number"}),
    ("choosing a format converts the field edited last again",
     [("type", "value", "464"), ("select", "format", "float8_e4m3fn")],
     "0x7e", "464", False, {"hash": "#value=464&format=float8_e4m3fn"}),
    ("a binary16 pattern, and its sign bit flipped",
     [("select", "format", "binary16"), ("type", "pattern", "0x3c00"), ("bit", 15)],
     "0xbc00", "-1", False, {"line-hex": "0xbc00", "bit count": 16}),
    ("x87-extended shows its integer bit",
     [("select", "format", "x87-extended"), ("type", "value", "1")],
     "0x3fff8000000000000000", "1", False, {"bit count": 80, "integer bits": 1}),
    ("a pattern wider than the format is refused, and said why",
     [("select", "format", "float8_e4m3fn"), ("type", "pattern", "0x1ff")],
     "0x1ff", "", False, {"notes": ["0x1ff is wider than float8_e4m3fn's 8 bits"]}),
    ("a landmark enters its pattern",
     [("select", "format", "float8_e4m3fn"), ("type", "value", "1"), ("landmark", "largest finite")],
     "0x7e", "450", False, {"line-hex": "0x7e"}),
    ("bfloat16 rounding toward zero through binary32",
     [("select", "format", "bfloat16"), ("select", "rounding", "toward-zero"), ("select", "via", "binary32"),
      ("type", "value", "1.0078")],
     "0x3f80", "1.0078", False,
     {"hash": "#value=1.0078&format=bfloat16&rounding=toward-zero&via=binary32",
      "line-via": "binary32 0x3f80ff97, then bfloat16 0x3f80; rounded once, 0x3f80 (the same)"}),
]

# Names of the last item of a case that are no element id.
PROBES = {
    "notes": "return [...document.querySelectorAll('#notes li')].filter(e => e.checkVisibility())"
             ".map(e => e.textContent)",
    # The page writes the fragment once the edits pause.
    "hash": "await new Promise(done => setTimeout(done, 400)); return location.hash",
    "stale": "return document.getElementById('stale').checkVisibility()",
    "focused": "const e = document.activeElement; return e.dataset.bit ? 'bit ' + e.dataset.bit : e.id",
    "disabled": "return [...document.querySelectorAll('#next-down, #next-up')].filter(b => b.disabled)"
                ".map(b => b.id)",
    "blocked": "return document.querySelectorAll('#bits button.blocked').length",
    "positions": "return [...document.querySelectorAll('#bits .nibble')].map(n => n.dataset.first)",
    "box disabled": "return document.getElementById('double').disabled",
    "bit count": "return document.querySelectorAll('#bits button').length",
    "integer bits": "return document.querySelectorAll('#bits button.integer').length",
}


def start_browser(chromium, chromedriver, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + profile]:
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"performance": "ALL"})  # every request, for check_page
    return webdriver.Chrome(service=Service(chromedriver), options=options)


def open_page(driver, url):
    """Opens the page afresh (a link that differs from the open page only in
    its fragment would not load it again) and waits until it is ready;
    returns when it became ready, in ms from the navigation's start."""
    driver.get("about:blank")
    driver.get(url)
    WebDriverWait(driver, 10).until(
        lambda d: d.execute_script("return performance.getEntriesByName('zelquin-ready').length > 0"),
        f"{url} was not ready within 10 s")
    return driver.execute_script("return performance.getEntriesByName('zelquin-ready')[0].startTime")


def set_viewport(driver, width, height, phone=False):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 2 if phone else 1, "mobile": phone})


def set_scheme(driver, scheme):
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                           {"features": [{"name": "prefers-color-scheme", "value": scheme}]})


def field(driver, name):
    return driver.find_element(By.ID, name)


def bit(driver, number):
    return driver.find_element(By.CSS_SELECTOR, f"#bits button[data-bit='{number}']")


def run_step(driver, url, step):
    action = step[0]
    if action == "toggle":
        driver.find_element(By.CSS_SELECTOR, "label[for='double']").click()
    elif action == "bit":
        bit(driver, step[1]).click()
    elif action == "click":
        field(driver, step[1]).click()
    elif action == "keys":
        driver.switch_to.active_element.send_keys(*step[1:])
    elif action == "open":
        open_page(driver, url + step[1])
    elif action == "hash":
        driver.execute_script("location.hash = arguments[0]", step[1])
    elif action == "script":
        driver.execute_script(step[1])
    elif action == "select":
        Select(field(driver, step[1])).select_by_value(step[2])
    elif action == "landmark":
        driver.find_element(By.XPATH, f"//div[@id='landmarks']/button[text()='{step[1]}']").click()
    else:
        element = field(driver, step[1])
        element.click()
        if action == "type":
            element.send_keys(step[2])
            return
        element.send_keys(Keys.CONTROL, "a")
        if action == "erase":
            element.send_keys(Keys.BACKSPACE)
        else:  # paste: the whole text arrives as one edit, as from the clipboard
            driver.execute_cdp_cmd("Input.insertText", {"text": step[2]})


def shown_text(driver, name):
    if name in PROBES:
        return driver.execute_script(PROBES[name])
    return driver.execute_script(
        "const e = document.getElementById(arguments[0]); return e && e.checkVisibility() ? e.textContent : null",
        name)


def run_case(driver, url, case):
    name, steps, pattern, value, treat_as_double, explained = case
    open_page(driver, url)
    for step in steps:
        try:
            run_step(driver, url, step)
        except WebDriverException as error:  # a button not shown, say
            return [f"step {step[:2]}: {error.msg}"]
    # The fields' texts as the page holds them, lone surrogates and all.
    texts = driver.execute_script(
        "return ['pattern', 'value'].map(id => [...document.getElementById(id).value]"
        ".map(c => c.codePointAt(0)))")
    shown = {"pattern": texts[0], "value": texts[1], "double": field(driver, "double").is_selected()}
    wanted = {"pattern": [ord(c) for c in pattern], "value": [ord(c) for c in value],
              "double": treat_as_double}
    for name_shown, text in explained.items():
        shown[name_shown] = shown_text(driver, name_shown)
        wanted[name_shown] = text
    problems = []
    for key in wanted:
        if shown[key] != wanted[key]:
            if key in ("pattern", "value"):
                problems.append(f"{key}: {''.join(map(chr, shown[key]))!r}, wanted {''.join(map(chr, wanted[key]))!r}")
            else:
                problems.append(f"{key}: {shown[key]!r}, wanted {wanted[key]!r}")
    return problems


# A control's name: its id, its label for a screen reader, or its bit.
CONTROL_NAME = """
    const e = arguments[0] || document.activeElement;
    return e.dataset.bit ? 'bit ' + e.dataset.bit : e.dataset.landmark ? 'landmark ' + e.textContent
         : e.id || e.getAttribute('aria-label') || e.tagName;"""


def check_page(driver, url):
    """The page's own checks: no request but the page itself, labels, the live
    region, Tab order, focus rings and the size of every control."""
    problems = []
    driver.get_log("performance")  # drop what earlier pages requested
    open_page(driver, url)
    field(driver, "value").send_keys("0.1")
    bit(driver, 3).click()
    field(driver, "next-up").click()
    field(driver, "copy-link").click()
    requests = [entry for entry in (json.loads(e["message"])["message"] for e in driver.get_log("performance"))
                if entry["method"] == "Network.requestWillBeSent"]
    page_url = url.split("#")[0]
    # The module is built into the page and read from a data: URL.
    foreign = [r["params"]["request"]["url"][:80] for r in requests
               if r["params"]["request"]["url"].split("#")[0] not in (page_url, "about:blank")
               and not r["params"]["request"]["url"].startswith("data:")]
    if foreign or not requests:
        problems.append(f"the page requests more than itself: {foreign}" if foreign
                        else "no request was seen, not even the page's own")

    for element_id, name in (("pattern", "Pattern:"), ("value", "Float:"), ("double", "Treat as 'double'")):
        if field(driver, element_id).accessible_name != name:
            problems.append(f"{element_id} is named {field(driver, element_id).accessible_name!r}, not {name!r}")
    live = driver.execute_script("""
        const region = document.getElementById('explanation');
        return [region.getAttribute('aria-live'),
                ['notes', 'lines', 'use-nearest'].every(id => region.contains(document.getElementById(id)))];""")
    if live != ["polite", True]:
        problems.append(f"the explanation is not a polite live region holding its texts: {live}")

    # Each copy button copies its text; the link holds the fragment at once,
    # and edits add no entry to the history.
    open_page(driver, url)
    entries = driver.execute_script("return history.length")
    field(driver, "value").send_keys("0.1")
    driver.execute_script("""
        window.copied = [];
        navigator.clipboard.writeText = text => { window.copied.push(text); return Promise.resolve(); };""")
    for button in driver.find_elements(By.CSS_SELECTOR, "button[data-copy], #copy-link"):
        button.click()
    copied = driver.execute_script("return [window.copied, history.length, document.getElementById('status').textContent]")
    wanted = [["0x3dcccccd", "0.1", url + "#value=0.1", exact(13421773, 27), "0.1"], entries,
              "Copied the shortest text."]
    if copied != wanted:
        problems.append(f"copies, history entries and the message are {copied}, not {wanted}")

    # With an explanation and the 'Convert now' note shown, Tab from the
    # pattern field reaches every control once, each with a ring in focus.
    open_page(driver, url)
    field(driver, "value").send_keys("0.1")
    driver.find_element(By.CSS_SELECTOR, "label[for='double']").click()
    field(driver, "pattern").click()
    order, unringed = ["pattern"], []
    for _ in range(20):
        driver.switch_to.active_element.send_keys(Keys.TAB)
        name = driver.execute_script(CONTROL_NAME)
        if name in order or name == "BODY":
            break
        order.append(name)
        ring = driver.execute_script("""
            const style = getComputedStyle(document.activeElement);
            return style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 2;""")
        if not ring:
            unringed.append(name)
    # The neighbours of a binary32 are disabled once the box is set: no field
    # takes them.
    wanted = ["pattern", "Copy the pattern", "value", "Copy the float", "double", "format", "convert-now", "bit 31",
              "copy-link", "Copy the exact value", "Copy the shortest text"]
    if order != wanted:
        problems.append(f"Tab goes through {order}, not {wanted}")
    if unringed:
        problems.append(f"no focus ring on {unringed}")
    small = driver.execute_script("""
        return [...document.querySelectorAll('button, input')].filter(e => e.checkVisibility())
          .map(e => [e, e.getBoundingClientRect()]).filter(([e, r]) => r.width < 24 || r.height < 24)
          .map(([e, r]) => (e.id || e.dataset.bit || e.getAttribute('aria-label')) + ' ' + r.width + 'x' + r.height);""")
    if small:
        problems.append(f"controls under 24 by 24 px: {small}")
    return problems


def check_served(driver, page):
    """The page from a server on this machine's loopback: a link opens it, an
    edit writes the fragment, and nothing else is requested."""
    directory, name = os.path.split(os.path.abspath(page))

    class Handler(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    handler = functools.partial(Handler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    problems = []
    try:
        url = f"http://127.0.0.1:{server.server_address[1]}/{name}"
        driver.get_log("performance")
        problems += run_case(driver, url, (
            "served", [("open", "#value=0.1&double=1"), ("type", "value", "5"), ("bit", 63)],
            "0xbfc3333333333333", "-0.15", True, {"hash": "#value=-0.15&double=1"}))
        requested = {json.loads(e["message"])["message"].get("params", {}).get("request", {}).get("url", "")
                     for e in driver.get_log("performance")}
        foreign = [u[:80] for u in requested if u and not u.startswith((url, "data:", "about:blank"))]
        if foreign:
            problems.append(f"served, the page requests {foreign}")
    finally:
        server.shutdown()
        server.server_close()
    return problems


def check_layout(driver, url):
    """At 320, 390 and 1280 px: nothing scrolls sideways, the fraction wraps
    only between fours and keeps four bits or more on each row; at 1280 px a
    binary32 takes one row and a binary64 two. Up and down in the bits go to
    the row above and below."""
    problems = []
    for width in (320, 390, 1280):
        for pattern, wide_rows in (("0x3dcccccd", 1), ("0x000fffffffffffff", 2)):
            set_viewport(driver, width, 800, phone=width < 1000)
            open_page(driver, url)
            field(driver, "pattern").send_keys(pattern)
            where = f"{pattern} at {width} px"
            sizes = driver.execute_script("return [document.documentElement.scrollWidth, window.innerWidth]")
            if sizes[0] > sizes[1]:
                problems.append(f"{where}: the page is {sizes[0]} px wide in {sizes[1]} px")
            rows = driver.execute_script("""
                const rows = new Map();
                for (const b of document.querySelectorAll('#bits button')) {
                  const top = Math.round(b.getBoundingClientRect().top);
                  if (!rows.has(top)) rows.set(top, []);
                  rows.get(top).push([Number(b.dataset.bit), b.classList.contains('fraction')]);
                }
                return [...rows.keys()].sort((a, b) => a - b).map(k => rows.get(k));""")
            for row in rows:
                fraction = [number for number, is_fraction in row if is_fraction]
                if fraction and (len(fraction) < 4 or fraction[-1] % 4 != 0):
                    problems.append(f"{where}: a row ends with fraction bits {fraction}")
            if width == 1280 and len(rows) != wide_rows:
                problems.append(f"{where}: {len(rows)} rows of bits, not {wide_rows}")
            if width == 320 and pattern == "0x3dcccccd":
                bit(driver, 0).click()
                driver.switch_to.active_element.send_keys(Keys.ARROW_UP)
                above = driver.execute_script(CONTROL_NAME)
                below = [f"bit {number}" for number, _ in rows[-2]]
                if above not in below:
                    problems.append(f"{where}: up from bit 0 went to {above}, not to the row above")
    return problems


def check_contrast(driver, url):
    """In the light and the dark scheme, with notes, the 'Convert now' note,
    the nearest pattern and a disabled button shown: every text against what
    is behind it 4.5:1 or more, every control's edge or fill against the page
    3:1 or more, and the focus ring too (WCAG AA)."""
    problems = []
    for scheme in ("light", "dark"):
        set_scheme(driver, scheme)
        set_viewport(driver, 1280, 800)
        open_page(driver, url + "#value=1.00000005960464477539062500001xyz")
        field(driver, "double").click()
        for failure in driver.execute_script(CONTRAST_SCRIPT):
            problems.append(f"{scheme}: {failure}")
    set_scheme(driver, "light")
    return problems


CONTRAST_SCRIPT = """
function rgba(text) {
  const v = text.match(/[\\d.]+/g).map(Number);
  return v.length === 3 ? [...v, 1] : v;
}
function luminance([r, g, b]) {
  const c = x => (x /= 255) <= 0.03928 ? x / 12.92 : ((x + 0.055) / 1.055) ** 2.4;
  return 0.2126 * c(r) + 0.7152 * c(g) + 0.0722 * c(b);
}
function ratio(a, b) {
  const [x, y] = [luminance(a), luminance(b)].sort((p, q) => q - p);
  return (x + 0.05) / (y + 0.05);
}
function behind(e) {  // the first opaque background at or above e
  for (; e; e = e.parentElement) {
    const c = rgba(getComputedStyle(e).backgroundColor);
    if (c[3] > 0.5) return c;
  }
  return rgba(getComputedStyle(document.documentElement).backgroundColor);
}
const failures = [];
const name = e => e.id || e.dataset.bit && 'bit ' + e.dataset.bit || e.className || e.tagName;
for (const e of document.querySelectorAll('body *')) {
  if (!e.checkVisibility() || e.disabled) continue;
  const own = [...e.childNodes].some(n => n.nodeType === 3 && n.textContent.trim());
  if (own) {
    const r = ratio(rgba(getComputedStyle(e).color), behind(e));
    if (r < 4.5) failures.push(`text of ${name(e)}: ${r.toFixed(2)}`);
  }
  if (e.matches('button, input[type=text], .legend i, #stale, #notes')) {
    const style = getComputedStyle(e), page = behind(e.parentElement);
    const edge = style.borderLeftStyle === 'none' ? 0 : ratio(rgba(style.borderTopColor), page);
    const fill = ratio(behind(e), page);
    if (Math.max(edge, fill) < 3) failures.push(`edge of ${name(e)}: ${edge.toFixed(2)}`);
  }
}
const ring = document.createElement('span');
ring.style.color = 'var(--focus)';
document.body.appendChild(ring);
for (const e of [document.body, ...document.querySelectorAll('.bits .sign, .bits .exponent, .bits .fraction, #stale')]) {
  const r = ratio(rgba(getComputedStyle(ring).color), behind(e));
  if (r < 3) failures.push(`focus ring on ${name(e)}: ${r.toFixed(2)}`);
}
ring.remove();
return failures;
"""


def baseline_page(page, directory):
    """The page without its script, marked ready where the script would run:
    what the browser takes for the HTML and CSS alone."""
    with open(page, encoding="utf-8") as f:
        html = f.read()
    start, end = html.index("<script>"), html.rindex("</script>") + len("</script>")
    path = os.path.join(directory, "baseline.html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(html[:start] + "<script>performance.mark('zelquin-ready')</script>" + html[end:])
    return "file://" + path


def measure_opening(driver, url, baseline_url, rounds=10):
    """Ready times of the page and of its baseline, opened in turn."""
    page, baseline = [], []
    for _ in range(rounds):
        baseline.append(open_page(driver, baseline_url))
        page.append(open_page(driver, url))
    return page, baseline


def measure_keystrokes(driver, url):
    """Time from each keystroke's input event to the page redrawn (its layout
    brought up to date) in the page, with performance.now(); and the frame
    interval of the same browser, the budget."""
    open_page(driver, url)
    driver.execute_script("""
        window.keystrokeTimes = [];
        let start = 0;
        window.addEventListener('input', () => { start = performance.now(); }, true);
        window.addEventListener('input', () => {
          document.body.getBoundingClientRect();
          window.keystrokeTimes.push(performance.now() - start);
        });""")
    field(driver, "value").send_keys("-1.7976931348623157e308")
    field(driver, "pattern").send_keys(Keys.CONTROL, "a")
    field(driver, "pattern").send_keys("0x000fffffffffffff")  # binary64 subnormal: 767 exact digits
    field(driver, "double").click()
    field(driver, "value").send_keys(Keys.CONTROL, "a")
    field(driver, "value").send_keys("0.30000000000000004")
    times = driver.execute_script("return window.keystrokeTimes")
    frame = driver.execute_async_script("""
        const done = arguments[arguments.length - 1], stamps = [];
        function tick(t) { stamps.push(t); if (stamps.length < 31) requestAnimationFrame(tick);
                           else done((stamps[30] - stamps[0]) / 30); }
        requestAnimationFrame(tick);""")
    return times, frame


def measure_bit_clicks(driver, url):
    """Time from each bit click to the page redrawn, as for keystrokes: every
    bit of a binary32, then every bit of a binary64 subnormal, whose exact
    value has the most digits."""
    open_page(driver, url)
    driver.execute_script("""
        window.clickTimes = [];
        let start = 0;
        window.addEventListener('click', () => { start = performance.now(); }, true);
        window.addEventListener('click', event => {
          if (!event.target.dataset.bit) return;
          document.body.getBoundingClientRect();
          window.clickTimes.push(performance.now() - start);
        });""")
    field(driver, "value").send_keys("0.1")
    for number in range(32):
        bit(driver, number).click()
    field(driver, "pattern").send_keys(Keys.CONTROL, "a")
    field(driver, "pattern").send_keys("0x000fffffffffffff")
    for number in range(52):
        bit(driver, number).click()
    return driver.execute_script("return window.clickTimes")


def summary(times):
    """The median and the 90th percentile."""
    ordered = sorted(times)
    return statistics.median(times), ordered[int(0.9 * (len(ordered) - 1))]


def take_screenshots(driver, url, wide, phone, directory):
    """0.1 typed, at a desktop's and a phone's width; in DIRECTORY each of 320,
    390 and 1280 px in the light and the dark scheme."""
    shots = [(wide, 960, "light"), (phone, 390, "light")]
    if directory:
        shots += [(os.path.join(directory, f"zelquin-{width}-{scheme}.png"), width, scheme)
                  for width in (320, 390, 1280) for scheme in ("light", "dark")]
    for path, width, scheme in shots:
        if not path:
            continue
        set_scheme(driver, scheme)
        set_viewport(driver, width, 800, phone=width < 500)
        open_page(driver, url)
        field(driver, "value").send_keys("0.1")
        height = driver.execute_script("return Math.ceil(document.querySelector('main').getBoundingClientRect().bottom)")
        set_viewport(driver, width, height, phone=width < 500)
        driver.save_screenshot(path)
    set_scheme(driver, "light")


def guarded(check, *args):
    """A check's problems, or where it stopped: a control it needed was not
    shown, say."""
    try:
        return check(*args)
    except WebDriverException as error:
        return [f"stopped: {error.msg}"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    parser.add_argument("--screenshot", help="0.1 at a desktop's width")
    parser.add_argument("--screenshot-phone", help="0.1 at a phone's width")
    parser.add_argument("--screenshot-dir", help="a folder for the page at 320, 390 and 1280 px, light and dark")
    parser.add_argument("--chromium", default="/usr/bin/chromium")
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    args = parser.parse_args()

    url = "file://" + os.path.abspath(args.page)
    results = []  # (check, problems)

    def record(check, problems):
        print(("ok      " if not problems else "FAILED  ") + check)
        results.append((check, problems))

    size = os.path.getsize(args.page)
    record(f"the page is {size} bytes, at most {MAX_PAGE_BYTES}",
           [] if size <= MAX_PAGE_BYTES else ["too large"])

    with tempfile.TemporaryDirectory() as profile:
        driver = start_browser(args.chromium, args.chromedriver, profile)
        try:
            set_viewport(driver, 800, 600)
            first_opening = open_page(driver, url)
            for case in CASES:
                record(case[0], run_case(driver, url, case))
            record("no request but the page, labels, live region, Tab order, focus rings, 24 px controls",
                   guarded(check_page, driver, url))
            record("served from a server as from a file", guarded(check_served, driver, args.page))
            record("the layout at 320, 390 and 1280 px", guarded(check_layout, driver, url))
            record("contrast in the light and the dark scheme", guarded(check_contrast, driver, url))

            set_viewport(driver, 800, 600)
            page, baseline = measure_opening(driver, url, baseline_page(args.page, profile))
            print(f"ready {first_opening:.1f} ms after the browser's first opening; over {len(page)} "
                  f"more: median {summary(page)[0]:.1f} ms, 90th percentile {summary(page)[1]:.1f} ms; "
                  f"without the script: median {statistics.median(baseline):.1f} ms")
            times, frame = measure_keystrokes(driver, url)
            median, p90 = summary(times)
            print(f"{len(times)} keystrokes: median {median:.2f} ms, 90th percentile {p90:.2f} ms, "
                  f"slowest {max(times):.2f} ms; a frame {frame:.1f} ms")
            record("a keystroke converts and redraws within a frame",
                   [] if p90 < frame else [f"90th percentile {p90:.2f} ms"])
            clicks = measure_bit_clicks(driver, url)
            median, p90 = summary(clicks)
            print(f"{len(clicks)} bit clicks: median {median:.2f} ms, 90th percentile {p90:.2f} ms, "
                  f"slowest {max(clicks):.2f} ms")
            record("a bit click converts and redraws within a frame",
                   [] if p90 < frame else [f"90th percentile {p90:.2f} ms"])

            take_screenshots(driver, url, args.screenshot, args.screenshot_phone, args.screenshot_dir)
        finally:
            driver.quit()

    failed = [(check, problems) for check, problems in results if problems]
    for check, problems in failed:
        print(f"{check}:")
        for problem in problems:
            print("  " + problem)
    print(f"{len(results) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
