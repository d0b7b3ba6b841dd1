#!/usr/bin/env python3
"""Turns the benchmark's JSON report into a table of nanoseconds per
conversion and ratios of Zelquin's time to each peer's."""
import json
import platform
import subprocess
import sys

# Zelquin's contenders in each direction; the ratios are of the first one's time
# to each peer's.
OURS = {"PatternToValue": ["DoubleToFixedText", "PatternToValueText", "fixed-digits", "digits",
                           "digits-chain"],
        "ValueToPattern": ["ValueToPatternText", "TextToDouble", "reading-chain"]}


def machine():
    cpu = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    cores = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
    return f"{cpu}, {cores} cores, {platform.system()} {platform.release()}"


def main():
    report = json.load(open(sys.argv[1]))
    markdown = sys.argv[sys.argv.index("--markdown") + 1] if "--markdown" in sys.argv else None
    with_machine = "--no-machine" not in sys.argv
    times = {}
    order = []
    for b in report["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b["run_name"] if "run_name" in b else b["name"]
        direction, input_set, contender = name.split("/")[:3]
        key = (direction, input_set)
        if key not in times:
            times[key] = {}
            order.append(key)
        times[key][contender] = b["cpu_time"]  # ns, the default unit

    lines = [f"Machine: {machine()}", ""] if with_machine else []
    for direction in OURS:
        keys = [k for k in order if k[0] == direction]
        if not keys:
            continue
        contenders = list(times[keys[0]])
        peers = [c for c in contenders if c not in OURS[direction]]
        lines.append(f"### {direction} (median ns per conversion)")
        lines.append("")
        header = ["input set"] + contenders + [f"{o} / {p}" for o in OURS[direction][:1] for p in peers]
        lines.append("| " + " | ".join(header) + " |")
        lines.append("|" + "---|" * len(header))
        for key in keys:
            row = [key[1]] + [f"{times[key][c]:.1f}" for c in contenders]
            ours = times[key][OURS[direction][0]]
            row += [f"{ours / times[key][p]:.2f}" for p in peers]
            lines.append("| " + " | ".join(row) + " |")
        lines.append("")
    text = "\n".join(lines)
    print(text)
    if markdown:
        with open(markdown, "w") as f:
            f.write(text + "\n")


if __name__ == "__main__":
    main()
