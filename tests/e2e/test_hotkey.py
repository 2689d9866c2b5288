# SPDX-License-Identifier: GPL-3.0-or-later
"""The show/hide key: the hook library beside the program reports it, the panel
toggles once per press whichever application has the focus, and no library but the
one in the program's own folder is ever loaded."""

import os
import shutil
import time
import unittest

from helpers import file_text, mapped_files, stays, wait_until
from x11session import ONDREL_BIN, X11Test

HOOK_LIBRARY = os.path.join(os.path.dirname(ONDREL_BIN), "libKestrine.so")
STUB_FULL = os.environ.get("ONDREL_STUB_FULL", "")
STUB_SETAPPHWND_ONLY = os.environ.get("ONDREL_STUB_SETAPPHWND_ONLY", "")


class HotkeyTest(X11Test):
    def program_copy(self, name, library=None):
        """A copy of the program in a folder of its own, with the given file beside it
        as its hook library, or none."""
        folder = os.path.join(self.session.tmp, name)
        os.makedirs(folder)
        binary = os.path.join(folder, "ondrel")
        shutil.copy2(ONDREL_BIN, binary)
        if library:
            shutil.copy2(library, os.path.join(folder, "libKestrine.so"))
        return binary

    def expect_tooltip(self, ondrel, balloon, name, expected):
        # The balloon goes when clicked; then the tooltip shows on hovering the icon.
        # Its middle, since the edge that holds the pointing arrow lets clicks through.
        self.session.click(*balloon.centre())
        wait_until(lambda: self.popup(ondrel) is None, message="the balloon to close")
        icon = ondrel.wait_for_tray_icon()
        x, y = icon.centre()
        self.session.x("xdotool", "mousemove", "--sync", str(x - 3), str(y - 3))
        self.session.x("xdotool", "mousemove", "--sync", str(x), str(y))
        tooltip = wait_until(lambda: self.popup(ondrel), message="the tooltip")
        self.expect_text(tooltip, name, expected)

    def panel_shown(self, ondrel):
        return ondrel.panel() is not None

    # -- tests ---------------------------------------------------------------------
    def test_f8_from_the_library_beside_the_program_toggles_once_per_press(self):
        self.assertTrue(os.path.exists(HOOK_LIBRARY), HOOK_LIBRARY)
        ondrel = self.start_ondrel()
        balloon = self.expect_balloon(ondrel, "hotkey-balloon-f8.png", "Ondrel(<F8>)")
        self.expect_tooltip(ondrel, balloon, "hotkey-tooltip-f8.png", "Ondrel(<F8>)")
        self.assertIn(HOOK_LIBRARY, mapped_files(ondrel.pid))

        # Other keys do nothing. F8 last: were any of the others reported as F8, the
        # panel would end hidden.
        self.target.focus()
        for key in ("F9", "F1", "F2", "F12", "Escape", "a", "F8"):
            self.press(key)
        wait_until(lambda: self.panel_shown(ondrel), message="F8 to show the panel")
        self.assertTrue(stays(lambda: self.panel_shown(ondrel)))
        self.assertTrue(self.target.has_focus(), "the panel took the focus")
        self.session.screenshot("hotkey-panel-shown.png")

        # Held as a person would, long enough for the key to repeat, F8 hides it once:
        # the target sees the repeats, the panel does not act on them.
        self.session.x("xdotool", "keydown", "F8")
        time.sleep(1)
        self.session.x("xdotool", "keyup", "F8")
        wait_until(lambda: not self.panel_shown(ondrel), message="F8 to hide the panel")
        self.assertTrue(stays(lambda: not self.panel_shown(ondrel)),
                        "a held key toggled the panel more than once")
        self.assertGreater(self.target.keys().count("F8"), 2, self.target.keys())
        self.assertTrue(self.target.has_focus())

        self.press("F8")
        wait_until(lambda: self.panel_shown(ondrel), message="the next press to show it")

    def test_stored_f12_is_the_key(self):
        self.session.store_settings("[Settings]\nKeyForShowHideOndrel=F12\n")
        ondrel = self.start_ondrel()
        self.expect_balloon(ondrel, "hotkey-balloon-f12.png", "Ondrel(<F12>)")

        self.press("F8")
        self.press("F12")
        wait_until(lambda: self.panel_shown(ondrel), message="F12 to show the panel")
        self.assertTrue(stays(lambda: self.panel_shown(ondrel)))
        self.press("F12")
        wait_until(lambda: not self.panel_shown(ondrel), message="F12 to hide the panel")

    def test_without_the_library_the_key_does_nothing(self):
        ondrel = self.start_ondrel(binary=self.program_copy("bare"))
        balloon = self.expect_balloon(ondrel, "hotkey-balloon-no-library.png", "Ondrel")
        self.expect_tooltip(ondrel, balloon, "hotkey-tooltip-no-library.png", "Ondrel")

        self.press("F8")
        self.assertTrue(stays(lambda: not self.panel_shown(ondrel)))
        # The program itself works: the tray icon still shows the panel.
        ondrel.click_tray()
        wait_until(lambda: self.panel_shown(ondrel), message="the tray icon to show the panel")

    def test_a_library_elsewhere_is_never_loaded(self):
        planted = os.path.join(self.session.tmp, "planted")
        os.makedirs(planted)
        shutil.copy2(STUB_FULL, os.path.join(planted, "libKestrine.so"))
        marker = os.path.join(self.session.tmp, "planted-marker")
        env = {"ONDREL_STUB_MARKER": marker, "LD_LIBRARY_PATH": planted}

        ondrel = self.start_ondrel(binary=self.program_copy("bare"), cwd=planted, env=env)
        self.press("F8")
        self.assertTrue(stays(lambda: not self.panel_shown(ondrel)))
        self.assertNotIn("libKestrine", mapped_files(ondrel.pid))
        self.assertFalse(os.path.exists(marker), "a planted library was loaded")
        self.assertEqual(ondrel.terminate(), 0)
        self.assertFalse(os.path.exists(marker))

        # The same library beside the program is loaded, and is fed the keys as a
        # Windows hook procedure is: code 0, the transition, the key (the stub names
        # the transition and the key that it was given).
        ondrel = self.start_ondrel(binary=self.program_copy("beside", STUB_FULL), env=env)
        self.press("F9")
        wait_until(lambda: "key 0 release F9" in file_text(marker),
                   message="the library beside the program to see F9")
        with open(marker, encoding="utf-8") as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], "loaded")
        self.assertTrue(lines[1].startswith("setAppHwnd "), lines)
        self.assertIn("key 0 press F9", lines)

    def test_a_library_without_the_procedure_is_released_at_exit(self):
        marker = os.path.join(self.session.tmp, "setapphwnd-marker")
        binary = self.program_copy("half", STUB_SETAPPHWND_ONLY)
        library = os.path.join(os.path.dirname(binary), "libKestrine.so")
        ondrel = self.start_ondrel(binary=binary, env={
            "ONDREL_STUB_MARKER": marker, "ONDREL_STUB_SETTINGS": self.session.settings_path()})

        self.expect_balloon(ondrel, "hotkey-balloon-half-library.png", "Ondrel")
        self.assertIn(library, mapped_files(ondrel.pid))
        # setAppHwnd was told the window that receives the key messages.
        manager = [w.id for w in self.session.windows_of(ondrel.pid)
                   if self.session.title(w.id) == "Ondrel hotkey receiver"]
        with open(marker, encoding="utf-8") as f:
            self.assertEqual(f.read().splitlines()[:2],
                             ["loaded", "setAppHwnd %d" % manager[0]])

        self.press("F8")
        self.assertTrue(stays(lambda: not self.panel_shown(ondrel)))

        self.assertEqual(self.quit_from_menu(ondrel), 0)
        with open(marker, encoding="utf-8") as f:
            lines = f.read().splitlines()
        # Unloaded by the program before it wrote its settings, not at process exit.
        self.assertEqual(lines[-1], "unloaded settings-written=0")
        self.assertEqual(lines.count("loaded"), 1)
        self.assertTrue(os.path.exists(self.session.settings_path()))


if __name__ == "__main__":
    unittest.main()
