#include "host/installation/Installation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/FileTree.h"
#include "support/Process.h"
#include "support/TestEnvironment.h"

namespace plovane::host {
namespace {

namespace fs = std::filesystem;

class InstallationTest : public ::testing::Test {
 protected:
  InstallationTest() {
    for (const char* bundle : {"PlovaneMenuExtension.appex", "PlovaneMenu.app"}) {
      testing::makeFolder(folder.path() / "build" / bundle, {"Info.plist"});
    }
    testing::makeFolder(folder.path() / "build" / "PlovaneMenuExtension.appex" / "Resources",
                        {"1.svg"});
    testing::makeFolder(folder.path() / "build" / "bin", {"plovane-finder"});
    fs::permissions(folder.path() / "build" / "bin" / "plovane-finder", fs::perms(0755));
  }

  fs::path home() const { return folder.path() / "my \"home\""; }

  InstallPlaces places() const {
    return {folder.path() / "build", folder.path() / "build" / "bin" / "plovane-finder",
            folder.path() / "Apps",  home() / "bin",
            folder.path() / "data",  home()};
  }

  testing::TemporaryFolder folder;
};

TEST_F(InstallationTest, PutsTheBundlesTheServiceFileAndTheDesktopEntryInPlace) {
  const auto written = install(places());
  ASSERT_EQ(written.size(), 6u);
  EXPECT_TRUE(
      fs::exists(folder.path() / "Apps" / "PlovaneMenuExtension.appex" / "Resources" / "1.svg"));
  EXPECT_TRUE(fs::exists(folder.path() / "Apps" / "PlovaneMenu.app" / "Info.plist"));

  // The bus splits Exec on spaces and honours quotes and backslashes.
  const auto service = testing::fileContents(folder.path() / "data" / "dbus-1" / "services" /
                                             "com.quenlow.plovanemenu.findersyncextension.service");
  EXPECT_EQ(service, "[D-BUS Service]\nName=com.quenlow.plovanemenu.findersyncextension\nExec=\"" +
                         (folder.path() / "Apps" / "PlovaneMenuExtension.appex").string() +
                         "/plovane-menu-extension\" --home \"" + folder.path().string() +
                         "/my \\\"home\\\"\"\n");
  const auto entry = testing::fileContents(folder.path() / "data" / "applications" /
                                           "com.quenlow.plovanefinder.desktop");
  // The stand-in's entry runs the installed copy, which lives on when the build is removed.
  EXPECT_NE(entry.find("Exec=\"" + folder.path().string() +
                       "/my \\\"home\\\"/bin/plovane-finder\" --window %f\n"),
            std::string::npos)
      << entry;
  EXPECT_EQ(fs::status(home() / "bin" / "plovane-finder").permissions(), fs::perms(0755));

  const auto appEntry = testing::fileContents(folder.path() / "data" / "applications" /
                                              "com.quenlow.plovanemenu.desktop");
  EXPECT_NE(
      appEntry.find("Exec=\"" + (folder.path() / "Apps" / "PlovaneMenu.app").string() +
                    "/plovane-menu\" --home \"" + folder.path().string() + "/my \\\"home\\\"\"\n"),
      std::string::npos)
      << appEntry;
  EXPECT_NE(appEntry.find("Icon=" + (folder.path() / "Apps" / "PlovaneMenu.app").string() +
                          "/Resources/AppIcon.svg\n"),
            std::string::npos);

  // Installing again replaces what is there.
  EXPECT_EQ(install(places()).size(), 6u);
}

TEST_F(InstallationTest, RefusesWhenTheBuildHasNoBundles) {
  fs::remove_all(folder.path() / "build" / "PlovaneMenu.app");
  EXPECT_THROW(install(places()), std::runtime_error);
  EXPECT_FALSE(fs::exists(folder.path() / "data"));
}

TEST_F(InstallationTest, InstallsAgainWhileTheInstalledProgramsRun) {
  const auto builtExtension =
      folder.path() / "build" / "PlovaneMenuExtension.appex" / "plovane-menu-extension";
  const auto builtFinder = folder.path() / "build" / "bin" / "plovane-finder";
  fs::copy_file("/bin/sleep", builtExtension);
  fs::copy_file("/bin/sleep", builtFinder, fs::copy_options::overwrite_existing);
  install(places());

  // Writing into a running program's file fails (ETXTBSY); the new files must come beside it.
  const auto log = folder.path() / "programs.log";
  testing::BackgroundProcess extension(
      {(folder.path() / "Apps" / "PlovaneMenuExtension.appex" / "plovane-menu-extension").string(),
       "60"},
      {}, log);
  testing::BackgroundProcess finder({(home() / "bin" / "plovane-finder").string(), "60"}, {}, log);
  ASSERT_TRUE(extension.running());
  ASSERT_TRUE(finder.running());
  fs::copy_file("/bin/true", builtExtension, fs::copy_options::overwrite_existing);
  fs::copy_file("/bin/true", builtFinder, fs::copy_options::overwrite_existing);
  testing::makeFolder(folder.path() / "build" / "PlovaneMenuExtension.appex" / "Resources",
                      {"2.svg"});

  EXPECT_EQ(install(places()).size(), 6u);
  const auto trueProgram = testing::fileContents("/bin/true");
  EXPECT_EQ(testing::fileContents(folder.path() / "Apps" / "PlovaneMenuExtension.appex" /
                                  "plovane-menu-extension"),
            trueProgram);
  EXPECT_EQ(testing::fileContents(home() / "bin" / "plovane-finder"), trueProgram);
  EXPECT_TRUE(
      fs::exists(folder.path() / "Apps" / "PlovaneMenuExtension.appex" / "Resources" / "2.svg"));
  EXPECT_TRUE(extension.running());
  // Only the installed things are there: no temporary copy or swapped-out bundle is left.
  std::vector<std::string> apps;
  for (const auto& entry : fs::directory_iterator(folder.path() / "Apps")) {
    apps.push_back(entry.path().filename().string());
  }
  std::sort(apps.begin(), apps.end());
  EXPECT_EQ(apps, (std::vector<std::string>{"PlovaneMenu.app", "PlovaneMenuExtension.appex"}));
  std::vector<fs::path> programs(fs::directory_iterator(home() / "bin"), {});
  EXPECT_EQ(programs, std::vector<fs::path>{home() / "bin" / "plovane-finder"});
}

TEST_F(InstallationTest, UninstallRemovesWhatInstallWroteAndKeepsTheSettings) {
  const auto written = install(places());
  const auto settings = home() / "Preferences" / "R4XK8TQ2VM.com.quenlow.plovanemenu.plist";
  testing::makeFolder(settings.parent_path(), {"R4XK8TQ2VM.com.quenlow.plovanemenu.plist"});
  testing::makeFolder(folder.path() / "Apps" / "Other.app", {"Info.plist"});
  // What an install killed midway leaves.
  const auto leftover = folder.path() / "Apps" / "PlovaneMenu.app.tmp-a1B2c3";
  testing::makeFolder(leftover, {"Info.plist"});

  const auto removed = uninstall(places());
  for (const auto& path : written) {
    EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_NE(std::find(removed.begin(), removed.end(), path), removed.end()) << path;
  }
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_NE(std::find(removed.begin(), removed.end(), leftover), removed.end());
  EXPECT_FALSE(fs::exists(home() / "bin"));
  EXPECT_TRUE(fs::exists(settings));
  EXPECT_TRUE(fs::exists(folder.path() / "Apps" / "Other.app" / "Info.plist"));
  EXPECT_EQ(removed.size(), written.size() + 2);  // the leftover and the programs folder

  EXPECT_TRUE(uninstall(places()).empty());
}

}  // namespace
}  // namespace plovane::host
