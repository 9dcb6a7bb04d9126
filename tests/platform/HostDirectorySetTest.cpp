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

  set.setBadgeIdentifier("One", NSURL::fileURLWithPath("/srv/a"));
  set.setBadgeIdentifier("Two", NSURL::fileURLWithPath("/srv/b"));
  const auto badges =
      hostSide.standardUserDefaults("com.quenlow.plovanefinder")->objectForKey("Badges");
  EXPECT_EQ(badges, PlistValue(PlistDictionary{{"/srv/a", "One"}, {"/srv/b", "Two"}}));
}

TEST(HostDirectorySetTest, AnItemIsInsideWhenItIsAFolderOfTheSetOrBelowOne) {
  const std::set directories{NSURL::fileURLWithPath("/home/me/Work"), NSURL::fileURLWithPath("/")};
  EXPECT_TRUE(isInsideDirectorySet({NSURL::fileURLWithPath("/home/me/Work")},
                                   NSURL::fileURLWithPath("/home/me/Work/a/b")));
  EXPECT_TRUE(isInsideDirectorySet({NSURL::fileURLWithPath("/home/me/Work")},
                                   NSURL::fileURLWithPath("/home/me/Work")));
  EXPECT_FALSE(isInsideDirectorySet({NSURL::fileURLWithPath("/home/me/Work")},
                                    NSURL::fileURLWithPath("/home/me/Workshop")));
  EXPECT_TRUE(isInsideDirectorySet(directories, NSURL::fileURLWithPath("/etc")));
}

}  // namespace
}  // namespace platform::desktop
