#!/usr/bin/env python3
"""What a screen reader hears of the window, through the desktop's
accessibility bus (AT-SPI, the python3-pyatspi bindings).

  a11y_probe.py listen          prints every focus change, one line each
                                (state, role, name), until it is ended
  a11y_probe.py tree            at the next focus change prints the
                                accessible tree of the program that has the
                                focus, one line a node (depth, role, name,
                                description), and ends
  a11y_probe.py now TITLE       prints the accessible tree of the program
                                whose frame's name starts with TITLE as it
                                is at once, and ends (no READY)

Both print READY first once they are connected (listen: once it listens).
"""
import signal
import sys

import pyatspi
from gi.repository import GLib


def line(*fields):
    print("\t".join(str(f).replace("\t", " ").replace("\n", " ") for f in fields), flush=True)


def walk_print(node, depth):
    line(depth, node.getRoleName(), node.name, node.description)
    for child in node:
        if child is not None:
            walk_print(child, depth + 1)


def listen():
    def on_focus(event):
        try:
            line("focus", event.detail1, event.source.getRoleName(), event.source.name)
        except Exception as error:  # the object may be gone already
            line("focus", event.detail1, "gone", error)

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: pyatspi.Registry.stop() or False)
    GLib.idle_add(lambda: line("READY") or False)
    pyatspi.Registry.start()


def tree():
    def on_focus(event):
        if event.detail1 != 1:
            return
        walk_print(event.source.getApplication(), 0)
        pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.idle_add(lambda: line("READY") or False)
    pyatspi.Registry.start()


def now(title):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None:
            continue
        for child in app:
            if child is not None and child.name.startswith(title):
                walk_print(app, 0)
                return
    sys.exit("no frame named " + title)


if __name__ == "__main__":
    if sys.argv[1:2] == ["listen"]:
        listen()
    elif sys.argv[1:2] == ["tree"]:
        tree()
    elif sys.argv[1:2] == ["now"] and len(sys.argv) == 3:
        now(sys.argv[2])
    else:
        sys.exit(__doc__)
