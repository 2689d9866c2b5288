# SPDX-License-Identifier: GPL-3.0-or-later
"""Typing from the panel into another application: every glyph arrives, in order and
once, while that application keeps the focus, also after the panel was dragged; and
the keyboard map is as it was once the program has gone. `ondrel --type` types the
same way, from a shell and from a key bound in the window manager."""

import os
import re
import signal
import subprocess
import time
import unittest

from helpers import PACE, panel_glyphs, wait_until
from session import ONDREL_BIN
from x11session import Ondrel, Target, X11Test

COLUMNS = 28
BACKSPACE_LABEL = 7 * 28 - 1


class TypingTest(X11Test):
    # -- helpers -------------------------------------------------------------------
    def keymap(self):
        return self.session.x("xmodmap", "-pke")

    def start_with_panel(self, lang="en_US.UTF-8"):
        ondrel = Ondrel(self.session, env={"LANG": lang})
        ondrel.wait_for_tray_icon()
        self.target.focus()
        ondrel.click_tray()
        wait_until(ondrel.panel, message="the panel")
        self.assertTrue(self.target.has_focus(), "showing the panel took the focus")
        return ondrel

    def click_label(self, ondrel, index):
        x, y = ondrel.panel().cell_centre(index)
        self.session.x("xdotool", "mousemove", str(x), str(y), "click", "1")
        time.sleep(PACE)

    def wait_for_text(self, expected, timeout=30):
        try:
            wait_until(lambda: self.target.text() == expected, timeout=timeout,
                       message="the target's text")
        except AssertionError:
            self.assertEqual(self.target.text(), expected)

    def keycode_typing(self, keysym_name):
        match = re.search(r"^keycode\s+(\d+) = %s\b" % keysym_name, self.keymap(), re.M)
        return int(match.group(1)) if match else None

    # -- tests ---------------------------------------------------------------------
    def test_every_glyph_arrives_once_and_in_order(self):
        for code_page, lang in ((437, "en_US.UTF-8"), (866, "ru_RU.UTF-8")):
            with self.subTest(code_page=code_page):
                self.target = Target(self.session)
                ondrel = self.start_with_panel(lang)
                self.assertIn(str(code_page), self.session.title(ondrel.panel().id))
                glyphs = panel_glyphs(code_page)
                self.assertEqual(len(glyphs), 190)
                for index in range(len(glyphs)):
                    self.click_label(ondrel, index)
                    if index % 19 == 0:
                        self.assertTrue(self.target.has_focus(), "focus lost at label %d" % index)
                self.wait_for_text("".join(glyphs))
                self.assertTrue(self.target.has_focus())
                self.session.screenshot("typed-%d.png" % code_page)
                self.assertEqual(ondrel.terminate(), 0)

    def test_every_click_types_backspace_deletes_and_an_empty_label_types_nothing(self):
        ondrel = self.start_with_panel()
        glyphs = panel_glyphs(437)
        # A glyph clicked again is typed every time, also between others.
        sequence = [0, 63, 63, 5, 63, 5, 5, 100, 63, 64]
        for index in sequence:
            self.click_label(ondrel, index)
        typed = "".join(glyphs[i] for i in sequence)
        self.wait_for_text(typed)

        # A layout switch or xmodmap takes a bound keycode over; pressing it again
        # would type its new character instead of the glyph.
        keycode = wait_until(lambda: self.keycode_typing("U263A"), message="the binding")
        self.session.x("xmodmap", "-e", "keycode %d = q Q" % keycode)
        self.click_label(ondrel, 0)
        typed += glyphs[0]
        self.wait_for_text(typed)
        self.assertIn("keycode %3d = q Q" % keycode, self.keymap())

        self.click_label(ondrel, BACKSPACE_LABEL)
        self.wait_for_text(typed[:-1])

        # Labels 190 to 194 are empty with code page 437's 127 glyphs. Whatever they
        # might have typed would arrive before the glyph clicked after them.
        for index in range(190, BACKSPACE_LABEL):
            self.click_label(ondrel, index)
        self.click_label(ondrel, 1)
        self.wait_for_text(typed[:-1] + glyphs[1])
        self.assertTrue(self.target.has_focus())

    def test_dragging_the_panel_keeps_the_focus_and_typing(self):
        ondrel = self.start_with_panel()
        glyphs = panel_glyphs(437)
        panel = ondrel.panel()
        self.assertGreater(panel.grid_top, 0, "the panel has no title strip")
        title_x, title_y = panel.strip_point()
        self.session.x("xdotool", "mousemove", "--sync", str(title_x), str(title_y),
                       "mousedown", "1")
        for step in range(1, 11):
            self.session.x("xdotool", "mousemove", "--sync",
                           str(title_x - 8 * step), str(title_y - 12 * step))
            time.sleep(0.02)
        self.session.x("xdotool", "mouseup", "1")
        moved = wait_until(lambda: (lambda w: w if w and (w.x, w.y) != (panel.x, panel.y)
                                    else None)(ondrel.panel()),
                           message="the panel to move")
        self.assertEqual((moved.x - panel.x, moved.y - panel.y), (-80, -120))
        self.assertTrue(self.target.has_focus(), "dragging the panel took the focus")

        for index in (2, 70):
            self.click_label(ondrel, index)
        self.wait_for_text(glyphs[2] + glyphs[70])
        self.assertTrue(self.target.has_focus())

    def test_no_keycode_stays_bound_after_the_program_ends(self):
        before = self.keymap()
        for ending in ("quit", "sigterm"):
            with self.subTest(ending=ending):
                ondrel = self.start_with_panel()
                # More distinct glyphs than there are spare keycodes.
                for index in range(70, 110):
                    self.click_label(ondrel, index)
                wait_until(lambda: len(self.target.text()) >= 40, timeout=30,
                           message="the glyphs")
                self.assertNotEqual(self.keymap(), before, "nothing was bound")
                if ending == "quit":
                    ondrel.click_tray()  # hide the panel: the menu must not hit it
                    self.assertEqual(self.quit_from_menu(ondrel), 0)
                else:
                    self.assertEqual(ondrel.terminate(signal.SIGTERM), 0)
                self.assertEqual(self.keymap(), before)

    def bind_key_in_openbox(self, key, command):
        """Adds a key binding to the session's openbox, as a user does in rc.xml."""
        with open("/etc/xdg/openbox/rc.xml", encoding="utf-8") as f:
            rc = f.read()
        binding = ('<keybind key="%s"><action name="Execute"><command>%s</command>'
                   "</action></keybind>" % (key, command))
        folder = os.path.join(self.session.config_home, "openbox")
        os.makedirs(folder, exist_ok=True)
        # Another of openbox's own themes: openbox names the theme on the root window
        # once it has read the file, and only then is the key bound.
        rc = re.sub(r"(<theme>\s*<name>)[^<]*", r"\1Onyx", rc, count=1)
        with open(os.path.join(folder, "rc.xml"), "w", encoding="utf-8") as f:
            f.write(rc.replace("<keyboard>", "<keyboard>" + binding, 1))
        self.session.x("openbox", "--reconfigure")
        wait_until(lambda: '"Onyx"' in self.session.x("xprop", "-root", "_OB_THEME"),
                   message="openbox to read the binding")

    def test_type_from_the_command_line_and_a_bound_key(self):
        def type_text(text):
            return subprocess.run([ONDREL_BIN, "--type", text], env=self.session.env,
                                  capture_output=True, text=True, timeout=30)

        # With none running, --type starts Ondrel, which types at once.
        first = self.session.spawn([ONDREL_BIN, "--type", "\u2554\u2550\u2557"])
        self.wait_for_text("\u2554\u2550\u2557")
        result = type_text("U+2554 U+2550 U+2557")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.wait_for_text("\u2554\u2550\u2557" * 2)

        for bad, reason in (("\u2550" * 257, "At most 256"), ("U+D800", "surrogate"),
                            ("U+ZZZZ", "U+ZZZZ")):
            result = type_text(bad)
            self.assertEqual(result.returncode, 2, bad[:10])
            self.assertIn(reason, result.stderr)

        self.bind_key_in_openbox("F7", "%s --type U+2554" % ONDREL_BIN)
        self.session.key("F7")
        # The refused texts typed nothing before the bound key's character.
        self.wait_for_text("\u2554\u2550\u2557" * 2 + "\u2554")
        self.assertTrue(self.target.has_focus())
        self.assertEqual(type_text("U+41").returncode, 0)
        self.wait_for_text("\u2554\u2550\u2557" * 2 + "\u2554A")
        self.assertEqual(subprocess.run([ONDREL_BIN, "--quit"], env=self.session.env,
                                        timeout=30).returncode, 0)
        self.assertEqual(first.wait(10), 0)


if __name__ == "__main__":
    unittest.main()
