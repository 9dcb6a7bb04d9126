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

}  // namespace
}  // namespace platform::desktop
