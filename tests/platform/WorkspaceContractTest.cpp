// One body for both backends: which files the workspace refuses as the desktop picture.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/DesktopWorkspace.h"
#include "sim/RecordingSystemLog.h"
#include "sim/SimWorkspace.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform {
namespace {

using plovane::testing::TemporaryFolder;

class WorkspaceContractTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      plovane::testing::qtApplication();
      // A gsettings that would accept anything: the refusal must come before it is asked.
      workspace = std::make_unique<desktop::DesktopWorkspace>(
          QDBusConnection::sessionBus(), desktop::BundleRegistry({home.path()}), log, "/bin/true");
    } else {
      workspace = std::make_unique<sim::SimWorkspace>(transcript);
    }
  }
  TemporaryFolder home;
  sim::RecordingSystemLog log;
  sim::Transcript transcript;
  std::unique_ptr<NSWorkspace> workspace;
};

TEST_P(WorkspaceContractTest, OnlyAnImageFileCanBecomeTheDesktopPicture) {
  const auto screen = workspace->mainScreen();
  ASSERT_TRUE(screen);
  EXPECT_FALSE(screen->name.empty());
  for (const auto& path : {home.path(), home.path() / "missing.png"}) {
    const auto url = NSURL::fileURLWithPath(path.string());
    const auto error = workspace->setDesktopImageURL(url, *screen);
    ASSERT_TRUE(error) << path;
    EXPECT_EQ(error->localizedDescription,
              "The file \u201c" + url.lastPathComponent() + "\u201d is not an image.");
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, WorkspaceContractTest, ::testing::Values(false, true),
                         [](const auto& backend) { return backend.param ? "Desktop" : "Sim"; });

}  // namespace
}  // namespace platform
