// The General tab: the extension's state, polled while the tab is shown, and the menu's options.
#include "app/genraltabvc.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::NSApplicationActivationPolicy;
using platform::NSControlStateValueOff;
using platform::NSControlStateValueOn;
using platform::PlistValue;

constexpr char kEnabled[] = "Plovane Menu Extension is enabled";
constexpr char kDisabled[] =
    "Enable \"Plovane Menu Extension\" in System Preferences > Extensions to make Plovane Menu "
    "work.";

class GeneralTabTest : public testing::SettingsAppFixture {
 protected:
  app::genraltabvc& general() { return tab<app::genraltabvc>(0); }
  std::string stateText() { return general().lblextensionstate->stringValue(); }
  void showTab(std::size_t index) { tabs().setSelectedTabViewItemIndex(index); }
};

TEST_F(GeneralTabTest, AFreshStoreGetsTheTwoOptionsWrittenWithTheirDefaults) {
  markFirstRunDone();
  launch();
  auto store = env.openSuite();
  EXPECT_EQ(store->objectForKey(keys::showmenuicon), PlistValue(true));
  EXPECT_EQ(store->objectForKey(keys::showinSubMenu), PlistValue(false));
  EXPECT_EQ(general().checkboxShowicon->state(), NSControlStateValueOn);
  EXPECT_EQ(general().checkbox_showinSubMenu->state(), NSControlStateValueOff);
}

TEST_F(GeneralTabTest, StoredOptionsAreShownAndValuesOfAnotherTypeReplaced) {
  auto store = env.openSuite();
  store->setObject(false, keys::showmenuicon);
  store->setObject(1, keys::showinSubMenu);  // an integer is not a boolean
  markFirstRunDone();
  launch();
  EXPECT_EQ(general().checkboxShowicon->state(), NSControlStateValueOff);
  EXPECT_EQ(general().checkbox_showinSubMenu->state(), NSControlStateValueOff);
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showmenuicon), PlistValue(false));
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showinSubMenu), PlistValue(false));
}

TEST_F(GeneralTabTest, TogglingACheckBoxWritesTheNewValueAtOnce) {
  markFirstRunDone();
  launch();
  general().checkbox_showinSubMenu->performClick();
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showinSubMenu), PlistValue(true));
  general().checkboxShowicon->performClick();
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showmenuicon), PlistValue(false));
}

TEST_F(GeneralTabTest, WithoutAStoreTheDefaultsShowAndTogglingWritesNothing) {
  env.defaults.setSuitesUnavailable(true);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));  // "cannot save its settings"
  markFirstRunDone();
  launch();
  EXPECT_EQ(general().checkboxShowicon->state(), NSControlStateValueOn);
  EXPECT_EQ(general().checkbox_showinSubMenu->state(), NSControlStateValueOff);
  general().checkboxShowicon->performClick();
  env.defaults.setSuitesUnavailable(false);
  EXPECT_FALSE(env.openSuite()->objectForKey(keys::showmenuicon));
}

TEST_F(GeneralTabTest, AnOptionThatCannotBeSavedIsShownAsStoredAndTheUserTold) {
  markFirstRunDone();
  launch();
  breakWritesOf(kSuiteName);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));
  general().checkbox_showinSubMenu->performClick();
  EXPECT_EQ(general().checkbox_showinSubMenu->state(), NSControlStateValueOff);
  EXPECT_EQ(env.modals.shown.size(), 1u);

  // The refused value is gone: the next change that is saved does not carry it along.
  repairWritesOf(kSuiteName);
  general().checkboxShowicon->performClick();
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showmenuicon), PlistValue(false));
  EXPECT_EQ(env.openSuite()->objectForKey(keys::showinSubMenu), PlistValue(false));
}

TEST_F(GeneralTabTest, TheStateLabelSaysWhetherTheExtensionRunsAsAnAccessory) {
  struct Case {
    std::string identifier;
    NSApplicationActivationPolicy policy;
    const char* expected;
  };
  for (const auto& [identifier, policy, expected] : std::vector<Case>{
           {kExtensionBundleIdentifier, NSApplicationActivationPolicy::accessory, kEnabled},
           {"COM.Quenlow.PlovaneMenu.FinderSyncExtension", NSApplicationActivationPolicy::accessory,
            kEnabled},
           {kExtensionBundleIdentifier, NSApplicationActivationPolicy::regular, kDisabled},
           {"com.quenlow.plovanemenu", NSApplicationActivationPolicy::accessory, kDisabled},
       }) {
    testing::TestEnvironment fresh{"1.9", kAppBundleIdentifier};
    fresh.workspace.running = {{std::nullopt, NSApplicationActivationPolicy::accessory},
                               {identifier, policy}};
    app::genraltabvc controller(
        {fresh.defaults, fresh.runLoop, fresh.workspace, fresh.log, fresh.modals});
    controller.setViewLoader([&controller] {
      auto view = std::make_unique<platform::NSView>();
      controller.lblextensionstate = &view->addSubview<platform::NSTextField>();
      controller.lblrestarthint = &view->addSubview<platform::NSTextField>();
      controller.checkboxShowicon = &view->addSubview<platform::NSButton>();
      controller.checkbox_showinSubMenu = &view->addSubview<platform::NSButton>();
      return view;
    });
    controller.view();
    fresh.runLoop.drain();
    EXPECT_EQ(controller.lblextensionstate->stringValue(), expected) << identifier;
    EXPECT_EQ(controller.isextensionrunning, std::string(expected) == kEnabled);
  }
}

TEST_F(GeneralTabTest, TheStateIsPolledEveryFiveSecondsOnlyWhileTheTabIsShown) {
  markFirstRunDone();
  launch();
  EXPECT_EQ(stateText(), kDisabled);

  extensionRuns(NSApplicationActivationPolicy::accessory);
  env.runLoop.advanceBy(4.9);
  EXPECT_EQ(stateText(), kDisabled);
  env.runLoop.advanceBy(0.1);
  EXPECT_EQ(stateText(), kEnabled);

  showTab(1);
  env.workspace.running.clear();
  env.runLoop.advanceBy(20);
  EXPECT_EQ(stateText(), kEnabled) << "refreshed while another tab was shown";

  // Coming back does not check at once; the first tick does.
  showTab(0);
  env.runLoop.drain();
  EXPECT_EQ(stateText(), kEnabled);
  env.runLoop.advanceBy(5);
  EXPECT_EQ(stateText(), kDisabled);
}

TEST_F(GeneralTabTest, FileManagersThatMustBeRestartedAreNamedUntilTheyRunWithTheModule) {
  env.workspace.runningWithoutModule = {"Caja", "Nemo", "Thunar"};
  markFirstRunDone();
  launch();
  const auto& hint = *general().lblrestarthint;
  EXPECT_FALSE(hint.isHidden());
  EXPECT_EQ(hint.stringValue(),
            "Caja, Nemo and Thunar must be restarted to show the menu. Quit and open them again, "
            "or press their Restart buttons in the window that lists the file managers.");
  EXPECT_EQ(stateText(), kDisabled) << "the description's text stays";

  env.workspace.runningWithoutModule = {"Nemo"};
  env.runLoop.advanceBy(5);
  EXPECT_EQ(hint.stringValue(),
            "Nemo must be restarted to show the menu. Quit and open it again, or press its "
            "Restart button in the window that lists the file managers.");
  env.workspace.runningWithoutModule.clear();
  env.runLoop.advanceBy(5);
  EXPECT_TRUE(hint.isHidden());
}

TEST_F(GeneralTabTest, AppearingTwiceLeavesOnePollTimer) {
  markFirstRunDone();
  launch();
  general().viewWillAppear();
  env.runLoop.advanceBy(5);
  EXPECT_EQ(env.runLoop.pendingDelays(), 1u);
  general().viewWillDisappear();
  env.runLoop.advanceBy(5);
  EXPECT_EQ(env.runLoop.pendingDelays(), 0u);
}

TEST_F(GeneralTabTest, TheSettingsButtonOpensTheExtensionsPane) {
  markFirstRunDone();
  launch();
  platform::NSButton sender;
  general().btnopenSystemPrefrences(sender);
  ASSERT_EQ(env.workspace.openedURLs.size(), 1u);
  EXPECT_EQ(env.workspace.openedURLs.front().path(),
            "/System/Library/PreferencePanes/Extensions.prefPane");
}

}  // namespace
}  // namespace plovane
