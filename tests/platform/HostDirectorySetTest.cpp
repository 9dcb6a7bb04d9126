#include "desktop/HostDirectorySet.h"

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

TEST(HostDirectorySetTest, WhatOneProgramSetsTheOtherReads) {
  plovane::testing::TemporaryFolder home;
  UserDefaultsRoot extensionSide(home.path(), {});
  UserDefaultsRoot hostSide(home.path(), {});
  HostDirectorySet set(extensionSide);
  const HostDirectorySet seen(hostSide);

  set.setDirectoryURLs({NSURL::fileURLWithPath("/home/me/Work"), NSURL::fileURLWithPath("/srv")});
  EXPECT_EQ(seen.directoryURLs(),
            (std::set{NSURL::fileURLWithPath("/home/me/Work"), NSURL::fileURLWithPath("/srv")}));
  set.setDirectoryURLs({});
  EXPECT_TRUE(seen.directoryURLs().empty());
}

// Badges are asked per shown item; stored, they grew the domain until the directory set no
// longer fitted its file. They stay in memory, bounded.
TEST(HostDirectorySetTest, BadgesNeverGrowTheStoredStateAndStayBounded) {
  plovane::testing::TemporaryFolder home;
  UserDefaultsRoot defaults(home.path(), {});
  HostDirectorySet set(defaults);
  set.setDirectoryURLs({NSURL::fileURLWithPath("/srv")});
  const auto stored =
      std::filesystem::file_size(defaults.fileForDomain("com.quenlow.plovanefinder"));
  for (int i = 0; i < 25'000; ++i) {
    set.setBadgeIdentifier("One", NSURL::fileURLWithPath("/srv/item-" + std::to_string(i)));
  }
  EXPECT_EQ(std::filesystem::file_size(defaults.fileForDomain("com.quenlow.plovanefinder")),
            stored);
  EXPECT_EQ(set.badgeIdentifier(NSURL::fileURLWithPath("/srv/item-24999")), "One");
  EXPECT_FALSE(set.badgeIdentifier(NSURL::fileURLWithPath("/srv/elsewhere")));
  std::size_t kept = 0;
  for (int i = 0; i < 25'000; ++i) {
    kept +=
        set.badgeIdentifier(NSURL::fileURLWithPath("/srv/item-" + std::to_string(i))).has_value();
  }
  EXPECT_EQ(kept, 20'000u);
  EXPECT_EQ(HostDirectorySet(defaults).directoryURLs(), std::set{NSURL::fileURLWithPath("/srv")});
}

TEST(HostDirectorySetTest, AnItemIsInsideWhenItIsAFolderOfTheSetOrBelowOne) {
  const struct {
    const char* folder;
    const char* item;
    bool inside;
  } cases[] = {
      {"/home/me/Work", "/home/me/Work/a/b", true},
      {"/home/me/Work", "/home/me/Work", true},
      {"/home/me/Work", "/home/me/Workshop", false},
      {"/", "/etc", true},
      // Read without "..", "." and doubled slashes, on either side.
      {"/home/me/Work", "/home/me/Work/../outside/x.jpg", false},
      {"/home/me/Work", "/home/me/Work/a/../../Work/b", true},
      {"/home/me/Work", "/home/me/Work/..", false},
      {"/home/me/Work", "//home/me//Work/./a", true},
      {"/home/me/Work/../Work", "/home/me/Work/a", true},
      {"/home/me/Work", "/../home/me/Work/a", true},
  };
  for (const auto& [folder, item, inside] : cases) {
    EXPECT_EQ(isInsideDirectorySet({NSURL::fileURLWithPath(folder)}, NSURL::fileURLWithPath(item)),
              inside)
        << item << " in " << folder;
  }
}

// A command follows symbolic links: what one leads to decides, both for the item and the folder.
TEST(HostDirectorySetTest, AnEntryActsOnlyWhereTheResolvedItemLiesInsideAResolvedFolder) {
  plovane::testing::TemporaryFolder root;
  const auto real = root.path() / "real";
  const auto monitored = real / "Work";
  std::filesystem::create_directories(monitored / "sub");
  std::filesystem::create_directories(root.path() / "outside");
  std::filesystem::create_symlink(root.path() / "outside", monitored / "out");
  std::filesystem::create_symlink(monitored / "sub", monitored / "in");
  std::filesystem::create_symlink(real, root.path() / "link");
  const std::set directories{NSURL::fileURLWithPath((root.path() / "link/Work").string())};
  const auto acts = [&](const std::string& item) {
    return actsInsideDirectorySet(directories, NSURL::fileURLWithPath(item));
  };
  const std::string through = (root.path() / "link/Work").string();
  EXPECT_TRUE(acts(through + "/sub/new.txt")) << "the folder is itself reached through a link";
  EXPECT_TRUE(acts(through + "/in"));
  EXPECT_FALSE(acts(through + "/out")) << "a link inside that leads outside";
  EXPECT_FALSE(acts(through + "/out/x.jpg"));
  EXPECT_FALSE(acts(through + "/out/../x")) << "\"..\" after a link leaves where it leads";
  EXPECT_TRUE(isInsideDirectorySet(directories, NSURL::fileURLWithPath(through + "/out/x.jpg")))
      << "the menu's lexical rule alone lets it through";
}

}  // namespace
}  // namespace platform::desktop
