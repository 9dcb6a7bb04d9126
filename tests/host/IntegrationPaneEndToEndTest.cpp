// The Extensions pane as a person reaches it: the installed settings app on an X server and a
// session bus of the test's own opens it, a switch is pressed through the accessibility tree, and
// the stand-in file manager obeys what the store then holds.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "desktop/BusNames.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"
#include "support/VirtualDisplay.h"

namespace plovane {
namespace {

namespace fs = std::filesystem;
namespace host_state = platform::protocol::host_state;
using platform::PlistArray;
using platform::PlistValue;
using testing::runProcess;

constexpr char kPane[] = "plovane-integration";
constexpr char kStandInSwitch[] = "check box:Show the menu in Plovane Finder";

class IntegrationPaneEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::VirtualDisplay::available()) {
      GTEST_SKIP() << "needs Xvfb, at-spi2-core and python3-pyatspi (.ci/install-deps)";
    }
    display.emplace(env.home.path());
    auto environment = env.sessionEnvironment();
    const auto installed = runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    for (const auto& [name, value] : display->displayEnvironment()) environment[name] = value;
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    display->startAccessibilityBus(bus->clientEnvironment());
  }

  // The settings app past its first run, on a PATH where the only file manager is Nemo.
  void startApp() {
    env.defaults.standardUserDefaults(kAppBundleIdentifier)->setObject(true, keys::firstRun);
    const fs::path bin = testing::makeFolder(env.home.path() / "bin", {"nemo"});
    fs::permissions(bin / "nemo", fs::perms::owner_all);
    auto environment = display->environment();
    environment["PATH"] = bin.string();
    const auto program = env.defaults.root() / "Applications" / "PlovaneMenu.app" / "plovane-menu";
    app.emplace(std::vector<std::string>{program.string()}, environment,
                env.home.path() / "app.log");
  }

  void drive(const std::string& application, const std::vector<std::string>& steps) {
    const auto result = display->drive(application, steps);
    if (result.exitCode == 0) return;
    FAIL() << result.standardError << "\napp log:\n"
           << testing::fileContents(env.home.path() / "app.log") << "\ntree:\n"
           << display->drive(application, {"dump"}).standardOutput;
  }

  std::optional<PlistValue> switchedOff() {
    platform::UserDefaultsRoot other(env.defaults.root(), {});
    return other.standardUserDefaults(host_state::kDomain)
        ->objectForKey(host_state::kDisabledFileManagers);
  }

  testing::ProcessResult menuOf(const fs::path& item) {
    return runProcess({PLOVANE_FINDER, "menu", item.string()}, display->environment());
  }

  template <class Condition>
  void waitUntil(Condition condition) {
    for (int attempt = 0; attempt < 500 && !condition(); ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(condition());
  }

  testing::TestEnvironment env;
  std::optional<testing::VirtualDisplay> display;
  std::optional<testing::PrivateSessionBus> bus;
  std::optional<testing::BackgroundProcess> app;
};

TEST_F(IntegrationPaneEndToEndTest, TheGeneralTabOpensThePaneWhoseSwitchTheStandInObeys) {
  const fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
  auto store = env.openSuite();
  store->setObject(PlistArray{work.string()}, keys::foldersArray);
  store->setObject(PlistArray{1}, keys::foldersArraystate);
  startApp();
  drive("plovane-menu", {"press:push button:Open Extension Settings"});
  drive(kPane, {"expect:label:Plovane Finder: installed",
                "expect-state:check box:Show the menu in Nemo:checked",
                std::string("expect-state:") + kStandInSwitch + ":checked",
                std::string("press:") + kStandInSwitch,
                std::string("expect-not-state:") + kStandInSwitch + ":checked"});
  waitUntil([&] { return switchedOff() == PlistValue(PlistArray{"plovane-finder"}); });
  const auto refused = menuOf(work / "notes.txt");
  EXPECT_EQ(refused.exitCode, 1) << refused.standardOutput;
  EXPECT_EQ(refused.standardOutput, "");
  EXPECT_NE(refused.standardError.find("switched off in Plovane Finder"), std::string::npos)
      << refused.standardError;

  drive(kPane, {std::string("press:") + kStandInSwitch,
                std::string("expect-state:") + kStandInSwitch + ":checked"});
  waitUntil([&] { return switchedOff() == PlistValue(PlistArray{}); });
  const auto served = menuOf(work / "notes.txt");
  EXPECT_EQ(served.exitCode, 0) << served.standardError << bus->log();
  EXPECT_NE(served.standardOutput.find("Utility Kit"), std::string::npos);
}

}  // namespace
}  // namespace plovane
