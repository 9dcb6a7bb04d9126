#include <gtest/gtest.h>

#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "support/CommandFixture.h"

namespace plovane {
namespace {

using platform::PlistDate;
using platform::PlistValue;
using platform::sim::ModalAnswer;

constexpr double kDay = 24 * 60 * 60;

class RatingPromptTest : public testing::CommandFixture {
 protected:
  void SetUp() override {
    select({work / "a.txt"});
    // 2026-12-08 23:59:00 UTC; the sim calendar counts days in UTC.
    env.runLoop.advanceBy(referenceDay + kDay - 60);
  }
  static constexpr double referenceDay = 818380800;  // 2026-12-08 00:00:00 UTC
};

TEST_F(RatingPromptTest, FirstUseOnlyStartsTheCountAndTheNextDayAsksOnce) {
  choose(kOpenTerminal);
  EXPECT_FALSE(ratingPromptShown());
  EXPECT_EQ(ownDefault(keys::alertVisibledate), PlistValue(env.runLoop.now()));

  choose(kOpenTerminal);
  EXPECT_FALSE(ratingPromptShown());

  env.runLoop.advanceBy(120);  // past midnight
  answer({ModalAnswer::button("No, Thanks!")});
  choose(kOpenTerminal);
  ASSERT_TRUE(ratingPromptShown());
  const auto& prompt = shown<platform::NSAlert>(0);
  EXPECT_EQ(prompt.informativeText,
            "If you liked Plovane Menu, spread the word and help other users. Rate us on the App "
            "Store.");
  EXPECT_EQ(prompt.buttons.size(), 2u);
  EXPECT_EQ(prompt.buttons[0].title, "Rate Now");
  EXPECT_EQ(prompt.buttons[0].action, "btnYes_rateus");
  EXPECT_EQ(ownDefault(keys::alertVisibledate), PlistValue(env.runLoop.now()));
  EXPECT_FALSE(ownDefault(keys::rateDone));

  choose(kOpenTerminal);
  EXPECT_EQ(env.modals.shown.size(), 1u);

  env.runLoop.advanceBy(3 * kDay);
  answer({ModalAnswer::button("Rate Now")});
  choose(kOpenSystemPreferences);
  EXPECT_EQ(env.modals.shown.size(), 2u);
  EXPECT_EQ(ownDefault(keys::rateDone), PlistValue(1));
  ASSERT_EQ(env.workspace.openedURLStrings.size(), 1u);
  EXPECT_TRUE(env.workspace.openedURLStrings[0].starts_with("macappstore:"));

  env.runLoop.advanceBy(30 * kDay);
  choose(kOpenTerminal);
  EXPECT_EQ(env.modals.shown.size(), 2u);
}

TEST_F(RatingPromptTest, AnyStoredRateDoneStopsThePrompts) {
  env.extensionDefaults()->setObject("later", keys::rateDone);
  env.extensionDefaults()->setObject(PlistDate{0}, keys::alertVisibledate);
  choose(kOpenTerminal);
  EXPECT_FALSE(ratingPromptShown());
}

TEST_F(RatingPromptTest, DateOfAnotherTypeOrAClockTurnedBack) {
  env.extensionDefaults()->setObject("yesterday", keys::alertVisibledate);
  choose(kOpenTerminal);
  EXPECT_FALSE(ratingPromptShown());
  EXPECT_EQ(ownDefault(keys::alertVisibledate), PlistValue(env.runLoop.now()));

  env.extensionDefaults()->setObject(PlistDate{env.runLoop.now().secondsSince2001 + 5 * kDay},
                                     keys::alertVisibledate);
  answer({ModalAnswer::button("No, Thanks!")});
  choose(kOpenTerminal);
  EXPECT_TRUE(ratingPromptShown());
}

TEST_F(RatingPromptTest, ScheduledOnlyAfterTheCommandsThatCompleteWork) {
  env.extensionDefaults()->setObject(PlistDate{0}, keys::alertVisibledate);
  env.workspace.installed.insert(kAppBundleIdentifier);
  answer({ModalAnswer::button("No")});  // the companion tool's install offer
  for (auto tag : {kConfigureSettings, kSendViaMail, kFindDuplicateFiles}) choose(tag);
  EXPECT_FALSE(ratingPromptShown());
  answer({ModalAnswer::button("OK"), ModalAnswer::cancel()});
  choose(kCopyToAFolder);
  EXPECT_FALSE(ratingPromptShown());

  answer({ModalAnswer::button("No, Thanks!")});
  extension().performSelector("alertforRateApp", nullptr);
  env.runLoop.drain();
  EXPECT_TRUE(ratingPromptShown());
}

}  // namespace
}  // namespace plovane
