#!/usr/bin/python3
"""Drives zelquin.html from file:// in headless Chromium, as a user would.

    browser_test.py PAGE [--screenshot PNG] [--chromium PATH] [--chromedriver PATH]

Each case opens the page afresh, types, pastes, erases and clicks, then reads
what the fields and the explanation show. After the cases it checks what the
page loads, its labels and Tab order, its width on a phone screen, and times
typed keystrokes with performance.now() in the page. Needs Debian's
python3-selenium, chromium and chromium-driver; run it with Debian's Python.
"""

import argparse
import os
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

MAX_PAGE_BYTES = 300 * 1024
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
# ("toggle",) clicks the check box's label. Then the pattern field, the value
# field and the check box must hold what follows, and each element id of the
# explanation named in the last item its text.
CASES = [
    ("typing 1 into the value field", [("type", "value", "1")],
     "0x3f800000", "1", False, {"exact": "1", "class": "normal", "exponent": "0 (field 127)"}),
    ("typing pi's pattern", [("type", "pattern", "0x40490fdb")],
     "0x40490fdb", "3.141593", False, {"exact": exact(13176795, 22), "format": "binary32"}),
    ("0.1 as binary32", [("type", "value", "0.1")],
     "0x3dcccccd", "0.1", False,
     {"exact": exact(13421773, 27), "typed": "0.1", "exponent": "-4 (field 123)",
      "difference": "-0.000000001490116119384765625 (typed minus exact)"}),
    ("0.1 as binary64", [("toggle",), ("type", "value", "0.1")],
     "0x3fb999999999999a", "0.1", True, {"exact": exact(7205759403792794, 56), "format": "binary64"}),
    ("toggling the option converts nothing", [("type", "value", "1"), ("toggle",)],
     "0x3f800000", "1", True, {"format": "binary32"}),
    ("the next keystroke converts under the new option",
     [("type", "value", "1"), ("toggle",), ("type", "value", "5")],
     "0x402e000000000000", "15", True, {"exact": "15"}),
    ("a pattern under the option is the upper half", [("toggle",), ("type", "pattern", "0x3ff00000")],
     "0x3ff00000", "1.000000", True, {"hex": "0x3ff0000000000000"}),
    ("erasing the pattern", [("type", "pattern", "0x40490fdb"), ("erase", "pattern")],
     "", "0.000000", False, {"class": "zero"}),
    ("erasing the value", [("type", "value", "12"), ("erase", "value")], "0", "", False, {"exact": "0"}),
    ("editing the other field takes over", [("type", "value", "2"), ("type", "pattern", "1")],
     "0x400000001", "0.000000", False, {"format": "binary64"}),
    ("Arabic-Indic digits", [("type", "pattern", "\u0661\u0660\u0666\u0665\u0663\u0665\u0663\u0662\u0661\u0666")],
     "\u0661\u0660\u0666\u0665\u0663\u0665\u0663\u0662\u0661\u0666", "1.000000", False, {"exact": "1"}),
    ("ideographic space and a full-width zero", [("type", "pattern", "\u3000\uff10x3f800000")],
     "\u3000\uff10x3f800000", "1.000000", False, {}),
    ("a 250-unit pattern pasted converts its first 199", [("paste", "pattern", LONG_PATTERN)],
     LONG_PATTERN, "0.000000", False, {"hex": "0x00000040"}),
    ("a 250-unit value pasted converts its first 199", [("paste", "value", LONG_VALUE)],
     "0x7f800000", LONG_VALUE, False, {"class": "infinity", "exact": "infinity"}),
    ("a signalling NaN is shown quiet", [("type", "pattern", "0x7f800001")],
     "0x7f800001", "1.#QNAN0", False, {"class": "quiet NaN", "exact": "not a number", "hex": "0x7fc00001"}),
    ("the indefinite NaN", [("type", "pattern", "0xffc00000")],
     "0xffc00000", "-1.#IND00", False, {"class": "indefinite NaN", "exponent": "none (field 255)"}),
    ("the smallest subnormal", [("type", "pattern", "1")],
     "1", "0.000000", False, {"class": "subnormal", "exact": exact(1, 149), "exponent": "-126 (field 0)"}),
    ("the longest value text is written whole", [("paste", "pattern", "0xffefffffffffffff")],
     "0xffefffffffffffff", "-17976931348623157" + "0" * 292 + ".000000", False,
     {"exact": str(-(2**1024 - 2**971))}),
]


def start_browser(chromium, chromedriver, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for flag in CHROMIUM_FLAGS + ["--user-data-dir=" + profile]:
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(chromedriver), options=options)


def open_page(driver, url):
    """Opens the page and waits until it is ready; returns when it became
    ready, in ms from the navigation's start."""
    driver.get(url)
    WebDriverWait(driver, 10).until(
        lambda d: d.execute_script("return performance.getEntriesByName('zelquin-ready').length > 0"),
        f"{url} was not ready within 10 s")
    return driver.execute_script("return performance.getEntriesByName('zelquin-ready')[0].startTime")


def set_viewport(driver, width, height, phone=False):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 2 if phone else 1, "mobile": phone})


def field(driver, name):
    return driver.find_element(By.ID, name)


def run_step(driver, step):
    action = step[0]
    if action == "toggle":
        driver.find_element(By.CSS_SELECTOR, "label[for='double']").click()
        return
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


def run_case(driver, url, case):
    name, steps, pattern, value, treat_as_double, explained = case
    open_page(driver, url)
    for step in steps:
        run_step(driver, step)
    shown = {
        "pattern": field(driver, "pattern").get_property("value"),
        "value": field(driver, "value").get_property("value"),
        "double": field(driver, "double").is_selected(),
    }
    wanted = {"pattern": pattern, "value": value, "double": treat_as_double}
    for element_id, text in explained.items():
        shown[element_id] = driver.execute_script(
            "return document.getElementById(arguments[0]).textContent", element_id)
        wanted[element_id] = text
    return [f"{key}: {shown[key]!r}, wanted {wanted[key]!r}" for key in wanted if shown[key] != wanted[key]]


def check_page(driver, url):
    """The page's own checks: one file, labels, Tab order, a phone's width."""
    problems = []
    open_page(driver, url)
    loaded = driver.execute_script("return performance.getEntriesByType('resource').map(e => e.name)")
    if loaded:
        problems.append(f"the page loads more than itself: {loaded}")
    for element_id, name in (("pattern", "Pattern"), ("value", "Float:"), ("double", "Treat as 'double'")):
        if field(driver, element_id).accessible_name != name:
            problems.append(f"{element_id} is named {field(driver, element_id).accessible_name!r}, not {name!r}")
    field(driver, "pattern").click()
    order = []
    for _ in range(2):
        driver.switch_to.active_element.send_keys(Keys.TAB)
        order.append(driver.switch_to.active_element.get_attribute("id"))
    driver.switch_to.active_element.send_keys(Keys.SPACE)
    if order != ["value", "double"] or not field(driver, "double").is_selected():
        problems.append(f"Tab from the pattern field went to {order}, and Space did not check the box")

    set_viewport(driver, 360, 740, phone=True)
    open_page(driver, url)
    field(driver, "pattern").send_keys("0x000fffffffffffff")
    width = driver.execute_script("return [document.documentElement.scrollWidth, window.innerWidth]")
    if width[0] > width[1]:
        problems.append(f"on a phone's width the page is {width[0]} px wide in {width[1]} px")
    return problems


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    parser.add_argument("--screenshot")
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
            record("one file, labels, Tab order, a phone's width", check_page(driver, url))

            set_viewport(driver, 800, 600)
            page, baseline = measure_opening(driver, url, baseline_page(args.page, profile))
            print(f"ready {first_opening:.1f} ms after the browser's first opening; over {len(page)} "
                  f"more: median {statistics.median(page):.1f} ms, slowest {max(page):.1f} ms; "
                  f"without the script: median {statistics.median(baseline):.1f} ms")
            times, frame = measure_keystrokes(driver, url)
            ordered = sorted(times)
            p90 = ordered[int(0.9 * (len(ordered) - 1))]
            print(f"{len(times)} keystrokes: median "
                  f"{statistics.median(times):.2f} ms, 90th percentile {p90:.2f} ms, slowest "
                  f"{ordered[-1]:.2f} ms; a frame {frame:.1f} ms")
            record("a keystroke converts and redraws within a frame",
                   [] if p90 < frame else [f"90th percentile {p90:.2f} ms"])

            if args.screenshot:
                open_page(driver, url)
                field(driver, "value").send_keys("0.1")
                height = driver.execute_script("return Math.ceil(document.querySelector('main').getBoundingClientRect().bottom)")
                set_viewport(driver, 800, height)
                driver.save_screenshot(args.screenshot)
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
