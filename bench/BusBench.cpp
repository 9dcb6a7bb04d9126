// The right-click as the user feels it on the desktop: the stand-in asks the running extension
// for the menu over the session bus and reads the answer; and the first right-click of a
// session, when the bus must start the extension first.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QThread>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>

#include "bench/Percentiles.h"
#include "desktop/findersync/FinderSyncClient.h"
#include "protocol/FinderSyncProtocol.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
using platform::PlistArray;
using plovane::bench::elapsedMicroseconds;
using plovane::bench::reportPercentiles;

// One installed system on a private bus, shared by the benchmarks of this file. `finder` is the
// stand-in that installs it, with the bundles of its build beside it.
struct DesktopSession {
  explicit DesktopSession(const std::string& finder = PLOVANE_FINDER,
                          const QString& connectionName = "bench") {
    static int argc = 1;
    static char name[] = "plovane_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    auto environment = env.sessionEnvironment();
    plovane::testing::runProcess({finder, "install"}, environment);
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{work.string()}, plovane::keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, plovane::keys::foldersArraystate);
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    connection.emplace(QDBusConnection::connectToBus(
        QString::fromStdString(bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")),
        connectionName));
    client.emplace(*connection);
  }

  void stopExtension() {
    auto* names = connection->interface();
    const QString service = platform::protocol::kService;
    const auto pid = names->servicePid(service);
    if (!pid.isValid()) return;
    ::kill(static_cast<pid_t>(pid.value()), SIGTERM);
    while (names->isServiceRegistered(service)) QThread::usleep(200);
  }

  bool rightClick() {
    return std::holds_alternative<platform::desktop::TransportedMenu>(
        client->menu(platform::FIMenuKind::contextualMenuForItems,
                     {platform::NSURL::fileURLWithPath((work / "photo.png").string())}));
  }

  plovane::testing::TestEnvironment env;
  fs::path work = plovane::testing::makeFolder(env.home.path() / "Work", {"photo.png"});
  std::optional<plovane::testing::PrivateSessionBus> bus;
  std::optional<QDBusConnection> connection;
  std::optional<platform::desktop::FinderSyncClient> client;
};

DesktopSession& session() {
  static DesktopSession instance;
  return instance;
}

void BM_RightClickRoundTripOverTheBus(benchmark::State& state) {
  auto& desktop = session();
  if (desktop.client->start() || !desktop.rightClick()) {
    state.SkipWithError("the extension did not answer");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(desktop.rightClick());
    samples.push_back(elapsedMicroseconds(start));
  }
  reportPercentiles(state, samples);
}
BENCHMARK(BM_RightClickRoundTripOverTheBus)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// PLOVANE_BENCH_BASELINE_FINDER names another build's stand-in (a build tree's bin/, its
// bundles/ beside it): both installed systems answer the same right-click on buses of their own,
// in turns, so a change is measured against what came before it in one run.
void BM_RightClickBesideBaselineBuild(benchmark::State& state) {
  const char* baselineFinder = std::getenv("PLOVANE_BENCH_BASELINE_FINDER");
  if (baselineFinder == nullptr) {
    state.SkipWithError("PLOVANE_BENCH_BASELINE_FINDER is not set");
    return;
  }
  auto& desktop = session();
  static DesktopSession baseline(baselineFinder, "bench-baseline");
  for (auto* one : {&desktop, &baseline}) {
    if (one->client->start() || !one->rightClick()) {
      state.SkipWithError("an extension did not answer");
      return;
    }
  }
  std::vector<double> ours, theirs;
  bool oursFirst = true;
  for (auto _ : state) {
    for (auto* one :
         oursFirst ? std::array{&desktop, &baseline} : std::array{&baseline, &desktop}) {
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(one->rightClick());
      (one == &desktop ? ours : theirs).push_back(elapsedMicroseconds(start));
    }
    oursFirst = !oursFirst;
  }
  std::sort(theirs.begin(), theirs.end());
  const double baselineMedian = theirs[theirs.size() / 2];
  state.counters["baseline_median_us"] = baselineMedian;
  state.counters["baseline_p99_us"] = theirs[(theirs.size() - 1) * 99 / 100];
  reportPercentiles(state, ours);
  state.counters["ratio"] = state.counters["median_us"] / baselineMedian;
}
BENCHMARK(BM_RightClickBesideBaselineBuild)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_ColdStartThroughActivationToFirstMenu(benchmark::State& state) {
  auto& desktop = session();
  std::vector<double> samples;
  for (auto _ : state) {
    state.PauseTiming();
    desktop.stopExtension();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    // The menu call itself starts the extension: the bus activates it on the first message.
    if (!desktop.rightClick()) {
      state.SkipWithError("the extension did not start");
      return;
    }
    samples.push_back(elapsedMicroseconds(start));
  }
  reportPercentiles(state, samples);
}
BENCHMARK(BM_ColdStartThroughActivationToFirstMenu)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
