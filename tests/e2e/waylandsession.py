# SPDX-License-Identifier: GPL-3.0-or-later
"""A private headless Wayland session for end-to-end tests.

sway (wlroots) with swaybar as the tray host, or weston with XWayland for the
fallback, each with a private session bus. sway refuses to run as root, and CI runs
as root: then the session and every program in it run as an unprivileged test user
(created if missing) through runuser. A headless seat has no input devices, so a
helper program (ondrel_wl_input) keeps a stand-in keyboard and a virtual pointer
alive for the whole session and drives them.

Environment: ONDREL_WL_INPUT_BIN (the helper), ONDREL_WAYLAND_PROBE_BIN,
ONDREL_TEST_USER (default ondreltest), and those of x11session (ONDREL_BIN,
ONDREL_TARGET_BIN, ONDREL_ARTIFACTS).
"""

import json
import os
import pwd
import re
import shutil
import signal
import subprocess
import time

from otheruser import runnable_copy, shared_temp_folder
from x11session import ARTIFACTS, ONDREL_BIN, TARGET_BIN, file_text, wait_until  # noqa: F401

INPUT_BIN = os.environ.get("ONDREL_WL_INPUT_BIN", "")
PROBE_BIN = os.environ.get("ONDREL_WAYLAND_PROBE_BIN", "")
TEST_USER = os.environ.get("ONDREL_TEST_USER", "ondreltest")
# What a program in the session may inherit from ours; the rest is set by the session.
PASSED_ON = ("PATH", "LANG", "LC_ALL", "LC_CTYPE", "TZ", "ASAN_OPTIONS", "UBSAN_OPTIONS",
             "QT_LOGGING_RULES")


class User:
    """Whom the session runs as: the test user when we are root, else ourselves."""

    def __init__(self, name=TEST_USER):
        if os.geteuid() != 0:
            entry = pwd.getpwuid(os.geteuid())
            self.as_root = False
        else:
            try:
                entry = pwd.getpwnam(name)
            except KeyError:
                subprocess.run(["useradd", "--system", "--user-group", "--no-create-home",
                                "--home-dir", "/nonexistent", "--shell", "/usr/sbin/nologin",
                                "--comment", "Ondrel test sessions", name], check=True)
                entry = pwd.getpwnam(name)
            self.as_root = True
        self.name, self.uid, self.gid = entry.pw_name, entry.pw_uid, entry.pw_gid
        self.copies = {}  # program -> the copy the user runs

    def command(self, argv, env):
        """argv run as this user with exactly env as its environment."""
        assignments = ["%s=%s" % item for item in sorted(env.items())]
        prefix = ["runuser", "-u", self.name, "--"] if self.as_root else []
        return prefix + ["env", "-i"] + assignments + [self.program(argv[0])] + list(argv[1:])

    def own(self, path):
        if self.as_root:
            os.chown(path, self.uid, self.gid)

    def provide(self, program, folder):
        """Lets the user run program: when we are root, through a copy in folder's
        bin/, which command() then runs in its place (folder must be reachable)."""
        if self.as_root and program:
            self.copies[program] = runnable_copy(program, folder)

    def program(self, path):
        return self.copies.get(path, path)


class Process:
    """A program started as the session's user. pid is the program's own, not that
    of runuser, which waits for it."""

    def __init__(self, popen, direct):
        self.popen = popen
        # 0 when the program has already ended.
        self.pid = popen.pid if direct else wait_until(
            lambda: _first_child(popen.pid) or (popen.poll() is not None and -1),
            timeout=10, message="the program behind runuser")
        self.pid = max(self.pid, 0)

    def poll(self):
        return self.popen.poll()

    def signal(self, sig):
        if not self.pid or self.popen.poll() is not None:
            return
        try:
            os.kill(self.pid, sig)
        except ProcessLookupError:
            pass

    def stop(self, timeout=5):
        if self.popen.poll() is None:
            self.signal(signal.SIGTERM)
            try:
                self.popen.wait(timeout)
            except subprocess.TimeoutExpired:
                self.signal(signal.SIGKILL)
                self.popen.kill()
                self.popen.wait()
        for pipe in (self.popen.stdin, self.popen.stdout):
            if pipe:
                try:
                    pipe.close()
                except OSError:
                    pass
        return self.popen.returncode

    def wait(self, timeout=None):
        return self.popen.wait(timeout)


def _first_child(pid):
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
            children = f.read().split()
    except OSError:
        return None
    return int(children[0]) if children else None


class WaylandSession:
    """compositor: "sway" (both protocols, swaybar tray) or "weston" (neither, with
    XWayland). bindings: sway key bindings, {"F8": "exec CMD"}."""

    def __init__(self, compositor="sway", width=1280, height=1024, tray=True, bindings=None,
                 xwayland=False):
        self.compositor = compositor
        self.width, self.height = width, height
        self.tray = tray and compositor == "sway"
        self.bindings = dict(bindings or {})
        self.xwayland = xwayland or compositor == "weston"
        self.user = User()
        self.processes = []
        self.input = None
        self.env = {}

    # -- session -------------------------------------------------------------------
    def start(self):
        # A test whose setUp fails gets no tearDown: a half-started session must not
        # outlive it.
        try:
            return self._start()
        except BaseException:
            self.stop()
            raise

    def _start(self):
        self.tmp = shared_temp_folder("ondrel-wl-")
        self.runtime = self._folder("runtime", 0o700)
        self.config_home = self._folder("config", 0o755)
        self.home = self._folder("home", 0o755)
        self.files = self._folder("files", 0o755)  # where the session's programs write
        self.env = {k: v for k, v in os.environ.items() if k in PASSED_ON}
        self.env.setdefault("PATH", "/usr/local/bin:/usr/bin:/bin")
        self.env.setdefault("LANG", "C.UTF-8")
        self.env.update({
            "HOME": self.home,
            "USER": self.user.name,
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_SESSION_TYPE": "wayland",
        })
        for binary in (INPUT_BIN, PROBE_BIN, TARGET_BIN, ONDREL_BIN):
            if binary and os.path.exists(binary):
                self.user.provide(binary, self.tmp)
        self._start_bus()
        if self.compositor == "sway":
            self._start_sway()
        else:
            self._start_weston()
        if self.compositor == "sway":
            self._start_input()
            if self.tray:
                wait_until(lambda: self.bus_name_has_owner("org.kde.StatusNotifierWatcher"),
                           timeout=20, message="swaybar's StatusNotifierWatcher")
        return self

    def _folder(self, name, mode):
        path = os.path.join(self.tmp, name)
        os.mkdir(path, mode)
        os.chmod(path, mode)
        self.user.own(path)
        return path

    def _start_bus(self):
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--nosyslog",
                          "--address=unix:path=%s/bus" % self.runtime, "--print-address=1"],
                         stdout=subprocess.PIPE)
        address = bus.popen.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_sway(self):
        config = os.path.join(self.tmp, "sway.conf")
        lines = [
            "output * resolution %dx%d position 0 0" % (self.width, self.height),
            # Focus moves only by clicks and by what the tests do.
            "focus_follows_mouse no",
            "xwayland %s" % ("enable" if self.xwayland else "disable"),
        ]
        for key, command in self.bindings.items():
            for program, copy in self.user.copies.items():
                command = command.replace(program, copy)
            lines.append("bindsym %s %s" % (key, command))
        if self.tray:
            lines += ["bar {", "    position bottom", "    tray_output *",
                      "    font pango:DejaVu Sans 10", "}"]
        with open(config, "w") as f:
            f.write("\n".join(lines) + "\n")
        os.chmod(config, 0o644)
        self.sway_log = os.path.join(self.tmp, "sway.log")
        self.spawn(["sway", "-c", config], log=self.sway_log,
                   env={"WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1",
                        "WLR_RENDERER": "pixman"})
        self.env["WAYLAND_DISPLAY"] = wait_until(self._wayland_socket, timeout=30,
                                                 message="sway's Wayland socket")
        self.env["SWAYSOCK"] = wait_until(
            lambda: next((os.path.join(self.runtime, n) for n in os.listdir(self.runtime)
                          if n.startswith("sway-ipc.")), None), timeout=30, message="sway's IPC")
        wait_until(lambda: self.run(["swaymsg", "-t", "get_outputs"], check=False).returncode == 0,
                   timeout=30, message="sway to answer")

    def _start_weston(self):
        self.weston_log = os.path.join(self.files, "weston.log")
        argv = ["weston", "--backend=headless-backend.so", "--socket=wayland-ondrel",
                "--width=%d" % self.width, "--height=%d" % self.height, "--idle-time=0",
                "--log=%s" % self.weston_log]
        if self.xwayland:
            argv.append("--xwayland")
        self.spawn(argv)
        self.env["WAYLAND_DISPLAY"] = wait_until(self._wayland_socket, timeout=30,
                                                 message="weston's Wayland socket")
        if self.xwayland:
            # weston starts XWayland when the first X client connects, on this display.
            self.env["DISPLAY"] = wait_until(self._weston_x_display, timeout=30,
                                             message="weston's X display")

    def _wayland_socket(self):
        for name in sorted(os.listdir(self.runtime)):
            if name.startswith("wayland-") and not name.endswith(".lock"):
                return name
        return None

    def _weston_x_display(self):
        try:
            with open(self.weston_log, errors="replace") as f:
                match = re.search(r"xserver listening on display (:\d+)", f.read())
        except FileNotFoundError:
            return None
        return match.group(1) if match else None

    def _start_input(self):
        if not INPUT_BIN:
            raise RuntimeError("ONDREL_WL_INPUT_BIN is not set")
        self.input = self.spawn([INPUT_BIN, str(self.width), str(self.height)],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        reply = self.input.popen.stdout.readline().decode().strip()
        if reply != "ready":
            raise RuntimeError("the input helper did not start: " + reply)

    def stop(self):
        if self.input and self.input.popen.stdin:
            try:
                self.input.popen.stdin.close()
            except OSError:
                pass
        for process in reversed(self.processes):
            process.stop()
        self.processes = []
        if getattr(self, "tmp", None):
            shutil.rmtree(self.tmp, ignore_errors=True)

    # -- programs ------------------------------------------------------------------
    def spawn(self, argv, env=None, log=None, stdin=subprocess.DEVNULL,
              stdout=subprocess.DEVNULL, cwd=None):
        """Starts a program as the session's user with the session's environment;
        its output goes to log when given (written through a pipe-less file that
        we open, so the user needs no right to the folder)."""
        environment = dict(self.env)
        environment.update(env or {})
        out = open(log, "ab") if log else stdout
        try:
            popen = subprocess.Popen(self.user.command(argv, environment), stdin=stdin,
                                     stdout=out, stderr=out if log else subprocess.DEVNULL,
                                     cwd=cwd or self.tmp)
        finally:
            if log:
                out.close()
        process = Process(popen, direct=not self.user.as_root)
        self.processes.append(process)
        return process

    def run(self, argv, env=None, check=True, timeout=30):
        environment = dict(self.env)
        environment.update(env or {})
        result = subprocess.run(self.user.command(argv, environment), capture_output=True,
                                text=True, timeout=timeout, cwd=self.tmp)
        if check and result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(argv), result.stderr))
        return result

    def bus_name_has_owner(self, name):
        result = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                           "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                           "string:" + name], check=False)
        return "boolean true" in result.stdout

    def bus_property(self, service, path, interface, name):
        """A D-Bus property as dbus-send prints it (the text after "variant")."""
        result = self.run(["dbus-send", "--session", "--print-reply", "--dest=" + service, path,
                           "org.freedesktop.DBus.Properties.Get", "string:" + interface,
                           "string:" + name], check=False)
        return result.stdout.split("variant", 1)[-1].strip() if result.returncode == 0 else None

    def probe(self):
        """What ondrel-wayland-probe says: {name: bool}."""
        result = self.run([PROBE_BIN], check=False)
        return {key.strip(): value.strip() == "yes" for key, value in
                (line.split(":", 1) for line in result.stdout.splitlines() if ":" in line)}

    # -- sway's tree ---------------------------------------------------------------
    def tree(self):
        return json.loads(self.run(["swaymsg", "-t", "get_tree", "--raw"]).stdout)

    def windows(self):
        """Every window (view) in sway's tree, floating or tiled. Layer surfaces are
        not windows: sway's tree does not hold them."""
        found = []

        def walk(node):
            if node.get("pid") and node.get("type") in ("con", "floating_con"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(self.tree())
        return found

    def windows_of(self, pid):
        return [w for w in self.windows() if w.get("pid") == pid]

    def focused_window(self):
        return next((w for w in self.windows() if w.get("focused")), None)

    # -- input ---------------------------------------------------------------------
    def _input(self, line):
        self.input.popen.stdin.write((line + "\n").encode())
        self.input.popen.stdin.flush()
        reply = self.input.popen.stdout.readline().decode().strip()
        if not reply or reply.startswith("error"):
            raise RuntimeError("input helper: %s -> %s" % (line, reply or "no answer"))
        return reply

    def move(self, x, y):
        self._input("move %d %d" % (x, y))

    def click(self, x, y, button="left"):
        self._input("click %d %d %s" % (x, y, button))

    def button(self, button, pressed):
        self._input("button %s %s" % (button, "press" if pressed else "release"))

    def key(self, *names):
        """Presses the named keys (keysym names of a US layout) together, then
        releases them, on the stand-in keyboard."""
        self._input("key " + " ".join(names))

    def type_keysym(self, keysym):
        """Types with Ondrel's own virtual-keyboard typer, in the helper. Returns the
        CLOCK_MONOTONIC time in seconds at which the key events had been sent, and
        how many keymaps the typer has uploaded so far."""
        fields = self._input("type %x" % keysym).split()
        return int(fields[1]) / 1e9, int(fields[3])

    def type_backspace(self):
        fields = self._input("backspace").split()
        return int(fields[1]) / 1e9, int(fields[3])

    # -- pictures ------------------------------------------------------------------
    def screenshot(self, name, region=None):
        """A PNG of the whole output (or region (x, y, w, h)) in the artifacts."""
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name)
        shot = os.path.join(self.runtime, "shot.png")
        self.run(self._grim_argv(region) + [shot])
        shutil.copyfile(shot, path)
        os.unlink(shot)
        return path

    def pixels(self, x, y, width, height):
        """The colours of a region, as rows of (r, g, b)."""
        shot = os.path.join(self.runtime, "shot.ppm")
        self.run(self._grim_argv((x, y, width, height)) + ["-t", "ppm", shot])
        with open(shot, "rb") as f:
            data = f.read()
        os.unlink(shot)
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        w, h = int(match.group(1)), int(match.group(2))
        body = data[match.end():]
        return [[tuple(body[(row * w + col) * 3:(row * w + col) * 3 + 3]) for col in range(w)]
                for row in range(h)]

    def find_colour(self, matches, region=None):
        """Where the pixels are for which matches((r, g, b)) holds, within region
        (x, y, w, h), by default the whole output: ((x0, y0, x1, y1), count), or None.
        sway's tree holds no layer surfaces and no tray items, so this is how tests
        find them on the screen."""
        x, y, width, height = region or (0, 0, self.width, self.height)
        found = [(x + col, y + row) for row, line in enumerate(self.pixels(x, y, width, height))
                 for col, pixel in enumerate(line) if matches(pixel)]
        if not found:
            return None
        xs, ys = [p[0] for p in found], [p[1] for p in found]
        return (min(xs), min(ys), max(xs), max(ys)), len(found)

    def bar_region(self, height=32):
        """The strip of the output that swaybar takes (the test config puts it at the
        bottom; its tray items sit at its right end)."""
        return (0, self.height - height, self.width, height)

    @staticmethod
    def _grim_argv(region):
        argv = ["grim"]
        if region:
            argv += ["-g", "%d,%d %dx%d" % tuple(region)]
        return argv


class Target:
    """The native Wayland application typed into: a text field whose text lands in a
    file (tests/e2e/target)."""

    def __init__(self, session, platform="wayland"):
        self.session = session
        stamp = time.monotonic_ns()
        self.output = os.path.join(session.files, "target-%d.txt" % stamp)
        self.key_log = os.path.join(session.files, "target-keys-%d.txt" % stamp)
        self.process = session.spawn([TARGET_BIN, self.output, self.key_log],
                                     env={"QT_QPA_PLATFORM": platform})
        if session.compositor == "sway":
            self.window = wait_until(lambda: (session.windows_of(self.process.pid) or [None])[0],
                                     message="the target's window")
            self._settle()

    def _settle(self, attempts=20):
        # Qt focuses the text field a little after the compositor has given the window
        # the keyboard, and drops keys that come before: type a space until one lands,
        # then take it away again.
        for _ in range(attempts):
            self.session.key("space")
            try:
                wait_until(lambda: self.text(), timeout=0.5, message="a first key")
                break
            except AssertionError:
                continue
        else:
            raise AssertionError("no key reaches the target")
        while self.text():
            self.session.key("BackSpace")
            wait_until(lambda: " " not in self.text(), timeout=5, message="the probe key to go")

    def has_focus(self):
        focused = self.session.focused_window()
        return bool(focused and focused.get("pid") == self.process.pid)

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
