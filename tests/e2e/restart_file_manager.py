#!/usr/bin/python3
"""A file manager that was running when the menu's module was installed, restarted from the
integration pane, in a desktop session of its own (see real_file_manager.py).

usage: restart_file_manager.py OPTION... -- FILE-MANAGER-COMMAND...

  --logs DIR            where each program's output goes and the bus's set-up
  --application NAME    the file manager's accessible name
  --program NAME        its program, as /proc names its processes
  --name NAME           its name in the pane
  --module FILE         the module, installed into the file manager's module folder
  --installed-as PATH   where the file manager loads it from
  --pane PROGRAM        the integration pane

Starts the file manager, then installs the module, then the pane, which must say that the file
manager must be restarted; presses its restart button and waits until a new process of the file
manager has the module loaded. Prints "restarted: PID COMMAND-LINE". Exits 0 when every step
succeeded, 1 naming the step that did not, 2 on bad usage.
"""
import argparse
import os
import shutil
import sys

import real_file_manager as desktop


def processes(program):
    """This session's processes of `program`, each with its command line and memory map."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as comm:
                if comm.read().strip() != program:
                    continue
            with open("/proc/%s/cmdline" % pid, "rb") as cmdline:
                command = cmdline.read().replace(b"\0", b" ").decode(errors="replace").strip()
            with open("/proc/%s/maps" % pid) as maps:
                found[int(pid)] = (command, maps.read())
        except OSError:  # it ended meanwhile
            continue
    return found


def find_label(application, text):
    return next((node for node in desktop.walk(application)
                 if node.getRoleName() == "label" and node.name == text), None)


def drive(session, options):
    desktop.start_display(session)
    desktop.start_bus(session, [])
    session.start("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    desktop.wait_for("the accessibility bus did not start",
                     lambda: desktop.owner_pid(session, "org.a11y.Bus") is not None)
    desktop.wait_for("the accessibility registry did not start",
                     lambda: desktop.applications() is not None)
    session.start("file-manager", options.command)
    manager = desktop.wait_for("no application " + options.application,
                               lambda: desktop.find_application(options.application))
    # A window on screen: the file manager has loaded its modules.
    desktop.wait_for("no window of " + options.application,
                     lambda: next(node for node in desktop.walk(manager)
                                  if node.getRoleName() == "frame" and desktop.visible(node)))
    before = processes(options.program)
    if not before or any(options.installed_as in maps for _, maps in before.values()):
        raise desktop.StepFailed("%s runs with the module before it was installed: %s" %
                                 (options.program, sorted(before)))
    shutil.copy(options.module, options.installed_as)

    session.start("pane", [options.pane])
    pane = desktop.wait_for("no integration pane",
                            lambda: desktop.find_application(os.path.basename(options.pane)))
    desktop.wait_for("the pane does not say that %s must be restarted" % options.name,
                     lambda: find_label(pane, "%s must be restarted to show the menu." %
                                        options.name))
    desktop.press_button("Restart " + options.name)

    def restarted():
        return next(((pid, command) for pid, (command, maps) in processes(options.program).items()
                     if pid not in before and options.installed_as in maps), None)

    pid, command = desktop.wait_for("no new %s with the module" % options.program, restarted)
    desktop.wait_for("the pane does not say that %s was started again" % options.name,
                     lambda: find_label(pane, "%s was started again and shows the menu." %
                                        options.name))
    print("restarted: %d %s" % (pid, command))


def main(arguments):
    parser = argparse.ArgumentParser(usage=__doc__)
    for option in ("--logs", "--application", "--program", "--name", "--module", "--installed-as",
                   "--pane"):
        parser.add_argument(option, required=True)
    parser.add_argument("command", nargs="+")
    return desktop.run_steps(parser.parse_args(arguments), drive)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
