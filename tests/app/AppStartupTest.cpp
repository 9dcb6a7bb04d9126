// The settings app's start, its main window's content, quitting, and the extension's requests.
#include <fstream>

#include "app/MainStoryboard.h"
#include "app/SettingsTrouble.h"
#include "app/UtilityKitWindow.h"
#include "app/firstRunvc.h"
#include "app/genraltabvc.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::NSApplicationActivationPolicy;
using testing::SettingsAppFixture;

class AppStartupTest : public SettingsAppFixture {};

TEST_F(AppStartupTest, FirstStartShowsTheWelcomeAsARegularApp) {
  launch();
  EXPECT_EQ(windows.activationPolicy, NSApplicationActivationPolicy::regular);
  ASSERT_EQ(windows.visibleWindows.size(), 1u);
  EXPECT_EQ(windows.visibleWindows.front(), &mainWindow());
  EXPECT_NE(dynamic_cast<app::firstRunvc*>(mainWindow().contentViewController()), nullptr);
}

TEST_F(AppStartupTest, AnyFirstRunValueShowsTheTabs) {
  for (const platform::PlistValue& value :
       {platform::PlistValue(true), platform::PlistValue(false), platform::PlistValue("no")}) {
    testing::TestEnvironment fresh{"1.9", kAppBundleIdentifier};
    fresh.defaults.standardUserDefaults(kAppBundleIdentifier)->setObject(value, keys::firstRun);
    platform::NSApplication app(fresh.sim.windowServer, NSApplicationActivationPolicy::accessory);
    app::AppContext freshContext(fresh.platform, app);
    app::AppDelegate freshDelegate(freshContext);
    app.delegate = &freshDelegate;
    app.finishLaunching();
    fresh.runLoop.drain();
    EXPECT_EQ(freshContext.mainWindowController()->window()->contentViewController(),
              freshContext.tabViewController().get());
  }
}

TEST_F(AppStartupTest, ClosingTheMainWindowQuitsEvenWithTheOtherAppsWindowOpen) {
  markFirstRunDone();
  launch();
  env.notifications.postNotificationName(notifications::ShowUtilityKit, kExtensionBundleIdentifier);
  env.runLoop.drain();
  ASSERT_EQ(windows.visibleWindows.size(), 2u);
  mainWindow().performClose();
  EXPECT_TRUE(windows.terminated);
}

TEST_F(AppStartupTest, ClosingTheOtherAppsWindowLeavesTheAppRunning) {
  markFirstRunDone();
  launch();
  env.notifications.postNotificationName(notifications::ShowUtilityKit, kExtensionBundleIdentifier);
  env.runLoop.drain();
  context.utilityKitWindowController()->window()->performClose();
  EXPECT_FALSE(windows.terminated);
  EXPECT_TRUE(mainWindow().isVisible());
}

TEST_F(AppStartupTest, OtherAppsRequestsFromTheExtensionOnlyOpenOneWindowAndActivate) {
  launch();  // the welcome is shown: the request still counts
  for (int i = 0; i < 2; ++i) {
    env.notifications.postNotificationName(notifications::ShowUtilityKit,
                                           kExtensionBundleIdentifier);
    env.runLoop.drain();
  }
  EXPECT_EQ(windows.visibleWindows.size(), 2u);
  EXPECT_EQ(windows.visibleWindows.back(), context.utilityKitWindowController()->window());
  EXPECT_EQ(windows.activations, 2);
}

TEST_F(AppStartupTest, RequestsCarryingAnotherObjectAreNotHeard) {
  launch();
  env.notifications.postNotificationName(notifications::ShowUtilityKit,
                                         "COM.QUENLOW.PLOVANEMENU.FINDERSYNCEXTENSION");
  env.notifications.postNotificationName(notifications::ShowUtilityKit, "someone.else");
  env.runLoop.drain();
  EXPECT_EQ(windows.visibleWindows.size(), 1u);
  EXPECT_EQ(windows.activations, 0);
}

TEST_F(AppStartupTest, AboutSelectsTheAboutTabWithoutChangingTheWindow) {
  launch();
  const auto* welcome = mainWindow().contentViewController();
  ASSERT_TRUE(application.sendMenuAction(application.mainMenu.items.front()));
  EXPECT_EQ(mainWindow().contentViewController(), welcome);
  EXPECT_EQ(tabs().selectedTabViewItemIndex(), 3u);
  EXPECT_EQ(tabs().tabViewItems()[3].label, "About");
  // Hidden tabs do not appear: nothing of the About tab is on screen.
  EXPECT_FALSE(tabs().tabViewItems()[3].viewController->isOnScreen());
}

TEST_F(AppStartupTest, AboutWhileTheTabsShowMovesTheGeneralTabOffScreen) {
  markFirstRunDone();
  launch();
  auto& general = tab<app::genraltabvc>(0);
  ASSERT_TRUE(general.isOnScreen());
  application.sendMenuAction(application.mainMenu.items.front());
  EXPECT_FALSE(general.isOnScreen());
  EXPECT_TRUE(tabs().tabViewItems()[3].viewController->isOnScreen());
}

TEST_F(AppStartupTest, WithoutASettingsFolderTheAppStartsAndSaysNothingIsKept) {
  const auto folder = env.defaults.fileForDomain(kSuiteName).parent_path();
  std::filesystem::create_directories(folder.parent_path());
  { std::ofstream blocker(folder); }
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));
  launch();
  EXPECT_NE(dynamic_cast<app::firstRunvc*>(mainWindow().contentViewController()), nullptr);
  const auto& alert = lastAlert();
  EXPECT_EQ(alert.messageText, "Plovane Menu cannot save its settings.");
  EXPECT_NE(alert.informativeText.find(folder.string()), std::string::npos)
      << alert.informativeText;
  EXPECT_EQ(alert.alertStyle, platform::NSAlertStyle::warning);
  ASSERT_EQ(alert.buttons.size(), 1u);
  EXPECT_EQ(alert.buttons[0].title, "OK");
  EXPECT_FALSE(windows.terminated);
}

TEST_F(AppStartupTest, SettingsResetForBeingUnreadableAreToldOnceWithWhereTheyWent) {
  // The extension found the shared settings unreadable before the app ran; the app finds its
  // own so now.
  std::filesystem::create_directories(env.defaults.fileForDomain(kSuiteName).parent_path());
  { std::ofstream(env.defaults.fileForDomain(kSuiteName)) << "not settings"; }
  env.openSuite()->objectForKey(keys::menuArrayDic);
  { std::ofstream(env.defaults.fileForDomain(kAppBundleIdentifier)) << "<plist><dict>"; }
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));
  launch();
  ASSERT_EQ(env.modals.shown.size(), 1u);
  const auto& alert = lastAlert();
  EXPECT_EQ(alert.messageText, "Some settings could not be read and were reset.");
  const auto& text = alert.informativeText;
  EXPECT_NE(text.find("The menu items, monitored folders, custom folders and menu options: reset"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("The record that the set-up is done: reset"), std::string::npos) << text;
  std::size_t named = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(env.defaults.fileForDomain(kSuiteName).parent_path())) {
    if (entry.path().string().find(".plist.corrupt-") == std::string::npos) continue;
    EXPECT_NE(text.find(entry.path().string() + "."), std::string::npos) << entry.path();
    ++named;
  }
  EXPECT_EQ(named, 2u);

  // Told once: the next start has nothing to say (an alert would find no answer and throw).
  app::tellOfSettingsTrouble(env.defaults, {env.log, env.modals});
  EXPECT_EQ(env.modals.shown.size(), 1u);
}

TEST_F(AppStartupTest, TheStoryboardNamesWhatIsWrongWithAControllerAsked) {
  auto& board = context.storyboard();
  try {
    board.instantiateControllerWithIdentifier<app::genraltabvc>("nowhere");
    FAIL() << "an unknown identifier was instantiated";
  } catch (const platform::NSStoryboardError& error) {
    EXPECT_NE(std::string(error.what()).find("\"nowhere\""), std::string::npos) << error.what();
  }
  try {
    board.instantiateControllerWithIdentifier<app::genraltabvc>(app::storyboard::aboutVc);
    FAIL() << "a controller of the wrong class was given";
  } catch (const platform::NSStoryboardError& error) {
    const std::string what = error.what();
    EXPECT_NE(what.find("aboutVc"), std::string::npos) << what;
    EXPECT_NE(what.find("genraltabvc"), std::string::npos) << what;
  }
}

}  // namespace
}  // namespace plovane
