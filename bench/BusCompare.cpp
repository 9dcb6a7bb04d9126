// Times one figure of bench/compare.py on the session bus it is run on and prints the samples,
// one a line, in microseconds. The script runs it once per block, the figure's baseline in a
// block of its own, so that what is measured and what it is measured against each run in
// their own processes on one bus.
//
//   call extension|echo COUNT FILE [REPLY-COPY]  Menu(items, [FILE]) over the bus
//   activate extension|echo COUNT FILE           the same call when the bus must start it
//   bridge COUNT FILE                            the module core's whole right-click
//   badges COUNT FOLDER FILES                    one badge of a batch of FILES
//   busy-menus COUNT FOLDER FILES FILE           right-clicks while FOLDER asks for badges
//   window COUNT PROGRAM SERVICE PATH [ARGUMENT] start to the answer to Activate
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/Elapsed.h"
#include "core/Bridge.h"
#include "core/BusPaths.h"
#include "protocol/FinderSyncProtocol.h"

extern char** environ;

namespace {

namespace names = platform::protocol;
using Clock = std::chrono::steady_clock;
using plovane::bench::elapsedMicroseconds;
using plovane::bridge::Bridge;
using plovane::bridge::MenuKind;
using plovane::bridge::pathsVariant;

GVariant* busCall(GDBusConnection* bus, const char* service, const char* path,
                  const char* interface, const char* method, GVariant* arguments) {
  return g_dbus_connection_call_sync(bus, service, path, interface, method, arguments, nullptr,
                                     G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
}

GVariant* daemonCall(GDBusConnection* bus, const char* method, GVariant* arguments) {
  return busCall(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                 method, arguments);
}

bool hasOwner(GDBusConnection* bus, const char* name) {
  GVariant* reply = daemonCall(bus, "NameHasOwner", g_variant_new("(s)", name));
  gboolean owned = FALSE;
  if (reply != nullptr) {
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
  }
  return owned;
}

// Waits, a bounded while, until `name` is owned (or no longer owned).
bool waitForOwner(GDBusConnection* bus, const char* name, bool owned) {
  for (int poll = 0; poll < 50'000; ++poll) {
    if (hasOwner(bus, name) == owned) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

bool stop(GDBusConnection* bus, const char* name) {
  GVariant* reply = daemonCall(bus, "GetConnectionUnixProcessID", g_variant_new("(s)", name));
  if (reply == nullptr) return true;  // not running
  guint32 pid = 0;
  g_variant_get(reply, "(u)", &pid);
  g_variant_unref(reply);
  ::kill(static_cast<pid_t>(pid), SIGTERM);
  return waitForOwner(bus, name, false);
}

// The extension, or bare_echo_service answering with the same text.
struct Target {
  const char* service;
  const char* path;
  const char* interface;
};
const Target kExtension{names::kService, names::kPath, names::kInterface};
const Target kEcho{"org.plovane.bench.Echo", "/echo", "org.plovane.bench.Echo"};

GVariant* menuCall(GDBusConnection* bus, const Target& target, const std::string& file) {
  return busCall(bus, target.service, target.path, target.interface, names::kMenu.name,
                 g_variant_new("(i@aay)", 0, pathsVariant({file})));
}

std::vector<std::string> folderFiles(const std::string& folder, int files) {
  std::vector<std::string> paths;
  for (int index = 0; index < files; ++index)
    paths.push_back(folder + "/file-" + std::to_string(index) + ".txt");
  return paths;
}

void drainMainContext() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

// The bridge starts the extension in the background: its first menus may be empty.
bool bridgeAnswers(const std::string& file) {
  for (int attempt = 0; attempt < 250; ++attempt) {
    if (!Bridge::shared("nautilus").menu(MenuKind::items, {file}).empty()) return true;
    drainMainContext();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

int fail(const char* what) {
  std::fprintf(stderr, "plovane_bus_compare: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const auto argument = [&](int index) { return std::string(index < argc ? argv[index] : ""); };
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return fail("no session bus");
  std::vector<double> samples;

  if ((mode == "call" || mode == "activate") && argc >= 5) {
    const Target& target = argument(2) == "echo" ? kEcho : kExtension;
    const int count = std::stoi(argument(3));
    const std::string file = argument(4);
    for (int round = 0; round < count + (mode == "call" ? 20 : 0); ++round) {
      if (mode == "activate" && !stop(bus, target.service)) return fail("the service did not stop");
      const auto start = Clock::now();
      GVariant* reply = menuCall(bus, target, file);
      const double took = elapsedMicroseconds(start);
      if (reply == nullptr) return fail("no reply");
      if (round == 0 && argc >= 6) {
        const gchar* text = nullptr;
        g_variant_get(reply, "(&s)", &text);
        std::ofstream(argv[5], std::ios::binary) << text;
      }
      g_variant_unref(reply);
      // Calls begin counting once both sides are warm.
      if (mode == "activate" || round >= 20) samples.push_back(took);
    }
  } else if (mode == "bridge" && argc >= 4) {
    const std::string file = argument(3);
    if (!bridgeAnswers(file)) return fail("the bridge got no menu");
    for (int round = 0; round < std::stoi(argument(2)); ++round) {
      const auto start = Clock::now();
      const bool answered = !Bridge::shared("nautilus").menu(MenuKind::items, {file}).empty();
      samples.push_back(elapsedMicroseconds(start));
      if (!answered) return fail("the bridge got no menu");
    }
  } else if (mode == "badges" && argc >= 5) {
    const auto paths = folderFiles(argument(3), std::stoi(argument(4)));
    for (int round = 0; round < std::stoi(argument(2)); ++round) {
      const auto start = Clock::now();
      GVariant* reply =
          busCall(bus, names::kService, names::kPath, names::kInterface, names::kRequestBadges.name,
                  g_variant_new("(@aay)", pathsVariant(paths)));
      const double took = elapsedMicroseconds(start);
      if (reply == nullptr) return fail("the extension refused the badge requests");
      g_variant_unref(reply);
      samples.push_back(took / static_cast<double>(paths.size()));
    }
  } else if (mode == "busy-menus" && argc >= 6) {
    const auto paths = folderFiles(argument(3), std::stoi(argument(4)));
    const std::string file = argument(5);
    if (!bridgeAnswers(file)) return fail("the bridge got no menu");
    for (int round = 0; round < std::stoi(argument(2)); ++round) {
      for (const auto& path : paths) Bridge::shared("nautilus").requestBadge(path);
      // The requests go out from the main loop, as in the file manager.
      drainMainContext();
      for (int menu = 0; menu < 60; ++menu) {
        const auto start = Clock::now();
        Bridge::shared("nautilus").menu(MenuKind::items, {file});
        samples.push_back(elapsedMicroseconds(start));
        drainMainContext();
      }
    }
  } else if (mode == "window" && argc >= 6) {
    for (int round = 0; round < std::stoi(argument(2)); ++round) {
      char* child[] = {argv[3], argc > 6 ? argv[6] : nullptr, nullptr};
      const auto start = Clock::now();
      pid_t pid = 0;
      if (posix_spawn(&pid, argv[3], nullptr, nullptr, child, environ) != 0)
        return fail("cannot start the program");
      if (!waitForOwner(bus, argv[4], true)) return fail("the program took no bus name");
      GVariant* reply = busCall(
          bus, argv[4], argv[5], "org.freedesktop.Application", "Activate",
          g_variant_new("(@a{sv})", g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)));
      const double took = elapsedMicroseconds(start);
      if (reply != nullptr) g_variant_unref(reply);
      ::kill(pid, SIGTERM);
      ::waitpid(pid, nullptr, 0);
      if (reply == nullptr) return fail("the program did not answer Activate");
      if (!waitForOwner(bus, argv[4], false)) return fail("the program's name stayed");
      samples.push_back(took);
    }
  } else {
    return fail("unknown mode or missing arguments; see the top of bench/BusCompare.cpp");
  }
  for (const double sample : samples) std::printf("%.1f\n", sample);
  return 0;
}
