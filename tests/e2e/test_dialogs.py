# SPDX-License-Identifier: GPL-3.0-or-later
"""The settings dialog and the About window, opened from the tray menu and worked
with the mouse and keyboard as a user would."""

import os
import shlex
import shutil
import subprocess
import unittest

import test_tray
from x11session import ARTIFACTS, ONDREL_BIN, Ondrel, Target, X11Session, wait_until

SETTINGS, ABOUT = 1, 3  # rows of the tray menu


def read_ppm(data):
    """Width, height and RGB bytes of a binary PPM image."""
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:position + 1 + width * height * 3]


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


class DialogsTest(unittest.TestCase):
    open_menu = test_tray.TrayTest.open_menu
    click_menu_entry = test_tray.TrayTest.click_menu_entry

    def setUp(self):
        self.session = X11Session().start()
        self.target = Target(self.session)

    def tearDown(self):
        self.session.stop()

    def start_ondrel(self, binary=None):
        ondrel = Ondrel(self.session) if binary is None else Ondrel.__new__(Ondrel)
        if binary is not None:
            ondrel.session = self.session
            ondrel.process = self.session.spawn(binary if isinstance(binary, list) else [binary])
        ondrel.wait_for_tray_icon()
        self.target.focus()
        return ondrel

    def open_window(self, ondrel, row, title):
        menu = self.open_menu(ondrel)
        self.click_menu_entry(menu, row)

        def window():
            for w in self.session.managed_windows(ondrel.pid):
                if self.session.title(w.id) == title:
                    return w
            return None
        return wait_until(window, message="the window " + title)

    def focus_on(self, window):
        wait_until(lambda: self.session.focused_window() == window.id,
                   message="focus on 0x%x" % window.id)

    def grab(self, window):
        """The window's content as (width, height, RGB bytes)."""
        data = subprocess.run(["import", "-window", str(window.id), "-depth", "8", "ppm:-"],
                              env=self.session.env,
                              capture_output=True, check=True).stdout
        return read_ppm(data)

    def save_with_frame(self, window, name):
        left, right, top, bottom = self.session.frame_extents(window.id)
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name)
        geometry = "%dx%d+%d+%d" % (window.width + left + right, window.height + top + bottom,
                                    window.x - left, window.y - top)
        self.session.x("import", "-window", "root", "-crop", geometry, "+repage", path)
        return path

    def size_slider_groove(self, dialog):
        """The filled part of the "Symbol size" slider: at the largest size, all of it.
        It is the only highlight-blue run in the dialog's upper third, above the row
        that holds the focused button's blue frame."""
        width, height, pixels = self.grab(dialog)
        xs, ys = [], []
        for y in range(height // 3):
            for x in range(width):
                r, g, b = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
                if b > 150 and b > r + 60 and g > r + 20:
                    xs.append(x)
                    ys.append(y)
        self.assertTrue(xs, "no slider groove found")
        return min(xs), min(ys), max(xs), max(ys)

    def panel(self, ondrel):
        return ondrel.panel()

    def panel_width(self, ondrel):
        panel = self.panel(ondrel)
        return panel.window.width if panel else None

    def test_settings_resizes_the_panel_live(self):
        ondrel = self.start_ondrel()
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
        wait_until(lambda: not any(self.session.title(w.id) == "Settings"
                                   for w in self.session.managed_windows(ondrel.pid)),
                   message="the dialog to close")
        self.assertIsNotNone(self.panel(ondrel))
        self.assertIsNone(ondrel.process.poll())
        # Opened again, it is the same dialog with what the user left in it: the size
        # slider stands at 40 of 20 to 45, so its filled part is shorter than at first.
        # (Qt gives a closed dialog a new native window, so the window id is no proof.)
        again = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(again)
        _, _, fill_end, _ = self.size_slider_groove(again)
        self.assertLess(fill_end - x0, x1 - x0 - 10)
        self.assertEqual(len([w for w in self.session.managed_windows(ondrel.pid)
                              if self.session.title(w.id) == "Settings"]), 1)

    def test_a_panel_shown_by_the_dialog_never_takes_the_focus(self):
        # Shown and hidden from the tray first: hiding once made the panel an
        # ordinary window, and a show from the dialog did not undo that.
        ondrel = self.start_ondrel()
        ondrel.click_tray()
        wait_until(lambda: self.panel(ondrel), message="the panel")
        ondrel.click_tray()
        wait_until(lambda: self.panel(ondrel) is None, message="the panel to hide")

        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        x0, y0, _, y1 = self.size_slider_groove(dialog)
        self.session.click(dialog.x + x0 + 3, dialog.y + (y0 + y1) // 2)
        panel = wait_until(lambda: self.panel(ondrel), message="the panel from the slider")

        self.target.focus()
        self.session.click(*panel.cell_centre(63))
        wait_until(lambda: self.target.text() == "Ç", message="Ç in the target")
        self.assertTrue(self.target.has_focus(), "the panel took the focus")

    def ocr(self, window, name, language):
        """The text tesseract reads in a window, enlarged so that small UI text reads well."""
        path = self.save_with_frame(window, name)
        big = path + ".big.png"
        subprocess.run(["convert", path, "-resize", "300%", big], check=True)
        return subprocess.run(["tesseract", big, "-", "-l", language], capture_output=True,
                              text=True).stdout

    def test_a_chosen_page_applies_at_once_and_is_kept(self):
        pages = os.path.join(self.session.config_home, "Ondrel", "pages")
        os.makedirs(pages)
        with open(os.path.join(pages, "arrows.txt"), "w", encoding="utf-8") as f:
            f.write("My arrows\n\u2190\u2191\n\u2192\u2193\n")
        with open(os.path.join(pages, "latin1.txt"), "wb") as f:
            f.write(b"Accents\n\xe9\xe8")
        log = os.path.join(self.session.tmp, "ondrel.log")
        ondrel = self.start_ondrel(["sh", "-c", 'exec "$0" 2>"$1"', ONDREL_BIN, log])
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
        ondrel = Ondrel(self.session, env={"LANG": "ru_RU.UTF-8"})
        ondrel.wait_for_tray_icon()
        self.target.focus()
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

    def autorun_roundtrip(self, binary):
        """Switches autorun on and off from the keyboard and returns the Exec line."""
        entry = os.path.join(self.session.config_home, "autostart", "Ondrel.desktop")
        ondrel = self.start_ondrel(binary)
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        self.assertFalse(os.path.exists(entry))

        # "Autorun" is the first thing in the dialog and has the keyboard focus.
        self.session.key("space")
        wait_until(lambda: os.path.exists(entry), message="the autostart entry")
        exec_line = desktop_exec(entry)

        # Started again, the program sees its own entry: the box comes up checked,
        # so space now unchecks it and the entry goes.
        menu = self.open_menu(ondrel)
        self.click_menu_entry(menu, 4)  # Quit
        self.assertEqual(ondrel.process.wait(10), 0)
        ondrel = self.start_ondrel(binary)
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        self.session.key("space")
        wait_until(lambda: not os.path.exists(entry), message="the entry to go")
        return exec_line

    def test_autorun_writes_and_removes_the_autostart_entry(self):
        exec_line = self.autorun_roundtrip(ONDREL_BIN)
        self.assertEqual(shlex.split(exec_line), [os.path.realpath(ONDREL_BIN)])

    def test_autorun_quotes_a_path_with_blanks(self):
        folder = os.path.join(self.session.tmp, "my apps", "it's here")
        os.makedirs(folder)
        binary = os.path.join(folder, "ondrel")
        shutil.copy2(ONDREL_BIN, binary)
        exec_line = self.autorun_roundtrip(binary)
        self.assertTrue(exec_line.startswith('"'), exec_line)
        self.assertEqual(shlex.split(exec_line), [binary])

    def read_opened(self):
        try:
            with open(os.path.join(self.session.tmp, "opened.txt"), encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def test_about_shows_icon_name_and_link(self):
        bin_dir = os.path.join(self.session.tmp, "bin")
        os.makedirs(bin_dir)
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w", encoding="utf-8") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$1" > "%s/opened.txt"\n' % self.session.tmp)
        os.chmod(opener, 0o755)
        self.session.env["PATH"] = bin_dir + os.pathsep + self.session.env.get("PATH", "")
        ondrel = self.start_ondrel()
        about = self.open_window(ondrel, ABOUT, "About Ondrel")
        self.focus_on(about)
        self.save_with_frame(about, "about-window.png")
        width, height, pixels = self.grab(about)
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
        opened = wait_until(lambda: self.read_opened(), message="the browser")
        self.assertEqual(opened.strip(), "https://ondrel.example.org")
        self.assertEqual(self.session.window(about.id).viewable, True)

        self.assertEqual(self.open_window(ondrel, ABOUT, "About Ondrel").id, about.id)
        self.assertEqual(len([w for w in self.session.managed_windows(ondrel.pid)
                              if self.session.title(w.id) == "About Ondrel"]), 1)


if __name__ == "__main__":
    unittest.main()
