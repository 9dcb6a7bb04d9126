// Plays both programs writing their folder lists, round after round, until it is killed. Each
// round the settings app adds a monitored folder, the extension adds a custom folder
// "keep-<pid>-<round>" through its menu's "Add Folders", then adds "gone-<pid>-<round>", which
// the settings app deletes and the extension prunes away.
//
// Usage: folder_lists_writer STORE_ROOT FOLDERS SELECTED_ITEM
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "extension/FinderSync.h"
#include "shared/MonitoredFolders.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"
#include "sim/RecordingSystemLog.h"
#include "sim/SimPlatform.h"

namespace {

namespace fs = std::filesystem;
using platform::NSURL;

void addCustomFolder(platform::sim::SimPlatform& sim, plovane::FinderSync& extension,
                     const fs::path& folder) {
  fs::create_directories(folder);
  sim.modals.answer(platform::sim::ModalAnswer::ok(folder.string()));
  const auto menu = extension.menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
  for (const auto& item : menu->items) {
    if (item.title == "Add Folders") extension.performSelector(item.action, &item);
  }
  sim.runLoop.drain();
}

void addMonitoredFolder(platform::NSUserDefaults& app, const fs::path& folder) {
  auto lists = plovane::readMonitoredFolders(&app);
  lists.paths.push_back(folder.string());
  lists.states.push_back(1);
  plovane::writeMonitoredFolders(app, lists);
}

void deleteCustomFolder(platform::NSUserDefaults& app, const fs::path& folder) {
  platform::PlistArray kept;
  for (const auto& path : plovane::readStringElements(&app, plovane::keys::arrCustomFoldersUrls)
                              .value_or(std::vector<std::optional<std::string>>{})) {
    if (path && *path != folder.string()) kept.emplace_back(*path);
  }
  app.setValueForKeyPath(kept, plovane::keys::arrCustomFoldersUrls);
  app.synchronize();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s STORE_ROOT FOLDERS SELECTED_ITEM\n", argv[0]);
    return 2;
  }
  const fs::path folders = argv[2];
  platform::sim::RecordingSystemLog log;
  platform::UserDefaultsRoot defaults(argv[1], [&log](const std::string& line) { log.log(line); });
  const platform::NSBundle bundle(
      folders / "Extension.appex",
      platform::PlistDictionary{{"CFBundleIdentifier", plovane::kExtensionBundleIdentifier}});
  platform::sim::SimPlatform sim(defaults, log, bundle, folders / "Applications");
  sim.finderSyncController.setSelectedItemURLs(std::vector{NSURL::fileURLWithPath(argv[3])});
  plovane::FinderSync extension(sim.platform);
  const auto app = defaults.initWithSuiteName(plovane::kSuiteName);
  const std::string id = std::to_string(::getpid());
  for (int round = 0;; ++round) {
    const std::string name = id + "-" + std::to_string(round);
    addMonitoredFolder(*app, folders / ("keep-" + name));
    addCustomFolder(sim, extension, folders / ("keep-" + name));
    addCustomFolder(sim, extension, folders / ("gone-" + name));
    deleteCustomFolder(*app, folders / ("gone-" + name));
    extension.performSelector("reloadCustomFolders", nullptr);
  }
}
