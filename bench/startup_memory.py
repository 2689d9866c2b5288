#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up time (launch to tray icon embedded) and peak memory (VmHWM) of Ondrel,
each as a ratio to a minimal Qt 6 tray program run the same way on the same X
session. The minimal program runs twice over: bare, and showing the same start-up
balloon as Ondrel, whose text is what first loads the fonts.

    bench/startup_memory.py BUILD_DIR [RUNS]
"""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from x11session import X11Session  # noqa: E402


def peak_rss_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def measure(session, argv):
    start = time.monotonic()
    process = session.spawn(argv)
    while not session.tray_icon(process.pid):
        if time.monotonic() - start > 30:
            raise RuntimeError("no tray icon from " + argv[0])
        time.sleep(0.002)
    elapsed = time.monotonic() - start
    time.sleep(1.0)  # let start-up work that follows the icon settle
    rss = peak_rss_kib(process.pid)
    process.terminate()
    process.wait(10)
    return elapsed, rss


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    programs = {
        "ondrel": [os.path.join(build, "ondrel")],
        "minimal": [os.path.join(build, "bench", "ondrel_bench_minimal_tray")],
        "+balloon": [os.path.join(build, "bench", "ondrel_bench_minimal_tray"), "--balloon"],
    }
    session = X11Session().start()
    results = {name: ([], []) for name in programs}
    try:
        for _ in range(runs):
            for name, argv in programs.items():  # interleaved, so drift hits both
                elapsed, rss = measure(session, argv)
                results[name][0].append(elapsed)
                results[name][1].append(rss)
    finally:
        session.stop()

    summary = {}
    for name, (times, rsss) in results.items():
        summary[name] = (statistics.median(times), statistics.median(rsss))
        print("%-8s launch to tray icon: median %.1f ms; peak RSS: median %d KiB"
              % (name, summary[name][0] * 1000, summary[name][1]))
    for yardstick in ("minimal", "+balloon"):
        print("ratio to %-8s start-up %.2fx, peak RSS %.2fx (target <= 1.15x each)"
              % (yardstick, summary["ondrel"][0] / summary[yardstick][0],
                 summary["ondrel"][1] / summary[yardstick][1]))


if __name__ == "__main__":
    main()
