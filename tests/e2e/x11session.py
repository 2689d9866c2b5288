# SPDX-License-Identifier: GPL-3.0-or-later
"""A private X session for end-to-end tests: Xvfb, openbox and the trayer tray host,
the real program and a target application driven with xdotool, and X11Test, the
base of the tests that work them as a user does."""

import ctypes
import ctypes.util
import http.server
import json
import os
import re
import signal
import subprocess
import tempfile
import threading
import time
import unittest

import session as base
from helpers import QUIT, ocr, read_ppm, wait_until
from session import ONDREL_BIN, Session


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


class X11Session(Session):
    """Xvfb with a window manager, openbox unless told another, and with tray, the
    trayer tray host."""

    def __init__(self, width=1280, height=1024, tray=True, window_manager="openbox"):
        super().__init__(width, height, tray)
        self.window_manager = window_manager

    def environment(self):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("DBUS_", "WAYLAND_", "QT_QPA_")) and k != "LC_ALL"}
        # Without a session bus Qt uses the XEmbed tray, which trayer hosts.
        env.update({
            "XDG_CONFIG_HOME": self.config_home,
            "XDG_RUNTIME_DIR": self.runtime,
            "LANG": "en_US.UTF-8",
            "XDG_SESSION_TYPE": "x11",
            # No bus, and none started on demand (dbus-launch's autolaunch, where
            # the machine has it): tests that need one start their own.
            "DBUS_SESSION_BUS_ADDRESS": "disabled:",
        })
        return env

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
        with open(os.path.join(self.tmp, "i3.config"), "w", encoding="utf-8") as f:
            # Hiding the panel leaves the pointer over some window; with i3's default
            # that window would take the focus from the one typed into.
            f.write("# i3 config file (v4)\nfont pango:monospace 8\nfocus_follows_mouse no\n")
        env = {"HOME": self.home}
        if self.window_manager in WANT_A_BUS:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.start_bus()
        argv = [arg.format(tmp=self.tmp) for arg in WINDOW_MANAGERS[self.window_manager]]
        self.spawn(argv, env=env)
        wait_until(lambda: self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False)
                   .find("window id") >= 0, timeout=60, message=self.window_manager)

    # The tray host's panel is the largest viewable window of this class.
    TRAY_CLASS = "trayer"

    def tray_host_command(self):
        return ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                "--height", "24", "--SetDockType", "true", "--transparent", "false"]

    def tray_ready(self):
        return self.tray_host()

    def start_tray_host(self, attempts=3):
        # Now and then a tray host creates its panel but never maps it (trayer, about
        # once in ten sessions while the machine was busy); a fresh one then comes up.
        for attempt in range(attempts):
            host = self.spawn(self.tray_host_command())
            try:
                wait_until(self.tray_ready, timeout=20, message=self.TRAY_CLASS)
                return
            except AssertionError:
                host.kill()
                host.wait()
                self.processes.remove(host)
                if attempt == attempts - 1:
                    raise

    def x(self, *argv, check=True):
        """Runs an X client tool in the session and returns its output."""
        return self.run(argv, check=check).stdout

    def grab(self, wid):
        """A window's content as (width, height, RGB bytes)."""
        return read_ppm(self.run(["import", "-window", str(wid), "-depth", "8", "ppm:-"],
                                 text=False).stdout)

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
        out = self.x("xdotool", "search", "--class", self.TRAY_CLASS, check=False)
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
        path = self.artifact(name)
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


class Target(base.Target):
    """The application typed into, focused."""

    def __init__(self, session):
        super().__init__(session)
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


class Ondrel:
    """The real program, started in the session."""

    def __init__(self, session, env=None, cwd=None, binary=None, log=None):
        self.session = session
        self.process = session.spawn([binary or ONDREL_BIN], env=env, cwd=cwd, log=log)

    @property
    def pid(self):
        return self.process.pid

    def wait_until_answering(self, timeout=60):
        """Waits until this Ondrel holds the instance lock and listens. `--hide` tells,
        as it never becomes the running Ondrel itself; a `--show` sent earlier could,
        and would then run instead of this one."""
        wait_until(lambda: self.session.run([ONDREL_BIN, "--hide"], check=False,
                                            timeout=timeout).returncode == 0,
                   timeout, message="Ondrel to answer")

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


# Where Qt names a key otherwise than xdotool does.
QT_KEY_NAMES = {"Escape": "Esc", "a": "A"}


class X11Test(unittest.TestCase):
    """A test in an X session of its own with the target application focused, and
    what a user does with Ondrel's tray icon, its menu, windows and pop-ups."""

    def setUp(self):
        self.session = X11Session().start()
        self.target = Target(self.session)

    def tearDown(self):
        self.session.stop()

    def start_ondrel(self, **kwargs):
        """Ondrel (given Ondrel's arguments) with its icon in the tray, and the focus
        back on the target."""
        ondrel = Ondrel(self.session, **kwargs)
        ondrel.wait_for_tray_icon()
        self.target.focus()
        return ondrel

    # -- the tray menu and the windows it opens --------------------------------------
    def open_menu(self, ondrel):
        before = {w.id for w in self.session.windows_of(ondrel.pid) if w.viewable}
        ondrel.click_tray(button=3)

        def new_popup():
            for w in self.session.windows_of(ondrel.pid):
                if w.viewable and w.override_redirect and w.id not in before and w.height > 40:
                    return w
            return None
        return wait_until(new_popup, message="the tray menu")

    def click_menu_entry(self, menu, entry, count=5):
        self.session.click(menu.x + menu.width // 2,
                           menu.y + menu.height * (2 * entry + 1) // (2 * count))

    def quit_from_menu(self, ondrel):
        """Chooses Quit; returns Ondrel's exit status."""
        self.click_menu_entry(self.open_menu(ondrel), QUIT)
        return ondrel.process.wait(10)

    def windows_titled(self, ondrel, title):
        return [w for w in self.session.managed_windows(ondrel.pid)
                if self.session.title(w.id) == title]

    def open_window(self, ondrel, entry, title):
        """Chooses an entry of the menu and returns the window it opens."""
        self.click_menu_entry(self.open_menu(ondrel), entry)
        return wait_until(lambda: (self.windows_titled(ondrel, title) or [None])[0],
                          message="the window " + title)

    def focus_on(self, window):
        wait_until(lambda: self.session.focused_window() == window.id,
                   message="focus on 0x%x" % window.id)

    def size_slider_groove(self, dialog):
        """The filled part of the settings' "Symbol size" slider: at the largest size,
        all of it. It is the only highlight-blue run in the dialog's upper third, above
        the row that holds the focused button's blue frame."""
        width, height, pixels = self.session.grab(dialog.id)
        xs, ys = [], []
        for y in range(height // 3):
            for x in range(width):
                r, g, b = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
                if b > 150 and b > r + 60 and g > r + 20:
                    xs.append(x)
                    ys.append(y)
        self.assertTrue(xs, "no slider groove found")
        return min(xs), min(ys), max(xs), max(ys)

    # -- keys, pop-ups and their text ------------------------------------------------
    def press(self, *keys):
        """Presses keys (xdotool's names) in the target and waits until it has
        received them all."""
        before = len(self.target.keys())
        self.session.key(*keys)
        wait_until(lambda: len(self.target.keys()) >= before + len(keys),
                   message="the target to receive " + " ".join(keys))
        qt_names = [QT_KEY_NAMES.get(key, key) for key in keys]
        self.assertEqual(self.target.keys()[before:before + len(keys)], qt_names)

    def popup(self, ondrel, exclude=()):
        """A viewable pop-up of the program (balloon, tooltip), not the tray icon nor
        the panel."""
        for w in self.session.windows_of(ondrel.pid):
            if (w.viewable and w.override_redirect and w.width > 40 and w.id not in exclude
                    and not self.session.is_panel(w.id)):
                return w
        return None

    def read_text(self, window, name):
        """The lines that optical character recognition reads in a window, without
        blanks, at a few scales (one scale can misread a glyph that another reads)."""
        shot = self.session.screenshot(name)
        readings = set()
        for scale in (200, 250, 300):
            # The window's dark frame line would be read as text, so it goes.
            out = ocr(shot, "-crop", "%dx%d+%d+%d" % (window.width, window.height, window.x,
                                                      window.y),
                      "+repage", "-shave", "2x2", "-scale", "%d%%" % scale,
                      "-bordercolor", "white", "-border", "10", psm=6)
            readings.update("".join(line.split()) for line in out.splitlines())
        readings.discard("")
        return readings

    def expect_text(self, window, name, expected):
        """Waits until the window reads the expected line; a window just mapped may
        not have painted yet. "Ondrel" alone must also not read as the longer form."""
        readings = set()

        def reads_expected():
            readings.clear()
            readings.update(self.read_text(window, name))
            return expected in readings
        try:
            wait_until(reads_expected, timeout=15, interval=0.2, message=expected)
        except AssertionError:
            self.fail("%r not read in %s: %r" % (expected, name, sorted(readings)))
        if expected == "Ondrel":
            self.assertFalse([r for r in readings if r.startswith("Ondrel(")], readings)

    def expect_balloon(self, ondrel, name, expected):
        balloon = wait_until(lambda: self.popup(ondrel), message="the start-up balloon")
        self.expect_text(balloon, name, expected)
        return balloon
