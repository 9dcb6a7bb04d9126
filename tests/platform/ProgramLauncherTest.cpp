#include "desktop/ProgramLauncher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "support/EnvironmentOverride.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

using plovane::testing::EnvironmentOverride;
using plovane::testing::makeFolder;
using plovane::testing::TemporaryFolder;
using plovane::testing::writeBundleInfo;

// A detached program reports nothing back: wait, within a generous bound, for its effect.
bool appears(const std::filesystem::path& file) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (std::filesystem::exists(file)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(ProgramLauncherTest, StartsWithAnArgumentVectorInTheGivenFolder) {
  TemporaryFolder home;
  const auto odd = home.path() / "name with 'quotes' and $(no shell)";
  EXPECT_EQ(startDetached({"touch", odd.string()}), std::nullopt);
  EXPECT_TRUE(appears(odd));
  EXPECT_EQ(startDetached({"touch", "relative"}, home.path()), std::nullopt);
  EXPECT_TRUE(appears(home.path() / "relative"));
}

TEST(ProgramLauncherTest, ReportsWhatCannotBeStarted) {
  TemporaryFolder home;
  EXPECT_TRUE(startDetached({"/no/such/program"}));
  EXPECT_TRUE(startDetached({}));
  EXPECT_TRUE(startDetached({"true"}, home.path() / "missing"));
}

TEST(BundleRegistryTest, FindsBundlesByIdentifierUnderTheApplicationsRoot) {
  TemporaryFolder home;
  writeBundleInfo(home.path() / "Plovane Menu.app",
                  "<key>CFBundleIdentifier</key><string>com.quenlow.plovanemenu</string>"
                  "<key>CFBundleExecutable</key><string>plovane-menu</string>");
  writeBundleInfo(home.path() / "Broken.app",
                  "<key>CFBundleIdentifier</key><string>com.quenlow.broken</string>");
  writeBundleInfo(home.path() / "NotABundle",
                  "<key>CFBundleIdentifier</key><string>com.x</string>");
  const BundleRegistry registry(home.path());
  EXPECT_EQ(registry.commandFor("com.quenlow.plovanemenu").arguments,
            std::vector<std::string>{(home.path() / "Plovane Menu.app/plovane-menu").string()});
  EXPECT_NE(registry.commandFor("com.quenlow.broken").failure.find("CFBundleExecutable"),
            std::string::npos);
  EXPECT_TRUE(registry.commandFor("com.x").arguments.empty());
  EXPECT_TRUE(registry.commandFor("com.quenlow.PlovaneMenu").arguments.empty());
  EXPECT_TRUE(BundleRegistry(home.path() / "missing").commandFor("com.x").arguments.empty());
}

TEST(BundleRegistryTest, PlatformProgramsMapToThisDesktopsOwn) {
  TemporaryFolder home;
  const auto bin = makeFolder(home.path() / "bin");
  std::ofstream(bin / "xterm") << "#!/bin/true\n";
  std::filesystem::permissions(bin / "xterm", std::filesystem::perms::owner_all);
  const BundleRegistry registry(home.path() / "Applications");
  {
    EnvironmentOverride path("PATH", bin.string());
    EXPECT_EQ(registry.commandFor("com.apple.Terminal").arguments,
              std::vector<std::string>{(bin / "xterm").string()});
    const auto settings = registry.commandFor("com.apple.systempreferences");
    EXPECT_TRUE(settings.arguments.empty());
    EXPECT_NE(settings.failure.find("no program on this desktop"), std::string::npos);
  }
}

}  // namespace
}  // namespace platform::desktop
