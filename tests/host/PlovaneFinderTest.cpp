// The real programs, started as a user would start them, against a store in a temporary home,
// where no session bus is: the stand-in then hosts the extension in its own process.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "desktop/BusNames.h"
#include "host/inprocess/InProcessRun.h"
#include "shared/SettingsKeys.h"
#include "support/FileTree.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace plovane {
namespace {

using platform::PlistArray;
using testing::runProcess;

class PlovaneFinderTest : public ::testing::Test {
 protected:
  testing::ProcessResult finder(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), PLOVANE_FINDER);
    return runProcess(arguments, {{"PLOVANE_HOME", env.defaults.root().string()},
                                  {"DBUS_SESSION_BUS_ADDRESS", ""},
                                  {"XDG_RUNTIME_DIR", env.home.path().string()},
                                  {"XDG_STATE_HOME", state.string()}});
  }
  void monitor(const std::filesystem::path& folder) {
    auto store = env.openSuite();
    store->setValueForKeyPath(PlistArray{folder.string()}, keys::foldersArray);
    store->setValueForKeyPath(PlistArray{1}, keys::foldersArraystate);
  }

  testing::TestEnvironment env;
  std::filesystem::path work = testing::makeFolder(env.home.path() / "Work", {"photo.png"});
  std::filesystem::path state = env.home.path() / "state";
  std::filesystem::path logFile = state / "plovane-menu" / "plovane-menu.log";
};

TEST_F(PlovaneFinderTest, ExtensionStartsOnceAgainstTheRealStore) {
  const auto result = runProcess(
      {PLOVANE_EXTENSION, "--once"},
      {{"PLOVANE_HOME", env.defaults.root().string()}, {"XDG_STATE_HOME", state.string()}});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(result.standardError.find("FinderSync() launched from "), std::string::npos);
  EXPECT_NE(testing::fileContents(logFile).find("Z plovane-menu-extension: FinderSync() launched"),
            std::string::npos);
  EXPECT_EQ(env.openSuite()->arrayForKey(keys::menuArrayDic)->size(), 16u);
  EXPECT_EQ(runProcess({PLOVANE_EXTENSION, "--frobnicate"}).exitCode, 2);
}

TEST_F(PlovaneFinderTest, NoMenuOutsideTheMonitoredFolders) {
  const auto result = finder({"menu", (work / "photo.png").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardOutput, "");
  EXPECT_NE(result.standardError.find("not inside a monitored folder"), std::string::npos);
}

TEST_F(PlovaneFinderTest, PrintsTheMenuForASelectionInsideOne) {
  monitor(work);
  auto result = finder({"menu", (work / "photo.png").string()});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(result.standardOutput.rfind("Open Terminal  [tag 0, commenAction:", 0), 0u)
      << result.standardOutput;
  EXPECT_NE(result.standardOutput.find("Utility Kit  [tag 0, utilityKitClicked"),
            std::string::npos);

  result = finder({"menu", "--kind", "container", "--json", work.string()});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const auto parsed = runProcess(
      {PLOVANE_PYTHON3, "-c",
       "import json,sys\nm=json.loads(sys.argv[1])\nassert m[-1]['title']=='Utility Kit'\n"
       "assert [i['tag'] for i in m][:3]==[0,1,3]\n",
       result.standardOutput});
  EXPECT_EQ(parsed.exitCode, 0) << parsed.standardError << result.standardOutput;
}

// Hosted in its own process the extension's launches and the like are only printed: each run
// says so before anything else, once, and the usage says it too.
TEST_F(PlovaneFinderTest, SaysEachTimeWhatTheExtensionInItsOwnProcessDoesNotDo) {
  monitor(work);
  const std::string notice = std::string(host::kInProcessNotice) + "\n";
  for (const auto& arguments :
       {std::vector<std::string>{"menu", (work / "photo.png").string()},
        std::vector<std::string>{"choose", "Open Terminal", (work / "photo.png").string()}}) {
    const auto result = finder(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(result.standardError.rfind(notice, 0), 0u) << result.standardError;
    EXPECT_EQ(result.standardError.find(notice, 1), std::string::npos) << result.standardError;
  }
  EXPECT_NE(finder({"choose", "Open Terminal", work.string()})
                .standardOutput.find("launch com.apple.Terminal"),
            std::string::npos);

  const auto help = finder({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.standardOutput, host::kUsage);
  EXPECT_NE(help.standardOutput.find("on simulated services"), std::string::npos);
}

TEST_F(PlovaneFinderTest, ChoosesAnEntryAndAnswersItsModalsInOrder) {
  monitor(work);
  const auto destination = testing::makeFolder(env.home.path() / "Destination");
  auto result =
      finder({"choose", "--answer", "button:OK", "--answer", "ok:" + (work / "photo.png").string(),
              "--answer", "ok:" + destination.string(), "Copy to a folder",
              (work / "photo.png").string()});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_TRUE(std::filesystem::exists(destination / "photo.png"));
  EXPECT_NE(result.standardOutput.find("prompt: \"Select Destination Folder\""), std::string::npos);
  EXPECT_NE(result.standardOutput.find("OK with " + destination.string()), std::string::npos);

  result = finder({"choose", "Copy path to Clipboard", (work / "photo.png").string()});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_NE(result.standardOutput.find("pasteboard public.utf8-plain-text: " +
                                       (work / "photo.png").string()),
            std::string::npos);
  EXPECT_NE(result.standardError.find("no answer left"), std::string::npos);

  result = finder({"choose", "--answer", "button:OK", "--answer", "cancel",
                   "Copy path to Clipboard", (work / "photo.png").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.standardError.find("1 answer(s) were not needed"), std::string::npos);
}

TEST_F(PlovaneFinderTest, ChoosesThroughTheWrappingSubmenu) {
  monitor(work);
  env.openSuite()->setBool(true, keys::showinSubMenu);
  auto result = finder({"choose", "Plovane Menu > Open Terminal", work.string()});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(result.standardOutput.find("launch com.apple.Terminal"), std::string::npos);
  EXPECT_EQ(finder({"choose", "Plovane Menu", work.string()}).exitCode, 1);
  EXPECT_EQ(finder({"choose", "Open Terminal", work.string()}).exitCode, 1);
}

// Switched off in the Extensions pane, the stand-in does not host the extension at all.
TEST_F(PlovaneFinderTest, AsksNothingWhileTheMenuIsSwitchedOffInIt) {
  monitor(work);
  const auto item = (work / "photo.png").string();
  auto hostState = env.defaults.standardUserDefaults(platform::protocol::host_state::kDomain);
  const char* key = platform::protocol::host_state::kDisabledFileManagers;
  hostState->setObject(PlistArray{"nautilus", "plovane-finder"}, key);
  for (const auto& arguments : {std::vector<std::string>{"menu", item},
                                std::vector<std::string>{"choose", "Open Terminal", item}}) {
    const auto result = finder(arguments);
    EXPECT_EQ(result.exitCode, 1) << arguments[0];
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_NE(result.standardError.find("switched off in Plovane Finder"), std::string::npos)
        << result.standardError;
    EXPECT_EQ(result.standardError.find("FinderSync() launched"), std::string::npos);
  }
  hostState->setObject(PlistArray{"nautilus"}, key);
  EXPECT_EQ(finder({"menu", item}).exitCode, 0);
}

TEST_F(PlovaneFinderTest, LogPrintsTheLastLinesOfTheProgramsLog) {
  auto result = finder({"log"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardOutput, "");
  EXPECT_NE(result.standardError.find("no log yet; the programs write it to " + logFile.string()),
            std::string::npos)
      << result.standardError;

  // The extension it hosts logs there too, under the stand-in's name.
  monitor(work);
  ASSERT_EQ(finder({"menu", (work / "photo.png").string()}).exitCode, 0);
  result = finder({"log"});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(result.standardOutput.find("Z plovane-finder: FinderSync() launched from"),
            std::string::npos)
      << result.standardOutput;

  // The last lines reach back into the previous file when the current one has fewer.
  std::string previous, current;
  for (int i = 1; i <= 60; ++i) previous += "old " + std::to_string(i) + "\n";
  for (int i = 1; i <= 2; ++i) current += "new " + std::to_string(i) + "\n";
  std::ofstream(logFile.string() + ".1") << previous;
  std::ofstream(logFile) << current;
  result = finder({"log", "--lines", "3"});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(result.standardOutput, "old 60\nnew 1\nnew 2\n");
  result = finder({"log"});
  EXPECT_EQ(result.standardOutput.rfind("old 13\n", 0), 0u) << result.standardOutput;
  EXPECT_EQ(std::count(result.standardOutput.begin(), result.standardOutput.end(), '\n'), 50);
}

TEST_F(PlovaneFinderTest, RefusesWhatItDoesNotUnderstand) {
  EXPECT_EQ(finder({}).exitCode, 2);
  EXPECT_EQ(finder({"menu"}).exitCode, 2);
  EXPECT_EQ(finder({"menu", "--kind", "window", "/x"}).exitCode, 2);
  EXPECT_EQ(finder({"menu", "--frobnicate", "/x"}).exitCode, 2);
  EXPECT_EQ(finder({"choose", "--answer", "maybe", "Open Terminal", "/x"}).exitCode, 2);
  EXPECT_EQ(finder({"choose", "Open Terminal"}).exitCode, 2);
  EXPECT_EQ(finder({"install", "now"}).exitCode, 2);
  EXPECT_EQ(finder({"log", "--lines"}).exitCode, 2);
  EXPECT_EQ(finder({"log", "--lines", "-3"}).exitCode, 2);
  EXPECT_EQ(finder({"log", "all"}).exitCode, 2);
  EXPECT_EQ(finder({"--window", "/a", "/b"}).exitCode, 2);
  EXPECT_EQ(finder({"--help", "menu"}).exitCode, 2);
}

}  // namespace
}  // namespace plovane
