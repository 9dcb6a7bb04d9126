// The real settings app on an X server and a session bus of the test's own, driven from outside
// through its accessibility tree as a screen reader user would, with the effects read from the
// store files.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"
#include "support/VirtualDisplay.h"

namespace plovane {
namespace {

namespace fs = std::filesystem;
using platform::PlistValue;
using testing::runProcess;

constexpr char kApplicationName[] = "plovane-menu";
constexpr char kEnabled[] = "Plovane Menu Extension is enabled";

std::string plistText(const fs::path& file) {
  return runProcess({"plistutil", "-i", file.string(), "-f", "xml"}).standardOutput;
}

class SettingsAppEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::VirtualDisplay::available()) {
      GTEST_SKIP() << "needs Xvfb, at-spi2-core and python3-pyatspi (.ci/install-deps)";
    }
    display.emplace(env.home.path());
    auto environment = env.sessionEnvironment();
    const auto installed = runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    // Every program the bus starts shows its windows on the test's display.
    for (const auto& [name, value] : display->displayEnvironment()) environment[name] = value;
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    display->startAccessibilityBus(bus->clientEnvironment());
  }

  void markFirstRunDone() {
    env.defaults.standardUserDefaults(kAppBundleIdentifier)->setObject(true, keys::firstRun);
  }

  fs::path installedApp() const {
    return env.defaults.root() / "Applications" / "PlovaneMenu.app" / "plovane-menu";
  }

  void startApp() {
    app.emplace(std::vector<std::string>{installedApp().string()}, display->environment(),
                env.home.path() / "app.log");
  }

  // Runs the steps; on failure, says what the app logged and what its window held.
  void drive(const std::vector<std::string>& steps) {
    const auto result = display->drive(kApplicationName, steps);
    if (result.exitCode == 0) return;
    const auto tree = display->drive(kApplicationName, {"dump"});
    FAIL() << result.standardError << "\napp log:\n"
           << testing::fileContents(env.home.path() / "app.log") << "\ntree:\n"
           << tree.standardOutput;
  }

  std::optional<PlistValue> stored(const char* key) { return env.openSuite()->objectForKey(key); }

  testing::TestEnvironment env;
  std::optional<testing::VirtualDisplay> display;
  std::optional<testing::PrivateSessionBus> bus;
  std::optional<testing::BackgroundProcess> app;
};

TEST_F(SettingsAppEndToEndTest, APersonTogglesAnOptionAndACommandAndReadsTheVersion) {
  markFirstRunDone();
  startApp();
  drive({"expect:page tab:General", "expect-state:check box:Show icons in the menu:checked",
         "press:check box:Show icons in the menu",
         "expect-not-state:check box:Show icons in the menu:checked"});
  EXPECT_EQ(stored(keys::showmenuicon), PlistValue(false));
  EXPECT_EQ(stored(keys::showinSubMenu), PlistValue(false));

  drive({"press:page tab:Menu Items", "expect-state:check box:Open Terminal:checked",
         "press:check box:Open Terminal", "expect-not-state:check box:Open Terminal:checked",
         "expect-state:check box:Add Folders:checked"});
  const auto list = env.openSuite()->arrayForKey(keys::menuArrayDic);
  ASSERT_TRUE(list && list->size() == 16u);
  const auto* first = list->front().as<platform::PlistDictionary>();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->at("title"), PlistValue("Open Terminal"));
  EXPECT_EQ(first->at("state"), PlistValue(false))
      << plistText(env.defaults.fileForDomain(kSuiteName));

  drive(
      {"press:page tab:About", "expect:label:Version 1.9", "expect:push button:Rate Plovane Menu"});
}

TEST_F(SettingsAppEndToEndTest, TheGeneralTabSeesTheExtensionStartedFromIt) {
  markFirstRunDone();
  startApp();
  drive({"expect:push button:Open Extension Settings", "press:push button:Open Extension Settings",
         std::string("expect:label:") + kEnabled});
}

TEST_F(SettingsAppEndToEndTest, TheExtensionOpensTheAppAndASecondStartOnlyBringsItForward) {
  const fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
  auto store = env.openSuite();
  store->setObject(platform::PlistArray{work.string()}, keys::foldersArray);
  store->setObject(platform::PlistArray{1}, keys::foldersArraystate);
  auto chooserEnvironment = display->environment();
  const auto chosen = runProcess(
      {PLOVANE_FINDER, "choose", "Configure Plovane Menu Settings", (work / "notes.txt").string()},
      chooserEnvironment);
  ASSERT_EQ(chosen.exitCode, 0) << chosen.standardError << bus->log();
  // A first start shows the welcome.
  drive({"expect:push button:Finish"});

  const auto second = runProcess({installedApp().string()}, display->environment());
  EXPECT_EQ(second.exitCode, 0) << second.standardError;
  drive({"expect:push button:Finish", "press:push button:Finish"});
  // The press lands on the event loop a moment later; then the app writes and quits.
  auto ownDefaults = env.defaults.standardUserDefaults(kAppBundleIdentifier);
  for (int attempt = 0; attempt < 500 && !ownDefaults->objectForKey(keys::firstRun); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(ownDefaults->objectForKey(keys::firstRun), PlistValue(true));
}

}  // namespace
}  // namespace plovane
