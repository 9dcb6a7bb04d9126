// The extension's scripts and key events, run against the desktop stand-ins.
#include <gtest/gtest.h>

#include "desktop/BusNames.h"
#include "desktop/DesktopAppleScript.h"
#include "desktop/DesktopKeyboardEvents.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/ProgramOutput.h"
#include "extension/FinderSync.h"
#include "support/EnvironmentOverride.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

class DesktopScriptingTest : public ::testing::Test {
 protected:
  bool showsHiddenFiles() {
    UserDefaultsRoot fileManager(env.defaults.root(), [](const std::string&) {});
    const auto value = fileManager.standardUserDefaults(protocol::host_state::kDomain)
                           ->objectForKey(protocol::host_state::kShowsHiddenFiles);
    return value && value->is<bool>() && *value->as<bool>();
  }

  plovane::testing::TestEnvironment env;
  sim::RecordingSystemLog log;
  HostDirectorySet requests{env.defaults};
  DesktopAppleScript appleScript{env.defaults, requests, env.runLoop, log};
  DesktopKeyboardEvents keyboardEvents{log};
  // The sim platform of `env`, but scripting and typing go to the desktop's stand-ins.
  Platform platform{env.defaults,
                    env.runLoop,
                    env.log,
                    env.finderSyncController,
                    env.bundle,
                    env.workspace,
                    env.modals,
                    env.notifications,
                    env.sim.pasteboard,
                    env.sim.fileManager,
                    env.sim.calendar,
                    appleScript,
                    keyboardEvents,
                    env.sim.windowServer,
                    env.sim.composeEmail};
};

TEST_F(DesktopScriptingTest, ShowHiddenFilesFlipsTheFileManagersDisplayEachTime) {
  plovane::FinderSync extension(platform);
  const double before = env.runLoop.now().secondsSince2001;
  extension.showhiddenfiles();
  EXPECT_DOUBLE_EQ(env.runLoop.now().secondsSince2001 - before, 0.2);
  EXPECT_TRUE(showsHiddenFiles());
  ASSERT_EQ(log.logLines.size(), 2u);
  EXPECT_NE(log.logLines[0].find("tell application \"Finder\" to activate"), std::string::npos);
  EXPECT_EQ(log.logLines[1],
            "hidden files are now shown in the file manager (Linux has no scripting host; the "
            "display toggle was flipped instead)");

  extension.showhiddenfiles();
  EXPECT_FALSE(showsHiddenFiles());
  EXPECT_NE(log.logLines.back().find("hidden files are now hidden"), std::string::npos);
}

TEST_F(DesktopScriptingTest, ShowHiddenFilesFlipsTheSettingOfTheFileManagerThatAsked) {
  // Settings kept in a file of this test's own, so separate gsettings runs share them.
  plovane::testing::EnvironmentOverride backend("GSETTINGS_BACKEND", "keyfile");
  plovane::testing::EnvironmentOverride config("XDG_CONFIG_HOME", env.home.path().string());
  const auto gsettings = findOnPath({"gsettings"});
  ASSERT_TRUE(gsettings);
  const auto shownInFiles = [&] {
    return runForOutput(*gsettings, {"get", "org.gtk.gtk4.Settings.FileChooser", "show-hidden"})
        .output;
  };
  requests.setRequestingProgram("nautilus");
  plovane::FinderSync extension(platform);

  extension.showhiddenfiles();
  EXPECT_EQ(shownInFiles(), "true");
  EXPECT_EQ(log.logLines.back(), "hidden files are now shown in nautilus");
  extension.showhiddenfiles();
  EXPECT_EQ(shownInFiles(), "false");
  EXPECT_FALSE(showsHiddenFiles()) << "the stand-in's display is not the one asked for";
}

TEST_F(DesktopScriptingTest, OtherScriptsAndKeystrokesFailWithALine) {
  for (const char* source :
       {"delay soon",
        "tell application \"System Events\" to tell process \"Finder\" to keystroke "
        "\">\" using {command down}"}) {
    EXPECT_FALSE(appleScript.executeSource(source)) << source;
  }
  EXPECT_EQ(log.logLines.size(), 2u);
  EXPECT_FALSE(showsHiddenFiles());
}

TEST_F(DesktopScriptingTest, EachKeyCombinationIsLoggedOnceAndNotSent) {
  plovane::FinderSync(platform).sampleAction();
  EXPECT_EQ(log.logLines, std::vector<std::string>{"Command+Shift+N was not sent: this desktop "
                                                   "has no synthetic key events"});

  // Modifiers released: the next key goes alone.
  log.logLines.clear();
  keyboardEvents.post({0x2D, true, 0});
  EXPECT_EQ(log.logLines, std::vector<std::string>{"N was not sent: this desktop has no "
                                                   "synthetic key events"});
}

}  // namespace
}  // namespace platform::desktop
