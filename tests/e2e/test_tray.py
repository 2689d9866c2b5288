# SPDX-License-Identifier: GPL-3.0-or-later
"""The program in the tray: the icon, the panel it toggles, the menu, and the exits
that keep the user's settings."""

import os
import signal
import unittest

from helpers import SHOW_HIDE, stored_settings, wait_until
from x11session import Ondrel, X11Test

ALL_KEYS = {"colors\\background\\r", "colors\\background\\g", "colors\\background\\b",
            "sizes\\labels", "sizes\\spacing", "keyforshowhideondrel", "codepage"}


class TrayTest(X11Test):
    def test_click_and_menu_show_the_panel_centred_at_half_height_without_taking_focus(self):
        ondrel = self.start_ondrel()
        self.assertIsNone(ondrel.panel())

        ondrel.click_tray()
        panel = wait_until(ondrel.panel, message="the panel").window
        self.assertEqual(panel.x, (self.session.width - panel.width) // 2)
        self.assertEqual(panel.y, self.session.height // 2)
        self.assertTrue(self.target.has_focus(), "the panel took the focus")
        self.session.screenshot("tray-with-panel.png")

        ondrel.click_tray()
        wait_until(lambda: ondrel.panel() is None, message="the panel to hide")
        self.assertTrue(self.target.has_focus())

        # The menu's first entry shows it too, where it was.
        menu = self.open_menu(ondrel)
        self.session.screenshot("tray-menu.png")
        self.click_menu_entry(menu, SHOW_HIDE)
        again = wait_until(ondrel.panel, message="the panel from the menu").window
        self.assertEqual((again.x, again.y), (panel.x, panel.y))

    def test_startup_balloon_points_at_the_tray_icon(self):
        ondrel = Ondrel(self.session)
        icon = ondrel.wait_for_tray_icon()
        tip = wait_until(lambda: self.popup(ondrel), timeout=15, message="the start-up balloon")
        self.session.screenshot("startup-balloon.png")
        # The tray is at the bottom right; the balloon stands just above its icon.
        self.assertLessEqual(tip.y + tip.height, icon.y + icon.height)
        self.assertGreater(tip.y + tip.height, icon.y - 80)
        self.assertGreater(tip.x + tip.width, icon.x - 40)

    def test_quit_and_signals_store_every_value(self):
        for ending in ("quit", "sigterm", "sigint", "sighup"):
            with self.subTest(ending=ending):
                ondrel = self.start_ondrel()
                path = self.session.settings_path()
                if os.path.exists(path):
                    os.remove(path)
                if ending == "quit":
                    code = self.quit_from_menu(ondrel)
                else:
                    code = ondrel.terminate(getattr(signal, ending.upper()))
                self.assertEqual(code, 0)
                values = stored_settings(path)
                self.assertEqual(set(values), ALL_KEYS)
                self.assertEqual(values["keyforshowhideondrel"], "F8")
                self.assertEqual(values["colors\\background\\r"], "229")
                self.assertEqual(values["sizes\\spacing"], "0")
                # 1280 x 1024 allows labels of 45 pixels.
                self.assertEqual(values["sizes\\labels"], "45")

    def test_garbage_settings_start_a_sane_panel(self):
        self.session.store_settings(
            b"[Settings]\nColors\\Background\\R=999\nColors\\Background\\G=abc\n"
            b"Sizes\\Labels=-12\nSizes\\Spacing=100000\nKeyForShowHideOndrel=F99\n"
            b"\x00\xff\xfe garbage ][\n")
        ondrel = self.start_ondrel()
        ondrel.click_tray()
        panel = wait_until(ondrel.panel, message="the panel")
        self.assertEqual((panel.window.width, panel.cell), (28 * 45, 45))
        self.session.screenshot("garbage-settings-panel.png")
        self.assertEqual(ondrel.terminate(), 0)
        values = stored_settings(self.session.settings_path())
        self.assertEqual(values["sizes\\labels"], "45")
        self.assertEqual(values["keyforshowhideondrel"], "F8")
        self.assertEqual(values["colors\\background\\r"], "229")
        self.assertEqual(values["colors\\background\\g"], "0")


if __name__ == "__main__":
    unittest.main()
