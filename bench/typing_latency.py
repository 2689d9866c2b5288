#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Click-to-character latency of the panel, and keymap changes per typed character.

A click on a label is sent with XTest (what xdotool uses); the clock stops when the
target application's text has grown by the character. A second X connection counts
the keymap changes that every client is told of when a keycode is rebound (each one
makes every X client reload its keymap), as core MappingNotify events: XKB's map
notifications come once more for each keyboard device attached to the core
keyboard, three on Xvfb.
Two runs: a few glyphs clicked over and over (fewer than the spare keycodes, so no
rebinding after the first round), then every glyph of the panel in turn (always a
glyph the keymap does not hold). The same again into Chromium, when it is installed:
its clock stops when the page's textarea, which posts its text to this script, has
grown; a click that brings no character within two seconds counts as missing, and
the text is compared with the glyphs clicked.

    bench/typing_latency.py BUILD_DIR [CLICKS]
"""

import ctypes
import ctypes.util
import difflib
import os
import shutil
import statistics
import sys
import time

# The harness finds the programs in the environment, as under CTest.
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
os.environ["ONDREL_BIN"] = os.path.join(BUILD, "ondrel")
os.environ["ONDREL_TARGET_BIN"] = os.path.join(BUILD, "tests", "e2e", "ondrel_e2e_target")
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from helpers import panel_glyphs, wait_until  # noqa: E402
from x11session import Browser, Ondrel, Target, X11Session  # noqa: E402

PACE = 0.05  # seconds between clicks
XKB_MAP_NOTIFY = 1
MAPPING_NOTIFY = 34
MAPPING_KEYBOARD = 1
FILLED_LABELS = 190  # code page 437


class Xlib:
    def __init__(self, display):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XFlush", "XPending", "XSync"):
            getattr(self.x, name).argtypes = [ctypes.c_void_p] + (
                [ctypes.c_int] if name == "XSync" else [])
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.clicker = self.x.XOpenDisplay(display.encode())
        self.watcher = self.x.XOpenDisplay(display.encode())
        if not self.clicker or not self.watcher:
            raise RuntimeError("cannot open " + display)
        self.event = ctypes.create_string_buffer(256)
        self.x.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
        self.x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong,
                                           ctypes.c_ulong]
        values = [ctypes.c_int() for _ in range(5)]
        values[3].value, values[4].value = 1, 0
        if not self.x.XkbQueryExtension(self.watcher, *[ctypes.byref(v) for v in values]):
            raise RuntimeError("no XKB")
        # An XKB client hears of keymap changes, the core MappingNotify included, only
        # once it has asked for XKB's map notifications.
        self.x.XkbSelectEvents(self.watcher, 0x100, 1 << XKB_MAP_NOTIFY, 1 << XKB_MAP_NOTIFY)
        self.x.XSync(self.watcher, 0)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.clicker, -1, x, y, 0)
        self.x.XSync(self.clicker, 0)

    def click(self):
        self.xtst.XTestFakeButtonEvent(self.clicker, 1, 1, 0)
        self.xtst.XTestFakeButtonEvent(self.clicker, 1, 0, 0)
        self.x.XFlush(self.clicker)

    def press_key(self, keycode):
        self.xtst.XTestFakeKeyEvent(self.clicker, keycode, 1, 0)
        self.xtst.XTestFakeKeyEvent(self.clicker, keycode, 0, 0)
        self.x.XFlush(self.clicker)

    def mapping_notifies(self):
        count = 0
        while self.x.XPending(self.watcher) > 0:
            self.x.XNextEvent(self.watcher, self.event)
            # The core MappingNotify comes once for a change of the core keyboard's
            # keysyms (XMappingEvent: type at 0, request at 40, LP64); the XKB map
            # notification once more for each keyboard device attached to it.
            if (ctypes.c_int.from_buffer(self.event).value == MAPPING_NOTIFY
                    and ctypes.c_int.from_buffer(self.event, 40).value == MAPPING_KEYBOARD):
                count += 1
        return count


def run(session, xlib, ondrel, text, labels, count_missing=False):
    """Clicks the labels; returns the latencies of the clicks that typed something,
    the keymap changes after each click, and how many clicks typed nothing (when
    count_missing, else such a click is an error)."""
    panel = ondrel.panel()
    latencies, remaps, missing = [], [], 0
    xlib.mapping_notifies()
    for index in labels:
        xlib.move(*panel.cell_centre(index))
        before = len(text())
        start = time.perf_counter()
        xlib.click()
        while len(text()) == before:
            if time.perf_counter() - start > (2 if count_missing else 5):
                if not count_missing:
                    raise RuntimeError("label %d typed nothing" % index)
                missing += 1
                break
            time.sleep(0.0002)
        else:
            latencies.append((time.perf_counter() - start) * 1000)
        time.sleep(PACE)
        remaps.append(xlib.mapping_notifies())
    return latencies, remaps, missing


def baseline(xlib, text, clicks):
    """The same measure for a key of the keyboard typed straight into the target:
    what the X server, the target and this script's polling cost by themselves."""
    latencies = []
    for _ in range(clicks):
        before = len(text())
        start = time.perf_counter()
        xlib.press_key(38)  # the a key
        while len(text()) == before:
            if time.perf_counter() - start > 5:
                raise RuntimeError("the key typed nothing")
            time.sleep(0.0002)
        latencies.append((time.perf_counter() - start) * 1000)
        time.sleep(PACE)
    return latencies


def report(name, latencies, remaps):
    ordered = sorted(latencies)
    p95 = ordered[min(len(ordered) - 1, int(round(0.95 * len(ordered))) - 1)]
    print("%-28s clicks %4d  median %6.2f ms  p95 %6.2f ms  max %6.2f ms  "
          "keymap changes per character: mean %.2f, max %d"
          % (name, len(latencies), statistics.median(latencies), p95, max(latencies),
             statistics.mean(remaps), max(remaps)))


def chromium_rows(session, xlib, ondrel, clicks):
    browser = Browser(session, "chromium")
    try:
        report("Chromium baseline: a key", baseline(xlib, browser.text, clicks), [0])
        glyphs = panel_glyphs(437)
        for name, labels in (("Chromium: 8 glyphs over", [63 + (i % 8) * 7 for i in range(clicks)]),
                             ("Chromium: every glyph", [i % FILLED_LABELS for i in range(clicks)])):
            start = len(browser.text())
            latencies, remaps, missing = run(session, xlib, ondrel, browser.text, labels,
                                             count_missing=True)
            typed = browser.text()[start:]
            expected = "".join(glyphs[i] for i in labels)
            matcher = difflib.SequenceMatcher(None, typed, expected, autojunk=False)
            exact = sum(block.size for block in matcher.get_matching_blocks())
            report(name, latencies or [float("nan")], remaps)
            print("%-28s %d of %d glyphs arrived in place, %d clicks typed nothing"
                  % ("", exact, len(expected), missing))
    finally:
        browser.close()


def gnome_rows(clicks):
    """On headless GNOME Shell, where Ondrel types through its IBus engine into a GTK 4
    entry: from a click on a cell, sent through mutter's RemoteDesktop interface, to
    the entry holding the character; beside a key of the layout sent the same way."""
    from waylandsession import GnomeSession, GtkEntry  # noqa: E402
    session = GnomeSession().start()
    try:
        entry = GtkEntry(session)
        session.spawn([os.environ["ONDREL_BIN"]])
        wait_until(lambda: session.run([os.environ["ONDREL_BIN"], "--show"], check=False)
                   and session.panel(), timeout=20, message="the panel")
        panel = session.panel()
        session.first_click(panel, entry.text)

        def measure(send):
            """send(i) acts and returns when it started; the clock stops when the
            entry's text has grown."""
            latencies = []
            for i in range(clicks):
                before = len(entry.text())
                start = send(i)
                while len(entry.text()) == before:
                    if time.perf_counter() - start > 5:
                        raise RuntimeError("action %d typed nothing" % i)
                    time.sleep(0.0002)
                latencies.append((time.perf_counter() - start) * 1000)
                time.sleep(PACE)
            return latencies

        def key(_):
            start = time.perf_counter()
            session.key(ord("a"))
            return start

        def click(i):
            # Not timed: a person's pointer is on the cell before the click.
            session.move(*panel.cell_centre(i % FILLED_LABELS))
            start = time.perf_counter()
            session.press()
            return start

        report("GNOME baseline: a key", measure(key), [0])
        report("GNOME: every glyph, IBus", measure(click), [0])
    finally:
        session.stop()


def main():
    clicks = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    session = X11Session().start()
    try:
        target = Target(session)
        ondrel = Ondrel(session)
        ondrel.click_tray()
        wait_until(ondrel.panel, message="the panel")
        target.focus()
        xlib = Xlib(session.display)

        report("baseline: a key, no Ondrel", baseline(xlib, target.text, clicks), [0])

        repeated = [63 + (i % 8) * 7 for i in range(clicks)]
        latencies, remaps, _ = run(session, xlib, ondrel, target.text, repeated)
        report("8 glyphs over and over", latencies, remaps)
        report("  (after the first round)", latencies[8:], remaps[8:])

        distinct = [i % FILLED_LABELS for i in range(clicks)]
        target.focus()
        latencies, remaps, _ = run(session, xlib, ondrel, target.text, distinct)
        report("every glyph in turn", latencies, remaps)

        if shutil.which("chromium"):
            chromium_rows(session, xlib, ondrel, clicks)
        else:
            print("chromium is not installed: no Chromium rows")
    finally:
        session.stop()
    if shutil.which("gnome-shell") and os.path.exists(os.path.join(BUILD, "libondrel-ibus.so")):
        gnome_rows(clicks)
    else:
        print("gnome-shell or Ondrel's IBus module is missing: no GNOME rows")


if __name__ == "__main__":
    main()
