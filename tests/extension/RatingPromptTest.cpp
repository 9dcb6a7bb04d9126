#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "extension/RatingPrompt.h"
#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "support/CommandFixture.h"
#include "tests/extension/ButtonActions.h"

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

// Each of these ends by checking whether to ask for a rating (the wallpaper whatever became of
// it); a hide that failed does not.
TEST_F(RatingPromptTest, CommandsThatRanToTheirEndAskAndAFailedHideDoesNot) {
  std::ofstream(work / "photo.png").put('x');
  const auto dotted = work / ".profile";
  std::ofstream(dotted).put('x');
  struct Case {
    const char* name;
    std::filesystem::path selected;
    std::int64_t tag;
    std::vector<ModalAnswer> answers;
    bool asks;
  };
  const std::vector<Case> cases = {
      {"wallpaper", work / "photo.png", kSetAsWallpaper, {}, true},
      {"wallpaper of a folder", work, kSetAsWallpaper, {}, true},
      {"new text file",
       work,
       kCreateNewTextFile,
       {ModalAnswer::ok((work / "n.txt").string())},
       true},
      {"copy path", work / "a.txt", kCopyPathToClipboard, {ModalAnswer::button("OK")}, true},
      {"new window", work / "a.txt", kOpenNewFinderWindow, {}, true},
      {"hide", work / "a.txt", kHideUnhideItem, {ModalAnswer::ok((work / "a.txt").string())}, true},
      {"unhide a dot name", dotted, kHideUnhideItem, {ModalAnswer::ok(dotted.string())}, false},
  };
  for (const auto& command : cases) {
    env.extensionDefaults()->setObject(PlistDate{env.runLoop.now().secondsSince2001 - 2 * kDay},
                                       keys::alertVisibledate);
    env.modals.shown.clear();
    select({command.selected});
    for (const auto& next : command.answers) env.modals.answer(next);
    if (command.asks) env.modals.answer(ModalAnswer::button("No, Thanks!"));
    choose(command.tag);
    EXPECT_EQ(ratingPromptShown(), command.asks) << command.name;
    EXPECT_EQ(env.modals.answersLeft(), 0u) << command.name;
  }
  EXPECT_TRUE(std::filesystem::exists(work / "n.txt"));
}

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

// The check never runs inside the command that scheduled it, and the prompt is kept where its
// buttons' actions look for it: an alert they did not end would wait for another answer.
TEST(RatingPromptAloneTest, ChecksOnTheMainQueueAndEndsThePromptItHolds) {
  testing::TestEnvironment env;
  testing::ButtonActions buttons;
  RatingPrompt prompt({env.platform.runLoop, env.platform.defaults, env.platform.mainBundle,
                       env.platform.calendar, env.platform.modals, env.platform.workspace},
                      buttons);
  buttons.handOn = [&prompt](const std::string& action) {
    if (action == "btnCancel_rate") prompt.decline();
  };
  env.extensionDefaults()->setObject(PlistDate{-kDay}, keys::alertVisibledate);
  env.modals.answer(ModalAnswer::button("No, Thanks!"));
  prompt.schedule();
  EXPECT_TRUE(env.modals.shown.empty());
  EXPECT_EQ(env.extensionDefaults()->objectForKey(keys::alertVisibledate),
            PlistValue(PlistDate{-kDay}));
  env.runLoop.drain();
  auto held = prompt.prompt();  // a copy, with the held alert's one window
  EXPECT_EQ(held.messageText, "Enjoying Plovane Menu?");
  EXPECT_FALSE(held.window().isVisible());
  EXPECT_EQ(buttons.performed, std::vector<std::string>{"btnCancel_rate"});
  EXPECT_FALSE(env.extensionDefaults()->objectForKey(keys::rateDone));
}

}  // namespace
}  // namespace plovane
