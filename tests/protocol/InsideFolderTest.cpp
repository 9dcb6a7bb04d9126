// The rule for "inside a monitored folder" that the extension and the file-manager modules share:
// the menu's lexical one, and the stricter one before an entry acts.
#include "protocol/InsideFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TestEnvironment.h"

namespace platform::protocol {
namespace {

TEST(InsideFolderTest, AnItemIsInsideWhenItIsAFolderOfTheSetOrBelowOne) {
  const struct {
    std::vector<std::string> folders;
    const char* item;
    bool inside;
  } cases[] = {
      {{"/home/me/Work"}, "/home/me/Work/a/b", true},
      {{"/home/me/Work"}, "/home/me/Work", true},
      {{"/home/me/Work"}, "/home/me/Workshop/a.txt", false},  // a sibling sharing the prefix
      {{"/home/me/Work", "/srv/"}, "/srv/x/y", true},
      {{"/"}, "/etc/hosts", true},
      {{""}, "/etc/hosts", false},  // an empty folder holds nothing
      {{}, "/etc/hosts", false},
      // Read without "..", "." and doubled slashes, on either side.
      {{"/home/me/Work"}, "/home/me/Work/../outside/x.jpg", false},
      {{"/home/me/Work"}, "/home/me/Work/a/../../Work/b", true},
      {{"/home/me/Work"}, "/home/me/Work/..", false},
      {{"/home/me/Work"}, "//home/me//Work/./a/../b", true},
      {{"/home/me/Work/../Work"}, "/home/me/Work/a", true},
      {{"/home/me/Work"}, "/../home/me/Work/a", true},
  };
  for (const auto& [folders, item, inside] : cases) {
    EXPECT_EQ(isInsideAnyFolder(folders, item), inside)
        << item << " in " << (folders.empty() ? "no folder" : folders.front());
  }
}

// A command follows symbolic links: what one leads to decides, both for the item and the folder.
TEST(InsideFolderTest, AnEntryActsOnlyWhereTheResolvedItemLiesInsideAResolvedFolder) {
  plovane::testing::TemporaryFolder root;
  const auto real = root.path() / "real";
  const auto monitored = real / "Work";
  std::filesystem::create_directories(monitored / "sub");
  std::filesystem::create_directories(root.path() / "outside");
  std::filesystem::create_symlink(root.path() / "outside", monitored / "out");
  std::filesystem::create_symlink(monitored / "sub", monitored / "in");
  std::filesystem::create_symlink(real, root.path() / "link");
  const std::string through = (root.path() / "link/Work").string();
  const std::vector<std::string> folders{through};
  const auto acts = [&](const std::string& item) { return actsInsideAnyFolder(folders, item); };
  EXPECT_TRUE(acts(through + "/sub/new.txt")) << "the folder is itself reached through a link";
  EXPECT_TRUE(acts(through + "/in"));
  EXPECT_FALSE(acts(through + "/out")) << "a link inside that leads outside";
  EXPECT_FALSE(acts(through + "/out/x.jpg"));
  EXPECT_FALSE(acts(through + "/out/../x")) << "\"..\" after a link leaves where it leads";
  EXPECT_TRUE(isInsideAnyFolder(folders, through + "/out/x.jpg"))
      << "the menu's lexical rule alone lets it through";
}

}  // namespace
}  // namespace platform::protocol
