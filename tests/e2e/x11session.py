# SPDX-License-Identifier: GPL-3.0-or-later
"""A private X session for end-to-end tests: Xvfb, openbox and the trayer tray host,
plus helpers to drive the real program and a target application with xdotool."""

import ctypes
import ctypes.util
import http.server
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time

ONDREL_BIN = os.environ.get("ONDREL_BIN", "")
TARGET_BIN = os.environ.get("ONDREL_TARGET_BIN", "")
ARTIFACTS = os.environ.get("ONDREL_ARTIFACTS", os.path.join(tempfile.gettempdir(), "ondrel-artifacts"))


def file_text(path):
    """What a file holds, or "" while it does not exist yet."""
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def wait_until(predicate, timeout=10.0, interval=0.05, message="condition"):
    """Polls until predicate() returns something true; returns it or raises."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + message)
        time.sleep(interval)


class Window:
    def __init__(self, wid, x, y, width, height, viewable, override_redirect):
        self.id = wid
        self.x, self.y, self.width, self.height = x, y, width, height
        self.viewable = viewable
        self.override_redirect = override_redirect

    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def __repr__(self):
        return "Window(0x%x %dx%d+%d+%d)" % (self.id, self.width, self.height, self.x, self.y)


# How to start each window manager that the tests run under, in the foreground and
# without a session manager.
WINDOW_MANAGERS = {
    "openbox": ["openbox", "--sm-disable"],
    "xfwm4": ["xfwm4", "--compositor=off", "--sm-client-disable"],
    "kwin_x11": ["kwin_x11", "--no-kactivities", "--lock"],
    "marco": ["marco", "--no-composite", "--sm-disable"],
    "i3": ["i3", "-c", "{tmp}/i3.config"],
    "fluxbox": ["fluxbox"],
    "icewm": ["icewm", "--replace"],
}
# These want a session bus; they get one of their own. Ondrel's sessions have none,
# so that Qt uses the XEmbed tray.
WANT_A_BUS = {"xfwm4", "kwin_x11", "marco"}


class X11Session:
    def __init__(self, width=1280, height=1024, tray=True, window_manager="openbox"):
        self.width, self.height = width, height
        self.tray = tray
        self.window_manager = window_manager
        self.processes = []
        self.tmp = tempfile.mkdtemp(prefix="ondrel-e2e-")
        self.config_home = os.path.join(self.tmp, "config")
        os.makedirs(self.config_home)
        runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("DBUS_", "WAYLAND_", "QT_QPA_"))}
        # Without a session bus Qt uses the XEmbed tray, which trayer hosts.
        self.env.update({
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_RUNTIME_DIR": runtime,
            "LANG": "en_US.UTF-8",
            "LC_ALL": "",
            "XDG_SESSION_TYPE": "x11",
            # No bus, and none started on demand (dbus-launch's autolaunch, where
            # the machine has it): tests that need one start their own.
            "DBUS_SESSION_BUS_ADDRESS": "disabled:",
        })
        self.env.pop("LC_ALL")

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
        read_fd, write_fd = os.pipe()
        # The abstract socket stays: it is shared across mount namespaces, and holding
        # it keeps an X server in a chroot with a /tmp of its own off this display.
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             "%dx%dx24" % (self.width, self.height), "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.processes.append(xvfb)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display
        self.start_window_manager()
        if self.tray:
            self.start_tray_host()
        return self

    def start_window_manager(self):
        # Window managers keep files of their own in the home folder; the session's
        # are its own, and go with it.
        home = os.path.join(self.tmp, "home")
        os.makedirs(home, exist_ok=True)
        with open(os.path.join(self.tmp, "i3.config"), "w", encoding="utf-8") as f:
            # Hiding the panel leaves the pointer over some window; with i3's default
            # that window would take the focus from the one typed into.
            f.write("# i3 config file (v4)\nfont pango:monospace 8\nfocus_follows_mouse no\n")
        env = {"HOME": home}
        if self.window_manager in WANT_A_BUS:
            bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                   stdout=subprocess.PIPE, text=True, env=self.env)
            self.processes.append(bus)
            env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        argv = [arg.format(tmp=self.tmp) for arg in WINDOW_MANAGERS[self.window_manager]]
        self.spawn(argv, env=env)
        wait_until(lambda: self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False)
                   .find("window id") >= 0, timeout=60, message=self.window_manager)

    def start_tray_host(self, attempts=3):
        # Now and then trayer creates its panel but never maps it (seen about once in
        # ten sessions, while the machine was busy); a fresh trayer then comes up.
        for attempt in range(attempts):
            trayer = self.spawn(["trayer", "--edge", "bottom", "--align", "right",
                                 "--widthtype", "request", "--height", "24",
                                 "--SetDockType", "true", "--transparent", "false"])
            try:
                wait_until(self.tray_host, timeout=15, message="trayer")
                return
            except AssertionError:
                trayer.kill()
                trayer.wait()
                self.processes.remove(trayer)
                if attempt == attempts - 1:
                    raise

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.processes = []
        shutil.rmtree(self.tmp, ignore_errors=True)

    def spawn(self, argv, env=None, **kwargs):
        environment = dict(self.env)
        environment.update(env or {})
        process = subprocess.Popen(argv, env=environment, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def x(self, *argv, check=True):
        """Runs an X client tool in the session and returns its output."""
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(argv), result.stderr))
        return result.stdout

    # -- windows -------------------------------------------------------------------
    def window(self, wid):
        info = self.x("xwininfo", "-id", str(wid), check=False)
        if not info:
            return None

        def field(name):
            match = re.search(name + r":\s+(-?\d+)", info)
            return int(match.group(1)) if match else 0

        return Window(wid, field("Absolute upper-left X"), field("Absolute upper-left Y"),
                      field("Width"), field("Height"), "IsViewable" in info,
                      "Override Redirect State: yes" in info)

    def windows_of(self, pid):
        out = self.x("xdotool", "search", "--all", "--pid", str(pid), "--name", "", check=False)
        windows = [self.window(int(line)) for line in out.split()]
        return [w for w in windows if w]

    def tray_host(self):
        out = self.x("xdotool", "search", "--class", "trayer", check=False)
        hosts = [self.window(int(line)) for line in out.split()]
        hosts = [w for w in hosts if w and w.viewable]
        return max(hosts, key=lambda w: w.width * w.height) if hosts else None

    def tray_icon(self, pid):
        """The program's viewable window inside the tray host, once embedded."""
        host = self.tray_host()
        if not host:
            return None
        for w in self.windows_of(pid):
            if (w.viewable and host.x <= w.x < host.x + host.width
                    and host.y <= w.y < host.y + host.height and w.width <= 64):
                return w
        return None

    def managed_windows(self, pid):
        """The program's viewable windows that the window manager frames."""
        result = []
        for w in self.windows_of(pid):
            if w.viewable and not w.override_redirect:
                state = self.x("xprop", "-id", str(w.id), "WM_STATE", check=False)
                if "Normal" in state:
                    result.append(w)
        return result

    def title(self, wid):
        out = self.x("xprop", "-id", str(wid), "_NET_WM_NAME", check=False)
        match = re.search(r'= "(.*)"', out)
        return match.group(1) if match else ""

    def stacking(self):
        """The root window's children, bottom to top (xwininfo lists the top first)."""
        out = self.x("xwininfo", "-root", "-children")
        return [int(w, 16) for w in re.findall(r"^\s+(0x[0-9a-f]+)", out, re.M)][::-1]

    def top_level(self, wid):
        """The child of the root that holds a window: its frame, or the window itself."""
        while True:
            out = self.x("xwininfo", "-id", str(wid), "-children", check=False)
            match = re.search(r"Parent window id: (0x[0-9a-f]+)( \(the root window\))?", out)
            if not match or match.group(2):
                return wid
            wid = int(match.group(1), 16)

    def pixel(self, x, y):
        """The colour of a point of the screen."""
        out = self.x("import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8",
                     "txt:-")
        return re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1]).groups()

    def is_panel(self, wid):
        return self.title(wid).startswith("Ondrel [")

    def frame_extents(self, wid):
        out = self.x("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS", check=False)
        numbers = [int(n) for n in re.findall(r"\d+", out.split("=", 1)[-1])] if "=" in out else []
        return tuple(numbers) if len(numbers) == 4 else (0, 0, 0, 0)

    def focused_window(self):
        return int(self.x("xdotool", "getwindowfocus", "-f").strip() or 0)

    def focused_client(self):
        """The application window that holds the focus, also when its toolkit gives
        the focus to a child window (GTK 3 does)."""
        return int(self.x("xdotool", "getwindowfocus", check=False).strip() or 0)

    # -- input ---------------------------------------------------------------------
    def click(self, x, y, button=1):
        self.x("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))

    def key(self, *names):
        self.x("xdotool", "key", *names)

    def screenshot(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name)
        self.x("import", "-window", "root", path)
        return path


class Panel:
    """Ondrel's panel on the screen: a window of its own, not managed by the window
    manager, with the title strip on top and the grid of 7 x 28 cells below it."""

    ROWS, COLUMNS = 7, 28

    def __init__(self, window):
        self.window = window
        self.id = window.id
        self.cell = window.width // self.COLUMNS
        # Where the grid starts inside the window, below the strip.
        self.grid_top = window.height - self.ROWS * self.cell
        self.x, self.y = window.x, window.y + self.grid_top

    def cell_centre(self, index):
        """Where to click a cell, on the screen."""
        row, column = divmod(index, self.COLUMNS)
        return (self.x + column * self.cell + self.cell // 2,
                self.y + row * self.cell + self.cell // 2)

    def strip_point(self, fraction=3):
        """A point of the title strip, away from its buttons, that drags the panel."""
        return self.window.x + self.window.width // fraction, self.window.y + self.grid_top // 2

    def button_centre(self, from_right):
        """The strip's buttons at its right end, square: 0 is the close button, 1 the
        menu button."""
        side = self.grid_top
        return (self.window.x + self.window.width - side * from_right - side // 2,
                self.window.y + side // 2)


class XTestPointer:
    """A mouse as the X server sees one: device motion, press and release through
    XTest, sent without waiting for the server, as a person's clicks come."""

    def __init__(self, display):
        self._x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self._xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XFlush.argtypes = [ctypes.c_void_p]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                    ctypes.c_int, ctypes.c_ulong]
        self._xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                    ctypes.c_ulong]
        self._display = self._x.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError("cannot open " + display)

    def move(self, x, y):
        self._xtst.XTestFakeMotionEvent(self._display, -1, x, y, 0)
        self._x.XFlush(self._display)

    def button(self, pressed, button=1):
        self._xtst.XTestFakeButtonEvent(self._display, button, 1 if pressed else 0, 0)
        self._x.XFlush(self._display)

    def click_at(self, x, y, hold=0.0, button=1):
        self.move(x, y)
        self.button(True, button)
        if hold:
            time.sleep(hold)
        self.button(False, button)

    def close(self):
        self._x.XCloseDisplay(self._display)


class Target:
    """The application being typed into: a text field whose content lands in a file."""

    def __init__(self, session):
        self.session = session
        stamp = time.monotonic_ns()
        self.output = os.path.join(session.tmp, "target-%d.txt" % stamp)
        self.key_log = os.path.join(session.tmp, "target-keys-%d.txt" % stamp)
        self.process = session.spawn([TARGET_BIN, self.output, self.key_log])
        self.window = wait_until(lambda: self._window(), timeout=30, message="the target window")
        self.focus()

    def _window(self):
        windows = self.session.managed_windows(self.process.pid)
        return windows[0] if windows else None

    def focus(self):
        self.session.x("xdotool", "windowactivate", "--sync", str(self.window.id), check=False)
        wait_until(self.has_focus, message="focus on the target")

    def has_focus(self):
        return self.session.focused_window() == self.window.id

    def text(self):
        return file_text(self.output)

    def keys(self):
        """The names of the keys pressed in the target so far, in order."""
        return file_text(self.key_log).split()


class Ondrel:
    """The real program, started in the session."""

    def __init__(self, session, env=None, cwd=None, binary=None):
        self.session = session
        self.process = session.spawn([binary or ONDREL_BIN], env=env, cwd=cwd)

    @property
    def pid(self):
        return self.process.pid

    def wait_for_tray_icon(self, timeout=15):
        return wait_until(lambda: self.session.tray_icon(self.pid), timeout,
                          message="the tray icon to embed")

    def panel(self):
        """The panel while it is shown, else None."""
        for w in self.session.windows_of(self.pid):
            if (w.viewable and w.override_redirect and w.width > 200
                    and self.session.is_panel(w.id)):
                return Panel(w)
        return None

    def click_tray(self, button=1):
        icon = self.wait_for_tray_icon()
        self.session.click(*icon.centre(), button=button)

    def terminate(self, sig=signal.SIGTERM, timeout=10):
        self.process.send_signal(sig)
        return self.process.wait(timeout)

    def settings_path(self):
        return os.path.join(self.session.config_home, "Ondrel", "Ondrel_1.0.conf")


class TextPage:
    """A page with one focused textarea, served on localhost, that posts its text to
    this server after every change, so that a test reads what the page itself holds."""

    HTML = b"""<!doctype html><meta charset="utf-8"><title>Ondrel typing</title>
<textarea id="text" autofocus style="width:95%;height:60vh"></textarea>
<script>
const text = document.getElementById("text");
let serial = 0;
function post(path) {
  fetch(path, {method: "POST", body: JSON.stringify({serial: ++serial, text: text.value})});
}
text.addEventListener("input", () => post("/text"));
window.addEventListener("load", () => { text.focus(); post("/ready"); });
</script>"""

    def __init__(self):
        self.text, self.ready, self._serial = "", False, 0
        page = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(TextPage.HTML)))
                self.end_headers()
                self.wfile.write(TextPage.HTML)

            def do_POST(self):
                body = json.loads(self.rfile.read(int(self.headers["Content-Length"])))
                with page._lock:
                    # Posts may overtake each other; the latest change wins.
                    if body["serial"] > page._serial:
                        page._serial, page.text = body["serial"], body["text"]
                    page.ready = page.ready or self.path == "/ready"
                self.send_response(204)
                self.end_headers()

        self._lock = threading.Lock()
        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=self._server.serve_forever, daemon=True).start()
        self.url = "http://127.0.0.1:%d/" % self._server.server_address[1]

    def close(self):
        self._server.shutdown()
        self._server.server_close()


BROWSERS = {
    # No network here and nothing to sync: keep the browser from trying, and from
    # showing first-run pages that would take the focus from the page.
    "chromium": lambda profile, url: [
        "chromium", "--no-sandbox", "--no-first-run", "--no-default-browser-check",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--disable-gpu", "--password-store=basic", "--user-data-dir=" + profile, "--app=" + url],
    "firefox-esr": lambda profile, url: [
        "firefox-esr", "--no-remote", "--new-instance", "--profile", profile, url],
}


class Browser:
    """A browser showing a TextPage, with a fresh profile, as the window typed into."""

    def __init__(self, session, name):
        self.session = session
        self.page = TextPage()
        profile = tempfile.mkdtemp(prefix=name + "-", dir=session.tmp)
        self.process = session.spawn(BROWSERS[name](profile, self.page.url))
        wait_until(lambda: self.page.ready, timeout=120, message=name + " to load the page")
        self.window = wait_until(lambda: (session.managed_windows(self.process.pid) or [None])[0],
                                 timeout=60, message=name + "'s window")
        session.x("xdotool", "windowactivate", "--sync", str(self.window.id), check=False)
        wait_until(lambda: session.focused_client() == self.window.id,
                   message="focus on " + name)

    def text(self):
        return self.page.text

    def close(self):
        self.page.close()
