#!/usr/bin/env python3
"""Prints the performance table from trevandel_bench's JSON output and the process figures."""
import argparse
import json
import sys


# Both launchers count turns the same way while a direction is held; the band is the turn-length
# noise of a shared machine, well inside what the end-to-end repeat test accepts.
REPEAT_BAND = (0.8, 1.25)


def best_times(bench_json):
    """Least CPU time per benchmark name over its repetitions, in nanoseconds: on a shared
    machine the time other processes take the core from a benchmark does not count."""
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    best = {}
    for run in bench_json.get("benchmarks", []):
        if run.get("run_type", "iteration") != "iteration" or run.get("error_occurred"):
            continue
        name = run.get("run_name", run["name"])
        t = run["cpu_time"] * scale[run.get("time_unit", "ns")]
        best[name] = min(t, best.get(name, t))
    return best


def ratio(best, name, limit):
    if name in best and limit in best and best[limit] > 0:
        return best[name] / best[limit]
    return None


# Instruction counts (bench/instruction_counts.py): figure, operation, limit, target ratio.
COUNTED = [
    ("Instructions: start-up to the first frame / bare libpng decode of its PNGs",
     "startup", "decode", 1.25),
    ("Instructions: handheld start-up to the first frame / bare libpng decode",
     "handheld_startup", "decode", 1.15),
    ("Instructions: entering 10,000 files + 500 folders / naive stat loop", "enter_10k", "naive_10k", 0.65),
    ("Instructions: entering 300,000 files + 15,000 folders / naive stat loop",
     "enter_300k", "naive_300k", 0.65),
    ("Instructions: 1 MiB skin load / plain std::string split", "skin_1", "split_1", 1.6),
    ("Instructions: 10 MiB skin load / 1 MiB skin load", "skin_10", "skin_1", 10.5),
]


def counted_rows(counts):
    out = []
    for figure, name, limit, target in COUNTED:
        r = counts[name] / counts[limit] if counts.get(name) and counts.get(limit) else None
        measured = "missing" if r is None else "%.3fx (%.2f M / %.2f M)" % (r, counts[name] / 1e6, counts[limit] / 1e6)
        out.append((figure, measured, "<= %gx" % target, r is not None and r <= target))
    if counts.get("startup_fresh") and counts.get("decode"):
        out.append(("Instructions: a fresh process's first start (SDL and the window made) / bare decode",
                    "%.3fx (%.2f M)" % (counts["startup_fresh"] / counts["decode"], counts["startup_fresh"] / 1e6),
                    "(for information)", None))
    return out


def rows(best, process):
    """(figure, measured text, target text, met) for every figure; the timed ratios are shown for
    information, their targets decided by the instruction counts."""
    out = []

    def add_ratio(figure, name, limit, target):
        r = ratio(best, name, limit)
        out.append(("Time: " + figure, "missing" if r is None else "%.2fx" % r, "(%g)" % target, None))

    memcpy = "limit/memcpyWindowFrame"
    add_ratio("Flip doubling copy / memcpy of a window frame", "flip/copyToWindow", memcpy, 1.2)
    add_ratio("Busy page draw + flip / memcpy of a window frame", "busyPage/drawAndFlip", memcpy, 10)
    add_ratio("Start-up to first frame / bare libpng decode of its PNGs",
              "startup/firstFrame", "startup/bareLibpng", 1.3)
    add_ratio("1 MiB skin load / plain std::string split",
              "skinLoad/launcher/1", "skinLoad/plainSplit/1", 4)
    add_ratio("10 MiB skin load / 1 MiB skin load", "skinLoad/launcher/10", "skinLoad/launcher/1", 12)
    add_ratio("Enter 10,000 files + 500 folders / naive stat loop",
              "directory/enter", "directory/naiveLoop", 1.0)

    def paced(key, form):
        value = process.get(key)
        return "" if value is None else " (1 ms loop: %s)" % (form % value)

    wakeups = process.get("idle_wakeups_per_second")
    out.append(("Wake-ups per second at rest for 10 s on a page (whole process, Xvfb)",
                "missing" if wakeups is None else
                "%.2f" % wakeups + paced("paced_idle_wakeups_per_second", "%.0f"),
                "<= 1", wakeups is not None and wakeups <= 1.0))
    idle = process.get("idle_cpu_percent")
    out.append(("CPU at rest for 10 s on a page (whole process, Xvfb) / one core",
                "missing" if idle is None else
                "%.3f%%" % idle + paced("paced_idle_cpu_percent", "%.2f%%"),
                "<= 0.1%", idle is not None and idle <= 0.1))
    handheld = process.get("handheld_idle_wakeups_per_second")
    out.append(("Handheld launcher: wake-ups per second at rest for 10 s (framebuffer file, FIFO input)",
                "missing" if handheld is None else "%.2f" % handheld,
                "<= 1", handheld is not None and handheld <= 1.0))
    seen, paced_seen = process.get("repeats"), process.get("paced_repeats")
    repeat_ratio = seen / paced_seen if seen is not None and paced_seen else None
    low, high = REPEAT_BAND
    out.append(("Repeats holding a direction 2 s / those of the 1 ms loop, same run",
                "missing" if repeat_ratio is None else "%.2fx (%d / %d)" % (repeat_ratio, seen, paced_seen),
                "1.0x (%gx to %gx)" % (low, high),
                repeat_ratio is not None and low <= repeat_ratio <= high))
    rss = process.get("peak_rss_mib")
    measured = "missing" if rss is None else "%.1f MiB" % rss
    out.append(("Peak resident memory after visiting every page", measured, "<= 32 MiB",
                rss is not None and rss <= 32.0))
    # The handheld has 64 MiB; each hostile image, skin or font sheet runs in its own process.
    hostile = process.get("hostile_peak_rss_max_mib")
    out.append(("Largest peak resident memory over the hostile files / the handheld's 64 MiB",
                "missing" if hostile is None else "%.2fx" % (hostile / 64.0), "<= 1.0x",
                hostile is not None and hostile / 64.0 <= 1.0))
    return out


def optional_json(path, what):
    """The figures in path, or none (said on standard error) when it is not given or unreadable."""
    if not path:
        return {}
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError) as error:
        print("%s unavailable: %s" % (what, error), file=sys.stderr)
        return {}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("bench_json")
    parser.add_argument("process_json", nargs="?")
    parser.add_argument("--counts", help="instruction_counts.py's JSON")
    args = parser.parse_args()
    with open(args.bench_json) as f:
        best = best_times(json.load(f))
    process = optional_json(args.process_json, "process figures")
    counts = optional_json(args.counts, "instruction counts")
    table = counted_rows(counts) + rows(best, process)
    headers = ("Figure", "Measured", "Target", "Met")
    cells = [headers] + [(f, m, t, "info" if ok is None else "yes" if ok else "NO") for f, m, t, ok in table]
    widths = [max(len(row[i]) for row in cells) for i in range(4)]
    line = lambda row: "| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |"
    print(line(headers))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in cells[1:]:
        print(line(row))
    return 0


if __name__ == "__main__":
    sys.exit(main())
