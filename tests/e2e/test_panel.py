# SPDX-License-Identifier: GPL-3.0-or-later
"""What the user sees of the panel: glyphs that stand out against a dark background,
and the title strip naming the character under the pointer."""

import unittest

from helpers import ocr, wait_until
from x11session import X11Test

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


if __name__ == "__main__":
    unittest.main()
