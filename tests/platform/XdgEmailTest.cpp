// Composing mail through the real xdg-email, with $MAILER (its hook for the user's client)
// pointed at a recorder or at a client that fails.
#include "desktop/XdgEmail.h"

#include <gtest/gtest.h>

#include "support/FileTree.h"
#include "support/RecordedLaunch.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

using plovane::testing::EnvironmentOverride;
using plovane::testing::RecordedLaunch;

class XdgEmailTest : public ::testing::Test {
 protected:
  plovane::testing::TemporaryFolder home;
  std::filesystem::path folder = plovane::testing::makeFolder(home.path() / "Work", {"a b,c.txt"});
  XdgEmail mail;
};

TEST_F(XdgEmailTest, AFileReachesTheMailClientAsAnAttachment) {
  RecordedLaunch recorded(home.path());
  EnvironmentOverride client("MAILER", PLOVANE_ARGUMENT_RECORDER);
  EXPECT_EQ(mail.performWithItems({NSURL::fileURLWithPath((folder / "a b,c.txt").string())}),
            std::nullopt);
  const auto arguments = recorded.arguments();
  ASSERT_EQ(arguments.size(), 2u);
  EXPECT_TRUE(arguments[1].starts_with("mailto:")) << arguments[1];
  EXPECT_NE(arguments[1].find("attach="), std::string::npos) << arguments[1];
  EXPECT_NE(arguments[1].find("a%20b%2Cc.txt"), std::string::npos) << arguments[1];
}

TEST_F(XdgEmailTest, WhatMailCannotCarryIsRefusedWithTheReason) {
  EnvironmentOverride client("MAILER", "/bin/true");
  const auto asFolder = mail.performWithItems({NSURL::fileURLWithPath(folder.string())});
  ASSERT_TRUE(asFolder);
  EXPECT_NE(asFolder->find("is a folder"), std::string::npos) << *asFolder;
  const auto gone = mail.performWithItems({NSURL::fileURLWithPath((folder / "gone").string())});
  ASSERT_TRUE(gone);
  EXPECT_NE(gone->find("no longer there"), std::string::npos) << *gone;
  EXPECT_TRUE(mail.performWithItems({}));
}

TEST_F(XdgEmailTest, AClientThatFailsIsNotTakenAsSent) {
  EnvironmentOverride client("MAILER", "/bin/false");
  const auto failed =
      mail.performWithItems({NSURL::fileURLWithPath((folder / "a b,c.txt").string())});
  ASSERT_TRUE(failed);
  EXPECT_NE(failed->find("could not be opened"), std::string::npos) << *failed;
}

}  // namespace
}  // namespace platform::desktop
