// The settings app's cold start, from the process's start to its first window shown, beside a
// bare Qt Widgets program measured the same way in the same run: each owns a bus name, and its
// answer to Activate comes once the window it shows at launch is up.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>
#include <chrono>
#include <optional>
#include <thread>

#include "shared/SettingsKeys.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace {

namespace fs = std::filesystem;

struct AppSession {
  AppSession() {
    static int argc = 1;
    static char name[] = "plovane_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) static QCoreApplication application(argc, argv);
    environment = {{"PLOVANE_HOME", env.defaults.root().string()},
                   {"HOME", env.home.path().string()},
                   {"XDG_DATA_HOME", (env.home.path() / "share").string()},
                   {"XDG_CONFIG_HOME", (env.home.path() / "config").string()},
                   {"QT_QPA_PLATFORM", "offscreen"}};
    plovane::testing::runProcess({PLOVANE_FINDER, "install"}, environment);
    env.defaults.standardUserDefaults(plovane::kAppBundleIdentifier)
        ->setObject(true, plovane::keys::firstRun);
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    connection.emplace(QDBusConnection::connectToBus(
        QString::fromStdString(bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")),
        "app-bench"));
  }

  // Seconds from the start of `program` until it answered Activate at `path`.
  double startToWindow(const std::string& program, const QString& service, const QString& path) {
    const auto started = std::chrono::steady_clock::now();
    plovane::testing::BackgroundProcess process({program}, bus->clientEnvironment(),
                                                env.home.path() / "bench.log");
    while (!connection->interface()->isServiceRegistered(service).value()) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    auto activate = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    activate << QVariantMap();
    connection->call(activate);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    return took.count();
  }

  fs::path installedApp() const {
    return env.defaults.root() / "Applications" / "PlovaneMenu.app" / "plovane-menu";
  }

  plovane::testing::TestEnvironment env;
  std::map<std::string, std::string> environment;
  std::optional<plovane::testing::PrivateSessionBus> bus;
  std::optional<QDBusConnection> connection;
};

AppSession& session() {
  static AppSession shared;
  return shared;
}

void BM_SettingsAppStartToFirstWindow(benchmark::State& state) {
  auto& app = session();
  for (auto _ : state) {
    state.SetIterationTime(app.startToWindow(app.installedApp().string(),
                                             QStringLiteral("com.quenlow.plovanemenu"),
                                             QStringLiteral("/com/quenlow/plovanemenu")));
  }
}
BENCHMARK(BM_SettingsAppStartToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareQtWidgetsStartToFirstWindow(benchmark::State& state) {
  auto& app = session();
  for (auto _ : state) {
    state.SetIterationTime(app.startToWindow(PLOVANE_BARE_QT_WINDOW,
                                             QStringLiteral("org.plovane.BareWindow"),
                                             QStringLiteral("/org/plovane/BareWindow")));
  }
}
BENCHMARK(BM_BareQtWidgetsStartToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
