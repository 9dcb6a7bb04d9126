#include "host/Installation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/FileTree.h"
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
  }

  InstallPlaces places() const {
    return {folder.path() / "build", "/opt/plovane finder/plovane-finder", folder.path() / "Apps",
            folder.path() / "data", folder.path() / "my \"home\""};
  }

  testing::TemporaryFolder folder;
};

TEST_F(InstallationTest, PutsTheBundlesTheServiceFileAndTheDesktopEntryInPlace) {
  const auto written = install(places());
  ASSERT_EQ(written.size(), 5u);
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
  EXPECT_NE(entry.find("Exec=\"/opt/plovane finder/plovane-finder\" --window %f\n"),
            std::string::npos);

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
  EXPECT_EQ(install(places()).size(), 5u);
}

TEST_F(InstallationTest, RefusesWhenTheBuildHasNoBundles) {
  fs::remove_all(folder.path() / "build" / "PlovaneMenu.app");
  EXPECT_THROW(install(places()), std::runtime_error);
  EXPECT_FALSE(fs::exists(folder.path() / "data"));
}

}  // namespace
}  // namespace plovane::host
