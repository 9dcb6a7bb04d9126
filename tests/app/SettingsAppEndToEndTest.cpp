// The real settings app on an X server and a session bus of the test's own, driven from outside
// through its accessibility tree as a screen reader user would, with the effects read from the
// store files.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

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
    // The user's mail client, as xdg-email finds it: a recorder of what it was given.
    environment.insert(busEnvironment.begin(), busEnvironment.end());
    environment["MAILER"] = PLOVANE_ARGUMENT_RECORDER;
    environment["PLOVANE_RECORDED_ARGUMENTS"] = mailRecord().string();
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

  // Runs the steps; on failure, says what the app and its X server logged and what its window held.
  void drive(const std::vector<std::string>& steps) {
    const auto result = display->drive(kApplicationName, steps);
    if (result.exitCode == 0) return;
    const auto tree = display->drive(kApplicationName, {"dump"});
    FAIL() << result.standardError << "\napp log:\n"
           << testing::fileContents(env.home.path() / "app.log") << "\nX server log:\n"
           << testing::fileContents(env.home.path() / "xvfb.log") << "\ntree:\n"
           << tree.standardOutput;
  }

  std::optional<PlistValue> stored(const char* key) { return env.openSuite()->objectForKey(key); }

  fs::path mailRecord() const { return env.home.path() / "mail-client.txt"; }
  fs::path monitoredItem() {
    const fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
    auto store = env.openSuite();
    store->setObject(platform::PlistArray{work.string()}, keys::foldersArray);
    store->setObject(platform::PlistArray{1}, keys::foldersArraystate);
    return work / "notes.txt";
  }

  // Asks the test's bus itself about `name`; gdbus prints the reply.
  testing::ProcessResult askBus(const char* method, const char* name) {
    return runProcess(
        {"/usr/bin/gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
         "/org/freedesktop/DBus", "--method", std::string("org.freedesktop.DBus.") + method, name},
        display->environment());
  }

  // Whether the settings app holds its name on the test's bus.
  bool appRuns() {
    return askBus("NameHasOwner", kAppBundleIdentifier).standardOutput.find("true") !=
           std::string::npos;
  }

  // "Send via Mail" on `item` in the stand-in, and the file chosen in the app's panel.
  void sendViaMail(const fs::path& item) {
    const auto chosen = finder({"choose", "Send via Mail", item.string()});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.standardError << bus->log();
    drive({"expect:push button:Attach to Mail", "type:text:File name::" + item.string(),
           "press:push button:Attach to Mail"});
    waitUntil([&] { return fs::exists(mailRecord()); });
    const std::string message = testing::fileContents(mailRecord());
    EXPECT_NE(message.find("mailto:"), std::string::npos) << message;
    EXPECT_NE(message.find("attach="), std::string::npos) << message;
    EXPECT_NE(message.find(item.filename().string()), std::string::npos) << message;
  }

  // The stand-in file manager on the test's bus and display.
  testing::ProcessResult finder(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PLOVANE_FINDER);
    return runProcess(arguments, display->environment());
  }

  // What the app does on a press lands a moment after the press.
  template <class Condition>
  void waitUntil(Condition condition) {
    for (int attempt = 0; attempt < 500 && !condition(); ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(condition());
  }

  // Ends the running extension, as logging out or a crash would; the next request starts it.
  void restartExtension() {
    const auto reply = askBus("GetConnectionUnixProcessID", kExtensionBundleIdentifier);
    ASSERT_EQ(reply.exitCode, 0) << reply.standardError;
    const pid_t pid = std::stoi(reply.standardOutput.substr(reply.standardOutput.find(' ') + 1));
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    waitUntil([pid] { return ::kill(pid, 0) != 0; });
  }

  testing::TestEnvironment env;
  // What a test adds to the environment of the bus and the programs it starts.
  std::map<std::string, std::string> busEnvironment;
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

// Installed, the bus starts it at the next right-click: that is enabled, and asking starts nothing.
TEST_F(SettingsAppEndToEndTest, TheGeneralTabSaysEnabledOfAnInstalledExtensionThatDoesNotRun) {
  markFirstRunDone();
  startApp();
  drive({std::string("expect:label:") + kEnabled});
  EXPECT_EQ(askBus("NameHasOwner", kExtensionBundleIdentifier).standardOutput, "(false,)\n")
      << bus->log();
}

// The tab asks every 5 seconds whether the extension runs; asking is not using it.
class IdleExtensionSettingsAppTest : public SettingsAppEndToEndTest {
 protected:
  IdleExtensionSettingsAppTest() { busEnvironment["PLOVANE_IDLE_EXIT_SECONDS"] = "6"; }
};

TEST_F(IdleExtensionSettingsAppTest, WithTheGeneralTabOpenAnIdleExtensionStillEnds) {
  markFirstRunDone();
  startApp();
  drive({"press:push button:Open Extension Settings", std::string("expect:label:") + kEnabled});
  const auto runs = [&] {
    return askBus("NameHasOwner", kExtensionBundleIdentifier).standardOutput == "(true,)\n";
  };
  waitUntil(runs);
  // Past its idle time, and past the tab's next checks, it has gone.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(40);
  while (runs() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_FALSE(runs()) << bus->log();
  EXPECT_NE(bus->log().find("idle for 6 s: exiting"), std::string::npos) << bus->log();
  drive({std::string("expect:label:") + kEnabled});
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
  // A first start shows the onboarding.
  drive({"expect:push button:Choose Folders\u2026"});

  const auto second = runProcess({installedApp().string()}, display->environment());
  EXPECT_EQ(second.exitCode, 0) << second.standardError;
  drive({"expect:push button:Choose Folders\u2026"});
}

TEST_F(SettingsAppEndToEndTest, ANewUserIsLedFromTheFirstStartToTheMenuInTheirFolder) {
  const fs::path photos = testing::makeFolder(env.home.path() / "Photos", {"beach.jpg"});
  startApp();
  // Installed where the bus starts it, the extension is enabled: the first step is done already.
  drive({"expect-not-state:push button:Enable Plovane Menu Extension:enabled",
         "press:push button:Choose Folders\u2026", "expect:push button:Grant Access",
         "type:text:File name::" + photos.string(), "press:push button:Grant Access",
         "press:push button:OK"});
  EXPECT_EQ(app->waitForExit(30), 0);
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(platform::PlistArray{photos.string()}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(platform::PlistArray{1}));
  EXPECT_EQ(env.defaults.standardUserDefaults(kAppBundleIdentifier)->objectForKey(keys::firstRun),
            PlistValue(true));

  // The folder chosen reaches the extension at its start, at the first right-click.
  const auto menu = finder({"menu", (photos / "beach.jpg").string()});
  EXPECT_EQ(menu.exitCode, 0) << menu.standardError << bus->log();
  EXPECT_NE(menu.standardOutput.find("Utility Kit"), std::string::npos) << menu.standardOutput;
}

// A file where the settings folder belongs: the app starts all the same, says why nothing is
// kept, and stays.
TEST_F(SettingsAppEndToEndTest, WithoutASettingsFolderTheAppSaysWhyAndRuns) {
  const fs::path folder = env.defaults.fileForDomain(kSuiteName).parent_path();
  fs::remove_all(folder);
  { std::ofstream blocker(folder); }
  startApp();
  drive({"expect:label:Plovane Menu cannot save its settings.", "press:push button:OK",
         "expect:push button:Choose Folders\u2026"});
  EXPECT_TRUE(appRuns());
}

TEST_F(SettingsAppEndToEndTest, AFolderAddedInTheTabIsServedAndOnceSwitchedOffIsNotAfterARestart) {
  markFirstRunDone();
  const fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
  const auto item = (work / "notes.txt").string();
  startApp();
  drive({"press:page tab:Monitored Folders", "press:push button:Add Folder\u2026",
         "expect:push button:Grant Access", "type:text:Directory::" + work.string(),
         "press:push button:Grant Access", "expect-state:check box:" + work.string() + ":checked"});
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(platform::PlistArray{work.string()}));
  EXPECT_EQ(finder({"menu", item}).exitCode, 0) << bus->log();

  drive({"press:check box:" + work.string(),
         "expect-not-state:check box:" + work.string() + ":checked"});
  waitUntil([&] { return stored(keys::foldersArraystate) == PlistValue(platform::PlistArray{0}); });
  restartExtension();
  const auto refused = finder({"menu", item});
  EXPECT_EQ(refused.exitCode, 1) << refused.standardOutput << bus->log();
  EXPECT_NE(refused.standardError.find("not inside a monitored folder"), std::string::npos);
}

TEST_F(SettingsAppEndToEndTest, TheCustomFoldersTabFollowsTheMenuAndDeletesFromIt) {
  markFirstRunDone();
  const fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
  const fs::path docs = testing::makeFolder(env.home.path() / "Docs", {"a.txt"});
  const auto item = (work / "notes.txt").string();
  auto store = env.openSuite();
  store->setObject(platform::PlistArray{work.string()}, keys::foldersArray);
  store->setObject(platform::PlistArray{1}, keys::foldersArraystate);
  startApp();
  drive({"press:page tab:Custom Folders", "expect:filler:Custom folders"});

  // The extension shows its panel at the display, where the person chooses the folder.
  {
    testing::BackgroundProcess chooser({PLOVANE_FINDER, "choose", "Add Folders", item},
                                       display->environment(), env.home.path() / "choose.log");
    const auto chosen =
        display->drive("plovane-menu-extension",
                       {"expect:push button:Add", "type:text:Directory::" + docs.string(),
                        "press:push button:Add"});
    ASSERT_EQ(chosen.exitCode, 0)
        << chosen.standardError
        << display->drive("plovane-menu-extension", {"dump"}).standardOutput;
    ASSERT_EQ(chooser.waitForExit(30), 0) << testing::fileContents(env.home.path() / "choose.log");
  }
  EXPECT_NE(finder({"menu", item}).standardOutput.find("Docs"), std::string::npos);
  // The row appears without anything done in the app; deleting it there leaves the menu.
  drive({"expect:label:Docs", "press:push button:Delete Docs"});
  waitUntil(
      [&] { return stored(keys::arrCustomFoldersUrls) == PlistValue(platform::PlistArray{}); });
  const auto menu = finder({"menu", item});
  ASSERT_EQ(menu.exitCode, 0) << menu.standardError;
  EXPECT_EQ(menu.standardOutput.find("Docs"), std::string::npos) << menu.standardOutput;
}

TEST_F(SettingsAppEndToEndTest, SendViaMailStartsTheAppForOneMessageAndItLeavesAfterwards) {
  markFirstRunDone();
  sendViaMail(monitoredItem());
  // Only for mail: no window; it stays a while for the mail client, then ends by itself.
  EXPECT_TRUE(appRuns());
  const auto windows = display->drive(kApplicationName, {"dump"}).standardOutput;
  EXPECT_EQ(windows.find("filler: Plovane Menu"), std::string::npos) << windows;
  for (int attempt = 0; attempt < 600 && appRuns(); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_FALSE(appRuns()) << bus->log();
}

TEST_F(SettingsAppEndToEndTest, SendViaMailReachesTheRunningAppAndItStays) {
  markFirstRunDone();
  const auto item = monitoredItem();
  startApp();
  drive({"expect:page tab:General"});
  sendViaMail(item);
  EXPECT_TRUE(app->running());
  drive({"expect:page tab:General"});
}

TEST_F(SettingsAppEndToEndTest, UtilityKitStartsTheAppWhichOpensTheOtherAppsWindow) {
  markFirstRunDone();
  const auto started = finder({"choose", "Utility Kit", monitoredItem().string()});
  ASSERT_EQ(started.exitCode, 0) << started.standardError << bus->log();
  drive({"expect:filler:Utility Kit", "expect:filler:Plovane Menu"});
}

TEST_F(SettingsAppEndToEndTest, UtilityKitReachesTheRunningApp) {
  markFirstRunDone();
  const auto item = monitoredItem();
  startApp();
  drive({"expect:page tab:General"});
  const auto shown = finder({"choose", "Utility Kit", item.string()});
  ASSERT_EQ(shown.exitCode, 0) << shown.standardError << bus->log();
  drive({"expect:filler:Utility Kit"});
}

}  // namespace
}  // namespace plovane
