#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Wayland support is never left out silently: configured with the wlroots protocol
package missing (an empty crate folder stands in for it), ONDREL_WAYLAND=ON fails
and AUTO warns, both naming the package.

    check_wayland_option.py SOURCE_DIR
"""

import subprocess
import sys
import tempfile

PACKAGES = ("librust-wayland-protocols-dev", "librust-wayland-protocols-wlr-dev")


def configure(source, wanted):
    with tempfile.TemporaryDirectory() as build, tempfile.TemporaryDirectory() as crates:
        result = subprocess.run(
            ["cmake", "-S", source, "-B", build, "-G", "Ninja", "-DONDREL_BUILD_TESTS=OFF",
             "-DONDREL_WAYLAND=" + wanted, "-DONDREL_CARGO_REGISTRY=" + crates],
            capture_output=True, text=True, timeout=300)
    return result.returncode, " ".join(result.stderr.split())


def main():
    source = sys.argv[1]
    failures = []
    code, errors = configure(source, "ON")
    if code == 0 or "ONDREL_WAYLAND=ON" not in errors:
        failures.append("ON did not fail for the missing protocols (status %d)" % code)
    code_auto, warnings = configure(source, "AUTO")
    if code_auto != 0 or "Wayland support NOT built" not in warnings:
        failures.append("AUTO did not configure with a warning (status %d)" % code_auto)
    for package in PACKAGES:
        for name, text in (("ON", errors), ("AUTO", warnings)):
            if package not in text:
                failures.append("%s does not name %s" % (name, package))
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        print("cmake said (ON): " + errors)
    print("%d passed, %d failed" % (2 * (1 + len(PACKAGES)) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
