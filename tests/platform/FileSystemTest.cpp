#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <variant>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/Bookmarks.h"
#include "platform/NSFileManager.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace platform {
namespace {

using plovane::testing::makeFolder;
using plovane::testing::TemporaryFolder;

NSURL urlOf(const std::filesystem::path& path) { return NSURL::fileURLWithPath(path.string()); }

PlistData bookmark(const std::filesystem::path& path) {
  auto made = bookmarkDataWithOptions(urlOf(path), NSURLBookmarkCreationWithSecurityScope);
  return std::get<PlistData>(made);
}

TEST(BookmarksTest, SameItemGivesByteEqualDataThatResolvesToIt) {
  TemporaryFolder home;
  const auto folder = makeFolder(home.path() / "Folder");
  EXPECT_EQ(bookmark(folder), bookmark(folder.string() + "/"));
  auto resolved =
      URLByResolvingBookmarkData(bookmark(folder), NSURLBookmarkResolutionWithSecurityScope);
  ASSERT_TRUE(std::holds_alternative<ResolvedBookmark>(resolved));
  EXPECT_EQ(std::get<ResolvedBookmark>(resolved).url, urlOf(folder));
  EXPECT_FALSE(std::get<ResolvedBookmark>(resolved).isStale);
  EXPECT_NE(bookmark(folder), bookmark(makeFolder(home.path() / "Other")));
}

TEST(BookmarksTest, ResolvingFailsOnceTheItemIsGoneOrReplaced) {
  TemporaryFolder home;
  const auto folder = makeFolder(home.path() / "Folder");
  const auto data = bookmark(folder);
  std::filesystem::rename(folder, home.path() / "Moved");
  EXPECT_TRUE(std::holds_alternative<NSError>(URLByResolvingBookmarkData(data, 0)));
  makeFolder(folder);  // a new folder under the old name is another item
  EXPECT_TRUE(std::holds_alternative<NSError>(URLByResolvingBookmarkData(data, 0)));
  EXPECT_TRUE(std::holds_alternative<NSError>(URLByResolvingBookmarkData(PlistData{1, 2, 3}, 0)));
  EXPECT_TRUE(std::holds_alternative<NSError>(bookmarkDataWithOptions(
      urlOf(home.path() / "missing"), NSURLBookmarkCreationWithSecurityScope)));
}

// Root reads everything, so the refusals are checked as an unprivileged user in a child.
int accessAsNobody(const std::filesystem::path& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0) _exit(3);
    _exit(startAccessingSecurityScopedResource(urlOf(path)) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BookmarksTest, AccessIsRefusedForWhatCannotBeRead) {
  TemporaryFolder home;
  using std::filesystem::perms;
  std::filesystem::permissions(home.path(),
                               perms::owner_all | perms::others_read | perms::others_exec);
  const auto open = makeFolder(home.path() / "Open", {"file"});
  const auto locked = makeFolder(home.path() / "Locked", {"file"});
  std::filesystem::permissions(open, perms::owner_all | perms::others_read | perms::others_exec);
  std::filesystem::permissions(open / "file", perms::owner_all | perms::others_read);
  std::filesystem::permissions(locked, perms::owner_all);
  EXPECT_TRUE(startAccessingSecurityScopedResource(urlOf(open / "file")));
  EXPECT_FALSE(startAccessingSecurityScopedResource(urlOf(home.path() / "missing")));
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
  EXPECT_EQ(accessAsNobody(open), 0);
  EXPECT_EQ(accessAsNobody(open / "file"), 0);
  EXPECT_EQ(accessAsNobody(locked), 1);
}

TEST(DirectoryListingTest, ListsEveryEntryOnceHiddenOnesIncluded) {
  TemporaryFolder home;
  const auto folder = makeFolder(home.path() / "F", {"b", ".a", "c"});
  makeFolder(folder / "sub", {"deep"});
  auto names = NSFileManager().contentsOfDirectoryAtPath(folder.string());
  ASSERT_TRUE(names);
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::string>{".a", "b", "c", "sub"}));
  EXPECT_FALSE(NSFileManager().contentsOfDirectoryAtPath((folder / "b").string()));
  EXPECT_FALSE(NSFileManager().contentsOfDirectoryAtPath((folder / "none").string()));
}

TEST(HiddenFlagTest, DotNamesAndNamesListedInTheFoldersHiddenFile) {
  TemporaryFolder home;
  const auto folder = makeFolder(home.path() / "F", {".dot", "listed", "shown", "listed2"});
  std::ofstream(folder / ".hidden") << "other\nlisted\nlisted2";
  EXPECT_EQ(resourceValueIsHidden(urlOf(folder / ".dot")), true);
  EXPECT_EQ(resourceValueIsHidden(urlOf(folder / "listed")), true);
  EXPECT_EQ(resourceValueIsHidden(urlOf(folder / "listed2")), true);
  EXPECT_EQ(resourceValueIsHidden(urlOf(folder / "shown")), false);
  EXPECT_EQ(resourceValueIsHidden(urlOf(folder / "missing")), std::nullopt);
  EXPECT_EQ(resourceValueIsHidden(urlOf(folder)), false);
}

}  // namespace
}  // namespace platform
