#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Tests must leave the machine as they found it. This records the mode and owner of
the folders a test could be tempted to open for another user, or to take over: the
folders above the source and build folders, the source tree, the top-level folders,
the temporary and runtime folders and the home folders. After the suite it names
every one of them whose mode or owner changed. Folders that appear or go in between
(the tests' own temporary folders) are not compared.

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
    try:
        return [os.path.join(folder, name) for name in os.listdir(folder)]
    except OSError:
        return []


def folders(source, build):
    found = set(ancestors(source)) | set(ancestors(build))
    for top in ["/"] + children("/") + children("/home") + children("/run") \
            + children("/run/user") + children("/var"):
        found.add(top)
    build = os.path.realpath(build)
    for root, names, _ in os.walk(os.path.realpath(source)):
        # Not the build folders' insides, nor git's: tests and builds write there.
        names[:] = [n for n in names if n != ".git"
                    and not os.path.exists(os.path.join(root, n, "CMakeCache.txt"))
                    and os.path.join(root, n) != build]
        found.update(os.path.join(root, n) for n in names)
    return sorted(f for f in found if os.path.isdir(f) and not os.path.islink(f))


def state(folder):
    info = os.lstat(folder)
    return [info.st_mode, info.st_uid, info.st_gid]


def main(argv):
    if len(argv) == 5 and argv[1] == "record":
        with open(argv[2], "w", encoding="utf-8") as f:
            json.dump({folder: state(folder) for folder in folders(argv[3], argv[4])}, f)
        return 0
    if len(argv) == 3 and argv[1] == "compare":
        with open(argv[2], encoding="utf-8") as f:
            before = json.load(f)
        changed = []
        for folder, (mode, uid, gid) in sorted(before.items()):
            try:
                now = state(folder)
            except OSError:
                continue  # gone: a test's own folder
            if now != [mode, uid, gid]:
                changed.append("%s: mode %o owner %d:%d, was mode %o owner %d:%d"
                               % (folder, now[0], now[1], now[2], mode, uid, gid))
        print("%d folders compared, %d changed" % (len(before), len(changed)))
        for line in changed:
            print("changed: " + line)
        return 1 if changed else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
