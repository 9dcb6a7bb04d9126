#!/usr/bin/python3
"""Every figure of the performance table beside its baseline, on one private session bus.

Installs the built system into a temporary home, starts a dbus-daemon of its own (the extension
and the bare echo service are started by it, as on a desktop), then, for each run, measures each
figure and its baseline in blocks that take turns, each in a process of its own. Per figure it
prints the median and 99th percentile of what is measured and of its baseline, and their ratios.

    /usr/bin/python3 bench/compare.py [--build build/dev] [--runs 3]
"""

import argparse
import json
import os
import plistlib
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SUITE = "R4XK8TQ2VM.com.quenlow.plovanemenu"
APP = "com.quenlow.plovanemenu"
FOLDER_FILES = 10_000
SERVICES = {"extension": "com.quenlow.plovanemenu.findersyncextension",
            "echo": "org.plovane.bench.Echo"}
COUNTED_CALLS = 200
STORE_WRITES = 100

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  {servicedirs}
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def percentile(samples, share):
    ordered = sorted(samples)
    return ordered[int(share * (len(ordered) - 1))]


def run(argv, env, capture=True):
    done = subprocess.run(argv, env=env, capture_output=capture, text=True, check=False)
    if done.returncode != 0:
        raise RuntimeError(f"{' '.join(argv)} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


class Bench:
    def __init__(self, build, home):
        self.build = build
        self.home = home
        plovane = os.path.join(home, "plovane")
        self.work = os.path.join(home, "Work")
        self.selection = os.path.join(self.work, "file-0.txt")
        self.env = dict(os.environ)
        self.env.update({
            "PLOVANE_HOME": plovane, "HOME": home, "QT_QPA_PLATFORM": "offscreen",
            "XDG_DATA_HOME": os.path.join(home, "share"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_CACHE_HOME": os.path.join(home, "cache"),
            "XDG_STATE_HOME": os.path.join(home, "state"),
            "XDG_RUNTIME_DIR": os.path.join(home, "run"),
        })
        for name in ("share", "config", "cache", "state", "run"):
            os.makedirs(os.path.join(home, name), mode=0o700, exist_ok=True)
        os.makedirs(self.work)
        for index in range(FOLDER_FILES):
            with open(os.path.join(self.work, f"file-{index}.txt"), "w") as file:
                file.write("x")
        run([self.program("bin/plovane-finder"), "install"], self.env)
        self.store(SUITE, {"foldersArray": [self.work], "foldersArraystate": [1]})
        self.store(APP, {"firstRun": True})
        self.reply = os.path.join(home, "menu-reply.txt")
        echo_services = os.path.join(home, "echo-services")
        os.makedirs(echo_services)
        with open(os.path.join(echo_services, "org.plovane.bench.Echo.service"), "w") as file:
            file.write("[D-BUS Service]\nName=org.plovane.bench.Echo\n"
                       f"Exec={self.program('bench/bare_echo_service')} {self.reply}\n")
        self.start_bus([os.path.join(plovane, "dbus-1", "services"), echo_services])
        # The echo answers with the extension's own reply text.
        self.compare("call", "extension", "1", self.selection, self.reply)

    def program(self, relative):
        path = os.path.join(self.build, relative)
        if not os.access(path, os.X_OK):
            raise RuntimeError(f"{path} is not built")
        if " " in path:
            raise RuntimeError(f"{path}: a bus service file takes no spaces here")
        return path

    def store(self, domain, values):
        path = os.path.join(self.env["PLOVANE_HOME"], "Preferences", domain + ".plist")
        contents = {}
        if os.path.exists(path):
            with open(path, "rb") as file:
                contents = plistlib.load(file)
        contents.update(values)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            plistlib.dump(contents, file, fmt=plistlib.FMT_BINARY)

    def start_bus(self, service_folders):
        config = os.path.join(self.home, "bus.conf")
        with open(config, "w") as file:
            file.write(BUS_CONFIG.format(servicedirs="".join(
                f"<servicedir>{folder}</servicedir>" for folder in service_folders)))
        self.daemon = subprocess.Popen(
            ["dbus-daemon", "--nofork", f"--config-file={config}", "--print-address=1"],
            env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.daemon.stdout.readline().strip()

    def pid_of(self, name):
        """The process that owns `name` on the bus, or None."""
        asked = subprocess.run(
            ["dbus-send", "--session", "--print-reply=literal",
             "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.GetConnectionUnixProcessID", f"string:{name}"],
            env=self.env, capture_output=True, text=True, check=False)
        return int(asked.stdout.split()[-1]) if asked.returncode == 0 else None

    def stop_bus(self):
        # What the bus started would otherwise outlive it.
        for name in SERVICES.values():
            pid = self.pid_of(name)
            if pid is not None:
                os.kill(pid, signal.SIGTERM)
        self.daemon.terminate()
        self.daemon.wait()

    def compare(self, *arguments):
        output = run([self.program("bench/plovane_bus_compare"), *arguments], self.env)
        return [float(line) for line in output.split()]

    def google_benchmark(self, pattern, *extra):
        output = run([self.program("bench/plovane_bench"), f"--benchmark_filter={pattern}",
                      "--benchmark_format=json", *extra], self.env)
        return json.loads(output)["benchmarks"]


class StoreInTurns:
    """A store figure: the store's writes and the baseline's, each from a process of its own,
    asked one write at a time in turns, so that both meet the disk in the same state. Whichever
    side the table asks for first runs both; the other side's samples wait for its turn."""

    WARM_UP = 5

    def __init__(self, bench, key, writes):
        self.bench, self.key, self.writes = bench, key, writes
        self.waiting = {}

    def side(self, name):
        if name not in self.waiting:
            self.waiting = self.run()
        return self.waiting.pop(name)

    def run(self):
        program = self.bench.program("bench/plovane_store_compare")
        sides = {name: subprocess.Popen([program, name, self.key], env=self.bench.env, text=True,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
                 for name in ("write", "replace")}
        samples = {name: [] for name in sides}
        try:
            for turn in range(self.WARM_UP + self.writes):
                # Alternate which side writes first in a turn.
                for name in sides if turn % 2 == 0 else reversed(list(sides)):
                    process = sides[name]
                    process.stdin.write("\n")
                    process.stdin.flush()
                    took = float(process.stdout.readline())
                    if took < 0:
                        raise RuntimeError(f"plovane_store_compare {name} {self.key}: write failed")
                    if turn >= self.WARM_UP:
                        samples[name].append(took)
        finally:
            for process in sides.values():
                process.stdin.close()
                process.wait()
        return samples


def menu_path(bench, entries_per_folder, factor):
    results = bench.google_benchmark(
        f"^BM_MenuForMenuKind/icons:0/entriesPerFolder:{entries_per_folder}$",
        "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=false",
        "--benchmark_min_time=0.2")
    return [r["real_time"] / 1000 * factor for r in results if r.get("run_type") == "iteration"]


def counted_per_call(bench, target, counter):
    """What `counter` counts in the process answering `target`, per Menu call."""
    bench.compare("call", target, "1", bench.selection)  # started, and its first calls made
    pid = bench.pid_of(SERVICES[target])
    out = os.path.join(bench.home, "counted.txt")
    argv, total = counter(pid, out)
    watcher = subprocess.Popen(argv, env=bench.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    time.sleep(1)  # attached by then
    bench.compare("call", target, str(COUNTED_CALLS), bench.selection)
    watcher.send_signal(signal.SIGINT)
    watcher.wait()
    with open(out, encoding="utf-8") as file:
        return [total(file.read()) / (COUNTED_CALLS + 20)]  # the compare's 20 warm-up calls too


def system_calls(pid, out):
    """strace's count of every thread's system calls: its summary's last line is the total."""
    return (["strace", "-c", "-f", "-p", str(pid), "-o", out],
            lambda text: int(text.strip().splitlines()[-1].split()[3]))


def allocations(pid, out):
    """How often the process entered malloc (operator new goes through it), by a uprobe."""
    return (["perf", "stat", "-x", ",", "-e", "probe_libc:malloc", "-p", str(pid), "-o", out],
            lambda text: int(next(line for line in text.splitlines()
                                  if "probe_libc:malloc" in line).split(",")[0]))


def why_not_counted():
    """Why the per-call counts cannot be taken here, or None when they can."""
    if shutil.which("strace") is None or shutil.which("perf") is None:
        return "needs strace and perf"
    probes = subprocess.run(["perf", "probe", "-l"], capture_output=True, text=True, check=False)
    if "probe_libc:malloc" in probes.stdout:
        return None
    libc = "/lib/x86_64-linux-gnu/libc.so.6"
    added = subprocess.run(["perf", "probe", "-q", "-x", libc, "--add", "malloc"],
                           capture_output=True, text=True, check=False)
    return None if added.returncode == 0 else "no uprobe on malloc: " + added.stderr.strip()


def window(bench, program, service, path, *arguments):
    """Start to the answer to Activate of `program` (given `arguments`), five starts a block."""
    return lambda: bench.compare("window", "5", program, service, path, *arguments)


def figures(bench):
    """Each figure: its name, what is measured, its baseline (None: goal only), and a note."""
    sel = bench.selection
    commands = StoreInTurns(bench, "commands", STORE_WRITES)
    folders = StoreInTurns(bench, "folders", STORE_WRITES)
    settings_app = window(bench, os.path.join(bench.env["PLOVANE_HOME"], "Applications",
                                              "PlovaneMenu.app", "plovane-menu"),
                          APP, "/com/quenlow/plovanemenu")

    def bare_window(*arguments):
        return window(bench, bench.program("bench/bare_qt_window"), "org.plovane.BareWindow",
                      "/org/plovane/BareWindow", *arguments)

    return [
        ("Menu vs bare GDBus echo, same reply",
         lambda: bench.compare("call", "extension", "500", sel),
         lambda: bench.compare("call", "echo", "500", sel), "goal <= 1.2x"),
        ("bridge's whole right-click vs the same echo",
         lambda: bench.compare("bridge", "500", sel),
         lambda: bench.compare("call", "echo", "500", sel), "goal <= 1.3x"),
        ("one badge (batch of 1,000; no baseline)",
         lambda: bench.compare("badges", "20", bench.work, "1000"), None, "goal <= 3 us"),
        ("menus while 10,000 badges asked vs quiet menus",
         lambda: bench.compare("busy-menus", "3", bench.work, str(FOLDER_FILES), sel),
         lambda: bench.compare("bridge", "180", sel), "goal p99 <= 2x"),
        ("bus activation to first Menu vs activated echo",
         lambda: bench.compare("activate", "extension", "10", sel),
         lambda: bench.compare("activate", "echo", "10", sel), "goal <= 1.5x"),
        ("settings app start to window vs bare Qt window",
         settings_app, bare_window(), "goal <= 1.3x"),
        ("  the same vs a bare Qt program of the same window",
         settings_app, bare_window("--general-tab"), "what the app adds to Qt"),
        ("menu path, 2,000 entries vs 4x 500 (linear)",
         lambda: menu_path(bench, 200, 1), lambda: menu_path(bench, 50, 4), "goal ~1.0x"),
        ("store write, 16 commands vs write+fsync+rename",
         lambda: commands.side("write"), lambda: commands.side("replace"), "goal <= 1.3x"),
        ("store write, 1,000 folders vs write+fsync+rename",
         lambda: folders.side("write"), lambda: folders.side("replace"), "goal <= 1.3x"),
    ] + ([] if why_not_counted() else [
        ("system calls per Menu (count) vs the echo's",
         lambda: counted_per_call(bench, "extension", system_calls),
         lambda: counted_per_call(bench, "echo", system_calls), "goal <= 10"),
        ("allocations per Menu (count) vs the echo's",
         lambda: counted_per_call(bench, "extension", allocations),
         lambda: counted_per_call(bench, "echo", allocations), "goal <= 300"),
    ])




def summary(collected):
    """Median and p99 of the runs' samples, pooled."""
    pooled = [sample for run in collected for sample in run]
    return statistics.median(pooled), percentile(pooled, 0.99)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "build", "dev"))
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()
    if options.runs < 3:
        parser.error("at least 3 runs")

    home = tempfile.mkdtemp(prefix="plovane-compare-")
    bench = None
    try:
        bench = Bench(os.path.abspath(options.build), home)
        table = figures(bench)
        ours = {name: [] for name, *_ in table}
        base = {name: [] for name, *_ in table}
        for number in range(options.runs):
            print(f"run {number + 1} of {options.runs}", file=sys.stderr)
            for name, measure, baseline, _ in table:
                # Alternate which side goes first, so neither always finds the caches warm.
                sides = [(ours, measure), (base, baseline)]
                for into, side in sides if number % 2 == 0 else reversed(sides):
                    if side is not None:
                        into[name].append(side())
        print(f"{'figure':50} {'ours median':>12} {'p99':>10} {'base median':>12} {'p99':>10}"
              f" {'ratio':>6} {'p99 ratio':>9}  (us, {options.runs} runs)")
        for name, _, baseline, note in table:
            median, p99 = summary(ours[name])
            line = f"{name:50} {median:12.1f} {p99:10.1f}"
            if baseline is None:
                line += f" {'-':>12} {'-':>10} {'-':>6} {'-':>9}"
            else:
                base_median, base_p99 = summary(base[name])
                line += (f" {base_median:12.1f} {base_p99:10.1f} {median / base_median:5.2f}x"
                         f" {p99 / base_p99:8.2f}x")
            print(f"{line}  {note}")
        if why_not_counted():
            print(f"{'system calls and allocations per Menu':50} not measured: {why_not_counted()}")
    finally:
        if bench is not None and hasattr(bench, "daemon"):
            bench.stop_bus()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
