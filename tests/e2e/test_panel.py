# SPDX-License-Identifier: GPL-3.0-or-later
"""What the user sees of the panel: glyphs that stand out against a dark background,
the title strip naming the character under the pointer, and the panel coming up on
the monitor the pointer is on."""

import os
import shutil
import subprocess
import unittest

from helpers import ocr, wait_until
from session import ONDREL_BIN
from x11session import Ondrel, X11Session, X11Test

FULL_BLOCK_CELL = 63 + 219 - 128  # █ on code page 437
EMPTY_CELL = 190


class PanelTest(X11Test):
    def pixel(self, panel, x, y):
        """A pixel of the grid, from its top-left corner."""
        width, _, pixels = self.session.grab(panel.id)
        offset = ((panel.grid_top + y) * width + x) * 3
        return tuple(pixels[offset:offset + 3])

    def strip_text(self, panel, name):
        return ocr(self.session.screenshot(name), "-crop", "%dx%d+%d+%d" % (
            panel.window.width, panel.grid_top, panel.window.x, panel.window.y), "+repage",
            "-resize", "300%")

    def test_dark_background_light_glyphs_and_the_name_under_the_pointer(self):
        self.session.store_settings(
            "[Settings]\nColors\\Background\\R=20\nColors\\Background\\G=20\n"
            "Colors\\Background\\B=20\nSizes\\Labels=40\nSizes\\Spacing=0\n")
        ondrel = self.start_ondrel()
        ondrel.click_tray()
        panel = wait_until(ondrel.panel, message="the panel")

        def centre(cell):
            row, column = divmod(cell, 28)
            return column * 40 + 20, row * 40 + 20

        self.assertEqual(self.pixel(panel, *centre(EMPTY_CELL)), (20, 20, 20))
        self.assertGreater(min(self.pixel(panel, *centre(FULL_BLOCK_CELL))), 200,
                           "the glyphs are not light on a dark background")
        self.session.screenshot("panel-dark.png")

        # The pointer over Ç: a highlight, and the title strip names the character.
        self.assertIn("Ondrel", self.strip_text(panel, "panel-title.png"))
        x, y = centre(63)
        self.session.x("xdotool", "mousemove", "--sync", str(panel.x + x), str(panel.y + y))
        text = wait_until(lambda: (lambda t: t if "CEDILLA" in t.upper() else None)(
            self.strip_text(panel, "panel-hover.png")), timeout=15, message="the name in the strip")
        highlight = self.pixel(panel, x - 15, y - 15)
        self.assertGreater(min(highlight), 20, "no highlight under the pointer")
        self.assertLess(max(highlight), 200)
        self.assertIn("Alt+128", text.replace(" ", ""), text)
        self.assertIn("copy", text)
        self.assertTrue(self.target.has_focus())

        # A right click copies the glyph instead of typing it.
        self.session.x("xdotool", "click", "3")
        clipboard = lambda: self.session.x("xclip", "-o", "-selection", "clipboard", check=False)
        wait_until(lambda: clipboard() == "Ç", message="Ç on the clipboard")
        self.session.screenshot("panel-copied.png")
        self.assertEqual(self.target.text(), "")


def start_x_server(session, argv):
    """Starts an X server of the session and returns its display name."""
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(argv + ["-displayfd", str(write_fd), "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write_fd,), env=session.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    session.processes.append(server)
    with os.fdopen(read_fd, "rb") as pipe:
        number = pipe.readline()
    if not number:
        raise RuntimeError(argv[0] + " did not start")
    return ":" + number.decode().strip()


class TwoMonitorSession(X11Session):
    """One wide screen split into two RandR monitors side by side. Xvfb ignores the
    monitors set on it, so the session's X server is Xephyr, shown in an Xvfb."""

    def __init__(self):
        super().__init__(width=2560, height=1024, tray=False)

    def _start(self):
        self.env["DISPLAY"] = start_x_server(self, ["Xvfb", "-screen", "0", "2560x1024x24"])
        self.display = self.env["DISPLAY"] = start_x_server(self, ["Xephyr", "-screen",
                                                                   "2560x1024"])
        self.x("xrandr", "--setmonitor", "left", "1280/338x1024/270+0+0", "default")
        self.x("xrandr", "--setmonitor", "right", "1280/338x1024/270+1280+0", "none")
        self.start_window_manager()
        return self


@unittest.skipUnless(shutil.which("Xephyr"), "Xephyr is not installed")
class TwoMonitorTest(unittest.TestCase):
    def setUp(self):
        self.session = TwoMonitorSession().start()

    def tearDown(self):
        self.session.stop()

    def toggle_twice(self, ondrel):
        for shown in (False, True):
            self.assertEqual(subprocess.run([ONDREL_BIN, "--toggle"], env=self.session.env,
                                            timeout=30).returncode, 0)
            wait_until(lambda: (ondrel.panel() is not None) == shown, message="the toggle")

    def test_first_show_lands_on_the_pointers_monitor(self):
        ondrel = Ondrel(self.session)
        ondrel.wait_until_answering()
        self.session.x("xdotool", "mousemove", "--sync", "1900", "300")
        self.assertEqual(subprocess.run([ONDREL_BIN, "--show"], env=self.session.env,
                                        timeout=30).returncode, 0)
        panel = wait_until(ondrel.panel, message="the panel").window
        # Centred on the right monitor, at half its height, and no wider than it.
        self.assertLessEqual(abs(panel.x + panel.width // 2 - (1280 + 640)), 1, panel)
        self.assertEqual(panel.y, 512)
        self.assertGreaterEqual(panel.x, 1280, panel)
        self.session.screenshot("two-monitors.png")

        # Shown again with the pointer on the other monitor, it keeps its place.
        self.session.x("xdotool", "mousemove", "--sync", "300", "300")
        self.toggle_twice(ondrel)
        self.assertEqual((ondrel.panel().window.x, ondrel.panel().window.y), (panel.x, panel.y))

        # Left where no monitor shows it, as when its monitor was unplugged, it comes
        # back onto the pointer's monitor.
        self.session.x("xdotool", "windowmove", "--sync", str(panel.id), "3000", "100")
        self.toggle_twice(ondrel)
        back = ondrel.panel().window
        self.assertLessEqual(abs(back.x + back.width // 2 - 640), 1, back)
        self.assertEqual(ondrel.terminate(), 0)


if __name__ == "__main__":
    unittest.main()
