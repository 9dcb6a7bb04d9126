#!/usr/bin/python3
"""Runs a real file manager in a desktop session of its own and uses its context menu through
the accessibility tree (AT-SPI), as a user with a keyboard and a screen reader would.

usage: real_file_manager.py OPTION... -- FILE-MANAGER-COMMAND...

  --logs DIR            where each program's output goes (one file each) and the bus's set-up
  --service-folder DIR  a folder of bus service files the session bus starts (repeatable)
  --start-service NAME  a bus name started before the file manager (the extension)
  --ready PATH          a file that exists once that service has started
  --application NAME    the file manager's accessible name
  --select-key KEY      a key (xdotool's name) that selects the item, for a file manager that
                        cannot be told which item to select when it starts
  --status TEXT         text the file manager's status bar shows once the item is selected
  --entry PATH          the entry to click: titles from the context menu through its submenus,
                        joined by " > "
  --dialog-button TITLE a button to press in a window the click opened (any program's)
  --wait-for PATH       a file that exists once the entry has done its work
  --screenshot PNG      the screen once the entry's own menu is open
  --own-entry TITLE     an entry of the file manager's own: a context menu that shows it but
                        not ours failed, with no second try
  --right-click NAME    opens the context menu with the mouse on the shown item of that name
                        instead of Shift+F10, for a file manager that takes no keys without a
                        window manager's focus
  --accessibility-after PREFIX
                        starts the accessibility bus only once the file manager owns a bus name
                        that starts with PREFIX: a Qt 5 program registers only with a bus that
                        appears after it started
  --again-after-kill NAME
                        then kills the program that owns the bus name NAME (the extension),
                        waits until it runs again and opens the context menu once more: it
                        must show the entry's first title at once

Starts an X server (Xvfb), a session bus whose programs draw there, the accessibility bus, the
service, and then the file manager, which must show the selected item (or select it with the
key). Shift+F10 opens the context menu of the selection. Prints every menu entry the file manager has built, submenus
included, as "menu: TITLE" lines in the order of its accessibility tree. Ends everything it
started. Exits 0 when every step succeeded, 1 naming the step that did not, 2 on bad usage.
"""
import argparse
import os
import signal
import subprocess
import sys
import time
from xml.sax.saxutils import escape

import pyatspi
from gi.repository import GLib

TIMEOUT = 30.0
MENU_ATTEMPTS = 4
MENU_WAIT = 8.0
# GTK 3 gives an entry that opens a submenu the role of a menu.
MENU_ROLES = ("menu item", "check menu item", "radio menu item", "menu")

BUS_CONFIGURATION = """<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  %s
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class StepFailed(Exception):
    pass


# Popup menus as they were shown: Qt 5 leaves them out of its application's children and tells
# of them only by the event.
shown_popups = []


def remember_popup(event):
    if event.detail1 and event.source is not None and event.source.getRoleName() == "popup menu":
        shown_popups.append(event.source)


def take_events():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(description, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while True:
        take_events()
        try:
            found = probe()
        except Exception:  # the tree changes under us while a program rebuilds a view
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise StepFailed(description)
        time.sleep(0.1)


class Session:
    """The programs of the session, each in a process group of its own, ended in reverse."""

    def __init__(self, logs):
        self.logs = logs
        self.environment = dict(os.environ)
        self.processes = []

    def start(self, name, arguments, **options):
        with open(os.path.join(self.logs, name + ".log"), "ab") as log:
            process = subprocess.Popen(arguments, stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT, env=self.environment,
                                       start_new_session=True, **options)
        self.processes.append(process)
        return process

    def run(self, arguments):
        return subprocess.run(arguments, env=self.environment, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=TIMEOUT, check=False)

    def close(self):
        for process in reversed(self.processes):
            for sent in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(process.pid, sent)
                except ProcessLookupError:
                    break
                try:
                    process.wait(timeout=5)
                    break
                except subprocess.TimeoutExpired:
                    continue


def first_line(session, name, arguments):
    """Starts a program that writes one line to the descriptor named by "{fd}"; that line."""
    reading, writing = os.pipe()
    arguments = [argument.replace("{fd}", str(writing)) for argument in arguments]
    session.start(name, arguments, pass_fds=(writing,))
    os.close(writing)
    with os.fdopen(reading) as pipe:
        return pipe.readline().strip()


def start_display(session):
    number = first_line(session, "xvfb", ["Xvfb", "-displayfd", "{fd}", "-screen", "0",
                                          "1280x800x24", "-nolisten", "tcp", "-noreset"])
    if not number:
        raise StepFailed("Xvfb did not start")
    session.environment["DISPLAY"] = ":" + number


def start_bus(session, service_folders):
    """A session bus that starts only the services in `service_folders`: the desktop's own
    (file indexers, volume monitors) would only slow the session down."""
    configuration = os.path.join(session.logs, "bus.conf")
    with open(configuration, "w") as file:
        file.write(BUS_CONFIGURATION % "".join("<servicedir>%s</servicedir>" % escape(folder)
                                               for folder in service_folders))
    address = first_line(session, "dbus", ["dbus-daemon", "--config-file=" + configuration,
                                           "--nofork", "--print-address={fd}"])
    if not address:
        raise StepFailed("the session bus did not start")
    session.environment["DBUS_SESSION_BUS_ADDRESS"] = address
    # pyatspi finds the accessibility bus through this process's own session bus and display.
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    os.environ["DISPLAY"] = session.environment["DISPLAY"]


def start_service(session, name, ready):
    started = session.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                           "--object-path", "/org/freedesktop/DBus", "--method",
                           "org.freedesktop.DBus.StartServiceByName", name, "0"])
    if started.returncode != 0:
        raise StepFailed("cannot start %s: %s" % (name, started.stderr.decode(errors="replace")))
    if ready:
        wait_for("%s did not write %s" % (name, ready), lambda: os.path.exists(ready))


def applications():
    desktop = pyatspi.Registry.getDesktop(0)
    return [desktop.getChildAtIndex(index) for index in range(desktop.childCount)]


def find_application(name):
    return next((found for found in applications() if found is not None and found.name == name),
                None)


def top_level(node):
    while node.parent is not None and node.parent.getRoleName() != "application":
        node = node.parent
    return node


def walk(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def visible(node):
    # GTK 4 reports no "showing" state; "visible" is what both toolkits report.
    return node.getState().contains(pyatspi.STATE_VISIBLE)


def menu_items(application):
    items = [node for node in walk(application) if node.getRoleName() in MENU_ROLES]
    for popup in shown_popups:
        try:
            items += [node for node in walk(popup) if node.getRoleName() in MENU_ROLES]
        except Exception:  # closed since
            pass
    return items


def find_entry(application, title):
    return next((node for node in menu_items(application) if node.name == title and
                 visible(node)), None)


def click_on(session, node, button):
    """Near the bottom of the node: Dolphin reports its items' cells 30-odd pixels above where
    it draws them, and its item's name is at the bottom of the cell."""
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    session.run(["xdotool", "mousemove", str(extents.x + extents.width // 2),
                 str(extents.y + extents.height - 4), "click", str(button)])


def open_context_menu(session, application, options, title):
    """Shift+F10 (or a right-click) until the menu shows the entry: a key pressed before the
    window takes keys opens nothing. A menu that opened (it shows the file manager's own entry)
    without the entry fails at once."""
    shown = []
    own_entry = options.own_entry
    for _ in range(MENU_ATTEMPTS):
        pressed = time.monotonic()
        if options.right_click:
            click_on(session, wait_for("no item " + options.right_click, lambda: next(
                (node for node in walk(application)
                 if node.name == options.right_click and visible(node)), None)), 3)
        else:
            session.run(["xdotool", "key", "shift+F10"])
        try:
            entry = wait_for("", lambda: find_entry(application, title), MENU_WAIT)
            print("time to menu: %.2f s" % (time.monotonic() - pressed))
            return entry
        except StepFailed:
            shown = [node.name for node in menu_items(application) if visible(node)]
            session.run(["xdotool", "key", "Escape"])
            if own_entry and own_entry in shown:
                raise StepFailed("the context menu opened without %s; it had %s" %
                                 (title, shown)) from None
    raise StepFailed("the context menu never showed %s; it had %s" % (title, shown))


def press_button(title):
    def probe():
        for application in applications():
            for node in walk(application):
                if node.getRoleName() == "push button" and node.name == title and visible(node):
                    return node
        return None

    wait_for("no button " + title, probe).queryAction().doAction(0)


def select_item(session, application, options):
    """Keys go to the window under the pointer, as no window manager gives a window the focus.
    The key is pressed until the status bar shows the selection: pressed before the folder has
    loaded, it selects nothing."""
    frame = wait_for("no window of " + options.application,
                     lambda: next(node for node in walk(application)
                                  if node.getRoleName() == "frame" and visible(node)))
    extents = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    session.run(["xdotool", "mousemove", str(extents.x + extents.width // 2),
                 str(extents.y + extents.height // 2)])

    def selected():
        if options.select_key:
            session.run(["xdotool", "key", options.select_key])
        return any(node.getRoleName() == "status bar" and options.status in node.name
                   for node in walk(application))

    if options.status:
        wait_for("the status bar never showed " + options.status, selected)


def use_menu(session, application, options):
    titles = options.entry.split(" > ")
    entry = open_context_menu(session, application, options, titles[0])
    menu = top_level(entry)
    for title in titles[1:]:
        entry.queryAction().doAction(0)
        entry = wait_for("no entry %s in the menu" % title, lambda: find_entry(application, title))
    # Only the context menu's own entries: GTK 3 reports a closed menu bar's entries as visible.
    for node in menu_items(menu):
        if node.name:  # GTK 3's menus themselves have no name
            print("menu: " + node.name)
    sys.stdout.flush()
    if options.screenshot:
        session.run(["import", "-window", "root", options.screenshot])
    entry.queryAction().doAction(0)


def owner_pid(session, name):
    answer = session.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                          "--object-path", "/org/freedesktop/DBus", "--method",
                          "org.freedesktop.DBus.GetConnectionUnixProcessID", name])
    if answer.returncode != 0:
        return None
    return int(answer.stdout.decode().strip("(),\n ").split()[-1])


def menu_after_kill(session, application, options):
    """The extension killed while the file manager runs is back for the next right-click."""
    killed = wait_for("nothing owns " + options.again_after_kill,
                      lambda: owner_pid(session, options.again_after_kill))
    os.kill(killed, signal.SIGKILL)
    wait_for("%s was not started again" % options.again_after_kill,
             lambda: owner_pid(session, options.again_after_kill) not in (None, killed))
    session.run(["xdotool", "key", "Escape"])
    title = options.entry.split(" > ")[0]
    open_context_menu(session, application, options, title)
    print("after kill: " + title)
    sys.stdout.flush()
    session.run(["xdotool", "key", "Escape"])


def start_accessibility(session):
    session.start("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    # pyatspi aborts the driver when it asks before the accessibility bus is there.
    wait_for("the accessibility bus did not start",
             lambda: owner_pid(session, "org.a11y.Bus") is not None)
    # The registry up before the file manager: one started while the registry is being activated
    # is never listed.
    wait_for("the accessibility registry did not start", lambda: applications() is not None)
    pyatspi.Registry.registerEventListener(remember_popup, "object:state-changed:showing")


def bus_names(session):
    answer = session.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                          "--object-path", "/org/freedesktop/DBus", "--method",
                          "org.freedesktop.DBus.ListNames"])
    return answer.stdout.decode().replace("'", " ").replace(",", " ").split()


def drive(session, options):
    start_display(session)
    start_bus(session, options.service_folder)
    if not options.accessibility_after:
        start_accessibility(session)
    if options.start_service:
        start_service(session, options.start_service, options.ready)
    session.start("file-manager", options.command)
    if options.accessibility_after:
        wait_for("the file manager took no bus name " + options.accessibility_after,
                 lambda: any(name.startswith(options.accessibility_after)
                             for name in bus_names(session)))
        start_accessibility(session)
    try:
        application = wait_for("", lambda: find_application(options.application))
    except StepFailed:
        names = [found.name for found in applications() if found is not None]
        raise StepFailed("no application %s among %s" % (options.application, names)) from None
    select_item(session, application, options)
    use_menu(session, application, options)
    if options.dialog_button:
        press_button(options.dialog_button)
    if options.wait_for:
        wait_for("nothing at " + options.wait_for, lambda: os.path.exists(options.wait_for))
    if options.again_after_kill:
        menu_after_kill(session, application, options)


def main(arguments):
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("--logs", required=True)
    parser.add_argument("--service-folder", action="append", default=[])
    parser.add_argument("--start-service")
    parser.add_argument("--ready")
    parser.add_argument("--application", required=True)
    parser.add_argument("--select-key")
    parser.add_argument("--status")
    parser.add_argument("--entry", required=True)
    parser.add_argument("--dialog-button")
    parser.add_argument("--wait-for")
    parser.add_argument("--screenshot")
    parser.add_argument("--own-entry")
    parser.add_argument("--again-after-kill")
    parser.add_argument("--accessibility-after")
    parser.add_argument("--right-click")
    parser.add_argument("command", nargs="+")
    return run_steps(parser.parse_args(arguments), drive)


def run_steps(options, steps):
    """Runs `steps(session, options)` in a session of its own, ended afterwards; the exit code."""
    session = Session(options.logs)
    try:
        steps(session, options)
    except StepFailed as failed:
        print("failed: " + str(failed), file=sys.stderr)
        return 1
    finally:
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
