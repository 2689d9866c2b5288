# SPDX-License-Identifier: GPL-3.0-or-later
"""The Wayland building blocks on real compositors: a layer-shell panel that types
through the virtual keyboard without ever taking the focus, on headless sway; and
a headless weston, which offers neither protocol but runs X11 clients through
XWayland."""

import os
import shutil
import subprocess
import unittest

import waylandsession
from test_typing import panel_glyphs
from waylandsession import Target, WaylandSession, wait_until

PANEL_BIN = os.environ.get("ONDREL_WL_PANEL_BIN", "")
CELL, COLUMNS, LEFT, TOP = 30, 28, 100, 300  # as ondrel_wl_panel lays itself out
BACKSPACE_CELL = 7 * COLUMNS - 1


def have(*programs):
    return all(shutil.which(p) for p in programs) and waylandsession.INPUT_BIN and PANEL_BIN


class StandInPanel:
    def __init__(self, session, characters):
        path = os.path.join(session.files, "characters.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.write(characters)
        session.user.make_usable(PANEL_BIN)
        self.log = os.path.join(session.files, "panel.log")
        self.process = session.spawn([PANEL_BIN, path], log=self.log, stdin=subprocess.PIPE,
                                     env={"QT_QPA_PLATFORM": "wayland"})

    def lines(self):
        try:
            with open(self.log, errors="replace") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait_for(self, line):
        wait_until(lambda: line in self.lines(), message="the panel to say " + line)

    def command(self, line):
        self.process.popen.stdin.write((line + "\n").encode())
        self.process.popen.stdin.flush()


@unittest.skipUnless(have("sway", "swaymsg", "grim", "dbus-daemon"), "sway or the helpers missing")
class LayerPanelOnSwayTest(unittest.TestCase):
    def setUp(self):
        self.session = WaylandSession(tray=False).start()
        self.target = Target(self.session)

    def tearDown(self):
        self.session.stop()

    def click_cell(self, cell):
        row, column = divmod(cell, COLUMNS)
        self.session.click(LEFT + column * CELL + CELL // 2, TOP + row * CELL + CELL // 2)

    def test_clicks_type_every_glyph_and_leave_the_focus_where_it_was(self):
        glyphs = panel_glyphs(437)
        panel = StandInPanel(self.session, "".join(glyphs))
        panel.wait_for("typer 1")
        expected = ""
        for show in range(1, 4):
            if show > 1:
                panel.command("hide")
                panel.wait_for("hidden")
                panel.command("show")
            # Every show gives Qt's new surface the role again, before its first frame.
            panel.wait_for("role %d" % show)
            self.assertEqual(self.session.windows_of(panel.process.pid), [],
                             "the panel became a window")
            cells = range(1, len(glyphs) + 1) if show == 1 else (1, 64, 190)
            for cell in cells:
                self.click_cell(cell)
                expected += glyphs[cell - 1]
            self.target.wait_for_text(expected)
            self.assertTrue(self.target.has_focus(), "a click moved the focus (show %d)" % show)
        self.click_cell(BACKSPACE_CELL)
        self.target.wait_for_text(expected[:-1])
        self.session.key("a")  # the keyboard still types into the target
        self.target.wait_for_text(expected[:-1] + "a")
        self.session.screenshot("wayland-layer-panel.png")


@unittest.skipUnless(have("weston", "Xwayland", "xwininfo", "dbus-daemon"), "weston missing")
class WestonFallbackTest(unittest.TestCase):
    def setUp(self):
        self.session = WaylandSession("weston").start()

    def tearDown(self):
        self.session.stop()

    def test_neither_protocol_but_x11_clients_run_through_xwayland(self):
        offer = self.session.probe()
        self.assertTrue(offer["connected"])
        self.assertFalse(offer["zwp_virtual_keyboard_manager_v1"])
        self.assertFalse(offer["zwlr_layer_shell_v1"])
        Target(self.session, platform="xcb")
        wait_until(lambda: "Ondrel test target" in self.session.run(
            ["xwininfo", "-root", "-tree"], check=False).stdout,
            timeout=30, message="the X11 target on XWayland")


if __name__ == "__main__":
    unittest.main()
