#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Wayland support is never left out silently: with the Wayland client libraries
missing (pkg-config pointed at an empty folder stands in for them), ONDREL_WAYLAND=ON
fails the configure and AUTO warns, both naming the packages to install.

    check_wayland_option.py SOURCE_DIR
"""

import os
import subprocess
import sys
import tempfile

PACKAGES = ("libwayland-dev", "libxkbcommon-dev", "wayland-protocols")


def configure(source, wanted):
    with tempfile.TemporaryDirectory() as build, tempfile.TemporaryDirectory() as nothing:
        result = subprocess.run(
            ["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DONDREL_BUILD_TESTS=OFF",
             "-DONDREL_WAYLAND=" + wanted],
            env=dict(os.environ, PKG_CONFIG_LIBDIR=nothing, PKG_CONFIG_PATH=""),
            capture_output=True, text=True, timeout=300)
    return result.returncode, " ".join(result.stderr.split())


def main():
    failures = []
    for wanted, status_ok, said in (("ON", lambda code: code != 0, "ONDREL_WAYLAND=ON"),
                                    ("AUTO", lambda code: code == 0, "Wayland support NOT built")):
        code, errors = configure(sys.argv[1], wanted)
        if not status_ok(code) or said not in errors:
            failures.append("%s: status %d, said: %s" % (wanted, code, errors))
        failures += ["%s does not name %s" % (wanted, p) for p in PACKAGES if p not in errors]
    print("\n".join(failures) or "both fail or warn, naming " + ", ".join(PACKAGES))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
