# SPDX-License-Identifier: GPL-3.0-or-later
"""Ondrel on Wayland. On headless sway (wlroots) the panel is a layer surface that
never takes the focus and types through a virtual keyboard into a native Wayland
application; its title strip moves it and holds the menu, and the tray icon and
`ondrel --toggle` show and hide it. On headless weston, which lets the panel do
neither, Ondrel runs through XWayland and says so."""

import os
import re
import shutil
import unittest

import waylandsession
from helpers import (ABOUT, HELP, QUIT, SETTINGS, SHOW_HIDE, file_text, ocr, panel_glyphs,
                     wait_until)
from waylandsession import ONDREL_BIN, Target, WaylandSession

GRID = (229, 230, 230)  # the panel's default background
MENU = (239, 239, 239)  # the title strip's and the menu's, the style's window colour
ICON_FACE = (244, 246, 249)
SIZE, COLUMNS = 30, 28


def role_order_faults(log):
    """The faults in a WAYLAND_DEBUG=client log against the layer-shell protocol's
    order: a wl_surface destroyed while its layer surface lives (wlroots 0.18 ends
    the connection for it), and any protocol error. Also how many layer surfaces
    were made. Object ids are reused, so the log is followed in order."""
    request = re.compile(r"-> (\w+)[@#](\d+)\.(\w+)\((.*)\)\s*$")
    roles = {}  # layer surface id -> its wl_surface id
    faults, made = [], 0
    for line in log.splitlines():
        if re.search(r"wl_display[@#]1\.error\(", line):
            faults.append(line.strip())
            continue
        match = request.search(line)
        if not match:
            continue
        interface, number, name, arguments = match.groups()
        if interface == "zwlr_layer_shell_v1" and name == "get_layer_surface":
            ids = re.findall(r"(\w+)[@#](\d+)", arguments)
            kinds = dict((kind, n) for kind, n in ids)
            roles[kinds["zwlr_layer_surface_v1"]] = kinds["wl_surface"]
            made += 1
        elif interface == "zwlr_layer_surface_v1" and name == "destroy":
            roles.pop(number, None)
        elif interface == "wl_surface" and name == "destroy" and number in roles.values():
            faults.append("surface %s destroyed before its role object" % number)
    return faults, made


def have(*programs):
    return all(shutil.which(p) for p in programs) and waylandsession.INPUT_BIN and ONDREL_BIN


@unittest.skipUnless(have("sway", "swaymsg", "grim", "dbus-daemon"), "sway or its helpers missing")
class WaylandPanelTest(unittest.TestCase):
    def setUp(self):
        self.session = WaylandSession("sway", bindings={"F9": "exec %s --toggle" % ONDREL_BIN})
        self.session.start()
        self.target = Target(self.session)

    def tearDown(self):
        self.session.stop()

    # -- helpers -------------------------------------------------------------------
    def start_ondrel(self, settings="", env=None):
        self.session.store_settings("[Settings]\nSizes\\Labels=%d\n%s" % (SIZE, settings))
        self.log = os.path.join(self.session.files, "ondrel-%d.log" % len(self.session.processes))
        process = self.session.spawn([ONDREL_BIN], log=self.log, env=env)
        self.icon = wait_until(self.find_icon, timeout=20, message="the tray icon in swaybar")
        return process

    def find_icon(self):
        x, y, width, height = self.session.bar_region()
        found = self.session.find_colour(lambda p: p == ICON_FACE, (width - 120, y, 120, height))
        return found and ((found[0][0] + found[0][2]) // 2, (found[0][1] + found[0][3]) // 2)

    def grid(self):
        """The panel's grid on the screen, (x0, y0, x1, y1), or None while hidden."""
        found = self.session.find_colour(lambda p: p == GRID)
        return found and found[0]

    def click_cell(self, grid, cell, button="left"):
        row, column = divmod(cell, COLUMNS)
        self.session.click(grid[0] + column * SIZE + SIZE // 2,
                           grid[1] + row * SIZE + SIZE // 2, button)

    def click_tray(self, button="left"):
        self.session.click(*self.icon, button=button)

    def open_menu(self):
        self.click_tray("right")
        grid = wait_until(self.grid, message="the panel with its menu")
        found = wait_until(lambda: self.session.find_colour(
            lambda p: p == MENU, (grid[0], grid[1], grid[2] - grid[0], grid[3] - grid[1])),
            message="the menu inside the panel")
        return found[0]

    def choose(self, entry):
        x0, y0, x1, y1 = self.open_menu()
        self.session.click((x0 + x1) // 2, y0 + (y1 - y0) * (2 * entry + 1) // 10)

    def window_named(self, pid, name):
        return next((w for w in self.session.windows_of(pid) if w.get("name") == name), None)

    def type_cells(self, grid, cells, glyphs):
        expected = self.target.text()
        for cell in cells:
            self.click_cell(grid, cell)
            expected += glyphs[cell] if cell < len(glyphs) else ""
        self.target.wait_for_text(expected, timeout=60)
        self.assertTrue(self.target.has_focus(), "a click on the panel moved the focus")

    # -- tests ---------------------------------------------------------------------
    def test_every_glyph_types_and_the_focus_stays(self):
        for code_page in (437, 866):
            with self.subTest(code_page=code_page):
                ondrel = self.start_ondrel("CodePage=%d\n" % code_page)
                self.click_tray()
                grid = wait_until(self.grid, message="the panel")
                self.assertEqual((grid[2] - grid[0] + 1, grid[3] - grid[1] + 1),
                                 (COLUMNS * SIZE, 7 * SIZE))
                # A layer surface: no window of sway's tree, so nothing to focus.
                self.assertEqual(self.session.windows_of(ondrel.pid), [])
                glyphs = panel_glyphs(code_page)
                self.type_cells(grid, range(len(glyphs)), glyphs)
                self.session.screenshot("wayland-typed-%d.png" % code_page)
                self.click_cell(grid, 7 * COLUMNS - 1)  # Backspace
                self.target.wait_for_text("".join(glyphs[:-1]))
                # A later start types through the running Ondrel's virtual keyboard.
                self.session.run([ONDREL_BIN, "--type", "U+2554 U+2550"])
                self.target.wait_for_text("".join(glyphs[:-1]) + "\u2554\u2550")
                self.session.run([ONDREL_BIN, "--quit"])
                self.assertEqual(ondrel.wait(15), 0)
                self.session.end(self.target.process)
                self.target = Target(self.session)

    def test_shown_again_moved_and_worked_from_its_menu(self):
        # The client's side of the protocol, to see that each role object goes
        # before its surface: on a hide, and at Quit with the panel shown.
        opened = self.session.stub_browser()
        ondrel = self.start_ondrel(env={"WAYLAND_DEBUG": "client"})
        glyphs = panel_glyphs(437)
        # Hidden and shown twice, by the tray icon, by `ondrel --toggle` and by a
        # key the compositor binds to it: always a layer surface that types.
        for show in (self.click_tray,
                     lambda: self.session.run([ONDREL_BIN, "--toggle"]),
                     lambda: self.session.key("F9")):
            show()
            grid = wait_until(self.grid, message="the panel")
            self.assertEqual(self.session.windows_of(ondrel.pid), [])
            self.type_cells(grid, (0, 63, 100), glyphs)
            self.click_tray()
            wait_until(lambda: self.grid() is None, message="the panel to hide")
        self.session.screenshot("wayland-tray.png", self.session.bar_region())

        # The title strip, just above the grid, drags the panel.
        self.click_tray()
        grid = wait_until(self.grid, message="the panel")
        strip_x, strip_y = grid[0] + 100, grid[1] - 8
        self.session.move(strip_x, strip_y)
        self.session.button("left", True)
        for step in range(1, 11):
            self.session.move(strip_x - 8 * step, strip_y - 12 * step)
        self.session.button("left", False)
        moved = wait_until(lambda: (lambda g: g if g and g != grid else None)(self.grid()),
                           message="the panel to move")
        self.assertEqual((moved[0] - grid[0], moved[1] - grid[1]), (-80, -120))
        self.session.screenshot("wayland-panel.png")
        self.type_cells(moved, (1,), glyphs)

        # The five entries of the menu, which opens inside the panel.
        self.open_menu()
        self.session.screenshot("wayland-menu.png")
        self.choose(SHOW_HIDE)
        wait_until(lambda: self.grid() is None, message="Show/Hide to hide the panel")
        for entry, name in ((SETTINGS, "Settings"), (ABOUT, "About Ondrel")):
            self.choose(entry)
            window = wait_until(lambda: self.window_named(ondrel.pid, name),
                                message="the window " + name)
            self.session.run(["swaymsg", "[con_id=%d]" % window["id"], "kill"])
            wait_until(lambda: not self.window_named(ondrel.pid, name), message=name + " to close")
        self.choose(HELP)
        self.assertEqual(wait_until(lambda: file_text(opened), message="the browser").strip(),
                         "https://ondrel.example.org/help")
        self.choose(QUIT)
        self.assertEqual(ondrel.wait(15), 0)
        with open(self.log, encoding="utf-8", errors="replace") as f:
            log = f.read()
        self.assertIn("bind a key to `ondrel --toggle`", log)
        faults, made = role_order_faults(log)
        self.assertEqual(faults, [])
        self.assertGreaterEqual(made, 5, "a layer surface for each show")


@unittest.skipUnless(have("weston", "Xwayland", "trayer", "xdotool", "tesseract"),
                     "weston, XWayland or the X11 helpers missing")
class WestonFallbackTest(unittest.TestCase):
    def setUp(self):
        self.session = WaylandSession("weston").start()

    def tearDown(self):
        self.session.stop()

    def test_runs_through_xwayland_and_says_so(self):
        self.session.spawn(["trayer", "--edge", "bottom", "--align", "right", "--widthtype",
                            "request", "--height", "24", "--transparent", "false"])
        log = os.path.join(self.session.files, "ondrel.log")
        ondrel = self.session.spawn([ONDREL_BIN], log=log)
        notice = ("On this desktop Ondrel can type only into X11 applications. "
                  "Right-click a character to copy it.")
        wait_until(lambda: notice in file_text(log), timeout=30, message="the log to say it")

        def balloon():
            out = self.session.run(["xdotool", "search", "--all", "--pid", str(ondrel.pid),
                                    "--name", ""], check=False).stdout
            for window in out.split():
                info = self.session.run(["xwininfo", "-id", window], check=False).stdout
                width = re.search(r"Width:\s+(\d+)", info)
                # Not the tray icon: the balloon is the wide pop-up.
                if ("IsViewable" in info and "Override Redirect State: yes" in info
                        and width and int(width.group(1)) > 100):
                    return window
            return None
        window = wait_until(balloon, timeout=30, message="the start-up balloon on XWayland")
        shot = os.path.join(self.session.files, "balloon.png")
        self.session.run(["import", "-window", window, shot])
        shutil.copy(shot, self.session.artifact("weston-balloon.png"))
        text = ocr(shot, "-resize", "300%")
        self.assertIn("X11 applications", " ".join(text.split()))


if __name__ == "__main__":
    unittest.main()
