# SPDX-License-Identifier: GPL-3.0-or-later
"""Nothing lost, nothing left behind: settings that survive a kill, whose keycodes and
socket the next start clears, a settings folder that cannot be written, and a tray
that comes late or goes and comes back."""

import os
import pwd
import signal
import subprocess
import unittest

from helpers import QUIT, SETTINGS, mapped_files, stored_settings, wait_until
from otheruser import runnable_copy
from x11session import ONDREL_BIN, Ondrel, Target, X11Session, X11Test

TEST_USER = "nobody"


class ReliabilityTest(X11Test):
    def test_a_kill_loses_no_setting_and_leaves_nothing_in_the_way(self):
        keymap = lambda: self.session.x("xmodmap", "-pke")
        before = keymap()
        ondrel = self.start_ondrel()
        # A slider move is stored at once, not only at the exit that a kill skips.
        dialog = self.open_window(ondrel, SETTINGS, "Settings")
        self.focus_on(dialog)
        x0, y0, _, y1 = self.size_slider_groove(dialog)
        self.session.click(dialog.x + x0 + 3, dialog.y + (y0 + y1) // 2)
        self.session.key("Home")  # the smallest size, 20
        wait_until(lambda: stored_settings(self.session.settings_path()).get("sizes\\labels")
                   == "20", timeout=15, message="the new size in the settings file")
        # 20 glyphs that no key types, each bound to a spare keycode.
        panel = wait_until(lambda: (lambda p: p if p and p.cell == 20 else None)(ondrel.panel()),
                           message="the panel of the smallest size")
        self.target.focus()
        for cell in range(70, 90):
            self.session.click(*panel.cell_centre(cell))
        wait_until(lambda: len(self.target.text()) == 20, message="the 20 glyphs")
        self.assertNotEqual(keymap(), before)
        ondrel.process.send_signal(signal.SIGKILL)
        ondrel.process.wait()
        self.assertNotEqual(keymap(), before, "the kill itself undid the bindings")
        runtime = self.session.env["XDG_RUNTIME_DIR"]
        self.assertTrue(any(name.endswith(".socket") for name in os.listdir(runtime)))

        # The next start is not kept out by the socket left behind, undoes the
        # bindings, answers the command line, and has the size.
        again = self.start_ondrel()
        wait_until(lambda: keymap() == before, message="the old bindings to be undone")
        self.assertEqual([n for n in os.listdir(runtime) if n.endswith(".keycodes")], [])
        self.assertEqual(self.session.run([ONDREL_BIN, "--toggle"]).returncode, 0)
        panel = wait_until(again.panel, message="the panel after the kill")
        self.assertEqual((panel.window.width, panel.cell), (28 * 20, 20))

    def test_a_read_only_settings_folder_keeps_the_old_file(self):
        # Root writes whatever the modes say, so Ondrel runs as another user here.
        user = pwd.getpwnam(TEST_USER)
        home = os.path.join(self.session.tmp, TEST_USER)
        config = os.path.join(home, "config")
        runtime = os.path.join(home, "runtime")
        folder = os.path.join(config, "Ondrel")
        os.makedirs(folder)
        os.makedirs(runtime, mode=0o700)
        settings = os.path.join(folder, "Ondrel_1.0.conf")
        old = b"[Settings]\nSizes\\Labels=33\nKeyForShowHideOndrel=F5\n"
        with open(settings, "wb") as f:
            f.write(old)
        for path in (self.session.tmp, home):
            os.chmod(path, 0o755)
        for path in (home, config, folder, runtime, settings):
            os.chown(path, user.pw_uid, user.pw_gid)
        os.chmod(folder, 0o555)

        log_path = os.path.join(self.session.tmp, "ondrel.log")
        with open(log_path, "wb") as log:
            process = subprocess.Popen(
                ["runuser", "-u", TEST_USER, "--", "env", "DISPLAY=" + self.session.display,
                 "HOME=" + home, "XDG_CONFIG_HOME=" + config, "XDG_RUNTIME_DIR=" + runtime,
                 runnable_copy(ONDREL_BIN, self.session.tmp)], stdout=log, stderr=log)
        self.session.processes.append(process)
        icon = wait_until(lambda: next((w for pid in self.pids_of(TEST_USER)
                                        for w in [self.session.tray_icon(pid)] if w), None),
                          timeout=20, message="the tray icon")
        self.session.click(*icon.centre(), button=3)
        menu = wait_until(lambda: next((w for pid in self.pids_of(TEST_USER)
                                        for w in self.session.windows_of(pid)
                                        if w.viewable and w.override_redirect and w.height > 40),
                                       None), message="the tray menu")
        self.click_menu_entry(menu, QUIT)
        self.assertEqual(process.wait(15), 0)
        with open(settings, "rb") as f:
            self.assertEqual(f.read(), old)
        with open(log_path, encoding="utf-8", errors="replace") as f:
            log_text = f.read()
        self.assertIn("Cannot save the settings to " + settings, log_text)
        self.assertIn("is read-only", log_text)

    def pids_of(self, user):
        out = subprocess.run(["pgrep", "-u", user, "-x", "ondrel"], capture_output=True,
                             text=True).stdout
        return [int(pid) for pid in out.split()]

    def test_the_tray_comes_late_and_comes_back(self):
        self.session.stop()
        self.session = X11Session(tray=False).start()
        self.target = Target(self.session)
        ondrel = Ondrel(self.session)
        # No tray: the show/hide key still works, once the hook library is in.
        self.target.focus()
        wait_until(lambda: "libKestrine.so" in mapped_files(ondrel.pid),
                   message="the hook library")
        self.press("F8")
        wait_until(ondrel.panel, message="F8 to show the panel without a tray")
        self.press("F8")
        wait_until(lambda: ondrel.panel() is None, message="F8 to hide it")

        # A tray that starts later gets the icon; one that restarts gets it back.
        self.session.start_tray_host()
        ondrel.wait_for_tray_icon()
        for trayer in [p for p in self.session.processes if p.args[0] == "trayer"]:
            trayer.kill()
            trayer.wait()
            self.session.processes.remove(trayer)
        wait_until(lambda: self.session.tray_host() is None, message="the tray to go")
        self.session.start_tray_host()
        ondrel.click_tray()
        wait_until(ondrel.panel, message="a click on the icon in the new tray")
        self.assertTrue(self.target.has_focus())


if __name__ == "__main__":
    unittest.main()
