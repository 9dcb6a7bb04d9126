#include <gtest/gtest.h>

#include "support/Process.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Bookmarks.h"
#include "shared/MonitoredFolders.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"


namespace plovane {
namespace {

namespace fs = std::filesystem;
using Paths = std::set<std::string>;

bool isKept(const std::string& path) {
  return fs::path(path).filename().string().starts_with("keep-");
}

// What one look at the store finds: the kept folders in each list.
struct FolderLists {
  Paths customPaths;      // "arrCustomFoldersUrls"
  Paths customBookmarks;  // "arrCustomFolders", resolved
  std::vector<std::string> monitored;
  std::size_t monitoredStates = 0;
};

FolderLists look(testing::TestEnvironment& env) {
  FolderLists found;
  auto store = env.openSuite();
  for (const auto& path : readStringElements(store.get(), keys::arrCustomFoldersUrls)
                              .value_or(std::vector<std::optional<std::string>>{})) {
    if (path && isKept(*path)) found.customPaths.insert(*path);
  }
  for (const auto& entry :
       store->arrayForKey(keys::arrCustomFolders).value_or(platform::PlistArray{})) {
    const auto* data = entry.as<platform::PlistData>();
    if (data == nullptr) continue;
    auto resolved = platform::URLByResolvingBookmarkData(
        *data, platform::NSURLBookmarkResolutionWithSecurityScope);
    if (const auto* bookmark = std::get_if<platform::ResolvedBookmark>(&resolved);
        bookmark != nullptr && isKept(bookmark->url.path())) {
      found.customBookmarks.insert(bookmark->url.path());
    }
  }
  found.monitored = readMonitoredFolders(store.get()).paths;
  found.monitoredStates =
      store->arrayForKey(keys::foldersArraystate).value_or(platform::PlistArray{}).size();
  return found;
}

bool includes(const std::vector<std::string>& all, const std::vector<std::string>& some) {
  return std::all_of(some.begin(), some.end(), [&all](const std::string& path) {
    return std::find(all.begin(), all.end(), path) != all.end();
  });
}

// Both programs write their folder lists while being killed at random moments; after every
// kill the lists of each pair must agree, and no folder saved before may be gone.
TEST(FolderListsKillTest, NoFolderIsLostWhenWritersAreKilledAtRandom) {
  testing::TestEnvironment env;
  const fs::path folders = testing::makeFolder(env.home.path() / "folders");
  const fs::path work = testing::makeFolder(folders / "Work", {"item"});
  auto store = env.openSuite();
  store->setValuesForKeysWithDictionary({{keys::foldersArray, platform::PlistArray{work.string()}},
                                         {keys::foldersArraystate, platform::PlistArray{1}}});
  ASSERT_TRUE(store->synchronize());

  constexpr int kKills = 120;
  std::mt19937 random(13);
  std::uniform_int_distribution<int> delayMicroseconds(0, 80'000);
  int customDisagreed = 0, customLost = 0, monitoredDisagreed = 0, monitoredLost = 0;
  FolderLists before = look(env);
  for (int kill = 0; kill < kKills; ++kill) {
    const pid_t writer =
        plovane::testing::spawnProgram({PLOVANE_FOLDER_LISTS_WRITER, env.defaults.root().string(),
                                        folders.string(), (work / "item").string()});
    ASSERT_GT(writer, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
    ::kill(writer, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer ended by itself";

    const FolderLists after = look(env);
    customDisagreed += after.customPaths != after.customBookmarks;
    customLost += !std::includes(after.customPaths.begin(), after.customPaths.end(),
                                 before.customPaths.begin(), before.customPaths.end());
    monitoredDisagreed += after.monitored.size() != after.monitoredStates;
    monitoredLost += !includes(after.monitored, before.monitored);
    before = after;
  }
  EXPECT_EQ(customDisagreed + customLost + monitoredDisagreed + monitoredLost, 0)
      << "after " << kKills << " kills: custom folder lists disagreed " << customDisagreed
      << " times and lost folders " << customLost << " times; monitored folder lists disagreed "
      << monitoredDisagreed << " times and lost folders " << monitoredLost << " times";
  // The writers got far enough to be worth killing.
  EXPECT_GT(before.customPaths.size(), 10u);
  EXPECT_GT(before.monitored.size(), 10u);
}

}  // namespace
}  // namespace plovane
