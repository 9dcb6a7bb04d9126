#include "desktop/ProgramLauncher.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
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

TEST(ProgramLauncherTest, JudgesAProgramByHowItEndedWithinTheWait) {
  const auto succeeded = startAndWaitBriefly({"true"}, std::chrono::seconds(10));
  EXPECT_EQ(succeeded.state, EarlyOutcome::State::exited);
  EXPECT_EQ(succeeded.code, 0);
  const auto failed = startAndWaitBriefly({"false"}, std::chrono::seconds(10));
  EXPECT_EQ(failed.state, EarlyOutcome::State::exited);
  EXPECT_EQ(failed.code, 1);

  const auto missing = startAndWaitBriefly({"/no/such/program"}, std::chrono::seconds(10));
  EXPECT_EQ(missing.state, EarlyOutcome::State::notStarted);
  EXPECT_NE(missing.failure.find("/no/such/program"), std::string::npos) << missing.failure;
  EXPECT_EQ(startAndWaitBriefly({}, std::chrono::seconds(10)).state,
            EarlyOutcome::State::notStarted);
}

// One still running is left alone in a session of its own, and reaped once it ends.
TEST(ProgramLauncherTest, LeavesAProgramStillRunningAfterTheWaitAndReapsItLater) {
  const auto running = startAndWaitBriefly({"sleep", "120"}, std::chrono::milliseconds(0));
  ASSERT_EQ(running.state, EarlyOutcome::State::stillRunning);
  ASSERT_GT(running.pid, 0);
  EXPECT_EQ(::getsid(running.pid), running.pid);
  ASSERT_EQ(::kill(running.pid, SIGKILL), 0);
  bool reaped = false;
  for (int attempt = 0; attempt < 1000 && !reaped; ++attempt) {
    // kill() finds a zombie too: only a reaped child is gone.
    reaped = ::kill(running.pid, 0) != 0;
    if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(reaped);
}

// Its holder decides: a program still running is killed when its holder is done with it.
TEST(ProgramLauncherTest, AChildProgramEndsWhenItsHolderFinishesIt) {
  ChildProgram failing({"false"}, ChildProgram::Output::dropped);
  ASSERT_TRUE(failing.started()) << failing.failure();
  const auto status = failing.finish(std::chrono::seconds(10));
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1);

  ChildProgram sleeping({"sleep", "120"}, ChildProgram::Output::dropped);
  ASSERT_TRUE(sleeping.started());
  EXPECT_EQ(sleeping.finish(std::chrono::milliseconds(0)), std::nullopt);
  EXPECT_EQ(sleeping.finish(std::chrono::milliseconds(0)), std::nullopt);

  const ChildProgram missing({"/no/such/program"}, ChildProgram::Output::piped);
  EXPECT_FALSE(missing.started());
  EXPECT_NE(missing.failure().find("/no/such/program"), std::string::npos) << missing.failure();
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
  const BundleRegistry registry({home.path()});
  EXPECT_EQ(registry.commandFor("com.quenlow.plovanemenu").arguments,
            std::vector<std::string>{(home.path() / "Plovane Menu.app/plovane-menu").string()});
  EXPECT_NE(registry.commandFor("com.quenlow.broken").failure.find("CFBundleExecutable"),
            std::string::npos);
  EXPECT_TRUE(registry.commandFor("com.x").arguments.empty());
  EXPECT_TRUE(registry.commandFor("com.quenlow.PlovaneMenu").arguments.empty());
  EXPECT_TRUE(BundleRegistry({home.path() / "missing"}).commandFor("com.x").arguments.empty());
}

// The user's own installation comes first; the system's package is found when the user has none.
TEST(BundleRegistryTest, SearchesTheRootsInOrder) {
  TemporaryFolder home;
  const auto user = home.path() / "user", system = home.path() / "system";
  writeBundleInfo(user / "Mine.app",
                  "<key>CFBundleIdentifier</key><string>com.quenlow.both</string>"
                  "<key>CFBundleExecutable</key><string>mine</string>");
  writeBundleInfo(system / "Packaged.app",
                  "<key>CFBundleIdentifier</key><string>com.quenlow.both</string>"
                  "<key>CFBundleExecutable</key><string>packaged</string>");
  writeBundleInfo(system / "Other.app",
                  "<key>CFBundleIdentifier</key><string>com.quenlow.other</string>"
                  "<key>CFBundleExecutable</key><string>other</string>");
  const BundleRegistry registry({user, system});
  EXPECT_EQ(registry.commandFor("com.quenlow.both").arguments,
            std::vector<std::string>{(user / "Mine.app/mine").string()});
  EXPECT_EQ(registry.commandFor("com.quenlow.other").arguments,
            std::vector<std::string>{(system / "Other.app/other").string()});
  const auto absent = registry.commandFor("com.quenlow.absent");
  EXPECT_TRUE(absent.arguments.empty());
  EXPECT_NE(absent.failure.find(user.string() + " or " + system.string()), std::string::npos);
}

TEST(BundleRegistryTest, PlatformProgramsMapToThisDesktopsOwn) {
  TemporaryFolder home;
  const auto bin = makeFolder(home.path() / "bin");
  std::ofstream(bin / "xterm") << "#!/bin/true\n";
  std::filesystem::permissions(bin / "xterm", std::filesystem::perms::owner_all);
  const BundleRegistry registry({home.path() / "Applications"});
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
