# SPDX-License-Identifier: GPL-3.0-or-later
"""One Ondrel per user and display, and the command line that talks to it: a later
start hands its command to the running one, starts at the same moment leave one
instance, and another user is refused (test_reliability: a killed instance does not
block the next)."""

import os
import subprocess
import unittest

from helpers import stored_settings, wait_until
from otheruser import runnable_copy
from x11session import ONDREL_BIN, Ondrel, X11Test


def stderr_lines(stderr):
    """stderr's lines, to find Ondrel's own message among them: Qt may add lines of
    its own (Qt 6.8 three about a locale that is not UTF-8), whose wording is Qt's."""
    return [line.strip() for line in stderr.splitlines()]


class InstanceTest(X11Test):
    def run_ondrel(self, *arguments, env=None, user=None, timeout=30):
        environment = dict(self.session.env)
        environment.update(env or {})
        argv = [ONDREL_BIN] + list(arguments)
        if user:
            # The other user runs a copy in the session's folder: the build folder
            # may be closed to it.
            argv[0] = runnable_copy(ONDREL_BIN, self.session.tmp)
            argv = ["runuser", "-u", user, "--", "env"] + [
                "%s=%s" % (k, environment[k]) for k in ("DISPLAY", "XDG_RUNTIME_DIR", "HOME")
            ] + argv
        return subprocess.run(argv, env=environment, capture_output=True, text=True,
                              timeout=timeout)

    def ondrel_processes(self):
        out = subprocess.run(["pgrep", "-x", "ondrel"], capture_output=True, text=True).stdout
        mine = []
        for pid in out.split():
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if ("DISPLAY=%s" % self.session.display).encode() in f.read().split(b"\0"):
                        mine.append(int(pid))
            except OSError:
                pass
        return mine

    def test_later_starts_hand_over_their_command(self):
        ondrel = Ondrel(self.session)
        icon = ondrel.wait_for_tray_icon()
        self.target.focus()

        # A plain second start shows the panel of the first and ends at once.
        second = self.run_ondrel()
        self.assertEqual(second.returncode, 0, second.stderr)
        wait_until(ondrel.panel, message="the first instance's panel")
        self.assertEqual(self.ondrel_processes(), [ondrel.pid])
        self.assertEqual(self.session.tray_icon(ondrel.pid).id, icon.id)
        self.assertTrue(self.target.has_focus())

        self.assertEqual(self.run_ondrel("--toggle").returncode, 0)
        wait_until(lambda: ondrel.panel() is None, message="--toggle to hide the panel")
        self.assertEqual(self.run_ondrel("-toggle").returncode, 0)
        wait_until(ondrel.panel, message="-toggle to show it again")
        self.assertEqual(self.run_ondrel("--hide").returncode, 0)
        wait_until(lambda: ondrel.panel() is None, message="--hide")

        # --quit takes the orderly exit: every setting is written.
        if os.path.exists(self.session.settings_path()):
            os.remove(self.session.settings_path())
        self.assertEqual(self.run_ondrel("--quit").returncode, 0)
        self.assertEqual(ondrel.process.wait(10), 0)
        self.assertEqual(stored_settings(self.session.settings_path())["keyforshowhideondrel"], "F8")

        # With none running, these two have nobody to talk to; the others start one.
        for command in ("--hide", "--quit"):
            result = self.run_ondrel(command)
            self.assertEqual(result.returncode, 1, command)
            self.assertIn("Ondrel is not running", stderr_lines(result.stderr), command)
        self.assertEqual(self.ondrel_processes(), [])
        self.session.spawn([ONDREL_BIN, "--settings"])
        dialog = wait_until(lambda: [w for pid in self.ondrel_processes()
                                     for w in self.session.managed_windows(pid)
                                     if self.session.title(w.id) == "Settings"],
                            message="--settings to start Ondrel with its dialog")
        self.assertEqual(len(dialog), 1)

    def test_bad_arguments_and_no_display(self):
        result = self.run_ondrel("--frobnicate")
        self.assertEqual(result.returncode, 2)
        self.assertIn("Unknown option 'frobnicate'", result.stderr)
        self.assertIn("--toggle", result.stderr)
        self.assertEqual(self.run_ondrel("--toggle", "--quit").returncode, 2)

        no_display = {"DISPLAY": "", "WAYLAND_DISPLAY": ""}
        result = self.run_ondrel("--help", env=no_display)
        self.assertEqual(result.returncode, 0)
        self.assertIn("--settings", result.stdout)
        self.assertEqual(self.run_ondrel("--version", env=no_display).stdout.strip(), "Ondrel 1.0")
        result = self.run_ondrel(env=no_display)
        self.assertEqual(result.returncode, 1)
        self.assertIn("Ondrel needs a graphical session", stderr_lines(result.stderr))
        # Qt's own options still work.
        result = self.run_ondrel("-platform", "offscreen", "--version")
        self.assertEqual((result.returncode, result.stdout.strip()), (0, "Ondrel 1.0"))

    def test_simultaneous_starts_leave_one_instance(self):
        starts = [self.session.spawn([ONDREL_BIN]) for _ in range(4)]
        wait_until(lambda: sum(1 for p in starts if p.poll() is None) == 1, timeout=30,
                   message="all but one start to end")
        self.assertEqual([p.returncode for p in starts if p.poll() is not None], [0, 0, 0])
        survivor = next(p for p in starts if p.poll() is None)
        self.assertEqual(self.ondrel_processes(), [survivor.pid])
        wait_until(lambda: self.session.tray_icon(survivor.pid), timeout=15,
                   message="the survivor's tray icon")

    def test_another_user_is_refused(self):
        ondrel = Ondrel(self.session)
        ondrel.wait_for_tray_icon()
        # Let the other user reach the folder, though not list it: only the socket's
        # own permissions stand in the way.
        for folder in (self.session.tmp, self.session.env["XDG_RUNTIME_DIR"]):
            os.chmod(folder, 0o711)
        result = self.run_ondrel("--toggle", user="nobody")
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn("refused", result.stderr)
        self.assertIsNone(ondrel.panel())
        self.assertEqual(self.ondrel_processes(), [ondrel.pid])
        self.assertEqual(self.run_ondrel("--toggle").returncode, 0)
        wait_until(ondrel.panel, message="the owner's own command")


if __name__ == "__main__":
    unittest.main()
