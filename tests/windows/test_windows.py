#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real ondrel.exe under Wine, from the portable zip and then from the installed
tree, on a private X server with openbox and tint2's tray, in a Wine prefix that goes
at the end:  test_windows.py <folder holding the zip and the setup.exe>"""

import ctypes
import ctypes.util
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from helpers import wait_until  # noqa: E402
from x11session import X11Session  # noqa: E402

WINE = os.environ.get("ONDREL_WINE64") or shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
SETTINGS = r"HKCU\Software\Ondrel\Ondrel_1.0\Settings"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Ondrel"
# The small Windows programs that the suite drives beside Ondrel.
WIN32_SOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "win32")
LABEL, SPACING, COLUMNS, PAGE = 24, 2, 28, 866  # 866 is not en_US's OEM page
passed = failed = 0


def check(name, ok, detail=""):
    global passed, failed
    passed, failed = passed + bool(ok), failed + (not ok)
    print(("PASSED: %s" if ok else "FAILED: %s  (" + str(detail) + ")") % name, flush=True)


def soon(predicate, timeout):
    try:
        return wait_until(predicate, timeout=timeout)
    except AssertionError:
        return None


class Wine:
    """A Wine prefix. Output always goes to files: Wine stalls when it writes to a pipe."""

    def __init__(self, session, scratch):
        self.session, self.scratch, self.count = session, scratch, 0
        session.env.update(WINEPREFIX=os.path.join(scratch, "prefix"), WINEDEBUG="-all",
                           WINEDLLOVERRIDES="mscoree=d;mshtml=d",  # no Mono, no Gecko
                           QT_FORCE_STDERR_LOGGING="1")  # a failure's reason in its output
        self.server("-p")
        self.run("wineboot", "--init", timeout=300)

    def server(self, *argv):
        subprocess.run([WINESERVER, *argv], env=self.session.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    def start(self, *argv, cwd=None):
        self.count += 1
        out = os.path.join(self.scratch, "out%d" % self.count)
        with open(out, "wb") as o, open(out + ".err", "wb") as e:
            process = subprocess.Popen([WINE, *argv], env=self.session.env, stdout=o, stderr=e,
                                       stdin=subprocess.DEVNULL, cwd=cwd)
        process.out = out
        return process

    def run(self, *argv, timeout=60, cwd=None):
        """(exit status, output) of a Windows program run to its end."""
        process = self.start(*argv, cwd=cwd)
        try:
            status = process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            status = "timeout"
        read = lambda path: open(path, encoding="utf-8", errors="replace").read()
        return status, read(process.out) + read(process.out + ".err")

    def unix_path(self, path):
        return self.run("winepath", "-u", path)[1].strip()

    def reg(self, key, value=None):
        """A value's data as reg.exe prints it; for no value, whether the key exists."""
        status, out = self.run("reg", "query", key, *(["/v", value] if value else []))
        if value is None:
            return status == 0
        for line in out.splitlines():
            parts = line.split(None, 2)
            if status == 0 and len(parts) == 3 and parts[0] == value:
                return parts[2].strip()
        return None


class EditProbe:
    """tests/win32/editprobe.cpp: an edit control that reports its focus and text."""

    def __init__(self, wine, exe):
        self.folder = tempfile.mkdtemp(dir=wine.scratch)
        self.session = wine.session
        wine.start(exe, "Z:" + os.path.join(self.folder, "status").replace("/", "\\"))
        self.window = soon(lambda: self.session.x(
            "xdotool", "search", "--onlyvisible", "--name", "^Ondrel edit probe$",
            check=False).split(), 60)[0]

    def status(self):
        try:
            fields = open(os.path.join(self.folder, "status")).read().split(" ")
            return fields[0] == "1" and fields[1] == "1", bytes.fromhex(fields[2]).decode()
        except (OSError, IndexError, ValueError):
            return False, ""

    def focus(self):
        self.session.x("xdotool", "windowactivate", "--sync", self.window, check=False)
        return soon(lambda: self.status()[0], 15)

    def stop(self):
        open(os.path.join(self.folder, "stop"), "w").close()


def panel(session):
    ids = session.x("xdotool", "search", "--onlyvisible", "--name", r"^Ondrel \[",
                    check=False).split()
    return session.window(int(ids[0])) if ids else None


class WineSession(X11Session):
    """The X session with tint2's tray rather than trayer. Wine 8 docks each tray icon
    as a window of its own, and in trayer it mostly stays blank and deaf to clicks, for
    a plain Win32 program's icon as much as for Ondrel's; in tint2's tray it docks
    whole. Wine's explorer looks for the tray once, when the Wine session starts, so
    the tray must be there first."""

    TINT2RC = ("panel_items = S\npanel_position = bottom right horizontal\n"
               "panel_size = 160 30\npanel_layer = top\nsystray_icon_size = 22\n")

    TRAY_CLASS = "tint2"

    def tray_host_command(self):
        config = os.path.join(self.tmp, "tint2rc")
        with open(config, "w") as f:
            f.write(self.TINT2RC)
        return ["tint2", "-c", config]

    def tray_ready(self):
        """Whether tint2 shows its panel and holds the tray's selection."""
        x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = x11.XOpenDisplay(self.display.encode())
        try:
            selection = x11.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0)
            return x11.XGetSelectionOwner(display, selection) and self.tray_host()
        finally:
            x11.XCloseDisplay(display)


def docked(session):
    """The icons docked in the tray: Wine's explorer shows each in a window of its own."""
    host = session.tray_host()
    icons = [session.window(int(line)) for line in
             session.x("xdotool", "search", "--class", "explorer.exe", check=False).split()]
    return [w for w in icons if host and w and w.viewable and 12 <= w.width <= 64
            and host.x <= w.x < host.x + host.width and host.y <= w.y < host.y + host.height]


def tray_icon(session, before=()):
    """The icon docked since before."""
    known = {w.id for w in before}
    icons = [w for w in docked(session) if w.id not in known]
    return icons[0] if icons else None


def exercise(wine, tools, tree, where):
    session = wine.session
    exe = os.path.join(tree, "ondrel.exe")
    ondrel = lambda *args, timeout=60: wine.run(exe, *args, timeout=timeout, cwd=tree)
    shown = lambda: panel(session) is not None

    status, out = ondrel("--version")
    check(where + ": --version", status == 0 and "Ondrel 1.0" in out, out)
    for key, value, data in ((SETTINGS, "CodePage", PAGE), (SETTINGS + r"\Sizes", "Labels", LABEL),
                             (SETTINGS + r"\Sizes", "Spacing", SPACING)):
        wine.run("reg", "add", key, "/v", value, "/t", "REG_DWORD", "/d", str(data), "/f")
    probe = EditProbe(wine, tools["editprobe"])
    before = docked(session)
    # Wine 8 docks an icon into an XEmbed tray with races of its own: now and then it
    # places the icon outside its slot, where nobody sees it, and a fresh start's icon
    # docks anew; or it docks the icon deaf to clicks (a plain Win32 program's icon
    # fares the same). The click's way on from Wine's dock is the Windows shell's
    # message to the program, so where Wine lets the clicks go by, that message stands
    # in for them.
    for starts in range(1, 4):
        running = wine.start(exe, cwd=tree)
        icon = soon(lambda: tray_icon(session, before), 45)
        if icon or starts == 3:
            break
        ondrel("--quit")
        soon(lambda: running.poll() is not None, 30)
    if not icon:
        session.screenshot("wine-tray-%s.png" % where)
    check(where + ": the tray icon docks (%d starts)" % starts, icon,
          session.x("xwininfo", "-root", "-tree", check=False))
    way = "no click"
    for _ in range(2 if icon else 0):
        # As a person clicks: move there, rest a moment, press, release, move on.
        session.x("xdotool", "mousemove", *map(str, icon.centre()), "sleep", "0.3",
                  "click", "1", "sleep", "0.3", "mousemove", "5", "5")
        if soon(shown, 10):
            way = "a click"
            break
    if icon and not shown():
        way = "the shell's message"
        wine.run(tools["trayselect"])
        soon(shown, 10)
    check(where + ": a click on the tray icon shows the panel (through %s)" % way, shown())
    ondrel("--hide")

    probe.focus()
    status, out = ondrel("--show")
    window = soon(lambda: panel(session), 20)
    check(where + ": --show shows the panel", status == 0 and window, out)
    time.sleep(0.5)  # a focus change would come with the show
    check(where + ": showing the panel leaves the focus in the edit control", probe.status()[0])
    if window:
        labels = [None] * sum(1 for c in range(1, 128) if c not in (23, 32) and not chr(c).isalnum())
        labels += [ch for ch in bytes(range(128, 255)).decode("cp%d" % PAGE, "ignore")
                   if ch not in "\u00ad\u2017"]
        for character in "\u0410\u0416":  # Cyrillic A and ZHE, none of them in page 437
            cell = labels.index(character)
            session.click(window.x + (cell % COLUMNS) * (LABEL + SPACING) + LABEL // 2,
                          window.y + (cell // COLUMNS) * (LABEL + SPACING) + LABEL // 2)
        check(where + ": glyph clicks type into the edit control, which keeps the focus",
              soon(lambda: probe.status() == (True, "\u0410\u0416"), 20), probe.status())

    probe.focus()
    toggles = 0
    for _ in range(3):
        before = shown()
        session.key("F8")
        toggles += bool(soon(lambda: shown() != before, 10))
    check(where + ": F8 toggles the panel 3 times of 3", toggles == 3, toggles)

    # The dialog's first control is the start-with-Windows box, its next the label size.
    status, out = ondrel("--settings")
    time.sleep(1)
    session.key("Tab", "Up")
    labels_value = lambda: wine.reg(SETTINGS + r"\Sizes", "Labels")
    check(where + ": a settings change reaches the registry",
          status == 0 and soon(lambda: labels_value() == "0x%x" % (LABEL + 1), 20), labels_value())
    session.key("Escape")

    lost = []
    commands = ["--show", "--hide", "--toggle", "--toggle", "--settings"] * 10
    for number, command in enumerate(commands[:-1] + ["--quit"], 1):
        started = time.monotonic()
        status, out = ondrel(command)
        if status != 0:
            lost.append("%d %s: %s %r after %.1f s" % (number, command, status, out.strip()[:400],
                                                      time.monotonic() - started))
    check(where + ": 50 commands in a row, no answer lost", not lost, lost)
    check(where + ": --quit ends Ondrel", soon(lambda: running.poll() is not None, 30))
    probe.stop()

    # Killed with the whole Wine session, its lock file stays and names a process id
    # that Wine gives out again: the next start must not be kept out by it.
    wine.start(exe, cwd=tree)
    soon(lambda: tray_icon(session), 90)
    wine.server("-k")
    wine.server("-w")
    wine.server("-p")
    wine.start(exe, cwd=tree)
    soon(lambda: tray_icon(session), 90)
    status, out = ondrel("--show", timeout=90)
    check(where + ": a start after wineserver -k runs and answers",
          status == 0 and soon(shown, 20), out)
    ondrel("--quit")


def main():
    packages = os.path.abspath(sys.argv[1])
    zips = glob.glob(os.path.join(packages, "ondrel-*-win64.zip"))
    setups = glob.glob(os.path.join(packages, "ondrel-*-win64-setup.exe"))
    if not (zips and setups):
        print("FAILED: no zip and installer in %s (scripts/build-windows.sh makes them)" % packages)
        return 1
    session, scratch, wine = WineSession().start(), tempfile.mkdtemp(prefix="ondrel-wine-"), None
    try:
        wine = Wine(session, scratch)
        tools = {}
        for tool in ("editprobe", "trayselect"):
            tools[tool] = os.path.join(scratch, tool + ".exe")
            subprocess.run(["x86_64-w64-mingw32-g++-posix", "-municode", "-mwindows", "-static",
                            "-o", tools[tool], os.path.join(WIN32_SOURCES, tool + ".cpp")],
                           check=True)
        zipfile.ZipFile(zips[0]).extractall(os.path.join(scratch, "portable"))
        exercise(wine, tools, os.path.join(scratch, "portable", "Ondrel"), "zip")

        for mode, folder, key, extra in (
                ("/AllUsers", r"C:\Program Files\Ondrel", "HKLM\\" + UNINSTALL, []),
                ("/CurrentUser", r"%LOCALAPPDATA%\Programs\Ondrel", "HKCU\\" + UNINSTALL,
                 ["/Autorun"])):
            status, out = wine.run(setups[0], "/S", mode, *extra, timeout=300)
            # cmd echoes a path with spaces in the quotes it was given.
            folder = wine.unix_path(wine.run("cmd", "/c", "echo", folder)[1].strip().strip('"'))
            menu = wine.unix_path(wine.run("cmd", "/c", "echo", r"%APPDATA%" if extra else
                                           r"%ProgramData%")[1].strip()
                                  + r"\Microsoft\Windows\Start Menu\Programs\Ondrel.lnk")
            files = sorted(os.path.relpath(os.path.join(d, f), folder)
                           for d, _, names in os.walk(folder) for f in names)
            check("installer %s: silent install, Start-menu entry, uninstall entry, no "
                  "install prefix of the build machine" % mode,
                  status == 0 and "ondrel.exe" in files and os.path.isfile(menu) and wine.reg(key)
                  and not any(p.startswith(("usr", "bin")) for p in files), (status, out, files))
            if extra:
                check("installer: starts with Windows", "ondrel.exe" in str(wine.reg(RUN, "Ondrel")))
            else:
                exercise(wine, tools, folder, "installed")
            wine.run(os.path.join(folder, "uninstall.exe"), "/S", timeout=120)
            # The uninstaller copies itself away and returns at once.
            check("uninstaller %s: leaves nothing behind" % mode,
                  soon(lambda: not os.path.exists(folder), 60) and not os.path.exists(menu)
                  and not wine.reg(key) and wine.reg(RUN, "Ondrel") is None)
    finally:
        if wine:
            wine.server("-k")
        session.stop()
        shutil.rmtree(scratch, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
