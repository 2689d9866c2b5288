#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every text of the program has a finished translation, and no translation is left
for a text that is gone: lupdate reads the sources into copies of the .ts files,
and the copies must hold neither unfinished nor obsolete entries.

    check_translations.py LUPDATE SOURCE_ROOT TS_FILE...
"""

import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SOURCE_FOLDERS = ("app", "dialogs", "panel", "platform")


def main():
    lupdate, root, ts_files = sys.argv[1], sys.argv[2], sys.argv[3:]
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        copies = []
        for ts in ts_files:
            copy = os.path.join(folder, os.path.basename(ts))
            shutil.copy(ts, copy)
            copies.append(copy)
        subprocess.run([lupdate, "-silent", "-locations", "none"]
                       + [os.path.join(root, f) for f in SOURCE_FOLDERS] + ["-ts"] + copies,
                       check=True)
        for copy in copies:
            for message in ET.parse(copy).getroot().iter("message"):
                state = message.find("translation").get("type")
                if state in ("unfinished", "obsolete", "vanished"):
                    failures.append("%s: %s: %r" % (os.path.basename(copy), state,
                                                    message.find("source").text))
    for failure in failures:
        print(failure)
    print("%d translation files checked, %d entries to mend" % (len(ts_files), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
