#!/usr/bin/python3
"""A small AT-SPI client, as a screen reader sees the program: Debian's python3-pyatspi, on the
accessibility bus of the session bus in DBUS_SESSION_BUS_ADDRESS.

  atspi.py tree                 the window's role and name, then one line per child: role|name|states,
                                and for a slider |value=N
  atspi.py press NAME           runs the first action of the child named NAME
  atspi.py set-value NAME N     sets the value of the child named NAME
  atspi.py wait NAME [SECONDS]  waits until a child is named NAME (default 20 seconds)

Exits with 1, saying why, when the window or the child is not there.
"""
import sys
import time

import pyatspi


def window():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "Murmex":
            for win in app:
                if win is not None and win.name == "Murmex":
                    return win
    return None


def children(win):
    return [child for child in win if child is not None]


def child(name):
    win = window()
    for c in children(win) if win else []:
        if c.name == name:
            return c
    sys.exit(f"no child named {name!r}")


def main(args):
    command = args[0]
    if command == "tree":
        win = window()
        if win is None:
            sys.exit("no window named Murmex")
        print(f"{win.getRoleName()}|{win.name}")
        for c in children(win):
            states = c.getState()
            names = sorted(pyatspi.stateToString(s) for s in states.getStates())
            value = f"|value={c.queryValue().currentValue:g}" if c.getRole() == pyatspi.ROLE_SLIDER else ""
            print(f"{c.getRoleName()}|{c.name}|{' '.join(names)}{value}")
    elif command == "press":
        child(args[1]).queryAction().doAction(0)
    elif command == "set-value":
        child(args[1]).queryValue().currentValue = float(args[2])
    elif command == "wait":
        deadline = time.monotonic() + float(args[2] if len(args) > 2 else 20)
        while time.monotonic() < deadline:
            win = window()
            if win is not None and any(c.name == args[1] for c in children(win)):
                return
            time.sleep(0.1)
        sys.exit(f"no child was named {args[1]!r} in time")
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    main(sys.argv[1:])
