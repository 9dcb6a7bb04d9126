#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/NSURL.h"
#include "platform/NSUserDefaults.h"

namespace plovane {

// The monitored folders, one position per folder: `states[i]` is 1 when `paths[i]` is enabled.
struct MonitoredFolderLists {
  std::vector<std::string> paths;
  std::vector<std::int64_t> states;
  friend bool operator==(const MonitoredFolderLists&, const MonitoredFolderLists&) = default;
};

// The stored lists, read position by position so that both programs agree on what is enabled:
// a position whose path is not an absolute path string is left out with its flag, a flag that is
// missing or not an integer reads as 0 (disabled), and flags past the last path are ignored.
MonitoredFolderLists readMonitoredFolders(platform::NSUserDefaults* store);

// The enabled monitored folders as file URLs: those whose flag is exactly 1.
std::set<platform::NSURL> enabledMonitoredFolderURLs(platform::NSUserDefaults* store);

// File URLs of the given folder paths, as a directory set.
std::set<platform::NSURL> directoryURLsOf(const std::vector<std::string>& paths);

// Writes both lists in one replace of the file, so that they never disagree, and synchronizes;
// false when the write failed, with the reason in the store's lastError.
bool writeMonitoredFolders(platform::NSUserDefaults& store, const MonitoredFolderLists& lists);

}  // namespace plovane
