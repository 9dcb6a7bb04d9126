// The About tab: the version and the links.
#include "app/aboutVc.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

class AboutTabTest : public testing::SettingsAppFixture {
 protected:
  app::aboutVc& about() {
    markFirstRunDone();
    launch();
    tabs().setSelectedTabViewItemIndex(3);
    return tab<app::aboutVc>(3);
  }
};

TEST_F(AboutTabTest, ShowsTheWordVersionAndTheShortVersion) {
  EXPECT_EQ(about().lblAppversion->stringValue(), "Version 1.9");
}

TEST_F(AboutTabTest, WebButtonsOpenTheirPageAndSaySoOnlyWhenItOpened) {
  auto& controller = about();
  platform::NSButton sender;
  controller.btnweb(sender);
  controller.btnfacebook(sender);
  controller.btntwitter(sender);
  ASSERT_EQ(env.workspace.openedURLStrings.size(), 3u);
  for (const auto& url : env.workspace.openedURLStrings) EXPECT_TRUE(url.starts_with("https://"));
  EXPECT_EQ(env.log.outputLines,
            std::vector<std::string>(3, "default browser was successfully opened"));

  env.workspace.opensURLs = false;
  controller.btnweb(sender);
  EXPECT_EQ(env.log.outputLines.size(), 3u);
}

TEST_F(AboutTabTest, TheRateButtonOpensTheStorePage) {
  platform::NSButton sender;
  about().btnRateusClciked(sender);
  ASSERT_EQ(env.workspace.openedURLStrings.size(), 1u);
  EXPECT_TRUE(env.workspace.openedURLStrings.front().starts_with("macappstore://"));
  EXPECT_TRUE(env.log.outputLines.empty());
}

TEST(AboutLinks, OnlyTextsThatFormAURLAreOpened) {
  EXPECT_TRUE(app::formsURL("https://example.org/a"));
  EXPECT_TRUE(app::formsURL("macappstore://apps.apple.com/app/x/id1"));
  EXPECT_FALSE(app::formsURL("not a url"));
  EXPECT_FALSE(app::formsURL("https://exa mple.org"));
  EXPECT_FALSE(app::formsURL(":nothing"));
  EXPECT_FALSE(app::formsURL("1http://x"));
  EXPECT_FALSE(app::formsURL("https:"));
}

}  // namespace
}  // namespace plovane
