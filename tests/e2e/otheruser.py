# SPDX-License-Identifier: GPL-3.0-or-later
"""Programs for tests that run them as another user (root's tests run Ondrel as an
unprivileged user). The build folder may sit where only its owner can go, root's
home folder for instance: rather than open the folders above it, which would change
the machine, such a test runs copies kept in a temporary folder of its own."""

import os
import shutil
import stat
import tempfile

# Files a program finds beside itself: the show/hide key's hook library.
COMPANIONS = ("libKestrine.so", "libondrel-ibus.so")


def traversable(folder):
    """Whether every user can pass through folder and each folder above it."""
    folder = os.path.realpath(folder)
    while True:
        if not os.stat(folder).st_mode & stat.S_IXOTH:
            return False
        if folder == "/":
            return True
        folder = os.path.dirname(folder)


def shared_temp_folder(prefix):
    """A new temporary folder (mode 0755) that every user can reach."""
    parent = tempfile.gettempdir()
    if not traversable(parent):
        parent = "/tmp"
    folder = tempfile.mkdtemp(prefix=prefix, dir=parent)
    os.chmod(folder, 0o755)
    return folder


def runnable_copy(program, folder):
    """A copy of program, with its companions, in a new folder bin/ under folder
    (which the caller has made reachable): the path another user runs."""
    target = os.path.join(folder, "bin")
    os.makedirs(target, exist_ok=True)
    os.chmod(target, 0o755)
    for name in (os.path.basename(program),) + COMPANIONS:
        source = os.path.join(os.path.dirname(os.path.realpath(program)), name)
        if os.path.exists(source):
            copy = os.path.join(target, name)
            shutil.copy2(source, copy)
            os.chmod(copy, 0o755)
    return os.path.join(target, os.path.basename(program))
