// The first-run onboarding: the extension seen running, folders granted in a sheet, and the
// completion that marks the first run over, tells the user and quits.
#include "app/firstRunvc.h"
#include "platform/NSUserName.h"
#include "shared/MonitoredFolders.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::NSApplicationActivationPolicy;
using platform::PlistArray;
using platform::PlistValue;
using platform::sim::ModalAnswer;

constexpr char kDoneText[] =
    "You have succeessfully enabled Plovane Menu and can see the Plovane Menu items in the "
    "Context Menu on right click for selected folders. You can change these settings in the app "
    "anytime.";

class OnboardingTest : public testing::SettingsAppFixture {
 protected:
  app::firstRunvc& onboarding() {
    return dynamic_cast<app::firstRunvc&>(*mainWindow().contentViewController());
  }
  // Presses "Choose Folders…"; the panel takes the first answer, alerts that follow the rest.
  void chooseFolders(std::vector<ModalAnswer> answers) {
    for (auto& answer : answers) env.modals.answer(std::move(answer));
    onboarding().btnuserfolder->performClick();
    env.runLoop.drain();
  }
  std::optional<PlistValue> stored(const char* key) { return env.openSuite()->objectForKey(key); }
  std::optional<PlistValue> firstRunMark() {
    return env.defaults.standardUserDefaults(kAppBundleIdentifier)->objectForKey(keys::firstRun);
  }
  std::size_t alertsShown() const {
    std::size_t alerts = 0;
    for (const auto& shown : env.modals.shown)
      alerts += std::holds_alternative<platform::NSAlert>(shown);
    return alerts;
  }
};

TEST_F(OnboardingTest, ExtensionAlreadyRunningThenFoldersCompleteAtOnceAndQuitAfterOK) {
  extensionRuns(NSApplicationActivationPolicy::accessory);
  launch();
  // Seen by the first check, before any tick of the poll.
  EXPECT_TRUE(onboarding().firststepDone);
  EXPECT_FALSE(onboarding().btnpreferences->isEnabled());

  chooseFolders({ModalAnswer::ok({"/home/u/Photos", "/home/u/Work", "/home/u/Photos"})});
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{"/home/u/Photos", "/home/u/Work"}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{1, 1}));
  // Handed to the file manager at once, so the promised menu is there without a restart.
  EXPECT_EQ(env.finderSyncController.directoryURLs(),
            (std::set{platform::NSURL::fileURLWithPath("/home/u/Photos"),
                      platform::NSURL::fileURLWithPath("/home/u/Work")}));
  EXPECT_FALSE(onboarding().btnuserfolder->isEnabled());
  EXPECT_EQ(firstRunMark(), PlistValue(true));
  EXPECT_FALSE(env.openSuite()->objectForKey(keys::allBookmark));

  // The alert comes 0.2 seconds later; the app quits once it is answered.
  env.runLoop.advanceBy(0.1);
  EXPECT_EQ(alertsShown(), 0u);
  env.modals.answer(ModalAnswer::button("OK"));
  env.runLoop.advanceBy(0.1);
  ASSERT_EQ(alertsShown(), 1u);
  EXPECT_EQ(lastAlert().messageText, kDoneText);
  EXPECT_EQ(lastAlert().alertStyle, platform::NSAlertStyle::warning);
  EXPECT_TRUE(windows.terminated);

  platform::NSApplication next(windows, NSApplicationActivationPolicy::accessory);
  app::AppContext nextContext(env.platform, next);
  app::AppDelegate nextDelegate(nextContext);
  next.delegate = &nextDelegate;
  next.finishLaunching();
  EXPECT_EQ(nextContext.mainWindowController()->window()->contentViewController(),
            nextContext.tabViewController().get());
}

TEST_F(OnboardingTest, TheFolderPanelIsASheetThatGrantsSeveralFolders) {
  launch();
  onboarding().btnuserfolder->performClick();
  env.runLoop.drain();
  ASSERT_EQ(env.modals.openSheets(), 1u);
  const auto& panel = std::get<platform::NSOpenPanel>(env.modals.shown.back());
  EXPECT_EQ(panel.prompt, "Grant Access");
  EXPECT_TRUE(panel.canChooseDirectories);
  EXPECT_FALSE(panel.canChooseFiles);
  EXPECT_TRUE(panel.allowsMultipleSelection);
  EXPECT_FALSE(panel.showsHiddenFiles);
  EXPECT_EQ(panel.directoryURL->path(), "/");
  EXPECT_EQ(panel.allowedFileTypes, std::vector{platform::NSUserName()});
  EXPECT_FALSE(panel.allowsOtherFileTypes);

  // The checks go on behind the sheet: step one completes while it is open.
  extensionRuns(NSApplicationActivationPolicy::accessory);
  env.runLoop.advanceBy(5);
  EXPECT_TRUE(onboarding().firststepDone);
  EXPECT_EQ(env.modals.openSheets(), 1u);
  EXPECT_FALSE(firstRunMark());
}

TEST_F(OnboardingTest, FoldersFirstThenTheExtensionCompletesAtTheNextCheck) {
  launch();
  chooseFolders({ModalAnswer::ok("/home/u/Photos")});
  EXPECT_TRUE(onboarding().secondStepDone);
  EXPECT_FALSE(firstRunMark());

  extensionRuns(NSApplicationActivationPolicy::accessory);
  env.modals.answer(ModalAnswer::button("OK"));
  env.runLoop.advanceBy(5);
  EXPECT_EQ(firstRunMark(), PlistValue(true));
  EXPECT_FALSE(windows.terminated);
  env.runLoop.advanceBy(0.2);
  EXPECT_TRUE(windows.terminated);
}

TEST_F(OnboardingTest, StepOneFallsBackWhenTheExtensionStops) {
  extensionRuns(NSApplicationActivationPolicy::accessory);
  launch();
  EXPECT_FALSE(onboarding().btnpreferences->isEnabled());
  env.workspace.running.clear();
  env.runLoop.advanceBy(5);
  EXPECT_FALSE(onboarding().firststepDone);
  EXPECT_TRUE(onboarding().btnpreferences->isEnabled());
  onboarding().btnpreferences->performClick();
  ASSERT_EQ(env.workspace.openedURLs.size(), 1u);
  EXPECT_EQ(env.workspace.openedURLs.front().path(),
            "/System/Library/PreferencePanes/Extensions.prefPane");
}

TEST_F(OnboardingTest, StepTwoNamesAFileManagerThatMustBeRestartedWhileItRunsWithoutTheModule) {
  env.workspace.runningWithoutModule = {"Thunar"};
  launch();
  EXPECT_FALSE(onboarding().lblrestarthint->isHidden());
  EXPECT_EQ(onboarding().lblrestarthint->stringValue().rfind("Thunar must be restarted", 0), 0u);
  env.workspace.runningWithoutModule.clear();
  env.runLoop.advanceBy(5);
  EXPECT_TRUE(onboarding().lblrestarthint->isHidden());
}

TEST_F(OnboardingTest, ChosenFoldersJoinThoseAlreadyStoredWhichKeepTheirSwitches) {
  writeMonitoredFolders(*env.openSuite(), {{"/home/u/Kept", "/home/u/Photos"}, {1, 0}});
  launch();
  chooseFolders({ModalAnswer::ok({"/home/u/Photos", "/home/u/Work"})});
  EXPECT_EQ(stored(keys::foldersArray),
            PlistValue(PlistArray{"/home/u/Kept", "/home/u/Photos", "/home/u/Work"}));
  EXPECT_EQ(stored(keys::foldersArraystate), PlistValue(PlistArray{1, 0, 1}));
  EXPECT_EQ(env.finderSyncController.directoryURLs().size(), 3u);
}

TEST_F(OnboardingTest, CancelChangesNothingAndTheButtonWorksAgain) {
  launch();
  chooseFolders({ModalAnswer::cancel()});
  EXPECT_FALSE(onboarding().secondStepDone);
  EXPECT_TRUE(onboarding().btnuserfolder->isEnabled());
  EXPECT_FALSE(stored(keys::foldersArray));
  chooseFolders({ModalAnswer::ok("/home/u/Photos")});
  EXPECT_EQ(stored(keys::foldersArray), PlistValue(PlistArray{"/home/u/Photos"}));
}

TEST_F(OnboardingTest, FoldersThatCannotBeSavedKeepStepTwoOpenAndSayWhy) {
  env.openSuite()->setObject(PlistArray{"/kept"}, keys::foldersArray);
  extensionRuns(NSApplicationActivationPolicy::accessory);
  launch();
  breakWritesOf(kSuiteName);
  chooseFolders({ModalAnswer::ok("/home/u/Photos"), ModalAnswer::button("OK")});
  EXPECT_EQ(lastAlert().messageText, "Your folders could not be saved.");
  EXPECT_FALSE(onboarding().secondStepDone);
  EXPECT_TRUE(onboarding().btnuserfolder->isEnabled());
  EXPECT_FALSE(firstRunMark());
  env.runLoop.advanceBy(10);
  EXPECT_FALSE(windows.terminated);
}

TEST_F(OnboardingTest, WithoutAStoreStepTwoStaysOpen) {
  env.defaults.setSuitesUnavailable(true);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));  // "cannot save its settings"
  extensionRuns(NSApplicationActivationPolicy::accessory);
  launch();
  chooseFolders({ModalAnswer::ok("/home/u/Photos"), ModalAnswer::button("OK")});
  EXPECT_EQ(lastAlert().informativeText, "the shared settings could not be opened");
  EXPECT_FALSE(onboarding().secondStepDone);
  EXPECT_FALSE(firstRunMark());
}

TEST_F(OnboardingTest, TheCompletionRunsOnceWhateverChecksArriveAfterIt) {
  extensionRuns(NSApplicationActivationPolicy::accessory);
  launch();
  chooseFolders({ModalAnswer::ok("/home/u/Photos")});
  // Checks already queued, and later ticks, find both steps done again.
  onboarding().checkIsextensionrunning();
  onboarding().checkIsextensionrunning();
  env.modals.answer(ModalAnswer::button("OK"));
  env.runLoop.advanceBy(30);  // a second alert would find no answer and throw
  EXPECT_EQ(alertsShown(), 1u);
  EXPECT_TRUE(windows.terminated);
}

TEST_F(OnboardingTest, AppearingTwiceLeavesOnePollTimer) {
  launch();
  onboarding().viewWillAppear();
  env.runLoop.advanceBy(5);
  EXPECT_EQ(env.runLoop.pendingDelays(), 1u);
  onboarding().viewWillDisappear();
  env.runLoop.advanceBy(5);
  EXPECT_EQ(env.runLoop.pendingDelays(), 0u);
}

}  // namespace
}  // namespace plovane
