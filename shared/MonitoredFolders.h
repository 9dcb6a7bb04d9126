#pragma once

#include <set>

#include "platform/NSURL.h"
#include "platform/NSUserDefaults.h"

namespace plovane {

// The enabled monitored folders as file URLs: path i is taken when flag i is exactly 1.
// Positions are matched across both lists and never read past the shorter one; a position
// whose path is not a string or whose flag is not an integer is not taken.
std::set<platform::NSURL> enabledMonitoredFolderURLs(platform::NSUserDefaults* store);

}  // namespace plovane
