#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Tests must leave the machine as they found it. Records the mode and owner of the
folders a test could be tempted to open for another user or take over (those above
the source and build folders, the source tree, the top-level, home, runtime and /var
folders), and after the suite names each one that changed. Folders that come or go
in between, the tests' own, are not compared.

    folder_modes.py record FILE SOURCE_DIR BUILD_DIR
    folder_modes.py compare FILE
"""

import json
import os
import sys


def ancestors(path):
    path = os.path.realpath(path)
    found = [path]
    while path != "/":
        path = os.path.dirname(path)
        found.append(path)
    return found


def children(folder):
    return [os.path.join(folder, n) for n in os.listdir(folder)] if os.path.isdir(folder) else []


def folders(source, build):
    found = set(ancestors(source) + ancestors(build) + ["/"])
    for top in ("/", "/home", "/run", "/run/user", "/var"):
        found.update(children(top))
    for root, names, _ in os.walk(os.path.realpath(source)):
        # Not into .git nor build folders: builds and tests write there.
        names[:] = [n for n in names if n != ".git"
                    and not os.path.exists(os.path.join(root, n, "CMakeCache.txt"))]
        found.update(os.path.join(root, n) for n in names)
    return [f for f in sorted(found) if os.path.isdir(f) and not os.path.islink(f)]


def state(folder):
    info = os.lstat(folder)
    return [info.st_mode, info.st_uid, info.st_gid]


def main(argv):
    if argv[1:2] == ["record"]:
        with open(argv[2], "w", encoding="utf-8") as f:
            json.dump({folder: state(folder) for folder in folders(argv[3], argv[4])}, f)
        return 0
    with open(argv[2], encoding="utf-8") as f:
        before = json.load(f)
    changed = ["%s: mode %o owner %d:%d, was mode %o owner %d:%d" % ((folder, *state(folder), *was))
               for folder, was in sorted(before.items())
               if os.path.isdir(folder) and state(folder) != was]
    print("\n".join(["changed: " + line for line in changed]
                    + ["%d folders compared, %d changed" % (len(before), len(changed))]))
    return 1 if changed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
