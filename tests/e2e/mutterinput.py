#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A person's keyboard and mouse in a headless GNOME session, through mutter's
RemoteDesktop interface on the session bus. It keeps one RemoteDesktop session for
its whole run (mutter ends it when this connection goes), and reads commands on
standard input, one a line, answering each with one line ("ok ..." or "error ..."):

  move DX DY          moves the pointer by (DX, DY); from the top-left corner after
                      "home", which is how a test reaches a place: absolute motion
                      needs a screen-cast stream
  home                moves the pointer to the top-left corner
  click [BUTTON]      presses and releases a button (left, middle, right)
  key KEYSYM...       presses the keysyms (numbers) together, then releases them;
                      answers "ok NANOSECONDS" with the CLOCK_MONOTONIC time at which
                      the last release was sent
"""

import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

BUTTONS = {"left": 0x110, "right": 0x111, "middle": 0x112}  # evdev's BTN_*
SESSION = "org.gnome.Mutter.RemoteDesktop.Session"


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def call(path, interface, method, args=None, reply="()"):
        return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args,
                             GLib.VariantType(reply), Gio.DBusCallFlags.NONE, 10000, None)

    path = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                "CreateSession", reply="(o)").unpack()[0]
    call(path, SESSION, "Start")

    def motion(dx, dy):
        call(path, SESSION, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (dx, dy)))

    def key(keysym, pressed):
        call(path, SESSION, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, pressed)))

    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        try:
            if not words:
                raise ValueError("empty command")
            if words[0] == "home":
                motion(-100000, -100000)
                answer = "ok"
            elif words[0] == "move":
                motion(float(words[1]), float(words[2]))
                answer = "ok"
            elif words[0] == "click":
                button = BUTTONS[words[1] if len(words) > 1 else "left"]
                for pressed in (True, False):
                    call(path, SESSION, "NotifyPointerButton",
                         GLib.Variant("(ib)", (button, pressed)))
                answer = "ok"
            elif words[0] == "key":
                keysyms = [int(word, 0) for word in words[1:]]
                for keysym in keysyms:
                    key(keysym, True)
                for keysym in reversed(keysyms):
                    key(keysym, False)
                answer = "ok %d" % time.clock_gettime_ns(time.CLOCK_MONOTONIC)
            else:
                raise ValueError("unknown command " + words[0])
        except (GLib.Error, ValueError, KeyError, IndexError) as error:
            answer = "error %s" % error
        print(answer, flush=True)
    call(path, SESSION, "Stop")


if __name__ == "__main__":
    main()
