#!/usr/bin/env python3
"""What a screen reader hears of the window, through the desktop's
accessibility bus (AT-SPI, the python3-pyatspi bindings).

  a11y_probe.py listen          prints every focus change, one line each
                                (state, role, name), until it is ended
  a11y_probe.py tree            at the next focus change prints the
                                accessible tree of the program that has the
                                focus, one line a node (depth, role, name,
                                description), and ends

Both print READY first once they are connected (listen: once it listens).
"""
import signal
import sys

import pyatspi
from gi.repository import GLib


def line(*fields):
    print("\t".join(str(f).replace("\t", " ").replace("\n", " ") for f in fields), flush=True)


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
    def walk(node, depth):
        line(depth, node.getRoleName(), node.name, node.description)
        for child in node:
            if child is not None:
                walk(child, depth + 1)

    def on_focus(event):
        if event.detail1 != 1:
            return
        walk(event.source.getApplication(), 0)
        pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.idle_add(lambda: line("READY") or False)
    pyatspi.Registry.start()


if __name__ == "__main__":
    if sys.argv[1:2] == ["listen"]:
        listen()
    elif sys.argv[1:2] == ["tree"]:
        tree()
    else:
        sys.exit(__doc__)
