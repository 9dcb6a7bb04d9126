#include "host/installation/Installation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "protocol/FinderSyncProtocol.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/Process.h"
#include "support/QtApplication.h"
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

  // Every character the two kinds of Exec line treat specially, in one name.
  static constexpr char kHostileName[] = "my \"home\" $HOME `x` 100% \\ 'q'";
  fs::path home() const { return folder.path() / kHostileName; }

  InstallPlaces places() const {
    return {folder.path() / "build", folder.path() / "build" / "bin" / "plovane-finder",
            folder.path() / "Apps",  home() / "bin",
            folder.path() / "data",  home()};
  }
  InstallPlaces placesAtHome(const fs::path& home) const {
    auto at = places();
    at.programs = home / "bin";
    at.home = home;
    return at;
  }

  testing::TemporaryFolder folder;
};

TEST_F(InstallationTest, PutsTheBundlesTheServiceFileAndTheDesktopEntryInPlace) {
  const auto written = install(places());
  ASSERT_EQ(written.size(), 6u);
  EXPECT_TRUE(
      fs::exists(folder.path() / "Apps" / "PlovaneMenuExtension.appex" / "Resources" / "1.svg"));
  EXPECT_TRUE(fs::exists(folder.path() / "Apps" / "PlovaneMenu.app" / "Info.plist"));

  // A desktop entry quotes an argument that needs it, with \" \` \$ \\, and doubles "%"; the
  // file's own escapes then double each backslash. (The bus's service file is read by the bus,
  // below.)
  const std::string quotedHome =
      folder.path().string() + R"(/my \\"home\\" \\$HOME \\`x\\` 100%% \\\\ 'q')";
  const auto entry = testing::fileContents(folder.path() / "data" / "applications" /
                                           "com.quenlow.plovanefinder.desktop");
  // The stand-in's entry runs the installed copy, which lives on when the build is removed.
  EXPECT_NE(entry.find("Exec=\"" + quotedHome + "/bin/plovane-finder\" --window %f\n"),
            std::string::npos)
      << entry;
  EXPECT_EQ(fs::status(home() / "bin" / "plovane-finder").permissions(), fs::perms(0755));

  const auto appEntry = testing::fileContents(folder.path() / "data" / "applications" /
                                              "com.quenlow.plovanemenu.desktop");
  EXPECT_NE(appEntry.find("Exec=" + (folder.path() / "Apps" / "PlovaneMenu.app").string() +
                          "/plovane-menu --home \"" + quotedHome + "\"\n"),
            std::string::npos)
      << appEntry;
  EXPECT_NE(appEntry.find("Icon=" + (folder.path() / "Apps" / "PlovaneMenu.app").string() +
                          "/Resources/AppIcon.svg\n"),
            std::string::npos);

  // Installing again replaces what is there.
  EXPECT_EQ(install(places()).size(), 6u);
}

// The bus itself reads the service file and starts the extension with the home it names.
TEST_F(InstallationTest, TheBusStartsTheInstalledExtensionWithAHomeOfQuotesDollarsAndBackquotes) {
  const auto extension =
      folder.path() / "build" / "PlovaneMenuExtension.appex" / "plovane-menu-extension";
  fs::copy_file(PLOVANE_ARGUMENT_RECORDER, extension);
  install(places());

  const auto recorded = folder.path() / "arguments";
  testing::PrivateSessionBus bus(folder.path(), folder.path() / "data" / "dbus-1" / "services",
                                 {{"PLOVANE_RECORDED_ARGUMENTS", recorded.string()}});
  testing::qtApplication();
  {
    auto client = QDBusConnection::connectToBus(
        QString::fromStdString(bus.clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")),
        "installation-client");
    // Not waited for: the recorder never takes the name the start waits for.
    client.interface()->asyncCall(QStringLiteral("StartServiceByName"),
                                  QString(platform::protocol::kService), 0u);
    for (int wait = 0; wait < 200 && !fs::exists(recorded); ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  QDBusConnection::disconnectFromBus("installation-client");
  EXPECT_EQ(testing::fileContents(recorded),
            "plovane-menu-extension\n--home\n" + home().string() + "\n")
      << bus.log();
}

TEST_F(InstallationTest, RefusesWhenTheBuildHasNoBundlesOrAPathNoFileCanHold) {
  fs::remove_all(folder.path() / "build" / "PlovaneMenu.app");
  EXPECT_THROW(install(places()), std::runtime_error);
  EXPECT_FALSE(fs::exists(folder.path() / "data"));

  testing::makeFolder(folder.path() / "build" / "PlovaneMenu.app", {"Info.plist"});
  // Files of both kinds are UTF-8, and a desktop entry's values hold no control character.
  for (const char* name : {"caf\xe9", "two\nlines"}) {
    try {
      install(placesAtHome(folder.path() / name));
      ADD_FAILURE() << name;
    } catch (const std::runtime_error& refused) {
      EXPECT_NE(std::string(refused.what()).find("cannot be written into"), std::string::npos)
          << refused.what();
    }
    EXPECT_FALSE(fs::exists(folder.path() / "data"));
  }
}

TEST_F(InstallationTest, FoldersAreOpenToAllWhateverTheUmaskAndUninstallTakesThoseItMade) {
  testing::makeFolder(folder.path() / "data" / "applications", {"other.desktop"});
  const mode_t previous = ::umask(077);
  install(places());
  ::umask(previous);
  for (const auto& made :
       {folder.path() / "data" / "dbus-1" / "services", folder.path() / "data" / "dbus-1",
        folder.path() / "Apps" / "PlovaneMenuExtension.appex" / "Resources", home() / "bin",
        home()}) {
    EXPECT_EQ(fs::status(made).permissions(), fs::perms(0755)) << made;
  }

  uninstall(places());
  EXPECT_FALSE(fs::exists(folder.path() / "data" / "dbus-1"));
  EXPECT_FALSE(fs::exists(folder.path() / "Apps"));
  EXPECT_FALSE(fs::exists(home()));
  // What was there before stays, and so does what is not empty.
  EXPECT_TRUE(fs::exists(folder.path() / "data" / "applications" / "other.desktop"));
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
  EXPECT_FALSE(fs::exists(folder.path() / "data"));

  EXPECT_TRUE(uninstall(places()).empty());
}

}  // namespace
}  // namespace plovane::host
