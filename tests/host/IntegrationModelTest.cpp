// The Extensions pane's model: which file managers it finds on a PATH and module folders of the
// test's own, the per-user switches it keeps in the stand-in's defaults domain and Dolphin's own,
// and which running file managers must be restarted.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "desktop/BusNames.h"
#include "desktop/filemanagers/DesktopEntryProgram.h"
#include "desktop/filemanagers/FileManagers.h"
#include "desktop/filemanagers/MenuSwitches.h"
#include "desktop/filemanagers/RunningFileManagers.h"
#include "support/EnvironmentOverride.h"
#include "support/FileTree.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

namespace fs = std::filesystem;
using platform::PlistArray;
using platform::PlistValue;
using plovane::testing::EnvironmentOverride;
using plovane::testing::TemporaryFolder;

void makeProgram(const fs::path& bin, const char* name) {
  plovane::testing::makeFolder(bin, {name});
  fs::permissions(bin / name, fs::perms::owner_all);
}

class MenuSwitchesTest : public ::testing::Test {
 protected:
  std::optional<PlistValue> stored(const char* key) {
    return otherDefaults.standardUserDefaults(protocol::host_state::kDomain)->objectForKey(key);
  }

  TemporaryFolder home;
  platform::UserDefaultsRoot defaults{home.path(), {}};
  // The store as the stand-in and the file managers' modules have it open.
  platform::UserDefaultsRoot otherDefaults{home.path(), {}};
  MenuSwitches switches{defaults};
};

TEST_F(MenuSwitchesTest, OnEverywhereUntilSwitchedOffAndOtherWritersKeysAreKept) {
  EXPECT_TRUE(switches.isOn("nautilus"));
  auto state = otherDefaults.standardUserDefaults(protocol::host_state::kDomain);
  state->setBool(true, protocol::host_state::kShowsHiddenFiles);
  // Written by some other program: what is not a program name is not one.
  state->setObject(PlistArray{"caja", 7}, protocol::host_state::kDisabledFileManagers);
  EXPECT_FALSE(switches.isOn("caja"));

  EXPECT_EQ(switches.setOn("nemo", false), std::nullopt);
  EXPECT_EQ(switches.setOn(kStandInProgram, false), std::nullopt);
  EXPECT_EQ(stored(protocol::host_state::kDisabledFileManagers),
            PlistValue(PlistArray{"caja", "nemo", "plovane-finder"}));
  EXPECT_EQ(stored(protocol::host_state::kShowsHiddenFiles), PlistValue(true));

  EXPECT_EQ(switches.setOn("caja", true), std::nullopt);
  EXPECT_EQ(switches.setOn("nemo", true), std::nullopt);
  EXPECT_EQ(stored(protocol::host_state::kDisabledFileManagers),
            PlistValue(PlistArray{"plovane-finder"}));
  MenuSwitches other(otherDefaults);
  EXPECT_TRUE(other.isOn("nemo"));
  EXPECT_FALSE(other.isOn(kStandInProgram));
}

TEST_F(MenuSwitchesTest, ASwitchTheStoreCannotKeepIsRefusedAndNotWrittenLater) {
  const fs::path lock = defaults.fileForDomain(protocol::host_state::kDomain).string() + ".lock";
  plovane::testing::makeFolder(lock);
  const auto refused = switches.setOn("nemo", false);
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("not a regular file"), std::string::npos) << *refused;
  EXPECT_TRUE(switches.isOn("nemo"));

  fs::remove(lock);
  EXPECT_EQ(switches.setOn("caja", false), std::nullopt);
  EXPECT_EQ(stored(protocol::host_state::kDisabledFileManagers), PlistValue(PlistArray{"caja"}));
}

TEST_F(MenuSwitchesTest, DolphinsOwnSwitchCountsAndSwitchingOnHereClearsOnlyItsLine) {
  const fs::path config = plovane::testing::makeFolder(home.path() / "config");
  EnvironmentOverride configHome{"XDG_CONFIG_HOME", config.string()};
  const fs::path file = config / "kservicemenurc";
  EXPECT_TRUE(switches.isOn("dolphin"));
  EXPECT_EQ(switches.setOn("dolphin", true), std::nullopt);
  EXPECT_FALSE(fs::exists(file));

  // Only group [Show] counts; the last line of the file has no line end.
  const std::string before = "# kept\n[Show]\nother-module=false\n";
  const std::string after = "[Other]\nplovane-menu-dolphin=false\n[Show]\r\nlast=true";
  const std::string off = " plovane-menu-dolphin[$e] = False \n";
  std::ofstream(file, std::ios::binary) << before << off << after;
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(file, mode);
  EXPECT_FALSE(switches.isOn("dolphin"));
  EXPECT_TRUE(switches.isOn("nemo"));
  EXPECT_EQ(switches.setOn("dolphin", false), std::nullopt);
  EXPECT_EQ(plovane::testing::fileContents(file), before + off + after);

  EXPECT_EQ(switches.setOn("dolphin", true), std::nullopt);
  EXPECT_TRUE(switches.isOn("dolphin"));
  EXPECT_EQ(plovane::testing::fileContents(file), before + after);
  EXPECT_EQ(fs::status(file).permissions(), mode);
}

class FileManagersFoundTest : public MenuSwitchesTest {
 protected:
  FileManager manager(const char* program, const char* name) {
    return {program, name, modules / program / ("libplovane-menu-" + std::string(program) + ".so")};
  }
  std::vector<FileManagerState> found() {
    return fileManagersFound({manager("nautilus", "Files"),
                              manager("nemo", "Nemo"),
                              manager("thunar", "Thunar"),
                              {kStandInProgram, "Plovane Finder", std::nullopt}},
                             switches);
  }
  bool standInInstalled() { return found().back().installed; }
  void writeStandInEntry(const fs::path& dataFolder, const std::string& exec) {
    plovane::testing::makeFolder(dataFolder / "applications");
    std::ofstream(dataFolder / "applications" / "com.quenlow.plovanefinder.desktop")
        << "[Desktop Entry]\nType=Application\nName=Plovane Finder\nExec=" << exec << "\n";
  }

  fs::path bin = plovane::testing::makeFolder(home.path() / "bin");
  fs::path modules = plovane::testing::makeFolder(home.path() / "modules");
  EnvironmentOverride path{"PATH", bin.string()};
  EnvironmentOverride plovaneHome{"PLOVANE_HOME", (home.path() / "plovane").string()};
  EnvironmentOverride dataHome{"XDG_DATA_HOME", (home.path() / "data").string()};
  EnvironmentOverride dataFolders{"XDG_DATA_DIRS", (home.path() / "system").string()};
};

TEST_F(FileManagersFoundTest, ListsTheFileManagersOnPathWithTheirModuleAndSwitchThenTheStandIn) {
  makeProgram(bin, "nemo");
  makeProgram(bin, "thunar");
  plovane::testing::makeFolder(modules / "nemo", {"libplovane-menu-nemo.so"});
  ASSERT_EQ(switches.setOn("thunar", false), std::nullopt);

  const auto states = found();
  ASSERT_EQ(states.size(), 3u);
  EXPECT_EQ(states[0].manager.name, "Nemo");
  EXPECT_TRUE(states[0].installed);
  EXPECT_TRUE(states[0].menuOn);
  EXPECT_EQ(states[1].manager.name, "Thunar");
  EXPECT_FALSE(states[1].installed);
  EXPECT_FALSE(states[1].menuOn);
  EXPECT_EQ(states[2].manager.program, kStandInProgram);
  EXPECT_FALSE(states[2].installed);
  EXPECT_TRUE(states[2].menuOn);

  makeProgram(bin, kStandInProgram);
  EXPECT_TRUE(standInInstalled());
}

TEST_F(FileManagersFoundTest, DolphinOnPathIsFoundAfterThunarWithItsModuleInKiosPluginFolder) {
  makeProgram(bin, "dolphin");
  makeProgram(bin, "thunar");
  const auto states = fileManagersFound(knownFileManagers(), switches);
  ASSERT_EQ(states.size(), 3u);
  EXPECT_EQ(states[0].manager.name, "Thunar");
  EXPECT_EQ(states[1].manager.name, "Dolphin");
  EXPECT_TRUE(states[1].manager.module->string().ends_with(
      "/qt5/plugins/kf5/kfileitemaction/libplovane-menu-dolphin.so"));
  EXPECT_EQ(states[2].manager.program, kStandInProgram);
}

// Dolphin looks for modules at every menu: one running since before the install needs no restart,
// though its map names the module only after its first menu.
TEST_F(FileManagersFoundTest, ARunningDolphinWithoutTheModuleLoadedNeedsNoRestart) {
  auto known = knownFileManagers();
  auto dolphin = *std::find_if(known.begin(), known.end(),
                               [](const FileManager& each) { return each.name == "Dolphin"; });
  dolphin.module = manager("dolphin", "Dolphin").module;
  plovane::testing::makeFolder(modules / "dolphin", {"libplovane-menu-dolphin.so"});
  fs::copy_file("/usr/bin/sleep", bin / "dolphin");
  plovane::testing::BackgroundProcess running({(bin / "dolphin").string(), "60"}, {},
                                              home.path() / "dolphin.log");
  const auto processes = runningProcessesOf(dolphin);
  ASSERT_EQ(processes.size(), 1u);
  EXPECT_FALSE(processes[0].moduleLoaded);
  EXPECT_FALSE(mustRestart({dolphin, true, true}));
  // A file manager that loads modules only as it starts would have to be.
  dolphin.looksForModulesAtEachMenu = false;
  EXPECT_TRUE(mustRestart({dolphin, true, true}));
}

TEST_F(FileManagersFoundTest, TheStandInIsFoundThroughTheDesktopEntryAnInstallationWrote) {
  const fs::path build = plovane::testing::makeFolder(home.path() / "my \"build\" $dir");
  makeProgram(build, kStandInProgram);
  const std::string quoted = "\"" + home.path().string() + "/my \\\"build\\\" \\$dir/" +
                             kStandInProgram + "\" --window %f";
  writeStandInEntry(home.path() / "plovane", quoted);
  EXPECT_TRUE(standInInstalled());
  EXPECT_EQ(execProgram(quoted), (build / kStandInProgram).string());

  // An entry whose program is gone, in the first folder that has one, finds nothing.
  writeStandInEntry(home.path() / "plovane", "\"/gone/plovane-finder\" --window %f");
  const fs::path system = plovane::testing::makeFolder(home.path() / "usr-bin");
  makeProgram(system, kStandInProgram);
  writeStandInEntry(home.path() / "system", (system / kStandInProgram).string() + " --window %f");
  EXPECT_FALSE(standInInstalled());
  fs::remove_all(home.path() / "plovane");
  EXPECT_TRUE(standInInstalled());

  EXPECT_EQ(execProgram("\"/unclosed --window"), std::nullopt);
}

}  // namespace
}  // namespace platform::desktop
