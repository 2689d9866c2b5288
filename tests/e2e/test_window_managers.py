# SPDX-License-Identifier: GPL-3.0-or-later
"""The panel under the window managers people use, on a busy machine: every glyph
clicked as a person clicks types exactly once into the focused application, which
keeps the focus; the panel stays above a window raised after it, its title strip
drags it, its menu works and its close button hides it."""

import shutil
import subprocess
import time
import unittest

from helpers import panel_glyphs, wait_until
from x11session import (ONDREL_BIN, WINDOW_MANAGERS, Ondrel, Target, X11Session, XTestPointer)

BUSY_LOOPS = 6
HOLD, NEXT_CELL = 0.08, 0.15  # seconds the button is held, and to the next cell
BACKSPACE = 7 * 28 - 1


class WindowManagerTest(unittest.TestCase):
    def run_under(self, window_manager):
        if not shutil.which(window_manager):
            self.skipTest(window_manager + " is not installed")
        # No tray host: some of these window managers bring a tray of their own, and
        # the command line shows the panel.
        session = X11Session(window_manager=window_manager, tray=False).start()
        self.addCleanup(session.stop)
        for _ in range(BUSY_LOOPS):
            session.spawn(["sh", "-c", "while :; do :; done"])
        target = Target(session)
        ondrel = Ondrel(session)
        ondrel.wait_until_answering()
        subprocess.run([ONDREL_BIN, "--show"], env=session.env, check=True, timeout=60)
        panel = wait_until(ondrel.panel, timeout=30, message="the panel")
        target.focus()
        pointer = XTestPointer(session.display)
        self.addCleanup(pointer.close)

        # Every glyph twice: the button held as a person holds it, then press and
        # release back to back; the pointer moves on without waiting for anything.
        glyphs = panel_glyphs(437)
        for hold in (HOLD, 0):
            for cell in range(len(glyphs)):
                pointer.click_at(*panel.cell_centre(cell), hold=hold)
                time.sleep(NEXT_CELL)
        pointer.click_at(*panel.cell_centre(BACKSPACE))
        expected = ("".join(glyphs) * 2)[:-1]
        self.assertEqual(self.wait_for_typing(target, expected), expected)
        self.assertTrue(target.has_focus(), "the panel took the focus")

        # A window that comes up over the panel does not cover it for long.
        other = Target(session)
        session.x("xdotool", "windowmove", str(other.window.id),
                  str(panel.window.x), str(panel.window.y), check=False)
        session.x("xdotool", "windowraise", str(other.window.id), check=False)
        wait_until(lambda: self.is_above(session, panel.id, other.window.id),
                   timeout=15, message="the panel back on top")
        target.focus()

        # The title strip drags the panel, and the focus stays where it was.
        start = panel.strip_point()
        pointer.move(*start)
        pointer.button(True)
        for step in range(1, 11):
            time.sleep(0.03)
            pointer.move(start[0] - 6 * step, start[1] - 9 * step)
        pointer.button(False)
        moved = (panel.window.x - 60, panel.window.y - 90)
        panel = wait_until(lambda: (lambda p: p if (p.window.x, p.window.y) == moved else None)(
            ondrel.panel()), message="the panel to follow the pointer")
        self.assertTrue(target.has_focus(), "dragging the panel took the focus")
        session.screenshot("wm-%s.png" % window_manager)

        # The menu button opens the panel's own menu over the grid's top right corner;
        # its first entry hides the panel.
        entry = (panel.window.x + panel.window.width - 30, panel.window.y + panel.grid_top + 12)
        background = session.pixel(*entry)
        pointer.click_at(*panel.button_centre(1))
        wait_until(lambda: session.pixel(*entry) != background, message="the panel's menu")
        pointer.click_at(*entry)
        wait_until(lambda: ondrel.panel() is None, message="Show/Hide from the panel's menu")

        # The close button hides it too; typing has not changed since.
        subprocess.run([ONDREL_BIN, "--show"], env=session.env, check=True, timeout=60)
        panel = wait_until(ondrel.panel, message="the panel again")
        self.assertEqual((panel.window.x, panel.window.y), moved)
        pointer.click_at(*panel.button_centre(0))
        wait_until(lambda: ondrel.panel() is None, message="the close button")
        self.assertEqual(target.text(), expected)
        self.assertTrue(target.has_focus())

    def wait_for_typing(self, target, expected, quiet=30):
        """The target's text once it is the expected one, or once it has not changed
        for a while. Some window managers hold the whole X server for a moment at
        each keymap change, so the characters may come long after the clicks."""
        text, changed = target.text(), time.monotonic()
        while text != expected and time.monotonic() - changed < quiet:
            time.sleep(0.2)
            now = target.text()
            if now != text:
                text, changed = now, time.monotonic()
        return text

    def is_above(self, session, panel, other):
        """Whether the panel stands above the top-level window that holds other."""
        order, top_level = session.stacking(), session.top_level(other)
        return panel in order and top_level in order and order.index(panel) > order.index(
            top_level)


for name in WINDOW_MANAGERS:
    setattr(WindowManagerTest, "test_" + name,
            lambda self, name=name: self.run_under(name))


if __name__ == "__main__":
    unittest.main()
