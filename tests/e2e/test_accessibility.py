# SPDX-License-Identifier: GPL-3.0-or-later
"""The panel as a screen reader sees it, over AT-SPI on a session bus of the test's
own: a named button for every filled cell, whose press types like a click. The tray
icon still embeds through XEmbed with that bus present."""

import json
import os
import subprocess
import unittest

from helpers import wait_until
from x11session import Ondrel, X11Test

# pyatspi comes with the system's Python, whichever Python runs the tests.
SYSTEM_PYTHON = "/usr/bin/python3"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PROBE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_probe.py")


@unittest.skipUnless(os.path.exists(BUS_LAUNCHER), "at-spi2-core is not installed")
class AccessibilityTest(X11Test):
    def setUp(self):
        super().setUp()
        self.session.env["DBUS_SESSION_BUS_ADDRESS"] = self.session.start_bus()
        self.session.spawn([BUS_LAUNCHER, "--launch-immediately"])

    def test_every_cell_is_a_named_button_that_types(self):
        ondrel = Ondrel(self.session, env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        ondrel.click_tray()  # the icon embeds in the XEmbed tray despite the bus
        wait_until(ondrel.panel, message="the panel")
        self.target.focus()

        probe = subprocess.run([SYSTEM_PYTHON, PROBE, "Ondrel [1-255, Code Page 437 LatinUS]",
                                "63"], env=self.session.env, capture_output=True, text=True,
                               timeout=120)
        result = json.loads(probe.stdout or "{}")
        self.assertNotIn("error", result, probe.stderr)
        self.assertEqual(result["count"], 191)
        self.assertTrue(all(result["names"]), "a cell has no name")
        self.assertEqual(result["names"][63], "Ç LATIN CAPITAL LETTER C WITH CEDILLA")
        self.assertEqual(result["names"][190], "Backspace")
        self.assertEqual(result["roles"], [result["push_button"]])
        self.assertEqual(result["actions"], ["Press"])
        self.assertTrue(result["pressed"])
        wait_until(lambda: self.target.text() == "Ç", message="Ç in the target")
        self.assertTrue(self.target.has_focus())


if __name__ == "__main__":
    unittest.main()
