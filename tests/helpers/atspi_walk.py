#!/usr/bin/python3
# Walks the accessibility tree of one application as a screen reader sees it
# on the desktop's AT-SPI bus. Prints "nodes N" and one "UNNAMED ..." line for
# every showing, focusable node without a name or without a real role.
# Usage: atspi_walk.py APPLICATION-NAME
import sys
import time

import pyatspi

BAD_ROLES = (pyatspi.ROLE_INVALID, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_FILLER)


def find_app(name):
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    return None


def main():
    app = find_app(sys.argv[1])
    if app is None:
        print("no application named", sys.argv[1])
        return 2
    nodes = 0
    stack = [(app, "")]
    while stack:
        node, path = stack.pop()
        nodes += 1
        here = f"{path}/{node.getRoleName()} '{node.name}'"
        state = node.getState()
        if state.contains(pyatspi.STATE_FOCUSABLE) and state.contains(pyatspi.STATE_SHOWING):
            if not (node.name or "").strip() or node.getRole() in BAD_ROLES:
                print("UNNAMED", here)
        stack.extend((child, here) for child in node if child is not None)
    print("nodes", nodes)
    return 0


sys.exit(main())
