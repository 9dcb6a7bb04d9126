// The file-manager module's side of a right-click: the bridge's menu round trip (the directory
// set's check, the call with its time limit, the reply turned into entries) beside a bare call
// over the same bus whose reply has the same size, and the reply's reading alone; and menus asked
// while a folder of 10,000 files sends its badge requests.
#include <benchmark/benchmark.h>
#include <gio/gio.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "bench/Percentiles.h"
#include "core/Bridge.h"
#include "core/BusPaths.h"
#include "core/MenuReply.h"
#include "protocol/FinderSyncProtocol.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
namespace names = platform::protocol;
using platform::PlistArray;
using plovane::bench::elapsedMicroseconds;
using plovane::bench::reportPercentiles;
using plovane::bridge::Bridge;
using plovane::bridge::MenuKind;
using plovane::bridge::pathsVariant;

constexpr int kFolderSize = 10'000;
constexpr char kEchoService[] = "org.plovane.bench.Echo";

GVariant* callSync(GDBusConnection* bus, const char* service, const char* path,
                   const char* interface, const char* method, GVariant* arguments) {
  return g_dbus_connection_call_sync(bus, service, path, interface, method, arguments, nullptr,
                                     G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
}

// Answers every call with the same text, on a connection and thread of its own, the way the
// extension answers on its own: the bare call the bridge's round trip is measured against.
class EchoService {
 public:
  explicit EchoService(std::string reply) : reply_(std::move(reply)) {
    thread_ = std::thread([this] { serve(); });
    while (!ready_.load()) std::this_thread::yield();
  }
  ~EchoService() {
    g_main_loop_quit(loop_);
    thread_.join();
  }

 private:
  void serve() {
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    loop_ = g_main_loop_new(context, FALSE);
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    // A private connection: the shared one dispatches on the benchmark's thread.
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    g_object_unref(bus);
    bus = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(address);
    static const GDBusInterfaceVTable vtable = {
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant*,
           GDBusMethodInvocation* invocation, gpointer self) {
          g_dbus_method_invocation_return_value(
              invocation, g_variant_new("(s)", static_cast<EchoService*>(self)->reply_.c_str()));
        },
        nullptr,
        nullptr,
        {}};
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
        "<node><interface name='org.plovane.bench.Echo'><method name='Menu'>"
        "<arg type='i' direction='in'/><arg type='aay' direction='in'/>"
        "<arg type='s' direction='out'/></method></interface></node>",
        nullptr);
    g_dbus_connection_register_object(bus, "/echo", node->interfaces[0], &vtable, this, nullptr,
                                      nullptr);
    g_variant_unref(callSync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "RequestName",
                             g_variant_new("(su)", kEchoService, 0u)));
    ready_ = true;
    g_main_loop_run(loop_);
    g_dbus_node_info_unref(node);
    g_object_unref(bus);
    g_main_loop_unref(loop_);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
  }

  std::string reply_;
  std::thread thread_;
  GMainLoop* loop_ = nullptr;
  std::atomic<bool> ready_ = false;
};

// The installed system on a private bus, the extension running and a monitored folder of
// 10,000 files; the bridge of this process is the one a file manager's module would use.
struct BridgeSession {
  BridgeSession() {
    auto environment = env.sessionEnvironment();
    plovane::testing::runProcess({PLOVANE_FINDER, "install"}, environment);
    for (int index = 0; index < kFolderSize; ++index) {
      std::ofstream(work / ("file-" + std::to_string(index) + ".txt")).put('x');
    }
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{work.string()}, plovane::keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, plovane::keys::foldersArraystate);
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    for (const auto& [name, value] : bus->clientEnvironment())
      setenv(name.c_str(), value.c_str(), 1);
    connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    // Started once through the bus, it writes the directory set the bridge reads.
    g_variant_unref(callSync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "StartServiceByName",
                             g_variant_new("(su)", names::kService, 0u)));
  }

  std::vector<std::string> selection() const { return {(work / "file-0.txt").string()}; }

  plovane::testing::TestEnvironment env;
  fs::path work = plovane::testing::makeFolder(env.home.path() / "Work");
  std::optional<plovane::testing::PrivateSessionBus> bus;
  GDBusConnection* connection = nullptr;
};

BridgeSession& session() {
  static BridgeSession instance;
  return instance;
}

Bridge& bridge() { return Bridge::shared("nautilus"); }

std::string menuReplyText(BridgeSession& desktop) {
  GVariant* reply =
      callSync(desktop.connection, names::kService, names::kPath, names::kInterface,
               names::kMenu.name, g_variant_new("(i@aay)", 0, pathsVariant(desktop.selection())));
  if (reply == nullptr) return {};
  const gchar* text = nullptr;
  g_variant_get(reply, "(&s)", &text);
  std::string copy = text;
  g_variant_unref(reply);
  return copy;
}

void BM_BridgeMenuRoundTrip(benchmark::State& state) {
  auto& desktop = session();
  if (bridge().menu(MenuKind::items, desktop.selection()).empty()) {
    state.SkipWithError("the bridge got no menu");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(bridge().menu(MenuKind::items, desktop.selection()));
    samples.push_back(elapsedMicroseconds(start));
  }
  reportPercentiles(state, samples);
}
BENCHMARK(BM_BridgeMenuRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The bridge's own share of the round trip: the extension's reply turned into entries.
void BM_BridgeReadsTheMenuReply(benchmark::State& state) {
  const std::string reply = menuReplyText(session());
  if (reply.empty()) {
    state.SkipWithError("the extension gave no menu");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(plovane::bridge::entriesFromMenuReply(reply));
    samples.push_back(elapsedMicroseconds(start));
  }
  state.counters["reply_bytes"] = static_cast<double>(reply.size());
  reportPercentiles(state, samples);
}
BENCHMARK(BM_BridgeReadsTheMenuReply)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_BareCallWithTheSameReplySize(benchmark::State& state) {
  auto& desktop = session();
  const std::string reply = menuReplyText(desktop);
  if (reply.empty()) {
    state.SkipWithError("the extension gave no menu to copy the size of");
    return;
  }
  EchoService echo(std::string(reply.size(), 'x'));
  std::vector<double> samples;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    GVariant* answer = callSync(desktop.connection, kEchoService, "/echo", kEchoService, "Menu",
                                g_variant_new("(i@aay)", 0, pathsVariant(desktop.selection())));
    samples.push_back(elapsedMicroseconds(start));
    g_variant_unref(answer);
  }
  state.counters["reply_bytes"] = static_cast<double>(reply.size());
  reportPercentiles(state, samples);
}
BENCHMARK(BM_BareCallWithTheSameReplySize)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// What one batch of badge requests costs the extension, the time a menu asked behind it waits.
void BM_ExtensionTakesABatchOfBadges(benchmark::State& state) {
  auto& desktop = session();
  std::vector<std::string> paths;
  for (int index = 0; index < state.range(0); ++index) {
    paths.push_back((desktop.work / ("file-" + std::to_string(index) + ".txt")).string());
  }
  for (auto _ : state) {
    GVariant* reply =
        callSync(desktop.connection, names::kService, names::kPath, names::kInterface,
                 names::kRequestBadges.name, g_variant_new("(@aay)", pathsVariant(paths)));
    if (reply == nullptr) {
      state.SkipWithError("the extension refused the badge requests");
      return;
    }
    g_variant_unref(reply);
  }
}
BENCHMARK(BM_ExtensionTakesABatchOfBadges)->Unit(benchmark::kMillisecond)->Arg(250)->Arg(1000);

// A file manager showing the whole folder asks for every file's badge at once; the user
// right-clicks meanwhile. Each iteration shows the folder and asks for menus until the
// extension has taken every request.
void BM_MenusWhileAFolderOf10000FilesAsksForBadges(benchmark::State& state) {
  auto& desktop = session();
  std::vector<double> samples;
  std::size_t answered = 0;
  std::size_t asked = 0;
  for (auto _ : state) {
    for (int index = 0; index < kFolderSize; ++index) {
      bridge().requestBadge((desktop.work / ("file-" + std::to_string(index) + ".txt")).string());
    }
    // The requests go out from the main loop, as in the file manager.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    for (int menu = 0; menu < 60; ++menu) {
      const auto start = std::chrono::steady_clock::now();
      answered += bridge().menu(MenuKind::items, desktop.selection()).empty() ? 0 : 1;
      ++asked;
      samples.push_back(elapsedMicroseconds(start));
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
    }
  }
  state.counters["menus_answered"] = static_cast<double>(answered);
  state.counters["menus_asked"] = static_cast<double>(asked);
  reportPercentiles(state, samples);
}
BENCHMARK(BM_MenusWhileAFolderOf10000FilesAsksForBadges)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
