# SPDX-License-Identifier: GPL-3.0-or-later
"""The settings dialog and the About window, opened from the tray menu and worked
with the mouse and keyboard as a user would."""

import os
import shlex
import shutil
import unittest

from helpers import ABOUT, SETTINGS, file_text, ocr, wait_until
from x11session import ONDREL_BIN, X11Test


def desktop_exec(path):
    """The Exec value of a desktop entry, unescaped as a string value."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    assert lines[0] == "[Desktop Entry]", lines[0]
    for line in lines:
        key, _, value = line.partition("=")
        if key.strip() == "Exec":
            value = value.strip()
            out, i = "", 0
            while i < len(value):
                if value[i] == "\\" and i + 1 < len(value):
                    out += {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(
                        value[i + 1], value[i:i + 2])
                    i += 2
                else:
                    out += value[i]
                    i += 1
            return out
    return None


class DialogsTest(X11Test):
    def save_with_frame(self, window, name):
        left, right, top, bottom = self.session.frame_extents(window.id)
        path = self.session.artifact(name)
        geometry = "%dx%d+%d+%d" % (window.width + left + right, window.height + top + bottom,
                                    window.x - left, window.y - top)
        self.session.x("import", "-window", "root", "-crop", geometry, "+repage", path)
        return path

    def panel(self, ondrel):
        return ondrel.panel()

    def panel_width(self, ondrel):
        panel = self.panel(ondrel)
        return panel.window.width if panel else None

    def test_settings_resize_the_panel_live_and_never_give_it_the_focus(self):
        # Shown and hidden from the tray first: hiding once made the panel an
        # ordinary window, and a show from the dialog did not undo that.
        ondrel = self.start_ondrel()
        ondrel.click_tray()
        wait_until(lambda: self.panel(ondrel), message="the panel")
        ondrel.click_tray()
        wait_until(lambda: self.panel(ondrel) is None, message="the panel to hide")
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        self.save_with_frame(dialog, "settings-dialog.png")
        self.assertIsNone(self.panel(ondrel))

        # The size starts at its largest, 45 on 1280 x 1024; a click on the left of the
        # slider's groove takes it down and shows the hidden panel at once.
        x0, y0, x1, y1 = self.size_slider_groove(dialog)
        self.session.click(dialog.x + x0 + 3, dialog.y + (y0 + y1) // 2)
        width = wait_until(lambda: self.panel_width(ondrel), message="the panel")
        self.assertLess(width, 28 * 45)
        self.assertEqual(width % 28, 0)
        # The dialog keeps the keyboard, so the keys go on moving the slider.
        self.focus_on(dialog)
        for key, size in (("Home", 20), ("End", 45), ("Left", 44), ("Next", 39),
                          ("Right", 40)):  # "Next" is Page Down
            self.session.key(key)
            wait_until(lambda: self.panel_width(ondrel) == 28 * size,
                       message="labels of %d pixels after %s" % (size, key))
        panel = self.panel(ondrel)
        self.assertEqual(panel.window.height, panel.grid_top + 7 * 40)
        self.session.screenshot("settings-with-panel.png")

        # The window manager cannot make the dialog any larger.
        before = self.session.window(dialog.id)
        self.session.x("xdotool", "windowsize", str(dialog.id), "700", "500")
        self.session.x("xdotool", "sync", check=False)
        after = self.session.window(dialog.id)
        self.assertEqual((after.width, after.height), (before.width, before.height))

        # Closing the dialog leaves the program and the panel running.
        self.session.key("Escape")
        wait_until(lambda: not self.windows_titled(ondrel, "Settings"),
                   message="the dialog to close")
        self.assertIsNotNone(self.panel(ondrel))
        self.assertIsNone(ondrel.process.poll())
        # The panel that the dialog showed types, and leaves the focus where it is.
        self.target.focus()
        self.session.click(*panel.cell_centre(63))
        wait_until(lambda: self.target.text() == "Ç", message="Ç in the target")
        self.assertTrue(self.target.has_focus(), "the panel took the focus")
        # Opened again, it is the same dialog with what the user left in it: the size
        # slider stands at 40 of 20 to 45, so its filled part is shorter than at first.
        # (Qt gives a closed dialog a new native window, so the window id is no proof.)
        again = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(again)
        _, _, fill_end, _ = self.size_slider_groove(again)
        self.assertLess(fill_end - x0, x1 - x0 - 10)
        self.assertEqual(len(self.windows_titled(ondrel, "Settings")), 1)

    def ocr(self, window, name, language):
        """The text tesseract reads in a window, enlarged so that small UI text reads well."""
        return ocr(self.save_with_frame(window, name), "-resize", "300%", language=language)

    def test_a_chosen_page_applies_at_once_and_is_kept(self):
        pages = os.path.join(self.session.config_home, "Ondrel", "pages")
        os.makedirs(pages)
        with open(os.path.join(pages, "arrows.txt"), "w", encoding="utf-8") as f:
            f.write("My arrows\n\u2190\u2191\n\u2192\u2193\n")
        with open(os.path.join(pages, "latin1.txt"), "wb") as f:
            f.write(b"Accents\n\xe9\xe8")
        log = os.path.join(self.session.tmp, "ondrel.log")
        ondrel = self.start_ondrel(log=log)
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        # The focus starts on Autorun, so going back once reaches the code page box,
        # the last in the dialog: the highest page, 866, comes before the box-drawing
        # page, and the user's pages come last.
        self.session.key("shift+Tab")
        self.session.key("End")
        panel = wait_until(lambda: self.panel(ondrel), message="the panel")
        wait_until(lambda: self.session.title(panel.id) == "Ondrel [My arrows]",
                   message="the panel to show the user's page")
        for key, title in (("Up", "Ondrel [Box drawing]"),
                           ("Up", "Ondrel [1-255, Code Page 866 Cyrillic]"),
                           ("End", "Ondrel [My arrows]")):
            self.session.key(key)
            wait_until(lambda: self.session.title(panel.id) == title, message=title)
        self.save_with_frame(dialog, "settings-code-page.png")
        menu = self.open_menu(ondrel)
        self.click_menu_entry(menu, 4)  # Quit
        self.assertEqual(ondrel.process.wait(10), 0)
        with open(log, encoding="utf-8") as f:
            self.assertRegex(f.read(), r"Skipped the page file \S*latin1\.txt because the file "
                                       r"is not valid UTF-8")

        ondrel = self.start_ondrel()
        ondrel.click_tray()
        panel = wait_until(lambda: self.panel(ondrel), message="the panel after a restart")
        self.assertEqual(self.session.title(panel.id), "Ondrel [My arrows]")
        self.target.focus()
        self.session.click(*panel.cell_centre(3))
        wait_until(lambda: self.target.text() == "\u2193", message="\u2193 in the target")

    def test_russian_menu_and_dialog(self):
        ondrel = self.start_ondrel(env={"LANG": "ru_RU.UTF-8"})
        menu = self.open_menu(ondrel)
        text = self.ocr(menu, "tray-menu-ru.png", "rus")
        for entry in ("Настройки", "Справка", "Выход"):
            self.assertIn(entry, text)
        self.click_menu_entry(menu, SETTINGS)

        # The panel is hidden, so the dialog is the program's one framed window.
        window = wait_until(lambda: (self.session.managed_windows(ondrel.pid) or [None])[0],
                            message="the dialog")
        self.focus_on(window)
        text = self.ocr(window, "settings-ru.png", "rus")
        for label in ("Настройки", "Автозапуск", "Размер символов", "Цвет фона", "Кодовая страница"):
            self.assertIn(label, text)

    def test_autorun_writes_and_removes_a_quoted_autostart_entry(self):
        folder = os.path.join(self.session.tmp, "my apps", "it's here")
        os.makedirs(folder)
        binary = os.path.join(folder, "ondrel")
        shutil.copy2(ONDREL_BIN, binary)
        entry = os.path.join(self.session.config_home, "autostart", "Ondrel.desktop")
        ondrel = self.start_ondrel(binary=binary)
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        self.assertFalse(os.path.exists(entry))

        # "Autorun" is the first thing in the dialog and has the keyboard focus.
        self.session.key("space")
        wait_until(lambda: os.path.exists(entry), message="the autostart entry")
        exec_line = desktop_exec(entry)
        self.assertTrue(exec_line.startswith('"'), exec_line)
        self.assertEqual(shlex.split(exec_line), [binary])

        # Started again, the program sees its own entry: the box comes up checked,
        # so space now unchecks it and the entry goes.
        self.assertEqual(self.quit_from_menu(ondrel), 0)
        ondrel = self.start_ondrel(binary=binary)
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        self.session.key("space")
        wait_until(lambda: not os.path.exists(entry), message="the entry to go")

    def test_about_shows_icon_name_and_link(self):
        opened = self.session.stub_browser()
        ondrel = self.start_ondrel()
        about = self.open_window(ondrel, ABOUT, "About Ondrel")
        self.focus_on(about)
        self.save_with_frame(about, "about-window.png")
        width, height, pixels = self.session.grab(about.id)
        # The icon, centred in the upper part: a block of its dark blue-grey face.
        icon_pixels = [x for y in range(height // 2) for x in range(width)
                       if pixels[(y * width + x) * 3 + 2] > 90
                       and pixels[(y * width + x) * 3] < 90]
        self.assertGreater(len(icon_pixels), 200)
        centre = (min(icon_pixels) + max(icon_pixels)) / 2
        self.assertLess(abs(centre - width / 2), 4)

        # The link, blue text in the lower half, opens the site in the browser, which is
        # played here by an xdg-open that notes what it was asked to open.
        link = [(x, y) for y in range(height // 2, height) for x in range(width)
                if pixels[(y * width + x) * 3 + 2] > 150
                and max(pixels[(y * width + x) * 3:(y * width + x) * 3 + 2]) < 100]
        self.assertGreater(len(link), 20, "no link found")
        xs, ys = [x for x, _ in link], [y for _, y in link]
        self.assertLess(abs((min(xs) + max(xs)) / 2 - width / 2), 4)
        self.session.click(about.x + (min(xs) + max(xs)) // 2, about.y + (min(ys) + max(ys)) // 2)
        self.assertEqual(wait_until(lambda: file_text(opened), message="the browser").strip(),
                         "https://ondrel.example.org")
        self.assertEqual(self.session.window(about.id).viewable, True)

        self.assertEqual(self.open_window(ondrel, ABOUT, "About Ondrel").id, about.id)
        self.assertEqual(len(self.windows_titled(ondrel, "About Ondrel")), 1)


if __name__ == "__main__":
    unittest.main()
