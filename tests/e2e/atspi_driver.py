#!/usr/bin/python3
"""Drives a program through its accessibility tree (AT-SPI), as a screen reader user would.

usage: atspi_driver.py APP STEP...

APP is the program's accessible name. Each STEP waits (up to 30 seconds) until the
control it names is there, then acts or checks:
  press:ROLE:NAME            run the control's first action (a button's Press, a tab's Switch)
  expect:ROLE:NAME           the control exists
  expect-state:ROLE:NAME:S   the control exists with state S (checked, ...)
  expect-not-state:ROLE:NAME:S
  type:ROLE:NAME:TEXT        replace the text of an editable control (TEXT holds no colon)
  extents:ROLE:NAME          print the control's place on the screen as WIDTHxHEIGHT+X+Y
  dump                       print the tree, one control a line
Exits 0 when every step succeeded, 1 naming the step that did not, 2 on bad usage.
"""
import sys
import time

import pyatspi

TIMEOUT = 30.0


def walk(node, depth=0):
    yield node, depth
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child, depth + 1)


def find_application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        application = desktop.getChildAtIndex(index)
        if application is not None and application.name == name:
            return application
    return None


def find(application, role, name):
    for node, _ in walk(application):
        if node.getRoleName() == role and node.name == name and node.getState().contains(
                pyatspi.STATE_SHOWING):
            return node
    return None


def state_named(text):
    return getattr(pyatspi, "STATE_" + text.upper().replace("-", "_"))


def wait_for(description, probe):
    deadline = time.monotonic() + TIMEOUT
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under us while the program rebuilds a view
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise LookupError(description)
        time.sleep(0.1)


def run(application_name, step):
    application = wait_for("no application named " + application_name,
                           lambda: find_application(application_name))
    kind, _, rest = step.partition(":")
    if kind == "dump":
        for node, depth in walk(application):
            print("  " * depth + node.getRoleName() + ": " + node.name)
        return
    parts = rest.split(":")
    if kind == "press":
        role, name = parts[0], ":".join(parts[1:])
        control = wait_for(step, lambda: find(application, role, name))
        control.queryAction().doAction(0)
    elif kind == "type":
        role, name, text = parts[0], ":".join(parts[1:-1]), parts[-1]
        control = wait_for(step, lambda: find(application, role, name))
        control.queryEditableText().setTextContents(text)
    elif kind == "extents":
        role, name = parts[0], ":".join(parts[1:])
        control = wait_for(step, lambda: find(application, role, name))
        box = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print("%dx%d+%d+%d" % (box.width, box.height, box.x, box.y))
    elif kind == "expect":
        role, name = parts[0], ":".join(parts[1:])
        wait_for(step, lambda: find(application, role, name))
    elif kind in ("expect-state", "expect-not-state"):
        role, name, state = parts[0], ":".join(parts[1:-1]), state_named(parts[-1])
        wanted = kind == "expect-state"

        def matches():
            control = find(application, role, name)
            return control is not None and control.getState().contains(state) == wanted

        wait_for(step, matches)
    else:
        raise ValueError(step)


def main(arguments):
    if len(arguments) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    for step in arguments[1:]:
        try:
            run(arguments[0], step)
        except LookupError as missing:
            print("not found: " + str(missing), file=sys.stderr)
            return 1
        except ValueError as bad:
            print("no such step: " + str(bad), file=sys.stderr)
            return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
