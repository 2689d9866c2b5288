# SPDX-License-Identifier: GPL-3.0-or-later
"""Typing from the panel into the applications that people type in most, each with
its own way of reading keys: Chromium (and so every Electron application), Firefox,
a GTK 3 entry and xterm. Every glyph of code pages 437 and 866, far more than there
are spare keycodes, arrives exactly at a fast clicker's pace, checked in what the
application itself holds; the focus stays there; and the keyboard map is as it was
once the program has gone."""

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
                    self.type_page(session, open_application(session), code_page, lang)
                finally:
                    session.stop()

    def type_page(self, session, application, code_page, lang):
        keymap = session.x("xmodmap", "-pke")
        ondrel = Ondrel(session, env={"LANG": lang})
        ondrel.wait_for_tray_icon()
        focused = lambda: session.focused_client() == application.window.id
        session.x("xdotool", "windowactivate", "--sync", str(application.window.id))
        wait_until(focused, message="focus on the application")
        ondrel.click_tray()
        panel = wait_until(ondrel.panel, message="the panel")
        glyphs = panel_glyphs(code_page)
        for index in range(len(glyphs)):
            x, y = panel.cell_centre(index)
            session.x("xdotool", "mousemove", str(x), str(y), "click", "1")
            time.sleep(PACE)
        # Hiding the panel is handled after every click before it.
        ondrel.click_tray()
        wait_until(lambda: ondrel.panel() is None, message="the panel to hide")
        self.assertTrue(focused(), "the application lost the focus")
        try:
            wait_until(lambda: application.text() == "".join(glyphs), timeout=60,
                       message="the application's text")
        except AssertionError:
            self.assertEqual(application.text(), "".join(glyphs))
        self.assertEqual(ondrel.terminate(), 0)
        self.assertEqual(session.x("xmodmap", "-pke"), keymap)

    @unittest.skipUnless(shutil.which("chromium"), "chromium is not installed")
    def test_chromium(self):
        self.type_every_glyph(lambda session: self.closing(Browser(session, "chromium")))

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
