#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compiles every source of the Windows build with mingw-w64, syntax only, against
the Qt headers of this machine: the same headers take their Windows branch when
_WIN32 is defined, so what only the Windows build compiles is checked here too. The
headers with Q_OBJECT go through moc, and its output is compiled as well.

    check_windows_compile.py CONFIG.json [--expect-failure]

CONFIG names the compiler, moc, the sources, the include folders and the defines.
With --expect-failure it succeeds only if some source is rejected.
"""

import concurrent.futures
import json
import os
import subprocess
import sys
import tempfile


# qwindowdefs.h includes this header for _WIN32, but Qt installs it only with its
# Windows build from Qt 6.8 on. What it declares are the Windows headers' own handle
# types, declared here as <windows.h> declares them (STRICT).
WINDOWDEFS_WIN = """#pragma once
#ifndef STRICT
#define STRICT
#endif
#define ONDREL_DECLARE_HANDLE(name) struct name##__; typedef struct name##__ *name
ONDREL_DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
ONDREL_DECLARE_HANDLE(HDC);
ONDREL_DECLARE_HANDLE(HWND);
ONDREL_DECLARE_HANDLE(HFONT);
ONDREL_DECLARE_HANDLE(HPEN);
ONDREL_DECLARE_HANDLE(HBRUSH);
ONDREL_DECLARE_HANDLE(HBITMAP);
ONDREL_DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
ONDREL_DECLARE_HANDLE(HPALETTE);
ONDREL_DECLARE_HANDLE(HRGN);
ONDREL_DECLARE_HANDLE(HMONITOR);
ONDREL_DECLARE_HANDLE(HGLRC);
typedef long HRESULT;
typedef struct tagMSG MSG;
"""


def windows_only_qt_headers(scratch, qt_folders):
    """Include flags for the Windows-only Qt headers this machine's Qt lacks."""
    name = os.path.join("QtGui", "qwindowdefs_win.h")
    if any(os.path.exists(os.path.join(folder, name)) for folder in qt_folders):
        return []
    folder = os.path.join(scratch, "qt-windows")
    os.makedirs(os.path.join(folder, "QtGui"))
    with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
        f.write(WINDOWDEFS_WIN)
    return ["-isystem", folder]


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        config = json.load(f)
    expect_failure = "--expect-failure" in sys.argv[2:]
    with tempfile.TemporaryDirectory() as scratch:
        # ICU's headers live in the system folder, which must not be on a Windows
        # compiler's path: a folder of their own is made for them.
        icu = os.path.join(scratch, "icu")
        os.makedirs(icu)
        os.symlink(config["icu_headers"], os.path.join(icu, "unicode"))
        flags = ["-std=c++17", "-fsyntax-only", "-Wall", "-Wextra", "-Werror"]
        flags += ["-D" + d for d in config["defines"]]
        flags += ["-I" + config["source_root"], "-isystem", icu]
        qt_folders = [folder for folder in config["qt_includes"]
                      # Only Qt's own folders: not the system's, nor this machine's mkspec.
                      if "qt6" in folder and "mkspecs" not in folder]
        for folder in qt_folders:
            flags += ["-isystem", folder]
        flags += windows_only_qt_headers(scratch, qt_folders)

        units = [s for s in config["sources"] if s.endswith(".cpp")]
        for header in (s for s in config["sources"] if s.endswith(".h")):
            with open(header, encoding="utf-8") as f:
                if "Q_OBJECT" not in f.read():
                    continue
            generated = os.path.join(scratch, "moc_" + os.path.basename(header)[:-2] + ".cpp")
            subprocess.run([config["moc"], header, "-o", generated], check=True)
            units.append(generated)

        def compile_unit(unit):
            result = subprocess.run([config["compiler"]] + flags + [unit], capture_output=True,
                                    text=True)
            return unit, result.returncode, result.stderr

        failed = []
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            for unit, code, errors in pool.map(compile_unit, units):
                print("%s: %s" % ("REJECTED" if code else "ok", os.path.relpath(unit)))
                if code:
                    failed.append(unit)
                    print(errors)
    print("%d units, %d rejected" % (len(units), len(failed)))
    if expect_failure:
        return 0 if failed else 1
    return 1 if failed or not units else 0


if __name__ == "__main__":
    sys.exit(main())
