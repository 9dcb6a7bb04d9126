// On X11 what a program copied belongs to it: the extension must not end, idle or not, while the
// clipboard holds the path it copied, and ends once something else was copied.
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
using testing::runProcess;

constexpr char kClipboardTool[] = "/usr/bin/xclip";

class ClipboardEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::VirtualDisplay::available() || !fs::exists(kClipboardTool)) {
      GTEST_SKIP() << "needs Xvfb, the accessibility bus and xclip (.ci/install-deps)";
    }
    display.emplace(env.home.path());
    auto environment = env.sessionEnvironment();
    const auto installed = runProcess({PLOVANE_FINDER, "install"}, environment);
    ASSERT_EQ(installed.exitCode, 0) << installed.standardError;
    for (const auto& [name, value] : display->displayEnvironment()) environment[name] = value;
    environment["PLOVANE_IDLE_EXIT_SECONDS"] = "1";
    bus.emplace(env.home.path(), env.defaults.root() / "dbus-1" / "services", environment);
    display->startAccessibilityBus(bus->clientEnvironment());
    auto store = env.openSuite();
    store->setValueForKeyPath(platform::PlistArray{work.string()}, keys::foldersArray);
    store->setValueForKeyPath(platform::PlistArray{1}, keys::foldersArraystate);
  }

  std::string clipboard() {
    return runProcess({kClipboardTool, "-o", "-selection", "clipboard"}, display->environment())
        .standardOutput;
  }

  bool extensionRuns() {
    return runProcess(
               {"/usr/bin/gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                "--object-path", "/org/freedesktop/DBus", "--method",
                "org.freedesktop.DBus.NameHasOwner", "com.quenlow.plovanemenu.findersyncextension"},
               display->environment())
               .standardOutput.find("true") != std::string::npos;
  }

  testing::TestEnvironment env;
  std::optional<testing::VirtualDisplay> display;
  std::optional<testing::PrivateSessionBus> bus;
  fs::path work = testing::makeFolder(env.home.path() / "Work", {"notes.txt"});
};

TEST_F(ClipboardEndToEndTest, ACopiedPathStaysOnTheClipboardUntilSomethingElseIsCopied) {
  const auto item = (work / "notes.txt").string();
  {
    testing::BackgroundProcess chooser({PLOVANE_FINDER, "choose", "Copy path to Clipboard", item},
                                       display->environment(), env.home.path() / "choose.log");
    const auto answered =
        display->drive("plovane-menu-extension",
                       {"expect:label:Path copied to Clipboard", "press:push button:OK"});
    ASSERT_EQ(answered.exitCode, 0) << answered.standardError << bus->log();
    ASSERT_EQ(chooser.waitForExit(30), 0) << testing::fileContents(env.home.path() / "choose.log");
  }
  EXPECT_EQ(clipboard(), item);

  // Well past its idle time, it still runs and the path is still there.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  EXPECT_TRUE(extensionRuns()) << bus->log();
  EXPECT_EQ(clipboard(), item);

  // Another program copies (and serves its copy in the foreground): nothing keeps the extension.
  testing::BackgroundProcess other(
      {kClipboardTool, "-quiet", "-selection", "clipboard", "-i", "/dev/null"},
      display->environment(), env.home.path() / "xclip.log");
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (extensionRuns() && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_FALSE(extensionRuns()) << bus->log();
}

}  // namespace
}  // namespace plovane
