# SPDX-License-Identifier: GPL-3.0-or-later
"""A private headless Wayland session for end-to-end tests.

sway (wlroots) with swaybar as the tray host, or weston with XWayland for the
fallback, each with a private session bus. sway refuses to run as root, and CI runs
as root: then the session and every program in it run as an unprivileged test user
(created if missing) through runuser. A headless seat has no input devices, so a
helper program (ondrel_wl_input) keeps a stand-in keyboard and a virtual pointer
alive for the whole session and drives them.

Environment: ONDREL_WL_INPUT_BIN (the helper), ONDREL_TEST_USER (default ondreltest),
and those of session.py.
"""

import collections
import glob
import json
import os
import pwd
import re
import shutil
import signal
import subprocess
import sys
import time

import session as base
from helpers import file_text, read_ppm, wait_until
from otheruser import runnable_copy, shared_temp_folder
from session import ONDREL_BIN, TARGET_BIN, Session
from x11session import Panel

INPUT_BIN = os.environ.get("ONDREL_WL_INPUT_BIN", "")
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
    """A program started as the session's user, ended as subprocess.Popen is. pid is
    the program's own, not that of runuser, which waits for it."""

    def __init__(self, popen, direct):
        self.popen = popen
        self.stdin, self.stdout = popen.stdin, popen.stdout
        # 0 when the program has already ended.
        self.pid = popen.pid if direct else wait_until(
            lambda: _first_child(popen.pid) or (popen.poll() is not None and -1),
            timeout=10, message="the program behind runuser")
        self.pid = max(self.pid, 0)

    def poll(self):
        return self.popen.poll()

    def wait(self, timeout=None):
        return self.popen.wait(timeout)

    def send_signal(self, sig):
        if not self.pid or self.popen.poll() is not None:
            return
        try:
            os.kill(self.pid, sig)
        except ProcessLookupError:
            pass

    def terminate(self):
        self.send_signal(signal.SIGTERM)

    def kill(self):
        self.send_signal(signal.SIGKILL)
        self.popen.kill()


def _first_child(pid):
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
            children = f.read().split()
    except OSError:
        return None
    return int(children[0]) if children else None


class WaylandSession(Session):
    """compositor: "sway" (both protocols, swaybar tray) or "weston" (neither, with
    XWayland). bindings: sway key bindings, {"F8": "exec CMD"}."""

    def __init__(self, compositor="sway", width=1280, height=1024, tray=True, bindings=None,
                 xwayland=False):
        super().__init__(width, height, tray and compositor == "sway")
        self.compositor = compositor
        self.bindings = dict(bindings or {})
        self.xwayland = xwayland or compositor == "weston"
        self.user = User()
        self.input = None

    # -- session -------------------------------------------------------------------
    def scratch_folder(self):
        return shared_temp_folder("ondrel-wl-")

    def own(self, path):
        self.user.own(path)

    def environment(self):
        env = {k: v for k, v in os.environ.items() if k in PASSED_ON}
        env.setdefault("PATH", "/usr/local/bin:/usr/bin:/bin")
        env.setdefault("LANG", "C.UTF-8")
        env.update({
            "HOME": self.home,
            "USER": self.user.name,
            "XDG_RUNTIME_DIR": self.runtime,
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_SESSION_TYPE": "wayland",
        })
        return env

    def _start(self):
        for binary in (INPUT_BIN, TARGET_BIN, ONDREL_BIN):
            if binary and os.path.exists(binary):
                self.user.provide(binary, self.tmp)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.start_bus()
        if self.compositor != "sway":
            self._start_weston()
            return self
        self._start_sway()
        self._start_input()
        if self.tray:
            wait_until(lambda: self.bus_name_has_owner("org.kde.StatusNotifierWatcher"),
                       timeout=20, message="swaybar's StatusNotifierWatcher")
        return self

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
        reply = self.input.stdout.readline().decode().strip()
        if reply != "ready":
            raise RuntimeError("the input helper did not start: " + reply)

    def stop(self):
        # The input helper ends when its input does, and takes its devices with it.
        if self.input and self.input.stdin:
            try:
                self.input.stdin.close()
            except OSError:
                pass
        super().stop()

    # -- programs ------------------------------------------------------------------
    def command(self, argv, env):
        """argv as the session's user, with exactly the session's environment."""
        argv, environment = super().command(argv, env)
        return self.user.command(argv, environment), None

    def tracked(self, popen):
        return Process(popen, direct=not self.user.as_root)

    def bus_name_has_owner(self, name):
        result = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                           "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                           "string:" + name], check=False)
        return "boolean true" in result.stdout

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
        self.input.stdin.write((line + "\n").encode())
        self.input.stdin.flush()
        reply = self.input.stdout.readline().decode().strip()
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

    # -- pictures ------------------------------------------------------------------
    def screenshot(self, name, region=None):
        """A PNG of the whole output (or region (x, y, w, h)) in the artifacts."""
        path = self.artifact(name)
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
            w, h, body = read_ppm(f.read())
        os.unlink(shot)
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


class Target(base.Target):
    """The native Wayland application typed into, with the keyboard on sway."""

    def __init__(self, session, platform="wayland"):
        super().__init__(session, env={"QT_QPA_PLATFORM": platform})
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


PanelWindow = collections.namedtuple("PanelWindow", "id x y width height")
MUTTER_INPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mutterinput.py")
GTK_ENTRY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "target", "gtkentry.py")
SYSTEM_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>system</type><listen>unix:path=%s</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy></busconfig>
"""


class GnomeSession(WaylandSession):
    """GNOME Shell, headless, with XWayland, a private session bus and a stand-in
    system bus (its own dbus-daemon, which answers for no system service). GNOME
    Shell starts ibus-daemon itself. The pointer and keyboard are mutter's
    RemoteDesktop interface, driven by mutterinput.py; there is no sway tree, so
    windows are X11 ones (through xdotool) and the GTK target says itself whether it
    is active."""

    def __init__(self, width=1024, height=768):
        super().__init__("gnome", width, height, tray=False, xwayland=True)
        self.pointer = None  # where the pointer is, once a motion has put it somewhere

    def _start(self):
        for program in (MUTTER_INPUT, GTK_ENTRY, TARGET_BIN, ONDREL_BIN):
            if program and os.path.exists(program):
                self.user.provide(program, self.tmp)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.start_bus()
        config = os.path.join(self.tmp, "system-bus.conf")
        with open(config, "w") as f:
            f.write(SYSTEM_BUS_CONFIG % os.path.join(self.runtime, "system-bus"))
        os.chmod(config, 0o644)
        self.spawn(["dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile",
                    "--nosyslog"])
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=%s/system-bus" % self.runtime
        wait_until(lambda: os.path.exists(os.path.join(self.runtime, "system-bus")),
                   message="the stand-in system bus")
        self.shell_log = os.path.join(self.files, "gnome-shell.log")
        argv = ["gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                "%dx%d" % (self.width, self.height)]
        # Newer mutter may keep RemoteDesktop for the desktop's own portals outside
        # unsafe mode; GNOME Shell 43 has no such mode and no such check.
        if "--unsafe-mode" in self.run(["gnome-shell", "--help-all"], check=False).stdout:
            argv.append("--unsafe-mode")
        self.shell = self.spawn(argv, log=self.shell_log)
        self.env["WAYLAND_DISPLAY"] = wait_until(self._wayland_socket, timeout=60,
                                                 message="GNOME Shell's Wayland socket")
        display, authority = wait_until(self._xwayland, timeout=60, message="XWayland")
        self.env.update({"DISPLAY": display, "XAUTHORITY": authority})
        self.user_engine = self._user_engine()
        self.input = self.spawn([MUTTER_INPUT], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE)
        reply = self.input.stdout.readline().decode().strip()
        if reply != "ready":
            raise RuntimeError("mutter's RemoteDesktop did not start: " + reply)
        # GNOME Shell opens its overview at start, and Escape leaves it once the shell
        # has started.
        wait_until(lambda: self.overview_active() is not None, timeout=60,
                   message="GNOME Shell to start")
        wait_until(lambda: self.overview_active() is False or self.key(0xff1b) and False,
                   timeout=30, interval=0.5, message="GNOME Shell to leave its overview")
        return self

    def overview_active(self):
        """Whether GNOME Shell shows its overview; None until it answers."""
        result = self.run(["gdbus", "call", "--session", "--dest", "org.gnome.Shell",
                           "--object-path", "/org/gnome/Shell", "--method",
                           "org.freedesktop.DBus.Properties.Get", "org.gnome.Shell",
                           "OverviewActive"], check=False)
        if result.returncode != 0:
            return None
        return "true" in result.stdout

    def _xwayland(self):
        """XWayland's display and authority file. mutter tells them only to a
        gnome-session, which is not there, and may start XWayland only when the first
        X11 client comes; it names the display in its log, and the file at once."""
        match = re.search(r"Using public X11 display (:\d+)", file_text(self.shell_log))
        authority = glob.glob(os.path.join(self.runtime, ".mutter-Xwaylandauth.*"))
        return match and authority and (match.group(1), authority[0])

    def _user_engine(self):
        """The engine GNOME Shell sets from the input sources once ibus-daemon is up.
        One CI run of GNOME Shell 48 set none in a minute; then the user's choice is
        made by hand, as in the input-source menu, and the state of IBus is told."""
        try:
            return wait_until(self.ibus_engine, timeout=60,
                              message="GNOME Shell to set an IBus engine")
        except AssertionError:
            daemons = self.run(["pgrep", "-a", "ibus"], check=False).stdout.strip()
            sys.stderr.write("GNOME Shell set no IBus engine; IBus's programs: %s\n"
                             % (daemons or "none"))
            self.report_logs()
        self.run(["ibus", "engine", "xkb:us::eng"], env={"DISPLAY": ""}, check=False)
        return wait_until(self.ibus_engine, timeout=30, message="an IBus engine set by hand")

    def ibus_engine(self):
        """ibus-daemon's global engine, or "" when there is none."""
        result = self.run(["ibus", "engine"], env={"DISPLAY": ""}, check=False)
        return result.stdout.strip() if result.returncode == 0 else ""

    def x(self, *argv):
        """An X11 tool on XWayland; what it printed."""
        return self.run(list(argv), check=False).stdout

    # -- input ---------------------------------------------------------------------
    def move(self, x, y):
        # Motion is relative only (absolute motion needs a screen-cast stream), so the
        # first starts from the bottom-left corner (the top-left one opens the
        # overview), and each later one from where the last ended.
        first = self.pointer is None
        if first:
            self._input("move -100000 100000")
            self.pointer = (0, self.height - 1)
            # mutter moves the pointer on its input thread after it has answered, and
            # tells no one where it is: the next motion must not overtake this one.
            time.sleep(0.2)
        self._input("move %d %d" % (x - self.pointer[0], y - self.pointer[1]))
        self.pointer = (x, y)
        if first:
            # A click at once after the pointer's first motion sticks: mutter then
            # drops every later click (seen with GNOME Shell 43).
            time.sleep(0.3)

    def click(self, x, y, button="left"):
        self.move(x, y)
        self.press(button)

    def press(self, button="left"):
        """A click where the pointer is."""
        self._input("click " + button)

    def panel(self):
        """Ondrel's panel (an X11 window on XWayland), or None while it is hidden."""
        ids = self.x("xdotool", "search", "--onlyvisible", "--name", r"^Ondrel \[").split()
        if not ids:
            return None
        fields = dict(line.split("=", 1) for line in self.x(
            "xdotool", "getwindowgeometry", "--shell", ids[0]).split())
        return Panel(PanelWindow(int(ids[0]), *(int(fields[k]) for k in ("X", "Y", "WIDTH",
                                                                          "HEIGHT"))))

    def first_click(self, panel, text):
        """Clicks cell after cell until one types into what text() reads, then takes
        that away again with Backspace: in the headless session the first clicks on
        the panel never reach it (the first five, each time it was measured, and all
        of those that come without a motion in between)."""
        before = text()
        for cell in range(20):
            self.click(*panel.cell_centre(cell))
            try:
                wait_until(lambda: text() != before, timeout=1)
                break
            except AssertionError:
                continue
        backspace = panel.cell_centre(Panel.ROWS * Panel.COLUMNS - 1)
        while text() != before:
            length = len(text())
            self.click(*backspace)
            wait_until(lambda: len(text()) < length, message="Backspace to delete")

    def key(self, *keysyms):
        """Presses the keysyms (numbers) together and releases them; returns the
        CLOCK_MONOTONIC time in seconds at which the releases were sent."""
        return int(self._input("key " + " ".join("0x%x" % k for k in keysyms)).split()[1]) / 1e9

    def screenshot(self, name, region=None):
        """XWayland's windows only: GNOME Shell lets no other program take pictures."""
        path = self.artifact(name)
        self.run(["import", "-window", "root", path], check=False)
        return path


class GtkEntry:
    """A GTK 4 entry on Wayland (tests/e2e/target/gtkentry.py), typed into through
    the input method; it notes its text and whether its window is active."""

    def __init__(self, session):
        self.session = session
        # Once in many runs, on GNOME Shell 48, the first window of a session did not
        # become active in 30 s; Ondrel was not running then. What the window said
        # is told, and a second window is started, as a person would start it again.
        for attempt in (1, 2):
            stamp = time.monotonic_ns()
            self.output = os.path.join(session.files, "gtk-%d.txt" % stamp)
            self.state = os.path.join(session.files, "gtk-state-%d.txt" % stamp)
            log = os.path.join(session.files, "gtk-%d.log" % stamp)
            self.process = session.spawn([GTK_ENTRY, self.output, self.state], log=log,
                                         env={"GDK_BACKEND": "wayland"})
            try:
                wait_until(self.is_active, timeout=30,
                           message="the GTK 4 window to be active")
                return
            except AssertionError:
                sys.stderr.write("The GTK 4 window is not active after 30 s (attempt %d); "
                                 "its state: %r, it %s; its output: %r\n" % (
                                     attempt, file_text(self.state) or "none written",
                                     "runs" if self.process.poll() is None else
                                     "ended with %s" % self.process.returncode,
                                     file_text(log)[-2000:]))
                session.end(self.process)
                if attempt == 2:
                    raise

    def text(self):
        return file_text(self.output)

    def is_active(self):
        return file_text(self.state) == "active"
