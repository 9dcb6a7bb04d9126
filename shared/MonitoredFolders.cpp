#include "shared/MonitoredFolders.h"

#include <algorithm>

#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

std::set<platform::NSURL> enabledMonitoredFolderURLs(platform::NSUserDefaults* store) {
  std::set<platform::NSURL> urls;
  const auto paths = readStringElements(store, keys::foldersArray);
  if (!paths) return urls;
  const auto flags = readIntegerElements(store, keys::foldersArraystate)
                         .value_or(std::vector<std::optional<std::int64_t>>{});
  const std::size_t positions = std::min(paths->size(), flags.size());
  for (std::size_t i = 0; i < positions; ++i) {
    if (flags[i] == 1 && (*paths)[i]) urls.insert(platform::NSURL::fileURLWithPath(*(*paths)[i]));
  }
  return urls;
}

}  // namespace plovane
