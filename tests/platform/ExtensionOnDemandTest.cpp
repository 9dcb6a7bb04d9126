// The settings app's "is the extension enabled" as the desktop workspace answers it: the
// extension counts as a running accessory when it runs, or when the session bus would start it
// for a file manager that shows the menu. Asking starts nothing.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <algorithm>
#include <fstream>
#include <map>
#include <optional>

#include "desktop/DesktopWorkspace.h"
#include "desktop/RunningApplicationRegistration.h"
#include "desktop/filemanagers/MenuSwitches.h"
#include "protocol/FinderSyncProtocol.h"
#include "sim/RecordingSystemLog.h"
#include "support/EnvironmentOverride.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

namespace fs = std::filesystem;
using plovane::testing::EnvironmentOverride;
using plovane::testing::TemporaryFolder;

struct Case {
  const char* what;
  bool running;
  bool activatable;
  bool switchedOff;
  bool listed;
};

class ExtensionOnDemandTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    plovane::testing::qtApplication();
    plovane::testing::makeFolder(bin, {kStandInProgram});
    fs::permissions(bin / kStandInProgram, fs::perms::owner_all);
    if (GetParam().activatable) {
      std::ofstream(services / "extension.service")
          << "[D-BUS Service]\nName=" << protocol::kService << "\nExec=/usr/bin/touch "
          << started.string() << "\n";
    }
    if (GetParam().switchedOff) {
      UserDefaultsRoot defaults(home.path(), {});
      ASSERT_EQ(MenuSwitches(defaults).setOn(kStandInProgram, false), std::nullopt);
    }
    bus.emplace(home.path(), services, std::map<std::string, std::string>{});
    connection.emplace(QDBusConnection::connectToBus(
        QString::fromStdString(bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")),
        "plovane-settings-app"));
    // The stand-in is the only file manager on this PATH, set once the bus daemon has started.
    path.emplace("PATH", bin.string());
  }
  void TearDown() override { QDBusConnection::disconnectFromBus("plovane-settings-app"); }

  int timesListed(const std::vector<NSRunningApplication>& running) {
    return static_cast<int>(std::count_if(running.begin(), running.end(), [](const auto& app) {
      return app.bundleIdentifier == protocol::kService &&
             app.activationPolicy == NSApplicationActivationPolicy::accessory;
    }));
  }

  TemporaryFolder home;
  fs::path bin = plovane::testing::makeFolder(home.path() / "bin");
  fs::path services = plovane::testing::makeFolder(home.path() / "services");
  fs::path started = home.path() / "extension-started";
  std::optional<EnvironmentOverride> path;
  EnvironmentOverride store{"PLOVANE_HOME", home.path().string()};
  EnvironmentOverride dataFolders{"XDG_DATA_DIRS", (home.path() / "none").string()};
  sim::RecordingSystemLog log;
  std::optional<plovane::testing::PrivateSessionBus> bus;
  std::optional<QDBusConnection> connection;
};

TEST_P(ExtensionOnDemandTest, TheExtensionIsListedWhenItRunsOrTheBusStartsItForAFileManager) {
  std::optional<QDBusConnection> extension;
  QObject application;
  if (GetParam().running) {
    extension.emplace(QDBusConnection::connectToBus(
        QString::fromStdString(bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")),
        "plovane-extension"));
    auto* registration =
        new RunningApplicationRegistration(&application, NSApplicationActivationPolicy::accessory);
    ASSERT_TRUE(registration->publish(*extension, protocol::kService));
  }
  DesktopWorkspace workspace(*connection, BundleRegistry({home.path()}), log);
  EXPECT_EQ(timesListed(workspace.runningApplications()), GetParam().listed ? 1 : 0);
  if (!GetParam().running) {
    EXPECT_FALSE(connection->interface()->isServiceRegistered(protocol::kService).value());
    EXPECT_FALSE(fs::exists(started));
  }
  if (extension) QDBusConnection::disconnectFromBus("plovane-extension");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtensionOnDemandTest,
    ::testing::Values(Case{"Running", true, false, true, true},
                      Case{"StartedOnDemandForTheStandIn", false, true, false, true},
                      Case{"StartedOnDemandButSwitchedOffEverywhere", false, true, true, false},
                      Case{"NotInstalled", false, false, false, false}),
    [](const auto& tested) { return std::string(tested.param.what); });

}  // namespace
}  // namespace platform::desktop
