// The mail hand-off from the extension: taken at launch (the app then stays only for mail) or
// while the app runs, used once, and never reported as sent when the mail client failed.
#include <algorithm>

#include "app/UtilityKitWindow.h"
#include "support/FileTree.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::NSApplicationActivationPolicy;
using platform::PlistDate;
using platform::sim::ModalAnswer;

class MailComposerTest : public testing::SettingsAppFixture {
 protected:
  // What the extension leaves for a click `secondsAgo` before now.
  void handOff(const std::string& path, double secondsAgo) {
    auto store = env.openSuite();
    store->setObject(path, keys::mailAttachPath);
    store->setObject(PlistDate{env.runLoop.now().secondsSince2001 - secondsAgo},
                     keys::AttachClickedDate);
  }
  void notifyFromExtension(const char* name) {
    env.notifications.postNotificationName(name, kExtensionBundleIdentifier);
    env.runLoop.drain();
  }
  bool handOffLeft() {
    auto store = env.openSuite();
    return store->objectForKey(keys::mailAttachPath) ||
           store->objectForKey(keys::AttachClickedDate);
  }
  std::size_t panelsShown() const {
    return static_cast<std::size_t>(std::count_if(
        env.modals.shown.begin(), env.modals.shown.end(),
        [](const auto& shown) { return std::holds_alternative<platform::NSOpenPanel>(shown); }));
  }
  std::vector<std::string> composedPaths() const {
    std::vector<std::string> paths;
    for (const auto& items : env.sim.composeEmail.composed) paths.push_back(items.at(0).path());
    return paths;
  }

  std::string file =
      (testing::makeFolder(env.home.path() / "Work", {"report.pdf"}) / "report.pdf").string();
};

TEST_F(MailComposerTest, ALaunchForAFreshHandOffComposesWithoutAWindowAndQuits20SecondsLater) {
  handOff(file, 19);
  env.modals.answer(ModalAnswer::ok(file));
  launch();
  const auto& panel = std::get<platform::NSOpenPanel>(env.modals.shown.at(0));
  EXPECT_EQ(panel.message,
            "Please select the file that you want to send via email to allow sending");
  EXPECT_EQ(panel.prompt, "Attach to Mail");
  EXPECT_EQ(panel.directoryURL->path(), file);
  EXPECT_TRUE(panel.canChooseFiles && panel.canChooseDirectories && panel.showsHiddenFiles);
  EXPECT_FALSE(panel.allowsMultipleSelection);

  EXPECT_EQ(composedPaths(), std::vector{file});
  EXPECT_FALSE(handOffLeft());
  EXPECT_TRUE(windows.visibleWindows.empty());
  EXPECT_FALSE(windows.activationPolicy) << "the activation policy was switched";
  env.runLoop.advanceBy(19.9);
  EXPECT_FALSE(windows.terminated);
  env.runLoop.advanceBy(0.1);
  EXPECT_TRUE(windows.terminated);
}

TEST_F(MailComposerTest, AStaleHandOffIsRemovedAndTheAppStartsAsUsual) {
  handOff(file, 20);
  launch();
  EXPECT_EQ(panelsShown(), 0u);
  EXPECT_FALSE(handOffLeft());
  EXPECT_TRUE(mainWindow().isVisible());
  EXPECT_EQ(windows.activationPolicy, NSApplicationActivationPolicy::regular);
}

TEST_F(MailComposerTest, AHandOffWithoutItsDateIsRemovedAndOneFromTheFutureIsFresh) {
  env.openSuite()->setObject(file, keys::mailAttachPath);
  launch();
  EXPECT_EQ(panelsShown(), 0u);
  EXPECT_FALSE(handOffLeft());

  markFirstRunDone();
  handOff(file, -3600);
  env.modals.answer(ModalAnswer::ok(file));
  notifyFromExtension(notifications::AttachFileToMail);
  EXPECT_EQ(composedPaths(), std::vector{file});
}

TEST_F(MailComposerTest, CancelOrNoChoiceAtLaunchQuitsAtOnceWithoutAWindow) {
  for (auto answer : {ModalAnswer::cancel(), ModalAnswer::ok()}) {
    testing::TestEnvironment fresh{"1.9", kAppBundleIdentifier};
    fresh.openSuite()->setObject(file, keys::mailAttachPath);
    fresh.openSuite()->setObject(PlistDate{fresh.runLoop.now().secondsSince2001},
                                 keys::AttachClickedDate);
    fresh.modals.answer(answer);
    platform::NSApplication app(fresh.sim.windowServer, NSApplicationActivationPolicy::accessory);
    app::AppContext freshContext(fresh.platform, app);
    app::AppDelegate freshDelegate(freshContext);
    app.delegate = &freshDelegate;
    app.finishLaunching();
    EXPECT_TRUE(fresh.sim.windowServer.terminated);
    EXPECT_TRUE(fresh.sim.windowServer.visibleWindows.empty());
    EXPECT_TRUE(fresh.sim.composeEmail.composed.empty());
  }
}

TEST_F(MailComposerTest, WhileTheAppRunsThePanelShowsOverItAndTheWindowStays) {
  markFirstRunDone();
  launch();
  handOff(file, 1);
  env.modals.answer(ModalAnswer::ok(file));
  notifyFromExtension(notifications::AttachFileToMail);
  EXPECT_EQ(composedPaths(), std::vector{file});

  handOff(file, 1);
  env.modals.answer(ModalAnswer::cancel());
  notifyFromExtension(notifications::AttachFileToMail);
  EXPECT_EQ(composedPaths().size(), 1u);
  EXPECT_FALSE(handOffLeft());
  env.runLoop.advanceBy(60);
  EXPECT_FALSE(windows.terminated);
  EXPECT_TRUE(mainWindow().isVisible());
}

TEST_F(MailComposerTest, AMailClientThatFailsIsReportedAndNeverTakenAsSent) {
  env.sim.composeEmail.failure = "No mail program is set up on this computer.";
  handOff(file, 1);
  env.modals.answer(ModalAnswer::ok(file));
  env.modals.answer(ModalAnswer::button("OK"));
  launch();
  EXPECT_EQ(lastAlert().messageText, "The file could not be attached to a new message.");
  EXPECT_EQ(lastAlert().informativeText, "No mail program is set up on this computer.");
  // Nothing was handed over, so nothing is left to wait for.
  EXPECT_TRUE(windows.terminated);
}

TEST_F(MailComposerTest, TheMailOnlyAppHearsASecondRequestAndWaitsForItsMessage) {
  handOff(file, 1);
  env.modals.answer(ModalAnswer::ok(file));
  launch();
  env.runLoop.advanceBy(10);
  handOff(file, 0);
  env.modals.answer(ModalAnswer::ok(file));
  notifyFromExtension(notifications::AttachFileToMail);
  EXPECT_EQ(composedPaths().size(), 2u);
  env.runLoop.advanceBy(19);
  EXPECT_FALSE(windows.terminated);
  env.runLoop.advanceBy(1);
  EXPECT_TRUE(windows.terminated);
  EXPECT_TRUE(windows.visibleWindows.empty());
}

TEST_F(MailComposerTest, ARequestWhileThePanelIsOpenFollowsItInsteadOfOpeningOnTop) {
  markFirstRunDone();
  launch();
  const auto other = (testing::makeFolder(env.home.path() / "Other", {"b.txt"}) / "b.txt").string();
  handOff(file, 1);
  env.modals.whileNextModalShows([&] {
    handOff(other, 0);
    notifyFromExtension(notifications::AttachFileToMail);
    EXPECT_TRUE(env.sim.composeEmail.composed.empty()) << "a second panel ran inside the first";
  });
  env.modals.answer(ModalAnswer::ok(file));
  env.modals.answer(ModalAnswer::ok(other));
  notifyFromExtension(notifications::AttachFileToMail);
  EXPECT_EQ(composedPaths(), (std::vector{file, other}));
  EXPECT_EQ(std::get<platform::NSOpenPanel>(env.modals.shown.at(1)).directoryURL->path(), other);
}

TEST_F(MailComposerTest, UtilityKitWhileMailOnlyOpensTheAppAsAStartWould) {
  handOff(file, 1);
  env.modals.answer(ModalAnswer::ok(file));
  launch();
  notifyFromExtension(notifications::ShowUtilityKit);
  EXPECT_TRUE(mainWindow().isVisible());
  EXPECT_TRUE(context.utilityKitWindowController()->window()->isVisible());
  EXPECT_EQ(windows.activationPolicy, NSApplicationActivationPolicy::regular);
  env.runLoop.advanceBy(60);
  EXPECT_FALSE(windows.terminated);
}

}  // namespace
}  // namespace plovane
