#include <gtest/gtest.h>

#include "extension/CompanionTools.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"
#include "tests/extension/ButtonActions.h"

namespace plovane {
namespace {

using platform::sim::ModalAnswer;

class CompanionOffersTest : public ::testing::Test {
 protected:
  testing::TestEnvironment env;
  testing::ButtonActions buttons;
  CompanionTools tools{
      {env.platform.runLoop, env.platform.fileManager, env.platform.workspace, env.platform.modals},
      buttons};
};

// The alert left open would take the next answer, and there is none: ending the wrong one fails.
TEST_F(CompanionOffersTest, AnOfferIsHeldAndEndedInItsOwnToolsSlot) {
  buttons.handOn = [this](const std::string& action) {
    if (action == kPellisade.declineAction) tools.closeOffer(kPellisade, false);
  };
  env.modals.answer(ModalAnswer::button("No"));
  tools.open(kPellisade);
  EXPECT_TRUE(env.modals.shown.empty()) << "shown before the menu closed";
  env.runLoop.drain();
  EXPECT_EQ(tools.offerOf(kPellisade)->messageText, kPellisade.offer);
  EXPECT_EQ(tools.offerOf(kMarrowfen)->messageText, "");
  EXPECT_EQ(tools.offerOf(kScallotta)->messageText, "");
  EXPECT_EQ(buttons.performed, std::vector<std::string>{"dpscancel"});
  EXPECT_TRUE(env.workspace.openedURLStrings.empty());
}

TEST_F(CompanionOffersTest, AFoundToolStartsOnlyAfterTheMenuActionReturned) {
  testing::writeBundleInfo(env.home.path() / "Applications" / "Marrowfen.app",
                           "<key>CFBundleIdentifier</key><string>com.quenlow.marrowfen</string>");
  tools.open(kMarrowfen);
  EXPECT_TRUE(env.workspace.openedURLs.empty());
  env.runLoop.drain();
  ASSERT_EQ(env.workspace.openedURLs.size(), 1u);
  EXPECT_EQ(env.workspace.openedURLs[0].lastPathComponent(), "Marrowfen.app");
  EXPECT_TRUE(env.modals.shown.empty());
}

}  // namespace
}  // namespace plovane
