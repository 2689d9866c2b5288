# SPDX-License-Identifier: GPL-3.0-or-later
"""The code page that the user's locale selects: the panel's title, and the glyphs as
they appear on screen, compared with an independent rendering of the same character."""

import subprocess
import unittest

from helpers import read_ppm, wait_until
from x11session import Ondrel, X11Session

BACKGROUND = (229, 230, 230)
COLUMNS = 28


class Image:
    """An RGB picture read through ImageMagick, as plain pixels."""

    def __init__(self, convert_args):
        self.width, self.height, self.pixels = read_ppm(subprocess.run(
            ["convert"] + convert_args + ["-depth", "8", "ppm:-"], capture_output=True,
            check=True).stdout)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def ink(self, left, top, size):
        """The dark pixels of a square, relative to its corner."""
        return {(x, y) for y in range(size) for x in range(size)
                if sum(self.pixel(left + x, top + y)) < 3 * 128}


def bounding_box(ink):
    xs = [x for x, _ in ink]
    ys = [y for _, y in ink]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def shape(ink):
    """The ink moved to its own corner, so that shapes compare wherever they sit."""
    left, top, _, _ = bounding_box(ink)
    return {(x - left, y - top) for x, y in ink}


def likeness(a, b):
    a, b = shape(a), shape(b)
    return len(a & b) / len(a | b)


def rendering(character, cell, pixel_size):
    """The character as fontconfig's sans-serif font draws it, black on the panel's
    background: what a label should look like, made without Qt."""
    font = subprocess.run(["fc-match", "-f", "%{file}", "sans-serif"], capture_output=True,
                          text=True, check=True).stdout
    image = Image(["-size", "%dx%d" % (cell, cell), "xc:rgb%s" % (BACKGROUND,), "-font", font,
                   "-pointsize", str(pixel_size), "-fill", "black", "-gravity", "center",
                   "-annotate", "+0+0", character])
    return image.ink(0, 0, cell)


class CodePageTest(unittest.TestCase):
    def setUp(self):
        self.session = X11Session().start()
        # Only the locale that a test names may decide the code page.
        for name in [name for name in self.session.env if name.startswith("LC_")]:
            del self.session.env[name]

    def tearDown(self):
        self.session.stop()

    def show_panel(self, **locale):
        ondrel = Ondrel(self.session, env=locale)
        ondrel.wait_for_tray_icon()
        ondrel.click_tray()
        panel = wait_until(ondrel.panel, message="the panel")
        self.assertEqual(panel.window.width % COLUMNS, 0)
        return ondrel, panel

    def capture(self, panel, name):
        """The panel's grid, saved as an artefact, once it has its labels drawn."""
        path = self.session.artifact(name)
        cell = panel.cell

        def drawn():
            self.session.x("import", "-window", str(panel.id), path)
            image = Image([path, "-crop", "%dx%d+0+%d" % (panel.window.width, 7 * cell,
                                                          panel.grid_top), "+repage"])
            return image if image.ink(7 * cell, 2 * cell, cell) else None
        return wait_until(drawn, message="the panel's glyphs to be drawn")

    def check_panel(self, image, cell, character, other):
        """Glyph 63, the first of the code page, shows `character` and not `other`; the
        190 filled labels carry black ink on the background; the rest are blank."""
        glyph_size = cell - 2 * (cell // 5)
        ink = image.ink(7 * cell, 2 * cell, cell)
        right = likeness(ink, rendering(character, cell, glyph_size))
        wrong = likeness(ink, rendering(other, cell, glyph_size))
        self.assertGreater(right, 0.5, "label 63 does not look like %s" % character)
        self.assertGreater(right - wrong, 0.3, "label 63 looks like %s too" % other)

        left, _, width, _ = bounding_box(ink)
        self.assertLessEqual(abs(2 * left + width - cell), 3, "label 63 is not centred")

        for index in range(195):
            x, y = (index % COLUMNS) * cell, (index // COLUMNS) * cell
            pixels = {image.pixel(x + dx, y + dy) for dy in range(cell) for dx in range(cell)}
            if index < 190:
                self.assertIn(BACKGROUND, pixels, "label %d lost the background" % index)
                self.assertLess(min(sum(p) for p in pixels), 3 * 60,
                                "label %d shows no black glyph" % index)
            else:
                self.assertEqual(pixels, {BACKGROUND}, "label %d is not empty" % index)

    def test_the_locale_chooses_the_code_page(self):
        for locale, page, character, other in (
                ({"LANG": "ru_RU.UTF-8"}, "866 Cyrillic", "\u0410", "\u00c7"),
                ({"LANG": "en_US.UTF-8"}, "437 LatinUS", "\u00c7", "\u0410"),
                ({"LC_ALL": "he_IL.UTF-8", "LANG": "ru_RU.UTF-8"}, "862 Hebrew", "\u05d0",
                 "\u0410")):  # LC_ALL outranks LANG
            with self.subTest(**locale):
                ondrel, panel = self.show_panel(**locale)
                self.assertEqual(self.session.title(panel.id),
                                 "Ondrel [1-255, Code Page %s]" % page)
                image = self.capture(panel, "codepage-%s-panel.png" % page.split()[0])
                self.check_panel(image, panel.cell, character, other)
                self.assertEqual(ondrel.terminate(), 0)


if __name__ == "__main__":
    unittest.main()
