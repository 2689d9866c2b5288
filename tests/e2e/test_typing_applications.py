# SPDX-License-Identifier: GPL-3.0-or-later
"""Typing from the panel into the applications that people type in most, each with
its own way of reading keys: Chromium (and so every Electron application), Firefox,
a GTK 3 entry and xterm. Every glyph of code pages 437 and 866, far more than there
are spare keycodes, arrives exactly at a fast clicker's pace, checked in what the
application itself holds; the focus stays there; and the keyboard map is as it was
once the program has gone. In Chromium, so do the box-drawing page and a page of the
user's own."""

import os
import shutil
import time
import unittest

from helpers import PACE, file_text, panel_glyphs, wait_until
from x11session import Browser, Ondrel, X11Session

CODE_PAGES = ((437, "en_US.UTF-8"), (866, "ru_RU.UTF-8"))


def window_of(session, process, name):
    return wait_until(lambda: (session.managed_windows(process.pid) or [None])[0],
                      timeout=30, message="the %s window" % name)


class Terminal:
    """xterm running cat, which writes what is typed into the terminal to a file."""

    def __init__(self, session):
        self.output = os.path.join(session.tmp, "xterm.txt")
        self.process = session.spawn(
            ["xterm", "-e", "sh", "-c", 'stty -icanon -echo; exec cat > "$0"', self.output],
            env={"LC_ALL": "C.UTF-8"})
        self.window = window_of(session, self.process, "xterm")

    def text(self):
        return file_text(self.output)


class Entry:
    """A GTK 3 entry (zenity's), whose text is printed when Return is pressed."""

    def __init__(self, session):
        self.session = session
        self.output = os.path.join(session.tmp, "zenity.txt")
        self.process = session.spawn(
            ["sh", "-c", 'exec zenity --entry --text=Ondrel > "$0"', self.output],
            env={"LC_ALL": "C.UTF-8"})
        self.window = window_of(session, self.process, "zenity")

    def text(self):
        if self.process.poll() is None:
            self.session.key("Return")
            self.process.wait(60)
        with open(self.output, encoding="utf-8") as f:
            return f.read().rstrip("\n")


class ApplicationTypingTest(unittest.TestCase):
    def type_every_glyph(self, open_application):
        # A session of its own for each code page, so that one failing leaves
        # nothing behind (a program still holding every spare keycode) for the next.
        for code_page, lang in CODE_PAGES:
            with self.subTest(code_page=code_page):
                session = X11Session().start()
                try:
                    self.type_page(session, open_application(session), panel_glyphs(code_page),
                                   {"LANG": lang})
                finally:
                    session.stop()

    def type_page(self, session, application, glyphs, env, typed_before=""):
        keymap = session.x("xmodmap", "-pke")
        ondrel = Ondrel(session, env=env)
        ondrel.wait_for_tray_icon()
        focused = lambda: session.focused_client() == application.window.id
        session.x("xdotool", "windowactivate", "--sync", str(application.window.id))
        wait_until(focused, message="focus on the application")
        ondrel.click_tray()
        panel = wait_until(ondrel.panel, message="the panel")
        for index in range(len(glyphs)):
            x, y = panel.cell_centre(index)
            session.x("xdotool", "mousemove", str(x), str(y), "click", "1")
            time.sleep(PACE)
        # Hiding the panel is handled after every click before it.
        ondrel.click_tray()
        wait_until(lambda: ondrel.panel() is None, message="the panel to hide")
        self.assertTrue(focused(), "the application lost the focus")
        expected = typed_before + "".join(glyphs)
        try:
            wait_until(lambda: application.text() == expected, timeout=60,
                       message="the application's text")
        except AssertionError:
            self.assertEqual(application.text(), expected)
        self.assertEqual(ondrel.terminate(), 0)
        self.assertEqual(session.x("xmodmap", "-pke"), keymap)

    @unittest.skipUnless(shutil.which("chromium"), "chromium is not installed")
    def test_chromium(self):
        self.type_every_glyph(lambda session: self.closing(Browser(session, "chromium")))

    @unittest.skipUnless(shutil.which("chromium"), "chromium is not installed")
    def test_chromium_with_pages_of_characters(self):
        session = X11Session().start()
        self.addCleanup(session.stop)
        browser = self.closing(Browser(session, "chromium"))
        folder = os.path.join(session.config_home, "Ondrel")
        os.makedirs(os.path.join(folder, "pages"))
        own = "\u256d\u256e\u2570\u256f\u250f\u2501\u2513\u2503\u00ab\u00bb\u20ac\u00df"
        with open(os.path.join(folder, "pages", "mixed.txt"), "w", encoding="utf-8") as f:
            f.write("Mixed\n%s\n%s\n" % (own[:8], own[8:]))
        box_drawing = [chr(code) for code in range(0x2500, 0x25A0)]
        typed = ""
        for page, glyphs in (("box-drawing", box_drawing), ("mixed.txt", list(own))):
            with open(os.path.join(folder, "Ondrel_1.0.conf"), "w", encoding="utf-8") as f:
                f.write("[Settings]\nCodePage=%s\n" % page)
            self.type_page(session, browser, glyphs, {}, typed)
            typed += "".join(glyphs)

    @unittest.skipUnless(shutil.which("firefox-esr"), "firefox-esr is not installed")
    def test_firefox(self):
        self.type_every_glyph(lambda session: self.closing(Browser(session, "firefox-esr")))

    def test_gtk3_entry(self):
        self.type_every_glyph(Entry)

    def test_xterm(self):
        self.type_every_glyph(Terminal)

    def closing(self, browser):
        self.addCleanup(browser.close)
        return browser


if __name__ == "__main__":
    unittest.main()
