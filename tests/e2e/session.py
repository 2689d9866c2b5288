# SPDX-License-Identifier: GPL-3.0-or-later
"""What the X11 and Wayland sessions of the end-to-end tests do alike: a scratch
folder that goes with the session, the environment its programs get, starting them
and ending them in reverse order, Ondrel's settings file, a session bus, and the
application typed into.

Environment: ONDREL_BIN (the program), ONDREL_TARGET_BIN (the application typed into,
tests/e2e/target), ONDREL_ARTIFACTS (where screenshots go)."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from helpers import file_text, wait_until

ONDREL_BIN = os.environ.get("ONDREL_BIN", "")
TARGET_BIN = os.environ.get("ONDREL_TARGET_BIN", "")
ARTIFACTS = os.environ.get("ONDREL_ARTIFACTS", os.path.join(tempfile.gettempdir(), "ondrel-artifacts"))


class Session:
    """Subclasses give the environment and start the display server in _start()."""

    def __init__(self, width=1280, height=1024, tray=True):
        self.width, self.height, self.tray = width, height, tray
        self.processes = []
        self.env = {}
        self.tmp = None

    def start(self):
        # A test whose setUp fails gets no tearDown: a half-started session must not
        # outlive it.
        try:
            self.tmp = self.scratch_folder()
            self.runtime = self.folder("runtime", 0o700)
            self.config_home = self.folder("config")
            self.home = self.folder("home")
            self.files = self.folder("files")  # where the session's programs write
            self.env = self.environment()
            return self._start()
        except BaseException:
            self.report_logs()
            self.stop()
            raise

    def report_logs(self, lines=40):
        """Prints the end of what the session's programs wrote, for a start that
        failed: the scratch folder goes with the session."""
        folder = getattr(self, "files", None)
        if not folder or not os.path.isdir(folder):
            return
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                tail = file_text(path).splitlines()[-lines:]
                sys.stderr.write("--- end of %s ---\n%s\n" % (name, "\n".join(tail)))

    def scratch_folder(self):
        return tempfile.mkdtemp(prefix="ondrel-e2e-")

    def environment(self):
        raise NotImplementedError

    def _start(self):
        raise NotImplementedError

    def stop(self):
        for process in reversed(self.processes):
            self.end(process)
        self.processes = []
        if self.tmp:
            shutil.rmtree(self.tmp, ignore_errors=True)

    @staticmethod
    def end(process, timeout=5):
        """Ends a program of the session: asked first, then killed."""
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        for pipe in (process.stdin, process.stdout):
            if pipe:
                try:
                    pipe.close()
                except OSError:
                    pass

    # -- files ---------------------------------------------------------------------
    def own(self, path):
        """Hands a file to whoever runs the session's programs."""

    def folder(self, name, mode=0o755):
        path = os.path.join(self.tmp, name)
        os.mkdir(path, mode)
        os.chmod(path, mode)  # whatever the umask
        self.own(path)
        return path

    def settings_path(self):
        return os.path.join(self.config_home, "Ondrel", "Ondrel_1.0.conf")

    def store_settings(self, content):
        """Writes Ondrel's settings file: text, or bytes as they are."""
        path = self.settings_path()
        if not os.path.isdir(os.path.dirname(path)):
            os.mkdir(os.path.dirname(path))
            self.own(os.path.dirname(path))
        with open(path, "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode())
        self.own(path)

    def stub_browser(self):
        """Puts first on the session's path an xdg-open that notes what it is asked to
        open, for the programs started from now on; returns the file it notes it in."""
        folder = self.folder("stub-bin")
        opened = os.path.join(self.files, "opened.txt")
        opener = os.path.join(folder, "xdg-open")
        with open(opener, "w", encoding="utf-8") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$1" > "%s"\n' % opened)
        os.chmod(opener, 0o755)
        self.env["PATH"] = folder + os.pathsep + self.env.get("PATH", "")
        return opened

    @staticmethod
    def artifact(name):
        """Where a picture for the artifacts goes."""
        os.makedirs(ARTIFACTS, exist_ok=True)
        return os.path.join(ARTIFACTS, name)

    # -- programs ------------------------------------------------------------------
    def command(self, argv, env):
        """How to run argv in the session: its command line and its environment."""
        environment = dict(self.env)
        environment.update(env or {})
        return list(argv), environment

    def tracked(self, popen):
        return popen

    def spawn(self, argv, env=None, log=None, stdin=subprocess.DEVNULL,
              stdout=subprocess.DEVNULL, cwd=None):
        """Starts a program in the session with the session's environment and env, for
        the session to end; its output goes to log when given (a file that we open,
        so the program needs no right to its folder)."""
        command, environment = self.command(argv, env)
        out = open(log, "ab") if log else stdout
        try:
            popen = subprocess.Popen(command, env=environment, stdin=stdin, stdout=out,
                                     stderr=out if log else subprocess.DEVNULL,
                                     cwd=cwd or self.tmp)
        finally:
            if log:
                out.close()
        process = self.tracked(popen)
        self.processes.append(process)
        return process

    def run(self, argv, env=None, check=True, timeout=60, text=True):
        """Runs a program in the session to its end; returns what it printed."""
        command, environment = self.command(argv, env)
        result = subprocess.run(command, env=environment, capture_output=True, text=text,
                                timeout=timeout, cwd=self.tmp)
        if check and result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(argv), result.stderr))
        return result

    def start_bus(self):
        """A session bus of the session's own; returns its address."""
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--nosyslog",
                          "--address=unix:path=%s/bus-%d" % (self.runtime, len(self.processes)),
                          "--print-address=1"], stdout=subprocess.PIPE)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        return address


class Target:
    """The application typed into (tests/e2e/target): a text field whose text lands in
    a file, and whose key presses are noted in another."""

    def __init__(self, session, env=None):
        self.session = session
        stamp = time.monotonic_ns()
        self.output = os.path.join(session.files, "target-%d.txt" % stamp)
        self.key_log = os.path.join(session.files, "target-keys-%d.txt" % stamp)
        self.process = session.spawn([TARGET_BIN, self.output, self.key_log], env=env)

    def text(self):
        return file_text(self.output)

    def keys(self):
        """The names of the keys pressed in the target so far, in order."""
        return file_text(self.key_log).split()

    def wait_for_text(self, text, timeout=10):
        try:
            return wait_until(lambda: self.text() == text, timeout=timeout)
        except AssertionError:
            raise AssertionError("the target holds %r, not %r" % (self.text(), text)) from None
