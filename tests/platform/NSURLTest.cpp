#include "platform/NSURL.h"

#include <gtest/gtest.h>

#include "platform/SystemLog.h"

namespace platform {
namespace {

TEST(NSURLTest, PathIsAbsoluteWithoutTrailingSlash) {
  EXPECT_EQ(NSURL::fileURLWithPath("/home/user/").path(), "/home/user");
  EXPECT_EQ(NSURL::fileURLWithPath("/").path(), "/");
  EXPECT_EQ(NSURL::fileURLWithPath("/a//").path(), "/a");
  EXPECT_EQ(NSURL::fileURLWithPath("/a/b"), NSURL::fileURLWithPath("/a/b/"));
}

TEST(NSURLTest, ComponentsAndExtensions) {
  const auto url = NSURL::fileURLWithPath("/Pictures/holiday.Photo.JPG");
  EXPECT_EQ(url.lastPathComponent(), "holiday.Photo.JPG");
  EXPECT_EQ(url.pathExtension(), "JPG");
  EXPECT_EQ(NSURL::fileURLWithPath("/home/.profile").pathExtension(), "");
  EXPECT_EQ(NSURL::fileURLWithPath("/home/README").pathExtension(), "");
  EXPECT_EQ(NSURL::fileURLWithPath("/Applications/Tool.app").pathExtension(), "app");
  EXPECT_EQ(url.URLByDeletingLastPathComponent().path(), "/Pictures");
  EXPECT_EQ(NSURL::fileURLWithPath("/top").URLByDeletingLastPathComponent().path(), "/");
  EXPECT_EQ(NSURL::fileURLWithPath("/").URLByAppendingPathComponent("etc").path(), "/etc");
  EXPECT_EQ(NSURL::fileURLWithPath("/a").URLByAppendingPathComponent(".hidden").path(),
            "/a/.hidden");
}

TEST(NSURLTest, AbsoluteStringKeepsEveryByteOfTheName) {
  EXPECT_EQ(NSURL::fileURLWithPath("/home/u/a b,c'd.txt").absoluteString(),
            "file:///home/u/a%20b%2Cc%27d.txt");
  // Latin-1 bytes are not UTF-8; decoded as text they would become U+FFFD.
  EXPECT_EQ(NSURL::fileURLWithPath("/home/u/Caf\xe9").absoluteString(), "file:///home/u/Caf%E9");
  EXPECT_EQ(NSURL::fileURLWithPath("/home/u/Caf\xc3\xa9").absoluteString(),
            "file:///home/u/Caf%C3%A9");
}

TEST(FormatLogTest, FillsPlaceholdersInOrderAndLeavesExtraOnes) {
  EXPECT_EQ(formatLog("FinderSync() launched from %@", {"/b"}), "FinderSync() launched from /b");
  EXPECT_EQ(formatLog("%@ and %@", {"x"}), "x and %@");
  EXPECT_EQ(formatLog("100%", {"x"}), "100%");
}

}  // namespace
}  // namespace platform
