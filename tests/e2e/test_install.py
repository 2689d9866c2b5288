# SPDX-License-Identifier: GPL-3.0-or-later
"""An installed tree works wherever it lands: installed under a prefix chosen at
install time, and unpacked from the Debian package into a folder of its own, the
program finds its hook library beside the tree's own lib/ondrel/, and nowhere else."""

import os
import shutil
import subprocess
import unittest

from helpers import mapped_files, wait_until
from x11session import ONDREL_BIN, X11Test

BUILD_DIR = os.path.dirname(ONDREL_BIN)


class InstallTest(X11Test):
    def check_runs_with_its_hook(self, binary, library, shot):
        ondrel = self.start_ondrel(binary=binary)
        self.expect_balloon(ondrel, shot, "Ondrel(<F8>)")
        self.assertIn(library, mapped_files(ondrel.pid))
        self.press("F8")
        wait_until(ondrel.panel, message="F8 to show the panel")
        self.assertEqual(ondrel.terminate(), 0)

    def test_installed_under_any_prefix(self):
        prefix = os.path.join(self.session.tmp, "a prefix")
        subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix],
                       check=True, capture_output=True)
        library = os.path.join(prefix, "lib", "ondrel", "libKestrine.so")
        self.assertTrue(os.path.exists(library))
        self.check_runs_with_its_hook(os.path.join(prefix, "bin", "ondrel"), library,
                                      "install-prefix-balloon.png")

    @unittest.skipUnless(shutil.which("cpack") and shutil.which("dpkg-shlibdeps"),
                         "cpack or dpkg-dev is missing")
    def test_debian_package(self):
        packages = os.path.join(self.session.tmp, "packages")
        subprocess.run(["cpack", "-G", "DEB", "-B", packages], cwd=BUILD_DIR, check=True,
                       capture_output=True)
        package = next(os.path.join(packages, name) for name in os.listdir(packages)
                       if name.startswith("ondrel_") and name.endswith("_amd64.deb"))
        listing = subprocess.run(["dpkg-deb", "-c", package], capture_output=True, text=True,
                                 check=True).stdout
        files = {line.split()[-1] for line in listing.splitlines() if not line.endswith("/")}
        expected = {"./usr/bin/ondrel", "./usr/lib/ondrel/libKestrine.so",
                    "./usr/share/applications/ondrel.desktop",
                    "./usr/share/icons/hicolor/48x48/apps/ondrel.png"}
        if os.path.exists(os.path.join(BUILD_DIR, "libondrel-ibus.so")):
            expected.add("./usr/lib/ondrel/libondrel-ibus.so")
        self.assertEqual(files, expected)
        depends = subprocess.run(["dpkg-deb", "-f", package, "Depends"], capture_output=True,
                                 text=True, check=True).stdout
        for dependency in ("libqt6widgets6", "qt6-translations-l10n", "qt6-qpa-plugins"):
            self.assertIn(dependency, depends)

        root = os.path.join(self.session.tmp, "root")
        subprocess.run(["dpkg", "-x", package, root], check=True)
        binary = os.path.join(root, "usr", "bin", "ondrel")
        # The translations are inside the program.
        help_text = subprocess.run([binary, "--help"], env=dict(self.session.env, LANG="ru_RU.UTF-8"),
                                   capture_output=True, text=True).stdout
        self.assertIn("Показать панель.", help_text)
        self.check_runs_with_its_hook(binary, os.path.join(root, "usr", "lib", "ondrel",
                                                           "libKestrine.so"),
                                      "install-deb-balloon.png")


if __name__ == "__main__":
    unittest.main()
