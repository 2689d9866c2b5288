#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Windows program under Wine, end to end: the real ondrel.exe from the portable
zip, then from the installer's installed tree, on a private X server with openbox and
the trayer tray host, in a Wine prefix of its own that goes at the end.

    test_windows.py <folder with ondrel-<version>-win64.zip and -setup.exe>

For each tree: it starts and its tray icon docks, a click on the icon shows the
panel; --version; 50 commands in a row through the running instance, none of whose
answers is lost; a settings change reaches the registry; F8 toggles the panel
through Kestrine.dll's hook; showing the panel and clicking a glyph of a page that
is not the OEM one types it into a Wine edit control through KEYEVENTF_UNICODE while
that control keeps the focus; a start after `wineserver -k` works. The installer
installs silently per machine and per user, and its uninstaller leaves nothing."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from x11session import X11Session, wait_until  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
WINE = os.environ.get("ONDREL_WINE64") or shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
if not os.path.exists(WINESERVER):
    WINESERVER = shutil.which("wineserver") or WINESERVER
SETTINGS_KEY = r"HKCU\Software\Ondrel\Ondrel_1.0\Settings"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Ondrel"
LABEL, SPACING, COLUMNS = 24, 2, 28
PAGE = 866  # not the OEM code page of en_US (437)


def panel_labels(code_page):
    """The panel's glyphs in label order: the printable control-code pictures and
    punctuation below 128, then the page's upper half."""
    labels = [None] * sum(1 for code in range(1, 128)
                          if code not in (23, 32) and not chr(code).isalnum())
    for code in range(128, 255):
        try:
            character = bytes([code]).decode("cp%d" % code_page)
        except UnicodeDecodeError:
            continue
        if character not in ("\u00ad", "\u2017"):
            labels.append(character)
    return labels


class Results:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("PASSED: " + name, flush=True)
        else:
            self.failed += 1
            print("FAILED: %s%s" % (name, (" (%s)" % detail) if detail else ""), flush=True)
        return ok


class Wine:
    """A Wine prefix on the X session; output always goes to files, as Wine stalls
    when it writes to a pipe."""

    def __init__(self, session, scratch):
        self.session = session
        self.scratch = scratch
        self.prefix = os.path.join(scratch, "prefix")
        os.makedirs(self.prefix)
        session.env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            # No prompts to install Mono or Gecko while the prefix is made.
            "WINEDLLOVERRIDES": "mscoree=d;mshtml=d",
            "LANG": "en_US.UTF-8",
        })
        self.counter = 0
        self.start_server()
        self.run("wineboot", "--init", timeout=300)

    def start_server(self):
        subprocess.run([WINESERVER, "-p"], env=self.session.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)

    def kill(self):
        subprocess.run([WINESERVER, "-k"], env=self.session.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
        subprocess.run([WINESERVER, "-w"], env=self.session.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False, timeout=60)

    def _files(self):
        self.counter += 1
        base = os.path.join(self.scratch, "out%d" % self.counter)
        return base + ".out", base + ".err"

    def run(self, *argv, timeout=60, cwd=None):
        """Runs a Windows program to its end: (exit status, stdout, stderr)."""
        out, err = self._files()
        with open(out, "wb") as o, open(err, "wb") as e:
            try:
                status = subprocess.run([WINE, *argv], env=self.session.env, stdout=o, stderr=e,
                                        stdin=subprocess.DEVNULL, cwd=cwd,
                                        timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                status = "timeout"
        read = lambda path: open(path, encoding="utf-8", errors="replace").read()
        return status, read(out), read(err)

    def start(self, *argv, cwd=None):
        out, err = self._files()
        with open(out, "wb") as o, open(err, "wb") as e:
            return subprocess.Popen([WINE, *argv], env=self.session.env, stdout=o, stderr=e,
                                    stdin=subprocess.DEVNULL, cwd=cwd)

    @staticmethod
    def windows_path(unix_path):
        return "Z:" + unix_path.replace("/", "\\")

    def unix_path(self, windows_path):
        status, out, _ = self.run("winepath", "-u", windows_path)
        return out.strip() if status == 0 else ""

    def reg_query(self, key, value):
        """A registry value's data as reg.exe prints it, or None."""
        status, out, _ = self.run("reg", "query", key, "/v", value)
        if status != 0:
            return None
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0] == value and parts[1].startswith("REG_"):
                return parts[2].strip() if len(parts) == 3 else ""
        return None

    def reg_key_exists(self, key):
        return self.run("reg", "query", key)[0] == 0

    def reg_set_dword(self, key, value, data):
        return self.run("reg", "add", key, "/v", value, "/t", "REG_DWORD", "/d", str(data),
                        "/f")[0] == 0


class EditProbe:
    """The edit control typed into: tests/windows/editprobe.cpp."""

    def __init__(self, wine, exe):
        self.wine = wine
        self.folder = tempfile.mkdtemp(dir=wine.scratch, prefix="probe-")
        self.status_file = os.path.join(self.folder, "status")
        self.process = wine.start(exe, wine.windows_path(self.status_file))
        self.window = wait_until(lambda: self._window(), timeout=60, message="the edit probe")

    def _window(self):
        out = self.wine.session.x("xdotool", "search", "--onlyvisible", "--name",
                                  "^Ondrel edit probe$", check=False).split()
        return int(out[0]) if out else None

    def status(self):
        try:
            with open(self.status_file, encoding="ascii") as f:
                fields = dict(line.split("=", 1) for line in f.read().split())
        except (OSError, ValueError):
            return {}
        fields["text"] = bytes.fromhex(fields.get("text", "")).decode("utf-8")
        return fields

    def has_focus(self):
        status = self.status()
        return status.get("foreground") == "1" and status.get("focus") == "1"

    def focus(self):
        self.wine.session.x("xdotool", "windowactivate", "--sync", str(self.window), check=False)
        return wait_until(self.has_focus, timeout=15, message="the edit probe's focus")

    def text(self):
        return self.status().get("text", "")

    def stop(self):
        open(os.path.join(self.folder, "stop"), "w").close()
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()


def panel_window(session):
    out = session.x("xdotool", "search", "--onlyvisible", "--name", r"^Ondrel \[", check=False)
    ids = out.split()
    return session.window(int(ids[0])) if ids else None


def tray_icon(session):
    """A viewable window docked in the tray host: Ondrel's, the only tray icon here."""
    host = session.tray_host()
    if not host:
        return None
    tree = session.x("xwininfo", "-root", "-tree", check=False)
    for line in tree.splitlines():
        words = line.split()
        if not words or not words[0].startswith("0x"):
            continue
        window = session.window(int(words[0], 16))
        if (window and window.viewable and window.id != host.id and 12 <= window.width <= 64
                and window.height >= 12
                and host.x <= window.x < host.x + host.width
                and host.y <= window.y < host.y + host.height):
            return window
    return None


def wait_quietly(predicate, timeout):
    try:
        return wait_until(predicate, timeout=timeout)
    except AssertionError:
        return None


def exercise(results, wine, probe_exe, tree, where):
    """Everything a tree must do; where names it in the results."""
    session = wine.session
    exe = os.path.join(tree, "ondrel.exe")

    def ondrel(*args, timeout=60):
        return wine.run(exe, *args, timeout=timeout, cwd=tree)

    def visible():
        return panel_window(session) is not None

    status, out, _ = ondrel("--version")
    results.check("%s: --version" % where, status == 0 and "1.0" in out, "%s %r" % (status, out))

    # A fixed size and a page other than the OEM one, written before the start.
    for value, data in (("CodePage", PAGE),):
        wine.reg_set_dword(SETTINGS_KEY, value, data)
    wine.reg_set_dword(SETTINGS_KEY + r"\Sizes", "Labels", LABEL)
    wine.reg_set_dword(SETTINGS_KEY + r"\Sizes", "Spacing", SPACING)

    probe = EditProbe(wine, probe_exe)
    running = wine.start(exe, cwd=tree)
    icon = wait_quietly(lambda: tray_icon(session), 90)
    results.check("%s: the tray icon docks" % where, icon is not None)
    if icon:
        session.click(*icon.centre())
        results.check("%s: a click on the tray icon shows the panel" % where,
                      wait_quietly(visible, 20))
        ondrel("--hide")

    # Showing the panel and typing from it leave the focus in the edit control.
    probe.focus()
    status, _, err = ondrel("--show")
    panel = wait_quietly(lambda: panel_window(session), 20)
    results.check("%s: --show shows the panel" % where, status == 0 and panel, err)
    time.sleep(0.5)  # a focus change would come with the show; give it the chance
    results.check("%s: showing the panel leaves the focus in the edit control" % where,
                  probe.has_focus(), str(probe.status()))
    if panel:
        labels = panel_labels(PAGE)
        wanted = "\u0410\u0416"  # Cyrillic A and ZHE (128, 134), none of them in page 437
        for character in wanted:
            cell = labels.index(character)
            x = panel.x + (cell % COLUMNS) * (LABEL + SPACING) + LABEL // 2
            y = panel.y + (cell // COLUMNS) * (LABEL + SPACING) + LABEL // 2
            session.click(x, y)
        typed = wait_quietly(lambda: probe.text() == wanted, 20)
        results.check("%s: clicks on glyphs of page %d type them into the edit control"
                      % (where, PAGE), typed, repr(probe.text()))
        results.check("%s: the edit control keeps the focus after the clicks" % where,
                      probe.has_focus(), str(probe.status()))

    # The show/hide key, seen by Kestrine.dll's hook while another program has the focus.
    probe.focus()
    shown = visible()
    toggled = 0
    for _ in range(3):
        session.key("F8")
        if wait_quietly(lambda: visible() != shown, 10):
            toggled += 1
        shown = visible()
    results.check("%s: F8 toggles the panel 3 times of 3" % where, toggled == 3,
                  "%d of 3" % toggled)

    # A change in the settings dialog is written to the registry at once: the first
    # control is the start-with-Windows box, the next the label size.
    status, _, err = ondrel("--settings")
    results.check("%s: --settings" % where, status == 0, err)
    time.sleep(1)
    session.key("Tab", "Up")
    written = wait_quietly(lambda: wine.reg_query(SETTINGS_KEY + r"\Sizes", "Labels")
                           in ("0x%x" % (LABEL + 1), str(LABEL + 1)), 20)
    results.check("%s: a settings change reaches the registry" % where, written,
                  str(wine.reg_query(SETTINGS_KEY + r"\Sizes", "Labels")))
    session.key("Escape")

    # 50 commands in a row through the running instance; none may lose its answer.
    commands = ["--show", "--hide", "--toggle", "--toggle", "--settings"] * 10
    commands[-1] = "--quit"
    lost = []
    for number, command in enumerate(commands, 1):
        status, out, err = ondrel(command)
        if status != 0:
            lost.append("%d %s: %s %s" % (number, command, status, (out + err).strip()[:80]))
    results.check("%s: 50 commands in a row, no answer lost" % where, not lost, "; ".join(lost))
    try:
        running.wait(30)
    except subprocess.TimeoutExpired:
        pass
    results.check("%s: --quit ends the running Ondrel" % where, running.poll() is not None)
    probe.stop()

    # Killed with the whole Wine session: the lock file stays, and names a process id
    # that Wine gives out again. The next start must not be blocked by it.
    running = wine.start(exe, cwd=tree)
    wait_quietly(lambda: tray_icon(session), 60)
    wine.kill()
    wine.start_server()
    running = wine.start(exe, cwd=tree)
    wait_quietly(lambda: tray_icon(session), 90)
    status, _, err = ondrel("--show", timeout=90)
    results.check("%s: a start after wineserver -k runs, and answers" % where,
                  status == 0 and wait_quietly(visible, 20), "%s %s" % (status, err))
    ondrel("--quit")
    try:
        running.wait(30)
    except subprocess.TimeoutExpired:
        running.kill()


def installed_files(wine, folder):
    return sorted(os.path.relpath(os.path.join(d, f), folder)
                  for d, _, files in os.walk(folder) for f in files)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    packages = os.path.abspath(sys.argv[1])
    zips = glob.glob(os.path.join(packages, "ondrel-*-win64.zip"))
    setups = glob.glob(os.path.join(packages, "ondrel-*-win64-setup.exe"))
    results = Results()
    if not zips or not setups:
        results.check("the Windows packages exist in " + packages, False,
                      "run scripts/build-windows.sh")
        print("%d passed, %d failed" % (results.passed, results.failed))
        return 1

    session = X11Session().start()
    scratch = tempfile.mkdtemp(prefix="ondrel-wine-")
    wine = None
    try:
        wine = Wine(session, scratch)
        probe_exe = os.path.join(scratch, "editprobe.exe")
        subprocess.run(["x86_64-w64-mingw32-g++-posix", "-std=c++17", "-O1", "-municode",
                        "-mwindows", "-static", "-o", probe_exe,
                        os.path.join(HERE, "editprobe.cpp")], check=True)

        # The portable zip, unpacked where a user would.
        portable = os.path.join(scratch, "portable")
        with zipfile.ZipFile(zips[0]) as archive:
            archive.extractall(portable)
        exercise(results, wine, probe_exe, os.path.join(portable, "Ondrel"), "zip")

        # The installer, per machine, silently; then the same from the installed tree.
        setup = setups[0]
        status, _, err = wine.run(setup, "/S", timeout=300)
        program_files = wine.unix_path(r"C:\Program Files\Ondrel")
        menu = wine.unix_path(r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Ondrel.lnk")
        results.check("installer: silent per-machine install",
                      status == 0 and os.path.isfile(os.path.join(program_files, "ondrel.exe")),
                      "%s %s" % (status, err))
        results.check("installer: Start-menu entry", os.path.isfile(menu), menu)
        results.check("installer: uninstall entry",
                      wine.reg_query("HKLM\\" + UNINSTALL_KEY, "UninstallString") is not None)
        results.check("installer: nothing of the build machine's install prefix",
                      not any(part in ("usr", "bin", "lib", "share")
                              for path in installed_files(wine, program_files)
                              for part in path.split(os.sep)[:-1]),
                      str(installed_files(wine, program_files)))
        exercise(results, wine, probe_exe, program_files, "installed")

        # Its uninstaller copies itself away and returns at once: poll for the result.
        wine.run(os.path.join(program_files, "uninstall.exe"), "/S", timeout=120)
        gone = wait_quietly(lambda: not os.path.exists(program_files), 60)
        results.check("uninstaller: the program's folder is gone", gone,
                      str(installed_files(wine, program_files)) if not gone else "")
        results.check("uninstaller: the Start-menu entry is gone", not os.path.exists(menu))
        results.check("uninstaller: the uninstall entry is gone",
                      not wine.reg_key_exists("HKLM\\" + UNINSTALL_KEY))

        # Per user, starting with Windows: the Run value comes and goes with it.
        status, _, err = wine.run(setup, "/S", "/CurrentUser", "/Autorun", timeout=300)
        local = wine.run("cmd", "/c", "echo", "%LOCALAPPDATA%")[1].strip()
        user_programs = wine.unix_path(local + r"\Programs\Ondrel")
        run_value = wine.reg_query(RUN_KEY, "Ondrel")
        results.check("installer: silent per-user install that starts with Windows",
                      status == 0 and os.path.isfile(os.path.join(user_programs, "ondrel.exe"))
                      and run_value is not None and "ondrel.exe" in run_value,
                      "%s %s %s" % (status, run_value, err))
        wine.run(os.path.join(user_programs, "uninstall.exe"), "/S", timeout=120)
        gone = wait_quietly(lambda: not os.path.exists(user_programs), 60)
        results.check("uninstaller: per-user folder, Run value and uninstall entry gone",
                      gone and wine.reg_query(RUN_KEY, "Ondrel") is None
                      and not wine.reg_key_exists("HKCU\\" + UNINSTALL_KEY))
    finally:
        if wine:
            wine.kill()
        session.stop()
        shutil.rmtree(scratch, ignore_errors=True)

    print("%d passed, %d failed" % (results.passed, results.failed))
    return 0 if results.failed == 0 and results.passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
