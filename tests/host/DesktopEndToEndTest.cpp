// The real programs on a session bus of the test's own: the stand-in asks, the extension is
// started by the bus on demand, and a small program stands where the settings app will be.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDBusConnectionInterface>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktop/DesktopWorkspace.h"
#include "desktop/findersync/FinderSyncClient.h"
#include "protocol/FinderSyncProtocol.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/QtApplication.h"
#include "support/RecordedLaunch.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

namespace fs = std::filesystem;
using platform::PlistArray;
using testing::ProcessResult;
using testing::runProcess;

class DesktopEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    environment = env.sessionEnvironment();
    environment.insert(busEnvironment.begin(), busEnvironment.end());
    const auto installed = runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
  }

  fs::path applications() const { return env.defaults.root() / "Applications"; }

  ProcessResult finder(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PLOVANE_FINDER);
    return runProcess(arguments, bus->clientEnvironment());
  }

  void monitor(const fs::path& folder) {
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{folder.string()}, keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, keys::foldersArraystate);
  }

  testing::TestEnvironment env;
  // What a test adds to the environment of the bus and the programs it starts.
  std::map<std::string, std::string> busEnvironment;
  std::map<std::string, std::string> environment;
  std::optional<testing::PrivateSessionBus> bus;
  fs::path work = testing::makeFolder(env.home.path() / "Work", {"photo.png", "notes.txt"});
};

TEST_F(DesktopEndToEndTest, RightClickMenuComesFromTheExtensionTheBusStarted) {
  monitor(work);
  const auto overBus = finder({"menu", "--json", (work / "photo.png").string()});
  ASSERT_EQ(overBus.exitCode, 0) << overBus.standardError << bus->log();
  EXPECT_NE(bus->log().find("FinderSync() launched from"), std::string::npos) << bus->log();

  // The menu that crossed the bus is the one the extension built, entry for entry.
  auto alone = environment;
  alone["DBUS_SESSION_BUS_ADDRESS"] = "";
  const auto inProcess =
      runProcess({PLOVANE_FINDER, "menu", "--json", (work / "photo.png").string()}, alone);
  ASSERT_EQ(inProcess.exitCode, 0) << inProcess.standardError;
  EXPECT_NE(inProcess.standardError.find("no session bus"), std::string::npos);
  EXPECT_EQ(overBus.standardError.find("simulated"), std::string::npos) << overBus.standardError;
  EXPECT_EQ(overBus.standardOutput, inProcess.standardOutput);
  EXPECT_NE(overBus.standardOutput.find("\"title\": \"Utility Kit\""), std::string::npos);

  const auto outside = finder({"menu", env.home.path().string()});
  EXPECT_EQ(outside.exitCode, 1);
  EXPECT_NE(outside.standardError.find("not inside a monitored folder"), std::string::npos);
}

TEST_F(DesktopEndToEndTest, CopiesAFileThroughTwoAnsweredPanels) {
  monitor(work);
  const auto destination = testing::makeFolder(env.home.path() / "Destination");
  auto result =
      finder({"choose", "--answer", "button:OK", "--answer", "ok:" + (work / "photo.png").string(),
              "--answer", "ok:" + destination.string(), "Copy to a folder",
              (work / "photo.png").string()});
  ASSERT_EQ(result.exitCode, 0) << result.standardError << bus->log();
  EXPECT_TRUE(fs::exists(destination / "photo.png"));
  EXPECT_TRUE(fs::exists(work / "photo.png"));
  EXPECT_NE(result.standardOutput.find("prompt: \"Select Destination Folder\""), std::string::npos)
      << result.standardOutput;

  // A modal nobody answered fails the command, and leftover answers do not reach the next one.
  result = finder({"choose", "--answer", "button:OK", "--answer", "cancel", "--answer", "cancel",
                   "Copy to a folder", (work / "notes.txt").string()});
  EXPECT_EQ(result.exitCode, 1) << result.standardError;
  result = finder({"choose", "Copy to a folder", (work / "notes.txt").string()});
  EXPECT_EQ(result.exitCode, 3) << result.standardError;
  EXPECT_NE(result.standardError.find("no answer left"), std::string::npos);
  EXPECT_FALSE(fs::exists(destination / "notes.txt"));
}

TEST_F(DesktopEndToEndTest, HidingAnItemListsItInItsFoldersHiddenFile) {
  monitor(work);
  const auto result = finder({"choose", "--answer", "ok:" + (work / "notes.txt").string(),
                              "Hide item", (work / "notes.txt").string()});
  ASSERT_EQ(result.exitCode, 0) << result.standardError << bus->log();
  EXPECT_EQ(testing::fileContents(work / ".hidden"), "notes.txt\n");
  const auto menu = finder({"menu", (work / "notes.txt").string()});
  EXPECT_NE(menu.standardOutput.find("Unhide item"), std::string::npos) << menu.standardOutput;
}

// A Linux file name is bytes: one that is not UTF-8 must reach the extension unchanged.
TEST_F(DesktopEndToEndTest, ANameThatIsNotUtf8CrossesTheBusUnchanged) {
  monitor(work);
  const std::string name = "caf\xe9.txt";
  testing::makeFolder(work, {name.c_str()});
  const auto item = (work / name).string();
  const auto result = finder({"choose", "--answer", "ok:" + item, "Hide item", item});
  ASSERT_EQ(result.exitCode, 0) << result.standardError << bus->log();
  EXPECT_EQ(testing::fileContents(work / ".hidden"), name + "\n");
}

TEST_F(DesktopEndToEndTest, TheWindowObservesItsFolderAndDrawsTheExtensionsMenu) {
  monitor(work);
  const auto picture = env.home.path() / "window.png";
  const auto result = finder(
      {"--window", work.string(), "--screenshot", picture.string(), "--open-menu-at", "photo.png"});
  ASSERT_EQ(result.exitCode, 0) << result.standardError << bus->log();
  EXPECT_GT(fs::file_size(picture), 0u);
  EXPECT_NE(bus->log().find("beginObservingDirectoryAtURL: " + work.string()), std::string::npos)
      << bus->log();
  EXPECT_NE(bus->log().find("requestBadgeIdentifierForURL: " + (work / "notes.txt").string()),
            std::string::npos);
}

// The bus starts the extension with its standard error going nowhere a user looks: what it
// logs is in the log file of the session's state folder as well.
class ExtensionLogTest : public DesktopEndToEndTest {
 protected:
  ExtensionLogTest() {
    busEnvironment["XDG_STATE_HOME"] = state.string();
    // No terminal program for the extension to find.
    busEnvironment["PATH"] = testing::makeFolder(env.home.path() / "no-programs").string();
  }
  fs::path state = env.home.path() / "state";
};

TEST_F(ExtensionLogTest, AFailedLaunchLandsInTheLogFile) {
  monitor(work);
  const auto chosen = finder({"choose", "Open Terminal", work.string()});
  const std::string failure = " plovane-menu-extension: cannot launch com.apple.Terminal: ";
  const auto logged = testing::fileContents(state / "plovane-menu" / "plovane-menu.log");
  EXPECT_NE(logged.find(failure), std::string::npos)
      << logged << chosen.standardError << bus->log();
  const auto shown = finder({"log", "--lines", "5"});
  ASSERT_EQ(shown.exitCode, 0) << shown.standardError;
  EXPECT_NE(shown.standardOutput.find(failure), std::string::npos) << shown.standardOutput;
}

// A connection of the test's own to the test's bus.
class BusClientTest : public DesktopEndToEndTest {
 protected:
  void SetUp() override {
    testing::qtApplication();
    DesktopEndToEndTest::SetUp();
  }
  void TearDown() override { QDBusConnection::disconnectFromBus("e2e-client"); }

  QDBusConnection client() {
    return QDBusConnection::connectToBus(
        QString::fromStdString(bus->clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")),
        "e2e-client");
  }
  bool extensionRuns() {
    return client().interface()->isServiceRegistered(platform::protocol::kService);
  }
  uint extensionPid() { return client().interface()->servicePid(platform::protocol::kService); }
  std::size_t extensionStarts() const {
    std::size_t starts = 0;
    const std::string log = bus->log();
    for (auto at = log.find("FinderSync() launched from"); at != std::string::npos;
         at = log.find("FinderSync() launched from", at + 1)) {
      ++starts;
    }
    return starts;
  }
};

TEST_F(BusClientTest, TheExtensionsPaneStartsTheInstalledExtensionAndShowsTheIntegrationPane) {
  platform::sim::RecordingSystemLog log;
  testing::RecordedLaunch recorded(env.home.path());
  platform::desktop::DesktopWorkspace workspace(
      client(), platform::desktop::BundleRegistry({applications()}), log, std::nullopt,
      recorded.binWith("plovane-integration") / "plovane-integration");
  ASSERT_FALSE(extensionRuns());
  EXPECT_TRUE(workspace.openURL(
      platform::NSURL::fileURLWithPath("/System/Library/PreferencePanes/Extensions.prefPane")));
  EXPECT_TRUE(extensionRuns()) << bus->log();
  EXPECT_EQ(extensionStarts(), 1u) << bus->log();
  EXPECT_EQ(log.logLines.size(), 1u);
  EXPECT_EQ(recorded.arguments(), std::vector<std::string>{"plovane-integration"});
}

// Anyone on the bus can call the extension; it acts only on what its menu offered for items
// inside the monitored folders.
TEST_F(BusClientTest, OnlyEntriesOfTheMenuForASelectionInsideAMonitoredFolderRun) {
  monitor(work);
  platform::desktop::FinderSyncClient extension(client());
  const std::vector item{platform::NSURL::fileURLWithPath((work / "notes.txt").string())};
  const auto menu = extension.menu(platform::FIMenuKind::contextualMenuForItems, item);
  ASSERT_TRUE(std::holds_alternative<platform::desktop::TransportedMenu>(menu)) << bus->log();
  const auto& items = std::get<platform::desktop::TransportedMenu>(menu).menu->items;
  const auto copyPath = std::find_if(items.begin(), items.end(), [](const auto& entry) {
    return entry.title == "Copy path to Clipboard";
  });
  ASSERT_NE(copyPath, items.end());

  auto forged = *copyPath;
  forged.tag += 100;
  const auto refused = extension.perform(forged, item);
  ASSERT_TRUE(std::holds_alternative<std::string>(refused));
  EXPECT_NE(std::get<std::string>(refused).find("no entry"), std::string::npos);

  const std::vector outside{platform::NSURL::fileURLWithPath(env.home.path().string())};
  const auto elsewhere = extension.perform(*copyPath, outside);
  ASSERT_TRUE(std::holds_alternative<std::string>(elsewhere));
  EXPECT_NE(std::get<std::string>(elsewhere).find("not inside a monitored folder"),
            std::string::npos);
  EXPECT_TRUE(std::holds_alternative<unsigned>(extension.perform(*copyPath, item))) << bus->log();
}

class IdleExtensionTest : public BusClientTest {
 protected:
  static constexpr auto kIdle = std::chrono::seconds(2);
  IdleExtensionTest() { busEnvironment["PLOVANE_IDLE_EXIT_SECONDS"] = "2"; }
};

TEST_F(IdleExtensionTest, AnIdleExtensionExitsAndTheNextRightClickStartsItAgain) {
  monitor(work);
  const auto item = (work / "notes.txt").string();
  ASSERT_EQ(finder({"menu", item}).exitCode, 0) << bus->log();
  const uint first = extensionPid();
  ASSERT_GT(first, 0u);

  // Calls closer together than the idle time keep the same process serving them.
  for (const auto until = std::chrono::steady_clock::now() + 2 * kIdle;
       std::chrono::steady_clock::now() < until;) {
    ASSERT_EQ(finder({"menu", item}).exitCode, 0) << bus->log();
  }
  EXPECT_EQ(extensionPid(), first);
  EXPECT_EQ(extensionStarts(), 1u) << bus->log();

  // Left alone, it gives up its name, says why, and ends.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !extensionRuns(); }, 60'000)) << bus->log();
  EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(static_cast<pid_t>(first), 0) != 0; }, 60'000));
  EXPECT_NE(bus->log().find("idle for 2 s: exiting"), std::string::npos) << bus->log();

  const auto again = finder({"menu", item});
  ASSERT_EQ(again.exitCode, 0) << again.standardError << bus->log();
  EXPECT_NE(again.standardOutput.find("Utility Kit"), std::string::npos) << again.standardOutput;
  EXPECT_EQ(extensionStarts(), 2u) << bus->log();
  EXPECT_NE(extensionPid(), first);
}

}  // namespace
}  // namespace plovane
