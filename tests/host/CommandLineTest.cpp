#include "host/commandline/CommandLine.h"

#include <gtest/gtest.h>

namespace plovane::host {
namespace {

TEST(CommandLineTest, WindowTakesAFolderAndTheScreenshotScene) {
  auto request = parseRequest({"--window", "/srv/Work/", "--screenshot", "/tmp/shot.png",
                               "--open-menu-at", "a.txt", "--open-submenu", "Shortcuts"});
  ASSERT_TRUE(request);
  EXPECT_EQ(request->command, Request::Command::window);
  EXPECT_EQ(request->folder, std::filesystem::path("/srv/Work"));
  EXPECT_EQ(request->screenshot, std::filesystem::path("/tmp/shot.png"));
  EXPECT_EQ(request->menuItem, "a.txt");
  EXPECT_EQ(request->submenu, "Shortcuts");

  request = parseRequest({"--window"});
  ASSERT_TRUE(request);
  EXPECT_FALSE(request->folder || request->screenshot || request->menuItem);

  // A menu opens only for the picture, a submenu only inside a menu; one folder at a time.
  EXPECT_FALSE(parseRequest({"--window", "/srv", "--open-menu-at", "a.txt"}));
  EXPECT_FALSE(parseRequest({"--window", "/srv", "--screenshot", "s.png", "--open-submenu", "S"}));
  EXPECT_FALSE(parseRequest({"--window", "/srv", "/tmp"}));
  EXPECT_FALSE(parseRequest({"--window", "/srv", "--screenshot"}));
  EXPECT_FALSE(parseRequest({"--window", "--json"}));
}

TEST(CommandLineTest, LogTakesHowManyLinesToPrint) {
  auto request = parseRequest({"log"});
  ASSERT_TRUE(request);
  EXPECT_EQ(request->command, Request::Command::log);
  EXPECT_EQ(request->logLines, 50u);
  request = parseRequest({"log", "--lines", "7"});
  ASSERT_TRUE(request);
  EXPECT_EQ(request->logLines, 7u);

  EXPECT_FALSE(parseRequest({"log", "--lines"}));
  EXPECT_FALSE(parseRequest({"log", "--lines", "seven"}));
  EXPECT_FALSE(parseRequest({"log", "--lines", "-7"}));
  EXPECT_FALSE(parseRequest({"log", "--lines", "99999999999999999999"}));
  EXPECT_FALSE(parseRequest({"log", "/tmp/x.log"}));
}

TEST(CommandLineTest, HelpInstallAndUninstallTakeNothingMore) {
  for (const auto& [word, command] : {std::pair{"--help", Request::Command::help},
                                      std::pair{"install", Request::Command::install},
                                      std::pair{"uninstall", Request::Command::uninstall}}) {
    const auto request = parseRequest({word});
    ASSERT_TRUE(request) << word;
    EXPECT_EQ(request->command, command);
    EXPECT_FALSE(parseRequest({word, "now"})) << word;
  }
}

}  // namespace
}  // namespace plovane::host
