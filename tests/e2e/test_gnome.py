# SPDX-License-Identifier: GPL-3.0-or-later
"""Ondrel on GNOME (headless GNOME Shell with XWayland), whose compositor lets no
client type: Ondrel types through its own IBus engine, and its panel is an X11
window that never takes the focus. Clicks come through mutter's RemoteDesktop
interface, as a person's mouse would. Every glyph of code page 437 and of the box
drawing page arrives exactly in a native GTK 4 entry that stays active, in Firefox
on Wayland, and in a native Qt 6 field where Qt speaks text-input-v3 (Qt 6.5 and
later); Backspace deletes one; and ibus-daemon's
global engine is the user's again after Ondrel quits, and after it was killed and
started anew. Into an X11 application that takes no text from IBus, XTest types."""

import glob
import os
import shutil
import signal
import unittest

from helpers import file_text, panel_glyphs, wait_until
from waylandsession import ONDREL_BIN, GnomeSession, GtkEntry, Target
from x11session import BROWSERS, Panel, TextPage

BOX_DRAWING = [chr(code) for code in range(0x2500, 0x25A0)]
BACKSPACE = 7 * Panel.COLUMNS - 1


class Firefox:
    """Firefox on Wayland showing a TextPage, whose text area has the focus."""

    def __init__(self, session):
        self.page = TextPage()
        profile = os.path.join(session.tmp, "firefox-profile")
        os.mkdir(profile)
        session.own(profile)
        self.process = session.spawn(BROWSERS["firefox-esr"](profile, self.page.url),
                                     env={"MOZ_ENABLE_WAYLAND": "1"})
        wait_until(lambda: self.page.ready, timeout=120, message="Firefox to load the page")

    def text(self):
        return self.page.text

    def close(self):
        self.page.close()


def qt_takes_text_input_v3():
    """Whether Qt's Wayland client library speaks text-input-v3."""
    for library in glob.glob("/usr/lib/*/libQt6WaylandClient.so.6"):
        with open(library, "rb") as f:
            if b"zwp_text_input_v3" in f.read():
                return True
    return False


def have(*programs):
    return all(shutil.which(p) for p in programs) and ONDREL_BIN and \
        os.path.exists(os.path.join(os.path.dirname(ONDREL_BIN), "libondrel-ibus.so"))


@unittest.skipUnless(have("gnome-shell", "ibus", "Xwayland", "xdotool", "dbus-daemon"),
                     "GNOME Shell, IBus, XWayland or Ondrel's IBus module missing")
class GnomeTest(unittest.TestCase):
    def setUp(self):
        self.session = GnomeSession()
        self.session.start()
        self.addCleanup(self.session.stop)

    def start_ondrel(self, page):
        self.session.store_settings("[Settings]\nCodePage=%s\n" % page)
        self.log = os.path.join(self.session.files, "ondrel-%d.log" % len(self.session.processes))
        ondrel = self.session.spawn([ONDREL_BIN], log=self.log,
                                    env={"QT_LOGGING_RULES": "ondrel.platform.debug=true"})
        self.addCleanup(shutil.copyfile, self.log, self.session.artifact(
            "gnome-" + os.path.basename(self.log)))
        wait_until(lambda: "Typing through IBus" in file_text(self.log), timeout=20,
                   message="Ondrel to type through IBus")
        self.session.run([ONDREL_BIN, "--show"])
        return ondrel, wait_until(self.session.panel, timeout=20, message="the panel")

    def type_cells(self, panel, cells, glyphs, text):
        """Clicks the cells one by one, each once the one before has arrived: mutter
        drops clicks that come a few milliseconds apart, faster than any person."""
        for cell in cells:
            expected = text()[:-1] if cell == BACKSPACE else text() + glyphs[cell]
            self.session.click(*panel.cell_centre(cell))
            wait_until(lambda: text() == expected, timeout=10,
                       message="cell %d to type %r; the text ends %r" % (
                           cell, expected[-1:], text()[-5:]))

    def quit(self, ondrel):
        self.session.run([ONDREL_BIN, "--quit"])
        self.assertEqual(ondrel.wait(15), 0)
        self.assertEqual(self.session.ibus_engine(), self.session.user_engine,
                         "the user's engine is not back after Quit")

    def test_types_into_native_applications_and_puts_the_engine_back(self):
        engine = self.session.user_engine
        entry = GtkEntry(self.session)
        for page, glyphs in ((437, panel_glyphs(437)), ("box-drawing", BOX_DRAWING)):
            ondrel, panel = self.start_ondrel(page)
            self.session.first_click(panel, entry.text)
            self.type_cells(panel, range(len(glyphs)), glyphs, entry.text)
            self.assertTrue(entry.is_active(), "a click on the panel made the GTK window inactive")
            self.assertEqual(self.session.ibus_engine(), engine)
            self.quit(ondrel)
        self.session.end(entry.process)

        # Backspace through the engine, and the engine put back after a kill.
        entry = GtkEntry(self.session)
        ondrel, panel = self.start_ondrel(437)
        glyphs = panel_glyphs(437)
        self.session.first_click(panel, entry.text)
        self.type_cells(panel, [0, 1, BACKSPACE], glyphs, entry.text)
        self.assertEqual(entry.text(), glyphs[0])
        os.kill(ondrel.pid, signal.SIGKILL)
        ondrel.wait(15)
        ondrel, panel = self.start_ondrel(437)
        wait_until(lambda: self.session.ibus_engine() == engine, timeout=10,
                   message="the user's engine after Ondrel was killed")
        self.session.end(entry.process)

        # Firefox on Wayland.
        browser = Firefox(self.session)
        self.addCleanup(browser.close)
        self.type_cells(panel, range(len(glyphs)), glyphs, browser.text)
        self.session.end(browser.process)

        self.quit(ondrel)

    def test_types_into_x11_applications_through_xtest(self):
        # An X11 application that takes no text from IBus: XTest types into it.
        target = Target(self.session, platform="xcb")
        # Mutter 48 frames X11 windows in a client of its own, whose frame bears the
        # window's name too: the focus is on one of the windows so named.
        windows = lambda: self.session.x(
            "xdotool", "search", "--onlyvisible", "--name", "^Ondrel test target$").split()
        wait_until(windows, timeout=20, message="the X11 target's window")
        wait_until(lambda: self.session.x("xdotool", "getwindowfocus").strip() in windows(),
                   message="the focus on the X11 target")
        ondrel, panel = self.start_ondrel(437)
        glyphs = panel_glyphs(437)
        self.session.first_click(panel, target.text)
        self.type_cells(panel, range(20), glyphs, target.text)
        self.assertIn("takes no text from IBus", file_text(self.log))
        self.quit(ondrel)

    @unittest.skipUnless(qt_takes_text_input_v3(),
                         "this Qt takes no text-input-v3, the only text input mutter offers "
                         "(Qt 6.4 of Debian 12 has versions 1 and 2 only)")
    def test_types_into_native_qt(self):
        target = Target(self.session)
        ondrel, panel = self.start_ondrel(437)
        glyphs = panel_glyphs(437)
        self.session.first_click(panel, target.text)
        self.type_cells(panel, range(len(glyphs)), glyphs, target.text)
        self.quit(ondrel)


if __name__ == "__main__":
    unittest.main()
