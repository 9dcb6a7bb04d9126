// The context menu is built while the user waits for it: time one request with the full
// catalogue and custom folders of growing size, icons off and on, and the build alone from
// inputs read beforehand. The page faults per request show memory going back and forth to the
// system, which once made large menus cost more than their size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <fstream>
#include <variant>

#include "desktop/findersync/MenuTransport.h"
#include "extension/FinderSync.h"
#include "extension/MenuBuilder.h"
#include "platform/Bookmarks.h"
#include "shared/SettingsKeys.h"
#include "support/TestEnvironment.h"

namespace {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistData;

constexpr int kFolders = 10;

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

// A photo selected, the folders stored and the icon option set as the benchmark asks.
void prepare(plovane::testing::TestEnvironment& env, const benchmark::State& state) {
  storeCustomFolders(env, kFolders, static_cast<int>(state.range(1)));
  env.openSuite()->setBool(state.range(0) != 0, plovane::keys::showmenuicon);
  const auto photo = env.home.path() / "photo.jpg";
  std::ofstream(photo).put('x');
  env.finderSyncController.setSelectedItemURLs(
      std::vector<NSURL>{NSURL::fileURLWithPath(photo.string())});
}

long minorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

void report(benchmark::State& state, long faultsBefore) {
  state.counters["entries"] = static_cast<double>(kFolders * state.range(1));
  state.counters["faults"] = benchmark::Counter(static_cast<double>(minorFaults() - faultsBefore),
                                                benchmark::Counter::kAvgIterations);
}

void BM_MenuForMenuKind(benchmark::State& state) {
  plovane::testing::TestEnvironment env;
  prepare(env, state);
  plovane::FinderSync finderSync(env.platform);
  const auto faultsBefore = minorFaults();
  for (auto _ : state) {
    auto menu = finderSync.menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
    benchmark::DoNotOptimize(menu);
  }
  report(state, faultsBefore);
}
BENCHMARK(BM_MenuForMenuKind)
    ->ArgNames({"icons", "entriesPerFolder"})
    ->ArgsProduct({{0, 1}, {0, 50, 200, 800}});

// The build alone: each round gets its own copy of the inputs, made outside the timing.
void BM_BuildMenu(benchmark::State& state) {
  plovane::testing::TestEnvironment env;
  prepare(env, state);
  plovane::FinderSync finderSync(env.platform);
  const auto inputs = plovane::gatherMenuInputs(
      env.platform.mainBundle, env.platform.workspace,
      env.platform.finderSyncController.selectedItemURLs(), env.openSuite().get(),
      finderSync.commandList(), finderSync.customFolders().folders());
  const auto faultsBefore = minorFaults();
  for (auto _ : state) {
    state.PauseTiming();
    auto copy = inputs;
    state.ResumeTiming();
    auto menu = plovane::buildMenu(std::move(copy));
    benchmark::DoNotOptimize(menu);
  }
  report(state, faultsBefore);
}
BENCHMARK(BM_BuildMenu)
    ->ArgNames({"icons", "entriesPerFolder"})
    ->ArgsProduct({{0, 1}, {0, 50, 200, 800}});

// The reply's text, as the extension writes it for the bus once the menu is built.
void BM_EncodeMenu(benchmark::State& state) {
  plovane::testing::TestEnvironment env;
  prepare(env, state);
  plovane::FinderSync finderSync(env.platform);
  const auto menu = finderSync.menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
  const auto resources = env.bundle.bundlePath() / "Resources";
  for (auto _ : state) benchmark::DoNotOptimize(platform::desktop::encodeMenu(*menu, resources));
  state.counters["bytes"] =
      static_cast<double>(platform::desktop::encodeMenu(*menu, resources).size());
}
BENCHMARK(BM_EncodeMenu)->ArgNames({"icons", "entriesPerFolder"})->ArgsProduct({{1}, {0, 200}});

}  // namespace
