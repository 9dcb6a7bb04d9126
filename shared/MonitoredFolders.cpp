#include "shared/MonitoredFolders.h"

#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

MonitoredFolderLists readMonitoredFolders(platform::NSUserDefaults* store) {
  MonitoredFolderLists lists;
  const auto paths = readStringElements(store, keys::foldersArray);
  if (!paths) return lists;
  const auto flags = readIntegerElements(store, keys::foldersArraystate)
                         .value_or(std::vector<std::optional<std::int64_t>>{});
  for (std::size_t i = 0; i < paths->size(); ++i) {
    // A relative path names no folder: it would depend on where a program happens to run.
    if (!(*paths)[i] || !(*paths)[i]->starts_with('/')) continue;
    lists.paths.push_back(*(*paths)[i]);
    lists.states.push_back(i < flags.size() ? flags[i].value_or(0) : 0);
  }
  return lists;
}

std::set<platform::NSURL> enabledMonitoredFolderURLs(platform::NSUserDefaults* store) {
  std::set<platform::NSURL> urls;
  const auto lists = readMonitoredFolders(store);
  for (std::size_t i = 0; i < lists.paths.size(); ++i) {
    if (lists.states[i] == 1) urls.insert(platform::NSURL::fileURLWithPath(lists.paths[i]));
  }
  return urls;
}

std::set<platform::NSURL> directoryURLsOf(const std::vector<std::string>& paths) {
  std::set<platform::NSURL> urls;
  for (const auto& path : paths) urls.insert(platform::NSURL::fileURLWithPath(path));
  return urls;
}

bool writeMonitoredFolders(platform::NSUserDefaults& store, const MonitoredFolderLists& lists) {
  platform::PlistArray paths(lists.paths.begin(), lists.paths.end());
  platform::PlistArray states(lists.states.begin(), lists.states.end());
  store.setValuesForKeysWithDictionary(
      {{keys::foldersArray, std::move(paths)}, {keys::foldersArraystate, std::move(states)}});
  return store.synchronize();
}

}  // namespace plovane
