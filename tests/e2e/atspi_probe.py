# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the panel as a screen reader does, through AT-SPI, and presses one cell.
Run by test_accessibility.py with the system's Python, which has pyatspi:

    atspi_probe.py PANEL_TITLE CELL_INDEX_TO_PRESS

Prints one JSON object: the number of children, their names, their roles (as the
role itself, whose name differs between AT-SPI versions), whether each role is a
push button, and whether the press was done."""

import json
import sys
import time

import pyatspi


def find(accessible, title, depth=0):
    if accessible is None or depth > 6:
        return None
    if accessible.name == title:
        return accessible
    for index in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(index), title, depth + 1)
        if found:
            return found
    return None


def grid_of(panel):
    """The grid of cells: the window's child with the most children, below the title
    strip."""
    children = [panel.getChildAtIndex(i) for i in range(panel.childCount)]
    return max(children, key=lambda child: child.childCount, default=panel)


def main():
    title, press = sys.argv[1], int(sys.argv[2])
    deadline = time.monotonic() + 30
    panel = None
    while panel is None and time.monotonic() < deadline:
        panel = find(pyatspi.Registry.getDesktop(0), title)
        if panel is None:
            time.sleep(0.2)
    if panel is None:
        print(json.dumps({"error": "no panel named " + title}))
        return
    grid = grid_of(panel)
    children = [grid.getChildAtIndex(i) for i in range(grid.childCount)]
    result = {
        "count": len(children),
        "names": [child.name for child in children],
        "roles": sorted({int(child.getRole()) for child in children}),
        "push_button": int(pyatspi.ROLE_PUSH_BUTTON),
        "actions": sorted({child.queryAction().getName(0) for child in children}),
    }
    result["pressed"] = bool(children[press].queryAction().doAction(0))
    print(json.dumps(result))


if __name__ == "__main__":
    main()
