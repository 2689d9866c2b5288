#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Click-to-character latency of Ondrel on headless sway.

A click on a cell of Ondrel's panel (a layer surface that types through a virtual
keyboard) is sent through the session's virtual pointer; the clock stops when the
target application's text has grown by the character. Also the same for the typer
driven straight (no click, no panel), for a few characters over and over (no new
keymap) and for every glyph in turn (a new keymap each time), beside a plain key of
the stand-in keyboard.

    bench/wayland_typing_latency.py BUILD_DIR [CLICKS]
"""

import os
import statistics
import sys
import time

# The harness finds the programs in the environment, as under CTest.
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
os.environ["ONDREL_BIN"] = os.path.join(BUILD, "ondrel")
os.environ["ONDREL_WL_INPUT_BIN"] = os.path.join(BUILD, "tests", "e2e", "ondrel_wl_input")
os.environ["ONDREL_TARGET_BIN"] = os.path.join(BUILD, "tests", "e2e", "ondrel_e2e_target")
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from helpers import panel_glyphs, wait_until  # noqa: E402
from waylandsession import Target, WaylandSession  # noqa: E402

CELL, COLUMNS = 30, 28
GRID = (229, 230, 230)  # the panel's default background


def measure(target, action, count):
    latencies = []
    for i in range(count):
        before = target.text()
        start = action(i)
        while target.text() == before:
            if time.monotonic() - start > 5:
                raise RuntimeError("step %d typed nothing" % i)
            time.sleep(0.0002)
        latencies.append((time.monotonic() - start) * 1000)
    return latencies


def report(name, latencies, extra=""):
    ordered = sorted(latencies)
    p95 = ordered[min(len(ordered) - 1, int(round(0.95 * len(ordered))) - 1)]
    print("%-34s n %4d  median %6.2f ms  p95 %6.2f ms  max %6.2f ms  %s"
          % (name, len(latencies), statistics.median(latencies), p95, max(latencies), extra))


def keysym(character):
    code = ord(character)
    return code if 0x20 <= code < 0x7f or 0xa0 <= code < 0x100 else 0x01000000 + code


def main():
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    glyphs = panel_glyphs(437)
    session = WaylandSession(tray=False).start()
    try:
        target = Target(session)
        report("baseline: a key, no Ondrel", measure(
            target, lambda i: (time.monotonic(), session.key("a"))[0], count))

        uploads = [0]

        def typed(characters):
            def action(i):
                sent, uploads[0] = session.type_keysym(keysym(characters[i % len(characters)]))
                return sent
            return action

        first = uploads[0]
        report("typer: 5 glyphs over and over", measure(target, typed(glyphs[:5]), count),
               "keymaps uploaded: %d" % (uploads[0] - first))
        first = uploads[0]
        report("typer: every glyph in turn", measure(target, typed(glyphs), count),
               "keymaps uploaded: %d" % (uploads[0] - first))

        session.store_settings("[Settings]\nSizes\\Labels=%d\n" % CELL)
        session.spawn([os.environ["ONDREL_BIN"], "--show"])
        grid = wait_until(lambda: session.find_colour(lambda p: p == GRID), timeout=20,
                          message="Ondrel's panel")[0]

        def click(i):
            row, column = divmod(i % len(glyphs), COLUMNS)
            start = time.monotonic()
            session.click(grid[0] + column * CELL + CELL // 2, grid[1] + row * CELL + CELL // 2)
            return start

        report("click on the panel to character", measure(target, click, count))
    finally:
        session.stop()


if __name__ == "__main__":
    main()
