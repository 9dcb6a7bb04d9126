// The context menu is built while the user waits for it: time one build with the full catalogue
// and custom folders of growing size, icons off and on.
#include <benchmark/benchmark.h>

#include <fstream>
#include <variant>

#include "extension/FinderSync.h"
#include "platform/Bookmarks.h"
#include "shared/SettingsKeys.h"
#include "support/TestEnvironment.h"

namespace {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistData;

void storeCustomFolders(plovane::testing::TestEnvironment& env, int folders, int entries) {
  PlistArray bookmarks, paths;
  for (int f = 0; f < folders; ++f) {
    const auto folder = env.home.path() / ("Folder" + std::to_string(f));
    std::filesystem::create_directories(folder);
    for (int e = 0; e < entries; ++e)
      std::ofstream(folder / ("entry" + std::to_string(e) + ".txt"));
    bookmarks.emplace_back(std::get<PlistData>(
        platform::bookmarkDataWithOptions(NSURL::fileURLWithPath(folder.string()),
                                          platform::NSURLBookmarkCreationWithSecurityScope)));
    paths.emplace_back(folder.string());
  }
  auto store = env.openSuite();
  store->setValueForKeyPath(bookmarks, plovane::keys::arrCustomFolders);
  store->setValueForKeyPath(paths, plovane::keys::arrCustomFoldersUrls);
}

void BM_MenuForMenuKind(benchmark::State& state) {
  const bool icons = state.range(0) != 0;
  const int entries = static_cast<int>(state.range(1));
  plovane::testing::TestEnvironment env;
  storeCustomFolders(env, 10, entries);
  env.openSuite()->setBool(icons, plovane::keys::showmenuicon);
  const auto photo = env.home.path() / "photo.jpg";
  std::ofstream(photo).put('x');
  env.finderSyncController.setSelectedItemURLs(
      std::vector<NSURL>{NSURL::fileURLWithPath(photo.string())});
  plovane::FinderSync finderSync(env.platform);
  for (auto _ : state) {
    auto menu = finderSync.menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
    benchmark::DoNotOptimize(menu);
  }
  state.counters["entries"] = 10.0 * entries;
}
BENCHMARK(BM_MenuForMenuKind)
    ->ArgNames({"icons", "entriesPerFolder"})
    ->ArgsProduct({{0, 1}, {0, 50, 200, 800}});

}  // namespace
