#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A GTK 4 window with one entry, typed into by the GNOME tests: every change of its
text is written to the file named first, and whether the window is active to the
file named second (one line, "active" or "inactive"), so that a test sees what
arrived and whether a click elsewhere took the focus away."""

import os
import sys

import gi

gi.require_version("Gtk", "4.0")
from gi.repository import GLib, Gtk  # noqa: E402


def write(path, text):
    temporary = path + ".new"
    with open(temporary, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(temporary, path)


def main():
    output, state = sys.argv[1], sys.argv[2]
    application = Gtk.Application(application_id=None)

    def activate(app):
        window = Gtk.ApplicationWindow(application=app, title="Ondrel GTK target")
        window.set_default_size(400, 80)
        entry = Gtk.Entry()
        entry.connect("changed", lambda e: write(output, e.get_text()))
        window.connect("notify::is-active", lambda w, _: write(
            state, "active" if w.is_active() else "inactive"))
        window.set_child(entry)
        window.present()
        entry.grab_focus()

    application.connect("activate", activate)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, 15, application.quit)
    application.run([])


if __name__ == "__main__":
    main()
